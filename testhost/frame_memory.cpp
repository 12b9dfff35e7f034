#include "testhost/frame_memory.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace horaz::testhost {
void adviseHugePages(void* memory, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
  constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
  if (memory == nullptr || bytes < kHugePageBytes) return;
  // madvise wants page-aligned starts; the partial pages at either end keep
  // their small pages.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<std::uintptr_t>(memory) + page - 1) / page * page;
  const auto end = (reinterpret_cast<std::uintptr_t>(memory) + bytes) / page * page;
  // Only advice: a kernel without huge pages refuses it and nothing changes.
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)memory;
  (void)bytes;
#endif
}

}  // namespace horaz::testhost
