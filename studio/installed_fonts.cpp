#include "studio/installed_fonts.h"

#include <algorithm>
#include <memory>

#include <fontconfig/fontconfig.h>

namespace horaz::studio {

std::vector<std::string> installedFontFamilies() {
  const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), &FcPatternDestroy);
  const std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(FcObjectSetBuild(FC_FAMILY, nullptr),
                                                                            &FcObjectSetDestroy);
  const std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(FcFontList(nullptr, pattern.get(), objects.get()),
                                                                      &FcFontSetDestroy);
  std::vector<std::string> families;
  if (!fonts) return families;
  for (int i = 0; i < fonts->nfont; ++i) {
    FcChar8* family = nullptr;
    // A font may name its family in several languages; the first is the usual one.
    if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family)
      families.emplace_back(reinterpret_cast<const char*>(family));
  }
  std::sort(families.begin(), families.end());
  families.erase(std::unique(families.begin(), families.end()), families.end());
  return families;
}

}  // namespace horaz::studio
