#include "cli/media/video_codec_modules.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "cli/support/plugin_location.h"
#include "testhost/plugin_library.h"

namespace horaz::cli {
namespace {

void* loadEntry(const std::filesystem::path& path, const char* symbol) {
  // Loaded for good: what the module makes runs its code until it goes.
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  return module ? ::dlsym(module, symbol) : nullptr;
}

// The module named by `variable` (empty: none), else `fileName` in horaz's
// own folders.
void* findEntry(const char* variable, const char* fileName, const char* symbol) {
  if (const char* named = std::getenv(variable)) return *named ? loadEntry(named, symbol) : nullptr;
  const std::filesystem::path program = testhost::runningProgram();
  if (program.empty()) return nullptr;
  std::error_code error;
  for (const std::filesystem::path& folder : privateFolders(program))
    if (std::filesystem::exists(folder / fileName, error)) return loadEntry(folder / fileName, symbol);
  return nullptr;
}

}  // namespace

OpenVideoDecoder videoDecoderModule() {
  static const auto entry = reinterpret_cast<OpenVideoDecoder>(
      findEntry("HORAZ_VIDEO_DECODER", "horaz_video_decoder.so", kOpenVideoDecoderSymbol));
  return entry;
}

OpenVideoEncoder videoEncoderModule() {
  static const auto entry = reinterpret_cast<OpenVideoEncoder>(
      findEntry("HORAZ_VIDEO_ENCODER", "horaz_video_encoder.so", kOpenVideoEncoderSymbol));
  return entry;
}

}  // namespace horaz::cli
