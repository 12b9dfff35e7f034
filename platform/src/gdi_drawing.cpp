// GDI's aliased drawing: lines without their end point and ellipses, written
// straight into the selected bitmap as opaque pixels.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "draw_recording.h"
#include "error_boundary.h"
#include "gdi_objects.h"

using namespace horaz::platform::detail;
using horaz::platform::RecordedCall;

namespace {

// What one drawing call needs of its device context, taken under the lock.
struct DrawTarget {
  std::shared_ptr<PixelStore> store;
  PixelRect area;  // device pixels that may be written
  POINT origin{0, 0};
  RecordedCall::GdiPen pen;
  RecordedCall::GdiBrush brush;
};

class OpaquePainter {
 public:
  explicit OpaquePainter(const DrawTarget& target) : target(target) {}

  void pixel(int x, int y, COLORREF colour) const {
    if (!target.store || x < target.area.left || x >= target.area.right || y < target.area.top ||
        y >= target.area.bottom)
      return;
    std::uint8_t* p = target.store->row(y) + static_cast<std::size_t>(x) * 4;
    p[0] = GetBValue(colour);
    p[1] = GetGValue(colour);
    p[2] = GetRValue(colour);
    p[3] = 255;
  }

  void span(int x0, int x1, int y, COLORREF colour) const {
    for (int x = x0; x <= x1; ++x) pixel(x, y, colour);
  }

  // A pen pixel: wide pens stamp a square centred on it.
  void penPixel(int x, int y) const {
    const int width = target.pen.width < 1 ? 1 : target.pen.width;
    const int start = -(width - 1) / 2;
    for (int dy = 0; dy < width; ++dy) span(x + start, x + start + width - 1, y + start + dy, target.pen.colour);
  }

