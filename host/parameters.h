#pragma once

#include <cstdint>

#include "host/unknown.h"

namespace acf {

// One parameter of an effect instance, as the host keeps it. Values are
// copied into or out of the caller's buffer; `size` is its byte count.
struct Parameter : IUnknown {
  static constexpr Guid kId = makeGuid("{8311B97A-ACC0-446F-AA15-D21326391173}");

  ACF_RESERVED_SLOT(3)
  // [4] The two values asked before a whole-block read: the value type (16
  // bytes) and the size (4 bytes).
  virtual Result ACFCALL GetInfo(Guid* valueType, int32_t* size) = 0;
  // [5], [6] The value without a time (the parameter's current value).
  virtual Result ACFCALL GetValue(const Guid& valueType, void* value, int32_t size) = 0;
  virtual Result ACFCALL SetValue(const Guid& valueType, const void* value, int32_t size) = 0;
  ACF_RESERVED_SLOT(7)
  ACF_RESERVED_SLOT(8)
  // [9], [10] The value at a time, in frames.
  virtual Result ACFCALL GetValueAtTime(double time, const Guid& valueType, void* value, int32_t size) = 0;
  virtual Result ACFCALL SetValueAtTime(double time, const Guid& valueType, const void* value, int32_t size) = 0;
  // [11] The parameter's flag; 0 means the speed factor is not applied.
  virtual int32_t ACFCALL GetFlag() = 0;

 protected:
  ~Parameter() = default;
};

// The effect's parameter set: the effect context of a render, and the
// parameter set of the panel and the viewer.
struct ParameterSet : IUnknown {
  ACF_RESERVED_SLOT(3)
  ACF_RESERVED_SLOT(4)
  ACF_RESERVED_SLOT(5)
  ACF_RESERVED_SLOT(6)
  ACF_RESERVED_SLOT(7)
  // [8] The aspect value e of the picture.
  virtual double ACFCALL GetAspect() = 0;
  ACF_RESERVED_SLOT(9)
  ACF_RESERVED_SLOT(10)
  ACF_RESERVED_SLOT(11)
  // [12] Asked with 0, InputAccessor::kId and InputAccessor::kSecondId.
  virtual Result ACFCALL GetInputAccessor(int32_t index, const Guid& iid, const Guid& secondIid, void** out) = 0;
  ACF_RESERVED_SLOT(13)
  ACF_RESERVED_SLOT(14)
  ACF_RESERVED_SLOT(15)
  ACF_RESERVED_SLOT(16)
  ACF_RESERVED_SLOT(17)
  // [18] The parameter `parameterId` through its interface `iid` (Parameter::kId).
  virtual Result ACFCALL GetParameter(const Guid& parameterId, const Guid& iid, void** out) = 0;
  ACF_RESERVED_SLOT(19)
  // [20]
  virtual double ACFCALL GetFramesPerSecond() = 0;

 protected:
  ~ParameterSet() = default;
};

}  // namespace acf
