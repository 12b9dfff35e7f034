#pragma once

#include <cstdint>

#include "host/panel.h"
#include "host/parameters.h"
#include "host/render.h"
#include "host/unknown.h"
#include "host/viewer.h"

// The interfaces the plug-in implements for the host.
namespace acf {

struct ComponentClassFactory : IUnknown {
  static constexpr Guid kId = makeGuid("{80996EEE-7FCF-11D6-ACA8-00306542A024}");

  // [3] Makes one component; `outer` aggregates it and then only IUnknown may
  // be asked for.
  virtual Result ACFCALL CreateInstance(IUnknown* host, IUnknown* outer, const Guid& iid, void** out) = 0;

 protected:
  ~ComponentClassFactory() = default;
};

// The clock effect. May be called on any host thread, several renders at once.
struct EffectInterface : IUnknown {
  static constexpr Guid kId = makeGuid("{31FF7105-88A3-4496-9DCA-C2A208623B5B}");

  // [3] Unused by the clock: answers kNotImplemented.
  virtual Result ACFCALL Operation3(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) = 0;
  // [4] Unused: checks only that `pointer` is set (0, else kNullArgument)
  // and writes nothing through it.
  virtual Result ACFCALL Operation4(void* pointer) = 0;
  // [5] to [7] Unused: the clock keeps no state around renders; answer 0.
  virtual Result ACFCALL Operation5(int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation6(int32_t, int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation7(int32_t, int32_t, int32_t, int32_t, int32_t) = 0;
  // [8] Renders one frame or field into the output set.
  virtual Result ACFCALL Render(ParameterSet* context, int32_t, int32_t, Request* request, int32_t,
                                TimeSource* timeSource, OutputSet* outputs) = 0;
  // [9] to [11] Unused: answer 0.
  virtual Result ACFCALL Operation9(int32_t, int32_t, int32_t, int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation10(int32_t, int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation11(int32_t, int32_t) = 0;

 protected:
  ~EffectInterface() = default;
};

// Brings the panel's time controls in line with the timer style.
struct UpdateHandler : IUnknown {
  static constexpr Guid kId = makeGuid("{64960940-3F12-4C5D-A311-24915DCD152A}");

  // [3] Switches the start and stop time controls of `layout` on or off for
  // the timer style the parameters hold at the time source's time.
  virtual Result ACFCALL UpdateParams(ParameterSet* parameters, IUnknown* second, TimeSource* timeSource, Panel* layout,
                                      int32_t fifth) = 0;

 protected:
  ~UpdateHandler() = default;
};

// "Digital Clock: Select Font". Runs on the host's user-interface thread and
// blocks it while the modal dialog is open.
struct FontSelectionAction : IUnknown {
  static constexpr Guid kId = makeGuid("{3E5FDC33-F7DE-4DB2-8578-B7C3443545CA}");

  // [3] Shows the font dialog and stores the confirmed font in the effect's
  // private parameter; `second` and `third` are not used.
  virtual Result ACFCALL SelectFont(ParameterSet* parameters, void* second, void* third) = 0;

 protected:
  ~FontSelectionAction() = default;
};

// The viewer marker that moves and resizes the clock. Coordinates are
// normalized frame coordinates (0 and 1 are the frame's edges).
struct Overlay : IUnknown {
  static constexpr Guid kId = makeGuid("{E4CA3553-C74F-4BDC-877F-52DEB921A002}");

  // [3] Starts showing the marker in the viewer `context` describes.
  virtual Result ACFCALL Attach(OverlayContext* context) = 0;
  // [4] Stops showing it; the viewer context is given back.
  virtual Result ACFCALL Detach() = 0;
  // [5] Draws the marker into the viewer, highlighted when `active` is set.
  virtual Result ACFCALL Draw(int32_t active) = 0;
  // [6] A mouse press at (x, y): 1 when it grabbed the marker, else 0.
  virtual int32_t ACFCALL MouseDown(double x, double y, int32_t unused) = 0;
  // [7] A second kind of press, answered as MouseDown.
  virtual int32_t ACFCALL MouseDown2(double x, double y, int32_t unused) = 0;
  // [8] The mouse moved to (x, y) with the marker grabbed: moves or resizes
  // the clock; 1 when the viewer was refreshed, else 0.
  virtual int32_t ACFCALL MouseDrag(double x, double y, int32_t unused) = 0;
  // [9] The press ended: lets go of the marker; always 1.
  virtual int32_t ACFCALL MouseUp(double x, double y, int32_t unused) = 0;
  // [10] to [14] Unused: do nothing and answer 0.
  virtual Result ACFCALL Operation10(double, double, int32_t) = 0;
  virtual Result ACFCALL Operation11(double) = 0;
  virtual Result ACFCALL Operation12(double) = 0;
  virtual Result ACFCALL Operation13(int32_t) = 0;
  virtual Result ACFCALL Operation14(int32_t) = 0;

 protected:
  ~Overlay() = default;
};

}  // namespace acf
