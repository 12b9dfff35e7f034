#include "cli/media/output_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "cli/media/video_codec_modules.h"
#include "cli/support/atomic_file.h"
#include "cli/support/child_process.h"
#include "cli/support/file_descriptor.h"
#include "cli/support/interrupt.h"
#include "cli/support/usage_error.h"

namespace horaz::cli {
namespace {

std::string lowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// Writes Y4M or raw bytes to a file under a temporary name, or in place.
class StreamSink final : public FrameSink {
 public:
  StreamSink(const OutputPlan& plan, const std::string& header) {
    if (plan.path == "-") {
      fd_ = STDOUT_FILENO;
      name_ = "standard output";
    } else if (plan.inPlace) {
      owned_.reset(::open(plan.path.c_str(), O_WRONLY | O_CLOEXEC));
      if (!owned_) throw std::runtime_error(systemErrorText("cannot write " + plan.path, errno));
      fd_ = owned_.get();
      name_ = plan.path;
    } else {
      file_ = std::make_unique<AtomicFile>(plan.path);
      fd_ = file_->fd();
      name_ = plan.path;
    }
    enlargePipe(fd_);
    writeAll(fd_, std::span(reinterpret_cast<const uint8_t*>(header.data()), header.size()), name_);
  }
  void write(int64_t, std::span<const uint8_t> bytes) override { writeAll(fd_, bytes, name_); }
  void commit() override {
    if (file_) file_->commit();
    if (owned_) owned_.close(name_);
  }

 private:
  std::unique_ptr<AtomicFile> file_;
  UniqueFd owned_;
  int fd_ = -1;
  std::string name_;
};

class PngSequenceSink final : public FrameSink {
 public:
  explicit PngSequenceSink(const std::string& pattern)
      : pattern_(pattern), files_(std::filesystem::path(pattern).parent_path()) {}
  void write(int64_t number, std::span<const uint8_t> bytes) override {
    files_.write(std::filesystem::path(*formatFrameName(pattern_, number)).filename().string(), bytes);
  }
  void commit() override { files_.commit(); }

 private:
  std::string pattern_;
  AtomicFileSet files_;
};

class PngFileSink final : public FrameSink {
 public:
  explicit PngFileSink(const std::string& path) : file_(path) {}
  void write(int64_t, std::span<const uint8_t> bytes) override { file_.write(bytes); }
  void commit() override { file_.commit(); }

 private:
  AtomicFile file_;
};

// Pipes the Y4M stream into ffmpeg, which encodes it into a temporary file
// that is renamed when ffmpeg has finished well.
class FfmpegSink final : public FrameSink {
 public:
  FfmpegSink(const OutputPlan& plan, const std::string& header) : file_(plan.path) {
    file_.close();
    std::vector<std::string> arguments{plan.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostats", "-y"};
    arguments.insert(arguments.end(), plan.encoderArguments.begin(), plan.encoderArguments.end());
    arguments.push_back(file_.temporaryPath().string());
    // ffmpeg reads each Y4M frame into new frame-sized allocations, which
    // with glibc's default thresholds stay fresh mappings, faulted in and
    // zeroed every frame (two unmapped per frame, counted with strace); a
    // threshold above them keeps the memory in the heap, reused.
    encoder_ = std::make_unique<ChildProcess>(
        arguments, ChildProcess::PipeTo::kItsInput,
        std::vector<std::string>{"GLIBC_TUNABLES=glibc.malloc.mmap_threshold=268435456"});
    send(std::span(reinterpret_cast<const uint8_t*>(header.data()), header.size()));
  }

  void write(int64_t, std::span<const uint8_t> bytes) override { send(bytes); }

  void commit() override {
    encoder_->pipe().close("ffmpeg");
    if (const std::string failure = encoder_->finish(); !failure.empty())
      throw std::runtime_error("ffmpeg failed to write " + file_.finalPath().string() + " (" + failure + ")");
    file_.commit();
  }

 private:
  void send(std::span<const uint8_t> bytes) {
    try {
      writeAll(encoder_->pipe().get(), bytes, "ffmpeg");
    } catch (const Interrupted&) {
      throw;
    } catch (const std::exception&) {
      const std::string failure = encoder_->finish();
      throw std::runtime_error("ffmpeg stopped before the end of the clip" +
                               (failure.empty() ? std::string() : " (" + failure + ")"));
    }
  }

  // Declared last, so the encoder is killed before its file is removed.
  AtomicFile file_;
  std::unique_ptr<ChildProcess> encoder_;
};

// Encodes in this process through the encoding module, which writes what the
// ffmpeg process would, into a temporary file renamed when it has finished
// well. Saves the pipe, the second process and its reading of the stream.
class EncoderSink final : public FrameSink {
 public:
  // Null when the module leaves the job to the ffmpeg process.
  static std::unique_ptr<EncoderSink> open(OpenVideoEncoder openEncoder, const OutputPlan& plan,
                                           const Y4mHeader& header) {
    auto sink = std::unique_ptr<EncoderSink>(new EncoderSink(plan.path));
    sink->encoder_.reset(
        openEncoder(EncodeJob{header, plan.encoderArguments, sink->file_.temporaryPath().string(), plan.path}));
    return sink->encoder_ ? std::move(sink) : nullptr;
  }

