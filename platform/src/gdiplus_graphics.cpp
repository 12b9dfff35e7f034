// Drawing objects over device contexts, their modes, and filled and outlined
// shapes.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "draw_recording.h"
#include "error_boundary.h"
#include "gdi_objects.h"
#include "graphics_painting.h"

using namespace horaz::platform::detail;
using horaz::platform::RecordedCall;

GpGraphics::GpGraphics() = default;

GpGraphics::~GpGraphics() {
  tag = GpTag::Dead;
  if (store) store->closeSession();
}

namespace horaz::platform::detail {

namespace {

ShapeBounds onDevice(const GpGraphics& graphics, const ShapeBounds& bounds) {
  return {bounds.left + graphics.originX, bounds.top + graphics.originY, bounds.right + graphics.originX,
          bounds.bottom + graphics.originY};
}

// The pixels a shape with these device bounds may change, with a one-pixel
// margin for anti-aliasing, within the drawable area.
PixelRect touchedArea(const GpGraphics& graphics, const ShapeBounds& device) {
  const double limit = kMaxCoordinate;
  const PixelRect touched{int(std::floor(std::clamp(device.left, -limit, limit))) - 1,
                          int(std::floor(std::clamp(device.top, -limit, limit))) - 1,
                          int(std::ceil(std::clamp(device.right, -limit, limit))) + 1,
                          int(std::ceil(std::clamp(device.bottom, -limit, limit))) + 1};
  return touched.intersected(graphics.area);
}

}  // namespace

void paintShape(GpGraphics& graphics, const ShapeBounds& bounds, const std::function<void(cairo_t*)>& draw) {
  if (!graphics.store) return;
  const PixelRect touched = touchedArea(graphics, onDevice(graphics, bounds));
  if (touched.empty()) return;
  PixelStore& store = *graphics.store;
  store.prepare(touched);

  // cairo image surfaces are at most 32767 pixels on a side; larger areas
  // are drawn in tiles.
  constexpr int kTile = 16384;
  for (int tileTop = touched.top; tileTop < touched.bottom; tileTop += kTile) {
    for (int tileLeft = touched.left; tileLeft < touched.right; tileLeft += kTile) {
      const int w = std::min(kTile, touched.right - tileLeft), h = std::min(kTile, touched.bottom - tileTop);
      // The surface starts at the tile's top-left pixel and steps by picture
      // rows, downwards in memory for top-down bitmaps and upwards otherwise.
      unsigned char* first = store.row(tileTop) + std::size_t(tileLeft) * 4;
      cairo_surface_t* surface =
          cairo_image_surface_create_for_data(first, CAIRO_FORMAT_ARGB32, w, h, int(store.pictureStride()));
      cairo_t* cr = cairo_create(surface);
      cairo_translate(cr, graphics.originX - tileLeft, graphics.originY - tileTop);
      draw(cr);
      cairo_destroy(cr);
      cairo_surface_finish(surface);
      cairo_surface_destroy(surface);
    }
  }
}

bool fillWholePixels(GpGraphics& graphics, const ShapeBounds& bounds, ARGB colour) {
  if (!graphics.store || (colour >> 24) != 0xFF) return false;
  const ShapeBounds device = onDevice(graphics, bounds);
  for (const double edge : {device.left, device.top, device.right, device.bottom})
    if (!(std::fabs(edge) <= kMaxCoordinate) || edge != std::floor(edge)) return false;
  const PixelRect touched = touchedArea(graphics, device);
  if (touched.empty()) return true;
  // The area paintShape prepares: what is drawn over the rectangle later
  // then finds it prepared already, and a freshly cleared area is known to
  // need no saving.
  const PixelRect filled =
      PixelRect{int(device.left), int(device.top), int(device.right), int(device.bottom)}.intersected(graphics.area);
  PixelStore& store = *graphics.store;
  store.prepare(touched, filled);
  if (filled.empty()) return true;
  // One row is filled word by word; the others are copies of it, which the
  // C library makes with its widest stores.
  auto* first = reinterpret_cast<std::uint32_t*>(store.row(filled.top)) + filled.left;
  std::fill(first, first + filled.width(), std::uint32_t{colour});
  const std::size_t rowBytes = std::size_t(filled.width()) * 4;
  for (int y = filled.top + 1; y < filled.bottom; ++y)
    std::memcpy(store.row(y) + std::size_t(filled.left) * 4, first, rowBytes);
  return true;
}

}  // namespace horaz::platform::detail

