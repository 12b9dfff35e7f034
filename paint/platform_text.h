#pragma once

#include <windef.h>

namespace horaz {

// Our texts are UTF-16 in char16_t (acf::Char). The platform's wide APIs take
// WCHAR: on Windows that is wchar_t, the same 16-bit UTF-16 unit under another
// type. Every text that crosses to a platform API passes through here; the
// Linux build compiles the plug-in once more with a WCHAR of its own type
// (HORAZ_STRICT_WCHAR), so a text passed without it fails there as it would
// on Windows.
static_assert(sizeof(WCHAR) == sizeof(char16_t) && alignof(WCHAR) == alignof(char16_t), "WCHAR is a UTF-16 code unit");

inline const WCHAR* platformText(const char16_t* text) noexcept { return reinterpret_cast<const WCHAR*>(text); }
inline WCHAR* platformText(char16_t* text) noexcept { return reinterpret_cast<WCHAR*>(text); }

}  // namespace horaz
