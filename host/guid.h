#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace acf {

// A 16-byte identifier for classes, interfaces, components, parameters,
// controls, attribute keys and value types. Two ids are equal when all 16
// bytes are equal.
struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  friend constexpr bool operator==(const Guid&, const Guid&) = default;
};
static_assert(sizeof(Guid) == 16, "an id is 16 bytes on the wire");

namespace detail {
constexpr int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace detail

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, either
// case). Returns nothing for anything else.
constexpr std::optional<Guid> parseGuid(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return std::nullopt;
  uint8_t bytes[16]{};
  int byteIndex = 0;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '-') {
      ++i;
      continue;
    }
    const int high = detail::hexDigit(text[i]);
    const int low = detail::hexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[byteIndex++] = static_cast<uint8_t>(high * 16 + low);
    i += 2;
  }
  Guid id;
  id.data1 = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
  id.data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  id.data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) id.data4[i] = bytes[8 + i];
  return id;
}

// An id written in the code as text; a malformed literal does not compile.
consteval Guid makeGuid(std::string_view text) {
  const std::optional<Guid> id = parseGuid(text);
  if (!id) throw "malformed id literal";
  return *id;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
inline std::string toString(const Guid& id) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out = "{";
  auto put = [&out](uint64_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
  };
  put(id.data1, 8);
  out += '-';
  put(id.data2, 4);
  out += '-';
  put(id.data3, 4);
  out += '-';
  put(id.data4[0], 2);
  put(id.data4[1], 2);
  out += '-';
  for (int i = 2; i < 8; ++i) put(id.data4[i], 2);
  out += '}';
  return out;
}

}  // namespace acf
