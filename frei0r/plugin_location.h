#pragma once

#include <filesystem>

namespace horaz::frei0r {

// Where AVX2Horaz.avx is for this module, never relative to the current
// folder: $HORAZ_PLUGIN when set; otherwise lib/horaz/ beside the installed
// module's lib/frei0r-1/, or the build folder above the build tree's
// frei0r-1/. Throws testhost::PluginLoadError naming the places tried.
std::filesystem::path locatePlugin();

}  // namespace horaz::frei0r
