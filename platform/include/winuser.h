// Window services: finding the host editor's top-level window. Windows are
// the ones a host registered (horaz_platform/host_services.h).
#pragma once

#include "windef.h"

extern "C" {

// The most recently registered top-level window whose class name (compared
// without regard to ASCII letter case) and title (compared exactly) match;
// a null argument matches any. Null when none matches. Thread-safe.
HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName);

}  // extern "C"
