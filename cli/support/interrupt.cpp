#include "cli/support/interrupt.h"

#include <atomic>
#include <csignal>

namespace horaz::cli {
namespace {

std::atomic<int> g_signal{0};

extern "C" void onInterrupt(int signalNumber) {
  if (g_signal.exchange(signalNumber) != 0) {
    // Asked twice: stop waiting for the clean-up.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
  }
}

}  // namespace

void installInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = &onInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read from a pipe that never delivers must return with
  // EINTR so that the render can notice the flag.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A reader that went away (ffmpeg, a closed pipe) shows up as EPIPE.
  std::signal(SIGPIPE, SIG_IGN);
}

bool interrupted() { return g_signal.load(std::memory_order_relaxed) != 0; }

int interruptSignal() { return g_signal.load(); }

void throwIfInterrupted() {
  if (interrupted()) throw Interrupted();
}

}  // namespace horaz::cli
