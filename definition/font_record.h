#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include <wingdi.h>

namespace horaz::definition {

// The digital clock's font, kept as one opaque block in the `PrivateData`
// parameter: the platform's LOGFONTW, little-endian, always read and written
// whole without a time.
inline constexpr int32_t kFontRecordSize = 92;
static_assert(sizeof(LOGFONTW) == kFontRecordSize, "the font record is 92 bytes on the wire");
static_assert(offsetof(LOGFONTW, lfCharSet) == 23 && offsetof(LOGFONTW, lfFaceName) == 28,
              "the font record's fields sit where stored clips expect them");

using FontRecordBytes = std::array<uint8_t, kFontRecordSize>;

// What a freshly applied effect holds: height -32 (the dialog stores heights
// negative), the platform's default character set, everything else zero (an
// empty face name).
constexpr LOGFONTW defaultFontRecord() {
  LOGFONTW record{};
  record.lfHeight = -32;
  record.lfCharSet = 1;
  return record;
}

constexpr FontRecordBytes fontRecordBytes(const LOGFONTW& record) { return std::bit_cast<FontRecordBytes>(record); }

inline constexpr FontRecordBytes kDefaultFontRecordBytes = fontRecordBytes(defaultFontRecord());

}  // namespace horaz::definition
