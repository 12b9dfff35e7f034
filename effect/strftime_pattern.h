#pragma once

#include <string_view>

namespace horaz {

// Whether the Windows C runtime's strftime (msvcrt) knows every conversion
// in `pattern`: %a %A %b %B %c %d %H %I %j %m %M %p %S %U %w %W %x %X %y %Y
// %z %Z and %%, each optionally with the '#' flag. That runtime does not
// print an unknown conversion: it calls its invalid-parameter handler, which
// by default ends the process, so a pattern it would refuse is never handed
// to it.
constexpr bool windowsRuntimeAcceptsPattern(std::string_view pattern) noexcept {
  constexpr std::string_view kConversions = "aAbBcdHIjmMpSUwWxXyYzZ%";
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (++i < pattern.size() && pattern[i] == '#') ++i;
    if (i >= pattern.size() || kConversions.find(pattern[i]) == std::string_view::npos) return false;
  }
  return true;
}

}  // namespace horaz
