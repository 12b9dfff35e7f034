// How many workers the render keeps, fed with frame times as the pipeline
// would see them: the choice follows what writes frames faster, and is made
// again after a while.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "cli/commands/worker_scaling.h"

namespace horaz::cli {
namespace {

using Scaling = WorkerScaling;

// Frames written one after another, each taking `secondsPerFrame(active,
// frame)`; the active count before each frame.
std::vector<int32_t> activeCounts(int32_t most, int64_t frames,
                                  const std::function<double(int32_t, int64_t)>& secondsPerFrame) {
  Scaling scaling(most, true);
  std::vector<int32_t> counts;
  double now = 100.0;
  for (int64_t frame = 0; frame < frames; ++frame) {
    counts.push_back(scaling.active());
    now += secondsPerFrame(scaling.active(), frame);
    scaling.frameWritten(now);
  }
  return counts;
}

constexpr int64_t kFirstRound = 2 * (Scaling::kSettleFrames + Scaling::kTimedFrames);
constexpr int64_t kSecondRound = kFirstRound + Scaling::kFramesBetweenRounds + kFirstRound;

TEST(WorkerScaling, KeepsAllWorkersOnlyWhileTheyWriteFramesClearlyFaster) {
  struct Case {
    const char* name;
    int32_t most;
    std::function<double(int32_t, int64_t)> secondsPerFrame;
    int32_t afterFirstRound, afterSecondRound;
  };
  const auto arithmetic = [](int32_t active, int64_t) { return 0.010 / active; };
  const auto memoryBound = [](int32_t, int64_t) { return 0.010; };
  const auto slightlyFaster = [](int32_t active, int64_t) { return active > 1 ? 0.009 : 0.010; };
  const auto changesLater = [](int32_t active, int64_t frame) {
    return frame < kFirstRound + 10 ? 0.010 / active : 0.010;
  };
  const Case cases[] = {
      {"twice as fast with two", 2, arithmetic, 2, 2},
      {"no faster with four", 4, memoryBound, 1, 1},
      {"a tenth faster is not worth it", 2, slightlyFaster, 1, 1},
      {"the work changes after the first round", 2, changesLater, 2, 1},
      {"one core never tries more", 1, arithmetic, 1, 1},
  };
  // A count the user chose is kept whatever the frames take.
  Scaling chosen(3, false);
  chosen.frameWritten(1.0);
  EXPECT_EQ(chosen.active(), 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<int32_t> counts = activeCounts(c.most, kSecondRound + 1, c.secondsPerFrame);
    EXPECT_EQ(counts.front(), 1);
    EXPECT_EQ(counts[kFirstRound], c.afterFirstRound);
    EXPECT_EQ(counts.back(), c.afterSecondRound);
    for (const int32_t count : counts) EXPECT_TRUE(count == 1 || count == c.most);
  }
}

// Each round runs the losing count for a while; a choice that keeps being
// confirmed is measured less and less often.
TEST(WorkerScaling, AConfirmedChoiceIsMeasuredLessOften) {
  const std::vector<int32_t> counts = activeCounts(2, 4000, [](int32_t, int64_t) { return 0.010; });
  const auto withAll = std::count(counts.begin(), counts.end(), 2);
  EXPECT_GT(withAll, 0);
  EXPECT_LT(withAll, 4000 / 25);
}

}  // namespace
}  // namespace horaz::cli
