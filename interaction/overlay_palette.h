#pragma once

#include <windef.h>

namespace horaz::interaction {

// One drawing tool of the overlay: a brush and a pen (the hollow entry has no
// pen). Stock entries are never deleted.
struct PaletteEntry {
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  bool stock = true;
};

// The overlay's module-wide pens and brushes, shared by every overlay
// instance and kept until the library is unloaded.
struct OverlayPalette {
  PaletteEntry black;
  PaletteEntry white;
  PaletteEntry hollow;
  PaletteEntry green;
  PaletteEntry blue;
};

// The palette, made on the first call (by whichever thread draws first) and
// safe to call from several viewers' threads at once: it is built exactly
// once and only read afterwards.
const OverlayPalette& overlayPalette();

// Selects the entry's brush and, when it has one, its pen (for lines and
// the cross; the hollow entry changes only the brush).
void selectForLines(HDC dc, const PaletteEntry& entry);
// Selects only the entry's pen (for the ellipse's outline).
void selectForOutline(HDC dc, const PaletteEntry& entry);

}  // namespace horaz::interaction
