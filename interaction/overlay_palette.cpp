#include "interaction/overlay_palette.h"

#include <wingdi.h>

namespace horaz::interaction {
namespace {

PaletteEntry stockEntry(int brush, int pen) {
  return {static_cast<HBRUSH>(GetStockObject(brush)), static_cast<HPEN>(GetStockObject(pen)), true};
}

PaletteEntry solidEntry(COLORREF colour) { return {CreateSolidBrush(colour), CreatePen(PS_SOLID, 1, colour), false}; }

void deleteEntry(const PaletteEntry& entry) {
  if (entry.stock) return;
  if (entry.pen) DeleteObject(entry.pen);
  if (entry.brush) DeleteObject(entry.brush);
}

// Owns the solid tools; the library's unload runs the destructor.
struct PaletteHolder {
  OverlayPalette palette{
      stockEntry(BLACK_BRUSH, BLACK_PEN),
      stockEntry(WHITE_BRUSH, WHITE_PEN),
      {static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)), nullptr, true},
      solidEntry(RGB(0, 255, 0)),
      solidEntry(RGB(0, 0, 255)),
  };
  PaletteHolder() = default;
  PaletteHolder(const PaletteHolder&) = delete;
  PaletteHolder& operator=(const PaletteHolder&) = delete;
  ~PaletteHolder() {
    deleteEntry(palette.green);
    deleteEntry(palette.blue);
  }
};

}  // namespace

const OverlayPalette& overlayPalette() {
  // A function-local static is initialised once, and a second thread that
  // arrives meanwhile waits for it: two viewers drawing their first marker at
  // the same moment share one palette and leak nothing.
  static const PaletteHolder holder;
  return holder.palette;
}

void selectForLines(HDC dc, const PaletteEntry& entry) {
  if (entry.brush) SelectObject(dc, entry.brush);
  if (entry.pen) SelectObject(dc, entry.pen);
}

void selectForOutline(HDC dc, const PaletteEntry& entry) {
  if (entry.pen) SelectObject(dc, entry.pen);
}

}  // namespace horaz::interaction
