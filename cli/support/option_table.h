#pragma once

#include <algorithm>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/support/usage_error.h"

namespace horaz::cli {

// One command-line option as data: the same row parses the option and prints
// its line of the help, so the two cannot drift apart.
template <typename Target>
struct Option {
  std::string_view shortName;  // "-i", or empty
  std::string_view longName;   // "--input"
  std::string_view valueName;  // "INPUT"; empty for a flag
  // The help: the first line beside the option, further lines below it.
  std::string_view help;
  // Stores the option in `target`; `value` is empty for a flag. Throws
  // UsageError for a value it does not accept.
  void (*apply)(Target& target, std::string_view value);

  bool takesValue() const { return !valueName.empty(); }
  bool isNamed(std::string_view name) const { return name == shortName || name == longName; }
};

// The column where the help of every option starts.
inline constexpr size_t kOptionHelpColumn = 24;
inline constexpr size_t kOptionHelpWidth = 79;

// Applies `arguments` to `target` through `table`: "--name value",
// "--name=value" and "-n value". Throws UsageError for an unknown option, a
// missing value or a value given to a flag.
template <typename Target>
void applyOptions(std::span<const Option<Target>> table, std::span<const std::string_view> arguments, Target& target) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
    std::optional<std::string_view> attached;
    if (name.starts_with("--") && name.find('=') != std::string_view::npos) {
      attached = name.substr(name.find('=') + 1);
      name = name.substr(0, name.find('='));
    }
    const Option<Target>* option = nullptr;
    for (const Option<Target>& candidate : table)
      if (candidate.isNamed(name)) option = &candidate;
    if (!option) throw UsageError("unknown option '" + std::string(arguments[i]) + "'");
    if (!option->takesValue()) {
      if (attached) throw UsageError(std::string(name) + " takes no value");
      option->apply(target, {});
    } else if (attached) {
      option->apply(target, *attached);
    } else {
      if (i + 1 >= arguments.size()) throw UsageError(std::string(name) + " needs a value");
      option->apply(target, arguments[++i]);
    }
  }
}

// The help lines of `options`: "  -i, --input INPUT     help", with the
// help's further lines aligned under its first.
template <typename Target>
void printOptions(std::span<const Option<Target>> options, std::ostream& out) {
  const std::string indent(kOptionHelpColumn, ' ');
  for (const Option<Target>& option : options) {
    std::string names = "  ";
    if (!option.shortName.empty()) names += std::string(option.shortName) + ", ";
    names += option.longName;
    if (option.takesValue()) names += " " + std::string(option.valueName);
    std::string_view help = option.help;
    const size_t firstLine = std::min(help.find('\n'), help.size());
    if (names.size() + 2 <= kOptionHelpColumn)
      names.append(kOptionHelpColumn - names.size(), ' ');
    else if (names.size() + 2 + firstLine <= kOptionHelpWidth)
      names += "  ";
    else
      names += "\n" + indent;
    out << names;
    for (bool first = true; !help.empty(); first = false) {
      const size_t end = help.find('\n');
      out << (first ? "" : indent) << help.substr(0, end) << '\n';
      help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
    }
  }
}

}  // namespace horaz::cli
