#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "definition/lists.h"

namespace horaz::cli {

// A friendly option turned into one panel parameter, as --set writes it.
struct ShortcutSetting {
  std::string option;   // "--fg"
  std::string setting;  // "Foreground Red=255"
};

// A short name for a list item's value.
struct ItemName {
  std::string_view name;
  int32_t value;
};

// --clock's names for the clock types; "none" is the type that draws nothing.
inline constexpr std::array<ItemName, 4> kClockNames{{{"analog", 0}, {"digital", 1}, {"led", 2}, {"none", 3}}};

// --style's short names for the timer styles, in list order.
inline constexpr std::array<ItemName, 15> kStyleNames{{{"hms.fff", 1},
                                                       {"hms.ff", 2},
                                                       {"hms.f", 3},
                                                       {"hms", 4},
                                                       {"hm", 5},
                                                       {"ms", 6},
                                                       {"m", 7},
                                                       {"ms.f", 8},
                                                       {"s.f", 9},
                                                       {"tc", 10},
                                                       {"date", 11},
                                                       {"us-date", 12},
                                                       {"free", 13},
                                                       {"frames", 14},
                                                       {"fields", 15}}};

namespace detail {
template <size_t N, size_t M>
consteval bool namesListedItems(const std::array<ItemName, N>& names,
                                const std::array<definition::ControlNode, M>& items, size_t listed) {
  // Compares values, not the found item's address: address comparisons are
  // not constant expressions in sanitizer builds.
  for (size_t i = 0; i < listed; ++i) {
    bool found = false;
    for (const definition::ControlNode& item : items) found = found || item.value == names[i].value;
    if (!found) return false;
  }
  return true;
}
}  // namespace detail
static_assert(detail::namesListedItems(kClockNames, definition::kClockTypeItems, 3),
              "every clock name but none names a clock type");
static_assert(detail::namesListedItems(kStyleNames, definition::kTimerStyleItems, kStyleNames.size()) &&
                  kStyleNames.size() == definition::kTimerStyleItems.size(),
              "every timer style has one short name");

// The short name of a timer style value, or empty.
std::string_view styleShortName(int32_t value);

// The settings each friendly option stands for. Throw UsageError for a value
// of the wrong form; the parameters' own limits are checked with --set's.
std::vector<ShortcutSetting> clockSettings(std::string_view value);
std::vector<ShortcutSetting> styleSettings(std::string_view value);
std::vector<ShortcutSetting> startTimeSettings(std::string_view value);
std::vector<ShortcutSetting> positionSettings(std::string_view value);
std::vector<ShortcutSetting> scaleSettings(std::string_view value);
// `side` is "Foreground" or "Background"; `option` "--fg" or "--bg".
std::vector<ShortcutSetting> colourSettings(std::string_view option, std::string_view side, std::string_view value);

}  // namespace horaz::cli
