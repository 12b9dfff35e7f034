#pragma once

#include <gdiplusflat.h>

#include <memory>

#include "paint/surface_graphics.h"

namespace horaz {

// Owning guards for the GDI+ objects the painters make: each object is
// deleted when its guard leaves scope, on every way out of a draw. A guard is
// empty when GDI+ refused to make the object; drawing with an empty guard is
// skipped by the callers (a failed object draws nothing).

namespace gdiplus_detail {
template <class Object, auto Delete>
struct Deleter {
  void operator()(Object* object) const noexcept { Delete(object); }
};

// Runs a Gdip*Create* call whose last argument receives the object; an
// object is owned only when the call reports success.
template <class Guard, class Create, class... Args>
Guard make(Create create, Args... args) {
  typename Guard::pointer object = nullptr;
  if (create(args..., &object) != Ok) return Guard();
  return Guard(object);
}
}  // namespace gdiplus_detail

using GdiplusBrush = std::unique_ptr<GpSolidFill, gdiplus_detail::Deleter<GpSolidFill, &GdipDeleteBrush>>;
using GdiplusPen = std::unique_ptr<GpPen, gdiplus_detail::Deleter<GpPen, &GdipDeletePen>>;
using GdiplusFont = std::unique_ptr<GpFont, gdiplus_detail::Deleter<GpFont, &GdipDeleteFont>>;
// Only families made from a name are owned; the generic sans-serif family
// belongs to GDI+ and is borrowed as a plain pointer.
using GdiplusFontFamily = std::unique_ptr<GpFontFamily, gdiplus_detail::Deleter<GpFontFamily, &GdipDeleteFontFamily>>;
using GdiplusStringFormat =
    std::unique_ptr<GpStringFormat, gdiplus_detail::Deleter<GpStringFormat, &GdipDeleteStringFormat>>;

inline GdiplusBrush makeSolidBrush(ARGB colour) {
  return gdiplus_detail::make<GdiplusBrush>(&GdipCreateSolidFill, colour);
}

inline GdiplusPen makePen(ARGB colour, REAL width, GpUnit unit) {
  return gdiplus_detail::make<GdiplusPen>(&GdipCreatePen1, colour, width, unit);
}

// A family from the system collection by name.
inline GdiplusFontFamily makeFontFamily(const WCHAR* name) {
  return gdiplus_detail::make<GdiplusFontFamily>(&GdipCreateFontFamilyFromName, name,
                                                 static_cast<GpFontCollection*>(nullptr));
}

inline GdiplusFont makeFont(const GpFontFamily* family, REAL emSize, INT style, GpUnit unit) {
  return gdiplus_detail::make<GdiplusFont>(&GdipCreateFont, family, emSize, style, unit);
}

inline GdiplusStringFormat makeStringFormat(INT flags, WORD language) {
  return gdiplus_detail::make<GdiplusStringFormat>(&GdipCreateStringFormat, flags, language);
}

// The platform's generic sans-serif family, or null. Not to be deleted.
inline GpFontFamily* genericSansSerifFamily() {
  GpFontFamily* family = nullptr;
  if (GdipGetGenericFontFamilySansSerif(&family) != Ok) return nullptr;
  return family;
}

}  // namespace horaz
