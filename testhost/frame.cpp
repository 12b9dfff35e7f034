#include "testhost/frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "testhost/frame_memory.h"

namespace horaz::testhost {
namespace {

constexpr size_t kAlignment = 64;

struct FormatInfo {
  PixelFormat format;
  std::string_view name;
  int32_t kind;
  // RGB-type: offsets of red, green, blue, alpha. YCbCr: of Y0, Y1, Cb, Cr.
  std::array<int32_t, 4> offsets;
};

constexpr std::array<FormatInfo, 5> kFormats{{
    {PixelFormat::kRgba, "rgba", 2, {0, 1, 2, 3}},
    {PixelFormat::kBgra, "bgra", 2, {2, 1, 0, 3}},
    {PixelFormat::kArgb, "argb", 2, {1, 2, 3, 0}},
    {PixelFormat::kCbYCrY, "cbycry", 3, {1, 3, 0, 2}},
    {PixelFormat::kYCbYCr, "ycbycr", 4, {0, 2, 1, 3}},
}};

const FormatInfo& infoFor(PixelFormat format) {
  for (const FormatInfo& info : kFormats) {
    if (info.format == format) return info;
  }
  throw std::invalid_argument("unknown pixel format");
}

uint8_t toByte(double value) { return static_cast<uint8_t>(std::clamp(std::floor(value + 0.5), 0.0, 255.0)); }

}  // namespace

std::string_view pixelFormatName(PixelFormat format) { return infoFor(format).name; }

std::optional<PixelFormat> parsePixelFormat(std::string_view name) {
  for (const FormatInfo& info : kFormats) {
    if (info.name == name) return info.format;
  }
  return std::nullopt;
}

Ycc rgbToYcc(Rgb c) {
  const double r = c.red, g = c.green, b = c.blue;
  return Ycc{toByte(0.299 * r + 0.587 * g + 0.114 * b), toByte(128.0 - 0.168736 * r - 0.331264 * g + 0.5 * b),
             toByte(128.0 + 0.5 * r - 0.418688 * g - 0.081312 * b)};
}

Rgb yccToRgb(Ycc c) {
  const double y = c.y, cb = c.cb - 128.0, cr = c.cr - 128.0;
  return Rgb{toByte(y + 1.402 * cr), toByte(y - 0.344136 * cb - 0.714136 * cr), toByte(y + 1.772 * cb), 255};
}

LayoutAnswers layoutAnswersFor(const FrameFormat& format) {
  const FormatInfo& info = infoFor(format.pixels);
  LayoutAnswers answers;
  answers.kind = info.kind;
  answers.rowOrder = format.bottomUp ? 1 : 0;
  if (isYcc(format.pixels)) {
    answers.componentCount = 3;  // Y, Cb, Cr
    for (size_t i = 0; i < 4; ++i) answers.offsets[4 + i] = info.offsets[i];
    answers.pairingFlag = format.pairingFlag ? 1 : 0;
    answers.pixelStep = format.pairingFlag ? 2 : 4;
  } else {
    answers.componentCount = 4;
    for (size_t i = 0; i < 4; ++i) answers.offsets[i] = info.offsets[i];
    answers.pixelStep = 4;
  }
  return answers;
}

// --- HostPixelLayout ---------------------------------------------------------

HostPixelLayout::HostPixelLayout(std::shared_ptr<Ledger> ledger, LayoutAnswers answers)
    : HostObject(std::move(ledger)), answers_(answers) {}

int32_t ACFCALL HostPixelLayout::GetComponentOffset(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(answers_.offsets.size())) return -1;
  return answers_.offsets[static_cast<size_t>(index)];
}

int32_t ACFCALL HostPixelLayout::GetPixelStep(int32_t plane) { return plane == 0 ? answers_.pixelStep : 0; }

// --- HostFrame ---------------------------------------------------------------

HostFrame::HostFrame(std::shared_ptr<Ledger> ledger, int32_t width, int32_t height, FrameFormat format)
    : HostObject(ledger), width_(width), height_(height), format_(format) {
  if (width < 0 || height < 0 || format.rowPadding < 0 || format.baseOffset < 0) {
    throw std::invalid_argument("negative frame size, padding or offset");
  }
  const int64_t pixelBytes = isYcc(format.pixels) ? (int64_t{width} + 1) / 2 * 4 : int64_t{width} * 4;
  const int64_t stride = pixelBytes + format.rowPadding;
  const int64_t total = stride * height + format.baseOffset + static_cast<int64_t>(kAlignment);
  if (stride > std::numeric_limits<int32_t>::max() || total > std::numeric_limits<int32_t>::max()) {
    throw std::invalid_argument("frame too large");
  }
  rowBytes_ = static_cast<int32_t>(pixelBytes);
  stride_ = static_cast<int32_t>(stride);
  // Zeroed by calloc, which takes a large block straight from the kernel's
  // zeroed pages instead of clearing it again; nothing has touched them yet.
  storage_.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(total), 1)));
  if (!storage_) throw std::bad_alloc();
  adviseHugePages(storage_.get(), static_cast<size_t>(total));
  const auto address = reinterpret_cast<uintptr_t>(storage_.get());
  const size_t alignPad = (kAlignment - address % kAlignment) % kAlignment;
  ownFirstRow_ = storage_.get() + alignPad + static_cast<size_t>(format.baseOffset);
  firstRow_ = ownFirstRow_;
  rowRequests_ = std::make_unique<std::atomic<uint32_t>[]>(static_cast<size_t>(height));
  nullRows_ = std::make_unique<bool[]>(static_cast<size_t>(height));
  layout_ = make<HostPixelLayout>(std::move(ledger), layoutAnswersFor(format));
}

