#pragma once

#include <clocale>
#include <string>

namespace horaz::test {

// The C locale with UTF-8 text where the C runtime has one; Windows' runtime
// knows only "C" by that name.
#ifdef _WIN32
inline constexpr const char* kCUtf8Locale = "C";
#else
inline constexpr const char* kCUtf8Locale = "C.UTF-8";
#endif

// Switches the C locale for one test and puts the previous one back.
class LocaleGuard {
 public:
  explicit LocaleGuard(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~LocaleGuard() { std::setlocale(LC_ALL, previous_.c_str()); }
  LocaleGuard(const LocaleGuard&) = delete;
  LocaleGuard& operator=(const LocaleGuard&) = delete;

  bool active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

}  // namespace horaz::test
