#pragma once

#include <span>
#include <string>
#include <string_view>

namespace horaz::cli {

// `text` (its line breaks taken as spaces) broken at spaces into lines of at most `width` columns, the first
// line indented by `firstIndent` spaces and the others by `indent`; each
// line ends with a newline. A word longer than a line stands on its own.
std::string wrapText(std::string_view text, size_t firstIndent, size_t indent, size_t width = 79);
// The same for units that must not be broken, such as `10 "TC hh:mm:ss:ff"`.
std::string wrapWords(std::span<const std::string> words, size_t firstIndent, size_t indent, size_t width = 79);

// UTF-16 text of the plug-in's tables as the terminal shows it; their texts
// are ASCII, anything else becomes '?'.
std::string narrowText(const char16_t* text);

}  // namespace horaz::cli
