#include "interaction/update_handler.h"

#include "host/counted_ref.h"
#include "host/vocabulary.h"
#include "interaction/parameter_ids.h"
#include "interaction/time_control_groups.h"
#include "host/counted_ref.h"
#include "module/base/boundary.h"
#include "module/base/handed_out.h"

namespace horaz {

UpdateHandler::UpdateHandler(acf::IUnknown* outer) : Component(outer) {}

acf::Result UpdateHandler::initialise(acf::IUnknown* host) { return host ? acf::kOk : acf::kNullPointer; }

acf::Result ACFCALL UpdateHandler::UpdateParams(acf::ParameterSet* parameters, acf::IUnknown* second,
                                                acf::TimeSource* timeSource, acf::Panel* layout, int32_t) {
  if (!parameters || !second || !timeSource || !layout) return acf::kNullPointer;
  return guardBoundary([&] {
    const double now = timeSource->GetTime();

    CountedRef<acf::Parameter> styleList;
    check(parameters->GetParameter(interaction::kStyleListParameter, acf::Parameter::kId, styleList.putVoid()));

    // A host that answers success without an interface, or whose read fails,
    // leaves the style at 0: the time-of-day controls. The read's result is
    // deliberately not checked.
    int32_t style = 0;
    if (styleList) styleList->GetValueAtTime(now, acf::value_type::kInteger, &style, sizeof style);

    // Compared unsigned, so every negative style is above the range too.
    const auto styleValue = static_cast<uint32_t>(style);
    if (styleValue > interaction::kHighestTimerStyle) return acf::kOk;

    for (const interaction::AvailabilityStep& step : interaction::availabilitySequence(styleValue)) {
      CountedRef<acf::PanelControl> control;
      check(obtained(layout->GetControl(step.control, control.put()), control).SetAvailability(step.available));
    }
    return acf::kOk;
  });
}

acf::Result createUpdateHandler(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out) {
  return createComponent<UpdateHandler>(host, outer, iid, out);
}

}  // namespace horaz
