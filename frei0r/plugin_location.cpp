#include "frei0r/plugin_location.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <system_error>

#include "testhost/plugin_library.h"

namespace horaz::frei0r {

std::filesystem::path locatePlugin() {
  constexpr const char* kFileName = "AVX2Horaz.avx";
  if (const char* overridden = std::getenv("HORAZ_PLUGIN"); overridden && *overridden) return overridden;

  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&locatePlugin), &self) == 0 || !self.dli_fname)
    throw testhost::PluginLoadError("cannot tell where horaz_clock.so was loaded from to look for " +
                                    std::string(kFileName));
  std::error_code error;
  const std::filesystem::path module = std::filesystem::canonical(self.dli_fname, error);
  if (error)
    throw testhost::PluginLoadError("cannot resolve " + std::string(self.dli_fname) + " to look for " +
                                    std::string(kFileName) + " beside it: " + error.message());
  const std::filesystem::path folder = module.parent_path();
  const std::filesystem::path candidates[] = {folder.parent_path() / "horaz" / kFileName,
                                              folder.parent_path() / kFileName};
  for (const std::filesystem::path& candidate : candidates)
    if (std::filesystem::exists(candidate, error)) return candidate;
  throw testhost::PluginLoadError(std::string(kFileName) + " is neither in " + candidates[0].parent_path().string() +
                                  " nor in " + candidates[1].parent_path().string() + "; set HORAZ_PLUGIN to its path");
}

}  // namespace horaz::frei0r
