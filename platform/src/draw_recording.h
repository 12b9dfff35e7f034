// Internal side of horaz_platform/recording.h: where the platform functions
// hand their calls to the live recordings.
#pragma once

#include <atomic>
#include <utility>

#include "horaz_platform/recording.h"

namespace horaz::platform::detail {

extern std::atomic<int> liveRecordings;

void deliverToDc(const void* dc, RecordedCall call);
void deliverToThread(RecordedCall call);

// Builds the call only when some recording is alive.
template <class Make>
void recordOnDc(const void* dc, Make&& make) {
  if (liveRecordings.load(std::memory_order_acquire) > 0) deliverToDc(dc, make());
}

template <class Make>
void recordOnThread(Make&& make) {
  if (liveRecordings.load(std::memory_order_acquire) > 0) deliverToThread(make());
}

inline RecordedCall namedCall(const char* name, int status) {
  RecordedCall call;
  call.name = name;
  call.status = status;
  return call;
}

}  // namespace horaz::platform::detail
