#include "testhost/parameter_settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "host/vocabulary.h"

#include "testhost/number_text.h"
#include "testhost/parameter_store.h"

namespace horaz::testhost {
namespace {

using testhost::ParameterRecord;
using testhost::RegistrationModel;
using Kind = ParameterRule::Kind;

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<double> numericAttribute(const ParameterRecord& record, const acf::Guid& key) {
  const testhost::Attribute* attribute = testhost::findAttribute(record.attributes, key);
  if (!attribute) return std::nullopt;
  if (const auto asDouble = attribute->asDouble()) return *asDouble;
  if (const auto asInteger = attribute->asInteger()) return static_cast<double>(*asInteger);
  return std::nullopt;
}

// Edit distance, for "did you mean".
size_t distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

bool validUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
    i += length;
  }
  return true;
}

class Resolver {
 public:
  Resolver(const ParameterRule& rule, std::string_view argument, std::optional<double> keyframe,
           std::vector<std::string>& notes)
      : rule_(rule), argument_(argument), keyframe_(keyframe), notes_(notes) {}

  std::vector<ParameterAssignment> resolve(std::string_view value) {
    switch (rule_.kind) {
      case Kind::kInteger:
      case Kind::kSpeedInteger: return {assignment(*rule_.record, testhost::bytesOf(wholeNumber(rule_, value)))};
      case Kind::kDouble: return {assignment(*rule_.record, testhost::bytesOf(number(rule_, value)))};
      case Kind::kBoolean: return {assignment(*rule_.record, testhost::bytesOf(boolean(value)))};
      case Kind::kList: return {assignment(*rule_.record, testhost::bytesOf(listValue(value)))};
      case Kind::kText:
        if (!validUtf8(value)) reject("is not valid UTF-8 text");
        return {assignment(*rule_.record, std::vector<uint8_t>(value.begin(), value.end()))};
      case Kind::kData:
        throw SettingError(context() + ": " + rule_.name + " holds the digital clock's font; choose it with --font");
      case Kind::kColour: return colour(value);
    }
    return {};
  }

 private:
  [[noreturn]] void reject(const std::string& why) const {
    throw SettingError(context() + ": " + rule_.name + " accepts " + rule_.accepts() + "; '" + lastValue_ + "' " + why);
  }
  std::string context() const { return "--set \"" + std::string(argument_) + "\""; }

  ParameterAssignment assignment(const ParameterRecord& record, std::vector<uint8_t> bytes) const {
    return ParameterAssignment{record.id, testhost::toUtf8(record.name), record.valueType, std::move(bytes), keyframe_};
  }

  void checkLimits(const ParameterRule& rule, double value) {
    if ((rule.minimum && value < *rule.minimum) || (rule.maximum && value > *rule.maximum))
      throw SettingError(context() + ": " + rule.name + " accepts " + rule.accepts() + "; " + lastValue_ +
                         " is out of range");
  }

  int32_t wholeNumber(const ParameterRule& rule, std::string_view text) {
    lastValue_ = std::string(trim(text));
    int64_t value = 0;
    if (!parseInt64(lastValue_, value)) {
      throw SettingError(context() + ": " + rule.name + " accepts " + rule.accepts() + "; '" + lastValue_ +
                         "' is not a whole number");
    }
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
      throw SettingError(context() + ": " + rule.name + " accepts " + rule.accepts() + "; " + lastValue_ +
                         " is out of range");
    checkLimits(rule, static_cast<double>(value));
    return static_cast<int32_t>(value);
  }

  double number(const ParameterRule& rule, std::string_view text) {
    lastValue_ = std::string(trim(text));
    double value = 0.0;
    if (!parseDouble(lastValue_, value))
      throw SettingError(context() + ": " + rule.name + " accepts " + rule.accepts() + "; '" + lastValue_ +
                         "' is not a number");
    checkLimits(rule, value);
    return value;
  }

  int32_t boolean(std::string_view text) {
    lastValue_ = lower(trim(text));
    for (const std::string_view yes : {"1", "true", "on", "yes"})
      if (lastValue_ == yes) return 1;
    for (const std::string_view no : {"0", "false", "off", "no"})
      if (lastValue_ == no) return 0;
    lastValue_ = std::string(trim(text));
    reject("is not one of them");
  }

