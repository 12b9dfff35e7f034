#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cli/media/y4m.h"

namespace horaz::cli {

// What the encoding module is asked to write: the frames of `stream` (the
// YUV4MPEG2 stream horaz would pipe into ffmpeg) to `path`, with the
// arguments horaz would give ffmpeg before the output name.
struct EncodeJob {
  Y4mHeader stream;
  std::vector<std::string> arguments;
  std::string path;
  std::string name;  // the file as the user named it, for messages
};

// A video file encoded in this process: the file ffmpeg would write from
// the same stream and arguments.
class VideoEncoder {
 public:
  virtual ~VideoEncoder() = default;
  // One frame: its planes, Y, Cb, Cr, back to back without padding.
  // Throws std::runtime_error.
  virtual void write(std::span<const uint8_t> planes) = 0;
  // Encodes what is still held back, copies the rest of the sound and
  // closes the file. Throws std::runtime_error.
  virtual void finish() = 0;
};

// The encoding module's one entry point: an encoder for `job`, or null when
// the module does not take the job as it is (arguments it does not know,
// sound that is not copied, an encoder the libraries lack, ...), which an
// ffmpeg process then encodes instead. Never throws.
using OpenVideoEncoder = VideoEncoder* (*)(const EncodeJob& job);
inline constexpr const char* kOpenVideoEncoderSymbol = "horazOpenVideoEncoder";

}  // namespace horaz::cli
