// Code-page conversion on top of the C library's locale: the "ANSI code page"
// of the calling thread is the encoding of its LC_CTYPE.

#include <langinfo.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "stringapiset.h"
#include "sysinfoapi.h"
#include "winnls.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
  size_t bytes;        // consumed, at least 1
  char32_t codePoint;  // kReplacement when !valid
  bool valid;
};

// One character of UTF-8. An ill-formed sequence consumes its maximal valid
// prefix (at least one byte) and yields one replacement character, as the
// Unicode standard recommends.
Decoded decodeUtf8(const unsigned char* p, size_t available) {
  const unsigned char lead = p[0];
  if (lead < 0x80) return {1, lead, true};
  size_t trailing = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
  char32_t codePoint = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trailing = 1;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trailing = 2;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trailing = 3;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return {1, kReplacement, false};
  }
  for (size_t i = 1; i <= trailing; ++i) {
    if (i >= available || p[i] < low || p[i] > high) return {i, kReplacement, false};
    codePoint = (codePoint << 6) | (p[i] & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return {trailing + 1, codePoint, true};
}

// One character in the encoding of the calling thread's C locale.
Decoded decodeLocale(const unsigned char* p, size_t available, std::mbstate_t& state) {
  wchar_t wide = 0;
  const size_t result = std::mbrtowc(&wide, reinterpret_cast<const char*>(p), available, &state);
  if (result == static_cast<size_t>(-1)) {
    state = std::mbstate_t{};
    return {1, kReplacement, false};
  }
  if (result == static_cast<size_t>(-2)) {  // the input ends inside a character
    state = std::mbstate_t{};
    return {available, kReplacement, false};
  }
  const auto codePoint = static_cast<char32_t>(wide);
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return {result == 0 ? 1 : result, kReplacement, false};
  }
  return {result == 0 ? 1 : result, codePoint, true};
}

bool localeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

UINT codePageOfLocale() {
  struct Known {
    const char* codeset;
    UINT codePage;
  };
  static constexpr Known kKnown[] = {
      {"UTF-8", CP_UTF8}, {"utf8", CP_UTF8}, {"ANSI_X3.4-1968", 20127}, {"ISO-8859-1", 28591}, {"ISO-8859-15", 28605},
  };
  const char* codeset = nl_langinfo(CODESET);
  if (!codeset) return CP_ACP;
  for (const Known& known : kKnown) {
    if (std::strcmp(codeset, known.codeset) == 0) return known.codePage;
  }
  return CP_ACP;
}

}  // namespace

extern "C" {

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceBytes, LPWSTR dest, int destUnits) {
  if (!source || sourceBytes == 0 || sourceBytes < -1 || destUnits < 0 || (destUnits > 0 && !dest)) return 0;

  bool utf8 = false;
  if (codePage == CP_UTF8) {
    utf8 = true;
  } else if (codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP || codePage == GetACP()) {
    utf8 = localeIsUtf8();
  } else {
    return 0;
  }

  const auto* bytes = reinterpret_cast<const unsigned char*>(source);
  const size_t length = sourceBytes == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceBytes);
  const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
  std::mbstate_t state{};
  size_t produced = 0;
  for (size_t at = 0; at < length;) {
    const Decoded decoded = utf8 ? decodeUtf8(bytes + at, length - at) : decodeLocale(bytes + at, length - at, state);
    at += decoded.bytes;
    if (!decoded.valid && strict) return 0;
    const size_t units = decoded.codePoint >= 0x10000 ? 2 : 1;
    if (produced + units > static_cast<size_t>(INT_MAX)) return 0;
    if (destUnits > 0) {
      if (produced + units > static_cast<size_t>(destUnits)) return 0;
      if (units == 2) {
        const char32_t offset = decoded.codePoint - 0x10000;
        dest[produced] = static_cast<WCHAR>(0xD800 + (offset >> 10));
        dest[produced + 1] = static_cast<WCHAR>(0xDC00 + (offset & 0x3FF));
      } else {
        dest[produced] = static_cast<WCHAR>(decoded.codePoint);
      }
    }
    produced += units;
  }
  return static_cast<int>(produced);
}

UINT WINAPI GetACP(void) { return codePageOfLocale(); }

int WINAPI GetLocaleInfoA(DWORD, DWORD type, LPSTR data, int size) {
  if (type != LOCALE_IDEFAULTANSICODEPAGE || size < 0) return 0;
  char digits[16];
  const int written = std::snprintf(digits, sizeof digits, "%u", GetACP());
  const int needed = written + 1;
  if (size == 0) return needed;
  if (!data || size < needed) return 0;
  std::memcpy(data, digits, static_cast<size_t>(needed));
  return needed;
}

DWORD WINAPI GetVersion(void) { return (7601u << 16) | (1u << 8) | 6u; }

}  // extern "C"
