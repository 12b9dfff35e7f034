#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include <windef.h>

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "host/viewer.h"
#include "testhost/host_object.h"
#include "testhost/parameter_store.h"

namespace horaz::testhost {

// The viewer context the reference host gives an overlay: a memory device
// context on a 32-bit top-down DIB of the viewer's size (bytes blue, green,
// red, alpha; all zero until something is drawn), the mapping from normalized
// frame coordinates to viewer pixels, a hit scale, an interaction mode, the
// viewer's time and the aspect its parameter sets report.
//
// GetParameterSet, GetTimeSource and ToViewerPoint are failable calls named
// "OverlayContext.<Operation>". The settings may be changed from any thread;
// the device context is for one drawing thread at a time.
class ViewerContext final : public HostObject<acf::OverlayContext> {
 public:
  // Throws std::runtime_error when the bitmap cannot be made.
  ViewerContext(std::shared_ptr<Ledger> ledger, std::shared_ptr<ParameterStore> store, int32_t width, int32_t height);
  ~ViewerContext() override;

  acf::Result ACFCALL GetParameterSet(acf::ParameterSet** out) override;
  acf::Result ACFCALL GetTimeSource(acf::TimeSource** out) override;
  HDC ACFCALL GetDeviceContext() override { return dc_; }
  uint16_t ACFCALL GetHitScale() override { return hitScale_.load(); }
  int32_t ACFCALL GetMode() override { return mode_.load(); }
  // px = x * width, py = y * height, rounded to nearest, clamped to the
  // 16-bit range (not-a-number gives 0).
  acf::Result ACFCALL ToViewerPoint(double x, double y, int16_t* pixelX, int16_t* pixelY) override;

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  void setHitScale(uint16_t scale) { hitScale_.store(scale); }
  void setMode(int32_t mode) { mode_.store(mode); }
  void setTime(double time) { time_.store(time); }
  double time() const { return time_.load(); }
  void setAspect(double aspect) { aspect_.store(aspect); }

  // The pixel at (x, y) as 0xAARRGGBB; 0 outside the bitmap.
  uint32_t pixel(int32_t x, int32_t y) const;
  // Sets every pixel to `argb`.
  void fill(uint32_t argb);

 private:
  std::shared_ptr<ParameterStore> store_;
  int32_t width_;
  int32_t height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ placeholder_ = nullptr;
  uint32_t* pixels_ = nullptr;
  std::atomic<uint16_t> hitScale_{100};
  std::atomic<int32_t> mode_{0};
  std::atomic<double> time_{0.0};
  std::atomic<double> aspect_{1.0};
};

// The host's viewer window showing the effect: its context and, while
// attached, the effect's overlay, to which it passes the user's mouse and its
// requests to draw. Detaches the overlay when it goes.
class HostViewer {
 public:
  HostViewer(std::shared_ptr<Ledger> ledger, std::shared_ptr<ParameterStore> store, int32_t width, int32_t height);
  ~HostViewer();
  HostViewer(const HostViewer&) = delete;
  HostViewer& operator=(const HostViewer&) = delete;

  ViewerContext& context() { return *context_.get(); }
  const ViewerContext& context() const { return *context_.get(); }
  acf::OverlayContext* overlayContext() { return context_.get(); }

  // Keeps the overlay and attaches it to this viewer's context; returns
  // Attach's result (the overlay is kept only when it succeeds).
  acf::Result attach(CountedRef<acf::Overlay> overlay);
  // Detaches and lets go of the overlay; 0 when none is attached.
  acf::Result detach();
  bool attached() const { return static_cast<bool>(overlay_); }

  // The overlay's operations, as the viewer calls them. Without an attached
  // overlay they answer 0 and do nothing.
  acf::Result draw(int32_t active);
  int32_t press(double x, double y);
  int32_t drag(double x, double y);
  int32_t release(double x, double y);

  // The viewer's time; the parameter store's current time follows it.
  void setTime(double time);
  void setMode(int32_t mode) { context().setMode(mode); }
  void setHitScale(uint16_t scale) { context().setHitScale(scale); }
  void setAspect(double aspect) { context().setAspect(aspect); }

  // Clears the picture to transparent black before the next draw.
  void clear() { context().fill(0); }
  uint32_t pixel(int32_t x, int32_t y) const { return context().pixel(x, y); }

 private:
  std::shared_ptr<ParameterStore> store_;
  CountedRef<ViewerContext> context_;
  CountedRef<acf::Overlay> overlay_;
};

}  // namespace horaz::testhost
