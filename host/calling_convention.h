#pragma once

// The host calls every entry point and interface operation with the platform's
// standard calling convention: __stdcall on 32-bit Windows, the default ABI
// everywhere else.
#if defined(_WIN32) && !defined(_WIN64)
#define ACFCALL __stdcall
#else
#define ACFCALL
#endif
