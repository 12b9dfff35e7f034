// Device contexts: creation, selection of objects, viewport origin and clip.
#include <algorithm>
#include <climits>

#include "draw_recording.h"
#include "error_boundary.h"
#include "gdi_objects.h"

using namespace horaz::platform::detail;
using horaz::platform::RecordedCall;

namespace {

bool equalsIgnoringAsciiCase(const WCHAR* text, const char* ascii) {
  for (; *ascii; ++text, ++ascii) {
    WCHAR c = *text;
    if (c >= u'a' && c <= u'z') c = static_cast<WCHAR>(c - u'a' + u'A');
    if (c != static_cast<WCHAR>(*ascii)) return false;
  }
  return *text == 0;
}

HDC makeDeviceContext(bool memory) {
  StockObjects& stock = stockObjects();
  auto dc = std::make_unique<DeviceContext>(memory);
  dc->pen = &stock.blackPen;
  dc->brush = &stock.whiteBrush;
  if (memory) dc->bitmap = &stock.placeholderBitmap;
  DeviceContext* raw = registerGdiObject(std::move(dc));
  return reinterpret_cast<HDC>(static_cast<GdiObject*>(raw));
}

// Everything a device context could draw on when nothing clips it.
PixelRect unclippedArea(const DeviceContext& dc) {
  if (dc.bitmap && dc.bitmap->store) return dc.bitmap->store->bounds();
  return {INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};
}

int regionKind(const PixelRect& rect) { return rect.empty() ? NULLREGION : SIMPLEREGION; }

int selectClip(DeviceContext& dc, const RegionObject* region) {
  if (!region) {
    dc.clipped = false;
    dc.clip = {};
    return SIMPLEREGION;
  }
  dc.clipped = true;
  dc.clip = region->rect;
  return regionKind(dc.clip);
}

template <class Object>
void swapSelection(Object*& slot, Object* next) {
  if (slot) --slot->selections;
  slot = next;
  ++slot->selections;
}

}  // namespace

extern "C" {

HDC WINAPI CreateDCW(LPCWSTR driver, LPCWSTR, LPCWSTR, const DEVMODEW*) {
  return gdiBoundary<HDC>(nullptr, [&] {
    if (!driver || !equalsIgnoringAsciiCase(driver, "DISPLAY")) return static_cast<HDC>(nullptr);
    return makeDeviceContext(false);
  });
}

HDC WINAPI CreateCompatibleDC(HDC reference) {
  return gdiBoundary<HDC>(nullptr, [&] {
    if (reference) {
      std::lock_guard lock(gdiMutex());
      if (!findDeviceContext(reference)) return static_cast<HDC>(nullptr);
    }
    return makeDeviceContext(true);
  });
}

BOOL WINAPI DeleteDC(HDC handle) {
  return gdiBoundary<BOOL>(FALSE, [&] {
    std::lock_guard lock(gdiMutex());
    DeviceContext* dc = findDeviceContext(handle);
    if (!dc) return FALSE;
    // What was selected stays alive and may be selected elsewhere now.
    if (dc->bitmap) {
      --dc->bitmap->selections;
      if (dc->bitmap->selectedInto == dc) dc->bitmap->selectedInto = nullptr;
    }
    --dc->pen->selections;
    --dc->brush->selections;
    destroyGdiObject(dc);
    return TRUE;
  });
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ objectHandle) {
  return gdiBoundary<HGDIOBJ>(nullptr, [&]() -> HGDIOBJ {
    HGDIOBJ previous = nullptr;
    RecordedCall call = namedCall("SelectObject", 0);
    {
      std::lock_guard lock(gdiMutex());
      DeviceContext* dc = findDeviceContext(handle);
      GdiObject* object = findGdiObject(objectHandle);
      if (!dc || !object) return nullptr;
      switch (object->kind) {
        case GdiKind::Pen:
          previous = static_cast<GdiObject*>(dc->pen);
          swapSelection(dc->pen, static_cast<PenObject*>(object));
          call.gdiPen = describePen(dc->pen);
          break;
        case GdiKind::Brush:
          previous = static_cast<GdiObject*>(dc->brush);
          swapSelection(dc->brush, static_cast<BrushObject*>(object));
          call.gdiBrush = describeBrush(dc->brush);
          break;
        case GdiKind::Bitmap: {
          auto* bitmap = static_cast<BitmapObject*>(object);
          if (!dc->memory) return nullptr;
          if (!bitmap->stock && bitmap->selectedInto && bitmap->selectedInto != dc) return nullptr;
          previous = static_cast<GdiObject*>(dc->bitmap);
          if (dc->bitmap && dc->bitmap->selectedInto == dc) dc->bitmap->selectedInto = nullptr;
          swapSelection(dc->bitmap, bitmap);
          if (!bitmap->stock) bitmap->selectedInto = dc;
          break;
        }
        case GdiKind::Region:
          // Selecting a region makes a copy of it the clip; the result is the
          // region kind, as the platform does.
          previous = reinterpret_cast<HGDIOBJ>(
              static_cast<std::intptr_t>(selectClip(*dc, static_cast<RegionObject*>(object))));
          break;
        case GdiKind::DeviceContext: return nullptr;
      }
    }
    call.status = previous ? TRUE : FALSE;
    recordOnDc(handle, [&] { return call; });
    return previous;
  });
}

HGDIOBJ WINAPI GetCurrentObject(HDC handle, UINT type) {
  std::lock_guard lock(gdiMutex());
  DeviceContext* dc = findDeviceContext(handle);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return static_cast<GdiObject*>(dc->pen);
    case OBJ_BRUSH: return static_cast<GdiObject*>(dc->brush);
    case OBJ_BITMAP: return dc->bitmap ? static_cast<GdiObject*>(dc->bitmap) : nullptr;
    default: return nullptr;
  }
}

