#include "testhost/ledger.h"

namespace horaz::testhost {

acf::Result Ledger::enter(std::string_view operation) {
  const uint64_t number = calls_.fetch_add(1) + 1;
  std::lock_guard lock(mutex_);
  if (recording_) log_.emplace_back(operation);
  if (failingCall_ != 0 && number == failingCall_) return failingCode_;
  if (!failingOperation_.empty() && operation == failingOperation_) return failingOperationCode_;
  return acf::kOk;
}

void Ledger::failCall(uint64_t callNumber, acf::Result code) {
  std::lock_guard lock(mutex_);
  failingCall_ = callNumber;
  failingCode_ = code;
}

void Ledger::failOperation(std::string operation, acf::Result code) {
  std::lock_guard lock(mutex_);
  failingOperation_ = std::move(operation);
  failingOperationCode_ = code;
}

void Ledger::clearFaults() {
  std::lock_guard lock(mutex_);
  failingCall_ = 0;
  failingOperation_.clear();
}

void Ledger::resetCalls() {
  std::lock_guard lock(mutex_);
  calls_.store(0);
  log_.clear();
}

void Ledger::setRecording(bool on) {
  std::lock_guard lock(mutex_);
  recording_ = on;
}

std::vector<std::string> Ledger::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

}  // namespace horaz::testhost
