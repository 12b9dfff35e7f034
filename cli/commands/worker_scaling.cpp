#include "cli/commands/worker_scaling.h"

#include <algorithm>

namespace horaz::cli {

WorkerScaling::WorkerScaling(int32_t most, bool adapts)
    : most_(std::max(1, most)), adapts_(adapts && most_ > 1), active_(adapts_ ? 1 : most_) {}

void WorkerScaling::enter(Phase phase, int32_t workers) {
  phase_ = phase;
  active_ = workers;
  framesInPhase_ = 0;
}

void WorkerScaling::frameWritten(double seconds) {
  if (!adapts_) return;
  ++framesInPhase_;
  switch (phase_) {
    case Phase::kSettlingOne:
      if (framesInPhase_ < kSettleFrames) return;
      enter(Phase::kTimingOne, 1);
      phaseStart_ = seconds;
      return;
    case Phase::kTimingOne:
      if (framesInPhase_ < kTimedFrames) return;
      oneWorker_ = seconds - phaseStart_;
      enter(Phase::kSettlingAll, most_);
      return;
    case Phase::kSettlingAll:
      if (framesInPhase_ < kSettleFrames) return;
      enter(Phase::kTimingAll, most_);
      phaseStart_ = seconds;
      return;
    case Phase::kTimingAll: {
      if (framesInPhase_ < kTimedFrames) return;
      const double allWorkers = seconds - phaseStart_;
      const int32_t choice = allWorkers <= kWorthwhile * oneWorker_ ? most_ : 1;
      framesBetweenRounds_ =
          choice == chosen_ ? std::min(2 * framesBetweenRounds_, kMostFramesBetweenRounds) : kFramesBetweenRounds;
      chosen_ = choice;
      enter(Phase::kHolding, choice);
      return;
    }
    case Phase::kHolding:
      if (framesInPhase_ < framesBetweenRounds_) return;
      enter(Phase::kSettlingOne, 1);
      return;
  }
}

}  // namespace horaz::cli
