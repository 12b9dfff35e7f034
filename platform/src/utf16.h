// UTF-16 text of the platform's API to and from the UTF-8 and code points
// that fontconfig and cairo take. Unpaired surrogates become U+FFFD.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace horaz::platform::detail {

std::string utf16ToUtf8(std::u16string_view text);
std::u16string utf8ToUtf16(std::string_view text);

struct CodePoint {
  char32_t value;
  std::size_t offset;  // index of its first code unit
  std::size_t units;   // 1 or 2
};
std::vector<CodePoint> decodeUtf16(std::u16string_view text);
void appendUtf8(std::string& out, char32_t value);

// Length of a NUL-terminated text, or `length` when it is not negative.
std::size_t textLength(const char16_t* text, int length);

}  // namespace horaz::platform::detail
