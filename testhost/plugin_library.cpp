#include "testhost/plugin_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

namespace horaz::testhost {
namespace {

#ifdef _WIN32
std::string loaderError() { return "system error " + std::to_string(GetLastError()); }

void* openLibrary(const std::filesystem::path& path) { return LoadLibraryW(path.c_str()); }
void closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
void* findSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
#else
std::string loaderError() {
  const char* reason = dlerror();
  return reason ? reason : "unknown reason";
}

void* openLibrary(const std::filesystem::path& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void closeLibrary(void* handle) { dlclose(handle); }
void* findSymbol(void* handle, const char* name) {
  dlerror();
  return dlsym(handle, name);
}
#endif

template <class Function>
Function resolve(void* handle, const std::filesystem::path& path, const char* name) {
  void* symbol = findSymbol(handle, name);
  if (!symbol) throw PluginLoadError(path.string() + ": entry point " + name + " not found: " + loaderError());
  return reinterpret_cast<Function>(symbol);
}

}  // namespace

std::filesystem::path runningProgram() {
#ifdef _WIN32
  std::wstring name(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
  if (length == 0 || length >= name.size()) return {};
  name.resize(length);
  return name;
#else
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : program;
#endif
}

PluginLibrary::PluginLibrary(const std::filesystem::path& path) : path_(path) {
  if (!std::filesystem::exists(path_)) throw PluginLoadError(path_.string() + ": no such file");
  handle_ = openLibrary(path_);
  if (!handle_) throw PluginLoadError("cannot load " + path_.string() + ": " + loaderError());
  try {
    registerPlugin_ = resolve<acf::RegisterPluginFunction>(handle_, path_, "ACFRegisterPlugin");
    registerComponent_ = resolve<acf::RegisterComponentFunction>(handle_, path_, "ACFRegisterComponent");
    getClassFactory_ = resolve<acf::GetClassFactoryFunction>(handle_, path_, "ACFGetClassFactory");
    canUnloadNow_ = resolve<acf::CanUnloadNowFunction>(handle_, path_, "ACFCanUnloadNow");
  } catch (...) {
    close();
    throw;
  }
}

PluginLibrary::PluginLibrary(PluginLibrary&& other) noexcept
    : path_(std::move(other.path_)),
      handle_(std::exchange(other.handle_, nullptr)),
      registerPlugin_(std::exchange(other.registerPlugin_, nullptr)),
      registerComponent_(std::exchange(other.registerComponent_, nullptr)),
      getClassFactory_(std::exchange(other.getClassFactory_, nullptr)),
      canUnloadNow_(std::exchange(other.canUnloadNow_, nullptr)) {}

PluginLibrary& PluginLibrary::operator=(PluginLibrary&& other) noexcept {
  if (this != &other) {
    close();
    path_ = std::move(other.path_);
    handle_ = std::exchange(other.handle_, nullptr);
    registerPlugin_ = std::exchange(other.registerPlugin_, nullptr);
    registerComponent_ = std::exchange(other.registerComponent_, nullptr);
    getClassFactory_ = std::exchange(other.getClassFactory_, nullptr);
    canUnloadNow_ = std::exchange(other.canUnloadNow_, nullptr);
  }
  return *this;
}

PluginLibrary::~PluginLibrary() { close(); }

void PluginLibrary::close() noexcept {
  if (handle_) closeLibrary(std::exchange(handle_, nullptr));
  registerPlugin_ = nullptr;
  registerComponent_ = nullptr;
  getClassFactory_ = nullptr;
  canUnloadNow_ = nullptr;
}

std::filesystem::path default_plugin_path() {
  constexpr const char* kFileName = "AVX2Horaz.avx";
  if (const char* overridden = std::getenv("HORAZ_PLUGIN"); overridden && *overridden) return overridden;

  const std::filesystem::path program = runningProgram();
  if (program.empty()) throw PluginLoadError("cannot find the running program to look for " + std::string(kFileName));
  // The tests sit a few folders below the build folder; the tool beside the
  // plug-in.
  std::error_code error;
  std::filesystem::path folder = program.parent_path();
  for (int level = 0; level < 4 && !folder.empty(); ++level) {
    const std::filesystem::path candidate = folder / kFileName;
    if (std::filesystem::exists(candidate, error)) return candidate;
    if (folder == folder.parent_path()) break;
    folder = folder.parent_path();
  }
  throw PluginLoadError(std::string(kFileName) + " not found beside " + program.string() +
                        " or in the folders above it; pass its path or set HORAZ_PLUGIN");
}

}  // namespace horaz::testhost
