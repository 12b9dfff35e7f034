#pragma once

#include <exception>
#include <utility>

#include "host/result.h"

namespace horaz {

// A failing host call (or a failure of our own that has a result code) on its
// way to the operation's boundary.
class HostFailure final : public std::exception {
 public:
  explicit HostFailure(acf::Result code) noexcept : code_(code) {}
  acf::Result code() const noexcept { return code_; }
  const char* what() const noexcept override { return "host call failed"; }

 private:
  acf::Result code_;
};

// Every failure raised inside the plug-in passes through here: one place for a
// breakpoint.
[[noreturn]] void raiseFailure(acf::Result code);

// Raises a failing result; passes a successful one through.
inline acf::Result check(acf::Result result) {
  if (acf::failed(result)) raiseFailure(result);
  return result;
}

// Runs an entry point's or an interface operation's body. A carried result
// code is returned unchanged and any other exception becomes kUnexpected, so
// no exception ever leaves the library.
template <class Body>
acf::Result guardBoundary(Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (const HostFailure& failure) {
    return failure.code();
  } catch (...) {
    return acf::kUnexpected;
  }
}

}  // namespace horaz