  int32_t listValue(std::string_view text) {
    lastValue_ = std::string(trim(text));
    const auto valueOf = [&](const ParameterRule::Item& item) {
      // The item the panel gives no value: the effect reads 0 for it.
      if (!item.value) {
        notes_.push_back(rule_.name + ": \"" + item.text +
                         "\" has no value in the panel; 0 is set, which the effect "
                         "treats as this item");
        return 0;
      }
      return *item.value;
    };
    for (const ParameterRule::Item& item : rule_.items)
      if (item.text == lastValue_) return valueOf(item);
    for (const ParameterRule::Item& item : rule_.items)
      if (lower(item.text) == lower(lastValue_)) return valueOf(item);
    int64_t value = 0;
    if (!parseInt64(lastValue_, value))
      throw SettingError(context() + ": " + rule_.name + " accepts " + rule_.accepts() + "; '" + lastValue_ +
                         "' is neither an item nor a whole number");
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
      throw SettingError(context() + ": " + rule_.name + " accepts " + rule_.accepts() + "; " + lastValue_ +
                         " is out of range");
    const bool isItem = std::any_of(rule_.items.begin(), rule_.items.end(),
                                    [&](const ParameterRule::Item& item) { return item.value.value_or(0) == value; });
    if (!isItem) notes_.push_back(rule_.name + "=" + lastValue_ + " is none of the panel's items; passed on as it is");
    return static_cast<int32_t>(value);
  }

  std::vector<ParameterAssignment> colour(std::string_view text) {
    lastValue_ = std::string(trim(text));
    std::array<std::string, 3> parts;
    if (lastValue_.size() == 7 && lastValue_.front() == '#') {
      for (size_t i = 0; i < 3; ++i) {
        unsigned channel = 0;
        const char* begin = lastValue_.data() + 1 + 2 * i;
        const auto [end, error] = std::from_chars(begin, begin + 2, channel, 16);
        if (error != std::errc() || end != begin + 2) reject("is not a colour");
        parts[i] = std::to_string(channel);
      }
    } else {
      std::string_view rest = lastValue_;
      for (size_t i = 0; i < 3; ++i) {
        const size_t comma = rest.find(',');
        if ((i < 2) == (comma == std::string_view::npos)) reject("is not three numbers R,G,B");
        parts[i] = std::string(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      }
    }
    if (rule_.channels.size() != 3) reject("cannot be set: the colour has no channels");
    std::vector<ParameterAssignment> out;
    for (size_t i = 0; i < 3; ++i) {
      ParameterRule channel = ruleFor(*rule_.channels[i]);
      out.push_back(assignment(*rule_.channels[i], testhost::bytesOf(number(channel, parts[i]))));
    }
    return out;
  }

  static ParameterRule ruleFor(const ParameterRecord& record) {
    ParameterRule rule;
    rule.record = &record;
    rule.name = testhost::toUtf8(record.name);
    rule.kind = Kind::kDouble;
    rule.minimum = numericAttribute(record, acf::attribute_key::kMinimum);
    rule.maximum = numericAttribute(record, acf::attribute_key::kMaximum);
    return rule;
  }

  const ParameterRule& rule_;
  std::string_view argument_;
  std::optional<double> keyframe_;
  std::vector<std::string>& notes_;
  std::string lastValue_;
};

}  // namespace

std::string ParameterRule::accepts() const {
  const auto range = [&](const char* what) {
    std::string text = what;
    if (minimum && maximum)
      return text + " from " + testhost::numberText(*minimum) + " to " + testhost::numberText(*maximum);
    if (minimum) return text + " of at least " + testhost::numberText(*minimum);
    if (maximum) return text + " of at most " + testhost::numberText(*maximum);
    return text;
  };
  switch (kind) {
    case Kind::kInteger:
    case Kind::kSpeedInteger: return range("a whole number");
    case Kind::kDouble: return range("a number");
    case Kind::kBoolean: return "0 or 1 (also false/true, off/on, no/yes)";
    case Kind::kText: return "a text";
    case Kind::kData: return "nothing on the command line (it is set with --font)";
    case Kind::kColour: return "R,G,B (each 0 to 255) or #RRGGBB";
    case Kind::kList: {
      std::string text = "one of";
      for (size_t i = 0; i < items.size(); ++i) {
        text += i == 0 ? " " : ", ";
        text += std::to_string(items[i].value.value_or(0)) + " \"" + items[i].text + "\"";
      }
      return text + " (the value or the text)";
    }
  }
  return {};
}

std::vector<ParameterRule> parameterRules(const RegistrationModel& model) {
  namespace type = acf::value_type;
  std::vector<ParameterRule> rules;
  const auto& parameters = model.parameters();
  for (size_t handle = 0; handle < parameters.size(); ++handle) {
    const ParameterRecord& record = parameters[handle];
    if (!record.defined) continue;
    ParameterRule rule;
    rule.record = &record;
    rule.name = testhost::toUtf8(record.name);
    rule.minimum = numericAttribute(record, acf::attribute_key::kMinimum);
    rule.maximum = numericAttribute(record, acf::attribute_key::kMaximum);
    rule.defaultValue = numericAttribute(record, acf::attribute_key::kDefault);
    const acf::Guid& valueType = record.valueType;
    if (valueType == type::kInteger) {
      rule.kind = Kind::kInteger;
    } else if (valueType == type::kSpeedInteger) {
      rule.kind = Kind::kSpeedInteger;
    } else if (valueType == type::kDouble) {
      rule.kind = Kind::kDouble;
    } else if (valueType == type::kBoolean) {
      rule.kind = Kind::kBoolean;
    } else if (valueType == type::kText) {
      rule.kind = Kind::kText;
    } else if (valueType == type::kColour) {
      rule.kind = Kind::kColour;
      for (const int channel : record.components) rule.channels.push_back(&model.parameter(channel));
    } else {
      rule.kind = Kind::kData;
    }
    // An integer bound to a pop-up list takes the list's items.
    for (const testhost::ControlRecord& control : model.controls()) {
      if (control.kind != testhost::ControlKind::PopUpList || control.parameter != static_cast<int>(handle)) continue;
      rule.kind = Kind::kList;
      for (const int child : control.children) {
        const testhost::ControlRecord& item = model.control(child);
        if (item.kind != testhost::ControlKind::ListItem) continue;
        std::optional<int32_t> value;
        if (const testhost::Attribute* declared =
                testhost::findAttribute(item.attributes, acf::attribute_key::kDefault))
          value = declared->asInteger();
        rule.items.push_back({testhost::toUtf8(item.label.value_or(u"")), value});
      }
      break;
    }
    rules.push_back(std::move(rule));
  }
  return rules;
}

