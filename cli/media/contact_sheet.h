#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "cli/pixels/picture.h"

namespace horaz::cli {

// A grid of evenly spaced frames of a render, for a look at a glance: up to
// twelve thumbnails, four to a row, each at most 320 pixels wide, on a dark
// ground. Thread-safe: workers add thumbnails as they finish frames.
//
// When the number of frames is known, the frames are chosen up front. A
// stream of unknown length keeps every stride-th frame and doubles the stride
// whenever more than 24 are kept, so memory stays bounded and the kept
// frames stay evenly spaced; the sheet picks twelve of them at the end.
class ContactSheet {
 public:
  ContactSheet(std::optional<int64_t> frameCount, int32_t frameWidth, int32_t frameHeight);

  // Whether frame `index` (0-based within the render) may be on the sheet.
  bool wants(int64_t index) const;
  // Shrinks `frame` and keeps it if it is still wanted.
  void add(int64_t index, const RgbaPicture& frame);
  // Composes the sheet from the frames rendered (`rendered` of them).
  RgbaPicture compose(int64_t rendered) const;

 private:
  mutable std::mutex mutex_;
  std::optional<int64_t> frameCount_;
  std::vector<int64_t> chosen_;  // known length: the indexes, ascending
  int64_t stride_ = 1;           // unknown length
  std::map<int64_t, RgbaPicture> thumbnails_;
  int32_t thumbWidth_ = 0;
  int32_t thumbHeight_ = 0;
};

// `source` scaled to width x height: each target pixel is the mean of the
// source pixels it covers (a box filter), or the nearest one when enlarging.
void scalePicture(const RgbaPicture& source, int32_t width, int32_t height, RgbaPicture& target);

}  // namespace horaz::cli
