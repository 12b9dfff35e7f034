#pragma once

#include <cstdint>

#include "host/unknown.h"

namespace acf {

struct PanelControl : IUnknown {
  ACF_RESERVED_SLOT(3)
  ACF_RESERVED_SLOT(4)
  ACF_RESERVED_SLOT(5)
  ACF_RESERVED_SLOT(6)
  // [7] 1 makes the control available, 0 unavailable.
  virtual Result ACFCALL SetAvailability(int32_t available) = 0;

 protected:
  ~PanelControl() = default;
};

// The effect's parameter panel as the host shows it.
struct Panel : IUnknown {
  ACF_RESERVED_SLOT(3)
  ACF_RESERVED_SLOT(4)
  ACF_RESERVED_SLOT(5)
  ACF_RESERVED_SLOT(6)
  ACF_RESERVED_SLOT(7)
  ACF_RESERVED_SLOT(8)
  ACF_RESERVED_SLOT(9)
  ACF_RESERVED_SLOT(10)
  ACF_RESERVED_SLOT(11)
  ACF_RESERVED_SLOT(12)
  ACF_RESERVED_SLOT(13)
  ACF_RESERVED_SLOT(14)
  ACF_RESERVED_SLOT(15)
  ACF_RESERVED_SLOT(16)
  ACF_RESERVED_SLOT(17)
  ACF_RESERVED_SLOT(18)
  ACF_RESERVED_SLOT(19)
  ACF_RESERVED_SLOT(20)
  ACF_RESERVED_SLOT(21)
  // [22] The control with the id `controlId`.
  virtual Result ACFCALL GetControl(const Guid& controlId, PanelControl** out) = 0;

 protected:
  ~Panel() = default;
};

}  // namespace acf
