#include "font_catalog.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "utf16.h"

namespace horaz::platform::detail {

namespace {

std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return result;
}

// Families that stand in for the platform's core fonts with the same metrics
// (what fontconfig's metric aliases map them to). A name resolves to one of
// its stand-ins when fontconfig picks that one.
const std::map<std::string, std::vector<std::string>>& metricAliases() {
  static const std::map<std::string, std::vector<std::string>> aliases = {
      {"arial", {"liberation sans", "arimo", "albany amt"}},
      {"helvetica", {"liberation sans", "arimo", "albany amt"}},
      {"arial narrow", {"liberation sans narrow"}},
      {"times new roman", {"liberation serif", "tinos", "thorndale amt"}},
      {"times", {"liberation serif", "tinos", "thorndale amt"}},
      {"courier new", {"liberation mono", "cousine", "cumberland amt"}},
      {"courier", {"liberation mono", "cousine", "cumberland amt"}},
      {"calibri", {"carlito"}},
      {"cambria", {"caladea"}},
  };
  return aliases;
}

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

Pattern matchPattern(const std::string& family, int weight, int slant) {
  Pattern pattern(FcPatternCreate());
  if (!pattern) return nullptr;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (weight >= 0) FcPatternAddInteger(pattern.get(), FC_WEIGHT, weight);
  if (slant >= 0) FcPatternAddInteger(pattern.get(), FC_SLANT, slant);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  return Pattern(FcFontMatch(nullptr, pattern.get(), &result));
}

// The family names a matched font carries (a font may have several, such as
// "DejaVu Sans" and "DejaVu Sans Condensed").
std::vector<std::string> familiesOf(const FcPattern* match) {
  std::vector<std::string> names;
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    names.emplace_back(reinterpret_cast<const char*>(name));
  return names;
}

// The metrics of a FreeType face (null: the usual proportions).
FaceMetrics readMetrics(FT_Face ft) {
  FaceMetrics metrics;
  if (ft && ft->units_per_EM > 0) {
    const double em = ft->units_per_EM;
    metrics.ascender = ft->ascender / em;
    metrics.descender = -ft->descender / em;
    metrics.lineSpacing = ft->height / em;
    metrics.underlinePosition = ft->underline_position / em;
    metrics.underlineThickness = ft->underline_thickness / em;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
      metrics.strikeoutPosition = os2->yStrikeoutPosition / em;
      metrics.strikeoutThickness = os2->yStrikeoutSize / em;
    }
  }
  // Faces without the tables get the usual proportions.
  if (metrics.lineSpacing <= 0.0) metrics.lineSpacing = metrics.ascender + metrics.descender;
  if (metrics.lineSpacing <= 0.0) metrics = {0.9, 0.2, 1.15, -0.1, 0.05, 0.26, 0.05};
  if (metrics.underlineThickness <= 0.0) metrics.underlineThickness = 0.05;
  if (metrics.underlinePosition == 0.0) metrics.underlinePosition = -0.1;
  if (metrics.strikeoutThickness <= 0.0) metrics.strikeoutThickness = metrics.underlineThickness;
  if (metrics.strikeoutPosition <= 0.0) metrics.strikeoutPosition = 0.26;
  return metrics;
}

}  // namespace

struct FontCatalog::State {
  std::mutex mutex;
  // Keyed by the lower-cased name asked for; null entries remember names
  // that resolve to nothing.
  std::map<std::string, const FontFamilyEntry*> byName;
  std::map<std::string, std::unique_ptr<FontFamilyEntry>> families;  // by installed name
  std::map<std::pair<const FontFamilyEntry*, int>, std::unique_ptr<FontFace>> faces;
  const FontFamilyEntry* generic = nullptr;
  bool genericResolved = false;

  const FontFamilyEntry* entryFor(const std::string& installedName) {
    auto& slot = families[installedName];
    if (!slot) {
      slot = std::make_unique<FontFamilyEntry>();
      slot->name = installedName;
      slot->name16 = utf8ToUtf16(installedName);
    }
    return slot.get();
  }

