#pragma once

#include <stdexcept>

namespace horaz::cli {

// SIGINT and SIGTERM during a render: the handlers only raise a flag (and
// make blocking reads and writes return early); the render notices it,
// removes what it wrote under temporary names and exits. A second signal
// while the first is being handled ends the process the default way.
void installInterruptHandlers();
bool interrupted();
// The signal that raised the flag, or 0.
int interruptSignal();

// Thrown where a render notices the flag.
class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted") {}
};

// Throws Interrupted when the flag is up.
void throwIfInterrupted();

}  // namespace horaz::cli