namespace {

GpStatus notRunning() { return failed(GdiplusNotInitialized); }

bool finitePoints(const GpPointF* points, INT count) {
  for (INT i = 0; i < count; ++i)
    if (!std::isfinite(points[i].X) || !std::isfinite(points[i].Y)) return false;
  return true;
}

ShapeBounds boundsOf(const GpPointF* points, INT count) {
  ShapeBounds b{points[0].X, points[0].Y, points[0].X, points[0].Y};
  for (INT i = 1; i < count; ++i) {
    b.left = std::min<double>(b.left, points[i].X);
    b.top = std::min<double>(b.top, points[i].Y);
    b.right = std::max<double>(b.right, points[i].X);
    b.bottom = std::max<double>(b.bottom, points[i].Y);
  }
  return b;
}

std::vector<double> flatten(const GpPointF* points, INT count) {
  std::vector<double> numbers;
  numbers.reserve(std::size_t(count) * 2);
  for (INT i = 0; i < count; ++i) {
    numbers.push_back(points[i].X);
    numbers.push_back(points[i].Y);
  }
  return numbers;
}

void tracePolygon(cairo_t* cr, const GpPointF* points, INT count) {
  cairo_move_to(cr, points[0].X, points[0].Y);
  for (INT i = 1; i < count; ++i) cairo_line_to(cr, points[i].X, points[i].Y);
  cairo_close_path(cr);
}

// A rectangle or ellipse fill, shared by the four fill calls.
GpStatus fillBox(const char* name, GpGraphics* g, GpBrush* b, double x, double y, double w, double h, bool ellipse) {
  GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return notRunning();
    GpGraphics* graphics = liveGraphics(g);
    const SolidBrush* brush = liveBrush(b);
    if (!graphics || !brush) return failed(InvalidParameter);
    if (!isFiniteValue(x) || !isFiniteValue(y) || !isFiniteValue(w) || !isFiniteValue(h))
      return failed(InvalidParameter);
    if (w <= 0.0 || h <= 0.0) return Ok;
    const ShapeBounds bounds{x, y, x + w, y + h};
    const double reach = kMaxCoordinate;
    // Beyond cairo's range an ellipse cannot be traced; a rectangle is cut.
    const bool outOfRange =
        std::fabs(x) > reach || std::fabs(y) > reach || std::fabs(x + w) > reach || std::fabs(y + h) > reach;
    if (ellipse && outOfRange) return Ok;
    const ARGB colour = brush->colour;
    if (!ellipse && fillWholePixels(*graphics, bounds, colour)) return Ok;
    const cairo_antialias_t antialias = shapeAntialias(*graphics);
    paintShape(*graphics, bounds, [&](cairo_t* cr) {
      cairo_set_antialias(cr, antialias);
      setSource(cr, colour);
      if (ellipse) {
        cairo_save(cr);
        cairo_translate(cr, x + w / 2.0, y + h / 2.0);
        cairo_scale(cr, w / 2.0, h / 2.0);
        cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * M_PI);
        cairo_restore(cr);
      } else {
        const double left = std::clamp(x, -reach, reach), top = std::clamp(y, -reach, reach);
        const double right = std::clamp(x + w, -reach, reach), bottom = std::clamp(y + h, -reach, reach);
        cairo_rectangle(cr, left, top, right - left, bottom - top);
      }
      cairo_fill(cr);
    });
    return Ok;
  });
  if (g && g->tag == GpTag::Graphics) {
    recordOnDc(g->dc, [&] {
      RecordedCall call = namedCall(name, status);
      call.numbers = {x, y, w, h};
      if (const SolidBrush* brush = liveBrush(b)) call.argb = brush->colour;
      return call;
    });
  }
  return status;
}

