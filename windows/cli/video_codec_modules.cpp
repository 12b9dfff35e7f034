#include "cli/media/video_codec_modules.h"

namespace horaz::cli {

// No codec modules on Windows: ffmpeg.exe decodes and encodes video files.
OpenVideoDecoder videoDecoderModule() { return nullptr; }
OpenVideoEncoder videoEncoderModule() { return nullptr; }

}  // namespace horaz::cli
