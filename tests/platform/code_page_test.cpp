#include <stringapiset.h>
#include <sysinfoapi.h>
#include <winnls.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "locale_guard.h"

namespace {

struct ConversionCase {
  std::string bytes;
  int sourceBytes;  // -1: NUL-terminated
  std::u16string expected;
  const char* about;
};

std::u16string convert(UINT codePage, const std::string& bytes, int sourceBytes, int* result) {
  std::array<WCHAR, 64> out;
  out.fill(u'#');
  *result = MultiByteToWideChar(codePage, 0, bytes.data(), sourceBytes, out.data(), static_cast<int>(out.size()));
  return std::u16string(out.data(), *result > 0 ? static_cast<size_t>(*result) : 0);
}

TEST(MultiByteToWideChar, ConvertsUtf8) {
  const ConversionCase cases[] = {
      {"abc", -1, std::u16string(u"abc", 4), "terminator converted and counted"},
      {"abc", 3, u"abc", "explicit length: no terminator"},
      {std::string("a\0b", 3), 3, std::u16string(u"a\0b", 3), "embedded NUL with an explicit length"},
      {"\xC3\xA4\xE2\x82\xAC", 5, u"\u00e4\u20ac", "two- and three-byte characters"},
      {"\xF0\x9F\x98\x80", 4, u"\xD83D\xDE00", "four bytes: a surrogate pair"},
      {"\xF4\x8F\xBF\xBF", 4, u"\xDBFF\xDFFF", "U+10FFFF"},
      {"\xFF", 1, u"\uFFFD", "byte that never occurs"},
      {"a\xC3", 2, u"a\uFFFD", "input ends inside a character"},
      {"\xE2\x82"
       "A",
       3,
       u"\uFFFD"
       "A",
       "truncated sequence: one replacement"},
      {"\xED\xA0\x80", 3, u"\uFFFD\uFFFD\uFFFD", "encoded surrogate"},
      {"\xC0\xAF", 2, u"\uFFFD\uFFFD", "overlong form"},
      {"\xE0\x80\xAF", 3, u"\uFFFD\uFFFD\uFFFD", "overlong three-byte form"},
      {"\xF4\x90\x80\x80", 4, u"\uFFFD\uFFFD\uFFFD\uFFFD", "beyond U+10FFFF"},
      {"\x80"
       "b",
       2,
       u"\uFFFD"
       "b",
       "lone continuation byte"},
  };
  for (const ConversionCase& c : cases) {
    int result = 0;
    const std::u16string out = convert(CP_UTF8, c.bytes, c.sourceBytes, &result);
    EXPECT_EQ(out, c.expected) << c.about;
    EXPECT_EQ(result, static_cast<int>(c.expected.size())) << c.about;
  }
}

TEST(MultiByteToWideChar, SizeQueryAndSmallBuffers) {
  const char* text =
      "\xC3\xA4"
      "b\xF0\x9F\x98\x80";  // 1 + 1 + 2 units, plus the terminator
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 5);
  std::array<WCHAR, 8> out;
  out.fill(u'#');
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), 0), 5);
  EXPECT_EQ(out[0], u'#') << "a size query writes nothing";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), 4), 0) << "no room for the terminator";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 7, out.data(), 3), 0) << "no room for the second surrogate";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), 5), 5);
  EXPECT_EQ(std::u16string(out.data(), 5), std::u16string(u"\u00e4b\xD83D\xDE00", 5));
}

TEST(MultiByteToWideChar, RejectsBadArguments) {
  std::array<WCHAR, 8> out{};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, out.data(), 8), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 0, out.data(), 8), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", -2, out.data(), 8), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", -1, nullptr, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", -1, out.data(), -1), 0);
  EXPECT_EQ(MultiByteToWideChar(437, 0, "a", -1, out.data(), 8), 0) << "code page not offered";
}

TEST(MultiByteToWideChar, StrictModeFailsOnInvalidInput) {
  std::array<WCHAR, 8> out{};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", -1, out.data(), 8), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3\xA4", -1, out.data(), 8), 3);
}

// The thread's ANSI code page is the C locale's encoding.
TEST(MultiByteToWideChar, ThreadCodePageFollowsTheLocale) {
  std::array<WCHAR, 8> out{};
  {
    horaz::test::LocaleGuard locale("C.UTF-8");
    ASSERT_TRUE(locale.active());
    for (const UINT codePage : {UINT{CP_THREAD_ACP}, UINT{CP_ACP}, GetACP()}) {
      EXPECT_EQ(MultiByteToWideChar(codePage, 0, "\xC3\xA4\xF0\x9F\x98\x80", -1, out.data(), 8), 4);
      EXPECT_EQ(std::u16string(out.data(), 4), std::u16string(u"\u00e4\xD83D\xDE00", 4));
      EXPECT_EQ(MultiByteToWideChar(codePage, 0,
                                    "\xE2\x82"
                                    "A",
                                    -1, out.data(), 8),
                3);
      EXPECT_EQ(std::u16string(out.data(), 3), std::u16string(u"\uFFFD"
                                                              "A",
                                                              3));
    }
    EXPECT_EQ(GetACP(), 65001u);
  }
  {
    horaz::test::LocaleGuard locale("C");
    EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "ok", -1, out.data(), 8), 3);
    EXPECT_EQ(std::u16string(out.data(), 3), std::u16string(u"ok", 3));
    // Bytes above 0x7F decode to one unit each, whatever this C library makes of them.
    EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "\xE4\xFF", 2, out.data(), 8), 2);
    EXPECT_EQ(GetACP(), 20127u);
  }
}

TEST(CodePageInformation, LocaleAnsiCodePageAndVersion) {
  horaz::test::LocaleGuard locale("C.UTF-8");
  char digits[8] = {};
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, nullptr, 0), 6);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 5), 0);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits), 6);
  EXPECT_STREQ(digits, "65001");
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, 0x1005, digits, sizeof digits), 0);

  const DWORD version = GetVersion();
  EXPECT_EQ(version & 0x80000000u, 0u) << "NT family";
  EXPECT_GE(version & 0xFFu, 5u);
}

}  // namespace
