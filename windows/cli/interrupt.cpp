// Windows: Ctrl-C, Ctrl-Break and a termination request raise the flag the
// render watches; a second one ends the process the default way.
#include "cli/support/interrupt.h"

#include <atomic>
#include <csignal>

namespace horaz::cli {
namespace {

std::atomic<int> g_signal{0};

extern "C" void onInterrupt(int signalNumber) {
  if (g_signal.exchange(signalNumber) != 0) {
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    return;
  }
  std::signal(signalNumber, &onInterrupt);  // the runtime resets the handler on delivery
}

}  // namespace

void installInterruptHandlers() {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGBREAK}) std::signal(signalNumber, &onInterrupt);
}

bool interrupted() { return g_signal.load(std::memory_order_relaxed) != 0; }

int interruptSignal() { return g_signal.load(); }

void throwIfInterrupted() {
  if (interrupted()) throw Interrupted();
}

// Ctrl-C arrives on a thread of the system's own: nothing to block.
std::thread startBackgroundThread(std::function<void()> body) { return std::thread(std::move(body)); }

}  // namespace horaz::cli
