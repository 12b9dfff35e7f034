#pragma once

#include <optional>
#include <utility>

#include <horaz_platform/host_services.h>

#include "host/plugin_interfaces.h"
#include "testhost/font_choice.h"

namespace horaz::testhost {

// What the user does with the font dialog.
struct FontDialogAnswer {
  enum class Kind { Confirm, Cancel, FailToOpen };
  Kind kind = Kind::Cancel;
  FontChoice choice;  // for Confirm

  static FontDialogAnswer confirm(FontChoice choice) { return {Kind::Confirm, std::move(choice)}; }
  static FontDialogAnswer cancel() { return {Kind::Cancel, {}}; }
  // The dialog cannot open (ChooseFontW answers 0 at once).
  static FontDialogAnswer failToOpen() { return {Kind::FailToOpen, {}}; }
};

// The record the dialog hands back for `choice` when it was opened on
// `opened`: the chosen face (zero-padded), height, weight and styles; the
// other fields as they were.
LOGFONTW applyFontChoice(const LOGFONTW& opened, const FontChoice& choice);

struct FontCommandOutcome {
  acf::Result result = acf::kOk;  // what SelectFont answered
  // The dialog request as it arrived (with the record it was opened on);
  // none when no dialog was asked for.
  std::optional<platform::FontDialogRequest> dialog;
  HWND mainWindow = nullptr;  // the editor window registered meanwhile
};

// The host's menu command "Digital Clock: Select Font": registers the
// editor's main window ("EditorMainWndClass", "Video Editor") unless told
// not to, installs the user's answer to the font dialog, calls the action's
// SelectFont with `parameters` and removes both again. The dialog's answer
// is process-wide: run one command at a time.
FontCommandOutcome runFontCommand(acf::FontSelectionAction& action, acf::ParameterSet* parameters,
                                  const FontDialogAnswer& answer, bool registerMainWindow = true);

}  // namespace horaz::testhost
