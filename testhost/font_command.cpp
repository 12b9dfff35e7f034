#include "testhost/font_command.h"

#include <algorithm>
#include <memory>

namespace horaz::testhost {
namespace {

// Removes the installed answer on every way out.
struct InstalledAnswer {
  explicit InstalledAnswer(platform::FontDialogAnswer answer) { platform::setFontDialogAnswer(std::move(answer)); }
  ~InstalledAnswer() { platform::clearFontDialogAnswer(); }
  InstalledAnswer(const InstalledAnswer&) = delete;
  InstalledAnswer& operator=(const InstalledAnswer&) = delete;
};

}  // namespace

LOGFONTW applyFontChoice(const LOGFONTW& opened, const FontChoice& choice) {
  LOGFONTW record = opened;
  record.lfHeight = choice.height < 0 ? choice.height : -choice.height;
  record.lfWeight = choice.weight;
  record.lfItalic = choice.italic ? 1 : 0;
  record.lfUnderline = choice.underline ? 1 : 0;
  record.lfStrikeOut = choice.strikeOut ? 1 : 0;
  std::fill(std::begin(record.lfFaceName), std::end(record.lfFaceName), u'\0');
  const size_t length = std::min<size_t>(choice.faceName.size(), LF_FACESIZE - 1);
  std::copy_n(choice.faceName.begin(), length, record.lfFaceName);
  return record;
}

FontCommandOutcome runFontCommand(acf::FontSelectionAction& action, acf::ParameterSet* parameters,
                                  const FontDialogAnswer& answer, bool registerMainWindow) {
  FontCommandOutcome outcome;
  std::unique_ptr<platform::MainWindowRegistration> window;
  if (registerMainWindow) {
    window = std::make_unique<platform::MainWindowRegistration>(u"EditorMainWndClass", u"Video Editor");
    outcome.mainWindow = window->handle();
  }

  platform::FontDialogAnswer user;  // empty: the dialog fails to open
  if (answer.kind == FontDialogAnswer::Kind::Confirm) {
    user = [choice = answer.choice](CHOOSEFONTW& request) {
      *request.lpLogFont = applyFontChoice(*request.lpLogFont, choice);
      return TRUE;
    };
  } else if (answer.kind == FontDialogAnswer::Kind::Cancel) {
    user = [](CHOOSEFONTW&) { return FALSE; };
  }
  const InstalledAnswer installed(std::move(user));

  platform::resetFontDialogRequests();
  outcome.result = action.SelectFont(parameters, nullptr, nullptr);
  if (platform::fontDialogRequestCount() > 0) outcome.dialog = platform::lastFontDialogRequest();
  return outcome;
}

}  // namespace horaz::testhost
