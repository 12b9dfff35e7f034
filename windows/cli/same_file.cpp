// Windows: the runtime's file status has no file numbers, so the file system
// is asked whether two names are one file.
#include "cli/support/same_file.h"

#include <filesystem>
#include <system_error>

#include "cli/support/usage_error.h"

namespace horaz::cli {

void refuseOutputsThatAreTheInput(const std::string& input, std::span<const std::string> outputs) {
  std::error_code error;
  if (input == "-" || !std::filesystem::is_regular_file(input, error)) return;
  for (const std::string& output : outputs) {
    if (output != "-" && std::filesystem::equivalent(input, output, error) && !error)
      throw UsageError("-o " + output + " is the input " + input +
                       "; the render would replace what it reads, so write to another name");
  }
}

}  // namespace horaz::cli
