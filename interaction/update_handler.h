#pragma once

#include <cstdint>

#include "host/plugin_interfaces.h"
#include "module/base/component_base.h"

namespace horaz {

// Brings the panel's start and stop time controls in line with the timer
// style: only the fields the chosen style uses stay available. Keeps nothing
// between calls, so it may be called from any host thread without a lock.
class UpdateHandler final : public Component<acf::UpdateHandler> {
 public:
  explicit UpdateHandler(acf::IUnknown* outer);

  // kNullPointer for a null host; keeps nothing.
  acf::Result initialise(acf::IUnknown* host) override;

  // [3] Reads `Style List` at the time source's time and sets the
  // availability of the eleven time controls in the order of the style's
  // group. `second` must be non-null but is not used; `fifth` is not used.
  // Returns 0; kNullPointer when one of the first four arguments is null; the
  // failing code of a parameter or control look-up or of SetAvailability
  // (the controls set before it keep their new state); kUnexpected for
  // anything else. A style outside 0..15 changes nothing and returns 0.
  acf::Result ACFCALL UpdateParams(acf::ParameterSet* parameters, acf::IUnknown* second, acf::TimeSource* timeSource,
                                   acf::Panel* layout, int32_t fifth) override;
};

// The update handler's ComponentCreator.
acf::Result createUpdateHandler(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out);

}  // namespace horaz
