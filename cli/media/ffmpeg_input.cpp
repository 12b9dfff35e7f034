#include "cli/media/ffmpeg_input.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "cli/media/media_probe.h"
#include "cli/media/video_decoder.h"
#include "cli/media/y4m_frames.h"
#include "cli/support/child_process.h"
#include "cli/support/interrupt.h"

namespace horaz::cli {
namespace {

// High definition is BT.709 unless it says otherwise. Our frames are
// BT.601, so such pictures are converted as they fill a frame (and the
// encoder's are converted back for such a size): the clock is drawn in the
// colours it was given.
Matrix matrixOf(int32_t height, const std::string& colourSpace) {
  return height > 576 && (colourSpace == "bt709" || colourSpace == "unknown" || colourSpace.empty()) ? Matrix::kBt709
                                                                                                     : Matrix::kBt601;
}

std::vector<std::string> decoderArguments(const std::string& path, const std::string& ffmpeg,
                                          const std::string& planarFormat) {
  std::vector<std::string> arguments{ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin",
                                     "-i",   "file:" + path, "-map",      "0:v:0"};
  arguments.insert(arguments.end(), {"-pix_fmt", planarFormat, "-f", "yuv4mpegpipe", "-strict", "-1", "pipe:1"});
  return arguments;
}

class FfmpegSource final : public FrameSource {
 public:
  FfmpegSource(std::unique_ptr<ChildProcess> decoder, const std::string& path, const MediaProbe& probe)
      : decoder_(std::move(decoder)),
        reader_(std::move(decoder_->pipe()), path + " (through ffmpeg)"),
        path_(path),
        matrix_(matrixOf(probe.height, probe.colourSpace)) {
    properties_ = y4mProperties(reader_.header());
    properties_.frameCount = probe.frameCount;
    properties_.audioCodecs = probe.audioCodecs;
    properties_.soundFile = path;
  }
  // Stopped early (--frames), ffmpeg is ended before the pipe closes, not
  // left to report the closed pipe.
  ~FfmpegSource() override { decoder_->stop(); }
  const Properties& properties() const override { return properties_; }
  std::shared_ptr<const SourceFrame> next(int64_t) override {
    std::shared_ptr<const SourceFrame> frame = nextY4mFrame(reader_, pool_, matrix_);
    // The end of the stream is the end of the clip only if ffmpeg says so.
    if (!frame)
      if (const std::string failure = decoder_->finish(); !failure.empty())
        throw std::runtime_error(path_ + ": ffmpeg stopped reading it (" + failure + ")");
    return frame;
  }
  void setSize(int32_t, int32_t) override {}

 private:
  std::unique_ptr<ChildProcess> decoder_;
  Y4mReader reader_;
  std::string path_;
  Matrix matrix_;
  Properties properties_;
  std::shared_ptr<PicturePool> pool_ = std::make_shared<PicturePool>();
};

// A decoded picture as a frame of the clip, converted straight from the
// decoder's memory.
class DecodedFrame final : public SourceFrame {
 public:
  DecodedFrame(std::unique_ptr<DecodedPicture> picture, bool fullRange, Matrix matrix)
      : picture_(std::move(picture)), fullRange_(fullRange), matrix_(matrix) {}
  void fill(testhost::HostFrame& frame) const override {
    YuvView view = picture_->planes();
    view.fullRange = fullRange_;
    view.matrix = matrix_;
    fillFrame(view, frame);
  }

