#include "cli/support/plugin_location.h"

#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <system_error>

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

  std::error_code error;
#ifdef _WIN32
  wchar_t module[32768];
  const DWORD length = GetModuleFileNameW(nullptr, module, static_cast<DWORD>(std::size(module)));
  if (length == 0 || length >= std::size(module)) error = std::make_error_code(std::errc::filename_too_long);
  const std::filesystem::path program(std::wstring(module, length));
#else
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
#endif
  if (error) throw std::runtime_error(std::string("cannot find the running program to look for ") + kPluginFileName);
  const std::filesystem::path folder = program.parent_path();
  const std::filesystem::path candidates[] = {folder / kPluginFileName,
                                              folder.parent_path() / "lib" / "horaz" / kPluginFileName};
  for (const std::filesystem::path& candidate : candidates)
    if (std::filesystem::exists(candidate, error)) return candidate;
  throw std::runtime_error(std::string(kPluginFileName) + " is neither beside " + program.string() + " nor in " +
                           candidates[1].lexically_normal().parent_path().string() +
                           "; pass --plugin PATH or set HORAZ_PLUGIN");
}

}  // namespace horaz::cli
