// A whole render through the plug-in's entry points, as a host could ask for
// it: any parameter values (fonts and free-format patterns included), frames
// from 0 x 0 up to 8192 pixels a side with odd widths, padded and unaligned
// rows, every pixel layout, bottom-up rows, null rows, in-place rendering,
// every field mode, layouts that answer nonsense, frames that claim sizes no
// memory can hold, and host calls that fail.
//
// Whatever the input: no crash, no access outside the frames' pixels (the
// sanitizer sees the heap; the checks below see the padding and the rows
// that must stay as they were), no host object left alive, GDI+ shut down,
// and a failed render leaves the output exactly as it was.

#include <horaz_platform/status.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_values.h"
#include "testhost/frame.h"
#include "testhost/render_host.h"

namespace {

using horaz::CountedRef;
using horaz::fuzz::fuzzDouble;
using horaz::fuzz::fuzzInt;
using horaz::testhost::FrameFormat;
using horaz::testhost::HostFrame;
using horaz::testhost::LayoutAnswers;
using horaz::testhost::RenderHost;

// Big frames cost seconds under the sanitizers; their area is held to 2^22
// pixels (16 MiB a frame), which still allows 8192 x 512 and 2048 x 2048.
constexpr int64_t kMaxFuzzedPixels = int64_t{1} << 22;
// What the surface can hold: 4 bytes a pixel in a signed 32-bit size.
constexpr uint64_t kMaxSurfaceBytes = 0x7FFFFFFF;

RenderHost* gHost = nullptr;

constexpr const char* kNumericParameters[] = {
    "Foreground Red",
    "Foreground Green",
    "Foreground Blue",
    "Foreground Opacity",
    "Background Red",
    "Background Green",
    "Background Blue",
    "Background Opacity",
    "X",
    "Y",
    "Size",
    "Time Speed Factor",
    "Start Time Hour",
    "Start Time Minute",
    "Start Time Second",
    "Start Time Millsecond",
    "Start Time Frame",
    "Start Time Day",
    "Start Time Month",
    "Start Time Year",
    "Stop Time Hour",
    "Stop Time Minute",
    "Stop Time Second",
    "Stop Time Millsecond",
    "Stop Time Frame",
    "Count Down",
};

// A frame that claims a size its host holds no memory for: it answers every
// query but has no rows at all, and counts who asked for one.
class PhantomFrame final : public horaz::testhost::HostObject<acf::Frame> {
 public:
  PhantomFrame(std::shared_ptr<horaz::testhost::Ledger> ledger, int32_t width, int32_t height, LayoutAnswers layout)
      : HostObject(std::move(ledger)), width_(width), height_(height), layout_(layout) {}

  int32_t ACFCALL GetWidth() override { return width_; }
  int32_t ACFCALL GetHeight() override { return height_; }
  int32_t ACFCALL GetFieldMode() override { return fieldMode; }
  int32_t ACFCALL GetFieldKind() override { return fieldKind; }
  acf::Result ACFCALL GetPixelLayout(acf::PixelLayout** out) override {
    if (const acf::Result injected = enter("Frame.GetPixelLayout"); acf::failed(injected)) return injected;
    *out = horaz::testhost::make<horaz::testhost::HostPixelLayout>(sharedLedger(), layout_);
    return acf::kOk;
  }
  double ACFCALL GetPixelAspect() override { return pixelAspect; }
  int32_t ACFCALL GetFirstField() override { return firstField; }
  uint8_t* ACFCALL GetRow(int32_t, int32_t) override {
    ++rowRequests;
    return nullptr;
  }

  int32_t fieldMode = 0;
  int32_t fieldKind = 0;
  int32_t firstField = 1;
  double pixelAspect = 1.0;
  int rowRequests = 0;