std::vector<ParameterAssignment> resolveSetting(const std::vector<ParameterRule>& rules, std::string_view argument,
                                                std::vector<std::string>& notes) {
  const size_t equals = argument.find('=');
  if (equals == std::string_view::npos)
    throw SettingError("--set \"" + std::string(argument) + "\": expected NAME=VALUE or NAME@FRAME=VALUE");
  std::string_view name = argument.substr(0, equals);
  const std::string_view value = argument.substr(equals + 1);
  std::optional<double> keyframe;
  if (const size_t at = name.rfind('@'); at != std::string_view::npos) {
    double frame = 0.0;
    if (!parseDouble(trim(name.substr(at + 1)), frame) || std::fabs(frame) > 1e9)
      throw SettingError("--set \"" + std::string(argument) + "\": the keyframe time after '@' must be a frame number");
    keyframe = frame;
    name = name.substr(0, at);
  }
  name = trim(name);

  const auto found =
      std::find_if(rules.begin(), rules.end(), [&](const ParameterRule& rule) { return rule.name == name; });
  if (found == rules.end()) {
    std::string message = "--set \"" + std::string(argument) + "\": unknown parameter '" + std::string(name) + "'";
    const ParameterRule* best = nullptr;
    size_t bestDistance = 4;
    for (const ParameterRule& rule : rules) {
      const size_t d = distance(lower(rule.name), lower(name));
      if (d < bestDistance) {
        bestDistance = d;
        best = &rule;
      }
    }
    if (best) message += "; did you mean \"" + best->name + "\"?";
    message += " (horaz render --list-parameters lists them all)";
    throw SettingError(message);
  }
  return Resolver(*found, argument, keyframe, notes).resolve(value);
}

testhost::FontChoice parseFontChoice(std::string_view argument) {
  const auto fail = [&](const std::string& why) -> SettingError {
    return SettingError("--font \"" + std::string(argument) + "\": " + why +
                        " (expected FACE[:bold][:italic][:underline][:strikeout][:HEIGHT])");
  };
  testhost::FontChoice choice;
  std::string_view rest = argument;
  const size_t colon = rest.find(':');
  const std::string_view face = trim(rest.substr(0, colon));
  rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  if (!validUtf8(face)) throw fail("the face name is not valid UTF-8");
  // The record keeps 31 UTF-16 units and a terminator.
  std::u16string face16;
  for (size_t i = 0; i < face.size();) {
    const auto c = static_cast<unsigned char>(face[i]);
    const size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
    char32_t point = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < length; ++k) point = (point << 6) | (static_cast<unsigned char>(face[i + k]) & 0x3F);
    if (point >= 0x10000) {
      point -= 0x10000;
      face16 += static_cast<char16_t>(0xD800 + (point >> 10));
      face16 += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
    } else {
      face16 += static_cast<char16_t>(point);
    }
    i += length;
  }
  if (face16.size() > 31) throw fail("the face name is longer than 31 characters");
  choice.faceName = face16;
  bool haveHeight = false;
  while (!rest.empty() || colon != std::string_view::npos) {
    const size_t next = rest.find(':');
    const std::string word = lower(trim(rest.substr(0, next)));
    if (word == "bold") {
      choice.weight = 700;
    } else if (word == "italic") {
      choice.italic = true;
    } else if (word == "underline") {
      choice.underline = true;
    } else if (word == "strikeout") {
      choice.strikeOut = true;
    } else {
      int64_t height = 0;
      if (!parseInt64(word, height)) throw fail("'" + word + "' is not bold, italic, underline, strikeout or a height");
      if (haveHeight) throw fail("two heights");
      if (height < 1 || height > 1000) throw fail("the height must be from 1 to 1000");
      choice.height = static_cast<int32_t>(height);
      haveHeight = true;
    }
    if (next == std::string_view::npos) break;
    rest = rest.substr(next + 1);
  }
  return choice;
}

}  // namespace horaz::testhost
