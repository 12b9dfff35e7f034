// National-language services: code page numbers, the ANSI code page and the
// locale information the plug-in asks for. Here "the ANSI code page" (CP_ACP,
// CP_THREAD_ACP) is the encoding of the calling thread's C locale (LC_CTYPE):
// UTF-8 under a UTF-8 locale.
#pragma once

#include "windef.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_ERR_INVALID_CHARS 0x00000008

#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_IDEFAULTANSICODEPAGE 0x00001004

extern "C" {

// The code page number of the current C locale's encoding: 65001 for UTF-8,
// 20127 for ASCII, 28591 / 28605 for ISO-8859-1 / -15, and 0 (that is,
// CP_ACP) for an encoding without a number here.
UINT WINAPI GetACP(void);

// Only LOCALE_IDEFAULTANSICODEPAGE is answered, for any locale: GetACP as a
// decimal text. Returns the characters written including the terminator;
// with `size` 0, the characters needed; 0 when the buffer is too small or the
// information type is not known.
int WINAPI GetLocaleInfoA(DWORD locale, DWORD type, LPSTR data, int size);

}  // extern "C"
