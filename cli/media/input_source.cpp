#include "cli/media/input_source.h"

#include <sys/stat.h>

#include <charconv>
#include <fstream>
#include <mutex>
#include <vector>

#include "cli/media/ffmpeg_input.h"
#include "cli/media/output_writer.h"
#include "cli/media/png_io.h"
#include "cli/media/test_pattern.h"
#include "cli/media/video_codec_modules.h"
#include "cli/media/y4m_frames.h"
#include "cli/pixels/frame_conversion.h"
#include "cli/support/usage_error.h"

namespace horaz::cli {
namespace {

class StillFrame final : public SourceFrame {
 public:
  explicit StillFrame(RgbaPicture picture) : picture_(std::move(picture)) {}
  void fill(testhost::HostFrame& frame) const override { fillFrame(picture_, frame); }
  const void* still() const override { return this; }
  const RgbaPicture& picture() const { return picture_; }

 private:
  RgbaPicture picture_;
};

class PatternFrame final : public SourceFrame {
 public:
  explicit PatternFrame(int64_t index) : index_(index) {}
  void fill(testhost::HostFrame& frame) const override {
    // Each worker draws into its own picture, kept between frames.
    thread_local RgbaPicture picture;
    picture.allocate(frame.width(), frame.height());
    drawTestPattern(index_, picture);
    fillFrame(picture, frame);
  }

 private:
  int64_t index_;
};

// A frame of a Y4M file, read by the worker that fills it: into a picture
// each worker keeps, so the read lands in memory it already has and the
// conversion finds the bytes still in its cache. Used while every core has
// a worker: the reads then go on in parallel.
class FileFrame final : public SourceFrame {
 public:
  FileFrame(std::shared_ptr<const Y4mFile> file, int64_t index) : file_(std::move(file)), index_(index) {}
  void fill(testhost::HostFrame& frame) const override {
    thread_local YuvPicture picture;
    file_->read(index_, picture);
    fillFrame(picture, frame);
  }

 private:
  std::shared_ptr<const Y4mFile> file_;
  int64_t index_;
};

// A regular Y4M file, read frame by frame at known offsets.
class Y4mFileSource final : public FrameSource {
 public:
  explicit Y4mFileSource(const std::string& path) : file_(Y4mFile::open(path)) {
    properties_ = y4mProperties(file_->header());
    properties_.frameCount = file_->frameCount();
  }
  const Properties& properties() const override { return properties_; }
  std::shared_ptr<const SourceFrame> next(int64_t index) override {
    if (index >= file_->frameCount()) return nullptr;
    if (!readHere_) return std::make_shared<FileFrame>(file_, index);
    std::unique_ptr<YuvPicture> picture = pool_->take();
    file_->read(index, *picture);
    return std::make_shared<YuvFrame>(std::move(picture), pool_);
  }
  void setSize(int32_t, int32_t) override {}
  void readOnCallingThread(bool yes) override { readHere_ = yes; }

 private:
  std::shared_ptr<Y4mFile> file_;
  bool readHere_ = true;
  std::shared_ptr<PicturePool> pool_ = std::make_shared<PicturePool>();
  Properties properties_;
};

// A Y4M stream (standard input, a pipe), read frame by frame.
class Y4mSource final : public FrameSource {
 public:
  explicit Y4mSource(const std::string& path) : reader_(path) { properties_ = y4mProperties(reader_.header()); }
  const Properties& properties() const override { return properties_; }
  std::shared_ptr<const SourceFrame> next(int64_t) override { return nextY4mFrame(reader_, pool_); }
  void setSize(int32_t, int32_t) override {}

