#include "effect/strftime_pattern.h"

#include <gtest/gtest.h>

#include <string>

#include "effect/clock_time.h"
#include "effect/timer_text.h"

namespace horaz {
namespace {

TEST(WindowsRuntimePattern, AcceptsOnlyTheConversionsItKnows) {
  const struct {
    const char* pattern;
    bool accepted;
  } cases[] = {
      {"", true},
      {"plain text", true},
      {"%H:%M:%S %d.%m.%Y", true},
      {"%a %A %b %B %c %j %p %U %w %W %x %X %y %z %Z", true},
      {"100%%", true},
      {"%#d.%#m.%#Y", true},
      {"%e", false},  // C99, unknown to the runtime
      {"%T", false},
      {"%Ey", false},  // modifiers other than '#'
      {"%Q", false},
      {"%", false},  // a lone percent sign at the end
      {"%#", false},
      {"ok %H then %q", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(windowsRuntimeAcceptsPattern(c.pattern), c.accepted) << '"' << c.pattern << '"';
  }
}

#ifdef _WIN32
// The runtime would end the process on these; the text stays empty instead.
TEST(WindowsRuntimePattern, RefusedPatternGivesEmptyFreeFormatText) {
  ClockValue value;
  value.day = 7;
  value.month = 3;
  value.year = 2010;
  constexpr int32_t kFreeFormat = 13;
  for (const char* pattern : {"%Q", "%H %e", "%Ey"}) {
    EXPECT_EQ(makeTimerText(value, kFreeFormat, pattern, {}).length(), 0u) << pattern;
  }
  EXPECT_EQ(std::u16string(makeTimerText(value, kFreeFormat, "%d.%m.%Y", {}).view()), u"07.03.2010");
}
#endif

}  // namespace
}  // namespace horaz
