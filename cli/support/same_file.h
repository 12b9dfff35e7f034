#pragma once

#include <span>
#include <string>

namespace horaz::cli {

// Throws UsageError when one of `outputs` is the file `input` (the same
// device and inode: the same name, a hard link or a symbolic link to it), so
// that a render never replaces its own input. "-" as input is standard
// input, whatever file it was opened from.
void refuseOutputsThatAreTheInput(const std::string& input, std::span<const std::string> outputs);

}  // namespace horaz::cli
