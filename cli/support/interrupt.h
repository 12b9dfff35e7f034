#pragma once

#include <functional>
#include <stdexcept>
#include <thread>

namespace horaz::cli {

// SIGINT, SIGTERM, SIGHUP or any other terminating signal during a render: the handlers only raise a flag (and
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

// Starts `body` on a thread that blocks the signals above, so that they
// reach the thread that reads and writes and cut its blocking calls short.
std::thread startBackgroundThread(std::function<void()> body);

}  // namespace horaz::cli