 private:
  const DrawTarget& target;
};

bool takeTarget(HDC handle, DrawTarget& target, bool movePosition, int x, int y, POINT* from) {
  std::lock_guard lock(gdiMutex());
  DeviceContext* dc = findDeviceContext(handle);
  if (!dc) return false;
  if (dc->bitmap && dc->bitmap->store) target.store = dc->bitmap->store;
  target.area = drawableArea(*dc);
  target.origin = dc->origin;
  target.pen = describePen(dc->pen);
  target.brush = describeBrush(dc->brush);
  if (from) *from = dc->position;
  if (movePosition) dc->position = {x, y};
  return true;
}

// Bresenham from (x0, y0) towards (x1, y1), the end point left out.
void drawLine(const OpaquePainter& painter, long long x0, long long y0, long long x1, long long y1) {
  const long long dx = std::llabs(x1 - x0);
  const long long dy = -std::llabs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  long long error = dx + dy;
  long long x = x0, y = y0;
  while (!(x == x1 && y == y1)) {
    painter.penPixel(static_cast<int>(x), static_cast<int>(y));
    const long long twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

// Cuts a line to the part that can reach `bounds` (Liang-Barsky), so a line
// thousands of times longer than the bitmap costs no more than one across
// it. Returns false when nothing of it is left.
bool clipLine(const PixelRect& bounds, long long& x0, long long& y0, long long& x1, long long& y1) {
  const bool inside0 = x0 >= bounds.left && x0 < bounds.right && y0 >= bounds.top && y0 < bounds.bottom;
  const bool inside1 = x1 >= bounds.left && x1 < bounds.right && y1 >= bounds.top && y1 < bounds.bottom;
  if (inside0 && inside1) return true;
  const double dx = double(x1 - x0), dy = double(y1 - y0);
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {double(x0 - bounds.left), double(bounds.right - 1 - x0), double(y0 - bounds.top),
                       double(bounds.bottom - 1 - y0)};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  const long long sx0 = x0, sy0 = y0;
  if (!inside0) {
    x0 = std::llround(double(sx0) + t0 * dx);
    y0 = std::llround(double(sy0) + t0 * dy);
  }
  if (!inside1) {
    x1 = std::llround(double(sx0) + t1 * dx);
    y1 = std::llround(double(sy0) + t1 * dy);
  }
  return true;
}

struct Span {
  int left = 1, right = 0;  // inclusive; empty when left > right
};

// Row spans of the ellipse inscribed in the pixels left..right-1 x
// top..bottom-1, measured at pixel centres with the half-axes reaching the
// outer pixel edges, so every row of the box has pixels.
std::vector<Span> ellipseSpans(int left, int top, int right, int bottom) {
  const double cx = (left + right - 1) / 2.0, cy = (top + bottom - 1) / 2.0;
  const double a = (right - left) / 2.0, b = (bottom - top) / 2.0;
  std::vector<Span> spans(static_cast<std::size_t>(bottom - top));
  for (int y = top; y < bottom; ++y) {
    const double dy = (y - cy) / b;
    const double half = a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
    Span s{static_cast<int>(std::ceil(cx - half)), static_cast<int>(std::floor(cx + half))};
    if (s.left > s.right) s = {static_cast<int>(std::floor(cx)), static_cast<int>(std::ceil(cx))};
    spans[static_cast<std::size_t>(y - top)] = s;
  }
  return spans;
}

void drawEllipse(const OpaquePainter& painter, const DrawTarget& target, int left, int top, int right, int bottom) {
  const std::vector<Span> spans = ellipseSpans(left, top, right, bottom);
  const int rows = static_cast<int>(spans.size());
  // Only pixels within a pen's reach of the writable area can change
  // anything, so rows and runs are cut to that: a box tens of thousands of
  // pixels across around a small bitmap (the overlay's marker near the
  // 16-bit limits) costs what the bitmap costs, not its area in pixels.
  const PixelRect& area = target.area;
  const int reach = std::max(target.pen.width, 1) + 1;
  const auto clipped = [&](int from, int to) {
    return Span{std::max(from, area.left - reach), std::min(to, area.right + reach)};
  };
  const int firstRow = std::max(0, area.top - reach - top);
  const int endRow = std::min(rows, area.bottom + reach - top);
  for (int i = firstRow; i < endRow; ++i) {
    const int y = top + i;
    const Span s = spans[static_cast<std::size_t>(i)];
    // The inside of a row is what lies inside the rows above and below too;
    // the rest of the row is outline.
    Span inside{s.left + 1, s.right - 1};
    for (int j : {i - 1, i + 1}) {
      if (j < 0 || j >= rows) {
        inside = {};
        break;
      }
      inside.left = std::max(inside.left, spans[static_cast<std::size_t>(j)].left);
      inside.right = std::min(inside.right, spans[static_cast<std::size_t>(j)].right);
    }
    if (target.pen.isNull) {
      if (!target.brush.hollow) {
        const Span fill = clipped(s.left, s.right);
        painter.span(fill.left, fill.right, y, target.brush.colour);
      }
      continue;
    }
    const bool hasInside = inside.left <= inside.right;
    if (!target.brush.hollow && hasInside) {
      const Span fill = clipped(inside.left, inside.right);
      painter.span(fill.left, fill.right, y, target.brush.colour);
    }
    // The outline, left to right: the whole row, or the runs either side of
    // the inside.
    const Span before = clipped(s.left, hasInside ? inside.left - 1 : s.right);
    for (int x = before.left; x <= before.right; ++x) painter.penPixel(x, y);
    if (hasInside) {
      const Span after = clipped(inside.right + 1, s.right);
      for (int x = after.left; x <= after.right; ++x) painter.penPixel(x, y);
    }
  }
}

}  // namespace

extern "C" {

BOOL WINAPI MoveToEx(HDC handle, int x, int y, LPPOINT previous) {
  return gdiBoundary<BOOL>(FALSE, [&] {
    DrawTarget target;
    POINT from{};
    const BOOL ok = takeTarget(handle, target, true, x, y, &from) ? TRUE : FALSE;
    if (ok && previous) *previous = from;
    recordOnDc(handle, [&] {
      RecordedCall call = namedCall("MoveToEx", ok);
      call.numbers = {double(x), double(y)};
      return call;
    });
    return ok;
  });
}

BOOL WINAPI LineTo(HDC handle, int x, int y) {
  return gdiBoundary<BOOL>(FALSE, [&] {
    DrawTarget target;
    POINT from{};
    const BOOL ok = takeTarget(handle, target, true, x, y, &from) ? TRUE : FALSE;
    if (ok && !target.pen.isNull && target.store && !target.area.empty()) {
      long long x0 = static_cast<long long>(from.x) + target.origin.x;
      long long y0 = static_cast<long long>(from.y) + target.origin.y;
      long long x1 = static_cast<long long>(x) + target.origin.x;
      long long y1 = static_cast<long long>(y) + target.origin.y;
      // Grown by the pen so wide pens still reach the edge; the pixels left
      // out beyond it are outside what may be written anyway.
      const int reach = target.pen.width + 2;
      const PixelRect grown{target.area.left - reach, target.area.top - reach, target.area.right + reach,
                            target.area.bottom + reach};
      if (clipLine(grown, x0, y0, x1, y1)) drawLine(OpaquePainter(target), x0, y0, x1, y1);
    }
    recordOnDc(handle, [&] {
      RecordedCall call = namedCall("LineTo", ok);
      call.numbers = {double(x), double(y)};
      call.gdiPen = target.pen;
      return call;
    });
    return ok;
  });
}

BOOL WINAPI Ellipse(HDC handle, int left, int top, int right, int bottom) {
  return gdiBoundary<BOOL>(FALSE, [&] {
    DrawTarget target;
    const BOOL ok = takeTarget(handle, target, false, 0, 0, nullptr) ? TRUE : FALSE;
    const long long l = std::min<long long>(left, right) + target.origin.x;
    const long long r = std::max<long long>(left, right) + target.origin.x;
    const long long t = std::min<long long>(top, bottom) + target.origin.y;
    const long long b = std::max<long long>(top, bottom) + target.origin.y;
    // Boxes larger than any bitmap are not rasterised row by row.
    const bool drawable = r > l && b > t && r - l <= (1 << 16) && b - t <= (1 << 16) && l > -(1 << 24) &&
                          t > -(1 << 24) && r < (1 << 24) && b < (1 << 24);
    if (ok && target.store && drawable) {
      const OpaquePainter painter(target);
      drawEllipse(painter, target, int(l), int(t), int(r), int(b));
    }
    recordOnDc(handle, [&] {
      RecordedCall call = namedCall("Ellipse", ok);
      call.numbers = {double(left), double(top), double(right), double(bottom)};
      call.gdiPen = target.pen;
      call.gdiBrush = target.brush;
      return call;
    });
    return ok;
  });
}

}  // extern "C"
