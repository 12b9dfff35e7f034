// String services: converting 8-bit text to UTF-16. The code page numbers and
// flags are in winnls.h.
#pragma once

#include "windef.h"

extern "C" {

// Converts `sourceBytes` bytes of `source` (-1: up to and including its NUL)
// from `codePage` to UTF-16 in `dest`. Returns the number of units written
// (terminator included when it was converted); with `destUnits` 0, the number
// needed, writing nothing. Returns 0 for a buffer too small, invalid
// arguments or an unsupported code page. Ill-formed input becomes U+FFFD, one
// per maximal ill-formed subsequence, unless MB_ERR_INVALID_CHARS is given,
// which makes it a failure (0). Supported: CP_ACP, CP_OEMCP, CP_THREAD_ACP,
// the number GetACP reports, CP_UTF8. Thread-safe.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceBytes, LPWSTR dest, int destUnits);

}  // extern "C"
