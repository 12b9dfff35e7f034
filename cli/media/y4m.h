#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/pixels/picture.h"
#include "cli/support/file_descriptor.h"

namespace horaz::cli {

// A frame rate or pixel aspect as the YUV4MPEG2 header writes it.
struct Ratio {
  int64_t numerator = 0;
  int64_t denominator = 1;
  double value() const { return static_cast<double>(numerator) / static_cast<double>(denominator); }
  friend bool operator==(const Ratio&, const Ratio&) = default;
};

// The stream header of a YUV4MPEG2 file. Only 8-bit 4:2:0, 4:2:2, 4:4:4
// and monochrome are taken; monochrome reads as 4:4:4 with neutral chroma.
struct Y4mHeader {
  int32_t width = 0;
  int32_t height = 0;
  Ratio frameRate{25, 1};
  // 'p' progressive, 't' top field first, 'b' bottom field first, 'm' mixed,
  // '?' unknown.
  char interlace = '?';
  Ratio pixelAspect{0, 0};  // 0:0 = unknown
  Chroma chroma = Chroma::k420;
  bool monochrome = false;
  // From the XCOLORRANGE tag; absent means studio range.
  std::optional<bool> fullRange;
};

// The header line (with its newline) for `header`.
std::string y4mHeaderText(const Y4mHeader& header);

// Reads a YUV4MPEG2 stream from a file or standard input ("-").
class Y4mReader {
 public:
  // Opens and reads the header; throws std::runtime_error with a message
  // naming the input.
  explicit Y4mReader(const std::string& path);
  // Reads from `fd` (a pipe from a decoder); `name` names it in messages.
  Y4mReader(UniqueFd fd, std::string name);

  const Y4mHeader& header() const { return header_; }
  // The next frame into `picture` (sized and typed from the header); false at
  // the end of the stream. A truncated frame throws.
  bool read(YuvPicture& picture);

 private:
  void readHeader();
  // A line of at most `limit` bytes, without its newline; false at the end
  // of the stream before any byte.
  bool readLine(std::string& line, size_t limit);
  size_t readBytes(uint8_t* destination, size_t count);

  std::string name_;
  UniqueFd ownedFd_;
  int fd_ = -1;
  Y4mHeader header_;
  std::vector<uint8_t> buffer_;
  size_t bufferStart_ = 0;
  size_t bufferEnd_ = 0;
  bool atEnd_ = false;
};

// A regular YUV4MPEG2 file. Its frames are read with positioned reads into a
// picture the caller keeps and reuses: the kernel copies from the page cache
// through its own address map, which costs less on virtual machines than
// converting from a mapping of the file (every page of it a translation of
// its own). Reads of different frames may run on different threads at once.
class Y4mFile {
 public:
  // Opens `path`, reads the header and finds every frame (each marker and
  // each frame's length are checked); throws std::runtime_error.
  static std::shared_ptr<Y4mFile> open(const std::string& path);

  const Y4mHeader& header() const { return header_; }
  int64_t frameCount() const { return static_cast<int64_t>(frames_.size()); }
  // Frame `index` into `picture` (sized and typed from the header; its
  // memory is reused when it already has the size). Monochrome frames get
  // neutral chroma. Throws std::runtime_error when the file changed under us.
  void read(int64_t index, YuvPicture& picture) const;

 private:
  Y4mFile() = default;
  std::string name_;
  UniqueFd fd_;
  Y4mHeader header_;
  std::vector<int64_t> frames_;  // offsets of each frame's first plane
};

// The bytes of one frame ("FRAME\n" and the three planes) in the header's
// chroma format; the picture must match the header's size and chroma.
void appendY4mFrame(const YuvPicture& picture, std::vector<uint8_t>& out);

}  // namespace horaz::cli
