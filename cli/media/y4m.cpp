#include "cli/media/y4m.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace horaz::cli {
namespace {

constexpr std::string_view kMagic = "YUV4MPEG2";
constexpr size_t kBufferSize = 1 << 16;
// Frames larger than this are refused rather than allocated.
constexpr int64_t kMaxPixels = int64_t{1} << 28;

[[noreturn]] void fail(const std::string& name, const std::string& message) {
  throw std::runtime_error(name + ": " + message);
}

bool parseInt(std::string_view text, int64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool parseRatio(std::string_view text, Ratio& ratio) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  return parseInt(text.substr(0, colon), ratio.numerator) && parseInt(text.substr(colon + 1), ratio.denominator) &&
         ratio.numerator >= 0 && ratio.denominator >= 0;
}

std::string_view chromaTag(Chroma chroma) {
  switch (chroma) {
    case Chroma::k420: return "420jpeg";
    case Chroma::k422: return "422";
    case Chroma::k444: return "444";
  }
  return "420jpeg";
}

void parseHeader(const std::string& name, std::string_view line, Y4mHeader& header) {
  if (line.substr(0, kMagic.size()) != kMagic) fail(name, "not a YUV4MPEG2 stream (no YUV4MPEG2 signature)");
  line.remove_prefix(kMagic.size());
  bool haveWidth = false, haveHeight = false;
  while (!line.empty()) {
    if (line.front() == ' ') {
      line.remove_prefix(1);
      continue;
    }
    const size_t end = std::min(line.find(' '), line.size());
    const std::string_view token = line.substr(0, end);
    line.remove_prefix(end);
    const std::string_view value = token.substr(1);
    int64_t number = 0;
    switch (token.front()) {
      case 'W':
        if (!parseInt(value, number) || number <= 0 || number > 65536) fail(name, "bad width in the header");
        header.width = static_cast<int32_t>(number);
        haveWidth = true;
        break;
      case 'H':
        if (!parseInt(value, number) || number <= 0 || number > 65536) fail(name, "bad height in the header");
        header.height = static_cast<int32_t>(number);
        haveHeight = true;
        break;
      case 'F':
        if (!parseRatio(value, header.frameRate) || header.frameRate.numerator == 0 ||
            header.frameRate.denominator == 0)
          fail(name, "bad frame rate in the header");
        break;
      case 'I':
        if (value.size() != 1 || std::string_view("ptbm?").find(value.front()) == std::string_view::npos)
          fail(name, "bad interlacing tag in the header");
        header.interlace = value.front();
        break;
      case 'A':
        if (!parseRatio(value, header.pixelAspect)) fail(name, "bad pixel aspect in the header");
        break;
      case 'C':
        if (value == "420jpeg" || value == "420paldv" || value == "420mpeg2" || value == "420") {
          header.chroma = Chroma::k420;
        } else if (value == "422") {
          header.chroma = Chroma::k422;
        } else if (value == "444") {
          header.chroma = Chroma::k444;
        } else if (value == "mono") {
          header.chroma = Chroma::k444;
          header.monochrome = true;
        } else {
          fail(name,
               "colour space C" + std::string(value) + " is not supported (8-bit 4:2:0, 4:2:2, 4:4:4 or mono only)");
        }
        break;
      case 'X':
        if (value == "COLORRANGE=FULL") header.fullRange = true;
        if (value == "COLORRANGE=LIMITED") header.fullRange = false;
        break;
      default: break;  // unknown tags are ignored, as the format asks
    }
  }
  if (!haveWidth || !haveHeight) fail(name, "the header has no width or height");
  if (int64_t{header.width} * header.height > kMaxPixels) fail(name, "the frame size is too large");
}

}  // namespace

