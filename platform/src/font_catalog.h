// The fonts the system has, looked up through fontconfig once per family and
// style and kept for the life of the process, so drawing text on every frame
// costs no font search.
#pragma once

#include <cairo.h>

#include <string>
#include <string_view>

namespace horaz::platform::detail {

// Vertical metrics and decoration positions in ems (divide design units by
// units per em). Positive values are above the baseline for positions.
struct FaceMetrics {
  double ascender = 0.0;           // above the baseline
  double descender = 0.0;          // below the baseline, positive
  double lineSpacing = 0.0;        // ascender + descender + line gap
  double underlinePosition = 0.0;  // centre of the underline, negative below the baseline
  double underlineThickness = 0.0;
  double strikeoutPosition = 0.0;  // top of the strike-out bar above the baseline
  double strikeoutThickness = 0.0;
};

struct FontFace {
  cairo_font_face_t* cairoFace = nullptr;  // owned by the catalog
  // A scaled font of the face whose FreeType face is held locked, so that
  // cairo never closes it under another thread; owned by the catalog.
  cairo_scaled_font_t* pinned = nullptr;
  bool pinnedLocked = false;
  FaceMetrics metrics;
  std::string file;
  bool syntheticBold = false;
  bool syntheticItalic = false;
};

struct FontFamilyEntry {
  std::string name;  // the installed family name, e.g. "Liberation Sans"
  std::u16string name16;
};

// Style bits of a face: FontStyleBold and FontStyleItalic.
constexpr int kFaceStyleMask = 3;

// Thread-safe; entries and faces live until the process ends.
class FontCatalog {
 public:
  static FontCatalog& instance();

  // The family a name stands for: the installed family of that name (letter
  // case ignored) or its metric-compatible stand-in; null when neither is
  // installed.
  const FontFamilyEntry* findFamily(std::u16string_view name);
  // DejaVu Sans, or whatever the system uses for sans-serif; null only when
  // the system has no fonts at all.
  const FontFamilyEntry* genericSansSerif();
  // The face for bold / italic bits (other bits ignored); synthesized from
  // the nearest face when the family lacks it; null when none can be loaded.
  const FontFace* face(const FontFamilyEntry& family, int style);

  struct State;

 private:
  FontCatalog();
  ~FontCatalog();
  State* state;
};

}  // namespace horaz::platform::detail
