// System information: the platform's version.
#pragma once

#include "windef.h"

extern "C" {

// Reports an NT-family platform of version 6.1 (build 7601): major version in
// the low byte, minor in the next, the top bit clear.
DWORD WINAPI GetVersion(void);

}  // extern "C"