 private:
  int32_t width_;
  int32_t height_;
  LayoutAnswers layout_;
};

// Every byte of a frame's rows, padding included.
std::vector<uint8_t> snapshot(const HostFrame& frame) {
  std::vector<uint8_t> bytes;
  const size_t stride = static_cast<size_t>(frame.stride());
  bytes.reserve(stride * static_cast<size_t>(frame.height()));
  for (int32_t y = 0; y < frame.height(); ++y) {
    const uint8_t* row = frame.memoryRow(y);
    bytes.insert(bytes.end(), row, row + stride);
  }
  return bytes;
}

void fillPattern(HostFrame& frame, uint8_t seed) {
  const size_t stride = static_cast<size_t>(frame.stride());
  for (int32_t y = 0; y < frame.height(); ++y) {
    uint8_t* row = frame.memoryRow(y);
    for (size_t x = 0; x < stride; ++x) row[x] = static_cast<uint8_t>(seed + x * 7 + static_cast<size_t>(y) * 13);
  }
}

// Frame sizes: mostly small, sometimes large, now and then up to 8192 a
// side (the large ones cost a second each under the sanitizers).
std::pair<int32_t, int32_t> fuzzFrameSize(FuzzedDataProvider& data) {
  const uint8_t sizeClass = data.ConsumeIntegralInRange<uint8_t>(0, 63);
  int32_t width = 0;
  int32_t height = 0;
  if (sizeClass < 56) {
    width = data.ConsumeIntegralInRange<int32_t>(0, 67);
    height = data.ConsumeIntegralInRange<int32_t>(0, 67);
  } else if (sizeClass < 61) {
    width = data.ConsumeIntegralInRange<int32_t>(0, 1100);
    height = data.ConsumeIntegralInRange<int32_t>(0, 1100);
  } else {
    width = data.ConsumeIntegralInRange<int32_t>(0, 8192);
    height = data.ConsumeIntegralInRange<int32_t>(0, 8192);
    // Mostly a thin strip along one side.
    if (sizeClass < 63) (data.ConsumeBool() ? width : height) %= 9;
  }
  if (static_cast<int64_t>(width) * height > kMaxFuzzedPixels) height = static_cast<int32_t>(kMaxFuzzedPixels / width);
  return {width, height};
}

FrameFormat fuzzFrameFormat(FuzzedDataProvider& data) {
  FrameFormat format;
  format.pixels = horaz::testhost::kAllPixelFormats[data.ConsumeIntegralInRange<size_t>(
      0, horaz::testhost::kAllPixelFormats.size() - 1)];
  format.pairingFlag = data.ConsumeBool();
  format.bottomUp = data.ConsumeBool();
  format.rowPadding = data.ConsumeIntegralInRange<int32_t>(0, 9);
  format.baseOffset = data.ConsumeIntegralInRange<int32_t>(0, 63);
  return format;
}

// Bytes of a row that a layout's answers claim: pixels (or pairs) times the
// step, the pairing flag applied. Answers that would fail the blend's own
// checks claim nothing.
int64_t claimedRowBytes(const LayoutAnswers& answers, int32_t width) {
  const int64_t step = answers.pixelStep;
  if (step <= 0) return 0;
  if (answers.kind == 2) return answers.componentCount == 4 ? step * width : 0;
  if (answers.kind == 3 || answers.kind == 4) return (answers.pairingFlag == 1 ? 2 * step : step) * ((width + 1) / 2);
  return 0;
}

// A layout that answers nonsense, within what the frame's memory holds: the
// host's rows must really be as long as its layout says, or the fault would
// be the host's. Returns whether anything was changed.
bool lieAboutLayout(FuzzedDataProvider& data, HostFrame& frame) {
  if (data.ConsumeIntegralInRange<uint8_t>(0, 7) != 0) return false;
  const LayoutAnswers truth = frame.layout().answers();
  LayoutAnswers lie = truth;
  if (data.ConsumeBool()) lie.kind = data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(1, 5) : fuzzInt(data);
  if (data.ConsumeBool()) lie.componentCount = data.ConsumeIntegralInRange<int32_t>(-1, 9);
  for (int32_t& offset : lie.offsets)
    if (data.ConsumeBool()) offset = data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-2, 9) : fuzzInt(data);
  if (data.ConsumeBool())
    lie.pixelStep = data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 8) : fuzzInt(data);
  if (data.ConsumeBool()) lie.pairingFlag = data.ConsumeIntegralInRange<int32_t>(-1, 2);
  if (data.ConsumeBool()) lie.rowOrder = data.ConsumeIntegralInRange<int32_t>(-1, 2);
  if (claimedRowBytes(lie, frame.width()) > frame.rowBytes()) return false;
  frame.layout().answers() = lie;
  return true;
}

