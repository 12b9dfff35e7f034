#include "testhost/input_accessor.h"

namespace horaz::testhost {

HostInputAccessor::HostInputAccessor(std::shared_ptr<Ledger> ledger, CountedRef<acf::Frame> frame)
    : HostObject(std::move(ledger)), frame_(std::move(frame)) {}

acf::Result ACFCALL HostInputAccessor::GetInputFrame(int32_t requestValue, int32_t field, int32_t fieldMode,
                                                     acf::Frame** out) {
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  if (const acf::Result injected = enter("InputAccessor.GetInputFrame"); acf::failed(injected)) return injected;
  {
    std::lock_guard lock(mutex_);
    lastRequest_ = InputFrameRequest{requestValue, field, fieldMode};
  }
  if (!frame_) return acf::kNoInterface;
  frame_->AddRef();
  *out = frame_.get();
  return acf::kOk;
}

std::optional<InputFrameRequest> HostInputAccessor::lastRequest() const {
  std::lock_guard lock(mutex_);
  return lastRequest_;
}

}  // namespace horaz::testhost
