#include "pixel_memory_pool.h"

#include <array>
#include <cstdlib>
#include <mutex>

namespace horaz::platform::detail {
namespace {

struct KeptBlock {
  void* memory = nullptr;
  std::size_t bytes = 0;
};

// Blocks oldest first in blocks[0, count). A size's blocks come back only as
// many at a time as renders had out at once, so the pool holds what that
// many render threads need; with fewer kept, each thread beyond them would
// map and fault in fresh memory for every frame.
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

  // Returns the oldest block when the pool is full, for the caller to free
  // outside the lock.
  KeptBlock keep(KeptBlock block) {
    std::lock_guard lock(mutex);
    KeptBlock dropped;
    if (count == blocks.size()) {
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
  std::array<KeptBlock, kMostPixelBlocksKept> blocks{};
  std::size_t count = 0;
};

// Never destroyed: a bitmap deleted while the process exits can still give
// its memory back. What is kept then stays reachable and is bounded.
PixelMemoryPool& pool() {
  static PixelMemoryPool* const instance = new PixelMemoryPool;
  return *instance;
}

bool recycled(std::size_t bytes) { return kPixelMemoryRecycled && bytes >= kSmallestRecycledPixelBytes; }

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
