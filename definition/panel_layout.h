#pragma once

#include <array>
#include <span>
#include <string_view>

#include "definition/control_node.h"
#include "definition/lists.h"
#include "host/vocabulary.h"

namespace horaz::definition::panel {

// The effect's panel: six top-level controls with their children, each
// control with its id, label, description and bound parameter (by name).
// Controls without a label (the position, time, count-down and speed
// controls) pass null as label and description. Control ids are ids of their
// own, not parameter ids, although two coincide with other ids (the
// "Alignment" pop-up shares its group's id; the "Start Time Day" slider's id
// is the `Start Time Year` parameter's id).

namespace detail {
using definition::detail::pointersTo;

consteval ControlNode group(acf::Text label, acf::Text description, std::string_view id, ControlList children) {
  return {ControlKind::Group, label, description, acf::makeGuid(id), nullptr, {}, children};
}
consteval ControlNode popUp(acf::Text label, acf::Text description, std::string_view id, acf::Text parameter,
                            ControlList items) {
  return {ControlKind::PopUpList, label, description, acf::makeGuid(id), parameter, {}, items};
}
consteval ControlNode slider(std::string_view id, acf::Text parameter) {
  return {ControlKind::Slider, nullptr, nullptr, acf::makeGuid(id), parameter};
}
consteval ControlNode labelledSlider(acf::Text label, acf::Text description, std::string_view id, acf::Text parameter) {
  return {ControlKind::Slider, label, description, acf::makeGuid(id), parameter};
}
}  // namespace detail

// --- 1. Alignment of the digital clock ---------------------------------------
inline constexpr std::array kAlignmentItemList = detail::pointersTo(kAlignmentItems);
inline constexpr ControlNode kAlignmentPopUp = detail::popUp(
    u"Alignment", u"Alignment", "{52774286-5D2E-4317-8B67-7C9BA9BEAA98}", u"Alignment List", kAlignmentItemList);
inline constexpr std::array kAlignmentGroupChildren{&kAlignmentPopUp};
inline constexpr ControlNode kAlignmentGroup =
    detail::group(u"Digital Clock Alignment", u"Digital Clock Alignment", "{52774286-5D2E-4317-8B67-7C9BA9BEAA98}",
                  kAlignmentGroupChildren);

// --- 2. Clock type -----------------------------------------------------------
inline constexpr std::array kClockTypeItemList = detail::pointersTo(kClockTypeItems);
inline constexpr ControlNode kClockTypePopUp =
    detail::popUp(u"Clock Type List", u"Clock Type List", "{7BD738AC-250C-4138-B48C-12D8F80F9E81}", u"the List value",
                  kClockTypeItemList);

// --- 3. Position and size ----------------------------------------------------
inline constexpr ControlNode kXSlider = detail::slider("{A3C66991-0BCF-4F79-99AA-7640BE2555F5}", u"X");
inline constexpr ControlNode kYSlider = detail::slider("{28A75551-E3C6-44D5-8BAF-8E8D04656FBA}", u"Y");
inline constexpr ControlNode kSizeSlider = detail::slider("{73D59CD6-5F1B-44D2-BB3C-A8B37AA83B70}", u"Size");
inline constexpr std::array kPositionChildren{&kXSlider, &kYSlider, &kSizeSlider};
inline constexpr ControlNode kPositionGroup = detail::group(
    u"Position/Size", u"Determine Position and Size", "{605175E8-4D32-468B-A43C-FC65F407BA9D}", kPositionChildren);

// --- 4. Time -----------------------------------------------------------------
inline constexpr std::array<ControlNode, 8> kStartTimeSliders{{
    detail::slider("{6039849F-DF4A-4DBF-B841-92D2D21A0DAB}", u"Start Time Hour"),
    detail::slider("{E3AF1D75-B5F3-4FE7-B493-44CA2F5AB65B}", u"Start Time Minute"),
    detail::slider("{D7BABA62-2A40-443C-A7BC-A25BA5029350}", u"Start Time Second"),
    detail::slider("{87125D5C-455E-43A6-B246-ABD758CA2762}", u"Start Time Millsecond"),
    detail::slider("{2D597EE3-191E-46B6-8EEF-D967E15EECB0}", u"Start Time Frame"),
    detail::slider("{AA956FBA-DF2D-45F5-B0F1-D36C6EA18E68}", u"Start Time Day"),
    detail::slider("{813C63D1-E786-4F4A-B7BB-9277A7C9F7A8}", u"Start Time Month"),
    detail::slider("{5972AD60-9D98-4CB3-89F5-C715426C91FB}", u"Start Time Year"),
}};
inline constexpr std::array kStartTimeChildren = detail::pointersTo(kStartTimeSliders);
inline constexpr ControlNode kStartTimeGroup =
    detail::group(u"Start Time", u"Set Start Time", "{F0BB8D1B-0747-4A20-AD3A-D0B031ED4FA5}", kStartTimeChildren);

inline constexpr std::array<ControlNode, 5> kStopTimeSliders{{
    detail::slider("{43BEBBC8-8A86-4248-9830-D419A3C6D608}", u"Stop Time Hour"),
    detail::slider("{DA897CAE-CAA4-4CC1-B0E5-51658A8A3B8F}", u"Stop Time Minute"),
    detail::slider("{BF809D5F-F5E7-4ABF-B0B2-1907A31AB2C9}", u"Stop Time Second"),
    detail::slider("{D9CDE4CB-874D-4C25-B1D6-910BA39CB1DB}", u"Stop Time Millsecond"),
    detail::slider("{CB24E266-498C-4F7F-9FE6-821D7F5E3B09}", u"Stop Time Frame"),
}};
inline constexpr std::array kStopTimeChildren = detail::pointersTo(kStopTimeSliders);
inline constexpr ControlNode kStopTimeGroup =
    detail::group(u"Stop Time", u"Set Stop Time", "{88E3FCCF-839C-4DA4-98D9-86C619CCFAF0}", kStopTimeChildren);

inline constexpr ControlNode kCountDownCheckBox{ControlKind::CheckBox, nullptr, nullptr,
                                                acf::makeGuid("{1C443ABA-54A4-4500-AF68-4CD5770C995E}"), u"Count Down"};
inline constexpr ControlNode kSpeedSlider =
    detail::slider("{DCE50B8A-E0A6-4564-98AB-68315E58605B}", u"Time Speed Factor");
inline constexpr std::array kTimeChildren{&kStartTimeGroup, &kStopTimeGroup, &kCountDownCheckBox, &kSpeedSlider};
inline constexpr ControlNode kTimeGroup =
    detail::group(u"Time", u"Set Time", "{F1A9B18D-0765-429B-BABA-B4BC2F84F6F9}", kTimeChildren);

// --- 5. Colours --------------------------------------------------------------
inline constexpr std::array<ControlNode, 3> kForegroundChannelSliders{{
    detail::labelledSlider(u"Foreground Red", u"Foreground layout red", "{3FA6305F-24DB-41A6-A71C-8CBC4CF30CD5}",
                           u"Foreground Red"),
    detail::labelledSlider(u"Foreground Green", u"Foreground layout green", "{35E24C69-E90D-489A-88FE-18C0AA4491D4}",
                           u"Foreground Green"),
    detail::labelledSlider(u"Foreground Blue", u"Foreground layout blue", "{42E485A5-5719-4581-82C7-4CF5771AF12F}",
                           u"Foreground Blue"),
}};
inline constexpr std::array kForegroundChannels = detail::pointersTo(kForegroundChannelSliders);
// The foreground colour control starts black while its channels default to 128.
inline constexpr std::array<ColourAttribute, 5> kForegroundColourAttributes{{
    {acf::attribute_key::kDefault, {0, 0, 0}},
    {acf::attribute_key::kMinimum, {0, 0, 0}},
    {acf::attribute_key::kMaximum, {255, 255, 255}},
    {acf::attribute_key::kAttr5, {1, 1, 1}},
    {acf::attribute_key::kStep, {1, 1, 1}},
}};
inline constexpr ControlNode kForegroundColour{
    ControlKind::ColourControl, u"Foreground Color(RGB)",
    u"Foreground layout def",   acf::makeGuid("{873F6BED-303F-45EC-91A7-07FFC8897621}"),
    u"Foreground RGB Color",    {},
    kForegroundChannels,        kForegroundColourAttributes};
inline constexpr ControlNode kForegroundOpacitySlider = detail::labelledSlider(
    u"Foreground Opacity", u"Foreground Opacity", "{1F26CECB-153B-4595-B899-3861CB452023}", u"Foreground Opacity");

inline constexpr std::array<ControlNode, 3> kBackgroundChannelSliders{{
    detail::labelledSlider(u"Background Red", u"Background layout red", "{06AF824D-1C9C-4F00-94CD-C983D92DA6A9}",
                           u"Background Red"),
    detail::labelledSlider(u"Background Green", u"Background layout green", "{114662A1-2AAB-4DE1-BA27-8FC06D49DFE8}",
                           u"Background Green"),
    detail::labelledSlider(u"Background Blue", u"Background layout blue", "{8D155DE8-985D-4329-902E-06848B450603}",
                           u"Background Blue"),
}};
inline constexpr std::array kBackgroundChannels = detail::pointersTo(kBackgroundChannelSliders);
// The background colour control starts white while its channels default to
// 50; it sets no Attr 5.
inline constexpr std::array<ColourAttribute, 4> kBackgroundColourAttributes{{
    {acf::attribute_key::kDefault, {255, 255, 255}},
    {acf::attribute_key::kMinimum, {0, 0, 0}},
    {acf::attribute_key::kMaximum, {255, 255, 255}},
    {acf::attribute_key::kStep, {1, 1, 1}},
}};
inline constexpr ControlNode kBackgroundColour{
    ControlKind::ColourControl, u"Background Color(RGB)",
    u"Background layout def",   acf::makeGuid("{B199FFCA-DBEA-4A2A-BE88-E5C4DF57C456}"),
    u"Background RGB Color",    {},
    kBackgroundChannels,        kBackgroundColourAttributes};
inline constexpr ControlNode kBackgroundOpacitySlider = detail::labelledSlider(
    u"Background Opacity", u"Background Opacity", "{511DAB09-6C43-47E3-9CCC-06D730E05FC4}", u"Background Opacity");

inline constexpr std::array kColorsChildren{&kForegroundColour, &kForegroundOpacitySlider, &kBackgroundColour,
                                            &kBackgroundOpacitySlider};
inline constexpr ControlNode kColorsGroup = detail::group(u"Colors", u"Set Fore- and Background Color",
                                                          "{CED255D3-A6A8-4DE4-A459-BBB9F643F6BF}", kColorsChildren);

// --- 6. Timer style ----------------------------------------------------------
inline constexpr std::array kTimerStyleItemList = detail::pointersTo(kTimerStyleItems);
inline constexpr ControlNode kTimerStylePopUp = detail::popUp(
    u"Timer Style", u"Timer Style", "{F80985D1-FC83-4F53-9426-32DD089BE0CF}", u"Style List", kTimerStyleItemList);
inline constexpr ControlNode kStartTimeTextField{ControlKind::TextField, u"Start Time", u"Start Time",
                                                 acf::makeGuid("{8E5E17B8-4703-42BE-83B5-D68720678F2C}"),
                                                 u"Start Time"};
inline constexpr std::array kTimerStyleChildren{&kTimerStylePopUp, &kStartTimeTextField};
inline constexpr ControlNode kTimerStyleGroup =
    detail::group(u"Timer Style", u"Set Timerstyle", "{CA7B1D82-A69D-4664-8657-3A24C3E36C80}", kTimerStyleChildren);

// --- The panel ---------------------------------------------------------------

// The top-level controls in panel order.
inline constexpr std::array<const ControlNode*, 6> kTopLevel{&kAlignmentGroup, &kClockTypePopUp, &kPositionGroup,
                                                             &kTimeGroup,      &kColorsGroup,    &kTimerStyleGroup};

constexpr ControlList topLevelControls() { return kTopLevel; }

}  // namespace horaz::definition::panel
