#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/media/y4m.h"
#include "cli/pixels/picture.h"
#include "testhost/frame.h"

namespace horaz::cli {

// One frame of input, filled into a worker's input frame.
class SourceFrame {
 public:
  virtual ~SourceFrame() = default;
  virtual void fill(testhost::HostFrame& frame) const = 0;
  // Non-null for a still picture repeated on every frame: a worker whose
  // frame already holds this still need not fill it again.
  virtual const void* still() const { return nullptr; }
};

// The frames of -i, read in order.
class FrameSource {
 public:
  // What the input says about itself; empty where it says nothing.
  struct Properties {
    std::optional<int32_t> width, height;
    std::optional<Ratio> frameRate;
    std::optional<Ratio> pixelAspect;
    std::optional<char> interlace;      // Y4M's p, t, b
    std::optional<bool> fullRange;      // Y4M's range
    std::optional<int64_t> frameCount;  // known length of a file
    bool endless = true;                // generated or still: as many frames as asked
    // A video file read through ffmpeg: the file, and its sound streams'
    // codecs (none: it has no sound).
    std::string soundFile;
    std::vector<std::string> audioCodecs;
  };

  virtual ~FrameSource() = default;
  virtual const Properties& properties() const = 0;
  // Frame `index` (0-based, asked in order); null at the end of the input.
  virtual std::shared_ptr<const SourceFrame> next(int64_t index) = 0;
  // Whether next() reads the frame's bytes itself (the default) or leaves
  // them to the worker that fills it: itself while the caller has a core of
  // its own, so that the reading overlaps the workers' rendering; the
  // workers while every core renders, so that they share the reading out.
  // Sources that must read in order (streams) always read in next().
  virtual void readOnCallingThread(bool) {}
  // Called once the size of the render is fixed (generated inputs take it).
  virtual void setSize(int32_t width, int32_t height) = 0;
};

// Opens "pattern", "color:R,G,B", "-", a Y4M or PNG file, or any other
// video file through ffmpeg (`notes` gets what was converted on the way
// in). Throws UsageError for a malformed colour, std::runtime_error for a
// file that cannot be read.
std::unique_ptr<FrameSource> openSource(const std::string& input, std::vector<std::string>& notes);

}  // namespace horaz::cli
