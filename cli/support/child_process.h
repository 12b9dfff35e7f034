#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "cli/support/file_descriptor.h"

namespace horaz::cli {

// A program we run with one of its standard streams on a pipe to us (ffmpeg
// and ffprobe). It runs in its own process group, so a Ctrl-C at the
// terminal reaches only us and we decide what becomes of it and its files;
// its standard error is ours. Destroyed while running, it is killed and
// waited for.
class ChildProcess {
 public:
  enum class PipeTo : uint8_t { kItsInput, kItsOutput };

  // Starts `arguments[0]` (a path) in our environment, plus the NAME=value
  // entries of `settings` whose names it does not hold (the user's own win).
  // Throws std::runtime_error.
  ChildProcess(const std::vector<std::string>& arguments, PipeTo pipe, const std::vector<std::string>& settings = {});
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Our end of the pipe: write to its input, or read its output.
  UniqueFd& pipe() { return pipe_; }
  // Closes our end of the pipe and waits; "" when it exited with 0,
  // otherwise how it ended ("exit code 1", "killed by a signal").
  std::string finish();
  // Kills it, if it still runs, before our end of the pipe closes (so it
  // does not report the closed pipe), and waits for it.
  void stop();

 private:
  int wait();

  UniqueFd pipe_;
  pid_t child_ = -1;
  bool running_ = false;
};

// Runs `arguments` to its end and returns its standard output. Throws
// std::runtime_error when it cannot start or does not exit with 0.
std::string runForOutput(const std::vector<std::string>& arguments);

}  // namespace horaz::cli
