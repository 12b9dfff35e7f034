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

  virtual Result ACFCALL Operation3(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation4(void* pointer) = 0;
  virtual Result ACFCALL Operation5(int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation6(int32_t, int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation7(int32_t, int32_t, int32_t, int32_t, int32_t) = 0;
  // [8] Renders one frame or field into the output set.
  virtual Result ACFCALL Render(ParameterSet* context, int32_t, int32_t, Request* request, int32_t,
                                TimeSource* timeSource, OutputSet* outputs) = 0;
  virtual Result ACFCALL Operation9(int32_t, int32_t, int32_t, int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation10(int32_t, int32_t, int32_t) = 0;
  virtual Result ACFCALL Operation11(int32_t, int32_t) = 0;

 protected:
  ~EffectInterface() = default;
};

// Brings the panel's time controls in line with the timer style.
struct UpdateHandler : IUnknown {
  static constexpr Guid kId = makeGuid("{64960940-3F12-4C5D-A311-24915DCD152A}");

  // [3]
  virtual Result ACFCALL UpdateParams(ParameterSet* parameters, IUnknown* second, TimeSource* timeSource,
                                      Panel* layout, int32_t fifth) = 0;

 protected:
  ~UpdateHandler() = default;
};

// "Digital Clock: Select Font". Runs on the host's user-interface thread and
// blocks it while the modal dialog is open.
struct FontSelectionAction : IUnknown {
  static constexpr Guid kId = makeGuid("{3E5FDC33-F7DE-4DB2-8578-B7C3443545CA}");

  // [3]
  virtual Result ACFCALL SelectFont(ParameterSet* parameters, void* second, void* third) = 0;

 protected:
  ~FontSelectionAction() = default;
};

// The viewer marker that moves and resizes the clock. Coordinates are
// normalized frame coordinates (0 and 1 are the frame's edges).
struct Overlay : IUnknown {
  static constexpr Guid kId = makeGuid("{E4CA3553-C74F-4BDC-877F-52DEB921A002}");

  virtual Result ACFCALL Attach(OverlayContext* context) = 0;                   // [3]
  virtual Result ACFCALL Detach() = 0;                                          // [4]
  virtual Result ACFCALL Draw(int32_t active) = 0;                              // [5]
  virtual int32_t ACFCALL MouseDown(double x, double y, int32_t unused) = 0;    // [6]
  virtual int32_t ACFCALL MouseDown2(double x, double y, int32_t unused) = 0;   // [7]
  virtual int32_t ACFCALL MouseDrag(double x, double y, int32_t unused) = 0;    // [8]
  virtual int32_t ACFCALL MouseUp(double x, double y, int32_t unused) = 0;      // [9]
  virtual Result ACFCALL Operation10(double, double, int32_t) = 0;             // [10]
  virtual Result ACFCALL Operation11(double) = 0;                              // [11]
  virtual Result ACFCALL Operation12(double) = 0;                              // [12]
  virtual Result ACFCALL Operation13(int32_t) = 0;                             // [13]
  virtual Result ACFCALL Operation14(int32_t) = 0;                             // [14]

 protected:
  ~Overlay() = default;
};

}  // namespace acf