std::string y4mHeaderText(const Y4mHeader& header) {
  std::string text = "YUV4MPEG2 W" + std::to_string(header.width) + " H" + std::to_string(header.height) + " F" +
                     std::to_string(header.frameRate.numerator) + ":" + std::to_string(header.frameRate.denominator) +
                     " I" + std::string(1, header.interlace) + " A" + std::to_string(header.pixelAspect.numerator) +
                     ":" + std::to_string(header.pixelAspect.denominator) + " C" +
                     std::string(chromaTag(header.chroma));
  if (header.fullRange) text += *header.fullRange ? " XCOLORRANGE=FULL" : " XCOLORRANGE=LIMITED";
  text += '\n';
  return text;
}

Y4mReader::Y4mReader(const std::string& path) : buffer_(kBufferSize) {
  if (path == "-") {
    name_ = "standard input";
    fd_ = STDIN_FILENO;
  } else {
    name_ = path;
    ownedFd_.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!ownedFd_) fail(path, std::strerror(errno));
    fd_ = ownedFd_.get();
  }
  enlargePipe(fd_);
  readHeader();
}

Y4mReader::Y4mReader(UniqueFd fd, std::string name)
    : name_(std::move(name)), ownedFd_(std::move(fd)), fd_(ownedFd_.get()), buffer_(kBufferSize) {
  readHeader();
}

void Y4mReader::readHeader() {
  std::string line;
  if (!readLine(line, 4096)) fail(name_, "empty input (expected a YUV4MPEG2 stream)");
  parseHeader(name_, line, header_);
}

bool Y4mReader::readLine(std::string& line, size_t limit) {
  line.clear();
  for (;;) {
    if (bufferStart_ == bufferEnd_) {
      if (atEnd_) break;
      bufferStart_ = 0;
      // What is at hand: a pipe need not fill the whole buffer.
      bufferEnd_ = readSome(fd_, std::span(buffer_.data(), buffer_.size()), name_);
      if (bufferEnd_ == 0) {
        atEnd_ = true;
        break;
      }
    }
    const uint8_t* begin = buffer_.data() + bufferStart_;
    const uint8_t* end = buffer_.data() + bufferEnd_;
    const uint8_t* newline = std::find(begin, end, '\n');
    line.append(begin, newline);
    bufferStart_ = static_cast<size_t>(newline - buffer_.data());
    if (line.size() > limit) fail(name_, "header line too long (not a YUV4MPEG2 stream?)");
    if (newline != end) {
      ++bufferStart_;
      return true;
    }
  }
  if (line.empty()) return false;
  fail(name_, "the stream ends inside a header line");
}

size_t Y4mReader::readBytes(uint8_t* destination, size_t count) {
  size_t done = 0;
  const size_t buffered = std::min(count, bufferEnd_ - bufferStart_);
  std::memcpy(destination, buffer_.data() + bufferStart_, buffered);
  bufferStart_ += buffered;
  done += buffered;
  if (done < count && !atEnd_) {
    const size_t got = readFully(fd_, std::span(destination + done, count - done), name_);
    done += got;
    if (done < count) atEnd_ = true;
  }
  return done;
}

bool Y4mReader::read(YuvPicture& picture) {
  std::string line;
  if (!readLine(line, 4096)) return false;
  if (line.substr(0, 5) != "FRAME") fail(name_, "expected a FRAME marker between frames");
  picture.allocate(header_.width, header_.height, header_.chroma);
  picture.fullRange = header_.fullRange.value_or(false);
  const auto readPlane = [&](testhost::FrameBytes& plane) {
    if (readBytes(plane.data(), plane.size()) != plane.size()) fail(name_, "the last frame is cut short");
  };
  readPlane(picture.y);
  if (header_.monochrome) {
    std::fill(picture.cb.begin(), picture.cb.end(), uint8_t{128});
    std::fill(picture.cr.begin(), picture.cr.end(), uint8_t{128});
  } else {
    readPlane(picture.cb);
    readPlane(picture.cr);
  }
  return true;
}

