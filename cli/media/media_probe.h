#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace horaz::cli {

// What ffprobe says about a video file: its first video stream and its
// sound streams.
struct MediaProbe {
  std::string pixelFormat;            // "yuv420p10le"; empty without a video stream
  std::optional<int64_t> frameCount;  // when the container records it
  int32_t height = 0;
  std::string colourSpace;               // "bt709", "unknown", ...
  std::string colourRange;               // "tv", "pc", "unknown"
  std::vector<std::string> audioCodecs;  // "aac", "pcm_s16le", ... one per stream
};

// Runs `ffprobe` on `path`, quietly: nullopt when it cannot read the file
// (the decoder, which runs beside it, says why).
std::optional<MediaProbe> probeMedia(const std::string& ffprobe, const std::string& path);

// ffprobe's "key=value" lines of [STREAM] sections into a MediaProbe.
MediaProbe parseProbeOutput(const std::string& text);

}  // namespace horaz::cli
