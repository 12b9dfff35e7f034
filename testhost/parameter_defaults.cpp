#include "testhost/parameter_defaults.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "host/vocabulary.h"

namespace horaz::testhost {
namespace {

// A numeric attribute as a double, whichever of the numeric types it came in.
std::optional<double> numberOf(const Attribute& attribute) {
  if (const std::optional<double> value = attribute.asDouble()) return value;
  if (const std::optional<int32_t> value = attribute.asInteger()) return double(*value);
  return std::nullopt;
}

int32_t toInt32(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int32_t>(std::clamp(std::trunc(value), double(std::numeric_limits<int32_t>::min()),
                                         double(std::numeric_limits<int32_t>::max())));
}

}  // namespace

std::vector<uint8_t> initialValueOf(const ParameterRecord& parameter) {
  namespace type = acf::value_type;
  const Attribute* fallback = findAttribute(parameter.attributes, acf::attribute_key::kDefault);
  // No Default, or one that is not a number: 0.
  double number = 0.0;
  if (fallback) number = numberOf(*fallback).value_or(0.0);
  const acf::Guid& valueType = parameter.valueType;

  if (valueType == type::kDouble) return bytesOf(number);
  if (valueType == type::kInteger || valueType == type::kSpeedInteger || valueType == type::kBoolean)
    return bytesOf(toInt32(number));
  if (valueType == type::kColour) {
    if (fallback && fallback->asColour()) return fallback->bytes;
    return std::vector<uint8_t>(24, 0);
  }
  if (valueType == type::kText) {
    if (!fallback) return {};
    const std::string utf8 =
        fallback->asText() ? toUtf8(*fallback->asText()) : std::string(fallback->bytes.begin(), fallback->bytes.end());
    return std::vector<uint8_t>(utf8.begin(), utf8.end());
  }
  return fallback ? fallback->bytes : std::vector<uint8_t>{};
}

void defineRegisteredParameters(const RegistrationModel& model, ParameterStore& store) {
  for (const ParameterRecord& parameter : model.parameters()) {
    if (!parameter.defined || store.has(parameter.id)) continue;
    store.define(ParameterStore::Definition{parameter.id, toUtf8(parameter.name), parameter.valueType,
                                            initialValueOf(parameter)});
  }
}

}  // namespace horaz::testhost
