#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/guid.h"
#include "host/parameters.h"
#include "testhost/host_object.h"
#include "testhost/ledger.h"

namespace horaz::testhost {

// The values a host keeps for one effect instance, by parameter id. Each
// parameter has a value type, a constant value and optional keyframes:
// doubles are interpolated linearly between keyframes, every other type holds
// the value of the keyframe at or before the time. Thread-safe: renders may
// read while the viewer or the panel writes.
class ParameterStore {
 public:
  struct Definition {
    acf::Guid id;
    std::string name;
    acf::Guid valueType;
    std::vector<uint8_t> defaultValue;  // the value's bytes (texts: UTF-8 without terminator)
  };

  void define(Definition definition);
  bool has(const acf::Guid& id) const;
  std::optional<acf::Guid> idOf(const std::string& name) const;
  std::string nameOf(const acf::Guid& id) const;
  std::optional<std::string> nameIfDefined(const acf::Guid& id) const;
  acf::Guid valueTypeOf(const acf::Guid& id) const;
  std::vector<acf::Guid> ids() const;

  // The constant value (and, with `clearKeyframes`, no animation).
  void set(const acf::Guid& id, std::vector<uint8_t> bytes, bool clearKeyframes = true);
  void setKeyframe(const acf::Guid& id, double time, std::vector<uint8_t> bytes);
  // Removes the keyframe at `time`, if any. The last keyframe's value
  // becomes the constant value, so the parameter keeps what it showed.
  void removeKeyframe(const acf::Guid& id, double time);
  // The keyframes in time order (empty for a constant parameter).
  std::map<double, std::vector<uint8_t>> keyframes(const acf::Guid& id) const;
  // The value a parameter holds when it has no keyframes.
  std::vector<uint8_t> constantValue(const acf::Guid& id) const;
  // A write at a time: a keyframe when the parameter is animated, the
  // constant value otherwise.
  void setAtTime(const acf::Guid& id, double time, std::vector<uint8_t> bytes);
  // The value at `time`; the constant value when there are no keyframes.
  std::vector<uint8_t> valueAt(const acf::Guid& id, double time) const;
  // The value without a time: at the store's current time.
  std::vector<uint8_t> currentValue(const acf::Guid& id) const;
  // The value at `time` (without one, the current time), or nothing when
  // the parameter's value type is not `valueType`: one look for a read.
  std::optional<std::vector<uint8_t>> valueOfType(const acf::Guid& id, const acf::Guid& valueType,
                                                  std::optional<double> time) const;
  void setCurrentTime(double time);

  // Typed conveniences.
  void setDouble(const acf::Guid& id, double value);
  void setInt(const acf::Guid& id, int32_t value);
  void setText(const acf::Guid& id, const std::string& utf8);
  double doubleAt(const acf::Guid& id, double time) const;
  int32_t intAt(const acf::Guid& id, double time) const;

  // The parameter's flag (Parameter::GetFlag); 1 unless set otherwise.
  void setFlag(const acf::Guid& id, int32_t flag);
  int32_t flag(const acf::Guid& id) const;

  // Called after every write through a parameter object (the panel listens).
  void onChange(std::function<void(const acf::Guid&)> listener);

 private:
  struct Slot {
    Definition definition;
    std::vector<uint8_t> constant;
    std::map<double, std::vector<uint8_t>> keyframes;
    int32_t flag = 1;
  };
  const Slot* findSlot(const acf::Guid& id) const;  // null when not defined
  const Slot& slot(const acf::Guid& id) const;      // throws when not defined
  Slot& slot(const acf::Guid& id);
  std::vector<uint8_t> valueAtLocked(const Slot& slot, double time) const;
  void notify(const acf::Guid& id);

  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  double currentTime_ = 0.0;
  std::vector<std::function<void(const acf::Guid&)>> listeners_;
};

// One parameter as the plug-in sees it. Reads copy at most `size` bytes; a
// value type other than the parameter's fails with kWrongType. Every read and
// write is a failable call named "Parameter.<Operation>(<name>)".
class HostParameter final : public HostObject<acf::Parameter> {
 public:
  static constexpr acf::Result kWrongType = acf::makeFailure(0x80070057u);

  HostParameter(std::shared_ptr<Ledger> ledger, std::shared_ptr<ParameterStore> store, acf::Guid id, std::string name);

  acf::Result ACFCALL GetInfo(acf::Guid* valueType, int32_t* size) override;
  acf::Result ACFCALL GetValue(const acf::Guid& valueType, void* value, int32_t size) override;
  acf::Result ACFCALL SetValue(const acf::Guid& valueType, const void* value, int32_t size) override;
  acf::Result ACFCALL GetValueAtTime(double time, const acf::Guid& valueType, void* value, int32_t size) override;
  acf::Result ACFCALL SetValueAtTime(double time, const acf::Guid& valueType, const void* value, int32_t size) override;
  int32_t ACFCALL GetFlag() override;

 private:
  acf::Result read(const char* operation, std::optional<double> time, const acf::Guid& valueType, void* value,
                   int32_t size);
  acf::Result write(const char* operation, std::optional<double> time, const acf::Guid& valueType, const void* value,
                    int32_t size);

  std::shared_ptr<ParameterStore> store_;
  acf::Guid id_;
  std::string name_;
};

// The effect's parameter set (the effect context of a render, and the
// parameter set of the panel and the viewer).
class HostParameterSet final : public HostObject<acf::ParameterSet> {
 public:
  using InputAccessorProvider = std::function<acf::Result(void** out)>;

  HostParameterSet(std::shared_ptr<Ledger> ledger, std::shared_ptr<ParameterStore> store, double aspect,
                   double framesPerSecond, InputAccessorProvider inputAccessor = {});

  double ACFCALL GetAspect() override { return aspect_; }
  acf::Result ACFCALL GetInputAccessor(int32_t index, const acf::Guid& iid, const acf::Guid& secondIid,
                                       void** out) override;
  acf::Result ACFCALL GetParameter(const acf::Guid& parameterId, const acf::Guid& iid, void** out) override;
  double ACFCALL GetFramesPerSecond() override { return framesPerSecond_; }

  ParameterStore& store() { return *store_; }

 private:
  std::shared_ptr<ParameterStore> store_;
  double aspect_;
  double framesPerSecond_;
  InputAccessorProvider inputAccessor_;
};

// Bytes of a plain value, for ParameterStore.
template <class Value>
std::vector<uint8_t> bytesOf(const Value& value) {
  const auto* first = reinterpret_cast<const uint8_t*>(&value);
  return std::vector<uint8_t>(first, first + sizeof(Value));
}

}  // namespace horaz::testhost
