#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace horaz::cli {

// The standard streams a command writes to; tests may pass their own.
struct Streams {
  std::ostream& out;
  std::ostream& err;
};

// One command of `horaz`: `horaz NAME ARGUMENTS...`. `run` receives the
// arguments after the name and returns the process exit code (0 success,
// 1 failure, 2 bad usage).
struct Command {
  std::string_view name;
  std::string_view usage;    // "describe [--plugin PATH] [--json]"
  std::string_view summary;  // one line for `horaz --help`
  int (*run)(std::span<const std::string_view> arguments, Streams streams);
};

// Every command, in the order `horaz --help` lists them.
std::span<const Command> commands();

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace horaz::cli