void setParameters(FuzzedDataProvider& data, RenderHost& host) {
  host.resetParameters();
  for (const char* name : kNumericParameters)
    if (data.ConsumeBool()) host.setNumber(name, fuzzDouble(data));
  // The lists: their items' values mostly, anything now and then.
  if (data.ConsumeBool())
    host.setNumber("the List value", data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 3) : fuzzInt(data));
  if (data.ConsumeBool())
    host.setNumber("Style List", data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 16) : fuzzInt(data));
  if (data.ConsumeBool())
    host.setNumber("Alignment List", data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 3) : fuzzInt(data));
  if (data.ConsumeBool()) host.setFlag("Time Speed Factor", fuzzInt(data));
  if (data.ConsumeBool()) host.setNumberKeyframe("X", fuzzDouble(data), fuzzDouble(data));
  if (data.ConsumeBool()) host.setText("Start Time", data.ConsumeRandomLengthString(320));
  if (data.ConsumeBool()) {
    // A font record of any bytes; now and then one of the wrong size, which
    // the host cannot hand out.
    const size_t size = data.ConsumeIntegralInRange<uint8_t>(0, 15) == 0 ? data.ConsumeIntegralInRange<size_t>(0, 200)
                                                                         : sizeof(LOGFONTW);
    std::vector<uint8_t> record = data.ConsumeBytes<uint8_t>(size);
    // Mostly a face name a host could store; every new name costs a font
    // match, which would leave little time for anything else.
    constexpr const char16_t* kFaces[] = {u"", u"Arial", u"DejaVu Sans", u"Liberation Serif", u"No Such Face"};
    if (record.size() == sizeof(LOGFONTW) && data.ConsumeIntegralInRange<uint8_t>(0, 7) != 0) {
      LOGFONTW font;
      std::memcpy(&font, record.data(), sizeof font);
      std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), u'\0');
      const std::u16string_view face = kFaces[data.ConsumeIntegralInRange<size_t>(0, std::size(kFaces) - 1)];
      std::copy(face.begin(), face.end(), font.lfFaceName);
      std::memcpy(record.data(), &font, sizeof font);
    }
    host.setBytes("PrivateData", std::move(record));
  }
}

// Now and then one of the render's host calls fails. Returns whether one will.
bool injectFault(FuzzedDataProvider& data, horaz::testhost::Ledger& ledger) {
  ledger.clearFaults();
  ledger.resetCalls();
  if (data.ConsumeIntegralInRange<uint8_t>(0, 3) != 0) return false;
  const uint64_t call = data.ConsumeIntegralInRange<uint64_t>(1, 90);
  ledger.failCall(call, acf::makeFailure(0x80FA0000u | static_cast<uint32_t>(call)));
  return true;
}

