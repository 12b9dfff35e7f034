#include "cli/support/progress.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

namespace horaz::cli {
namespace {

std::string clockText(double seconds) {
  const auto whole = static_cast<int64_t>(seconds + 0.5);
  char text[32];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(whole / 3600),
                  static_cast<long long>(whole / 60 % 60), static_cast<long long>(whole % 60));
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(whole / 60),
                  static_cast<long long>(whole % 60));
  return text;
}

constexpr int kBarWidth = 30;

}  // namespace

ProgressBar::ProgressBar(std::ostream& out, int64_t total, bool enabled)
    : out_(out), total_(total), enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

double ProgressBar::elapsedSeconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressBar::update(int64_t done) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100) && done < total_) return;
  lastDraw_ = now;
  draw(done);
}

void ProgressBar::draw(int64_t done) {
  const double elapsed = elapsedSeconds();
  const double rate = elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0;
  std::string line = "\r";
  char numbers[128];
  if (total_ > 0) {
    const int filled = static_cast<int>(std::min(done, total_) * kBarWidth / total_);
    line += '[';
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(kBarWidth - filled), '.');
    std::snprintf(numbers, sizeof numbers, "] %lld/%lld frames  %.1f fps", static_cast<long long>(done),
                  static_cast<long long>(total_), rate);
  } else {
    // A stream of unknown length: no bar, no time left.
    std::snprintf(numbers, sizeof numbers, "%lld frames  %.1f fps", static_cast<long long>(done), rate);
  }
  line += numbers;
  if (rate > 0.0 && total_ > 0 && done < total_)
    line += "  " + clockText(static_cast<double>(total_ - done) / rate) + " left";
  line += "\x1b[K";  // clear the rest of the line
  out_ << line << std::flush;
  drawn_ = true;
}

void ProgressBar::clear() {
  if (!drawn_) return;
  out_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

void ProgressBar::finish(int64_t done, const std::string& what) {
  clear();
  if (!enabled_) return;
  const double elapsed = elapsedSeconds();
  char numbers[128];
  std::snprintf(numbers, sizeof numbers, " (%lld frames in %.1f s, %.1f fps)", static_cast<long long>(done), elapsed,
                elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0);
  out_ << what << numbers << '\n' << std::flush;
}

}  // namespace horaz::cli