 private:
  std::unique_ptr<DecodedPicture> picture_;
  bool fullRange_;
  Matrix matrix_;
};

// A video file decoded in this process by the decoding module, a few frames
// ahead on a thread of its own: the decoding goes on while the render
// thread writes, as an ffmpeg process writing into a pipe would.
class DecodedSource final : public FrameSource {
 public:
  DecodedSource(std::unique_ptr<VideoDecoder> decoder, const std::string& path)
      : decoder_(std::move(decoder)),
        video_(decoder_->video()),
        matrix_(matrixOf(video_.header.height, video_.colourSpace)) {
    properties_ = y4mProperties(video_.header);
    properties_.frameCount = video_.frameCount;
    properties_.audioCodecs = video_.audioCodecs;
    properties_.soundFile = path;
  }
  ~DecodedSource() override {
    if (!decoding_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    roomFreed_.notify_all();
    decoding_.join();
  }
  const Properties& properties() const override { return properties_; }
  std::shared_ptr<const SourceFrame> next(int64_t) override {
    if (!decoding_.joinable()) decoding_ = startBackgroundThread([this] { decodeAhead(); });
    std::unique_lock lock(mutex_);
    frameDecoded_.wait(lock, [this] { return !decoded_.empty() || ended_; });
    if (decoded_.empty()) {
      if (error_) std::rethrow_exception(error_);
      return nullptr;
    }
    std::shared_ptr<const SourceFrame> frame = std::move(decoded_.front());
    decoded_.pop_front();
    roomFreed_.notify_one();
    return frame;
  }
  void setSize(int32_t, int32_t) override {}

 private:
  static constexpr size_t kFramesAhead = 4;

  void decodeAhead() {
    try {
      for (;;) {
        {
          std::unique_lock lock(mutex_);
          roomFreed_.wait(lock, [this] { return stopping_ || decoded_.size() < kFramesAhead; });
          if (stopping_) break;
        }
        std::unique_ptr<DecodedPicture> picture = decoder_->next();
        if (!picture) break;
        auto frame =
            std::make_shared<DecodedFrame>(std::move(picture), video_.header.fullRange.value_or(false), matrix_);
        std::lock_guard lock(mutex_);
        decoded_.push_back(std::move(frame));
        frameDecoded_.notify_one();
      }
    } catch (...) {
      std::lock_guard lock(mutex_);
      error_ = std::current_exception();
    }
    std::lock_guard lock(mutex_);
    ended_ = true;
    frameDecoded_.notify_one();
  }

  std::unique_ptr<VideoDecoder> decoder_;
  const DecodedVideo& video_;
  Matrix matrix_;
  Properties properties_;
  std::mutex mutex_;
  std::condition_variable frameDecoded_, roomFreed_;
  std::deque<std::shared_ptr<const SourceFrame>> decoded_;
  bool stopping_ = false;
  bool ended_ = false;
  std::exception_ptr error_;
  // Declared last: started after, and stopped before, everything it uses.
  std::thread decoding_;
};

}  // namespace

std::unique_ptr<FrameSource> openDecodedSource(const std::string& path, OpenVideoDecoder openDecoder) {
  if (!openDecoder) return nullptr;
  std::unique_ptr<VideoDecoder> decoder(openDecoder(path.c_str()));
  if (!decoder) return nullptr;
  return std::make_unique<DecodedSource>(std::move(decoder), path);
}

std::string planarFormatFor(const std::string& pixelFormat) {
  const auto has = [&](const char* part) { return pixelFormat.find(part) != std::string::npos; };
  if (has("420") || has("nv12") || has("nv21")) return "yuv420p";
  if (has("422") || has("yuyv") || has("uyvy") || has("nv16")) return "yuv422p";
  return "yuv444p";
}

std::unique_ptr<FrameSource> openFfmpegSource(const std::string& path, const std::string& ffmpeg,
                                              const std::string& ffprobe, std::vector<std::string>& notes) {
  // ffprobe and ffmpeg each take a tenth of a second to start, so the
  // decoder for the usual 4:2:0 starts while ffprobe reads the file, and is
  // replaced when the file is another layout. A file ffprobe cannot read is
  // one the decoder cannot either: it ends on its own, saying why.
  const auto startDecoder = [&](const std::string& planar) {
    return std::make_unique<ChildProcess>(decoderArguments(path, ffmpeg, planar), ChildProcess::PipeTo::kItsOutput);
  };
  const std::string usual = "yuv420p";
  std::unique_ptr<ChildProcess> decoder = startDecoder(usual);
  const std::optional<MediaProbe> probe = probeMedia(ffprobe, path);
  if (!probe || probe->pixelFormat.empty()) {
    decoder->finish();
    throw std::runtime_error(
        path + (probe ? ": holds no video stream" : ": ffmpeg cannot read it as video (its message is above)"));
  }
  const std::string planar = planarFormatFor(probe->pixelFormat);
  if (planar != probe->pixelFormat)
    notes.push_back(path + " is " + probe->pixelFormat + "; it is read as 8-bit " + planar);
  if (planar != usual) {
    decoder.reset();
    decoder = startDecoder(planar);
  }
  return std::make_unique<FfmpegSource>(std::move(decoder), path, *probe);
}

}  // namespace horaz::cli