// The render through frames that claim a size no memory holds.
void renderPhantom(FuzzedDataProvider& data, RenderHost& host, const horaz::testhost::RenderCall& call,
                   const horaz::testhost::RenderSettings& settings) {
  int32_t width = fuzzInt(data);
  int32_t height = fuzzInt(data);
  if (data.ConsumeBool()) {
    width = data.ConsumeIntegralInRange<int32_t>(23171, 1 << 20);
    height = data.ConsumeIntegralInRange<int32_t>(23171, 1 << 20);
  }
  // A claimed size that memory could hold would only make a slow render
  // that writes nothing: such sizes are moved past what a surface can hold.
  const uint64_t claimed = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height);
  if (claimed > static_cast<uint64_t>(kMaxFuzzedPixels) && claimed <= kMaxSurfaceBytes / 4) width = height = 1 << 20;
  FrameFormat format = fuzzFrameFormat(data);
  const LayoutAnswers layout = horaz::testhost::layoutAnswersFor(format);
  auto output =
      CountedRef<PhantomFrame>::adopt(horaz::testhost::make<PhantomFrame>(host.sharedLedger(), width, height, layout));
  auto input =
      CountedRef<PhantomFrame>::adopt(horaz::testhost::make<PhantomFrame>(host.sharedLedger(), width, height, layout));
  output->fieldMode = input->fieldMode = data.ConsumeIntegralInRange<int32_t>(-1, 4);
  output->fieldKind = input->fieldKind = data.ConsumeIntegralInRange<int32_t>(-1, 4);
  output->firstField = input->firstField = data.ConsumeIntegralInRange<int32_t>(-1, 3);
  output->pixelAspect = input->pixelAspect = fuzzDouble(data);

  const int64_t live = host.ledger().liveObjects();
  injectFault(data, host.ledger());
  const acf::Result result = host.renderCall(host.effect(), call, *input.get(), *output.get(), settings).result;
  host.ledger().clearFaults();

  HORAZ_FUZZ_CHECK(host.ledger().liveObjects() == live);
  HORAZ_FUZZ_CHECK(horaz::platform::gdiplusStartupCount() == 0);
  // Sizes taken as unsigned counts, as the render takes them.
  const uint64_t pixels = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height);
  if (pixels != 0 && pixels > kMaxSurfaceBytes / 4) {
    HORAZ_FUZZ_CHECK(acf::failed(result));
    HORAZ_FUZZ_CHECK(output->rowRequests == 0);
  }
  if (acf::failed(result)) HORAZ_FUZZ_CHECK(output->rowRequests == 0);
}

