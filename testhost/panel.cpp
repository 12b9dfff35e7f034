#include "testhost/panel.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>

namespace horaz::testhost {

struct HostPanel::State {
  struct Control {
    acf::Guid id;
    std::string name;
    int32_t available = 1;
  };

  mutable std::mutex mutex;
  std::vector<Control> controls;
  std::vector<AvailabilityChange> changes;

  // Index of the control, or -1.
  int find(const acf::Guid& id) const {
    for (size_t i = 0; i < controls.size(); ++i)
      if (controls[i].id == id) return static_cast<int>(i);
    return -1;
  }
  const Control& at(const acf::Guid& id) const {
    const int index = find(id);
    if (index < 0) throw std::out_of_range("the panel has no control " + acf::toString(id));
    return controls[index];
  }
};

namespace {

// One control as the plug-in holds it; the panel's state outlives it.
class HostPanelControl final : public HostObject<acf::PanelControl> {
 public:
  HostPanelControl(std::shared_ptr<Ledger> ledger, std::shared_ptr<HostPanel::State> state, size_t index)
      : HostObject(std::move(ledger)), state_(std::move(state)), index_(index) {}

  acf::Result ACFCALL SetAvailability(int32_t available) override {
    if (const acf::Result injected = enter("PanelControl.SetAvailability", name()); acf::failed(injected))
      return injected;
    std::lock_guard lock(state_->mutex);
    HostPanel::State::Control& control = state_->controls[index_];
    control.available = available;
    state_->changes.push_back({control.id, available});
    return acf::kOk;
  }

 private:
  std::string name() const {
    std::lock_guard lock(state_->mutex);
    return state_->controls[index_].name;
  }

  std::shared_ptr<HostPanel::State> state_;
  size_t index_;
};

void addTree(HostPanel::State& state, const RegistrationModel& model, int handle) {
  const ControlRecord& record = model.control(handle);
  if (state.find(record.id) < 0) state.controls.push_back({record.id, model.controlSubject(handle)});
  for (const int child : record.children) addTree(state, model, child);
}

}  // namespace

HostPanel::HostPanel(std::shared_ptr<Ledger> ledger, const RegistrationModel& model, int effectHandle)
    : HostObject(std::move(ledger)), state_(std::make_shared<State>()) {
  for (const int handle : model.component(effectHandle).controls) addTree(*state_, model, handle);
}

acf::Result ACFCALL HostPanel::GetControl(const acf::Guid& controlId, acf::PanelControl** out) {
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  int index = -1;
  std::string name = acf::toString(controlId);
  {
    std::lock_guard lock(state_->mutex);
    index = state_->find(controlId);
    if (index >= 0) name = state_->controls[index].name;
  }
  if (const acf::Result injected = enter("Panel.GetControl", name); acf::failed(injected)) return injected;
  if (index < 0) return kNoSuchControl;
  *out = make<HostPanelControl>(sharedLedger(), state_, static_cast<size_t>(index));
  return acf::kOk;
}

bool HostPanel::hasControl(const acf::Guid& controlId) const {
  std::lock_guard lock(state_->mutex);
  return state_->find(controlId) >= 0;
}

std::vector<acf::Guid> HostPanel::controlIds() const {
  std::lock_guard lock(state_->mutex);
  std::vector<acf::Guid> ids;
  for (const State::Control& control : state_->controls) ids.push_back(control.id);
  return ids;
}

std::string HostPanel::controlName(const acf::Guid& controlId) const {
  std::lock_guard lock(state_->mutex);
  return state_->at(controlId).name;
}

int32_t HostPanel::availability(const acf::Guid& controlId) const {
  std::lock_guard lock(state_->mutex);
  return state_->at(controlId).available;
}

std::vector<HostPanel::AvailabilityChange> HostPanel::changes() const {
  std::lock_guard lock(state_->mutex);
  return state_->changes;
}

void HostPanel::clearChanges() {
  std::lock_guard lock(state_->mutex);
  state_->changes.clear();
}

}  // namespace horaz::testhost
