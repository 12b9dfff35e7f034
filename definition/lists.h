#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "definition/control_node.h"
#include "definition/list_values.h"

namespace horaz::definition {

// The three pop-up lists' items, in list order. The host sets the bound
// integer parameter to the picked item's value.

// Clock type (`the List value`): which painter draws the clock.
inline constexpr std::array<ControlNode, 3> kClockTypeItems{{
    detail::listItem(u"Analog Clock", listValue(ClockType::kAnalog), "{3DDC25B2-7A52-4D19-A821-CC646A6F4633}"),
    detail::listItem(u"Digital Clock", listValue(ClockType::kDigital), "{B8589FD9-01AC-4392-B207-00295D9E5D32}"),
    detail::listItem(u"LED clock", listValue(ClockType::kLed), "{5047D982-A31F-48AF-A659-60948237FF38}"),
}};

// Alignment of the digital clock (`Alignment List`). "Left Alignment" carries
// 2 and "Right Alignment" no value at all; the text painter draws 0 right-
// aligned, 1 centred and 2 left-aligned.
inline constexpr std::array<ControlNode, 3> kAlignmentItems{{
    detail::listItem(u"Left Alignment", listValue(TextAlignment::kLeft), "{4F3257AD-A764-403F-BE47-4FB58B53F34C}"),
    detail::listItem(u"Center", listValue(TextAlignment::kCentre), "{0A6FE351-32BF-44F8-8A7D-5993303FE1E8}"),
    detail::listItemWithoutValue(u"Right Alignment", "{BCFE7DD4-AD66-43F3-A3E7-F80560DE3724}"),
}};

// Timer style (`Style List`): the values run from 1; no item carries 0.
inline constexpr std::array<ControlNode, 15> kTimerStyleItems{{
    detail::listItem(u"hh:mm:ss.fff", listValue(TimerStyle::kHoursToMilliseconds),
                     "{D11CB1AD-BAE7-4A8E-A814-4DBE16A4F747}"),
    detail::listItem(u"hh:mm:ss.ff", listValue(TimerStyle::kHoursToHundredths),
                     "{AA0D7C3C-EB5F-4BED-8A81-591A50A17DFD}"),
    detail::listItem(u"hh:mm:ss.f", listValue(TimerStyle::kHoursToTenths), "{93AC9E49-D801-421C-8F9C-FCBF66C09132}"),
    detail::listItem(u"hh:mm:ss", listValue(TimerStyle::kHoursToSeconds), "{DED7538A-0E63-4EF3-B92A-EF0235D9BACD}"),
    detail::listItem(u"hh:mm", listValue(TimerStyle::kHoursAndMinutes), "{5DBA9AB1-3F54-4952-A2AB-10244A80A077}"),
    detail::listItem(u"mm:ss", listValue(TimerStyle::kTotalMinutesAndSeconds),
                     "{B61E34AA-0585-4EA4-A820-B566AFE20AF6}"),
    detail::listItem(u"mm", listValue(TimerStyle::kTotalMinutes), "{8D132FAE-A6A5-4FD4-B8FE-B1659D95930B}"),
    detail::listItem(u"mm:ss.f", listValue(TimerStyle::kTotalMinutesToTenths),
                     "{D0EBD904-B93D-4B33-979D-8BAC1BA9C659}"),
    detail::listItem(u"ss.f", listValue(TimerStyle::kTotalSecondsToTenths), "{0D5B80AF-1A06-4FAE-B775-53B463B2EA74}"),
    detail::listItem(u"TC hh:mm:ss:ff", listValue(TimerStyle::kTimecode), "{13E5B4F9-2B15-48E5-B9B9-7565C582D680}"),
    detail::listItem(u"dd.mm.yy hh:mm:ss", listValue(TimerStyle::kDayMonthYear),
                     "{F9092BBE-15A7-46CC-96A0-A50ECADF13EB}"),
    detail::listItem(u"mm/dd/yy hh:mm:ss", listValue(TimerStyle::kMonthDayYear),
                     "{8EB36D85-5314-4B89-8F05-D72C28267EF1}"),
    detail::listItem(u"Free Format", listValue(TimerStyle::kFreeFormat), "{01463E68-73F7-4DD7-A459-EA18D7E686D1}"),
    detail::listItem(u"Frame Counter", listValue(TimerStyle::kFrameCounter), "{CDF6672E-4AED-4946-A74E-AC7AB2683A61}"),
    detail::listItem(u"Frame Counter with Field", listValue(TimerStyle::kFrameCounterWithField),
                     "{F4D434BB-DB25-443A-8D7F-EAB9EB4A707C}"),
}};

// The item of `items` that carries `value`, or null.
template <size_t N>
constexpr const ControlNode* findListItem(const std::array<ControlNode, N>& items, int32_t value) {
  for (const ControlNode& item : items)
    if (item.value == value) return &item;
  return nullptr;
}

// The lists keep their order, and the timer styles run without a gap from the
// first to the last (code that walks the styles counts on it).
static_assert(kClockTypeItems[0].value == listValue(ClockType::kAnalog) &&
              kClockTypeItems[1].value == listValue(ClockType::kDigital) &&
              kClockTypeItems[2].value == listValue(ClockType::kLed));
static_assert(kAlignmentItems[0].value == listValue(TextAlignment::kLeft) &&
              kAlignmentItems[1].value == listValue(TextAlignment::kCentre) && !kAlignmentItems[2].value);
static_assert([] {
  int32_t expected = listValue(kFirstTimerStyle);
  for (const ControlNode& item : kTimerStyleItems)
    if (item.value != expected++) return false;
  return expected - 1 == listValue(kLastTimerStyle);
}());

}  // namespace horaz::definition
