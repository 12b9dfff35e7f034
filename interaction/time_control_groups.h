#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "definition/control_node.h"
#include "definition/list_values.h"
#include "definition/panel_layout.h"
#include "host/guid.h"

namespace horaz::interaction {

// Which time controls each timer style offers, as the update handler walks
// them. The controls are addressed by their own control ids (found in the
// panel layout by the parameter they are bound to), never by parameter ids.

namespace detail {

// The id of the first control in `controls` (depth first) bound to the
// parameter `name`; an unknown name does not compile.
consteval acf::Guid controlBoundTo(definition::ControlList controls, std::u16string_view name) {
  for (const definition::ControlNode* node : controls) {
    if (node->parameter && std::u16string_view(node->parameter) == name) return node->id;
    const acf::Guid below = controlBoundTo(node->children, name);
    if (below != acf::Guid{}) return below;
  }
  return acf::Guid{};
}

consteval acf::Guid timeControl(std::u16string_view name) {
  const acf::Guid id = controlBoundTo(definition::panel::topLevelControls(), name);
  if (id == acf::Guid{}) throw "no panel control is bound to that parameter";
  return id;
}

}  // namespace detail

inline constexpr acf::Guid kStartMillisecondControl = detail::timeControl(u"Start Time Millsecond");
inline constexpr acf::Guid kStartFrameControl = detail::timeControl(u"Start Time Frame");
inline constexpr acf::Guid kStartDayControl = detail::timeControl(u"Start Time Day");
inline constexpr acf::Guid kStartMonthControl = detail::timeControl(u"Start Time Month");
inline constexpr acf::Guid kStartYearControl = detail::timeControl(u"Start Time Year");
inline constexpr acf::Guid kStopHourControl = detail::timeControl(u"Stop Time Hour");
inline constexpr acf::Guid kStopMinuteControl = detail::timeControl(u"Stop Time Minute");
inline constexpr acf::Guid kStopSecondControl = detail::timeControl(u"Stop Time Second");
inline constexpr acf::Guid kStopMillisecondControl = detail::timeControl(u"Stop Time Millsecond");
inline constexpr acf::Guid kStopFrameControl = detail::timeControl(u"Stop Time Frame");
inline constexpr acf::Guid kStartTimeTextControl = detail::timeControl(u"Start Time");

// The `Start Time Day` slider's id is the `Start Time Year` parameter's id;
// the two never meet because controls are only looked up in the panel.
static_assert(kStartDayControl == acf::makeGuid("{AA956FBA-DF2D-45F5-B0F1-D36C6EA18E68}"));

struct AvailabilityStep {
  acf::Guid control;
  int32_t available;  // 1 available, 0 unavailable
};
using AvailabilitySequence = std::array<AvailabilityStep, 11>;

// Time of day, styles 0 to 9 (no list item carries 0, yet it lands here).
inline constexpr AvailabilitySequence kTimeOfDaySequence{{
    {kStopHourControl, 1},
    {kStopMinuteControl, 1},
    {kStopSecondControl, 1},
    {kStopMillisecondControl, 1},
    {kStartMillisecondControl, 1},
    {kStartFrameControl, 0},
    {kStopFrameControl, 0},
    {kStartDayControl, 0},
    {kStartMonthControl, 0},
    {kStartYearControl, 0},
    {kStartTimeTextControl, 0},
}};

// Timecode, style 10.
inline constexpr AvailabilitySequence kTimecodeSequence{{
    {kStartMillisecondControl, 0},
    {kStartFrameControl, 1},
    {kStopFrameControl, 0},
    {kStopHourControl, 0},
    {kStopMinuteControl, 0},
    {kStopSecondControl, 0},
    {kStopMillisecondControl, 0},
    {kStartDayControl, 0},
    {kStartMonthControl, 0},
    {kStartYearControl, 0},
    {kStartTimeTextControl, 0},
}};

// Date, styles 11 and 12.
inline constexpr AvailabilitySequence kDateSequence{{
    {kStartMillisecondControl, 0},
    {kStartFrameControl, 0},
    {kStopFrameControl, 0},
    {kStartDayControl, 1},
    {kStartMonthControl, 1},
    {kStartYearControl, 1},
    {kStopHourControl, 1},
    {kStopMinuteControl, 1},
    {kStopSecondControl, 1},
    {kStopMillisecondControl, 1},
    {kStartTimeTextControl, 0},
}};

// Free format, style 13: the only style that offers the start time text.
inline constexpr AvailabilitySequence kFreeFormatSequence{{
    {kStartMillisecondControl, 0},
    {kStartFrameControl, 0},
    {kStopHourControl, 1},
    {kStopMinuteControl, 1},
    {kStopSecondControl, 1},
    {kStopMillisecondControl, 1},
    {kStopFrameControl, 0},
    {kStartDayControl, 1},
    {kStartMonthControl, 1},
    {kStartYearControl, 1},
    {kStartTimeTextControl, 1},
}};

// Frame count, styles 14 and 15.
inline constexpr AvailabilitySequence kFrameCountSequence{{
    {kStartMillisecondControl, 0},
    {kStartFrameControl, 1},
    {kStopHourControl, 0},
    {kStopMinuteControl, 0},
    {kStopSecondControl, 0},
    {kStopMillisecondControl, 0},
    {kStopFrameControl, 0},
    {kStartDayControl, 0},
    {kStartMonthControl, 0},
    {kStartYearControl, 0},
    {kStartTimeTextControl, 0},
}};

inline constexpr uint32_t kHighestTimerStyle = definition::listValue(definition::kLastTimerStyle);

// The sequence of a style 0..kHighestTimerStyle.
constexpr const AvailabilitySequence& availabilitySequence(uint32_t style) {
  using definition::listValue;
  using enum definition::TimerStyle;
  if (style <= listValue(kTotalSecondsToTenths)) return kTimeOfDaySequence;
  if (style == listValue(kTimecode)) return kTimecodeSequence;
  if (style <= listValue(kMonthDayYear)) return kDateSequence;
  if (style == listValue(kFreeFormat)) return kFreeFormatSequence;
  return kFrameCountSequence;
}

}  // namespace horaz::interaction