 private:
  Y4mReader reader_;
  Properties properties_;
  std::shared_ptr<PicturePool> pool_ = std::make_shared<PicturePool>();
};

class StillSource final : public FrameSource {
 public:
  explicit StillSource(RgbaPicture picture, bool sized) : sized_(sized) {
    if (sized_) {
      properties_.width = picture.width;
      properties_.height = picture.height;
    }
    frame_ = std::make_shared<StillFrame>(std::move(picture));
  }
  const Properties& properties() const override { return properties_; }
  std::shared_ptr<const SourceFrame> next(int64_t) override { return frame_; }
  void setSize(int32_t width, int32_t height) override {
    if (sized_) return;
    // A solid colour: one pixel's worth, spread to the render's size.
    RgbaPicture picture;
    picture.allocate(width, height);
    const uint8_t* colour = frame_->picture().pixels.data();
    for (size_t i = 0; i < picture.pixels.size(); i += 4) std::copy(colour, colour + 4, picture.pixels.data() + i);
    frame_ = std::make_shared<StillFrame>(std::move(picture));
  }

 private:
  bool sized_;
  Properties properties_;
  std::shared_ptr<StillFrame> frame_;
};

class PatternSource final : public FrameSource {
 public:
  const Properties& properties() const override { return properties_; }
  std::shared_ptr<const SourceFrame> next(int64_t index) override { return std::make_shared<PatternFrame>(index); }
  void setSize(int32_t, int32_t) override {}

 private:
  Properties properties_;
};

RgbaPicture parseColour(const std::string& input) {
  std::string_view rest = std::string_view(input).substr(6);  // after "color:"
  uint8_t channels[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    const size_t comma = rest.find(',');
    const std::string_view part = rest.substr(0, comma);
    unsigned value = 256;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || error != std::errc() || end != part.data() + part.size() || value > 255 ||
        (i < 2) == (comma == std::string_view::npos))
      throw UsageError("-i " + input + ": a solid colour is color:R,G,B with each from 0 to 255, e.g. color:0,0,0");
    channels[i] = static_cast<uint8_t>(value);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  RgbaPicture picture;
  picture.allocate(1, 1);
  picture.pixels = {channels[0], channels[1], channels[2], 255};
  return picture;
}

bool startsWithBytes(const std::string& path, std::string_view magic) {
  std::ifstream file(path, std::ios::binary);
  std::string head(magic.size(), '\0');
  return file.read(head.data(), static_cast<std::streamsize>(head.size())) && head == magic;
}

}  // namespace

std::unique_ptr<FrameSource> openSource(const std::string& input, std::vector<std::string>& notes) {
  if (input == "pattern") return std::make_unique<PatternSource>();
  if (input.starts_with("color:") || input.starts_with("colour:")) {
    const std::string normalised = input.starts_with("colour:") ? "color:" + input.substr(7) : input;
    return std::make_unique<StillSource>(parseColour(normalised), false);
  }
  if (input == "-") return std::make_unique<Y4mSource>(input);
  struct stat status {};
  if (::stat(input.c_str(), &status) != 0) throw std::runtime_error(input + ": no such file");
  if (!S_ISREG(status.st_mode)) return std::make_unique<Y4mSource>(input);  // a FIFO or device
  if (startsWithBytes(input, "\x89PNG")) return std::make_unique<StillSource>(readPng(input), true);
  if (startsWithBytes(input, "YUV4MPEG2")) return std::make_unique<Y4mFileSource>(input);
  // Anything else is a video file: decoded here when the decoding module
  // takes it, else by ffmpeg in a process of its own.
  if (std::unique_ptr<FrameSource> decoded = openDecodedSource(input, videoDecoderModule())) return decoded;
  const std::optional<std::string> ffmpeg = findProgram("ffmpeg"), ffprobe = findProgram("ffprobe");
  if (!ffmpeg || !ffprobe)
    throw std::runtime_error(input +
                             ": neither a YUV4MPEG2 stream nor a PNG picture; other video is read through "
                             "ffmpeg, which is not on PATH (Debian: apt-get install ffmpeg)");
  return openFfmpegSource(input, *ffmpeg, *ffprobe, notes);
}

}  // namespace horaz::cli
