#pragma once

#include <cstdint>
#include <optional>

#include "host/parameters.h"
#include "host/vocabulary.h"

namespace horaz {

// One parameter value of a fixed-size type, as the render and the overlay
// read it: nothing when the host's read fails (whatever a failing host left
// in the destination is not used).

template <class Value>
[[nodiscard]] std::optional<Value> valueAtTime(acf::Parameter& parameter, double time, const acf::Guid& valueType) {
  Value value{};
  if (acf::failed(parameter.GetValueAtTime(time, valueType, &value, sizeof value))) return std::nullopt;
  return value;
}

template <class Value>
[[nodiscard]] std::optional<Value> valueWithoutTime(acf::Parameter& parameter, const acf::Guid& valueType) {
  Value value{};
  if (acf::failed(parameter.GetValue(valueType, &value, sizeof value))) return std::nullopt;
  return value;
}

}  // namespace horaz
