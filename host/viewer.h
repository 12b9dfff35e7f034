#pragma once

#include <cstdint>

#include <windef.h>

#include "host/parameters.h"
#include "host/render.h"
#include "host/unknown.h"

namespace acf {

// The viewer context the host gives the overlay while the viewer shows the
// effect. Used from the viewer's thread.
struct OverlayContext : IUnknown {
  // [3] The effect's parameter set.
  virtual Result ACFCALL GetParameterSet(ParameterSet** out) = 0;
  ACF_RESERVED_SLOT(4)
  // [5] An object whose GetTime gives the viewer's current time.
  virtual Result ACFCALL GetTimeSource(TimeSource** out) = 0;
  ACF_RESERVED_SLOT(6)
  ACF_RESERVED_SLOT(7)
  // [8] The device context to draw the marker into; owned by the viewer.
  virtual HDC ACFCALL GetDeviceContext() = 0;
  ACF_RESERVED_SLOT(9)
  ACF_RESERVED_SLOT(10)
  // [11] The hit scale N.
  virtual uint16_t ACFCALL GetHitScale() = 0;
  ACF_RESERVED_SLOT(12)
  ACF_RESERVED_SLOT(13)
  ACF_RESERVED_SLOT(14)
  // [15] The interaction mode: 0 and 1 handles, 2 drag.
  virtual int32_t ACFCALL GetMode() = 0;
  ACF_RESERVED_SLOT(16)
  ACF_RESERVED_SLOT(17)
  ACF_RESERVED_SLOT(18)
  // [19] Normalized frame coordinates to viewer pixels.
  virtual Result ACFCALL ToViewerPoint(double x, double y, int16_t* pixelX, int16_t* pixelY) = 0;

 protected:
  ~OverlayContext() = default;
};

}  // namespace acf
