#pragma once

#include <array>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

#include "host/guid.h"
#include "host/text.h"
#include "host/vocabulary.h"

namespace horaz::definition {

// The effect's 33 parameters: ids, names, descriptions, value types, defaults
// and limits. These ids are what the host stores each value under with the
// clip, so they never change. Registration walks this table; every other part
// names a parameter by its name here and looks its id up.

enum class ValueKind { Integer, SpeedInteger, Double, Boolean, Colour, Text, Data };

constexpr acf::Guid valueTypeId(ValueKind kind) {
  switch (kind) {
    case ValueKind::Integer: return acf::value_type::kInteger;
    case ValueKind::SpeedInteger: return acf::value_type::kSpeedInteger;
    case ValueKind::Double: return acf::value_type::kDouble;
    case ValueKind::Boolean: return acf::value_type::kBoolean;
    case ValueKind::Colour: return acf::value_type::kColour;
    case ValueKind::Text: return acf::value_type::kText;
    case ValueKind::Data: return acf::value_type::kData;
  }
  return {};
}

// "integer", "speed integer", "double", "boolean", "colour", "text", "data".
constexpr std::string_view valueKindName(ValueKind kind) {
  switch (kind) {
    case ValueKind::Integer: return "integer";
    case ValueKind::SpeedInteger: return "speed integer";
    case ValueKind::Double: return "double";
    case ValueKind::Boolean: return "boolean";
    case ValueKind::Colour: return "colour";
    case ValueKind::Text: return "text";
    case ValueKind::Data: return "data";
  }
  return {};
}

// How a row's Default, Minimum, Maximum, Step and Attr 5 reach the host.
enum class Passing {
  None,            // no attributes (lists take their values from the items; colours are compound)
  AsInteger,       // 32-bit integers with the integer type id, size 4 (also for the double channels)
  AsSpeedInteger,  // 32-bit integers with the speed integer type id, size 4
  AsDouble,        // doubles with the double type id, size 8
  AsBoolean,       // a 32-bit 0 or 1 with the boolean type id, size 4
  EmptyText,       // Default only: the empty text, size -1
  FontRecord,      // Default only: the 92-byte default font record
};

struct ParameterRow {
  acf::Text name;
  acf::Text description;
  acf::Guid id;
  ValueKind type;
  Passing passing = Passing::None;
  // Unset cells pass no attribute. Whole numbers where Passing says integer.
  std::optional<double> defaultValue{};
  std::optional<double> minimum{};
  std::optional<double> maximum{};
  std::optional<double> step{};
  std::optional<double> attr5{};
  // A colour parameter's red, green and blue channel parameters, by name.
  std::array<acf::Text, 3> channels{};

