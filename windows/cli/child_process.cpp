// Windows: the tool runs no other programs, so ffmpeg inputs and outputs are
// refused with a message instead.
#include "cli/support/child_process.h"

#include <stdexcept>

namespace horaz::cli {
namespace {

[[noreturn]] void unavailable(const std::vector<std::string>& arguments) {
  throw std::runtime_error((arguments.empty() ? std::string("a helper program") : arguments.front()) +
                           ": the Windows build of horaz runs no other programs (ffmpeg inputs and outputs are "
                           "not available); use Y4M, PNG or raw frames");
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, PipeTo, const std::vector<std::string>&) {
  unavailable(arguments);
}

ChildProcess::~ChildProcess() = default;

std::string ChildProcess::finish() { return ""; }

void ChildProcess::stop() {}

int ChildProcess::wait() { return 0; }

std::string runForOutput(const std::vector<std::string>& arguments) { unavailable(arguments); }

}  // namespace horaz::cli
