// What a host provides to the platform's window and dialog services: its main
// window for FindWindowW and the user's answer to the font dialog. All
// functions are thread-safe.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "../commdlg.h"
#include "../windef.h"

namespace horaz::platform {

// Registers a top-level window that FindWindowW finds by class name and
// title. Returns its handle (never null); unregister it when the window goes.
HWND registerMainWindow(const std::u16string& className, const std::u16string& title);
// Unknown or null handles are ignored.
void unregisterMainWindow(HWND window);

// RAII registration of a main window.
class MainWindowRegistration {
 public:
  MainWindowRegistration(const std::u16string& className, const std::u16string& title)
      : window(registerMainWindow(className, title)) {}
  ~MainWindowRegistration() { unregisterMainWindow(window); }
  MainWindowRegistration(const MainWindowRegistration&) = delete;
  MainWindowRegistration& operator=(const MainWindowRegistration&) = delete;
  HWND handle() const { return window; }

 private:
  HWND window;
};

// The user's part of the font dialog: receives the request (lpLogFont is
// never null when it is called), may write *request.lpLogFont and the other
// output members, and returns the dialog's result (TRUE: a font was
// confirmed; FALSE: cancelled).
using FontDialogAnswer = std::function<BOOL(CHOOSEFONTW& request)>;

// Installs the answer for every later ChooseFontW; an empty function removes
// it (ChooseFontW then returns FALSE: the dialog failed to open).
void setFontDialogAnswer(FontDialogAnswer answer);
void clearFontDialogAnswer();

// A ChooseFontW request as it arrived, before the answer ran.
struct FontDialogRequest {
  CHOOSEFONTW request{};    // copy of the record (pointers are the caller's)
  bool hasLogFont = false;  // lpLogFont was not null
  LOGFONTW logFont{};       // *lpLogFont as the dialog was opened on it
  BOOL result = FALSE;      // what ChooseFontW returned
};

// The last ChooseFontW request (none before the first call or after reset).
std::optional<FontDialogRequest> lastFontDialogRequest();
// Number of ChooseFontW calls since the process started or the last reset.
int fontDialogRequestCount();
void resetFontDialogRequests();

}  // namespace horaz::platform