HostFrame::~HostFrame() { layout_->Release(); }

acf::Result ACFCALL HostFrame::GetPixelLayout(acf::PixelLayout** out) {
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  if (const acf::Result injected = enter("Frame.GetPixelLayout"); acf::failed(injected)) return injected;
  layout_->AddRef();
  *out = layout_;
  return acf::kOk;
}

uint8_t* ACFCALL HostFrame::GetRow(int32_t y, int32_t plane) {
  if (plane != 0) {
    otherPlaneRequests_.fetch_add(1);
    return nullptr;
  }
  if (y < 0 || y >= height_) return nullptr;
  // One render call uses a frame at a time, so a plain load and store keep
  // the count without a locked instruction on every row.
  std::atomic<uint32_t>& requests = rowRequests_[static_cast<size_t>(y)];
  requests.store(requests.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  return nullRows_[static_cast<size_t>(y)] ? nullptr : memoryRow(y);
}

void HostFrame::setNullRow(int32_t y, bool null) {
  if (y >= 0 && y < height_) nullRows_[static_cast<size_t>(y)] = null;
}

uint8_t* HostFrame::memoryRow(int32_t y) { return firstRow_ + static_cast<size_t>(y) * static_cast<size_t>(stride_); }

const uint8_t* HostFrame::memoryRow(int32_t y) const {
  return firstRow_ + static_cast<size_t>(y) * static_cast<size_t>(stride_);
}

void HostFrame::setPixelRgb(int32_t x, int32_t y, Rgb colour) {
  if (x < 0 || x >= width_ || y < 0 || y >= height_) return;
  uint8_t* row = memoryRow(memoryRowOf(y));
  const FormatInfo& info = infoFor(format_.pixels);
  if (!isYcc(format_.pixels)) {
    uint8_t* pixel = row + static_cast<size_t>(x) * 4;
    pixel[info.offsets[0]] = colour.red;
    pixel[info.offsets[1]] = colour.green;
    pixel[info.offsets[2]] = colour.blue;
    pixel[info.offsets[3]] = colour.alpha;
    return;
  }
  uint8_t* pair = row + static_cast<size_t>(x / 2) * 4;
  const Ycc ycc = rgbToYcc(colour);
  pair[info.offsets[x % 2]] = ycc.y;
  if (x % 2 == 0) {
    pair[info.offsets[2]] = ycc.cb;
    pair[info.offsets[3]] = ycc.cr;
  }
}

Rgb HostFrame::pixelRgb(int32_t x, int32_t y) const {
  if (x < 0 || x >= width_ || y < 0 || y >= height_) return Rgb{};
  const uint8_t* row = memoryRow(memoryRowOf(y));
  const FormatInfo& info = infoFor(format_.pixels);
  if (!isYcc(format_.pixels)) {
    const uint8_t* pixel = row + static_cast<size_t>(x) * 4;
    return Rgb{pixel[info.offsets[0]], pixel[info.offsets[1]], pixel[info.offsets[2]], pixel[info.offsets[3]]};
  }
  const uint8_t* pair = row + static_cast<size_t>(x / 2) * 4;
  return yccToRgb(Ycc{pair[info.offsets[x % 2]], pair[info.offsets[2]], pair[info.offsets[3]]});
}

void HostFrame::fillRgb(Rgb colour) {
  for (int32_t y = 0; y < height_; ++y) {
    for (int32_t x = 0; x < width_; ++x) setPixelRgb(x, y, colour);
  }
}

void HostFrame::copyPixelsFrom(const HostFrame& other) {
  if (other.width_ != width_ || other.height_ != height_ || other.format_.pixels != format_.pixels) {
    throw std::invalid_argument("frames differ in size or pixel format");
  }
  for (int32_t y = 0; y < height_; ++y) {
    std::memcpy(memoryRow(memoryRowOf(y)), other.memoryRow(other.memoryRowOf(y)), static_cast<size_t>(rowBytes_));
  }
}

uint32_t HostFrame::rowRequests(int32_t y) const {
  if (y < 0 || y >= height_) return 0;
  return rowRequests_[static_cast<size_t>(y)].load();
}

void HostFrame::resetRowRequests() {
  for (int32_t y = 0; y < height_; ++y) rowRequests_[static_cast<size_t>(y)].store(0);
  otherPlaneRequests_.store(0);
}

}  // namespace horaz::testhost
