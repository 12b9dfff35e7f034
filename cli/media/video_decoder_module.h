#pragma once

#include <filesystem>

#include "cli/media/video_decoder.h"

namespace horaz::cli {

// The decoding module's entry point, loaded on first use from the file
// HORAZ_VIDEO_DECODER names (empty: none), or else from beside the program
// or the plug-in's folder; null where there is none (ffmpeg then decodes in
// a process of its own). The codec libraries are loaded only with it.
OpenVideoDecoder videoDecoderModule();

// The entry point of the module at `path`; null when it cannot be loaded.
OpenVideoDecoder loadVideoDecoderModule(const std::filesystem::path& path);

}  // namespace horaz::cli
