// ChooseFontW: the modal font dialog, answered by the host's installed
// answer instead of a user.
#include <mutex>

#include "error_boundary.h"
#include "horaz_platform/host_services.h"

namespace {

struct FontDialog {
  std::mutex mutex;
  horaz::platform::FontDialogAnswer answer;
  std::optional<horaz::platform::FontDialogRequest> last;
  int requests = 0;
};

FontDialog& fontDialog() {
  static FontDialog state;
  return state;
}

}  // namespace

namespace horaz::platform {

void setFontDialogAnswer(FontDialogAnswer answer) {
  FontDialog& state = fontDialog();
  std::lock_guard lock(state.mutex);
  state.answer = std::move(answer);
}

void clearFontDialogAnswer() { setFontDialogAnswer(nullptr); }

std::optional<FontDialogRequest> lastFontDialogRequest() {
  FontDialog& state = fontDialog();
  std::lock_guard lock(state.mutex);
  return state.last;
}

int fontDialogRequestCount() {
  FontDialog& state = fontDialog();
  std::lock_guard lock(state.mutex);
  return state.requests;
}

void resetFontDialogRequests() {
  FontDialog& state = fontDialog();
  std::lock_guard lock(state.mutex);
  state.last.reset();
  state.requests = 0;
}

}  // namespace horaz::platform

extern "C" {

BOOL WINAPI ChooseFontW(LPCHOOSEFONTW choose) {
  return horaz::platform::detail::gdiBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (!choose) return FALSE;
    FontDialog& state = fontDialog();
    horaz::platform::FontDialogRequest request;
    request.request = *choose;
    request.hasLogFont = choose->lpLogFont != nullptr;
    if (request.hasLogFont) request.logFont = *choose->lpLogFont;
    horaz::platform::FontDialogAnswer answer;
    {
      std::lock_guard lock(state.mutex);
      ++state.requests;
      state.last = request;
      answer = state.answer;
    }
    // The dialog needs a record to show and to fill in.
    BOOL result = FALSE;
    if (answer && request.hasLogFont) result = answer(*choose);
    std::lock_guard lock(state.mutex);
    if (state.last) state.last->result = result;
    return result;
  });
}

}  // extern "C"
