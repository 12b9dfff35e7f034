#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/media/y4m.h"
#include "cli/pixels/picture.h"

namespace horaz::cli {

// How a rendered frame is turned into bytes before it is written.
enum class FrameEncoding : uint8_t {
  kY4m,  // "FRAME\n" and the planes of the YUV4MPEG2 stream
  kRaw,  // the host frame's rows in memory order, exactly as rendered
  kPng,  // one PNG file (RGB)
};

// Where and how the output goes, decided from -o before anything is
// written.
struct OutputPlan {
  enum class Kind : uint8_t { kY4mFile, kY4mStream, kRawFile, kPngSequence, kPngFile, kFfmpeg };
  Kind kind = Kind::kY4mFile;
  std::string path;    // the file, pattern or "-" as given
  std::string ffmpeg;  // the ffmpeg program, for kFfmpeg; empty when only the encoding module is there
  // ffmpeg's arguments before the output name (see encoderArguments()).
  std::vector<std::string> encoderArguments;
  // How Y4M frames are written (for kFfmpeg, in the encoder's matrix and,
  // where it encodes 4:2:0 progressive, in 4:2:0).
  PlaneCoding coding;
  // Written in place (standard output, /dev/null, a FIFO): no temporary
  // name, nothing to take back.
  bool inPlace = false;

  FrameEncoding encoding() const;
};

// Throws UsageError for an output it cannot write: an unknown extension, a
// PNG without a frame number pattern for several frames, a video file
// with neither ffmpeg on PATH nor the encoding module.
OutputPlan planOutput(const std::string& output, int64_t frameCount);

// "frame%04d.png" with 7 -> "frame0007.png". Supports %d, %Nd, %0Nd and %%.
// nullopt when `pattern` has not exactly one number conversion.
std::optional<std::string> formatFrameName(const std::string& pattern, int64_t number);

// The program found on PATH, or nullopt.
std::optional<std::string> findProgram(const std::string& name);

// Receives the encoded frames in order and makes the output appear under its
// final name on commit(). Destroyed without commit(), it removes everything
// it wrote (and stops ffmpeg).
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // `number` is the frame's number in the clip (for PNG names).
  virtual void write(int64_t number, std::span<const uint8_t> bytes) = 0;
  virtual void commit() = 0;
};

// Opens the output of `plan`; `header` describes the Y4M stream (also the
// one piped to ffmpeg). Throws std::runtime_error.
std::unique_ptr<FrameSink> openSink(const OutputPlan& plan, const Y4mHeader& header);

}  // namespace horaz::cli
