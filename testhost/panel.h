#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/panel.h"
#include "testhost/host_object.h"
#include "testhost/registration_model.h"

namespace horaz::testhost {

// The effect's parameter panel as the reference host shows it: one control
// per control id of the tree that registration declared (groups, list items
// and children included; the "Alignment" group and its pop-up share an id and
// so one control). Each control has an availability flag, 1 until the plug-in
// sets it, and the panel keeps every SetAvailability in call order.
// Thread-safe.
class HostPanel final : public HostObject<acf::Panel> {
 public:
  // What GetControl answers for an id the panel does not have.
  static constexpr acf::Result kNoSuchControl = acf::makeFailure(0x80070490u);

  struct AvailabilityChange {
    acf::Guid control;
    int32_t available;
    friend bool operator==(const AvailabilityChange&, const AvailabilityChange&) = default;
  };

  // The controls of component `effectHandle` in `model` (its AddControl
  // trees).
  HostPanel(std::shared_ptr<Ledger> ledger, const RegistrationModel& model, int effectHandle);

  // [22] A failable call "Panel.GetControl(<name>)"; the control object's
  // SetAvailability is "PanelControl.SetAvailability(<name>)".
  acf::Result ACFCALL GetControl(const acf::Guid& controlId, acf::PanelControl** out) override;

  bool hasControl(const acf::Guid& controlId) const;
  std::vector<acf::Guid> controlIds() const;  // in tree order (depth first)
  // A readable name: the label, or the kind and bound parameter ("slider X").
  std::string controlName(const acf::Guid& controlId) const;
  // Throws std::out_of_range for an id the panel does not have.
  int32_t availability(const acf::Guid& controlId) const;
  // Every SetAvailability so far, in call order.
  std::vector<AvailabilityChange> changes() const;
  void clearChanges();

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace horaz::testhost
