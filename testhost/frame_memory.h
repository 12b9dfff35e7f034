#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace horaz::testhost {

// Frame-sized memory is faulted in a 4 KiB page at a time on first touch,
// and on virtual machines each fault costs more than copying the page: a
// 1080p frame is about a thousand of them. These ask the kernel to back
// such memory with huge pages where it offers them (transparent huge pages
// in "madvise" mode), which makes it a handful of faults; where it does not,
// nothing changes. Buffers are also made once and reused, so each page is
// faulted in once per render, not once per frame.

// An allocator whose resize() leaves new bytes as they come: a frame buffer
// is written whole before it is read, so clearing it first would only touch
// every page one more time.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <class U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <class U, class... Arguments>
  void construct(U* place, Arguments&&... arguments) {
    ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
  }
};

// The bytes of an encoded frame.
using FrameBytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// Advises [memory, memory + bytes) for huge pages; small blocks are left
// alone.
void adviseHugePages(void* memory, std::size_t bytes);

// Sizes `bytes` to `size`, keeping what it held. A buffer that has to grow
// gets its new block advised before anything touches it.
template <class Bytes>
void sizeFrameBuffer(Bytes& bytes, std::size_t size) {
  if (size > bytes.capacity()) {
    Bytes grown;
    grown.reserve(size);
    adviseHugePages(grown.data(), size);
    grown.assign(bytes.begin(), bytes.end());
    bytes.swap(grown);
  }
  bytes.resize(size);
}

}  // namespace horaz::testhost
