// Solid brushes and pens.
#include <cmath>

#include "draw_recording.h"
#include "error_boundary.h"
#include "gdiplus_objects.h"

using namespace horaz::platform::detail;
using horaz::platform::RecordedCall;

extern "C" {

GpStatus WINAPI GdipCreateSolidFill(ARGB colour, GpSolidFill** brush) {
  if (brush) *brush = nullptr;
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
    if (!brush) return failed(InvalidParameter);
    *brush = new SolidBrush(colour);
    return Ok;
  });
  recordOnThread([&] {
    RecordedCall call = namedCall("GdipCreateSolidFill", status);
    call.argb = colour;
    return call;
  });
  return status;
}

GpStatus WINAPI GdipDeleteBrush(GpBrush* brush) {
  const SolidBrush* live = liveBrush(brush);
  if (!live) return failed(InvalidParameter);
  auto* owned = const_cast<SolidBrush*>(live);
  owned->tag = GpTag::Dead;
  delete owned;
  recordOnThread([] { return namedCall("GdipDeleteBrush", Ok); });
  return Ok;
}

GpStatus WINAPI GdipCreatePen1(ARGB colour, REAL width, GpUnit unit, GpPen** pen) {
  if (pen) *pen = nullptr;
  const GpStatus status = gdiplusBoundary([&] {
    if (!gdiplusRunning()) return failed(GdiplusNotInitialized);
    if (!pen || !std::isfinite(width) || width < 0.0f || pixelsPerUnit(unit) == 0.0) return failed(InvalidParameter);
    *pen = new GpPen(colour, width, unit);
    return Ok;
  });
  recordOnThread([&] {
    RecordedCall call = namedCall("GdipCreatePen1", status);
    call.argb = colour;
    call.penWidth = width;
    call.unit = unit;
    return call;
  });
  return status;
}

GpStatus WINAPI GdipDeletePen(GpPen* pen) {
  if (!livePen(pen)) return failed(InvalidParameter);
  pen->tag = GpTag::Dead;
  delete pen;
  recordOnThread([] { return namedCall("GdipDeletePen", Ok); });
  return Ok;
}

}  // extern "C"