  constexpr int32_t componentCount() const { return type == ValueKind::Colour ? 3 : 0; }
};

namespace detail {

consteval ParameterRow listParameter(acf::Text name, acf::Text description, std::string_view id) {
  return {name, description, acf::makeGuid(id), ValueKind::Integer};
}
// A colour channel or an opacity: a double whose limits pass as integers.
consteval ParameterRow channelParameter(acf::Text name, acf::Text description, std::string_view id, double defaultValue,
                                        double maximum) {
  return {name, description, acf::makeGuid(id), ValueKind::Double, Passing::AsInteger, defaultValue, 0, maximum, 1, 1};
}
consteval ParameterRow colourParameter(acf::Text name, acf::Text description, std::string_view id,
                                       std::array<acf::Text, 3> channels) {
  return {name, description, acf::makeGuid(id), ValueKind::Colour, Passing::None, {}, {}, {}, {}, {}, channels};
}
// X, Y and Size: percentages of the frame.
consteval ParameterRow positionParameter(acf::Text name, acf::Text description, std::string_view id) {
  return {name, description, acf::makeGuid(id), ValueKind::Double, Passing::AsDouble, 50.0, 0.0, 100.0, 0.05};
}
consteval ParameterRow timeParameter(acf::Text name, acf::Text description, std::string_view id, double defaultValue,
                                     double minimum, double maximum) {
  return {name, description, acf::makeGuid(id), ValueKind::Integer, Passing::AsInteger, defaultValue, minimum, maximum,
          1};
}

}  // namespace detail

// In definition order.
inline constexpr std::array<ParameterRow, 33> kParameterTable{{
    detail::listParameter(u"Alignment List", u"Alignment List", "{95966B6E-5788-4A2C-A33A-19D6694265CD}"),
    detail::channelParameter(u"Foreground Red", u"Adjust Foreground Red Channel",
                             "{C7CDECF4-A6A1-455D-92A0-2F4D8776AF0F}", 128, 255),
    detail::channelParameter(u"Foreground Green", u"Adjust Foreground Green Channel",
                             "{7F4B65A5-1870-426C-BAA9-E8E8B808B327}", 128, 255),
    detail::channelParameter(u"Foreground Blue", u"Adjust Foreground Blue Channel",
                             "{22DA4321-E1FF-4F93-ABF0-B64C7A5D064E}", 128, 255),
    detail::colourParameter(u"Foreground RGB Color", u"Adjust Foreground RGB Color",
                            "{0B3422F3-A178-4B33-BE45-0E343CE490A5}",
                            {u"Foreground Red", u"Foreground Green", u"Foreground Blue"}),
    detail::channelParameter(u"Foreground Opacity", u"Adjust Foreground Opacity",
                             "{CB3AA330-6C17-4991-BF00-4E19B6F32908}", 100, 100),
    detail::channelParameter(u"Background Red", u"Adjust Background Red Channel",
                             "{85368A13-22E4-4206-9A4B-0102F61657E7}", 50, 255),
    detail::channelParameter(u"Background Green", u"Adjust Background Green Channel",
                             "{CC5DBD84-80BF-43B4-AC9C-B6847EF63C7B}", 50, 255),
    detail::channelParameter(u"Background Blue", u"Adjust Background Blue Channel",
                             "{A1217F27-044A-4F26-96B7-4E01B922CAAA}", 50, 255),
    detail::colourParameter(u"Background RGB Color", u"Adjust Background RGB Color",
                            "{13DBB075-4197-4CBA-B23D-0E9F7EA971BD}",
                            {u"Background Red", u"Background Green", u"Background Blue"}),
    detail::channelParameter(u"Background Opacity", u"Background Opacity", "{13C53980-539D-4E13-A7CE-FEA7324CC315}",
                             100, 100),
    detail::listParameter(u"the List value", u"list value", "{3A0A97F8-C831-425E-BEF7-9CBEA4311B32}"),
    detail::positionParameter(u"X", u"Adjust X", "{7E2C674B-D41E-430D-9C5C-0AC05CB9CF2B}"),
    detail::positionParameter(u"Y", u"Adjust Y", "{3690FB63-158B-429D-9D20-5E7DB74C3B7C}"),
    detail::positionParameter(u"Size", u"Adjust Size", "{30DA91F3-BDB6-46AF-908D-9959CEA22757}"),
    ParameterRow{u"Time Speed Factor", u"Set Time Speed Factor (negative = divide, positive = multiply",
                 acf::makeGuid("{FBB9DEFF-37D3-44C5-92A7-F96B190845C2}"), ValueKind::SpeedInteger,
                 Passing::AsSpeedInteger, 1, -500, 500, 1},
    detail::timeParameter(u"Start Time Hour", u"Set Start Time Hour", "{37E5473C-AE24-4CFB-8F97-A95798033CB2}", 0, 0,
                          23),
    detail::timeParameter(u"Start Time Minute", u"Set Start Time Minute", "{30A5695A-3FD1-4234-83C3-62C7EA0F23B5}", 0,
                          0, 59),
    detail::timeParameter(u"Start Time Second", u"Set Start Time Second", "{23223C96-E869-4C72-9516-E7E0E2CEE1BA}", 0,
                          0, 59),
    detail::timeParameter(u"Start Time Millsecond", u"Set Start Time Millisecond",
                          "{359D5535-262E-47A5-9055-D823683C74D9}", 0, 0, 999),
    detail::timeParameter(u"Start Time Frame", u"Set Start Time Frame", "{7041E574-C174-4F7E-BFE9-7662661032F2}", 0, 0,
                          59),
    detail::timeParameter(u"Start Time Day", u"Set Start Time Day", "{E3B5BFD4-22B3-416E-8522-9C46A5902DF5}", 1, 1, 31),
    detail::timeParameter(u"Start Time Month", u"Set Start Time Month", "{8EBF19AE-1DE0-4651-A44D-976B0371E716}", 1, 1,
                          12),
    detail::timeParameter(u"Start Time Year", u"Set Start Time Year", "{AA956FBA-DF2D-45F5-B0F1-D36C6EA18E68}", 2010,
                          1970, 2020),
    detail::timeParameter(u"Stop Time Hour", u"Set Stop Time Hour", "{0F3C29BB-6387-4954-9EE2-33EDD92314B3}", 0, 0, 23),
    detail::timeParameter(u"Stop Time Minute", u"Set Stop Time Minute", "{BB9EBE9D-1AA8-452D-BB8A-09469AFE0F7F}", 0, 0,
                          59),
    detail::timeParameter(u"Stop Time Second", u"Set Stop Time Second", "{3807E3D2-A319-49DD-B2F3-3C9B5C97B382}", 0, 0,
                          59),
    detail::timeParameter(u"Stop Time Millsecond", u"Set Stop Time Millisecond",
                          "{241C174B-1CD7-4DC1-BA2D-BFBDABC3DCA2}", 0, 0, 999),
    detail::timeParameter(u"Stop Time Frame", u"Set Stop Time Frame", "{DAC5F0C2-37D9-437F-A53E-21E7356738E4}", 0, 0,
                          59),
    ParameterRow{u"Count Down", u"Set Count Down", acf::makeGuid("{663104A7-923E-4F5C-9F6B-0D010BC99E4B}"),
                 ValueKind::Boolean, Passing::AsBoolean, 0},
    detail::listParameter(u"Style List", u"Style List", "{C04939A6-395B-4832-ACC8-9F4718235E04}"),
    ParameterRow{u"Start Time", u"Start Time text", acf::makeGuid("{920C3AAE-78AF-48A2-9766-5AE4365D5B80}"),
                 ValueKind::Text, Passing::EmptyText},
    ParameterRow{u"PrivateData", u"PrivateData parameter", acf::makeGuid("{DF32A2BE-519E-4F64-A88E-C5B2E27E6443}"),
                 ValueKind::Data, Passing::FontRecord},
}};

constexpr std::span<const ParameterRow> parameterTable() { return kParameterTable; }

// The index of the row named `name`, or the table's size. (An index rather
// than a pointer: GCC's sanitizer instrumentation refuses pointer null checks
// in constant expressions.)
constexpr size_t findParameterIndex(std::u16string_view name) {
  for (size_t index = 0; index < kParameterTable.size(); ++index)
    if (std::u16string_view(kParameterTable[index].name) == name) return index;
  return kParameterTable.size();
}

// The row named `name`, or null.
constexpr const ParameterRow* findParameterRow(std::u16string_view name) {
  const size_t index = findParameterIndex(name);
  return index < kParameterTable.size() ? &kParameterTable[index] : nullptr;
}

// The row named `name`; an unknown name does not compile where the call is a
// constant expression, and throws std::out_of_range otherwise.
constexpr const ParameterRow& parameterRow(std::u16string_view name) {
  const size_t index = findParameterIndex(name);
  if (index == kParameterTable.size()) throw std::out_of_range("no parameter of that name");
  return kParameterTable[index];
}

constexpr acf::Guid parameterId(std::u16string_view name) { return parameterRow(name).id; }

}  // namespace horaz::definition
