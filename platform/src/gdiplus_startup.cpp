// GdiplusStartup / GdiplusShutdown: a counted set of tokens.
#include <mutex>
#include <set>

#include "error_boundary.h"
#include "gdiplus_objects.h"
#include "horaz_platform/status.h"

using namespace horaz::platform::detail;

namespace {

struct Startups {
  std::mutex mutex;
  std::set<ULONG_PTR> tokens;
  ULONG_PTR nextToken = 1;
  long long ever = 0;
  std::atomic<int> count{0};
};

Startups& startups() {
  static Startups state;
  return state;
}

GpStatus WINAPI hookNotification(ULONG_PTR* token) {
  if (token) *token = 0;
  return Ok;
}
void WINAPI unhookNotification(ULONG_PTR) {}

}  // namespace

namespace horaz::platform::detail {

bool gdiplusRunning() { return startups().count.load(std::memory_order_acquire) > 0; }

LiveCounters& liveCounters() {
  static LiveCounters counters;
  return counters;
}

double pixelsPerUnit(int unit) {
  switch (unit) {
    case UnitWorld:
    case UnitPixel: return 1.0;
    case UnitPoint: return 96.0 / 72.0;
    case UnitInch: return 96.0;
    case UnitDocument: return 96.0 / 300.0;
    case UnitMillimeter: return 96.0 / 25.4;
    default: return 0.0;
  }
}

}  // namespace horaz::platform::detail

namespace horaz::platform {

int gdiplusStartupCount() { return startups().count.load(std::memory_order_acquire); }

long long gdiplusStartupsEver() {
  std::lock_guard lock(startups().mutex);
  return startups().ever;
}

GdiplusObjectCounts liveGdiplusObjects() {
  const LiveCounters& c = detail::liveCounters();
  return {c.graphics.load(), c.gdiplusBrushes.load(), c.gdiplusPens.load(),
          c.fonts.load(),    c.fontFamilies.load(),   c.stringFormats.load()};
}

GdiObjectCounts liveGdiObjects() {
  const LiveCounters& c = detail::liveCounters();
  return {c.deviceContexts.load(), c.bitmaps.load(), c.gdiPens.load(), c.gdiBrushes.load(), c.regions.load()};
}

}  // namespace horaz::platform

extern "C" {

GpStatus WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output) {
  return gdiplusBoundary([&] {
    if (!token || !input) return failed(InvalidParameter);
    if (input->GdiplusVersion < 1 || input->GdiplusVersion > 3) return failed(UnsupportedGdiplusVersion);
    if (output) {
      auto* hooks = static_cast<GdiplusStartupOutput*>(output);
      hooks->NotificationHook = hookNotification;
      hooks->NotificationUnhook = unhookNotification;
    }
    Startups& state = startups();
    std::lock_guard lock(state.mutex);
    const ULONG_PTR issued = state.nextToken++;
    state.tokens.insert(issued);
    ++state.ever;
    state.count.store(static_cast<int>(state.tokens.size()), std::memory_order_release);
    *token = issued;
    return Ok;
  });
}

void WINAPI GdiplusShutdown(ULONG_PTR token) {
  Startups& state = startups();
  std::lock_guard lock(state.mutex);
  if (state.tokens.erase(token) == 0) return;
  state.count.store(static_cast<int>(state.tokens.size()), std::memory_order_release);
}

}  // extern "C"
