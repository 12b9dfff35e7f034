#pragma once

#include <string>
#include <vector>

namespace horaz::studio {

// The font families installed on this machine, as fontconfig lists them,
// sorted and without repeats: what the font chooser offers.
std::vector<std::string> installedFontFamilies();

}  // namespace horaz::studio
