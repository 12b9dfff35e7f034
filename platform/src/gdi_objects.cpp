// Stock objects, pens, brushes, regions, object deletion and the registry of
// live handles.
#include "gdi_objects.h"

#include <algorithm>
#include <unordered_set>

#include "error_boundary.h"
#include "live_counters.h"

namespace horaz::platform::detail {

namespace {

std::unordered_set<const GdiObject*>& liveObjects() {
  static std::unordered_set<const GdiObject*> objects;
  return objects;
}

std::atomic<int>* counterFor(GdiKind kind) {
  LiveCounters& counters = liveCounters();
  switch (kind) {
    case GdiKind::Pen: return &counters.gdiPens;
    case GdiKind::Brush: return &counters.gdiBrushes;
    case GdiKind::Bitmap: return &counters.bitmaps;
    case GdiKind::Region: return &counters.regions;
    case GdiKind::DeviceContext: return &counters.deviceContexts;
  }
  return nullptr;
}

bool isStockObject(const void* handle) {
  StockObjects& s = stockObjects();
  const void* all[] = {&s.whitePen,  &s.blackPen,      &s.nullPen,    &s.whiteBrush, &s.lightGrayBrush,
                       &s.grayBrush, &s.darkGrayBrush, &s.blackBrush, &s.nullBrush,  &s.placeholderBitmap};
  for (const void* stock : all)
    if (static_cast<const GdiObject*>(stock) == handle) return true;
  return false;
}

}  // namespace

GdiObject::GdiObject(GdiKind kind, bool stock) : kind(kind), stock(stock) {
  if (!stock) counterFor(kind)->fetch_add(1, std::memory_order_relaxed);
}

GdiObject::~GdiObject() {
  if (!stock) counterFor(kind)->fetch_sub(1, std::memory_order_relaxed);
}

DeviceContext::DeviceContext(bool memory) : GdiObject(GdiKind::DeviceContext), memory(memory) {}

StockObjects::StockObjects() = default;

StockObjects& stockObjects() {
  static StockObjects objects;
  return objects;
}

std::mutex& gdiMutex() {
  static std::mutex mutex;
  return mutex;
}

GdiObject* findGdiObject(const void* handle) {
  if (!handle) return nullptr;
  if (isStockObject(handle)) return static_cast<GdiObject*>(const_cast<void*>(handle));
  auto& live = liveObjects();
  auto found = live.find(static_cast<const GdiObject*>(handle));
  return found == live.end() ? nullptr : const_cast<GdiObject*>(*found);
}

DeviceContext* findDeviceContext(const void* handle) {
  GdiObject* object = findGdiObject(handle);
  return object && object->kind == GdiKind::DeviceContext ? static_cast<DeviceContext*>(object) : nullptr;
}

void registerLive(GdiObject* object) {
  std::lock_guard lock(gdiMutex());
  try {
    liveObjects().insert(object);
  } catch (...) {
    delete object;
    throw;
  }
}

void destroyGdiObject(GdiObject* object) {
  liveObjects().erase(object);
  delete object;
}

PixelRect drawableArea(const DeviceContext& dc) {
  if (!dc.bitmap || !dc.bitmap->store) return {};
  PixelRect area = dc.bitmap->store->bounds();
  return dc.clipped ? area.intersected(dc.clip) : area;
}

}  // namespace horaz::platform::detail

using namespace horaz::platform::detail;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int object) {
  StockObjects& s = stockObjects();
  switch (object) {
    case WHITE_BRUSH: return &s.whiteBrush;
    case LTGRAY_BRUSH: return &s.lightGrayBrush;
    case GRAY_BRUSH: return &s.grayBrush;
    case DKGRAY_BRUSH: return &s.darkGrayBrush;
    case BLACK_BRUSH: return &s.blackBrush;
    case NULL_BRUSH: return &s.nullBrush;
    case WHITE_PEN: return &s.whitePen;
    case BLACK_PEN: return &s.blackPen;
    case NULL_PEN: return &s.nullPen;
    default: return nullptr;
  }
}

HPEN WINAPI CreatePen(int style, int width, COLORREF colour) {
  return gdiBoundary<HPEN>(nullptr, [&] {
    if (style < PS_SOLID || style > PS_INSIDEFRAME || width < 0) return static_cast<HPEN>(nullptr);
    auto* pen = registerGdiObject(std::make_unique<PenObject>(style, width, colour & 0x00FFFFFF));
    return reinterpret_cast<HPEN>(static_cast<GdiObject*>(pen));
  });
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
  return gdiBoundary<HBRUSH>(nullptr, [&] {
    auto* brush = registerGdiObject(std::make_unique<BrushObject>(false, colour & 0x00FFFFFF));
    return reinterpret_cast<HBRUSH>(static_cast<GdiObject*>(brush));
  });
}

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
  return gdiBoundary<HRGN>(nullptr, [&] {
    PixelRect rect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    auto* region = registerGdiObject(std::make_unique<RegionObject>(rect.empty() ? PixelRect{} : rect));
    return reinterpret_cast<HRGN>(static_cast<GdiObject*>(region));
  });
}

DWORD WINAPI GetObjectType(HGDIOBJ handle) {
  std::lock_guard lock(gdiMutex());
  GdiObject* object = findGdiObject(handle);
  if (!object) return 0;
  switch (object->kind) {
    case GdiKind::Pen: return OBJ_PEN;
    case GdiKind::Brush: return OBJ_BRUSH;
    case GdiKind::Bitmap: return OBJ_BITMAP;
    case GdiKind::Region: return OBJ_REGION;
    case GdiKind::DeviceContext: return static_cast<DeviceContext*>(object)->memory ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
  return gdiBoundary<BOOL>(FALSE, [&] {
    std::lock_guard lock(gdiMutex());
    GdiObject* object = findGdiObject(handle);
    if (!object || object->kind == GdiKind::DeviceContext) return FALSE;
    if (object->stock) return TRUE;
    // An object still selected somewhere stays, so no device context is left
    // pointing at freed memory.
    if (object->selections > 0) return FALSE;
    destroyGdiObject(object);
    return TRUE;
  });
}

}  // extern "C"
