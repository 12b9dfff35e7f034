// Renders on several threads at once give the bytes of the same renders one
// after another: nothing is shared between render calls.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "render_test_support.h"

namespace horaz::test {
namespace {

constexpr int kThreads = 8;
constexpr int kRoundsPerThread = 3;
constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;

enum class Instances { kShared, kOneEach };

class ConcurrentRenders : public RenderTest, public ::testing::WithParamInterface<Instances> {
 protected:
  void SetUp() override {
    // Frame i shows clock type i % 3 (an integer keyframe holds) with a
    // fast clock, so every frame differs and every painter runs at once.
    for (int i = 0; i < kThreads; ++i) host().setNumberKeyframe("the List value", i, i % 3);
    host().setNumber("Time Speed Factor", 37);
    host().setNumber("Style List", 1);
  }

  FramePair framesFor(int frame) {
    const FrameFormat format = frame % 2 == 0 ? FrameFormat{PixelFormat::kBgra} : FrameFormat{PixelFormat::kCbYCrY};
    return makeFrames(host(), kWidth, kHeight, format, static_cast<uint32_t>(frame + 1));
  }
};

TEST_P(ConcurrentRenders, GiveTheBytesOfSequentialRenders) {
  std::vector<FramePair> expected;
  for (int frame = 0; frame < kThreads; ++frame) {
    expected.push_back(framesFor(frame));
    ASSERT_EQ(host().renderFrame(frame, expected.back().in(), expected.back().out()), acf::kOk);
  }

  std::vector<CountedRef<acf::EffectInterface>> effects;
  for (int i = 0; i < kThreads; ++i) {
    effects.push_back(GetParam() == Instances::kShared ? CountedRef<acf::EffectInterface>::share(&host().effect())
                                                       : host().createEffect());
  }
  std::vector<FramePair> rendered;
  for (int frame = 0; frame < kThreads; ++frame) rendered.push_back(framesFor(frame));
  std::vector<int> failures(kThreads, 0);
  {
    std::vector<std::jthread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back([&, i] {
        for (int round = 0; round < kRoundsPerThread; ++round) {
          fillBytes(rendered[i].out(), 0xA5);
          if (host().renderFrame(*effects[i].get(), i, rendered[i].in(), rendered[i].out()) != acf::kOk) ++failures[i];
          if (!framesEqual(rendered[i].out(), expected[i].out())) ++failures[i];
        }
      });
    }
  }
  for (int i = 0; i < kThreads; ++i) EXPECT_EQ(failures[i], 0) << "thread " << i;
  effects.clear();
  EXPECT_TRUE(platformClean());
}

INSTANTIATE_TEST_SUITE_P(Instances, ConcurrentRenders, ::testing::Values(Instances::kShared, Instances::kOneEach),
                         [](const auto& info) { return info.param == Instances::kShared ? "shared" : "one_each"; });

}  // namespace
}  // namespace horaz::test
