#include "frei0r/host_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "frei0r/parameter_list.h"
#include "testhost/parameter_store.h"

namespace horaz::frei0r {
namespace {

using Kind = testhost::ParameterRule::Kind;

constexpr double kFrameLimit = 1e9;

int32_t wholeNumber(double value) {
  constexpr double kLowest = std::numeric_limits<int32_t>::min();
  constexpr double kHighest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::round(value), kLowest, kHighest));
}

}  // namespace

std::vector<uint8_t> storeBytes(const testhost::ParameterRule& rule, double value) {
  if (std::isnan(value)) value = rule.defaultValue.value_or(0.0);
  if (rule.minimum) value = std::max(value, *rule.minimum);
  if (rule.maximum) value = std::min(value, *rule.maximum);
  switch (rule.kind) {
    case Kind::kDouble: {
      // Unbounded doubles (none today) still keep to finite values.
      const double finite = std::clamp(value, -std::numeric_limits<double>::max(), std::numeric_limits<double>::max());
      return testhost::bytesOf(finite);
    }
    case Kind::kBoolean: return testhost::bytesOf(int32_t{value >= 0.5 ? 1 : 0});
    default: return testhost::bytesOf(wholeNumber(value));
  }
}

double channelValue(float fraction) {
  if (std::isnan(fraction)) fraction = 0.0f;
  return std::round(std::clamp(static_cast<double>(fraction), 0.0, 1.0) * 255.0);
}

double clockFrame(double seconds, double framesPerSecond) {
  const double frames = seconds * framesPerSecond;
  if (std::isnan(frames)) return 0.0;
  return std::round(std::clamp(frames, -kFrameLimit, kFrameLimit));
}

double frameRateValue(double value) {
  if (std::isnan(value)) return kDefaultFrameRate;
  return std::clamp(value, kLowestFrameRate, kHighestFrameRate);
}

}  // namespace horaz::frei0r
