#pragma once

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "module/base/component_base.h"

namespace horaz {

// "Digital Clock: Select Font": opens the platform's font dialog on the font
// kept in `PrivateData` and stores the font the user confirms back into it.
// Runs on the host's user-interface thread and blocks it while the modal
// dialog is open. The record the dialog edits belongs to the call, so actions
// on different threads (two hosts, two windows) do not share it.
class FontSelectionAction final : public Component<acf::FontSelectionAction> {
 public:
  explicit FontSelectionAction(acf::IUnknown* outer);

  // kNullArgument for a null host; otherwise keeps a reference to it.
  acf::Result initialise(acf::IUnknown* host) override;

  // [3] Reads the 92-byte font record of `PrivateData`, shows the dialog on
  // it (owned by the editor's main window when there is one) and writes the
  // record back only when the dialog answers exactly 1. `second` and `third`
  // are not used.
  // Returns 0 when every host call succeeded, whether the user confirmed,
  // cancelled or the dialog could not open; kNullArgument for a null
  // parameter set; otherwise the failing code of the parameter look-up, the
  // size query, the read (then no dialog is shown) or the write, and
  // kUnexpected for anything else (such as a look-up answering success
  // without an interface).
  acf::Result ACFCALL SelectFont(acf::ParameterSet* parameters, void* second, void* third) override;

 private:
  CountedRef<acf::IUnknown> host_;
};

// The action's ComponentCreator.
acf::Result createFontSelectionAction(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out);

}  // namespace horaz
