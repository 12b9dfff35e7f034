#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "cli/media/input_source.h"
#include "cli/media/y4m.h"
#include "cli/pixels/frame_conversion.h"

namespace horaz::cli {

// What a Y4M stream's header says about the clip.
FrameSource::Properties y4mProperties(const Y4mHeader& header);

// Pictures of a stream, handed back when their frame is done, so that each
// frame is read into memory that is already mapped.
class PicturePool {
 public:
  std::unique_ptr<YuvPicture> take() {
    std::lock_guard lock(mutex_);
    if (free_.empty()) return std::make_unique<YuvPicture>();
    std::unique_ptr<YuvPicture> picture = std::move(free_.back());
    free_.pop_back();
    return picture;
  }
  void give(std::unique_ptr<YuvPicture> picture) {
    std::lock_guard lock(mutex_);
    free_.push_back(std::move(picture));
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<YuvPicture>> free_;
};

// A frame read from a stream; its picture goes back to the pool when done.
class YuvFrame final : public SourceFrame {
 public:
  YuvFrame(std::unique_ptr<YuvPicture> picture, std::shared_ptr<PicturePool> pool)
      : picture_(std::move(picture)), pool_(std::move(pool)) {}
  ~YuvFrame() override { pool_->give(std::move(picture_)); }
  void fill(testhost::HostFrame& frame) const override { fillFrame(*picture_, frame); }

 private:
  std::unique_ptr<YuvPicture> picture_;
  std::shared_ptr<PicturePool> pool_;
};

// The next frame of `reader` in a picture from `pool`, its samples of
// `matrix`; null at the end.
std::shared_ptr<const SourceFrame> nextY4mFrame(Y4mReader& reader, const std::shared_ptr<PicturePool>& pool,
                                                Matrix matrix = Matrix::kBt601);

}  // namespace horaz::cli
