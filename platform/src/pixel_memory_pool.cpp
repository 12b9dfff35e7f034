#include "pixel_memory_pool.h"

#include <array>
#include <cstdlib>
#include <mutex>

// Under AddressSanitizer nothing is kept, so that a pointer into a deleted
// bitmap's pixels is still reported as a use after free.
#if defined(__SANITIZE_ADDRESS__)
#define HORAZ_RECYCLE_PIXEL_MEMORY 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HORAZ_RECYCLE_PIXEL_MEMORY 0
#endif
#endif
#ifndef HORAZ_RECYCLE_PIXEL_MEMORY
#define HORAZ_RECYCLE_PIXEL_MEMORY 1
#endif

namespace horaz::platform::detail {
namespace {

constexpr std::size_t kKeptPerSize = 2;
constexpr std::size_t kKeptInAll = 4;

struct KeptBlock {
  void* memory = nullptr;
  std::size_t bytes = 0;
};

// Blocks oldest first in blocks[0, count).
class PixelMemoryPool {
 public:
  void* take(std::size_t bytes) {
    std::lock_guard lock(mutex);
    for (std::size_t i = count; i-- > 0;) {
      if (blocks[i].bytes != bytes) continue;
      void* memory = blocks[i].memory;
      removeAt(i);
      return memory;
    }
    return nullptr;
  }

  // Returns the block that no longer fits (the given one or an older one),
  // for the caller to free outside the lock.
  KeptBlock keep(KeptBlock block) {
    std::lock_guard lock(mutex);
    std::size_t sameSize = 0;
    std::size_t oldestSameSize = count;
    for (std::size_t i = count; i-- > 0;) {
      if (blocks[i].bytes != block.bytes) continue;
      ++sameSize;
      oldestSameSize = i;
    }
    KeptBlock dropped;
    if (sameSize >= kKeptPerSize) {
      dropped = blocks[oldestSameSize];
      removeAt(oldestSameSize);
    } else if (count == kKeptInAll) {
      dropped = blocks[0];
      removeAt(0);
    }
    blocks[count++] = block;
    return dropped;
  }

 private:
  void removeAt(std::size_t i) {
    for (; i + 1 < count; ++i) blocks[i] = blocks[i + 1];
    blocks[--count] = {};
  }

  std::mutex mutex;
  std::array<KeptBlock, kKeptInAll> blocks{};
  std::size_t count = 0;
};

// Never destroyed: a bitmap deleted while the process exits can still give
// its memory back. What is kept then stays reachable and is bounded.
PixelMemoryPool& pool() {
  static PixelMemoryPool* const instance = new PixelMemoryPool;
  return *instance;
}

bool recycled(std::size_t bytes) { return HORAZ_RECYCLE_PIXEL_MEMORY && bytes >= kSmallestRecycledPixelBytes; }

}  // namespace

void* takePixelMemory(std::size_t bytes) {
  if (recycled(bytes)) {
    if (void* memory = pool().take(bytes)) return memory;
  }
  // calloc maps large blocks fresh (zero pages, nothing to clear) the first
  // time; later ones come back through the pool.
  return std::calloc(bytes == 0 ? 1 : bytes, 1);
}

void givePixelMemory(void* memory, std::size_t bytes) {
  if (!memory) return;
  if (!recycled(bytes)) {
    std::free(memory);
    return;
  }
  std::free(pool().keep({memory, bytes}).memory);
}

}  // namespace horaz::platform::detail
