#include "interaction/overlay.h"

#include <cmath>

#include <wingdi.h>

#include "effect/parameter_value.h"
#include "host/vocabulary.h"
#include "interaction/overlay_geometry.h"
#include "interaction/overlay_palette.h"
#include "interaction/parameter_ids.h"
#include "interaction/selection_guard.h"
#include "module/base/boundary.h"
#include "module/base/handed_out.h"

namespace horaz {
namespace {

// The viewer's interaction modes: 0 and 1 offer the two handles (ring and
// centre), 2 drags the whole clock by any point inside the ellipse.
bool isHandleMode(int32_t mode) { return mode == 0 || mode == 1; }
constexpr int32_t kDragMode = 2;

// Half the arms of the centre cross and of drag mode's diagonal cross, in
// viewer pixels.
constexpr int kCrossArm = 4;
constexpr int kDiagonalArm = 10;

void drawLine(HDC dc, int fromX, int fromY, int toX, int toY) {
  MoveToEx(dc, fromX, fromY, nullptr);
  LineTo(dc, toX, toY);
}

}  // namespace

ClockOverlay::ClockOverlay(acf::IUnknown* outer) : Component(outer) {}

acf::Result ClockOverlay::initialise(acf::IUnknown* host) {
  if (!host) return acf::kNullArgument;
  host_ = CountedRef<acf::IUnknown>::share(host);
  return acf::kOk;
}

acf::Result ACFCALL ClockOverlay::Attach(acf::OverlayContext* context) {
  if (!context) return acf::kNullArgument;
  // Assigning releases a context that a previous Attach left without Detach.
  context_ = CountedRef<acf::OverlayContext>::share(context);
  return acf::kOk;
}

acf::Result ACFCALL ClockOverlay::Detach() {
  context_.reset();
  return acf::kOk;
}

template <class Value>
std::optional<Value> ClockOverlay::readAtViewTime(acf::ParameterSet& parameters, CountedRef<acf::Parameter>& cached,
                                                  const acf::Guid& id, const acf::Guid& valueType) {
  if (!cached && !handedOut(parameters.GetParameter(id, acf::Parameter::kId, cached.putVoid()), cached))
    return std::nullopt;
  return valueAtTime<Value>(*cached.get(), viewTime_, valueType);
}

bool ClockOverlay::refresh() {
  if (!context_) return false;

  CountedRef<acf::ParameterSet> parameters;
  if (!handedOut(context_->GetParameterSet(parameters.put()), parameters)) return false;
  CountedRef<acf::TimeSource> timeSource;
  if (!handedOut(context_->GetTimeSource(timeSource.put()), timeSource)) return false;
  viewTime_ = timeSource->GetTime();

  acf::ParameterSet& set = *parameters.get();
  const acf::Guid& kDouble = acf::value_type::kDouble;
  const std::optional<double> x = readAtViewTime<double>(set, xParameter_, interaction::kXParameter, kDouble);
  if (!x) return false;
  const std::optional<double> y = readAtViewTime<double>(set, yParameter_, interaction::kYParameter, kDouble);
  if (!y) return false;
  const std::optional<double> size = readAtViewTime<double>(set, sizeParameter_, interaction::kSizeParameter, kDouble);
  if (!size) return false;
  const std::optional<int32_t> clockType =
      readAtViewTime<int32_t>(set, clockTypeParameter_, interaction::kClockTypeParameter, acf::value_type::kInteger);
  if (!clockType) return false;
  clockType_ = *clockType;

  centreX_ = *x / 100.0;
  centreY_ = *y / 100.0;
  extent_ = interaction::clockExtent(*size, clockType_);
  halfWidthFactor_ = interaction::halfWidthFactor(parameters->GetAspect());
  return true;
}

double ClockOverlay::distanceTo(double x, double y) const {
  return interaction::ellipseDistance(x, y, centreX_, centreY_, halfWidthFactor_);
}

void ClockOverlay::writeAtViewTime(acf::Parameter* parameter, double value) const {
  if (!std::isfinite(value)) return;
  parameter->SetValueAtTime(viewTime_, acf::value_type::kDouble, &value, sizeof value);
}

void ClockOverlay::drawCentreCross(HDC dc, const interaction::OverlayPalette& palette, int32_t active) {
  const interaction::PaletteEntry& colour =
      !active ? palette.black : (moveGrab_ == kGrabbed ? palette.white : palette.blue);
  interaction::selectForLines(dc, colour);

  // A point the viewer cannot convert has no place to be drawn at.
  int16_t px = 0;
  int16_t py = 0;
  if (acf::failed(context_->ToViewerPoint(centreX_, centreY_, &px, &py))) return;
  drawLine(dc, px - kCrossArm, py, px + kCrossArm, py);
  drawLine(dc, px, py - kCrossArm, px, py + kCrossArm);
  if (context_->GetMode() == kDragMode) {
    drawLine(dc, px - kDiagonalArm, py - kDiagonalArm, px + kDiagonalArm, py + kDiagonalArm);
    drawLine(dc, px + kDiagonalArm, py - kDiagonalArm, px - kDiagonalArm, py + kDiagonalArm);
  }
}

void ClockOverlay::drawExtent(HDC dc, const interaction::OverlayPalette& palette, int32_t active) {
  // An outline only: a hollow brush under the ring's pen.
  interaction::selectForLines(dc, palette.hollow);
  const interaction::PaletteEntry& colour =
      !active ? palette.black : (sizeGrab_ == kGrabbed ? palette.white : palette.green);
  interaction::selectForOutline(dc, colour);

  const double halfWidth = extent_ * halfWidthFactor_;
  const double halfHeight = extent_ * 0.5;
  int16_t left = 0;
  int16_t top = 0;
  int16_t right = 0;
  int16_t bottom = 0;
  if (acf::failed(context_->ToViewerPoint(centreX_ - halfWidth, centreY_ - halfHeight, &left, &top)) ||
      acf::failed(context_->ToViewerPoint(centreX_ + halfWidth, centreY_ + halfHeight, &right, &bottom)))
    return;
  Ellipse(dc, left, top, right, bottom);
}

acf::Result ACFCALL ClockOverlay::Draw(int32_t active) {
  // Whatever happens, the host is told 0.
  guardBoundary([&] {
    if (!refresh()) return acf::kOk;
    const interaction::OverlayPalette& palette = interaction::overlayPalette();
    const HDC dc = context_->GetDeviceContext();
    if (!dc) return acf::kOk;
    const interaction::SelectionGuard restoreSelection(dc);
    drawCentreCross(dc, palette, active);
    drawExtent(dc, palette, active);
    return acf::kOk;
  });
  return acf::kOk;
}

int32_t ACFCALL ClockOverlay::MouseDown(double x, double y, int32_t) {
  if (!refresh()) return 0;
  moveGrab_ = kNotGrabbed;
  sizeGrab_ = kNotGrabbed;
  const int32_t mode = context_->GetMode();

  // Comparisons are written so that a not-a-number distance hits nothing.
  if (isHandleMode(mode)) {
    const std::optional<double> tolerance = interaction::hitTolerance(context_->GetHitScale());
    if (!tolerance) return 0;
    const double distance = distanceTo(x, y);
    // The ring first: on a clock smaller than the tolerance a press at the
    // centre resizes.
    if (std::fabs(distance - extent_) < *tolerance) {
      sizeGrab_ = kGrabbed;
      return 1;
    }
    if (distance < *tolerance) {
      moveGrab_ = kGrabbed;
      return 1;
    }
    return 0;
  }
  if (mode == kDragMode) {
    const double distance = distanceTo(x, y);
    if (distance * distance <= extent_ * extent_) {
      moveGrab_ = kGrabbed;
      dragOffsetX_ = centreX_ - x;
      dragOffsetY_ = centreY_ - y;
      return 1;
    }
  }
  return 0;
}

int32_t ACFCALL ClockOverlay::MouseDown2(double x, double y, int32_t unused) {
  return static_cast<acf::Overlay*>(this)->MouseDown(x, y, unused);
}

int32_t ACFCALL ClockOverlay::MouseDrag(double x, double y, int32_t) {
  if (!refresh()) return 0;
  const int32_t mode = context_->GetMode();
  if (isHandleMode(mode)) {
    if (sizeGrab_ != kNotGrabbed)
      writeAtViewTime(sizeParameter_.get(), interaction::sizeForExtent(distanceTo(x, y), clockType_));
    // The centre jumps to the mouse.
    if (moveGrab_ != kNotGrabbed) {
      writeAtViewTime(xParameter_.get(), x * 100.0);
      writeAtViewTime(yParameter_.get(), y * 100.0);
    }
  } else if (mode == kDragMode) {
    // The clock keeps the offset it had from the mouse at the press.
    if (moveGrab_ != kNotGrabbed) {
      writeAtViewTime(xParameter_.get(), (x + dragOffsetX_) * 100.0);
      writeAtViewTime(yParameter_.get(), (y + dragOffsetY_) * 100.0);
    }
  }
  return 1;
}

int32_t ACFCALL ClockOverlay::MouseUp(double, double, int32_t) {
  moveGrab_ = kNotGrabbed;
  sizeGrab_ = kNotGrabbed;
  return 1;
}

acf::Result ACFCALL ClockOverlay::Operation10(double, double, int32_t) { return acf::kOk; }
acf::Result ACFCALL ClockOverlay::Operation11(double) { return acf::kOk; }
acf::Result ACFCALL ClockOverlay::Operation12(double) { return acf::kOk; }
acf::Result ACFCALL ClockOverlay::Operation13(int32_t) { return acf::kOk; }
acf::Result ACFCALL ClockOverlay::Operation14(int32_t) { return acf::kOk; }

acf::Result createOverlay(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out) {
  return createComponent<ClockOverlay>(host, outer, iid, out);
}

}  // namespace horaz
