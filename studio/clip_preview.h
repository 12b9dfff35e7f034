#pragma once

#include <cstdint>
#include <memory>

#include "cli/commands/project_file.h"
#include "cli/media/input_source.h"
#include "cli/pixels/picture.h"
#include "testhost/render_host.h"

namespace horaz::studio {

// The clip the viewer previews: the input opened as `horaz render` opens
// it, a pair of host frames of the clip's size and layout, and the render
// settings the tool would use for it.
class ClipPreview {
 public:
  // Checks the settings with the tool's own parser and opens the input.
  // Throws RequestError with the tool's message.
  ClipPreview(testhost::RenderHost& host, const cli::InputSettings& input);

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  double framesPerSecond() const { return settings_.framesPerSecond; }
  const testhost::RenderSettings& settings() const { return settings_; }
  // Frames the input holds; none for a generated or still input.
  std::optional<int64_t> frameCount() const { return frameCount_; }

  // Renders clip time `time` (frames) with the clip starting at `start`,
  // and converts the output frame to `picture`. Throws std::runtime_error
  // when the render fails.
  void render(testhost::RenderHost& host, double time, int64_t start, cli::RgbaPicture& picture);

 private:
  std::unique_ptr<cli::FrameSource> source_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::optional<int64_t> frameCount_;
  double timeOffset_ = 0.0;
  testhost::RenderSettings settings_;
  CountedRef<testhost::HostFrame> input_;
  CountedRef<testhost::HostFrame> output_;
  int64_t filledIndex_ = -1;
};

}  // namespace horaz::studio
