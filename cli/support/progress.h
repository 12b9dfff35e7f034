#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace horaz::cli {

// A one-line progress bar with frames per second and time left, redrawn on
// standard error at most ten times a second. Silent unless `enabled` (the
// tool enables it when standard error is a terminal and --quiet is absent).
class ProgressBar {
 public:
  ProgressBar(std::ostream& out, int64_t total, bool enabled);
  // `done` frames are written.
  void update(int64_t done);
  // Clears the bar and, when enabled, prints a summary line.
  void finish(int64_t done, const std::string& what);
  // Clears the bar (before an error message).
  void clear();

  double elapsedSeconds() const;

 private:
  void draw(int64_t done);

  std::ostream& out_;
  int64_t total_;
  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace horaz::cli
