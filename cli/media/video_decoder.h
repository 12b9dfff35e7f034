#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/media/y4m.h"

namespace horaz::cli {

// What a video file says about its first video stream, as the decoder found
// it on its first frame: the header ffmpeg would write for it as YUV4MPEG2,
// and what ffprobe would tell besides; and the codecs of its sound streams.
struct DecodedVideo {
  Y4mHeader header;
  std::string colourSpace;  // "bt709", "unknown", ...
  std::optional<int64_t> frameCount;
  std::vector<std::string> audioCodecs;
};

// One decoded picture, in the decoder's own memory: the planes stay valid
// until it is destroyed, on whichever thread, before or after its decoder.
class DecodedPicture {
 public:
  virtual ~DecodedPicture() = default;
  // Planes of the header's size and chroma (range and matrix left unset).
  virtual YuvView planes() const = 0;
};

// A video file decoded in this process, one frame per frame time: frames
// late for their time are dropped and frames that last longer repeated, as
// ffmpeg does when it writes a stream of constant rate.
class VideoDecoder {
 public:
  virtual ~VideoDecoder() = default;
  virtual const DecodedVideo& video() const = 0;
  // The next frame's picture; null at the end. Throws std::runtime_error.
  virtual std::unique_ptr<DecodedPicture> next() = 0;
};

// The decoding module's one entry point: a decoder for `path`, or null when
// the module does not decode this file as it is (no video, a layout other
// than 8-bit planar 4:2:0, 4:2:2 or 4:4:4 in studio or tagged range, ...),
// which ffmpeg then reads instead. Never throws.
using OpenVideoDecoder = VideoDecoder* (*)(const char* path);
inline constexpr const char* kOpenVideoDecoderSymbol = "horazOpenVideoDecoder";

}  // namespace horaz::cli
