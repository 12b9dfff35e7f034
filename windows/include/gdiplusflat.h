// The GDI+ flat API as the plug-in names it: in the global namespace, the way
// C callers see it. mingw-w64 declares it for C++ inside Gdiplus::DllExports
// and its types inside Gdiplus; this header lifts both out.
#pragma once

#include <windows.h>
// <gdiplus.h> uses min and max, which NOMINMAX hides from <windows.h>.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;
