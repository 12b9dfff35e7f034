#include "cli/commands/shortcut_options.h"

#include <charconv>

#include "testhost/number_text.h"
#include "cli/support/usage_error.h"
#include "testhost/registration_model.h"

namespace horaz::cli {
namespace {

ShortcutSetting setting(std::string_view option, std::string_view parameter, std::string_view value) {
  return {std::string(option), std::string(parameter) + "=" + std::string(value)};
}

// A name from `names`, as its value; anything else is passed on as written
// (a number or the list's own text, which --set checks).
template <size_t N>
std::string valueOfName(const std::array<ItemName, N>& names, std::string_view value) {
  for (const ItemName& name : names)
    if (name.name == value) return std::to_string(name.value);
  return std::string(value);
}

// Two hexadecimal digits of a "#RRGGBB" text, as 0..255.
bool hexByte(std::string_view digits, int& value) {
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + 2, value, 16);
  return error == std::errc() && end == digits.data() + 2;
}

}  // namespace

std::string_view styleShortName(int32_t value) {
  for (const ItemName& name : kStyleNames)
    if (name.value == value) return name.name;
  return {};
}

std::vector<ShortcutSetting> clockSettings(std::string_view value) {
  return {setting("--clock", "the List value", valueOfName(kClockNames, value))};
}

std::vector<ShortcutSetting> styleSettings(std::string_view value) {
  return {setting("--style", "Style List", valueOfName(kStyleNames, value))};
}

std::vector<ShortcutSetting> startTimeSettings(std::string_view value) {
  const auto refuse = [&]() -> std::vector<ShortcutSetting> {
    throw UsageError(
        "--start-time takes HH:MM:SS, HH:MM:SS.mmm or HH:MM:SS:FF (FF a frame), such as 01:30:00 or "
        "00:59:59:24, not '" +
        std::string(value) + "'");
  };
  // HH:MM:SS, then .mmm or :FF.
  std::vector<std::string_view> parts;
  std::string_view rest = value;
  std::string_view fraction;
  if (const size_t dot = rest.find('.'); dot != std::string_view::npos) {
    fraction = rest.substr(dot + 1);
    rest = rest.substr(0, dot);
    if (fraction.empty() || fraction.size() > 3 || fraction.find_first_not_of("0123456789") != std::string_view::npos)
      return refuse();
  }
  for (size_t colon; (colon = rest.find(':')) != std::string_view::npos; rest.remove_prefix(colon + 1))
    parts.push_back(rest.substr(0, colon));
  parts.push_back(rest);
  if (parts.size() != 3 && !(parts.size() == 4 && fraction.empty())) return refuse();
  int64_t number = 0;
  for (std::string_view part : parts)
    if (part.empty() || part.size() > 4 || part.front() == '+' || !testhost::parseInt64(part, number)) return refuse();

  std::vector<ShortcutSetting> settings{setting("--start-time", "Start Time Hour", parts[0]),
                                        setting("--start-time", "Start Time Minute", parts[1]),
                                        setting("--start-time", "Start Time Second", parts[2])};
  if (!fraction.empty()) {
    // ".5" is 500 ms, ".05" 50 ms.
    std::string milliseconds(fraction);
    milliseconds.append(3 - milliseconds.size(), '0');
    settings.push_back(setting("--start-time", "Start Time Millsecond", milliseconds));
  }
  if (parts.size() == 4) settings.push_back(setting("--start-time", "Start Time Frame", parts[3]));
  return settings;
}

std::vector<ShortcutSetting> positionSettings(std::string_view value) {
  const size_t comma = value.find(',');
  double x = 0.0, y = 0.0;
  if (comma == std::string_view::npos || !testhost::parseDouble(value.substr(0, comma), x) ||
      !testhost::parseDouble(value.substr(comma + 1), y))
    throw UsageError("--position takes X,Y in percent of the frame, such as 50,90, not '" + std::string(value) + "'");
  return {setting("--position", "X", value.substr(0, comma)), setting("--position", "Y", value.substr(comma + 1))};
}

std::vector<ShortcutSetting> scaleSettings(std::string_view value) { return {setting("--scale", "Size", value)}; }

std::vector<ShortcutSetting> colourSettings(std::string_view option, std::string_view side, std::string_view value) {
  int channels[4] = {0, 0, 0, 255};
  const bool wellFormed = value.size() == 7 || value.size() == 9;
  bool read = wellFormed && value.front() == '#';
  for (size_t i = 0; read && 1 + 2 * i < value.size(); ++i) read = hexByte(value.substr(1 + 2 * i, 2), channels[i]);
  if (!read)
    throw UsageError(std::string(option) + " takes #RRGGBB or #RRGGBBAA (AA the opacity, ff opaque), such as " +
                     "#ffcc00 or #00000080, not '" + std::string(value) + "'");
  const std::string prefix(side);
  std::vector<ShortcutSetting> settings{setting(option, prefix + " Red", std::to_string(channels[0])),
                                        setting(option, prefix + " Green", std::to_string(channels[1])),
                                        setting(option, prefix + " Blue", std::to_string(channels[2]))};
  // The panel's opacity is a percentage, which the effect turns into
  // trunc(opacity x 255 / 100); half a step up makes that AA exactly.
  if (value.size() == 9) {
    const double opacity = channels[3] == 255 ? 100.0 : (channels[3] + 0.5) * 100.0 / 255.0;
    settings.push_back(setting(option, prefix + " Opacity", testhost::numberText(opacity)));
  }
  return settings;
}

}  // namespace horaz::cli
