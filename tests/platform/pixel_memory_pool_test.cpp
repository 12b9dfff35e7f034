// Frame-sized pixel blocks that renders had out at once come back to the
// next round, up to the bound, so that no render thread maps and faults in
// fresh memory for every frame.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pixel_memory_pool.h"

namespace horaz::platform::detail {
namespace {

TEST(PixelMemoryPool, BlocksOutAtOnceComeBackUpToTheBound) {
  if (!kPixelMemoryRecycled) GTEST_SKIP() << "nothing is kept under AddressSanitizer";
  struct Case {
    size_t outAtOnce;
    size_t comingBack;
  };
  const Case cases[] = {
      {1, 1}, {6, 6}, {kMostPixelBlocksKept, kMostPixelBlocksKept}, {kMostPixelBlocksKept + 4, kMostPixelBlocksKept}};
  // A size of its own for each case: the pool is the process's.
  size_t bytes = kSmallestRecycledPixelBytes + 40960;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outAtOnce);
    bytes += 4096;
    // A kept block still holds what was written into it; fresh memory is zero.
    constexpr char kMark[] = "kept";
    std::vector<void*> blocks;
    for (size_t i = 0; i < c.outAtOnce; ++i) {
      blocks.push_back(takePixelMemory(bytes));
      ASSERT_NE(blocks.back(), nullptr);
      std::memcpy(blocks.back(), kMark, sizeof kMark);
    }
    for (void* block : blocks) givePixelMemory(block, bytes);
    size_t cameBack = 0;
    for (void*& block : blocks) {
      block = takePixelMemory(bytes);
      ASSERT_NE(block, nullptr);
      if (std::memcmp(block, kMark, sizeof kMark) == 0) ++cameBack;
    }
    EXPECT_EQ(cameBack, c.comingBack);
    for (void* block : blocks) givePixelMemory(block, bytes);
  }
}

}  // namespace
}  // namespace horaz::platform::detail
