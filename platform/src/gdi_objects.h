// GDI's objects behind the opaque handles, and the registry that tells live
// handles from stale or foreign ones.
#pragma once

#include <memory>
#include <mutex>

#include "horaz_platform/recording.h"
#include "pixel_store.h"
#include "wingdi.h"

namespace horaz::platform::detail {

enum class GdiKind { Pen, Brush, Bitmap, Region, DeviceContext };

struct DeviceContext;

struct GdiObject {
  explicit GdiObject(GdiKind kind, bool stock = false);
  virtual ~GdiObject();
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  const GdiKind kind;
  const bool stock;
  int selections = 0;  // device contexts this object is selected into
};

struct PenObject final : GdiObject {
  PenObject(int style, int width, COLORREF colour, bool stock = false)
      : GdiObject(GdiKind::Pen, stock), style(style), width(width), colour(colour) {}
  bool isNull() const { return style == PS_NULL; }
  int pixelWidth() const { return width < 1 ? 1 : width; }
  const int style;
  const int width;
  const COLORREF colour;
};

struct BrushObject final : GdiObject {
  BrushObject(bool hollow, COLORREF colour, bool stock = false)
      : GdiObject(GdiKind::Brush, stock), hollow(hollow), colour(colour) {}
  const bool hollow;
  const COLORREF colour;
};

// A DIB section, or the stock 1 x 1 placeholder of memory device contexts
// (which has no pixels to draw on).
struct BitmapObject final : GdiObject {
  BitmapObject(std::shared_ptr<PixelStore> store, bool stock = false)
      : GdiObject(GdiKind::Bitmap, stock), store(std::move(store)) {}
  const std::shared_ptr<PixelStore> store;
  DeviceContext* selectedInto = nullptr;
};

struct RegionObject final : GdiObject {
  explicit RegionObject(const PixelRect& rect) : GdiObject(GdiKind::Region), rect(rect) {}
  const PixelRect rect;  // device coordinates; may be empty
};

struct DeviceContext final : GdiObject {
  explicit DeviceContext(bool memory);
  const bool memory;
  BitmapObject* bitmap = nullptr;  // memory device contexts only
  PenObject* pen = nullptr;
  BrushObject* brush = nullptr;
  POINT origin{0, 0};    // viewport origin: device = logical + origin
  POINT position{0, 0};  // current position (logical)
  bool clipped = false;
  PixelRect clip;  // device coordinates, when `clipped`
};

// Stock objects, made once and never freed.
struct StockObjects {
  StockObjects();
  PenObject whitePen{PS_SOLID, 1, RGB(255, 255, 255), true};
  PenObject blackPen{PS_SOLID, 1, RGB(0, 0, 0), true};
  PenObject nullPen{PS_NULL, 0, 0, true};
  BrushObject whiteBrush{false, RGB(255, 255, 255), true};
  BrushObject lightGrayBrush{false, RGB(192, 192, 192), true};
  BrushObject grayBrush{false, RGB(128, 128, 128), true};
  BrushObject darkGrayBrush{false, RGB(64, 64, 64), true};
  BrushObject blackBrush{false, RGB(0, 0, 0), true};
  BrushObject nullBrush{true, 0, true};
  BitmapObject placeholderBitmap{nullptr, true};
};
StockObjects& stockObjects();

// Guards every handle lookup and every change of what is selected where.
std::mutex& gdiMutex();
// The object behind a handle when it is live (or stock); null otherwise.
// Call with gdiMutex() held.
GdiObject* findGdiObject(const void* handle);
DeviceContext* findDeviceContext(const void* handle);
// Registers a new object as live (takes ownership) and returns it.
template <class Object>
Object* registerGdiObject(std::unique_ptr<Object> object);
void registerLive(GdiObject* object);
// Unregisters and frees a live, unselected, non-stock object.
void destroyGdiObject(GdiObject* object);

template <class Object>
Object* registerGdiObject(std::unique_ptr<Object> object) {
  Object* raw = object.release();
  registerLive(raw);
  return raw;
}

// Device rectangle a device context may draw into: its bitmap, cut by its
// clip. Empty when it has no pixels.
PixelRect drawableArea(const DeviceContext& dc);

// What recordings note of a selected pen or brush.
inline RecordedCall::GdiPen describePen(const PenObject* pen) {
  RecordedCall::GdiPen described;
  if (pen && !pen->isNull()) described = {false, pen->colour, pen->width};
  return described;
}

inline RecordedCall::GdiBrush describeBrush(const BrushObject* brush) {
  RecordedCall::GdiBrush described;
  if (brush && !brush->hollow) described = {false, brush->colour};
  return described;
}

}  // namespace horaz::platform::detail
