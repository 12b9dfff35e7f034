#pragma once

#include "host/result.h"
#include "module/base/boundary.h"
#include "host/counted_ref.h"

namespace horaz {

// A host call that hands out an object has worked only when it returned
// success and the object is there: success that handed out nothing is a
// failure all the same (going on would call through a null pointer).

// For calls whose failure the caller answers itself.
template <class Interface>
[[nodiscard]] bool handedOut(acf::Result result, const CountedRef<Interface>& object) {
  return acf::succeeded(result) && object;
}

// For calls whose failure ends the operation: a failing result is raised as
// it is, a success without an object as kUnexpected.
template <class Interface>
Interface& obtained(acf::Result result, const CountedRef<Interface>& object) {
  check(result);
  if (!object) raiseFailure(acf::kUnexpected);
  return *object.get();
}

}  // namespace horaz
