#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "host/counted_ref.h"
#include "host/render.h"
#include "testhost/host_object.h"
#include "testhost/ledger.h"

namespace horaz::testhost {

// The arguments an input frame was asked for with.
struct InputFrameRequest {
  int32_t requestValue = 0;
  int32_t field = 0;
  int32_t fieldMode = 0;
  friend bool operator==(const InputFrameRequest&, const InputFrameRequest&) = default;
};

// The input accessor of one render call: hands out the call's input frame,
// whatever field is asked for (the frame holds both fields' rows).
class HostInputAccessor final : public HostObject<acf::InputAccessor> {
 public:
  HostInputAccessor(std::shared_ptr<Ledger> ledger, CountedRef<acf::Frame> frame);

  // A failable call named "InputAccessor.GetInputFrame"; hands out the frame
  // with one reference and remembers the arguments.
  acf::Result ACFCALL GetInputFrame(int32_t requestValue, int32_t field, int32_t fieldMode, acf::Frame** out) override;

  // The arguments of the last GetInputFrame that got this far.
  std::optional<InputFrameRequest> lastRequest() const;

 private:
  CountedRef<acf::Frame> frame_;
  mutable std::mutex mutex_;
  std::optional<InputFrameRequest> lastRequest_;
};

}  // namespace horaz::testhost