std::shared_ptr<Y4mFile> Y4mFile::open(const std::string& path) {
  std::shared_ptr<Y4mFile> file(new Y4mFile());
  file->name_ = path;
  file->fd_.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file->fd_) fail(path, std::strerror(errno));
  const int fd = file->fd_.get();
  struct stat status {};
  if (::fstat(fd, &status) != 0) fail(path, std::strerror(errno));
  const auto size = static_cast<int64_t>(status.st_size);
  if (size == 0) fail(path, "empty input (expected a YUV4MPEG2 stream)");
    // Frames are read front to back; the kernel may read ahead generously.
#if defined(POSIX_FADV_SEQUENTIAL)
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif

  // A header line or frame marker of at most 4096 bytes, from `offset`,
  // without its newline; `end` gets the offset after the newline.
  std::string line(4097, '\0');
  const auto lineAt = [&](int64_t offset, int64_t& end) -> std::string_view {
    // Most markers are "FRAME\n": a short read finds them.
    size_t got = 0;
    for (const size_t want : {size_t{64}, line.size()}) {
      got = readFullyAt(fd, std::span(reinterpret_cast<uint8_t*>(line.data()), want), offset, path);
      const size_t newline = std::string_view(line.data(), got).find('\n');
      if (newline != std::string_view::npos) {
        end = offset + static_cast<int64_t>(newline) + 1;
        return {line.data(), newline};
      }
      if (got < want) break;
    }
    end = -1;
    return {line.data(), got};
  };

  int64_t offset = 0;
  const std::string_view headerLine = lineAt(0, offset);
  if (offset < 0) fail(path, "no header line (not a YUV4MPEG2 stream?)");
  parseHeader(path, headerLine, file->header_);
  YuvPicture shape;
  shape.width = file->header_.width;
  shape.height = file->header_.height;
  shape.chroma = file->header_.chroma;
  const int64_t luma = int64_t{shape.width} * shape.height;
  const int64_t chroma = int64_t{shape.chromaWidth()} * shape.chromaHeight();
  const int64_t frameBytes = luma + (file->header_.monochrome ? 0 : 2 * chroma);
  // Walk the frames once: every marker and every plane must be there.
  while (offset < size) {
    int64_t markerEnd = 0;
    const std::string_view marker = lineAt(offset, markerEnd);
    if (marker.substr(0, 5) != "FRAME") fail(path, "expected a FRAME marker between frames");
    if (markerEnd < 0) fail(path, "a FRAME marker has no end");
    offset = markerEnd;
    if (size - offset < frameBytes) fail(path, "the last frame is cut short");
    file->frames_.push_back(offset);
    offset += frameBytes;
  }
  return file;
}

void Y4mFile::read(int64_t index, YuvPicture& picture) const {
  picture.allocate(header_.width, header_.height, header_.chroma);
  picture.fullRange = header_.fullRange.value_or(false);
  int64_t offset = frames_.at(static_cast<size_t>(index));
  const auto readPlane = [&](testhost::FrameBytes& plane) {
    if (readFullyAt(fd_.get(), plane, offset, name_) != plane.size()) fail(name_, "the file got shorter while read");
    offset += static_cast<int64_t>(plane.size());
  };
  readPlane(picture.y);
  if (header_.monochrome) {
    std::fill(picture.cb.begin(), picture.cb.end(), uint8_t{128});
    std::fill(picture.cr.begin(), picture.cr.end(), uint8_t{128});
  } else {
    readPlane(picture.cb);
    readPlane(picture.cr);
  }
}

void appendY4mFrame(const YuvPicture& picture, std::vector<uint8_t>& out) {
  static constexpr std::string_view kFrame = "FRAME\n";
  out.reserve(out.size() + kFrame.size() + picture.y.size() + picture.cb.size() + picture.cr.size());
  out.insert(out.end(), kFrame.begin(), kFrame.end());
  out.insert(out.end(), picture.y.begin(), picture.y.end());
  out.insert(out.end(), picture.cb.begin(), picture.cb.end());
  out.insert(out.end(), picture.cr.begin(), picture.cr.end());
}

}  // namespace horaz::cli
