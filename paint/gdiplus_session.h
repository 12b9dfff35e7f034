#pragma once

#include <gdiplusflat.h>

namespace horaz {

// GDI+ started for the span of one render call: GdiplusStartup (version 1,
// no debug callback, background thread and external codecs not suppressed,
// no output) on construction, GdiplusShutdown with its token by shutdown()
// or, on any other way out, by the destructor. A failed start-up is not an
// error: the painters then draw nothing, and there is no token to return.
class GdiplusSession {
 public:
  GdiplusSession() {
    const GdiplusStartupInput input;
    started_ = GdiplusStartup(&token_, &input, nullptr) == Ok;
  }
  ~GdiplusSession() { shutdown(); }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  // Every GDI+ object of the call must be deleted by now. Safe to call twice.
  void shutdown() noexcept {
    if (started_) GdiplusShutdown(token_);
    started_ = false;
  }

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

}  // namespace horaz