// Outlines through `points`, closed or open; shared by GdipDrawPolygon and
// GdipDrawLine.
GpStatus strokePath(GpGraphics* g, GpPen* p, const GpPointF* points, INT count, bool closed) {
  return gdiplusBoundary([&] {
    if (!gdiplusRunning()) return notRunning();
    GpGraphics* graphics = liveGraphics(g);
    const GpPen* pen = livePen(p);
    if (!graphics || !pen || !points || count <= 0) return failed(InvalidParameter);
    if (!finitePoints(points, count)) return failed(InvalidParameter);
    const ShapeBounds bounds = boundsOf(points, count);
    if (count < 2 || std::max({std::fabs(bounds.left), std::fabs(bounds.top), std::fabs(bounds.right),
                               std::fabs(bounds.bottom)}) > kMaxCoordinate)
      return Ok;
    // Width 0 draws a hairline of one pixel.
    const double width = std::max(1e-3, double(pen->width) * pixelsPerUnit(pen->unit));
    const double lineWidth = pen->width == 0.0f ? 1.0 : width;
    constexpr double kMiterLimit = 10.0;
    const ARGB colour = pen->colour;
    const cairo_antialias_t antialias = shapeAntialias(*graphics);
    paintShape(*graphics, bounds.grown(lineWidth / 2.0 * kMiterLimit), [&](cairo_t* cr) {
      cairo_set_antialias(cr, antialias);
      cairo_set_line_width(cr, lineWidth);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
      cairo_set_miter_limit(cr, kMiterLimit);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
      setSource(cr, colour);
      if (closed) {
        tracePolygon(cr, points, count);
      } else {
        cairo_move_to(cr, points[0].X, points[0].Y);
        for (INT i = 1; i < count; ++i) cairo_line_to(cr, points[i].X, points[i].Y);
      }
      cairo_stroke(cr);
    });
    return Ok;
  });
}

void recordStroke(const char* name, GpStatus status, GpGraphics* g, GpPen* p, std::vector<double> numbers) {
  if (!liveGraphics(g)) return;
  recordOnDc(g->dc, [&] {
    RecordedCall call = namedCall(name, status);
    call.numbers = std::move(numbers);
    if (const GpPen* pen = livePen(p)) {
      call.argb = pen->colour;
      call.penWidth = pen->width;
      call.unit = pen->unit;
    }
    return call;
  });
}

}  // namespace

extern "C" {

GpStatus WINAPI GdipCreateFromHDC(HDC handle, GpGraphics** graphics) {
  if (graphics) *graphics = nullptr;
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return notRunning();
    if (!handle || !graphics) return failed(InvalidParameter);
    auto made = std::make_unique<GpGraphics>();
    {
      std::lock_guard lock(gdiMutex());
      DeviceContext* dc = findDeviceContext(handle);
      if (!dc) return failed(InvalidParameter);
      if (dc->bitmap && dc->bitmap->store) made->store = dc->bitmap->store;
      made->area = drawableArea(*dc);
      made->originX = dc->origin.x;
      made->originY = dc->origin.y;
    }
    made->dc = handle;
    if (made->store) made->store->openSession();
    *graphics = made.release();
    return Ok;
  });
  recordOnDc(handle, [&] { return namedCall("GdipCreateFromHDC", status); });
  return status;
}

GpStatus WINAPI GdipDeleteGraphics(GpGraphics* graphics) {
  if (!liveGraphics(graphics)) return failed(InvalidParameter);
  const void* dc = graphics->dc;
  delete graphics;
  recordOnDc(dc, [&] { return namedCall("GdipDeleteGraphics", Ok); });
  return Ok;
}

GpStatus WINAPI GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  GpStatus status = Ok;
  if (!gdiplusRunning())
    status = notRunning();
  else if (!liveGraphics(graphics) || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias8x8)
    status = failed(InvalidParameter);
  else
    graphics->smoothing = mode;
  if (liveGraphics(graphics)) {
    recordOnDc(graphics->dc, [&] {
      RecordedCall call = namedCall("GdipSetSmoothingMode", status);
      call.mode = mode;
      return call;
    });
  }
  return status;
}

