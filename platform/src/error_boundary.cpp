#include "error_boundary.h"

namespace horaz::platform::detail {

GpStatus failed(GpStatus status) noexcept {
  return status;  // the single place a debugger can stop on any failure
}

void raise(GpStatus status) { throw StatusError(failed(status)); }

}  // namespace horaz::platform::detail
