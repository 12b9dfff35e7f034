#include "studio/render_job.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <regex>

#include <nlohmann/json.hpp>

#include "studio/request_error.h"

extern char** environ;

namespace horaz::studio {
namespace {

// The last line of the tool's standard error, without the progress bar's
// carriage returns and terminal codes: its message when it fails.
std::string lastMessage(const std::string& text) {
  std::string clean = std::regex_replace(text, std::regex("\x1b\\[[0-9;]*[A-Za-z]"), "");
  std::string line, last;
  for (const char c : clean) {
    if (c == '\n' || c == '\r') {
      if (!line.empty()) last = line;
      line.clear();
    } else {
      line += c;
    }
  }
  return line.empty() ? last : line;
}

}  // namespace

std::filesystem::path outputUnder(const std::filesystem::path& folder, const std::string& requested) {
  namespace fs = std::filesystem;
  if (requested.empty() || requested == "-") throw RequestError("the output must name a file");
  const fs::path path(requested);
  if (path.is_absolute()) throw RequestError("the output must be a path under the output folder, not absolute");
  for (const fs::path& part : path)
    if (part == "..") throw RequestError("the output must stay under the output folder (no '..')");
  const fs::path root = fs::canonical(folder);
  const fs::path target = root / path.lexically_normal();
  std::error_code error;
  const fs::path parent = fs::canonical(target.parent_path(), error);
  if (error) throw RequestError("the folder of '" + requested + "' does not exist under the output folder");
  const auto [end, unused] = std::mismatch(root.begin(), root.end(), parent.begin(), parent.end());
  if (end != root.end()) throw RequestError("the output must stay under the output folder");
  if (fs::is_symlink(target)) throw RequestError("the output must not be a link");
  return parent / target.filename();
}

RenderJob::RenderJob(std::filesystem::path tool) : tool_(std::move(tool)) {}

RenderJob::~RenderJob() {
  cancel();
  wait();
}

void RenderJob::start(const std::vector<std::string>& arguments, const std::filesystem::path& output, int64_t frames) {
  std::lock_guard lock(mutex_);
  if (state_ == "running") throw RequestError("a render is running; cancel it or wait for it to finish");
  if (follower_.joinable()) follower_.join();

  std::vector<std::string> words = {tool_.string(), "render"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  words.insert(words.end(), {"-o", output.string()});
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  int terminal = -1, replica = -1;
  if (openpty(&terminal, &replica, nullptr, nullptr, nullptr) != 0)
    throw std::runtime_error(std::string("cannot open a terminal for the render: ") + std::strerror(errno));
  ::fcntl(terminal, F_SETFD, FD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, replica, STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, replica);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own session: a Ctrl-C in the studio's terminal is the studio's. The
  // studio's thread blocks SIGINT and SIGTERM to wait for them; the render
  // must take them again, or cancel could not stop it.
  sigset_t none;
  sigemptyset(&none);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &stopSignals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t child = -1;
  const int failure = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(replica);
  if (failure != 0) {
    ::close(terminal);
    throw std::runtime_error("cannot start " + tool_.string() + ": " + std::strerror(failure));
  }
  child_ = child;
  state_ = "running";
  done_ = 0;
  total_ = frames;
  output_ = output.string();
  message_.clear();
  cancelled_ = false;
  started_ = std::chrono::steady_clock::now();
  follower_ = std::thread([this, terminal, child] { follow(terminal, child); });
}

void RenderJob::follow(int terminal, pid_t child) {
  static const std::regex kProgress("([0-9]+)/([0-9]+) frames");
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // EIO once the tool has closed its side
    text.append(buffer, static_cast<size_t>(got));
    // The latest "N/M frames" of the bar.
    std::smatch match;
    int64_t done = -1;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kProgress); it != std::sregex_iterator(); ++it)
      done = std::stoll((*it)[1].str());
    if (done >= 0) {
      std::lock_guard lock(mutex_);
      done_ = done;
    }
    if (text.size() > 65536) text.erase(0, text.size() - 4096);
  }
  ::close(terminal);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  std::lock_guard lock(mutex_);
  child_ = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    state_ = "done";
    done_ = total_;
    message_ = "wrote " + output_;
  } else if (cancelled_) {
    state_ = "cancelled";
    message_ = "cancelled; nothing was written";
  } else {
    state_ = "failed";
    message_ = lastMessage(text);
    if (message_.empty()) message_ = "the render stopped";
  }
}

void RenderJob::cancel() {
  std::lock_guard lock(mutex_);
  if (child_ <= 0) return;
  cancelled_ = true;
  ::kill(child_, SIGTERM);
}

void RenderJob::wait() {
  std::thread follower;
  {
    std::lock_guard lock(mutex_);
    follower = std::move(follower_);
  }
  if (follower.joinable()) follower.join();
}

nlohmann::json RenderJob::status() const {
  std::lock_guard lock(mutex_);
  nlohmann::json secondsLeft = nullptr;
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  if (state_ == "running" && done_ > 0 && total_ > done_)
    secondsLeft = elapsed / static_cast<double>(done_) * static_cast<double>(total_ - done_);
  return {{"state", state_},   {"done", done_},      {"total", total_}, {"secondsLeft", secondsLeft},
          {"output", output_}, {"message", message_}};
}

}  // namespace horaz::studio
