// Process-wide counts of live objects, read through horaz_platform/status.h.
#pragma once

#include <atomic>

namespace horaz::platform::detail {

struct LiveCounters {
  std::atomic<int> graphics{0};
  std::atomic<int> gdiplusBrushes{0};
  std::atomic<int> gdiplusPens{0};
  std::atomic<int> fonts{0};
  std::atomic<int> fontFamilies{0};
  std::atomic<int> stringFormats{0};
  std::atomic<int> deviceContexts{0};
  std::atomic<int> bitmaps{0};
  std::atomic<int> gdiPens{0};
  std::atomic<int> gdiBrushes{0};
  std::atomic<int> regions{0};
};

LiveCounters& liveCounters();

// Counts one object of a kind for as long as it lives; embed it in the object.
template <std::atomic<int> LiveCounters::*Counter>
struct CountedLive {
  CountedLive() { (liveCounters().*Counter).fetch_add(1, std::memory_order_relaxed); }
  CountedLive(const CountedLive&) : CountedLive() {}
  CountedLive& operator=(const CountedLive&) = default;
  ~CountedLive() { (liveCounters().*Counter).fetch_sub(1, std::memory_order_relaxed); }
};

}  // namespace horaz::platform::detail
