#pragma once

#include <cstdint>

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "module/base/component_base.h"

namespace horaz {

// The clock effect: one instance per use of the effect in the host. It keeps
// only its reference to the host between calls; every render starts from
// nothing. Operations may run on any host thread, several renders at once.
class ClockEffect final : public Component<acf::EffectInterface> {
 public:
  explicit ClockEffect(acf::IUnknown* outer);

  // kNullArgument for a null host; otherwise keeps a reference to it.
  acf::Result initialise(acf::IUnknown* host) override;

  // The operations the host calls around renders; they keep no state.
  acf::Result ACFCALL Operation3(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override;
  acf::Result ACFCALL Operation4(void* pointer) override;  // kNullArgument for null, writes nothing
  acf::Result ACFCALL Operation5(int32_t, int32_t) override;
  acf::Result ACFCALL Operation6(int32_t, int32_t, int32_t) override;
  acf::Result ACFCALL Operation7(int32_t, int32_t, int32_t, int32_t, int32_t) override;
  // [8] Renders one frame, or one field of an interlaced frame: copies the
  // input frame to the output frame with the clock drawn over it.
  // [thread-safe] Several renders may run at once on one instance; each
  // works only on what it makes and what the host passes in. The objects
  // the host hands out stay the host's; every reference taken is released.
  // Returns 0; a host operation's failure code unchanged; kUnexpected when
  // the host lacks its render-time interface (the output untouched), hands
  // out a null object with success, gives an input frame smaller than the
  // output, or a pixel layout the blend cannot use safely; kOutOfMemory when
  // the frame-sized surface cannot be made (the output unwritten);
  // kNullArgument for a null context, request, time source or output set.
  acf::Result ACFCALL Render(acf::ParameterSet* context, int32_t, int32_t, acf::Request* request, int32_t,
                             acf::TimeSource* timeSource, acf::OutputSet* outputs) override;
  acf::Result ACFCALL Operation9(int32_t, int32_t, int32_t, int32_t, int32_t) override;
  acf::Result ACFCALL Operation10(int32_t, int32_t, int32_t) override;
  acf::Result ACFCALL Operation11(int32_t, int32_t) override;

 private:
  acf::Result render(acf::ParameterSet& context, acf::Request& request, acf::TimeSource& timeSource,
                     acf::OutputSet& outputs) const;

  CountedRef<acf::IUnknown> host_;  // set once by initialise
};

// The effect's ComponentCreator.
acf::Result createClockEffect(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out);

}  // namespace horaz
