#pragma once

#include <cstdint>

namespace horaz::cli {

// How many workers render at once when the user left it to us. A second
// worker pays where a frame's work is arithmetic (RGB conversions, a big
// analog face); where it is mostly moving memory (YCbCr rows in and out), two
// cores that share the memory's bandwidth render no faster together and
// spend far more CPU doing it. So the pool runs one worker, and now and then
// measures the frames written with one worker and with all of them, keeping
// all only while they write frames clearly faster. Each round that confirms
// the last choice doubles the wait for the next (up to a limit): measuring
// costs what the losing choice costs.
class WorkerScaling {
 public:
  // Frames skipped after a change before timing starts (frames still in
  // flight were started under the old count), frames timed per measurement,
  // frames between two rounds of measuring at first and at most.
  static constexpr int64_t kSettleFrames = 4;
  static constexpr int64_t kTimedFrames = 16;
  static constexpr int64_t kFramesBetweenRounds = 240;
  static constexpr int64_t kMostFramesBetweenRounds = 3840;
  // All workers are kept when they take at most this share of one worker's time.
  static constexpr double kWorthwhile = 0.85;

  // `adapts` false: all `most` workers, always (the user chose the count).
  WorkerScaling(int32_t most, bool adapts);

  int32_t active() const { return active_; }
  // Called as each frame is written, with a steady clock in seconds.
  void frameWritten(double seconds);

 private:
  enum class Phase { kSettlingOne, kTimingOne, kSettlingAll, kTimingAll, kHolding };
  void enter(Phase phase, int32_t workers);

  int32_t most_;
  bool adapts_;
  int32_t active_;
  Phase phase_ = Phase::kSettlingOne;
  int64_t framesInPhase_ = 0;
  double phaseStart_ = 0.0;
  double oneWorker_ = 0.0;  // seconds the last timed frames took with one worker
  int64_t framesBetweenRounds_ = kFramesBetweenRounds;
  int32_t chosen_ = 0;  // what the last round chose; 0 before the first
};

}  // namespace horaz::cli
