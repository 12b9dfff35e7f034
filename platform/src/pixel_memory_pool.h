// Pixel memory of deleted frame-sized DIB sections, kept for the next one of
// the same size. A render makes and deletes one frame-sized bitmap per frame;
// handing the same block back saves the allocator's clearing (glibc reuses
// the freed block and clears it for calloc) and the page faults of fresh
// memory, so that the one clear the drawing surface does is the only one.
#pragma once

#include <cstddef>

namespace horaz::platform::detail {

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
inline constexpr bool kPixelMemoryRecycled = HORAZ_RECYCLE_PIXEL_MEMORY != 0;

// Blocks below this size are not kept: they are cheap to allocate and clear.
inline constexpr std::size_t kSmallestRecycledPixelBytes = std::size_t{1} << 20;

// The most blocks kept, of all sizes together.
inline constexpr std::size_t kMostPixelBlocksKept = 16;

// Memory for `bytes` bytes: a kept block of exactly that size, which still
// holds the pixels its last bitmap left in it, or else fresh zeroed memory.
// Null when there is no memory. Thread-safe.
void* takePixelMemory(std::size_t bytes);

// Gives back memory from takePixelMemory with the size it was taken for. At
// most kMostPixelBlocksKept blocks are kept (the oldest goes); the rest is
// freed at once. Thread-safe.
void givePixelMemory(void* memory, std::size_t bytes);

}  // namespace horaz::platform::detail
