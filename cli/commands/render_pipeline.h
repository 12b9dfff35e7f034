#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "cli/media/contact_sheet.h"
#include "cli/media/input_source.h"
#include "cli/media/output_writer.h"
#include "cli/support/progress.h"
#include "testhost/render_host.h"

namespace horaz::cli {

// The render of a clip: what every frame needs besides its input.
struct ClipPlan {
  int32_t width = 0;
  int32_t height = 0;
  testhost::FrameFormat format;
  testhost::RenderSettings settings;
  // Frame i of the render is rendered at clip time firstTime + i (with
  // fields: see RenderSettings).
  double firstTime = 0.0;
  int64_t firstNumber = 0;  // the clip frame number of frame 0 (PNG names)
  int64_t frameCount = 0;   // at most; a Y4M input may end sooner
  int32_t threads = 1;
  // Whether `threads` is only the most: fewer work while more would not
  // write frames faster (see WorkerScaling).
  bool adaptThreads = false;
  FrameEncoding encoding = FrameEncoding::kY4m;
  PlaneCoding coding;  // of Y4M output
};

// Renders frames in parallel and writes them in order: the calling thread
// reads the input and writes the output; `plan.threads` workers, each with
// its own effect instance and pair of host frames, fill the input frame,
// render and encode. At most one frame per working worker and one more are
// in flight, so memory stays bounded whatever the clip's length. Returns the
// number of frames written. Throws what a worker, the input or the sink
// threw, or Interrupted.
int64_t renderClip(testhost::RenderHost& host, const ClipPlan& plan, FrameSource& source, FrameSink& sink,
                   ContactSheet* sheet, ProgressBar& progress);

// The processor's cores (at least 1): the most workers a render runs by
// default.
int32_t processorCores();

// The bytes `encoding` makes of a rendered frame, in `out` (whose capacity
// is reused).
void encodeFrame(const testhost::HostFrame& frame, FrameEncoding encoding, const PlaneCoding& coding,
                 testhost::FrameBytes& out);

}  // namespace horaz::cli
