#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <wingdi.h>

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "testhost/frame.h"
#include "testhost/host.h"
#include "testhost/input_accessor.h"
#include "testhost/ledger.h"
#include "testhost/parameter_store.h"
#include "testhost/plugin_library.h"
#include "testhost/registration_model.h"

namespace horaz::testhost {

// A host operation on the plug-in failed while the render host set itself
// up or made an effect; `code` is what the plug-in returned.
class RenderHostError : public std::runtime_error {
 public:
  RenderHostError(const std::string& step, acf::Result code);
  acf::Result code() const { return code_; }

 private:
  acf::Result code_;
};

// How the host plays a clip: the frame rate and aspect it reports, the
// frames' pixel aspect, and whether a frame is rendered whole or by fields.
struct RenderSettings {
  double framesPerSecond = 25.0;
  // The parameter set's aspect (ParameterSet::GetAspect), 4:3 by default.
  double aspect = 4.0 / 3.0;
  // Set on both frames before every call (Frame::GetPixelAspect): a
  // pixel's height over its width. The plug-in divides horizontal extents
  // by 1 / this answer, so a pixel 64/45 as wide as high (answer 45/64)
  // gets a face 45/64 as many pixels wide as high: round on screen. Files
  // and users give the usual width over height; convert with
  // frameAnswerForPixelAspect().
  double pixelAspect = 1.0;

  // Progressive: one render call per frame, the frames declaring field mode
  // 0, the time source giving `progressiveField`. Interlaced: two calls per
  // frame, first the frames' first field at the frame's time, then the other
  // field `secondFieldDelay` frames later, the frames declaring `fieldMode`,
  // `fieldKind` and `firstField` (1 or 2, the field whose rows start at
  // row 0).
  bool interlaced = false;
  int32_t progressiveField = 0;
  int32_t fieldMode = 1;
  int32_t fieldKind = 0;
  int32_t firstField = 1;
  double secondFieldDelay = 0.5;

  // The request's value (Request::GetValue), handed back to the input
  // accessor by the plug-in.
  int32_t requestValue = 0;
};

// The frame's answer for a pixel `widthOverHeight` times as wide as it is
// high (64:45 for wide-screen PAL): its height over its width.
inline double frameAnswerForPixelAspect(double widthOverHeight) { return 1.0 / widthOverHeight; }

// One render call exactly as the host makes it: what the time source says.
struct RenderCall {
  double time = 0.0;  // in frames
  int32_t field = 0;
};

// What became of one render call.
struct RenderOutcome {
  acf::Result result = acf::kOk;
  // The arguments the plug-in asked the input frame with; none when it never
  // got that far.
  std::optional<InputFrameRequest> inputRequest;
};

// The reference host's rendering: loads the plug-in, registers it, keeps its
// parameters (every registered parameter at its default; lists without one
// at 0) and renders frames through one or more effect instances, only
// through the plug-in's four entry points and the interfaces they hand out.
//
// Every object it hands the plug-in counts in ledger(): its live count, the
// log of failable calls (the parameter reads in order, among them) and fault
// injection.
//
// Thread safety: parameters may be set and frames rendered from several
// threads at once, with one effect instance or several; each concurrent
// render needs its own pair of frames. Construction and destruction are
// single-threaded; every effect reference handed out (createEffect) must be
// released before the RenderHost goes.
class RenderHost {
 public:
  // Loads the plug-in at `pluginPath`, registers it and makes the default
  // effect instance. Throws PluginLoadError, RegistrationError or
  // RenderHostError.
  explicit RenderHost(const std::filesystem::path& pluginPath = default_plugin_path());
  ~RenderHost();
  RenderHost(const RenderHost&) = delete;
  RenderHost& operator=(const RenderHost&) = delete;

  // --- the host -------------------------------------------------------------
  Host& host() { return *host_.get(); }
  Ledger& ledger() { return *ledger_; }
  const std::shared_ptr<Ledger>& sharedLedger() const { return ledger_; }
  const RegistrationModel& model() const { return host_->model(); }
  ParameterStore& store() { return *store_; }
  const std::shared_ptr<ParameterStore>& sharedStore() const { return store_; }
  const PluginLibrary& library() const { return library_; }

  // --- effect instances -----------------------------------------------------
  // The instance made at start-up.
  acf::EffectInterface& effect() { return *effect_.get(); }
  // A new instance through ACFGetClassFactory and the factory's
  // CreateInstance. Throws RenderHostError.
  CountedRef<acf::EffectInterface> createEffect();

  // --- parameters, by their registered names ("X", "Style List") ------------
  // Throws std::invalid_argument for a name that was not registered, and for
  // a value the parameter's type cannot take.
  acf::Guid parameterId(std::string_view name) const;
  // A number for a double, integer, speed integer or boolean parameter; the
  // integer types take it truncated toward zero (saturating). Clears any
  // keyframes.
  void setNumber(std::string_view name, double value);
  // A keyframe at `time` (frames): doubles are interpolated linearly between
  // keyframes, the other types hold the keyframe at or before the time.
  void setNumberKeyframe(std::string_view name, double time, double value);
  // The 8-bit text of a text parameter (the `Start Time` pattern).
  void setText(std::string_view name, const std::string& text);
  // Raw bytes of any parameter (a 92-byte `PrivateData` record, or a value
  // of the wrong size to make reads fail).
  void setBytes(std::string_view name, std::vector<uint8_t> bytes);
  void setFontRecord(const LOGFONTW& record);
  // The parameter object's flag (Parameter::GetFlag); 1 until set.
  void setFlag(std::string_view name, int32_t flag);
  // Every parameter back to its initial value, flags to 1.
  void resetParameters();
  // The stored value at `time`, as the plug-in would read it.
  double numberAt(std::string_view name, double time) const;

  // --- frames and rendering -------------------------------------------------
  // A frame of the host, counted in the ledger. Throws std::invalid_argument
  // for a size the host cannot hold.
  CountedRef<HostFrame> makeFrame(int32_t width, int32_t height, FrameFormat format = {}) const;

  // Renders frame `frameNumber` of the clip from `input` into `output` as the
  // settings say: one call, or one per field. The frames' field mode, field
  // kind, first field and pixel aspect are set from the settings first.
  // Returns 0, or the first failing call's result (a failing first field
  // skips the second).
  acf::Result renderFrame(acf::EffectInterface& effect, double frameNumber, HostFrame& input, HostFrame& output,
                          const RenderSettings& settings = {});
  acf::Result renderFrame(double frameNumber, HostFrame& input, HostFrame& output,
                          const RenderSettings& settings = {}) {
    return renderFrame(effect(), frameNumber, input, output, settings);
  }

  // One render call with a fresh context, request, time source and output
  // set; the frames are used as they are (nothing is set on them), so any
  // frame object will do, also one that answers what no HostFrame would.
  RenderOutcome renderCall(acf::EffectInterface& effect, const RenderCall& call, acf::Frame& input, acf::Frame& output,
                           const RenderSettings& settings = {});

 private:
  PluginLibrary library_;
  std::shared_ptr<Ledger> ledger_;
  CountedRef<Host> host_;
  std::shared_ptr<ParameterStore> store_;
  acf::Guid effectClassId_{};
  CountedRef<acf::EffectInterface> effect_;
};

}  // namespace horaz::testhost
