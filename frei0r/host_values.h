#pragma once

#include <cstdint>
#include <vector>

#include "testhost/parameter_settings.h"

namespace horaz::frei0r {

// A host's number as the parameter store keeps it for `rule`, taken as the
// panel would take it: clamped to the parameter's limits, whole numbers
// rounded to the nearest, a switch on from 0.5, and NaN as the parameter's
// default (0 when it has none). List values other than the items pass (the
// effect answers them: clock type 3 draws nothing) within 32 bits.
std::vector<uint8_t> storeBytes(const testhost::ParameterRule& rule, double value);

// A frei0r colour channel (0..1) as the panel's channel value (0..255).
double channelValue(float fraction);

// The clock's frame for a host time in seconds: seconds x rate, rounded to
// the nearest frame; NaN counts as 0 and the result stays within a billion
// frames either way.
double clockFrame(double seconds, double framesPerSecond);

// The frame rate parameter: NaN gives the default, others are clamped.
double frameRateValue(double value);

}  // namespace horaz::frei0r