  const FontFamilyEntry* resolve(const std::string& name) {
    if (name.empty()) return nullptr;
    // fontconfig substitutes something for any name, so the match counts
    // only when it is the family asked for or one of its metric stand-ins.
    Pattern match = matchPattern(name, -1, -1);
    if (!match) return nullptr;
    const std::string wanted = lowered(name);
    const std::vector<std::string> names = familiesOf(match.get());
    for (const std::string& installed : names)
      if (lowered(installed) == wanted) return entryFor(installed);
    auto alias = metricAliases().find(wanted);
    if (alias != metricAliases().end() && !names.empty())
      for (const std::string& standIn : alias->second)
        if (lowered(names.front()) == standIn) return entryFor(names.front());
    return nullptr;
  }
};

FontCatalog::FontCatalog() : state(new State) { FcInit(); }

FontCatalog::~FontCatalog() {
  for (auto& [key, face] : state->faces) {
    if (face->pinned) {
      if (face->pinnedLocked) cairo_ft_scaled_font_unlock_face(face->pinned);
      cairo_scaled_font_destroy(face->pinned);
    }
    cairo_font_face_destroy(face->cairoFace);
  }
  delete state;
}

FontCatalog& FontCatalog::instance() {
  static FontCatalog catalog;
  return catalog;
}

const FontFamilyEntry* FontCatalog::findFamily(std::u16string_view name) {
  const std::string utf8 = utf16ToUtf8(name);
  const std::string key = lowered(utf8);
  std::lock_guard lock(state->mutex);
  auto known = state->byName.find(key);
  if (known != state->byName.end()) return known->second;
  const FontFamilyEntry* entry = state->resolve(utf8);
  state->byName.emplace(key, entry);
  return entry;
}

const FontFamilyEntry* FontCatalog::genericSansSerif() {
  std::lock_guard lock(state->mutex);
  if (!state->genericResolved) {
    state->generic = state->resolve("DejaVu Sans");
    if (!state->generic) {
      Pattern match = matchPattern("sans-serif", -1, -1);
      if (match) {
        const std::vector<std::string> names = familiesOf(match.get());
        if (!names.empty()) state->generic = state->entryFor(names.front());
      }
    }
    state->genericResolved = true;
  }
  return state->generic;
}

const FontFace* FontCatalog::face(const FontFamilyEntry& family, int style) {
  style &= kFaceStyleMask;
  std::lock_guard lock(state->mutex);
  auto& slot = state->faces[{&family, style}];
  if (slot) return slot.get();

  const bool bold = style & 1, italic = style & 2;
  Pattern match =
      matchPattern(family.name, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcChar8* file = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) {
    state->faces.erase({&family, style});
    return nullptr;
  }
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);

  // cairo loads the face from the file itself and locks it around every use,
  // so one face serves all threads.
  Pattern source(FcPatternCreate());
  FcPatternAddString(source.get(), FC_FILE, file);
  FcPatternAddInteger(source.get(), FC_INDEX, index);
  cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_pattern(source.get());
  if (!cairoFace || cairo_font_face_status(cairoFace) != CAIRO_STATUS_SUCCESS) {
    if (cairoFace) cairo_font_face_destroy(cairoFace);
    state->faces.erase({&family, style});
    return nullptr;
  }
  auto face = std::make_unique<FontFace>();
  face->file = reinterpret_cast<const char*>(file);
  face->syntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
  face->syntheticItalic = italic && slant == FC_SLANT_ROMAN;
  unsigned synthesize = 0;
  if (face->syntheticBold) synthesize |= CAIRO_FT_SYNTHESIZE_BOLD;
  if (face->syntheticItalic) synthesize |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
  if (synthesize) cairo_ft_font_face_set_synthesize(cairoFace, synthesize);
  face->cairoFace = cairoFace;
  // cairo closes a FreeType face that nobody has locked once ten are open,
  // and it can do so while another thread is still drawing with it; a face
  // kept locked here stays open for as long as the catalog lives.
  cairo_matrix_t size, identity;
  cairo_matrix_init_scale(&size, 1.0, 1.0);
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  face->pinned = cairo_scaled_font_create(cairoFace, &size, &identity, options);
  cairo_font_options_destroy(options);
  FT_Face ft = cairo_ft_scaled_font_lock_face(face->pinned);
  face->pinnedLocked = ft != nullptr;
  face->metrics = readMetrics(ft);
  slot = std::move(face);
  return slot.get();
}

}  // namespace horaz::platform::detail
