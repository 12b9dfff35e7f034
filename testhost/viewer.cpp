#include "testhost/viewer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include <wingdi.h>

#include "testhost/time_source.h"

namespace horaz::testhost {
namespace {

// Rounded to nearest and held inside the 16-bit range the viewer answers in.
int16_t toViewerCoordinate(double normalized, int32_t extent) {
  const double pixels = normalized * extent;
  if (std::isnan(pixels)) return 0;
  constexpr double kLowest = std::numeric_limits<int16_t>::min();
  constexpr double kHighest = std::numeric_limits<int16_t>::max();
  return static_cast<int16_t>(std::floor(std::clamp(pixels, kLowest, kHighest) + 0.5));
}

constexpr double kViewerFramesPerSecond = 25.0;

}  // namespace

ViewerContext::ViewerContext(std::shared_ptr<Ledger> ledger, std::shared_ptr<ParameterStore> store, int32_t width,
                             int32_t height)
    : HostObject(std::move(ledger)), store_(std::move(store)), width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top of the picture
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc_ = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  bitmap_ = dc_ ? CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  placeholder_ = bitmap_ ? SelectObject(dc_, bitmap_) : nullptr;
  if (!placeholder_) {
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
    throw std::runtime_error("the viewer's bitmap could not be made");
  }
  pixels_ = static_cast<uint32_t*>(bits);
  // Large DIB sections may come back holding an earlier bitmap's pixels.
  fill(0);
}

ViewerContext::~ViewerContext() {
  SelectObject(dc_, placeholder_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

acf::Result ACFCALL ViewerContext::GetParameterSet(acf::ParameterSet** out) {
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  if (const acf::Result injected = enter("OverlayContext.GetParameterSet"); acf::failed(injected)) return injected;
  *out = make<HostParameterSet>(sharedLedger(), store_, aspect_.load(), kViewerFramesPerSecond);
  return acf::kOk;
}

acf::Result ACFCALL ViewerContext::GetTimeSource(acf::TimeSource** out) {
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  if (const acf::Result injected = enter("OverlayContext.GetTimeSource"); acf::failed(injected)) return injected;
  *out = make<HostTimeSource>(sharedLedger(), time_.load(), 0);
  return acf::kOk;
}

acf::Result ACFCALL ViewerContext::ToViewerPoint(double x, double y, int16_t* pixelX, int16_t* pixelY) {
  if (const acf::Result injected = enter("OverlayContext.ToViewerPoint"); acf::failed(injected)) return injected;
  if (!pixelX || !pixelY) return acf::kNullArgument;
  *pixelX = toViewerCoordinate(x, width_);
  *pixelY = toViewerCoordinate(y, height_);
  return acf::kOk;
}

uint32_t ViewerContext::pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  GdiFlush();
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void ViewerContext::fill(uint32_t argb) {
  std::fill(pixels_, pixels_ + static_cast<size_t>(width_) * static_cast<size_t>(height_), argb);
}

HostViewer::HostViewer(std::shared_ptr<Ledger> ledger, std::shared_ptr<ParameterStore> store, int32_t width,
                       int32_t height)
    : store_(store),
      context_(
          CountedRef<ViewerContext>::adopt(make<ViewerContext>(std::move(ledger), std::move(store), width, height))) {}

HostViewer::~HostViewer() { detach(); }

acf::Result HostViewer::attach(CountedRef<acf::Overlay> overlay) {
  detach();
  if (!overlay) return acf::kNullArgument;
  const acf::Result result = overlay->Attach(context_.get());
  if (acf::succeeded(result)) overlay_ = std::move(overlay);
  return result;
}

acf::Result HostViewer::detach() {
  if (!overlay_) return acf::kOk;
  const acf::Result result = overlay_->Detach();
  overlay_.reset();
  return result;
}

acf::Result HostViewer::draw(int32_t active) { return overlay_ ? overlay_->Draw(active) : acf::kOk; }
int32_t HostViewer::press(double x, double y) { return overlay_ ? overlay_->MouseDown(x, y, 0) : 0; }
int32_t HostViewer::drag(double x, double y) { return overlay_ ? overlay_->MouseDrag(x, y, 0) : 0; }
int32_t HostViewer::release(double x, double y) { return overlay_ ? overlay_->MouseUp(x, y, 0) : 0; }

void HostViewer::setTime(double time) {
  context().setTime(time);
  store_->setCurrentTime(time);
}

}  // namespace horaz::testhost
