#include "effect/clock_effect.h"

#include <string>

#include "definition/list_values.h"
#include "effect/clock_drawing.h"
#include "effect/clock_time.h"
#include "effect/frame_blend.h"
#include "effect/render_conversions.h"
#include "effect/render_parameters.h"
#include "effect/timer_text.h"
#include "host/host_object.h"
#include "module/base/boundary.h"
#include "module/base/handed_out.h"
#include "paint/draw_surface.h"
#include "paint/gdiplus_session.h"

namespace horaz {
namespace {

constexpr uint16_t kSurfaceBitCount = 32;

// The host's objects for one frame and what the render asked of them. The
// references are released in reverse order of taking.
struct RenderFrame {
  CountedRef<acf::Frame> outputRef;
  CountedRef<acf::PixelLayout> layoutRef;
  CountedRef<acf::InputAccessor> accessorRef;
  CountedRef<acf::Frame> inputRef;

  int32_t field = 0;
  double paramTime = 0.0;
  double clockFrames = 0.0;
  double framesPerSecond = 0.0;
  // The size is the host's 32-bit answer, taken as unsigned.
  int32_t width = 0;
  int32_t height = 0;
  uint32_t unsignedWidth = 0;
  uint32_t unsignedHeight = 0;
  bool topDown = true;
  float aspectFactor = 1.0f;
  RowSelection rows;

