#pragma once

#include <atomic>
#include <memory>

#include "host/counted_ref.h"
#include "host/host_object.h"
#include "testhost/host_object.h"
#include "testhost/ledger.h"
#include "testhost/registration_model.h"

namespace horaz::testhost {

// The reference host's host object: what the entry points and components
// receive as `host`. It answers HostObjectFactory (making the definition
// objects of registration, which record into its RegistrationModel),
// HostPluginInterface and the render-time HostRenderInterface; each of the
// three can be switched off so that a query for it fails with kNoInterface.
// Every object made on its behalf shares its Ledger.
//
// To answer more ids, derive and override queryOther.
class Host : public HostObject<acf::HostObjectFactory, acf::HostPluginInterface, acf::HostRenderInterface> {
 public:
  // A new host with one reference, owned by the returned reference.
  static CountedRef<Host> create(std::shared_ptr<Ledger> ledger = std::make_shared<Ledger>());

  // The host object as the entry points take it.
  acf::IUnknown* unknown() { return static_cast<acf::HostObjectFactory*>(this); }

  // Switches the answer to one of the three host interface ids.
  void setAnswers(const acf::Guid& iid, bool answers);
  bool answers(const acf::Guid& iid) const;

  const std::shared_ptr<Ledger>& sharedLedger() const { return ledger_; }
  RegistrationModel& model() { return *model_; }
  const RegistrationModel& model() const { return *model_; }
  const std::shared_ptr<RegistrationModel>& sharedModel() const { return model_; }

  // Counts a failable "QueryInterface" call like every host object; a
  // switched-off id gives kNoInterface with *out null.
  acf::Result ACFCALL QueryInterface(const acf::Guid& iid, void** out) override;

  // [3] Makes the definition object of `classId` (the plug-in, effect,
  // companion component, parameter and control definition classes) and hands
  // out its interface `iid` (or IUnknown). No aggregation: a non-null `outer`
  // gives kNoAggregation; another class id kClassNotAvailable.
  acf::Result ACFCALL CreateInstance(const acf::Guid& classId, acf::IUnknown* outer, const acf::Guid& iid,
                                     void** out) override;

 protected:
  explicit Host(std::shared_ptr<Ledger> ledger);

 private:
  std::shared_ptr<Ledger> ledger_;
  std::shared_ptr<RegistrationModel> model_;
  std::atomic<bool> answersPlugin_{true};
  std::atomic<bool> answersFactory_{true};
  std::atomic<bool> answersRender_{true};
};

}  // namespace horaz::testhost
