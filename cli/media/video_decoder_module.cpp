#include "cli/media/video_decoder_module.h"

#include <dlfcn.h>

#include <cstdlib>
#include <system_error>

namespace horaz::cli {

constexpr const char* kModuleFileName = "horaz_video_decoder.so";

OpenVideoDecoder loadVideoDecoderModule(const std::filesystem::path& path) {
  // Loaded for good: the decoders it makes run its code until they go.
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return nullptr;
  return reinterpret_cast<OpenVideoDecoder>(::dlsym(module, kOpenVideoDecoderSymbol));
}

OpenVideoDecoder videoDecoderModule() {
  static const OpenVideoDecoder entry = []() -> OpenVideoDecoder {
    if (const char* named = std::getenv("HORAZ_VIDEO_DECODER")) return *named ? loadVideoDecoderModule(named) : nullptr;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (error) return nullptr;
    for (const std::filesystem::path& candidate :
         {folder / kModuleFileName, folder.parent_path() / "lib" / "horaz" / kModuleFileName})
      if (std::filesystem::exists(candidate, error)) return loadVideoDecoderModule(candidate);
    return nullptr;
  }();
  return entry;
}

}  // namespace horaz::cli
