#include "cli/media/media_probe.h"

#include <map>
#include <sstream>
#include <stdexcept>

#include "cli/support/child_process.h"
#include "testhost/number_text.h"

namespace horaz::cli {

MediaProbe parseProbeOutput(const std::string& text) {
  MediaProbe probe;
  bool haveVideo = false;
  std::map<std::string, std::string> stream;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line == "[STREAM]") {
      stream.clear();
    } else if (line == "[/STREAM]") {
      if (stream["codec_type"] == "audio") {
        probe.audioCodecs.push_back(stream["codec_name"]);
      } else if (stream["codec_type"] == "video" && !haveVideo) {
        haveVideo = true;
        probe.pixelFormat = stream["pix_fmt"];
        probe.colourSpace = stream["color_space"];
        probe.colourRange = stream["color_range"];
        int64_t height = 0;
        if (testhost::parseInt64(stream["height"], height) && height > 0 && height <= 65536)
          probe.height = static_cast<int32_t>(height);
        int64_t frames = 0;
        if (testhost::parseInt64(stream["nb_frames"], frames) && frames > 0) probe.frameCount = frames;
      }
    } else if (const size_t equals = line.find('='); equals != std::string::npos) {
      stream[line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return probe;
}

std::optional<MediaProbe> probeMedia(const std::string& ffprobe, const std::string& path) {
  try {
    return parseProbeOutput(
        runForOutput({ffprobe, "-v", "quiet", "-show_entries",
                      "stream=codec_type,codec_name,pix_fmt,height,nb_frames,color_space,color_range", "-of", "default",
                      "file:" + path}));
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

}  // namespace horaz::cli
