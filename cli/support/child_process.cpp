#include "cli/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace horaz::cli {

namespace {

// Our environment with the entries of `settings` it does not name.
std::vector<std::string> environmentWith(const std::vector<std::string>& settings) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) entries.emplace_back(*entry);
  for (const std::string& setting : settings) {
    const std::string name = setting.substr(0, setting.find('=') + 1);
    bool named = false;
    for (const std::string& entry : entries) named = named || entry.starts_with(name);
    if (!named) entries.push_back(setting);
  }
  return entries;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, PipeTo pipe,
                           const std::vector<std::string>& settings) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error(systemErrorText("pipe", errno));
  const bool feedsIt = pipe == PipeTo::kItsInput;
  UniqueFd itsEnd(feedsIt ? pipeEnds[0] : pipeEnds[1]);
  pipe_.reset(feedsIt ? pipeEnds[1] : pipeEnds[0]);
  enlargePipe(pipe_.get());

  std::vector<std::string> copies = arguments;
  std::vector<char*> argv;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = environmentWith(settings);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (feedsIt) {
    posix_spawn_file_actions_adddup2(&actions, itsEnd.get(), STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, itsEnd.get(), STDOUT_FILENO);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // We ignore SIGPIPE; the child gets the default back, and no blocked
  // signals.
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  const int error = ::posix_spawn(&child_, arguments.front().c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) throw std::runtime_error(systemErrorText("cannot start " + arguments.front(), error));
  running_ = true;
}

ChildProcess::~ChildProcess() { stop(); }

void ChildProcess::stop() {
  if (running_) {
    ::kill(child_, SIGKILL);
    wait();
  }
  pipe_.reset();
}

std::string ChildProcess::finish() {
  pipe_.reset();
  const int status = wait();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  return WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status)) : "killed by a signal";
}

int ChildProcess::wait() {
  int status = 0;
  while (running_ && ::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
  }
  running_ = false;
  return status;
}

std::string runForOutput(const std::vector<std::string>& arguments) {
  ChildProcess child(arguments, ChildProcess::PipeTo::kItsOutput);
  std::string output;
  uint8_t buffer[4096];
  while (const size_t count = readSome(child.pipe().get(), buffer, arguments.front()))
    output.append(reinterpret_cast<const char*>(buffer), count);
  if (const std::string failure = child.finish(); !failure.empty())
    throw std::runtime_error(arguments.front() + " failed (" + failure + ")");
  return output;
}

}  // namespace horaz::cli
