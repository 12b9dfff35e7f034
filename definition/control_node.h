#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "host/guid.h"
#include "host/text.h"
#include "host/vocabulary.h"

namespace horaz::definition {

// One control of the effect's panel, as data: the panel layout and the three
// lists are trees of these, which registration walks and tests read.

enum class ControlKind { Group, ListItem, PopUpList, Slider, ColourControl, CheckBox, TextField };

// The control type id passed for `kind`; a group passes none (null).
constexpr const acf::Guid* controlTypeId(ControlKind kind) {
  switch (kind) {
    case ControlKind::Group: return nullptr;
    case ControlKind::ListItem: return &acf::control_type::kListItem;
    case ControlKind::PopUpList: return &acf::control_type::kPopUpList;
    case ControlKind::Slider: return &acf::control_type::kSlider;
    case ControlKind::ColourControl: return &acf::control_type::kColourControl;
    case ControlKind::CheckBox: return &acf::control_type::kCheckBox;
    case ControlKind::TextField: return &acf::control_type::kTextField;
  }
  return nullptr;
}

// A colour control's own attribute: three doubles (red, green, blue).
struct ColourAttribute {
  acf::Guid key;
  std::array<double, 3> value;
};

struct ControlNode;
using ControlList = std::span<const ControlNode* const>;

struct ControlNode {
  ControlKind kind;
  acf::Text label;  // null: no label, and then no description either
  acf::Text description;
  acf::Guid id;
  acf::Text parameter;             // the bound parameter's name; null for groups and list items
  std::optional<int32_t> value{};  // a list item's value (its Default), when it has one
  ControlList children{};
  std::span<const ColourAttribute> colourAttributes{};  // in the order they are set
};

namespace detail {

// A list item passes its text as label and as description.
consteval ControlNode listItem(acf::Text text, int32_t value, std::string_view id) {
  return {ControlKind::ListItem, text, text, acf::makeGuid(id), nullptr, value};
}
consteval ControlNode listItemWithoutValue(acf::Text text, std::string_view id) {
  return {ControlKind::ListItem, text, text, acf::makeGuid(id), nullptr};
}

template <size_t N>
consteval std::array<const ControlNode*, N> pointersTo(const std::array<ControlNode, N>& nodes) {
  std::array<const ControlNode*, N> pointers{};
  for (size_t i = 0; i < N; ++i) pointers[i] = &nodes[i];
  return pointers;
}

}  // namespace detail

}  // namespace horaz::definition
