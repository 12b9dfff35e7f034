#include "cli/support/file_mapping.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <mutex>

namespace horaz::cli {
namespace {

// The ranges mapped now, where the bus-error handler looks a fault up. A
// handler may read only lock-free atomics, so the table has a fixed size; a
// range finds no free slot only with more mappings alive than a render ever
// holds, and is then not mapped at all.
struct LiveRange {
  std::atomic<uintptr_t> begin{0};
  std::atomic<uintptr_t> end{0};
  std::atomic<bool> cutShort{false};
};
std::array<LiveRange, 64> liveRanges;
std::mutex slotMutex;  // taking and freeing slots; the handler never locks

uintptr_t pageSize = 4096;
struct sigaction previousAction {};

// A page of a live range that the file no longer backs becomes a page of
// zeros, so that the read goes on; anything else is handed to whatever
// handled the signal before us, or ends the program as it would have.
void onBusError(int signal, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
  for (LiveRange& range : liveRanges) {
    if (address < range.begin.load() || address >= range.end.load()) continue;
    void* page = reinterpret_cast<void*>(address & ~(pageSize - 1));
    if (::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
      range.cutShort.store(true);
      return;
    }
  }
  if ((previousAction.sa_flags & SA_SIGINFO) && previousAction.sa_sigaction) {
    previousAction.sa_sigaction(signal, info, context);
  } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
    previousAction.sa_handler(signal);
  } else {
    // The faulting read runs again and now meets the default action.
    ::signal(SIGBUS, SIG_DFL);
  }
}

void installBusErrorHandler() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousAction);
  });
}

int takeSlot(uintptr_t begin, uintptr_t end) {
  std::lock_guard lock(slotMutex);
  for (size_t i = 0; i < liveRanges.size(); ++i) {
    LiveRange& range = liveRanges[i];
    if (range.end.load() != 0) continue;
    range.cutShort.store(false);
    range.begin.store(begin);
    range.end.store(end);
    return static_cast<int>(i);
  }
  return -1;
}

void freeSlot(int slot) {
  std::lock_guard lock(slotMutex);
  liveRanges[static_cast<size_t>(slot)].end.store(0);
  liveRanges[static_cast<size_t>(slot)].begin.store(0);
}

}  // namespace

std::shared_ptr<const FileMapping> FileMapping::map(int fd, int64_t offset, size_t length) {
  if (offset < 0 || length == 0) return nullptr;
  installBusErrorHandler();
  std::shared_ptr<FileMapping> mapping(new FileMapping());
  const auto pageOffset = static_cast<int64_t>(static_cast<uint64_t>(offset) % pageSize);
  const size_t mappedBytes = length + static_cast<size_t>(pageOffset);
  void* base = ::mmap(nullptr, mappedBytes, PROT_READ, MAP_SHARED, fd, offset - pageOffset);
  if (base == MAP_FAILED) return nullptr;
  mapping->base_ = base;
  mapping->mappedBytes_ = mappedBytes;
  mapping->data_ = static_cast<const uint8_t*>(base) + pageOffset;
  // Read front to back: the kernel reads ahead of a file that is not cached.
  // The pages are mapped by the threads that convert the frames as they
  // first touch them: a fault maps many cached pages at once, which measured
  // cheaper than filling the window in beforehand (MAP_POPULATE goes a page
  // at a time and made the reading thread the bottleneck).
  ::madvise(base, mappedBytes, MADV_SEQUENTIAL);
  const auto begin = reinterpret_cast<uintptr_t>(base);
  mapping->slot_ = takeSlot(begin, begin + mappedBytes);
  if (mapping->slot_ < 0) return nullptr;
  return mapping;
}

FileMapping::~FileMapping() {
  if (slot_ >= 0) freeSlot(slot_);
  if (base_) ::munmap(base_, mappedBytes_);
}

bool FileMapping::cutShort() const { return liveRanges[static_cast<size_t>(slot_)].cutShort.load(); }

}  // namespace horaz::cli
