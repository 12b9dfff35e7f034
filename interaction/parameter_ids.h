#pragma once

#include <string_view>

#include "definition/parameter_table.h"
#include "host/guid.h"

namespace horaz::interaction {

// The ids of the parameters the companions read and write, taken from the
// parameter table at compile time (an unknown name does not compile). The
// walk compares names only, so it stays a constant expression in
// sanitizer builds too.
consteval acf::Guid parameterIdOf(std::u16string_view name) {
  for (const definition::ParameterRow& row : definition::parameterTable())
    if (std::u16string_view(row.name) == name) return row.id;
  throw "no parameter of that name";
}

inline constexpr acf::Guid kXParameter = parameterIdOf(u"X");
inline constexpr acf::Guid kYParameter = parameterIdOf(u"Y");
inline constexpr acf::Guid kSizeParameter = parameterIdOf(u"Size");
inline constexpr acf::Guid kClockTypeParameter = parameterIdOf(u"the List value");
inline constexpr acf::Guid kStyleListParameter = parameterIdOf(u"Style List");
inline constexpr acf::Guid kPrivateDataParameter = parameterIdOf(u"PrivateData");

}  // namespace horaz::interaction
