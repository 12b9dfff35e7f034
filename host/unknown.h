#pragma once

#include <cstdint>

#include "host/calling_convention.h"
#include "host/guid.h"
#include "host/result.h"

namespace acf {

// A slot of an operation table whose operation this plug-in never calls or
// implements. It keeps the later operations at their positions.
#define ACF_RESERVED_SLOT(position) \
  virtual ::acf::Result ACFCALL reservedSlot##position() { return ::acf::kNotImplemented; }

// Every object crossing the boundary begins with these three operations.
// Out-arguments carry one reference that the receiver owns.
struct IUnknown {
  static constexpr Guid kId = makeGuid("{00000000-0000-0000-C000-000000000046}");

  // [0] Stores the interface `iid` in *out with one reference added; null and
  // kNoInterface when the object does not offer it.
  virtual Result ACFCALL QueryInterface(const Guid& iid, void** out) = 0;
  // [1], [2] Return the new reference count.
  virtual uint32_t ACFCALL AddRef() = 0;
  virtual uint32_t ACFCALL Release() = 0;

 protected:
  ~IUnknown() = default;
};

}  // namespace acf