  acf::Frame& output() const { return *outputRef.get(); }
  acf::Frame& input() const { return *inputRef.get(); }
  acf::PixelLayout& layout() const { return *layoutRef.get(); }
};

// The blend reads the input frame with the output frame's width and height;
// an input that is smaller in either would be read past its rows. Sizes are
// compared as the unsigned counts the render takes them for.
bool inputCoversOutput(acf::Frame& input, uint32_t width, uint32_t height) {
  return static_cast<uint32_t>(input.GetWidth()) >= width && static_cast<uint32_t>(input.GetHeight()) >= height;
}

// Only the presence of the host's render-time interface matters.
void requireRenderInterface(acf::IUnknown* host) {
  CountedRef<acf::IUnknown> renderInterface;
  if (!host ||
      !handedOut(host->QueryInterface(acf::HostRenderInterface::kId, renderInterface.putVoid()), renderInterface))
    raiseFailure(acf::kUnexpected);
}

// Takes the output frame, its layout and the input frame from the host, in
// the order the host is asked, with the frame's time and geometry.
void takeHostObjects(RenderFrame& f, acf::IUnknown* host, acf::ParameterSet& context, acf::Request& request,
                     acf::TimeSource& timeSource, acf::OutputSet& outputs) {
  acf::Frame& output = obtained(
      outputs.GetOutputFrame(0, acf::OutputSet::kFrameId, acf::OutputSet::kSecondFrameId, f.outputRef.putVoid()),
      f.outputRef);
  const int32_t fieldMode = output.GetFieldMode();
  requireRenderInterface(host);

  const int32_t requestValue = request.GetValue();
  f.field = timeSource.GetField();
  f.paramTime = timeSource.GetTime();
  f.clockFrames = timeSource.GetTime();
  f.framesPerSecond = context.GetFramesPerSecond();

  f.width = output.GetWidth();
  f.height = output.GetHeight();
  f.unsignedWidth = static_cast<uint32_t>(f.width);
  f.unsignedHeight = static_cast<uint32_t>(f.height);

  f.topDown = obtained(output.GetPixelLayout(f.layoutRef.put()), f.layoutRef).GetRowOrder() == 0;

  acf::InputAccessor& accessor = obtained(
      context.GetInputAccessor(0, acf::InputAccessor::kId, acf::InputAccessor::kSecondId, f.accessorRef.putVoid()),
      f.accessorRef);
  acf::Frame& input = obtained(accessor.GetInputFrame(requestValue, f.field, fieldMode, f.inputRef.put()), f.inputRef);
  if (!inputCoversOutput(input, f.unsignedWidth, f.unsignedHeight)) raiseFailure(acf::kUnexpected);

  f.aspectFactor = aspectFactorOf(output.GetPixelAspect());
  f.rows = rowsToWrite(fieldMode, output.GetFieldKind(), output.GetFirstField(), f.field);
}

// What the painters are given, converted from the parameters for this frame.
ClockDrawing clockDrawingOf(const RenderParameters& p, const RenderFrame& f) {
  ClockDrawing drawing;
  drawing.clockType = p.clockType;
  drawing.foreground = argbColour(p.foregroundOpacity, p.foregroundRed, p.foregroundGreen, p.foregroundBlue);
  drawing.background = argbColour(p.backgroundOpacity, p.backgroundRed, p.backgroundGreen, p.backgroundBlue);
  drawing.posX = percentOfExtent(f.unsignedWidth, p.x);
  drawing.posY = percentOfExtent(f.unsignedHeight, p.y);
  drawing.baseSize = clockBaseSize(f.unsignedHeight, p.size);
  drawing.aspectFactor = f.aspectFactor;
  drawing.alignment = p.alignment;
  drawing.fontRecord = p.fontRecord;
  return drawing;
}

// The frame-sized surface's device context; null for a frame without pixels,
// which has nothing to draw on and nothing to write. Only what the painter
// can reach is cleared and read: a clock covers a small part of the frame.
HDC makeSurface(DrawSurface& surface, const RenderFrame& f) {
  if (f.unsignedWidth == 0 || f.unsignedHeight == 0) return nullptr;
  const HDC dc = surface.create(f.width, f.height, kSurfaceBitCount, f.topDown, DrawSurface::Clearing::kWhereDrawn);
  // Too large, or no memory: fail rather than report a frame that was never
  // written as rendered.
  if (!dc) raiseFailure(acf::kOutOfMemory);
  return dc;
}

ClockValue clockValueOf(const RenderParameters& p, const RenderFrame& f) {
  ClockInputs inputs = p.time;
  inputs.frameTime = f.clockFrames;
  inputs.framesPerSecond = f.framesPerSecond;
  inputs.timerStyle = p.timerStyle;
  return computeClockValue(inputs);
}

// The text of the clocks that show one; the free-format pattern is read only
// for the style that expands it.
TimerText clockTextOf(const RenderParameters& p, const ClockValue& value, ParameterReader& reader,
                      acf::TimeSource& timeSource) {
  if (!showsText(p.clockType)) return {};
  const int32_t timerStyle = effectiveTimerStyle(p.timerStyle);
  const bool freeFormat = timerStyle == definition::listValue(definition::TimerStyle::kFreeFormat);
  const std::string pattern = freeFormat ? reader.readFreeFormatPattern() : std::string();
  return makeTimerText(value, timerStyle, pattern, [&timeSource] { return timeSource.GetField(); });
}

// Blends what was drawn over the input into the output, then releases the
// surface. A pixel kind the blend does not handle leaves the output as it was
// and is not an error; a layout whose answers would reach outside the pixels
// is.
acf::Result blendAndRelease(DrawSurface& surface, const RenderFrame& f) {
  BlendResult blended = BlendResult::kBlended;
  if (const uint8_t* pixels = surface.bits())
    blended = blendSurface(pixels, f.width, f.height, f.output(), f.input(), f.layout(), f.rows.startRow,
                           f.rows.rowStep, surface.readArea());
  surface.release();
  if (blended == BlendResult::kUnsafeLayout || blended == BlendResult::kInvalidArguments) return acf::kUnexpected;
  return acf::kOk;
}

}  // namespace

ClockEffect::ClockEffect(acf::IUnknown* outer) : Component(outer) {}

acf::Result ClockEffect::initialise(acf::IUnknown* host) {
  if (!host) return acf::kNullArgument;
  return guardBoundary([&] {
    host_ = CountedRef<acf::IUnknown>::share(host);
    return acf::kOk;
  });
}

acf::Result ACFCALL ClockEffect::Operation3(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {
  return acf::kNotImplemented;
}
acf::Result ACFCALL ClockEffect::Operation4(void* pointer) { return pointer ? acf::kOk : acf::kNullArgument; }
acf::Result ACFCALL ClockEffect::Operation5(int32_t, int32_t) { return acf::kOk; }
acf::Result ACFCALL ClockEffect::Operation6(int32_t, int32_t, int32_t) { return acf::kOk; }
acf::Result ACFCALL ClockEffect::Operation7(int32_t, int32_t, int32_t, int32_t, int32_t) { return acf::kOk; }

acf::Result ACFCALL ClockEffect::Render(acf::ParameterSet* context, int32_t, int32_t, acf::Request* request, int32_t,
                                        acf::TimeSource* timeSource, acf::OutputSet* outputs) {
  if (!context || !request || !timeSource || !outputs) return acf::kNullArgument;
  return guardBoundary([&] { return render(*context, *request, *timeSource, *outputs); });
}

acf::Result ClockEffect::render(acf::ParameterSet& context, acf::Request& request, acf::TimeSource& timeSource,
                                acf::OutputSet& outputs) const {
  RenderFrame frame;
  takeHostObjects(frame, host_.get(), context, request, timeSource, outputs);

  ParameterReader reader(context, frame.paramTime);
  const RenderParameters parameters = reader.readAll();
  const ClockDrawing drawing = clockDrawingOf(parameters, frame);

  // Declared before GDI+ is started, so that on an early way out GDI+ is shut
  // down first and the surface released after it, as on the normal path.
  DrawSurface surface;
  GdiplusSession gdiplus;
  const HDC surfaceDc = makeSurface(surface, frame);

  const ClockValue value = clockValueOf(parameters, frame);
  const TimerText text = clockTextOf(parameters, value, reader, timeSource);

  if (surfaceDc)
    drawClock(surfaceDc, drawing, value, text, [&surface](const PixelArea& reach) { surface.clearForDrawing(reach); });
  gdiplus.shutdown();

  return blendAndRelease(surface, frame);
}

acf::Result ACFCALL ClockEffect::Operation9(int32_t, int32_t, int32_t, int32_t, int32_t) { return acf::kOk; }
acf::Result ACFCALL ClockEffect::Operation10(int32_t, int32_t, int32_t) { return acf::kOk; }
acf::Result ACFCALL ClockEffect::Operation11(int32_t, int32_t) { return acf::kOk; }

acf::Result createClockEffect(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out) {
  return createComponent<ClockEffect>(host, outer, iid, out);
}

}  // namespace horaz
