#pragma once

#include <cstdint>

#include "host/render.h"
#include "testhost/host_object.h"

namespace horaz::testhost {

// The time (in frames) and field of one render call, or the viewer's time.
class HostTimeSource final : public HostObject<acf::TimeSource> {
 public:
  HostTimeSource(std::shared_ptr<Ledger> ledger, double time, int32_t field)
      : HostObject(std::move(ledger)), time_(time), field_(field) {}
  double ACFCALL GetTime() override { return time_; }
  int32_t ACFCALL GetField() override { return field_; }

 private:
  double time_;
  int32_t field_;
};

// The render request; its value is handed on to the input accessor.
class HostRequest final : public HostObject<acf::Request> {
 public:
  HostRequest(std::shared_ptr<Ledger> ledger, int32_t value) : HostObject(std::move(ledger)), value_(value) {}
  int32_t ACFCALL GetValue() override { return value_; }

 private:
  int32_t value_;
};

}  // namespace horaz::testhost
