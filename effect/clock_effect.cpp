#include "effect/clock_effect.h"

#include <string>

#include "effect/clock_drawing.h"
#include "effect/clock_time.h"
#include "effect/frame_blend.h"
#include "effect/gdiplus_session.h"
#include "effect/render_conversions.h"
#include "effect/render_parameters.h"
#include "effect/timer_text.h"
#include "host/host_object.h"
#include "module/base/boundary.h"
#include "paint/draw_surface.h"

namespace horaz {
namespace {

constexpr uint16_t kSurfaceBitCount = 32;
constexpr int32_t kFreeFormatStyle = 13;

// A host operation that hands out an object: its failure is raised, and so is
// a success that handed out nothing.
template <class Interface>
Interface& obtained(acf::Result result, const CountedRef<Interface>& object) {
  check(result);
  if (!object) raiseFailure(acf::kUnexpected);
  return *object.get();
}

// The blend reads the input frame with the output frame's width and height;
// an input that is smaller in either would be read past its rows. Sizes are
// compared as the unsigned counts the render takes them for.
bool inputCoversOutput(acf::Frame& input, uint32_t width, uint32_t height) {
  return static_cast<uint32_t>(input.GetWidth()) >= width && static_cast<uint32_t>(input.GetHeight()) >= height;
}

ClockInputs clockInputsOf(const RenderParameters& p, double clockFrames, double framesPerSecond) {
  ClockInputs inputs = p.time;
  inputs.frameTime = clockFrames;
  inputs.framesPerSecond = framesPerSecond;
  inputs.timerStyle = p.timerStyle;
  return inputs;
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
  // Host objects, released on every way out in reverse order of taking.
  CountedRef<acf::Frame> outputRef;
  acf::Frame& output = obtained(
      outputs.GetOutputFrame(0, acf::OutputSet::kFrameId, acf::OutputSet::kSecondFrameId, outputRef.putVoid()),
      outputRef);
  const int32_t fieldMode = output.GetFieldMode();

  // Only the presence of the render-time interface matters.
  {
    CountedRef<acf::IUnknown> renderInterface;
    if (!host_ || acf::failed(host_->QueryInterface(acf::HostRenderInterface::kId, renderInterface.putVoid())) ||
        !renderInterface)
      return acf::kUnexpected;
  }

  const int32_t requestValue = request.GetValue();
  const int32_t field = timeSource.GetField();
  const double paramTime = timeSource.GetTime();
  const double clockFrames = timeSource.GetTime();
  const double framesPerSecond = context.GetFramesPerSecond();

  // The size is the host's 32-bit answer, taken as unsigned.
  const int32_t width = output.GetWidth();
  const int32_t height = output.GetHeight();
  const uint32_t unsignedWidth = static_cast<uint32_t>(width);
  const uint32_t unsignedHeight = static_cast<uint32_t>(height);

  CountedRef<acf::PixelLayout> layoutRef;
  acf::PixelLayout& layout = obtained(output.GetPixelLayout(layoutRef.put()), layoutRef);
  const bool topDown = layout.GetRowOrder() == 0;

  CountedRef<acf::InputAccessor> accessorRef;
  acf::InputAccessor& accessor = obtained(
      context.GetInputAccessor(0, acf::InputAccessor::kId, acf::InputAccessor::kSecondId, accessorRef.putVoid()),
      accessorRef);
  CountedRef<acf::Frame> inputRef;
  acf::Frame& input = obtained(accessor.GetInputFrame(requestValue, field, fieldMode, inputRef.put()), inputRef);
  if (!inputCoversOutput(input, unsignedWidth, unsignedHeight)) return acf::kUnexpected;

  const float aspectFactor = aspectFactorOf(output.GetPixelAspect());
  const RowSelection rows = rowsToWrite(fieldMode, output.GetFieldKind(), output.GetFirstField(), field);

  ParameterReader reader(context, paramTime);
  const RenderParameters parameters = reader.readAll();

  ClockDrawing drawing;
  drawing.clockType = parameters.clockType;
  drawing.foreground = argbColour(parameters.foregroundOpacity, parameters.foregroundRed,
                                  parameters.foregroundGreen, parameters.foregroundBlue);
  drawing.background = argbColour(parameters.backgroundOpacity, parameters.backgroundRed,
                                  parameters.backgroundGreen, parameters.backgroundBlue);
  drawing.posX = percentOfExtent(unsignedWidth, parameters.x);
  drawing.posY = percentOfExtent(unsignedHeight, parameters.y);
  drawing.baseSize = clockBaseSize(unsignedHeight, parameters.size);
  drawing.aspectFactor = aspectFactor;
  drawing.alignment = parameters.alignment;
  drawing.fontRecord = parameters.fontRecord;
  const int32_t timerStyle = effectiveTimerStyle(parameters.timerStyle);

  // Declared before GDI+ is started, so that on an early way out GDI+ is shut
  // down first and the surface released after it, as on the normal path.
  DrawSurface surface;
  GdiplusSession gdiplus;

  // A frame without pixels has nothing to draw on and nothing to write.
  HDC surfaceDc = nullptr;
  if (unsignedWidth != 0 && unsignedHeight != 0) {
    // Only what the painter can reach is cleared and read: a clock covers a
    // small part of the frame.
    surfaceDc = surface.create(width, height, kSurfaceBitCount, topDown, DrawSurface::Clearing::kWhereDrawn);
    // Too large, or no memory: fail rather than report a frame that was
    // never written as rendered.
    if (!surfaceDc) raiseFailure(acf::kOutOfMemory);
  }

  const ClockValue value = computeClockValue(clockInputsOf(parameters, clockFrames, framesPerSecond));
  TimerText text;
  if (showsText(parameters.clockType)) {
    const std::string pattern = timerStyle == kFreeFormatStyle ? reader.readFreeFormatPattern() : std::string();
    text = makeTimerText(value, timerStyle, pattern, [&timeSource] { return timeSource.GetField(); });
  }

  if (surfaceDc)
    drawClock(surfaceDc, drawing, value, text, [&surface](const PixelArea& reach) { surface.clearForDrawing(reach); });
  gdiplus.shutdown();

  BlendResult blended = BlendResult::kBlended;
  if (const uint8_t* pixels = surface.bits())
    blended = blendSurface(pixels, width, height, output, input, layout, rows.startRow, rows.rowStep,
                           surface.readArea());
  surface.release();

  // A pixel kind the blend does not handle leaves the output as it was and is
  // not an error; a layout whose answers would reach outside the pixels is.
  if (blended == BlendResult::kUnsafeLayout || blended == BlendResult::kInvalidArguments) return acf::kUnexpected;
  return acf::kOk;
}

acf::Result ACFCALL ClockEffect::Operation9(int32_t, int32_t, int32_t, int32_t, int32_t) { return acf::kOk; }
acf::Result ACFCALL ClockEffect::Operation10(int32_t, int32_t, int32_t) { return acf::kOk; }
acf::Result ACFCALL ClockEffect::Operation11(int32_t, int32_t) { return acf::kOk; }

acf::Result createClockEffect(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out) {
  return createComponent<ClockEffect>(host, outer, iid, out);
}

}  // namespace horaz
