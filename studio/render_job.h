#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace horaz::studio {

// A file path under `folder` for a render's output: relative, without "..",
// not through a link that leaves the folder, into a folder that exists.
// Throws RequestError.
std::filesystem::path outputUnder(const std::filesystem::path& folder, const std::string& requested);

// One `horaz render` at a time, run as its own process so the studio stays
// responsive; the tool writes the file under a temporary name and gives it
// its name only when complete, and removes it when cancelled. Progress is
// read from the tool's progress bar, which it draws on a terminal: the
// process's standard error is a pseudo-terminal the job reads.
class RenderJob {
 public:
  explicit RenderJob(std::filesystem::path tool);
  ~RenderJob();  // cancels a running render and waits for it
  RenderJob(const RenderJob&) = delete;
  RenderJob& operator=(const RenderJob&) = delete;

  // Starts `tool render ARGUMENTS -o OUTPUT`. Throws RequestError while
  // another render runs, std::runtime_error when it cannot start.
  void start(const std::vector<std::string>& arguments, const std::filesystem::path& output, int64_t frames);
  // Stops a running render (nothing is left under the output's name).
  void cancel();
  // {state: idle|running|done|failed|cancelled, done, total, secondsLeft,
  //  output, message}
  nlohmann::json status() const;
  // Waits for the running render to end.
  void wait();

 private:
  void follow(int terminal, pid_t child);

  std::filesystem::path tool_;
  mutable std::mutex mutex_;
  std::thread follower_;
  pid_t child_ = -1;
  std::string state_ = "idle";
  int64_t done_ = 0;
  int64_t total_ = 0;
  std::string output_;
  std::string message_;
  std::chrono::steady_clock::time_point started_;
  bool cancelled_ = false;
};

}  // namespace horaz::studio
