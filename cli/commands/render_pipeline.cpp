#include "cli/commands/render_pipeline.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "cli/commands/worker_scaling.h"
#include "cli/media/png_io.h"
#include "cli/media/y4m.h"
#include "cli/pixels/frame_conversion.h"
#include "cli/support/interrupt.h"
#include "testhost/frame_memory.h"
#include "testhost/registration.h"

namespace horaz::cli {
namespace {

// One frame on its way: its input, the host frame it is rendered into
// (raw output only: lent from a pool until the frame is written), its
// encoded bytes.
struct Job {
  int64_t index = 0;
  std::shared_ptr<const SourceFrame> source;
  CountedRef<testhost::HostFrame> output;  // null unless raw
  testhost::FrameBytes encoded;            // empty for raw output, written from `output`
  std::exception_ptr error;
  bool done = false;
};

// What one worker owns: an effect instance, its input frame and the frame
// it renders into when the output is encoded (the same memory every frame,
// so it stays in the cache and is faulted in once). Made and released on
// the calling thread (the host's set-up is single-threaded); frames are
// zeroed memory the kernel hands out on first touch, so a frame never used
// costs nothing.
struct WorkerState {
  CountedRef<acf::EffectInterface> effect;
  CountedRef<testhost::HostFrame> input;  // for still pictures only
  CountedRef<testhost::HostFrame> output;
  const void* still = nullptr;  // the still picture `input` holds, if any
};

class WorkerPool {
 public:
  WorkerPool(testhost::RenderHost& host, const ClipPlan& plan, ContactSheet* sheet)
      : host_(host), plan_(plan), sheet_(sheet) {
    states_.resize(static_cast<size_t>(plan.threads));
    for (WorkerState& state : states_) {
      state.effect = host.createEffect();
      state.input = host.makeFrame(plan.width, plan.height, plan.format);
      if (plan.encoding != FrameEncoding::kRaw) state.output = host.makeFrame(plan.width, plan.height, plan.format);
    }
    try {
      for (size_t index = 0; index < states_.size(); ++index)
        threads_.push_back(startBackgroundThread([this, index] { work(index, states_[index]); }));
    } catch (...) {
      stop();
      throw;
    }
  }

  ~WorkerPool() { stop(); }

  void submit(Job* job) {
    {
      std::lock_guard lock(mutex_);
      pending_.push_back(job);
    }
    // All: a worker beyond the active count would take the wake-up and go
    // back to sleep.
    workAvailable_.notify_all();
  }

  // Only workers 0 .. count - 1 take new jobs from now on.
  void setActive(int32_t count) {
    {
      std::lock_guard lock(mutex_);
      active_ = count;
    }
    workAvailable_.notify_all();
  }

  // Waits until `job` is done or a tenth of a second has passed.
  bool waitFor(const Job& job) {
    std::unique_lock lock(mutex_);
    return jobDone_.wait_for(lock, std::chrono::milliseconds(100), [&] { return job.done; });
  }

 private:
  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    workAvailable_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
  }

  void work(size_t index, WorkerState& state) {
    for (;;) {
      Job* job = nullptr;
      {
        std::unique_lock lock(mutex_);
        workAvailable_.wait(lock,
                            [&] { return stopping_ || (!pending_.empty() && index < static_cast<size_t>(active_)); });
        if (stopping_) return;
        job = pending_.front();
        pending_.pop_front();
      }
      try {
        process(state, *job);
      } catch (...) {
        job->error = std::current_exception();
      }
      {
        std::lock_guard lock(mutex_);
        job->done = true;
      }
      jobDone_.notify_all();
    }
  }

  void process(WorkerState& state, Job& job) {
    testhost::HostFrame& output = job.output ? *job.output.get() : *state.output.get();
    testhost::HostFrame* input = &output;
    if (const void* still = job.source->still()) {
      // A still is converted once per worker and blended from there.
      if (still != state.still) {
        job.source->fill(*state.input.get());
        state.still = still;
      }
      input = state.input.get();
    } else {
      // A streamed frame is converted straight into the output frame and
      // rendered in place: the effect reads each pixel before writing it.
      job.source->fill(output);
    }
    const double time = plan_.firstTime + static_cast<double>(job.index);
    const acf::Result result = host_.renderFrame(*state.effect.get(), time, *input, output, plan_.settings);
    // The input goes back to its source now, not when the frame is written.
    job.source.reset();
    if (acf::failed(result))
      throw std::runtime_error("the effect failed to render frame " + std::to_string(plan_.firstNumber + job.index) +
                               " (" + testhost::resultText(result) + ")");
    if (plan_.encoding != FrameEncoding::kRaw) encodeFrame(output, plan_.encoding, plan_.coding, job.encoded);
    if (sheet_ && sheet_->wants(job.index)) {
      RgbaPicture picture;
      frameToRgba(output, picture);
      sheet_->add(job.index, picture);
    }
  }

