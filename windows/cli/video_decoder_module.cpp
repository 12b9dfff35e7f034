#include "cli/media/video_decoder_module.h"

namespace horaz::cli {

// No decoding module on Windows: ffmpeg.exe decodes video files.
OpenVideoDecoder loadVideoDecoderModule(const std::filesystem::path&) { return nullptr; }
OpenVideoDecoder videoDecoderModule() { return nullptr; }

}  // namespace horaz::cli
