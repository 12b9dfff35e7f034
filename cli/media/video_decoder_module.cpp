#include "cli/media/video_decoder_module.h"

#include <dlfcn.h>

#include <cstdlib>
#include <system_error>

#include "cli/support/plugin_location.h"
#include "testhost/plugin_library.h"

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
    const std::filesystem::path program = testhost::runningProgram();
    if (program.empty()) return nullptr;
    std::error_code error;
    for (const std::filesystem::path& folder : privateFolders(program))
      if (std::filesystem::exists(folder / kModuleFileName, error))
        return loadVideoDecoderModule(folder / kModuleFileName);
    return nullptr;
  }();
  return entry;
}

}  // namespace horaz::cli
