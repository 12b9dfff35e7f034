#pragma once

#include <cstdint>

#include "host/unknown.h"

namespace acf {

// The render-time objects the host passes to (or hands out during) a render
// call. They may be used from the thread of that call only.

struct TimeSource : IUnknown {
  // [3] The time in frames.
  virtual double ACFCALL GetTime() = 0;
  // [4] The field being rendered: 1 or 2 for the fields of an interlaced
  // frame.
  virtual int32_t ACFCALL GetField() = 0;

 protected:
  ~TimeSource() = default;
};

struct Request : IUnknown {
  // [3] A value the render hands on, unchanged, to the input accessor.
  virtual int32_t ACFCALL GetValue() = 0;

 protected:
  ~Request() = default;
};

struct PixelLayout : IUnknown {
  // [3] 2 for four-component RGB-type pixels, 3 and 4 for YCbCr 4:2:2.
  virtual int32_t ACFCALL GetKind() = 0;
  // [4]
  virtual int32_t ACFCALL GetComponentCount() = 0;
  ACF_RESERVED_SLOT(5)
  // [6] Byte offset of component `index` within a pixel (a pair for YCbCr).
  virtual int32_t ACFCALL GetComponentOffset(int32_t index) = 0;
  ACF_RESERVED_SLOT(7)
  ACF_RESERVED_SLOT(8)
  // [9] Bytes from one pixel to the next; asked with 0.
  virtual int32_t ACFCALL GetPixelStep(int32_t plane) = 0;
  ACF_RESERVED_SLOT(10)
  ACF_RESERVED_SLOT(11)
  // [12] 0 when row 0 is the top of the picture.
  virtual int32_t ACFCALL GetRowOrder() = 0;
  // [13] 1 when the pixel step covers one pixel of a YCbCr pair.
  virtual int32_t ACFCALL GetPairingFlag() = 0;

 protected:
  ~PixelLayout() = default;
};

struct Frame : IUnknown {
  ACF_RESERVED_SLOT(3)
  // [4], [5] Size in pixels.
  virtual int32_t ACFCALL GetWidth() = 0;
  virtual int32_t ACFCALL GetHeight() = 0;
  ACF_RESERVED_SLOT(6)
  ACF_RESERVED_SLOT(7)
  // [8] 0 progressive; 1, 2 and 3 for kinds of field rendering.
  virtual int32_t ACFCALL GetFieldMode() = 0;
  // [9]
  virtual int32_t ACFCALL GetFieldKind() = 0;
  // [10]
  virtual Result ACFCALL GetPixelLayout(PixelLayout** out) = 0;
  // [11]
  virtual double ACFCALL GetPixelAspect() = 0;
  // [12] The field whose rows start at row 0.
  virtual int32_t ACFCALL GetFirstField() = 0;
  ACF_RESERVED_SLOT(13)
  // [14] The first byte of row `y`; asked with a second argument of 0.
  virtual uint8_t* ACFCALL GetRow(int32_t y, int32_t plane) = 0;

 protected:
  ~Frame() = default;
};

struct InputAccessor : IUnknown {
  static constexpr Guid kId = makeGuid("{4ABD6F8B-F4D6-47FF-A213-706E37A5E5EC}");
  static constexpr Guid kSecondId = makeGuid("{C4B91F61-2C72-4545-9D6F-4A040A58ECC0}");

  ACF_RESERVED_SLOT(3)
  ACF_RESERVED_SLOT(4)
  // [5]
  virtual Result ACFCALL GetInputFrame(int32_t requestValue, int32_t field, int32_t fieldMode, Frame** out) = 0;

 protected:
  ~InputAccessor() = default;
};

struct OutputSet : IUnknown {
  static constexpr Guid kFrameId = makeGuid("{A3F7AE7E-4DA7-4C20-851E-4736E86E705E}");
  static constexpr Guid kSecondFrameId = makeGuid("{9D942896-AB0A-430A-9FB0-29A4935DA1DC}");

  ACF_RESERVED_SLOT(3)
  // [4] Asked with 0, kFrameId and kSecondFrameId.
  virtual Result ACFCALL GetOutputFrame(int32_t index, const Guid& iid, const Guid& secondIid, void** out) = 0;

 protected:
  ~OutputSet() = default;
};

}  // namespace acf
