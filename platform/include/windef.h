// Basic Windows-shaped types, handles and helpers used by the plug-in and its
// hosts. Widths follow the platform's 32-bit ABI where they cross the plug-in
// boundary (LONG and DWORD are 32 bits here too); pointer-sized types follow
// the machine.
#pragma once

#include <cstddef>
#include <cstdint>

// Calling convention of the platform's API: stdcall on 32-bit Windows, the
// machine's default everywhere else.
#if defined(_WIN32) && !defined(_WIN64)
#define WINAPI __stdcall
#define CALLBACK __stdcall
#else
#define WINAPI
#define CALLBACK
#endif

typedef int BOOL;
typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef std::uint32_t ULONG;
typedef std::int16_t SHORT;
typedef std::uint16_t USHORT;
typedef unsigned int UINT;
typedef int INT;
typedef std::int32_t INT32;
typedef std::uint32_t UINT32;
typedef char CHAR;
typedef float FLOAT;
typedef std::uintptr_t ULONG_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::intptr_t INT_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BOOL* LPBOOL;
typedef DWORD* LPDWORD;

// Wide characters are UTF-16 code units, as on Windows, where WCHAR is
// wchar_t: a type other than the char16_t our texts are made of. The check
// build of the plug-in (HORAZ_STRICT_WCHAR) gives WCHAR a type of its own too,
// so that a text handed to an API without horaz::platformText fails on Linux
// as it would on Windows.
#ifdef HORAZ_STRICT_WCHAR
enum class WCHAR : char16_t {};
#else
typedef char16_t WCHAR;
#endif
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handles are opaque pointers; each kind is a distinct incomplete type so the
// compiler catches a pen passed where a device context is expected. HGDIOBJ
// (any drawing object) is untyped, as on the platform.
typedef void* HANDLE;
typedef void* HGDIOBJ;
#define HORAZ_DECLARE_HANDLE(name) \
  struct name##__;                 \
  typedef struct name##__* name
HORAZ_DECLARE_HANDLE(HDC);
HORAZ_DECLARE_HANDLE(HBITMAP);
HORAZ_DECLARE_HANDLE(HPEN);
HORAZ_DECLARE_HANDLE(HBRUSH);
HORAZ_DECLARE_HANDLE(HRGN);
HORAZ_DECLARE_HANDLE(HFONT);
HORAZ_DECLARE_HANDLE(HWND);
HORAZ_DECLARE_HANDLE(HINSTANCE);
#undef HORAZ_DECLARE_HANDLE
typedef HINSTANCE HMODULE;

// Colour reference: 0x00BBGGRR.
typedef DWORD COLORREF;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

typedef struct tagSIZE {
  LONG cx;
  LONG cy;
} SIZE, *LPSIZE;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;
typedef const RECT* LPCRECT;

static_assert(sizeof(POINT) == 8 && sizeof(RECT) == 16, "POINT and RECT are 32-bit fields");
