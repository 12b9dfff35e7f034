#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace horaz::cli {

// The plug-in the tool loads, first found of: --plugin PATH; $HORAZ_PLUGIN;
// AVX2Horaz.avx beside the program (the build folder); and
// <program folder>/../lib/horaz/AVX2Horaz.avx (an installed tool, wherever
// the install was moved). A name without a folder is a file in the current
// folder, never a name for the library search path. Throws
// std::runtime_error naming the places looked at.
std::filesystem::path locatePlugin(const std::optional<std::string>& option);

// Where horaz's own libraries are looked for (the plug-in, the decoding
// module): beside the running program `program`, then in
// <program folder>/../lib/horaz/.
std::array<std::filesystem::path, 2> privateFolders(const std::filesystem::path& program);

}  // namespace horaz::cli
