#include "cli/support/same_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include "cli/support/usage_error.h"

namespace horaz::cli {

void refuseOutputsThatAreTheInput(const std::string& input, std::span<const std::string> outputs) {
  struct stat in {};
  const bool inputIsFile = input == "-" ? ::fstat(STDIN_FILENO, &in) == 0 : ::stat(input.c_str(), &in) == 0;
  // Only files can be overwritten; a terminal or /dev/null in and out is fine.
  if (!inputIsFile || !S_ISREG(in.st_mode)) return;
  for (const std::string& output : outputs) {
    struct stat out {};
    if (output != "-" && ::stat(output.c_str(), &out) == 0 && out.st_dev == in.st_dev && out.st_ino == in.st_ino)
      throw UsageError("-o " + output + " is the input " + (input == "-" ? "(standard input)" : input) +
                       "; the render would replace what it reads, so write to another name");
  }
}

}  // namespace horaz::cli
