#pragma once

#include <cstdint>

#include "effect/clock_value.h"

namespace horaz {

// `Style List` holds 1 to 15; a value of 0 (no item carries it, but a freshly
// applied effect may hold it) counts as "hh:mm:ss.fff". Other values pass.
[[nodiscard]] std::int32_t effectiveTimerStyle(std::int32_t timerStyle) noexcept;

// The shown time for one frame: start time plus (or minus) the scaled elapsed
// time, held at the stop time, wrapped at 24 hours. Pure and stateless: any
// thread, any order, any number of times. Defined for every input.
[[nodiscard]] ClockValue computeClockValue(const ClockInputs& inputs) noexcept;

}  // namespace horaz
