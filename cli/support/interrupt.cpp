#include "cli/support/interrupt.h"

#include <pthread.h>

#include <array>
#include <atomic>
#include <csignal>

namespace horaz::cli {
namespace {

std::atomic<int> g_signal{0};

// Every signal whose default is to end the process and that may be caught:
// a hang-up (a closed terminal or SSH session) or a timer must clean up as
// Ctrl-C does. SIGPIPE is ignored instead (below).
constexpr std::array kTerminatingSignals{SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM, SIGALRM, SIGUSR1, SIGUSR2,
                                         SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR};

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
  for (const int signalNumber : kTerminatingSignals) sigaction(signalNumber, &action, nullptr);
  // A reader that went away (ffmpeg, a closed pipe) shows up as EPIPE.
  std::signal(SIGPIPE, SIG_IGN);
}

bool interrupted() { return g_signal.load(std::memory_order_relaxed) != 0; }

int interruptSignal() { return g_signal.load(); }

void throwIfInterrupted() {
  if (interrupted()) throw Interrupted();
}

std::thread startBackgroundThread(std::function<void()> body) {
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  for (const int signalNumber : kTerminatingSignals) sigaddset(&blocked, signalNumber);
  // A thread starts with the mask of the one that starts it.
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  try {
    std::thread thread(std::move(body));
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return thread;
  } catch (...) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    throw;
  }
}

}  // namespace horaz::cli
