// Common dialogs: the modal font dialog. Which font the "user" confirms is
// decided by the host's installed answer (horaz_platform/host_services.h).
#pragma once

#include "windef.h"
#include "wingdi.h"

typedef UINT_PTR(CALLBACK* LPCFHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagCHOOSEFONTW {
  DWORD lStructSize;
  HWND hwndOwner;
  HDC hDC;
  LPLOGFONTW lpLogFont;
  INT iPointSize;
  DWORD Flags;
  COLORREF rgbColors;
  LPARAM lCustData;
  LPCFHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  HINSTANCE hInstance;
  LPWSTR lpszStyle;
  WORD nFontType;
  WORD wReserved;  // alignment padding of the platform's record
  INT nSizeMin;
  INT nSizeMax;
} CHOOSEFONTW, *LPCHOOSEFONTW;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(CHOOSEFONTW) == 60, "CHOOSEFONTW is 60 bytes on 32-bit Windows");
#endif

#define CF_SCREENFONTS 0x00000001
#define CF_PRINTERFONTS 0x00000002
#define CF_BOTH (CF_SCREENFONTS | CF_PRINTERFONTS)
#define CF_SHOWHELP 0x00000004
#define CF_ENABLEHOOK 0x00000008
#define CF_INITTOLOGFONTSTRUCT 0x00000040
#define CF_EFFECTS 0x00000100

extern "C" {

// Shows the modal font dialog. Returns the installed answer's result (TRUE
// when the user confirmed a font, which the answer has written into
// *lpLogFont); FALSE when no answer is installed (the dialog could not open),
// when `choose` is null or when lpLogFont is null. The request is kept for
// horaz::platform::lastFontDialogRequest. lStructSize is recorded, not
// checked. Thread-safe; the answer runs outside any lock.
BOOL WINAPI ChooseFontW(LPCHOOSEFONTW choose);

}  // extern "C"
