#include "testhost/output_set.h"

namespace horaz::testhost {

HostOutputSet::HostOutputSet(std::shared_ptr<Ledger> ledger, CountedRef<acf::Frame> frame)
    : HostObject(std::move(ledger)), frame_(std::move(frame)) {}

acf::Result ACFCALL HostOutputSet::GetOutputFrame(int32_t index, const acf::Guid& iid, const acf::Guid&, void** out) {
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  if (const acf::Result injected = enter("OutputSet.GetOutputFrame"); acf::failed(injected)) return injected;
  if (index != 0 || !frame_) return acf::kNoInterface;
  if (iid != acf::OutputSet::kFrameId && iid != acf::IUnknown::kId) return acf::kNoInterface;
  frame_->AddRef();
  *out = frame_.get();
  return acf::kOk;
}

}  // namespace horaz::testhost
