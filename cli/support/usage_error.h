#pragma once

#include <stdexcept>

namespace horaz::cli {

// A command line that cannot be followed: a bad option, value, input or
// output name. The message says why; the command exits with code 2 and
// writes nothing.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace horaz::cli
