#include "cli/media/y4m_frames.h"

namespace horaz::cli {

FrameSource::Properties y4mProperties(const Y4mHeader& header) {
  FrameSource::Properties properties;
  properties.width = header.width;
  properties.height = header.height;
  properties.frameRate = header.frameRate;
  if (header.pixelAspect.numerator > 0 && header.pixelAspect.denominator > 0)
    properties.pixelAspect = header.pixelAspect;
  if (header.interlace == 'p' || header.interlace == 't' || header.interlace == 'b')
    properties.interlace = header.interlace;
  properties.fullRange = header.fullRange.value_or(false);
  properties.endless = false;
  return properties;
}

std::shared_ptr<const SourceFrame> nextY4mFrame(Y4mReader& reader, const std::shared_ptr<PicturePool>& pool,
                                                Matrix matrix) {
  std::unique_ptr<YuvPicture> picture = pool->take();
  if (!reader.read(*picture)) return nullptr;
  picture->matrix = matrix;
  return std::make_shared<YuvFrame>(std::move(picture), pool);
}

}  // namespace horaz::cli
