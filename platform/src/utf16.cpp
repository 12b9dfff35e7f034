#include "utf16.h"

namespace horaz::platform::detail {

std::vector<CodePoint> decodeUtf16(std::u16string_view text) {
  std::vector<CodePoint> points;
  points.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      const char32_t value = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      points.push_back({value, i, 2});
      i += 2;
    } else {
      const bool lone = unit >= 0xD800 && unit <= 0xDFFF;
      points.push_back({lone ? U'\uFFFD' : char32_t(unit), i, 1});
      i += 1;
    }
  }
  return points;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const CodePoint& point : decodeUtf16(text)) appendUtf8(out, point.value);
  return out;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    char32_t value = U'\uFFFD';
    std::size_t units = 1;
    if (lead < 0x80) {
      value = lead;
    } else if ((lead >> 5) == 0x6) {
      units = 2;
    } else if ((lead >> 4) == 0xE) {
      units = 3;
    } else if ((lead >> 3) == 0x1E) {
      units = 4;
    }
    if (units > 1) {
      if (i + units > text.size()) {
        units = 1;
      } else {
        value = lead & (0x7F >> units);
        for (std::size_t k = 1; k < units; ++k) value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      }
    }
    i += units;
    if (value >= 0x10000) {
      value -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (value >> 10));
      out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    } else {
      out += static_cast<char16_t>(value);
    }
  }
  return out;
}

std::size_t textLength(const char16_t* text, int length) {
  if (!text) return 0;
  if (length >= 0) return static_cast<std::size_t>(length);
  std::size_t n = 0;
  while (text[n]) ++n;
  return n;
}

}  // namespace horaz::platform::detail
