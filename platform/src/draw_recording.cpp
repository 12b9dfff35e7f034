#include "draw_recording.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace horaz::platform {

struct DrawRecording::State {
  const void* dc = nullptr;
  std::thread::id thread;
  std::vector<RecordedCall> calls;
};

namespace detail {

std::atomic<int> liveRecordings{0};

namespace {

std::mutex& registryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<DrawRecording::State*>& registry() {
  static std::vector<DrawRecording::State*> states;
  return states;
}

}  // namespace

void deliverToDc(const void* dc, RecordedCall call) {
  if (!dc) return;
  std::lock_guard lock(registryMutex());
  for (DrawRecording::State* state : registry())
    if (state->dc == dc) state->calls.push_back(call);
}

void deliverToThread(RecordedCall call) {
  const std::thread::id self = std::this_thread::get_id();
  std::lock_guard lock(registryMutex());
  for (DrawRecording::State* state : registry())
    if (state->thread == self) state->calls.push_back(call);
}

}  // namespace detail

DrawRecording::DrawRecording(HDC dc) : state(std::make_unique<State>()) {
  state->dc = dc;
  state->thread = std::this_thread::get_id();
  std::lock_guard lock(detail::registryMutex());
  detail::registry().push_back(state.get());
  detail::liveRecordings.fetch_add(1, std::memory_order_release);
}

DrawRecording::~DrawRecording() {
  std::lock_guard lock(detail::registryMutex());
  auto& states = detail::registry();
  states.erase(std::remove(states.begin(), states.end(), state.get()), states.end());
  detail::liveRecordings.fetch_sub(1, std::memory_order_release);
}

const std::vector<RecordedCall>& DrawRecording::calls() const { return state->calls; }

std::vector<RecordedCall> DrawRecording::snapshot() const {
  std::lock_guard lock(detail::registryMutex());
  return state->calls;
}

std::vector<RecordedCall> DrawRecording::named(const std::string& name) const {
  std::lock_guard lock(detail::registryMutex());
  std::vector<RecordedCall> matching;
  for (const RecordedCall& call : state->calls)
    if (call.name == name) matching.push_back(call);
  return matching;
}

void DrawRecording::clear() {
  std::lock_guard lock(detail::registryMutex());
  state->calls.clear();
}

}  // namespace horaz::platform
