#pragma once

#include "cli/media/video_decoder.h"
#include "cli/media/video_encoder.h"

namespace horaz::cli {

// The decoding module's entry point, loaded on first use from the file
// HORAZ_VIDEO_DECODER names (empty: none), or else from beside the program
// or the plug-in's folder; null where there is none (ffmpeg then decodes in
// a process of its own). The codec libraries are loaded only with it.
OpenVideoDecoder videoDecoderModule();

// The same for the encoding module and HORAZ_VIDEO_ENCODER: null where
// there is none (ffmpeg then encodes in a process of its own).
OpenVideoEncoder videoEncoderModule();

}  // namespace horaz::cli
