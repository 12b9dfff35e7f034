// One way out of every exported function: exceptions stay inside and turn
// into the function's result here, and every failure passes through
// `failed`, so one breakpoint catches them all.
#pragma once

#include <exception>
#include <new>

#include "gdiplusflat.h"

namespace horaz::platform::detail {

// Carries a GDI+ status out of nested code to the boundary.
struct StatusError : std::exception {
  explicit StatusError(GpStatus status) : status(status) {}
  const char* what() const noexcept override { return "GDI+ status"; }
  GpStatus status;
};

// Every failing status is made here.
GpStatus failed(GpStatus status) noexcept;
[[noreturn]] void raise(GpStatus status);

// Runs a GDI+ body: its status, a carried status, OutOfMemory for an
// allocation failure and GenericError for anything else.
template <class Body>
GpStatus gdiplusBoundary(Body&& body) noexcept {
  try {
    return body();
  } catch (const StatusError& error) {
    return failed(error.status);
  } catch (const std::bad_alloc&) {
    return failed(OutOfMemory);
  } catch (...) {
    return failed(GenericError);
  }
}

// Runs a GDI (or window/dialog) body: its result, or `onFailure` when it
// throws.
template <class Result, class Body>
Result gdiBoundary(Result onFailure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    failed(GenericError);
    return onFailure;
  }
}

}  // namespace horaz::platform::detail