GpStatus WINAPI GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode) {
  if (!gdiplusRunning()) return notRunning();
  if (!liveGraphics(graphics) || !mode) return failed(InvalidParameter);
  *mode = graphics->smoothing;
  return Ok;
}

GpStatus WINAPI GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint) {
  GpStatus status = Ok;
  if (!gdiplusRunning())
    status = notRunning();
  else if (!liveGraphics(graphics) || hint < TextRenderingHintSystemDefault || hint > TextRenderingHintClearTypeGridFit)
    status = failed(InvalidParameter);
  else
    graphics->textHint = hint;
  if (liveGraphics(graphics)) {
    recordOnDc(graphics->dc, [&] {
      RecordedCall call = namedCall("GdipSetTextRenderingHint", status);
      call.mode = hint;
      return call;
    });
  }
  return status;
}

GpStatus WINAPI GdipGetTextRenderingHint(GpGraphics* graphics, TextRenderingHint* hint) {
  if (!gdiplusRunning()) return notRunning();
  if (!liveGraphics(graphics) || !hint) return failed(InvalidParameter);
  *hint = graphics->textHint;
  return Ok;
}

GpStatus WINAPI GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height) {
  return fillBox("GdipFillRectangleI", graphics, brush, x, y, width, height, false);
}

GpStatus WINAPI GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  return fillBox("GdipFillRectangle", graphics, brush, x, y, width, height, false);
}

GpStatus WINAPI GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height) {
  return fillBox("GdipFillEllipseI", graphics, brush, x, y, width, height, true);
}

GpStatus WINAPI GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  return fillBox("GdipFillEllipse", graphics, brush, x, y, width, height, true);
}

GpStatus WINAPI GdipFillPolygon(GpGraphics* g, GpBrush* b, const GpPointF* points, INT count, GpFillMode fillMode) {
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return notRunning();
    GpGraphics* graphics = liveGraphics(g);
    const SolidBrush* brush = liveBrush(b);
    if (!graphics || !brush || !points || count <= 0) return failed(InvalidParameter);
    if (fillMode != FillModeAlternate && fillMode != FillModeWinding) return failed(InvalidParameter);
    if (!finitePoints(points, count)) return failed(InvalidParameter);
    const ShapeBounds bounds = boundsOf(points, count);
    if (count < 3 || std::max({std::fabs(bounds.left), std::fabs(bounds.top), std::fabs(bounds.right),
                               std::fabs(bounds.bottom)}) > kMaxCoordinate)
      return Ok;
    const ARGB colour = brush->colour;
    const cairo_antialias_t antialias = shapeAntialias(*graphics);
    paintShape(*graphics, bounds, [&](cairo_t* cr) {
      cairo_set_antialias(cr, antialias);
      cairo_set_fill_rule(cr, fillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
      setSource(cr, colour);
      tracePolygon(cr, points, count);
      cairo_fill(cr);
    });
    return Ok;
  });
  if (liveGraphics(g)) {
    recordOnDc(g->dc, [&] {
      RecordedCall call = namedCall("GdipFillPolygon", status);
      if (points && count > 0) call.numbers = flatten(points, count);
      if (const SolidBrush* brush = liveBrush(b)) call.argb = brush->colour;
      call.fillMode = fillMode;
      return call;
    });
  }
  return status;
}

GpStatus WINAPI GdipDrawPolygon(GpGraphics* graphics, GpPen* pen, const GpPointF* points, INT count) {
  const GpStatus status = strokePath(graphics, pen, points, count, true);
  recordStroke("GdipDrawPolygon", status, graphics, pen,
               points && count > 0 ? flatten(points, count) : std::vector<double>{});
  return status;
}

GpStatus WINAPI GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  const GpPointF points[2] = {{x1, y1}, {x2, y2}};
  const GpStatus status = strokePath(graphics, pen, points, 2, false);
  recordStroke("GdipDrawLine", status, graphics, pen, {x1, y1, x2, y2});
  return status;
}

}  // extern "C"