// The rows a render writes, by memory row: every row, or for field
// rendering every second row from the field's first row.
std::vector<bool> rowsWritten(int32_t height, int32_t fieldMode, int32_t fieldKind, int32_t firstField, int32_t field) {
  int32_t start = 0;
  int32_t step = 1;
  if (((fieldMode == 2 || fieldMode == 3) && fieldKind == 3) || fieldMode == 1) {
    step = 2;
    start = firstField != field ? 1 : 0;
  }
  std::vector<bool> written(static_cast<size_t>(std::max(height, 0)), false);
  for (int32_t y = start; y < height; y += step) written[static_cast<size_t>(y)] = true;
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gHost = new RenderHost();  // kept for the whole run; the plug-in stays loaded
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  RenderHost& host = *gHost;

  setParameters(data, host);
  horaz::testhost::RenderSettings settings;
  settings.framesPerSecond = fuzzDouble(data);
  settings.aspect = fuzzDouble(data);
  settings.requestValue = fuzzInt(data);
  horaz::testhost::RenderCall call;
  call.time = fuzzDouble(data);
  call.field = data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 3) : fuzzInt(data);

  if (data.ConsumeIntegralInRange<uint8_t>(0, 15) == 0) {
    renderPhantom(data, host, call, settings);
    return 0;
  }

  const auto [width, height] = fuzzFrameSize(data);
  const FrameFormat format = fuzzFrameFormat(data);
  CountedRef<HostFrame> output = host.makeFrame(width, height, format);
  const bool inPlace = data.ConsumeIntegralInRange<uint8_t>(0, 7) == 0;
  CountedRef<HostFrame> input = inPlace ? output : host.makeFrame(width, height, format);
  fillPattern(*input.get(), data.ConsumeIntegral<uint8_t>());
  if (!inPlace) fillPattern(*output.get(), 0xA5);

  const int32_t fieldMode = data.ConsumeIntegralInRange<int32_t>(-1, 4);
  const int32_t fieldKind = data.ConsumeIntegralInRange<int32_t>(-1, 4);
  const int32_t firstField = data.ConsumeIntegralInRange<int32_t>(-1, 3);
  const double pixelAspect = fuzzDouble(data);
  for (HostFrame* frame : {input.get(), output.get()}) {
    frame->setFieldMode(fieldMode);
    frame->setFieldKind(fieldKind);
    frame->setFirstField(firstField);
    frame->setPixelAspect(pixelAspect);
  }
  const bool lied = lieAboutLayout(data, *output.get());
  std::vector<int32_t> nullRows;
  // (Bounded: an exhausted input reads as zeros.)
  while (height > 0 && nullRows.size() < 8 && data.ConsumeIntegralInRange<uint8_t>(0, 7) == 0) {
    const int32_t y = data.ConsumeIntegralInRange<int32_t>(0, height - 1);
    (data.ConsumeBool() ? input : output)->setNullRow(y);
    nullRows.push_back(y);
  }

  const std::vector<uint8_t> before = snapshot(*output.get());
  const std::vector<uint8_t> source = inPlace ? before : snapshot(*input.get());
  const int64_t live = host.ledger().liveObjects();
  const bool faulted = injectFault(data, host.ledger());
  const acf::Result result = host.renderCall(host.effect(), call, *input.get(), *output.get(), settings).result;
  host.ledger().clearFaults();

  HORAZ_FUZZ_CHECK(host.ledger().liveObjects() == live);
  HORAZ_FUZZ_CHECK(horaz::platform::gdiplusStartupCount() == 0);
  const std::vector<uint8_t> after = snapshot(*output.get());
  if (acf::failed(result)) {
    HORAZ_FUZZ_CHECK(after == before);
    return 0;
  }

  // Rows outside the written set and every row's padding stay as they were.
  const size_t stride = static_cast<size_t>(output->stride());
  const size_t rowBytes = static_cast<size_t>(output->rowBytes());
  const std::vector<bool> written = rowsWritten(height, fieldMode, fieldKind, firstField, call.field);
  for (int32_t y = 0; y < height; ++y) {
    const size_t at = static_cast<size_t>(y) * stride;
    const size_t changeable = written[static_cast<size_t>(y)] ? rowBytes : 0;
    HORAZ_FUZZ_CHECK(std::equal(after.begin() + static_cast<std::ptrdiff_t>(at + changeable),
                                after.begin() + static_cast<std::ptrdiff_t>(at + stride),
                                before.begin() + static_cast<std::ptrdiff_t>(at + changeable)));
  }
  if (lied || !nullRows.empty()) return 0;

  // In a frame of odd width the last YCbCr pair's second luma lies outside
  // the picture and is never written.
  const LayoutAnswers& layout = output->layout().answers();
  const bool ycc = horaz::testhost::isYcc(format.pixels);
  size_t outsideByte = rowBytes;  // none
  if (ycc && (width & 1)) {
    const size_t pairStep = static_cast<size_t>(layout.pixelStep) * (layout.pairingFlag == 1 ? 2 : 1);
    outsideByte = static_cast<size_t>(width / 2) * pairStep + static_cast<size_t>(layout.offsets[5]);
    for (int32_t y = 0; y < height; ++y) {
      const size_t at = static_cast<size_t>(y) * stride + outsideByte;
      HORAZ_FUZZ_CHECK(after[at] == before[at]);
    }
  }

  // A clock type without a painter draws nothing: the written rows are the
  // input's pixels.
  const double clockType = host.numberAt("the List value", call.time);
  if (faulted || inPlace || clockType == 0 || clockType == 1 || clockType == 2) return 0;
  for (int32_t y = 0; y < height; ++y) {
    if (!written[static_cast<size_t>(y)]) continue;
    const size_t at = static_cast<size_t>(y) * stride;
    for (size_t x = 0; x < rowBytes; ++x)
      if (x != outsideByte) HORAZ_FUZZ_CHECK(after[at + x] == source[at + x]);
  }
  return 0;
}
