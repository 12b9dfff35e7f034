#include "testhost/ledger.h"

namespace horaz::testhost {

acf::Result Ledger::enter(std::string_view operation, std::string_view subject) {
  const uint64_t number = calls_.fetch_add(1) + 1;
  if (!watching_.load(std::memory_order_acquire)) return acf::kOk;
  std::lock_guard lock(mutex_);
  std::string name;
  if (recording_ || !failingOperation_.empty()) {
    name = operation;
    if (!subject.empty()) name.append("(").append(subject).append(")");
  }
  if (recording_) log_.push_back(name);
  if (failingCall_ != 0 && number == failingCall_) return failingCode_;
  if (!failingOperation_.empty() && name == failingOperation_) return failingOperationCode_;
  return acf::kOk;
}

void Ledger::updateWatching() {
  watching_.store(recording_ || failingCall_ != 0 || !failingOperation_.empty(), std::memory_order_release);
}

void Ledger::failCall(uint64_t callNumber, acf::Result code) {
  std::lock_guard lock(mutex_);
  failingCall_ = callNumber;
  failingCode_ = code;
  updateWatching();
}

void Ledger::failOperation(std::string operation, acf::Result code) {
  std::lock_guard lock(mutex_);
  failingOperation_ = std::move(operation);
  failingOperationCode_ = code;
  updateWatching();
}

void Ledger::clearFaults() {
  std::lock_guard lock(mutex_);
  failingCall_ = 0;
  failingOperation_.clear();
  updateWatching();
}

void Ledger::resetCalls() {
  std::lock_guard lock(mutex_);
  calls_.store(0);
  log_.clear();
}

void Ledger::setRecording(bool on) {
  std::lock_guard lock(mutex_);
  recording_ = on;
  updateWatching();
}

std::vector<std::string> Ledger::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

}  // namespace horaz::testhost