  // The frame's planes follow its "FRAME" line.
  void write(int64_t, std::span<const uint8_t> bytes) override {
    const auto lineEnd = std::find(bytes.begin(), bytes.end(), uint8_t{'\n'});
    if (lineEnd == bytes.end()) throw std::logic_error("a Y4M frame without its FRAME line");
    encoder_->write(bytes.subspan(static_cast<size_t>(lineEnd - bytes.begin()) + 1));
  }

  void commit() override {
    encoder_->finish();
    file_.commit();
  }

 private:
  explicit EncoderSink(const std::string& path) : file_(path) { file_.close(); }

  // Declared last, so the encoder closes its file before the file is removed.
  AtomicFile file_;
  std::unique_ptr<VideoEncoder> encoder_;
};

constexpr const char* kInstallFfmpeg = " (Debian: apt-get install ffmpeg); .y4m, .raw and PNG need nothing";

}  // namespace

FrameEncoding OutputPlan::encoding() const {
  switch (kind) {
    case Kind::kRawFile: return FrameEncoding::kRaw;
    case Kind::kPngSequence:
    case Kind::kPngFile: return FrameEncoding::kPng;
    default: return FrameEncoding::kY4m;
  }
}

std::optional<std::string> formatFrameName(const std::string& pattern, int64_t number) {
  std::string out;
  int conversions = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      out += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t k = i + 1;
    const bool zero = k < pattern.size() && pattern[k] == '0';
    if (zero) ++k;
    size_t width = 0;
    while (k < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[k])) && width < 100)
      width = width * 10 + static_cast<size_t>(pattern[k++] - '0');
    if (k >= pattern.size() || pattern[k] != 'd' || width > 20) return std::nullopt;
    std::string digits = std::to_string(number);
    if (digits.size() < width) digits.insert(0, width - digits.size(), zero ? '0' : ' ');
    out += digits;
    ++conversions;
    i = k;
  }
  if (conversions != 1) return std::nullopt;
  return out;
}

std::optional<std::string> findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = rest.find(':');
    std::string folder(rest.substr(0, colon));
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate)) return candidate;
    if (colon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(colon + 1);
  }
}

OutputPlan planOutput(const std::string& output, int64_t frameCount) {
  OutputPlan plan;
  plan.path = output;
  if (output == "-") {
    plan.kind = OutputPlan::Kind::kY4mStream;
    plan.inPlace = true;
    return plan;
  }
  const std::string extension = lowerExtension(output);
  const bool special = isSpecialFile(output);
  if (extension == ".y4m" || (special && extension != ".raw")) {
    plan.kind = OutputPlan::Kind::kY4mFile;
    plan.inPlace = special;
    return plan;
  }
  if (extension == ".raw") {
    plan.kind = OutputPlan::Kind::kRawFile;
    plan.inPlace = special;
    return plan;
  }
  if (extension == ".png") {
    if (formatFrameName(output, 0)) {
      plan.kind = OutputPlan::Kind::kPngSequence;
      if (std::filesystem::path(output).parent_path().string().find('%') != std::string::npos)
        throw UsageError("-o " + output + ": the frame number may only appear in the file name, not in a folder");
      return plan;
    }
    if (output.find('%') != std::string::npos)
      throw UsageError("-o " + output + ": a PNG pattern takes exactly one frame number such as %d or %04d");
    if (frameCount != 1)
      throw UsageError("-o " + output + ": " +
                       (frameCount < 0 ? std::string("a stream of frames") : std::to_string(frameCount) + " frames") +
                       " need a numbered name such as frame%04d.png (or --frames 1)");
    plan.kind = OutputPlan::Kind::kPngFile;
    return plan;
  }
  if (extension == ".mp4" || extension == ".mkv" || extension == ".mov") {
    // The encoding module writes most jobs itself; ffmpeg is for the rest.
    plan.kind = OutputPlan::Kind::kFfmpeg;
    plan.ffmpeg = findProgram("ffmpeg").value_or("");
    if (plan.ffmpeg.empty() && !videoEncoderModule())
      throw UsageError("-o " + output + ": writing " + extension + " needs ffmpeg on PATH" + kInstallFfmpeg);
    return plan;
  }
  throw UsageError(
      "-o " + output +
      ": unknown kind of output; use .y4m, - (Y4M on standard output), .raw, NAME%04d.png, .mp4, .mkv or .mov");
}

std::unique_ptr<FrameSink> openSink(const OutputPlan& plan, const Y4mHeader& header) {
  switch (plan.kind) {
    case OutputPlan::Kind::kY4mFile:
    case OutputPlan::Kind::kY4mStream: return std::make_unique<StreamSink>(plan, y4mHeaderText(header));
    case OutputPlan::Kind::kRawFile: return std::make_unique<StreamSink>(plan, std::string());
    case OutputPlan::Kind::kPngSequence: return std::make_unique<PngSequenceSink>(plan.path);
    case OutputPlan::Kind::kPngFile: return std::make_unique<PngFileSink>(plan.path);
    case OutputPlan::Kind::kFfmpeg:
      if (const OpenVideoEncoder openEncoder = videoEncoderModule())
        if (std::unique_ptr<FrameSink> sink = EncoderSink::open(openEncoder, plan, header)) return sink;
      if (plan.ffmpeg.empty())
        throw std::runtime_error("-o " + plan.path +
                                 ": this job (its encoder options, sound to re-encode or fields) needs ffmpeg on PATH" +
                                 kInstallFfmpeg);
      return std::make_unique<FfmpegSink>(plan, y4mHeaderText(header));
  }
  throw std::logic_error("unknown output kind");
}

}  // namespace horaz::cli
