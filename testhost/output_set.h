#pragma once

#include <cstdint>
#include <memory>

#include "host/counted_ref.h"
#include "host/render.h"
#include "testhost/host_object.h"
#include "testhost/ledger.h"

namespace horaz::testhost {

// The output set of one render call: hands out the call's output frame
// (any frame object: a HostFrame, or a test's own).
class HostOutputSet final : public HostObject<acf::OutputSet> {
 public:
  HostOutputSet(std::shared_ptr<Ledger> ledger, CountedRef<acf::Frame> frame);

  // A failable call named "OutputSet.GetOutputFrame". Index 0 asked for
  // kFrameId (or IUnknown) hands out the frame with one reference; anything
  // else gives kNoInterface with *out null.
  acf::Result ACFCALL GetOutputFrame(int32_t index, const acf::Guid& iid, const acf::Guid& secondIid,
                                     void** out) override;

 private:
  CountedRef<acf::Frame> frame_;
};

}  // namespace horaz::testhost
