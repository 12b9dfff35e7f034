#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "effect/clock_value.h"

namespace horaz {

// The line of text the digital and LED clocks show: UTF-16 in a fixed buffer
// of 256 units, always NUL-terminated, empty until a style writes it.
struct TimerText {
  static constexpr size_t kCapacity = 256;

  std::array<char16_t, kCapacity> units{};

  // Units before the terminator (at most kCapacity - 1).
  [[nodiscard]] size_t length() const noexcept;
  [[nodiscard]] std::u16string_view view() const noexcept { return {units.data(), length()}; }
  [[nodiscard]] const char16_t* c_str() const noexcept { return units.data(); }
};

// Asks the render call's time source for the field being rendered. Only the
// field-dependent styles (10 and 15) call it, once, after formatting their
// numbers. An empty query counts as field 0.
using FieldQuery = std::function<int32_t()>;

// The text of timer style `style` (0 already turned into 1 by the caller)
// for `value`; a style outside 1 to 15 gives an empty text.
// `freeFormatPattern` is the 8-bit `Start Time` text that style 13 expands
// with strftime in the current locale (the bytes up to its first NUL, at most
// 255); the other styles ignore it. Never fails; a pattern that does not fit
// its expansion buffer gives an empty text. [thread-safe] as far as the C
// runtime's locale is.
[[nodiscard]] TimerText makeTimerText(const ClockValue& value, int32_t style, std::string_view freeFormatPattern,
                                      const FieldQuery& field);

}  // namespace horaz
