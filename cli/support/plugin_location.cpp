#include "cli/support/plugin_location.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "testhost/plugin_library.h"

namespace horaz::cli {
namespace {

constexpr const char* kPluginFileName = "AVX2Horaz.avx";

// Made absolute, so that the loader takes it as a path: a bare name would go
// to the library search path instead of the current folder.
std::filesystem::path asPath(const std::string& given) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(given, error);
  return error ? std::filesystem::path(given) : path;
}

}  // namespace

std::filesystem::path locatePlugin(const std::optional<std::string>& option) {
  if (option) return asPath(*option);
  if (const char* overridden = std::getenv("HORAZ_PLUGIN"); overridden && *overridden) return asPath(overridden);

  const std::filesystem::path program = testhost::runningProgram();
  if (program.empty())
    throw std::runtime_error(std::string("cannot find the running program to look for ") + kPluginFileName);
  const std::array<std::filesystem::path, 2> folders = privateFolders(program);
  std::error_code error;
  for (const std::filesystem::path& folder : folders)
    if (std::filesystem::exists(folder / kPluginFileName, error)) return folder / kPluginFileName;
  throw std::runtime_error(std::string(kPluginFileName) + " is neither beside " + program.string() + " nor in " +
                           folders[1].lexically_normal().string() + "; pass --plugin PATH or set HORAZ_PLUGIN");
}

std::array<std::filesystem::path, 2> privateFolders(const std::filesystem::path& program) {
  const std::filesystem::path folder = program.parent_path();
  return {folder, folder.parent_path() / "lib" / "horaz"};
}

}  // namespace horaz::cli
