#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/media/input_source.h"
#include "cli/media/video_decoder.h"

namespace horaz::cli {

// The 8-bit planar layout a file's pixel format is read as: "yuv420p",
// "yuv422p" or "yuv444p", whichever keeps its chroma (10-bit and packed
// formats convert to the one of their subsampling, RGB to 4:4:4).
std::string planarFormatFor(const std::string& pixelFormat);

// Any video file ffmpeg reads, decoded by ffmpeg into a YUV4MPEG2 pipe: its
// rate, size, pixel aspect and field order come from the file. A pixel format
// that is converted on the way in gets a line in `notes`. Throws
// std::runtime_error for a file ffmpeg cannot read.
std::unique_ptr<FrameSource> openFfmpegSource(const std::string& path, const std::string& ffmpeg,
                                              const std::string& ffprobe, std::vector<std::string>& notes);

// A video file decoded in this process through the decoding module's
// `openDecoder`: its frames and header values are those openFfmpegSource
// would give. Null when there is no module or it leaves this file to ffmpeg.
std::unique_ptr<FrameSource> openDecodedSource(const std::string& path, OpenVideoDecoder openDecoder);

}  // namespace horaz::cli
