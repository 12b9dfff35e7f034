#include "cli/media/contact_sheet.h"

#include <algorithm>
#include <cstring>

namespace horaz::cli {
namespace {

constexpr int64_t kThumbnails = 12;
constexpr size_t kMaxKept = 2 * kThumbnails;
constexpr int32_t kMaxColumns = 4;
constexpr int32_t kMaxThumbWidth = 320;
constexpr int32_t kGap = 8;
constexpr uint8_t kGround = 40;

// `count` (at most kThumbnails) evenly spaced positions in 0 .. total - 1.
std::vector<int64_t> evenlySpaced(int64_t total, int64_t count) {
  std::vector<int64_t> positions;
  for (int64_t k = 0; k < count; ++k) positions.push_back(count == 1 ? 0 : k * (total - 1) / (count - 1));
  return positions;
}

}  // namespace

void scalePicture(const RgbaPicture& source, int32_t width, int32_t height, RgbaPicture& target) {
  target.allocate(width, height);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t top = static_cast<int32_t>(int64_t{y} * source.height / height);
    const int32_t bottom = std::max(top + 1, static_cast<int32_t>(int64_t{y + 1} * source.height / height));
    uint8_t* out = target.row(y);
    for (int32_t x = 0; x < width; ++x, out += 4) {
      const int32_t left = static_cast<int32_t>(int64_t{x} * source.width / width);
      const int32_t right = std::max(left + 1, static_cast<int32_t>(int64_t{x + 1} * source.width / width));
      uint32_t sums[4] = {0, 0, 0, 0};
      for (int32_t sy = top; sy < bottom; ++sy) {
        const uint8_t* in = source.row(sy) + static_cast<size_t>(left) * 4;
        for (int32_t sx = left; sx < right; ++sx, in += 4)
          for (int c = 0; c < 4; ++c) sums[c] += in[c];
      }
      const auto count = static_cast<uint32_t>((bottom - top) * (right - left));
      for (int c = 0; c < 4; ++c) out[c] = static_cast<uint8_t>((sums[c] + count / 2) / count);
    }
  }
}

ContactSheet::ContactSheet(std::optional<int64_t> frameCount, int32_t frameWidth, int32_t frameHeight)
    : frameCount_(frameCount) {
  if (frameCount_) chosen_ = evenlySpaced(*frameCount_, std::clamp<int64_t>(*frameCount_, 1, kThumbnails));
  thumbWidth_ = std::min(frameWidth, kMaxThumbWidth);
  thumbHeight_ = std::max<int32_t>(1, static_cast<int32_t>(int64_t{frameHeight} * thumbWidth_ / frameWidth));
}

bool ContactSheet::wants(int64_t index) const {
  std::lock_guard lock(mutex_);
  if (frameCount_) return std::binary_search(chosen_.begin(), chosen_.end(), index);
  return index % stride_ == 0;
}

void ContactSheet::add(int64_t index, const RgbaPicture& frame) {
  RgbaPicture thumb;
  scalePicture(frame, thumbWidth_, thumbHeight_, thumb);
  for (size_t i = 3; i < thumb.pixels.size(); i += 4) thumb.pixels[i] = 255;
  std::lock_guard lock(mutex_);
  if (frameCount_ ? !std::binary_search(chosen_.begin(), chosen_.end(), index) : index % stride_ != 0) return;
  thumbnails_[index] = std::move(thumb);
  while (!frameCount_ && thumbnails_.size() > kMaxKept) {
    stride_ *= 2;
    std::erase_if(thumbnails_, [&](const auto& entry) { return entry.first % stride_ != 0; });
  }
}

RgbaPicture ContactSheet::compose(int64_t rendered) const {
  std::lock_guard lock(mutex_);
  // The thumbnails to show: those of the frames actually rendered, twelve
  // of them evenly spaced when more are kept.
  std::vector<const RgbaPicture*> shown;
  std::vector<const RgbaPicture*> kept;
  for (const auto& [index, thumb] : thumbnails_)
    if (index < rendered) kept.push_back(&thumb);
  const auto count = std::min<int64_t>(static_cast<int64_t>(kept.size()), kThumbnails);
  for (const int64_t position : evenlySpaced(static_cast<int64_t>(kept.size()), count))
    shown.push_back(kept[static_cast<size_t>(position)]);

  const auto columns = static_cast<int32_t>(std::clamp<int64_t>(count, 1, kMaxColumns));
  const auto rows = static_cast<int32_t>(std::max<int64_t>(1, (count + columns - 1) / columns));
  RgbaPicture sheet;
  sheet.allocate(kGap + columns * (thumbWidth_ + kGap), kGap + rows * (thumbHeight_ + kGap));
  for (size_t i = 0; i < sheet.pixels.size(); i += 4) {
    sheet.pixels[i] = sheet.pixels[i + 1] = sheet.pixels[i + 2] = kGround;
    sheet.pixels[i + 3] = 255;
  }
  for (size_t slot = 0; slot < shown.size(); ++slot) {
    const int32_t left = kGap + static_cast<int32_t>(slot % static_cast<size_t>(columns)) * (thumbWidth_ + kGap);
    const int32_t top = kGap + static_cast<int32_t>(slot / static_cast<size_t>(columns)) * (thumbHeight_ + kGap);
    for (int32_t y = 0; y < thumbHeight_; ++y)
      std::memcpy(sheet.row(top + y) + static_cast<size_t>(left) * 4, shown[slot]->row(y),
                  static_cast<size_t>(thumbWidth_) * 4);
  }
  return sheet;
}

}  // namespace horaz::cli
