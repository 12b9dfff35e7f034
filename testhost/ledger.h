#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "host/result.h"

namespace horaz::testhost {

// What one host has handed out and been asked: a count of live host objects,
// a numbered log of the host calls that can fail (operations returning a
// result code), and fault injection that fails the N-th such call.
// Thread-safe.
class Ledger {
 public:
  // Counts one failable host call named `operation` ("Parameter.GetValue"),
  // or "operation(subject)" when it has a subject (the parameter's name).
  // Returns the code to fail it with, or kOk to let it proceed.
  acf::Result enter(std::string_view operation, std::string_view subject = {});

  // Fails call number `callNumber` (1-based, counted from now on as from the
  // last reset) with `code`. 0 switches fault injection off.
  void failCall(uint64_t callNumber, acf::Result code);
  // Fails every call whose operation name equals `operation`.
  void failOperation(std::string operation, acf::Result code);
  void clearFaults();
  // Resets the call count and the log; faults stay.
  void resetCalls();

  uint64_t callCount() const { return calls_.load(); }
  // The operation names in call order (kept only while recording).
  void setRecording(bool on);
  std::vector<std::string> log() const;

  void objectCreated() { live_.fetch_add(1); }
  void objectDestroyed() { live_.fetch_sub(1); }
  int64_t liveObjects() const { return live_.load(); }

 private:
  // Under mutex_: whether a call needs more than its count, which spares
  // the usual call (no fault armed, nothing logged) the lock and its name.
  void updateWatching();

  std::atomic<uint64_t> calls_{0};
  std::atomic<bool> watching_{false};
  std::atomic<int64_t> live_{0};
  mutable std::mutex mutex_;
  uint64_t failingCall_ = 0;
  acf::Result failingCode_ = acf::kOk;
  std::string failingOperation_;
  acf::Result failingOperationCode_ = acf::kOk;
  bool recording_ = false;
  std::vector<std::string> log_;
};

}  // namespace horaz::testhost