  testhost::RenderHost& host_;
  const ClipPlan& plan_;
  ContactSheet* sheet_;
  std::vector<WorkerState> states_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable jobDone_;
  std::deque<Job*> pending_;
  int32_t active_ = 1;
  bool stopping_ = false;
};

double steadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The frame's memory rows back to back: its buffer itself, as the
// reference host's frames here have no padding between rows.
std::span<const uint8_t> rawBytes(const testhost::HostFrame& frame) {
  if (frame.stride() != frame.rowBytes()) throw std::logic_error("raw output needs rows without padding");
  return {frame.memoryRow(0), static_cast<size_t>(frame.stride()) * static_cast<size_t>(frame.height())};
}

}  // namespace

void encodeFrame(const testhost::HostFrame& frame, FrameEncoding encoding, const PlaneCoding& coding,
                 testhost::FrameBytes& out) {
  switch (encoding) {
    case FrameEncoding::kY4m: frameToY4m(frame, coding, out); return;
    case FrameEncoding::kRaw: {
      const auto rowBytes = static_cast<size_t>(frame.rowBytes());
      testhost::sizeFrameBuffer(out, rowBytes * static_cast<size_t>(frame.height()));
      for (int32_t y = 0; y < frame.height(); ++y)
        std::memcpy(out.data() + static_cast<size_t>(y) * rowBytes, frame.memoryRow(y), rowBytes);
      return;
    }
    case FrameEncoding::kPng: {
      thread_local RgbaPicture picture;
      frameToRgba(frame, picture);
      const std::vector<uint8_t> png = encodePng(picture, false);
      out.assign(png.begin(), png.end());
      return;
    }
  }
}

int32_t processorCores() { return static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency())); }

int64_t renderClip(testhost::RenderHost& host, const ClipPlan& plan, FrameSource& source, FrameSink& sink,
                   ContactSheet* sheet, ProgressBar& progress) {
  WorkerScaling scaling(plan.threads, plan.adaptThreads);
  const int32_t cores = processorCores();
  // Jobs and frames outlive the pool: declared first, destroyed last (and
  // all before the host).
  std::deque<std::unique_ptr<Job>> inFlight;
  // Jobs are reused once written, so that their buffers are too: a frame's
  // bytes land in memory that is already mapped.
  std::vector<std::unique_ptr<Job>> spare;
  // Raw output is written from the rendered frame itself, which is lent to
  // the job until then.
  std::vector<CountedRef<testhost::HostFrame>> freeFrames;
  if (plan.encoding == FrameEncoding::kRaw)
    for (int32_t i = 0; i <= plan.threads; ++i)
      freeFrames.push_back(host.makeFrame(plan.width, plan.height, plan.format));
  WorkerPool pool(host, plan, sheet);
  // This thread reads ahead while a core has no worker.
  auto putToWork = [&] {
    pool.setActive(scaling.active());
    source.readOnCallingThread(scaling.active() < cores);
  };
  putToWork();
  int64_t read = 0;
  int64_t written = 0;
  bool inputEnded = false;
  for (;;) {
    throwIfInterrupted();
    // A frame for each worker and the next one read ahead: more would only
    // spread the frames' memory beyond the cache.
    const size_t maxInFlight = static_cast<size_t>(scaling.active()) + 1;
    while (!inputEnded && read < plan.frameCount && inFlight.size() < maxInFlight) {
      std::shared_ptr<const SourceFrame> frame = source.next(read);
      if (!frame) {
        inputEnded = true;
        break;
      }
      std::unique_ptr<Job> job;
      if (spare.empty()) {
        job = std::make_unique<Job>();
      } else {
        job = std::move(spare.back());
        spare.pop_back();
        job->done = false;
      }
      job->index = read++;
      job->source = std::move(frame);
      if (!freeFrames.empty()) {
        job->output = std::move(freeFrames.back());
        freeFrames.pop_back();
      }
      pool.submit(job.get());
      inFlight.push_back(std::move(job));
    }
    if (inFlight.empty()) break;
    Job& oldest = *inFlight.front();
    if (!pool.waitFor(oldest)) continue;
    if (oldest.error) std::rethrow_exception(oldest.error);
    if (plan.encoding == FrameEncoding::kRaw)
      sink.write(plan.firstNumber + oldest.index, rawBytes(*oldest.output.get()));
    else
      sink.write(plan.firstNumber + oldest.index, oldest.encoded);
    oldest.source.reset();
    if (oldest.output) freeFrames.push_back(std::move(oldest.output));
    spare.push_back(std::move(inFlight.front()));
    inFlight.pop_front();
    progress.update(++written);
    const int32_t before = scaling.active();
    scaling.frameWritten(steadySeconds());
    if (scaling.active() != before) putToWork();
  }
  return written;
}

}  // namespace horaz::cli
