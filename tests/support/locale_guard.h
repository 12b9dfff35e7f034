#pragma once

#include <clocale>
#include <string>

namespace horaz::test {

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
