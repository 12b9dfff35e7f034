#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/guid.h"
#include "testhost/font_choice.h"
#include "testhost/registration_model.h"

namespace horaz::testhost {

// A --set or --font argument the plug-in's parameters do not accept; the
// message names the parameter and what it takes. Exit code 2.
class SettingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value for the parameter store: the parameter's id and value type, the
// value's bytes as the store keeps them, and the keyframe time (in frames)
// or none for a constant value.
struct ParameterAssignment {
  acf::Guid id;
  std::string name;
  acf::Guid valueType;
  std::vector<uint8_t> bytes;
  std::optional<double> keyframe;
};

// What one registered parameter accepts, read from the registration: its
// kind, limits, list items (from the pop-up list bound to it) and, for a
// colour, its three channels.
struct ParameterRule {
  enum class Kind { kInteger, kSpeedInteger, kDouble, kBoolean, kText, kData, kColour, kList };
  struct Item {
    std::string text;
    std::optional<int32_t> value;  // none: the panel gives the item no value
  };

  const testhost::ParameterRecord* record = nullptr;
  std::string name;
  Kind kind = Kind::kInteger;
  std::optional<double> minimum, maximum, defaultValue;
  std::vector<Item> items;
  std::vector<const testhost::ParameterRecord*> channels;

  // "a whole number from 0 to 23", "one of ...", for messages and listings.
  std::string accepts() const;
};

std::vector<ParameterRule> parameterRules(const testhost::RegistrationModel& model);

// Resolves "NAME=VALUE" or "NAME@FRAME=VALUE". A colour gives three
// assignments (its channels). `notes` receives remarks on values that are
// taken but unusual (a list value that is no item). Throws SettingError.
std::vector<ParameterAssignment> resolveSetting(const std::vector<ParameterRule>& rules, std::string_view argument,
                                                std::vector<std::string>& notes);

// Parses "FACE[:bold][:italic][:underline][:strikeout][:HEIGHT]" into the
// font dialog's answer. Throws SettingError.
testhost::FontChoice parseFontChoice(std::string_view argument);

}  // namespace horaz::testhost
