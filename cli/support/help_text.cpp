#include "cli/support/help_text.h"

#include <algorithm>
#include <vector>

namespace horaz::cli {

std::string wrapWords(std::span<const std::string> words, size_t firstIndent, size_t indent, size_t width) {
  std::string out(firstIndent, ' ');
  size_t lineStart = 0;
  bool lineEmpty = true;
  for (const std::string& word : words) {
    if (!lineEmpty && out.size() - lineStart + 1 + word.size() > width) {
      out += '\n';
      lineStart = out.size();
      out.append(indent, ' ');
      lineEmpty = true;
    }
    if (!lineEmpty) out += ' ';
    out += word;
    lineEmpty = false;
  }
  return out + '\n';
}

std::string wrapText(std::string_view text, size_t firstIndent, size_t indent, size_t width) {
  std::vector<std::string> words;
  while (!text.empty()) {
    const size_t start = text.find_first_not_of(" \n");
    if (start == std::string_view::npos) break;
    text.remove_prefix(start);
    const size_t length = std::min(text.find_first_of(" \n"), text.size());
    words.emplace_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return wrapWords(words, firstIndent, indent, width);
}
std::string narrowText(const char16_t* text) {
  std::string out;
  for (; text && *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
  return out;
}

}  // namespace horaz::cli
