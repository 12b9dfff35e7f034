#pragma once

#include <memory>
#include <vector>

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "testhost/panel.h"
#include "testhost/parameter_store.h"

namespace horaz::testhost {

// The effect's panel while the user has it open, as a real host drives it:
// the update handler is asked to bring the panel up to date when the panel
// opens and after every change of a parameter value (however it was made:
// the panel, the viewer's overlay, a test). Each call gets a fresh parameter
// set and a time source at the panel's time, both released after the call.
class PanelSession {
 public:
  // `host` is what the handler receives as its (unused, non-null) second
  // argument. The store must be the panel's effect's.
  PanelSession(CountedRef<acf::UpdateHandler> handler, CountedRef<HostPanel> panel,
               std::shared_ptr<ParameterStore> store, acf::IUnknown* host);
  // Closes the panel.
  ~PanelSession();
  PanelSession(const PanelSession&) = delete;
  PanelSession& operator=(const PanelSession&) = delete;

  // Opens the panel: the first update; from now on every parameter change
  // updates too. Returns the handler's result.
  acf::Result open();
  // No more updates (a later change of the store is not passed on).
  void close();

  // The time the panel shows (the time source's answer).
  void setTime(double time);

  HostPanel& panel();
  // What every UpdateParams call answered, in order.
  std::vector<acf::Result> results() const;

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace horaz::testhost
