#pragma once

#include <cstdint>
#include <optional>

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "interaction/overlay_palette.h"
#include "module/base/component_base.h"

namespace horaz {

// The viewer marker that moves and resizes the clock: a small cross at the
// clock's centre and an ellipse at its extent, drawn into the viewer's device
// context, and mouse handling that writes `X`, `Y` and `Size` at the viewer's
// time. Coordinates are normalized frame coordinates (0 and 1 are the frame's
// edges); only the viewer context converts them to pixels.
//
// One instance serves one viewer and is called from that viewer's thread; it
// takes no lock. Instances on different threads share only the palette,
// which is made once.
class ClockOverlay final : public Component<acf::Overlay> {
 public:
  explicit ClockOverlay(acf::IUnknown* outer);

  // kNullArgument for a null host; otherwise holds a reference to it, given
  // back when the overlay is destroyed.
  acf::Result initialise(acf::IUnknown* host) override;

  // [3] Keeps a reference to the viewer context until Detach, the next
  // Attach (which releases the context it replaces) or destruction.
  // kNullArgument for a null context, with nothing changed.
  acf::Result ACFCALL Attach(acf::OverlayContext* context) override;
  // [4] Releases the context; the cached parameter interfaces stay. Always 0.
  acf::Result ACFCALL Detach() override;
  // [5] Draws the marker (black when `active` is 0; otherwise a blue cross,
  // white while moving, and a green ellipse, white while sizing). The pen and
  // brush selected in the device context are selected again afterwards.
  // Always 0, whether or not anything was drawn.
  acf::Result ACFCALL Draw(int32_t active) override;
  // [6] Grabs a handle under (x, y): 1 when one was grabbed, else 0.
  int32_t ACFCALL MouseDown(double x, double y, int32_t unused) override;
  // [7] The same press, through the interface's MouseDown.
  int32_t ACFCALL MouseDown2(double x, double y, int32_t unused) override;
  // [8] Writes the grabbed handle's parameters for (x, y): 1 after a
  // successful refresh, else 0. The writes' results are not examined.
  int32_t ACFCALL MouseDrag(double x, double y, int32_t unused) override;
  // [9] Lets go of both handles; always 1.
  int32_t ACFCALL MouseUp(double x, double y, int32_t unused) override;
  // [10] to [14] Do nothing and answer 0.
  acf::Result ACFCALL Operation10(double, double, int32_t) override;
  acf::Result ACFCALL Operation11(double) override;
  acf::Result ACFCALL Operation12(double) override;
  acf::Result ACFCALL Operation13(int32_t) override;
  acf::Result ACFCALL Operation14(int32_t) override;

 private:
  static constexpr int32_t kNotGrabbed = -1;
  static constexpr int32_t kGrabbed = 0;

  // Reads the viewer's time, `X`, `Y`, `Size`, the clock type and the aspect
  // into the fields below. False (with the values already stored kept) when
  // there is no context or a host call fails.
  bool refresh();
  // One value at the viewer's time from a parameter object fetched once and
  // kept; nothing when the fetch or the read fails.
  template <class Value>
  std::optional<Value> readAtViewTime(acf::ParameterSet& parameters, CountedRef<acf::Parameter>& cached,
                                      const acf::Guid& id, const acf::Guid& valueType);
  // The cross at the centre (with drag mode's diagonal cross). A shape whose
  // points the viewer cannot convert is left out.
  void drawCentreCross(HDC dc, const interaction::OverlayPalette& palette, int32_t active);
  // The ellipse at the clock's extent.
  void drawExtent(HDC dc, const interaction::OverlayPalette& palette, int32_t active);
  // Distance from the centre in units of the marker ellipse.
  double distanceTo(double x, double y) const;
  // Writes a double at viewTime; non-finite values are not stored with the
  // clip.
  void writeAtViewTime(acf::Parameter* parameter, double value) const;

  CountedRef<acf::IUnknown> host_;
  CountedRef<acf::OverlayContext> context_;
  double viewTime_ = 0.0;
  CountedRef<acf::Parameter> xParameter_;
  CountedRef<acf::Parameter> yParameter_;
  CountedRef<acf::Parameter> sizeParameter_;
  CountedRef<acf::Parameter> clockTypeParameter_;
  double centreX_ = 0.0;
  double centreY_ = 0.0;
  double extent_ = 0.0;
  int32_t clockType_ = 0;
  double halfWidthFactor_ = 0.5;
  int32_t moveGrab_ = kNotGrabbed;
  int32_t sizeGrab_ = kNotGrabbed;
  double dragOffsetX_ = 0.0;
  double dragOffsetY_ = 0.0;
};

// The overlay's ComponentCreator.
acf::Result createOverlay(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out);

}  // namespace horaz
