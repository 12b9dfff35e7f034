#include "studio/clip_preview.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "cli/commands/render_options.h"
#include "cli/pixels/frame_conversion.h"
#include "studio/request_error.h"
#include "testhost/registration.h"

namespace horaz::studio {

ClipPreview::ClipPreview(testhost::RenderHost& host, const cli::InputSettings& input) {
  // The viewer goes back and forth in the clip, which a stream cannot.
  if (input.source == "-")
    throw RequestError("the studio reads clips from files; '-' (standard input) is for horaz render");
  cli::Project alone;
  alone.input = input;
  std::vector<std::string> words = cli::renderArguments(alone);
  words.insert(words.end(), {"-o", "preview.y4m"});
  const std::vector<std::string_view> views(words.begin(), words.end());
  cli::RenderOptions options;
  try {
    options = cli::parseRenderOptions(views);
    std::vector<std::string> notes;  // format conversions the viewer need not report
    source_ = cli::openSource(options.input, notes);
  } catch (const std::exception& error) {
    throw RequestError(error.what());
  }
  const cli::FrameSource::Properties& properties = source_->properties();
  width_ = properties.width.value_or(options.size ? options.size->width : 1920);
  height_ = properties.height.value_or(options.size ? options.size->height : 1080);
  frameCount_ = properties.frameCount;
  if (testhost::isYcc(options.format) && width_ % 2 != 0)
    throw RequestError("--format " + input.format + " holds pixels in pairs and needs an even width, not " +
                       std::to_string(width_));
  source_->setSize(width_, height_);

  // As the tool plays the clip: top-down rows, fields in the asked order.
  settings_.framesPerSecond = options.frameRate ? options.frameRate->value() : 25.0;
  // The option is a pixel's width over its height; the host's frame answers
  // the other way round.
  const double pixelWidthOverHeight = options.pixelAspect ? options.pixelAspect->value() : 1.0;
  settings_.pixelAspect = testhost::frameAnswerForPixelAspect(pixelWidthOverHeight);
  settings_.aspect = width_ * pixelWidthOverHeight / height_;
  const cli::FieldOrder fields = options.fields.value_or(cli::FieldOrder::kNone);
  if (fields != cli::FieldOrder::kNone) {
    settings_.interlaced = true;
    settings_.fieldMode = 1;
    settings_.firstField = 1;
    if (fields == cli::FieldOrder::kUpperFirst) {
      settings_.secondFieldDelay = 0.5;
    } else {
      settings_.secondFieldDelay = -0.5;
      timeOffset_ = 0.5;
    }
  }
  testhost::FrameFormat format;
  format.pixels = options.format;
  input_ = host.makeFrame(width_, height_, format);
  output_ = host.makeFrame(width_, height_, format);
}

void ClipPreview::render(testhost::RenderHost& host, double time, int64_t start, cli::RgbaPicture& picture) {
  // The input is read from its start whatever the clip time, as the tool does.
  int64_t index = std::max<int64_t>(0, static_cast<int64_t>(std::floor(time)) - start);
  if (frameCount_ && *frameCount_ > 0) index = std::min(index, *frameCount_ - 1);
  if (index != filledIndex_) {
    const std::shared_ptr<const cli::SourceFrame> frame = source_->next(index);
    if (!frame) throw std::runtime_error("the input has no frame " + std::to_string(index));
    frame->fill(*input_.get());
    filledIndex_ = index;
  }
  const acf::Result result = host.renderFrame(time + timeOffset_, *input_.get(), *output_.get(), settings_);
  if (acf::failed(result)) throw std::runtime_error("the render failed with " + testhost::resultText(result));
  cli::frameToRgba(*output_.get(), picture);
}

}  // namespace horaz::studio