int WINAPI SelectClipRgn(HDC handle, HRGN regionHandle) {
  std::lock_guard lock(gdiMutex());
  DeviceContext* dc = findDeviceContext(handle);
  if (!dc) return RGN_ERROR;
  if (!regionHandle) return selectClip(*dc, nullptr);
  GdiObject* region = findGdiObject(regionHandle);
  if (!region || region->kind != GdiKind::Region) return RGN_ERROR;
  return selectClip(*dc, static_cast<RegionObject*>(region));
}

int WINAPI IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
  std::lock_guard lock(gdiMutex());
  DeviceContext* dc = findDeviceContext(handle);
  if (!dc) return RGN_ERROR;
  const long long ox = dc->origin.x, oy = dc->origin.y;
  auto toDevice = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2)); };
  PixelRect rect{toDevice(left + ox), toDevice(top + oy), toDevice(right + ox), toDevice(bottom + oy)};
  dc->clip = (dc->clipped ? dc->clip : unclippedArea(*dc)).intersected(rect);
  dc->clipped = true;
  return regionKind(dc->clip);
}

int WINAPI GetClipBox(HDC handle, LPRECT box) {
  std::lock_guard lock(gdiMutex());
  DeviceContext* dc = findDeviceContext(handle);
  if (!dc || !box) return RGN_ERROR;
  const PixelRect area = dc->clipped ? dc->clip : unclippedArea(*dc);
  *box = {area.left - dc->origin.x, area.top - dc->origin.y, area.right - dc->origin.x, area.bottom - dc->origin.y};
  if (area.empty()) *box = {0, 0, 0, 0};
  return regionKind(area);
}

BOOL WINAPI SetViewportOrgEx(HDC handle, int x, int y, LPPOINT previous) {
  std::lock_guard lock(gdiMutex());
  DeviceContext* dc = findDeviceContext(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->origin;
  dc->origin = {x, y};
  return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC handle, LPPOINT origin) {
  std::lock_guard lock(gdiMutex());
  DeviceContext* dc = findDeviceContext(handle);
  if (!dc || !origin) return FALSE;
  *origin = dc->origin;
  return TRUE;
}

BOOL WINAPI GdiFlush(void) { return TRUE; }

}  // extern "C"
