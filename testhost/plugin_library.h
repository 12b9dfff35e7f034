#pragma once

#include <filesystem>
#include <stdexcept>

#include "host/entry_points.h"

namespace horaz::testhost {

// Loading the library or resolving one of its entry points failed; what()
// names the path and the loader's reason.
class PluginLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A plug-in library loaded with dlopen (LoadLibraryW on Windows). It resolves the four entry points and
// touches nothing else of the library; the library is unloaded (dlclose) when
// the object goes. Every object the library handed out must be released
// before that.
class PluginLibrary {
 public:
  // Throws PluginLoadError.
  explicit PluginLibrary(const std::filesystem::path& path);
  PluginLibrary(PluginLibrary&& other) noexcept;
  PluginLibrary& operator=(PluginLibrary&& other) noexcept;
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;
  ~PluginLibrary();

  const std::filesystem::path& path() const { return path_; }

  // The entry points, called as the host calls them.
  acf::Result registerPlugin(acf::IUnknown* host, acf::PluginDefinition** out) const {
    return registerPlugin_(host, out);
  }
  acf::Result registerComponent(acf::IUnknown* host, uint32_t index, acf::ComponentDefinition** out) const {
    return registerComponent_(host, index, out);
  }
  acf::Result getClassFactory(acf::IUnknown* host, const acf::Guid& classId, const acf::Guid& iid, void** out) const {
    return getClassFactory_(host, classId, iid, out);
  }
  acf::Result canUnloadNow(acf::IUnknown* host) const { return canUnloadNow_(host); }

 private:
  void close() noexcept;

  std::filesystem::path path_;
  void* handle_ = nullptr;
  acf::RegisterPluginFunction registerPlugin_ = nullptr;
  acf::RegisterComponentFunction registerComponent_ = nullptr;
  acf::GetClassFactoryFunction getClassFactory_ = nullptr;
  acf::CanUnloadNowFunction canUnloadNow_ = nullptr;
};

// The running program's own file; empty where the system does not say.
std::filesystem::path runningProgram();

// Where the plug-in is: $HORAZ_PLUGIN when set; otherwise the first
// AVX2Horaz.avx in the running program's folder or one of the folders above
// it (the build folder, for the tests in its subfolders). Throws
// PluginLoadError when there is none.
std::filesystem::path default_plugin_path();

}  // namespace horaz::testhost
