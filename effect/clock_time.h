#pragma once

#include <cstdint>

#include "effect/clock_value.h"

namespace horaz {

// `Style List` holds 1 to 15; 0 (no item carries it, but a freshly applied
// effect may hold it) counts as 1, "hh:mm:ss.fff". Other values pass as they are.
[[nodiscard]] int32_t effectiveTimerStyle(int32_t timerStyle) noexcept;

// The shown time for one frame: the start time plus (or, counting down, minus)
// the scaled elapsed time, held at the stop time, wrapped at 24 hours.
// Pure and stateless ([thread-safe]); defined for every input.
[[nodiscard]] ClockValue computeClockValue(const ClockInputs& inputs) noexcept;

}  // namespace horaz
