#include "testhost/parameter_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "host/vocabulary.h"

namespace horaz::testhost {

void ParameterStore::define(Definition definition) {
  std::lock_guard lock(mutex_);
  for (Slot& existing : slots_) {
    if (existing.definition.id == definition.id) {
      existing.constant = definition.defaultValue;
      existing.definition = std::move(definition);
      existing.keyframes.clear();
      return;
    }
  }
  Slot slot;
  slot.constant = definition.defaultValue;
  slot.definition = std::move(definition);
  slots_.push_back(std::move(slot));
}

bool ParameterStore::has(const acf::Guid& id) const {
  std::lock_guard lock(mutex_);
  return findSlot(id) != nullptr;
}

std::optional<acf::Guid> ParameterStore::idOf(const std::string& name) const {
  std::lock_guard lock(mutex_);
  for (const Slot& s : slots_)
    if (s.definition.name == name) return s.definition.id;
  return std::nullopt;
}

std::string ParameterStore::nameOf(const acf::Guid& id) const {
  std::lock_guard lock(mutex_);
  return slot(id).definition.name;
}

std::optional<std::string> ParameterStore::nameIfDefined(const acf::Guid& id) const {
  std::lock_guard lock(mutex_);
  if (const Slot* found = findSlot(id)) return found->definition.name;
  return std::nullopt;
}

acf::Guid ParameterStore::valueTypeOf(const acf::Guid& id) const {
  std::lock_guard lock(mutex_);
  return slot(id).definition.valueType;
}

std::vector<acf::Guid> ParameterStore::ids() const {
  std::lock_guard lock(mutex_);
  std::vector<acf::Guid> out;
  for (const Slot& s : slots_) out.push_back(s.definition.id);
  return out;
}

const ParameterStore::Slot* ParameterStore::findSlot(const acf::Guid& id) const {
  for (const Slot& s : slots_)
    if (s.definition.id == id) return &s;
  return nullptr;
}

const ParameterStore::Slot& ParameterStore::slot(const acf::Guid& id) const {
  if (const Slot* found = findSlot(id)) return *found;
  throw std::out_of_range("no parameter " + acf::toString(id));
}

ParameterStore::Slot& ParameterStore::slot(const acf::Guid& id) {
  return const_cast<Slot&>(static_cast<const ParameterStore*>(this)->slot(id));
}

void ParameterStore::set(const acf::Guid& id, std::vector<uint8_t> bytes, bool clearKeyframes) {
  {
    std::lock_guard lock(mutex_);
    Slot& s = slot(id);
    s.constant = std::move(bytes);
    if (clearKeyframes) s.keyframes.clear();
  }
  notify(id);
}

void ParameterStore::setAtTime(const acf::Guid& id, double time, std::vector<uint8_t> bytes) {
  {
    std::lock_guard lock(mutex_);
    Slot& s = slot(id);
    if (s.keyframes.empty()) {
      s.constant = std::move(bytes);
    } else {
      s.keyframes[time] = std::move(bytes);
    }
  }
  notify(id);
}

void ParameterStore::setKeyframe(const acf::Guid& id, double time, std::vector<uint8_t> bytes) {
  {
    std::lock_guard lock(mutex_);
    slot(id).keyframes[time] = std::move(bytes);
  }
  notify(id);
}

void ParameterStore::removeKeyframe(const acf::Guid& id, double time) {
  {
    std::lock_guard lock(mutex_);
    Slot& s = slot(id);
    const auto found = s.keyframes.find(time);
    if (found == s.keyframes.end()) return;
    if (s.keyframes.size() == 1) s.constant = found->second;
    s.keyframes.erase(found);
  }
  notify(id);
}

std::map<double, std::vector<uint8_t>> ParameterStore::keyframes(const acf::Guid& id) const {
  std::lock_guard lock(mutex_);
  return slot(id).keyframes;
}

std::vector<uint8_t> ParameterStore::constantValue(const acf::Guid& id) const {
  std::lock_guard lock(mutex_);
  return slot(id).constant;
}

std::vector<uint8_t> ParameterStore::valueAtLocked(const Slot& s, double time) const {
  if (s.keyframes.empty()) return s.constant;
  auto after = s.keyframes.upper_bound(time);
  if (after == s.keyframes.begin()) return after->second;
  auto at = std::prev(after);
  if (after == s.keyframes.end() || s.definition.valueType != acf::value_type::kDouble) return at->second;
  double from = 0, to = 0;
  std::memcpy(&from, at->second.data(), sizeof from);
  std::memcpy(&to, after->second.data(), sizeof to);
  const double weight = (time - at->first) / (after->first - at->first);
  const double value = from + (to - from) * weight;
  return bytesOf(value);
}

std::vector<uint8_t> ParameterStore::valueAt(const acf::Guid& id, double time) const {
  std::lock_guard lock(mutex_);
  return valueAtLocked(slot(id), time);
}

std::optional<std::vector<uint8_t>> ParameterStore::valueOfType(const acf::Guid& id, const acf::Guid& valueType,
                                                                std::optional<double> time) const {
  std::lock_guard lock(mutex_);
  const Slot& s = slot(id);
  if (valueType != s.definition.valueType) return std::nullopt;
  return valueAtLocked(s, time.value_or(currentTime_));
}

std::vector<uint8_t> ParameterStore::currentValue(const acf::Guid& id) const {
  std::lock_guard lock(mutex_);
  return valueAtLocked(slot(id), currentTime_);
}

void ParameterStore::setCurrentTime(double time) {
  std::lock_guard lock(mutex_);
  currentTime_ = time;
}

void ParameterStore::setDouble(const acf::Guid& id, double value) { set(id, bytesOf(value)); }
void ParameterStore::setInt(const acf::Guid& id, int32_t value) { set(id, bytesOf(value)); }
void ParameterStore::setText(const acf::Guid& id, const std::string& utf8) {
  set(id, std::vector<uint8_t>(utf8.begin(), utf8.end()));
}

double ParameterStore::doubleAt(const acf::Guid& id, double time) const {
  const std::vector<uint8_t> bytes = valueAt(id, time);
  double value = 0;
  std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
  return value;
}

int32_t ParameterStore::intAt(const acf::Guid& id, double time) const {
  const std::vector<uint8_t> bytes = valueAt(id, time);
  int32_t value = 0;
  std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
  return value;
}

void ParameterStore::setFlag(const acf::Guid& id, int32_t flag) {
  std::lock_guard lock(mutex_);
  slot(id).flag = flag;
}

int32_t ParameterStore::flag(const acf::Guid& id) const {
  std::lock_guard lock(mutex_);
  return slot(id).flag;
}

void ParameterStore::onChange(std::function<void(const acf::Guid&)> listener) {
  std::lock_guard lock(mutex_);
  listeners_.push_back(std::move(listener));
}

void ParameterStore::notify(const acf::Guid& id) {
  std::vector<std::function<void(const acf::Guid&)>> listeners;
  {
    std::lock_guard lock(mutex_);
    listeners = listeners_;
  }
  for (auto& listener : listeners) listener(id);
}

HostParameter::HostParameter(std::shared_ptr<Ledger> ledger, std::shared_ptr<ParameterStore> store, acf::Guid id,
                             std::string name)
    : HostObject(std::move(ledger)), store_(std::move(store)), id_(id), name_(std::move(name)) {}

acf::Result HostParameter::GetInfo(acf::Guid* valueType, int32_t* size) {
  if (const acf::Result injected = enter("Parameter.GetInfo", name_); acf::failed(injected)) return injected;
  if (!valueType || !size) return acf::kNullArgument;
  *valueType = store_->valueTypeOf(id_);
  *size = static_cast<int32_t>(store_->currentValue(id_).size());
  return acf::kOk;
}

acf::Result HostParameter::read(const char* operation, std::optional<double> time, const acf::Guid& valueType,
                                void* value, int32_t size) {
  if (const acf::Result injected = enter(operation, name_); acf::failed(injected)) return injected;
  if (!value) return acf::kNullArgument;
  const std::optional<std::vector<uint8_t>> read = store_->valueOfType(id_, valueType, time);
  if (!read) return kWrongType;
  const std::vector<uint8_t>& bytes = *read;
  if (valueType == acf::value_type::kText) {
    // Texts are handed out as 8-bit text, cut to the buffer and terminated.
    if (size <= 0) return kWrongType;
    const size_t length = std::min(bytes.size(), static_cast<size_t>(size - 1));
    if (length) std::memcpy(value, bytes.data(), length);
    static_cast<char*>(value)[length] = '\0';
    return acf::kOk;
  }
  if (size < 0 || static_cast<size_t>(size) < bytes.size()) return kWrongType;
  if (!bytes.empty()) std::memcpy(value, bytes.data(), bytes.size());
  return acf::kOk;
}

acf::Result HostParameter::write(const char* operation, std::optional<double> time, const acf::Guid& valueType,
                                 const void* value, int32_t size) {
  if (const acf::Result injected = enter(operation, name_); acf::failed(injected)) return injected;
  if (!value) return acf::kNullArgument;
  if (valueType != store_->valueTypeOf(id_)) return kWrongType;
  std::vector<uint8_t> bytes;
  const auto* first = static_cast<const uint8_t*>(value);
  if (valueType == acf::value_type::kText) {
    const size_t length = size < 0 ? std::strlen(static_cast<const char*>(value)) : static_cast<size_t>(size);
    bytes.assign(first, first + length);
  } else {
    if (size < 0) return kWrongType;
    bytes.assign(first, first + size);
  }
  if (time) {
    store_->setAtTime(id_, *time, std::move(bytes));
  } else {
    store_->set(id_, std::move(bytes), false);
  }
  return acf::kOk;
}

acf::Result HostParameter::GetValue(const acf::Guid& valueType, void* value, int32_t size) {
  return read("Parameter.GetValue", std::nullopt, valueType, value, size);
}
acf::Result HostParameter::SetValue(const acf::Guid& valueType, const void* value, int32_t size) {
  return write("Parameter.SetValue", std::nullopt, valueType, value, size);
}
acf::Result HostParameter::GetValueAtTime(double time, const acf::Guid& valueType, void* value, int32_t size) {
  return read("Parameter.GetValueAtTime", time, valueType, value, size);
}
acf::Result HostParameter::SetValueAtTime(double time, const acf::Guid& valueType, const void* value, int32_t size) {
  return write("Parameter.SetValueAtTime", time, valueType, value, size);
}
int32_t HostParameter::GetFlag() { return store_->flag(id_); }

HostParameterSet::HostParameterSet(std::shared_ptr<Ledger> ledger, std::shared_ptr<ParameterStore> store, double aspect,
                                   double framesPerSecond, InputAccessorProvider inputAccessor)
    : HostObject(std::move(ledger)),
      store_(std::move(store)),
      aspect_(aspect),
      framesPerSecond_(framesPerSecond),
      inputAccessor_(std::move(inputAccessor)) {}

acf::Result HostParameterSet::GetInputAccessor(int32_t, const acf::Guid&, const acf::Guid&, void** out) {
  if (const acf::Result injected = enter("ParameterSet.GetInputAccessor"); acf::failed(injected)) return injected;
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  if (!inputAccessor_) return acf::kNoInterface;
  return inputAccessor_(out);
}

acf::Result HostParameterSet::GetParameter(const acf::Guid& parameterId, const acf::Guid& iid, void** out) {
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  std::optional<std::string> name = store_->nameIfDefined(parameterId);
  if (const acf::Result injected = enter("ParameterSet.GetParameter", name ? *name : acf::toString(parameterId));
      acf::failed(injected))
    return injected;
  if (!name) return acf::kNoInterface;
  if (iid != acf::Parameter::kId && iid != acf::IUnknown::kId) return acf::kNoInterface;
  *out = static_cast<acf::Parameter*>(make<HostParameter>(sharedLedger(), store_, parameterId, std::move(*name)));
  return acf::kOk;
}

}  // namespace horaz::testhost
