#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "host/render.h"
#include "testhost/host_object.h"
#include "testhost/ledger.h"

namespace horaz::testhost {

// The pixel formats the reference host renders in.
enum class PixelFormat : uint8_t {
  kRgba,    // kind 2, bytes red, green, blue, alpha
  kBgra,    // kind 2, bytes blue, green, red, alpha
  kArgb,    // kind 2, bytes alpha, red, green, blue
  kCbYCrY,  // kind 3, YCbCr 4:2:2 pairs: Cb, Y0, Cr, Y1
  kYCbYCr,  // kind 4, YCbCr 4:2:2 pairs: Y0, Cb, Y1, Cr
};

inline constexpr std::array<PixelFormat, 5> kAllPixelFormats{PixelFormat::kRgba, PixelFormat::kBgra, PixelFormat::kArgb,
                                                             PixelFormat::kCbYCrY, PixelFormat::kYCbYCr};

constexpr bool isYcc(PixelFormat format) { return format == PixelFormat::kCbYCrY || format == PixelFormat::kYCbYCr; }
// "rgba", "bgra", "argb", "cbycry", "ycbycr".
std::string_view pixelFormatName(PixelFormat format);
std::optional<PixelFormat> parsePixelFormat(std::string_view name);

// How a frame lays out its memory.
struct FrameFormat {
  PixelFormat pixels = PixelFormat::kBgra;
  // YCbCr only. When set the layout answers the pairing flag with 1 and a
  // pixel step of 2 bytes (one pixel of a pair); otherwise 0 and 4 bytes
  // (one pair).
  bool pairingFlag = false;
  // Row order 1: memory row 0 is the bottom of the picture.
  bool bottomUp = false;
  // Extra bytes after each row's pixels; an odd count makes rows unaligned.
  int32_t rowPadding = 0;
  // The first row starts this many bytes past a 64-byte boundary.
  int32_t baseOffset = 0;
};

// An 8-bit colour. Alpha is the fourth component of RGB-type frames; YCbCr
// frames have none (read as 255, ignored when written).
struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t alpha = 255;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Full-range BT.601 conversion, rounded to nearest and clamped to 0..255:
// Y = 0.299 R + 0.587 G + 0.114 B, Cb = 128 - 0.168736 R - 0.331264 G + 0.5 B,
// Cr = 128 + 0.5 R - 0.418688 G - 0.081312 B, and its inverse.
struct Ycc {
  uint8_t y = 0;
  uint8_t cb = 128;
  uint8_t cr = 128;
};
Ycc rgbToYcc(Rgb colour);
Rgb yccToRgb(Ycc colour);

// What a pixel layout object answers. A frame derives them from its format;
// tests may change them afterwards to play a host that answers nonsense.
struct LayoutAnswers {
  int32_t kind = 2;
  int32_t componentCount = 4;
  // Byte offsets of components 0..7 (0 red, 1 green, 2 blue, 3 alpha; 4 first
  // luma, 5 second luma, 6 Cb, 7 Cr); -1 where the format has none.
  std::array<int32_t, 8> offsets{-1, -1, -1, -1, -1, -1, -1, -1};
  int32_t pixelStep = 4;
  int32_t rowOrder = 0;
  int32_t pairingFlag = 0;
};
LayoutAnswers layoutAnswersFor(const FrameFormat& format);

class HostPixelLayout final : public HostObject<acf::PixelLayout> {
 public:
  HostPixelLayout(std::shared_ptr<Ledger> ledger, LayoutAnswers answers);

  int32_t ACFCALL GetKind() override { return answers_.kind; }
  int32_t ACFCALL GetComponentCount() override { return answers_.componentCount; }
  // -1 for an index the layout does not have.
  int32_t ACFCALL GetComponentOffset(int32_t index) override;
  int32_t ACFCALL GetPixelStep(int32_t plane) override;
  int32_t ACFCALL GetRowOrder() override { return answers_.rowOrder; }
  int32_t ACFCALL GetPairingFlag() override { return answers_.pairingFlag; }

  // Not to be changed while a render uses the layout.
  LayoutAnswers& answers() { return answers_; }

 private:
  LayoutAnswers answers_;
};

// A frame of the reference host: owns its pixels, answers the frame
// interface, and hands out one pixel layout object (shared, referenced).
//
// Rows: GetRow(y) is memory row y. With row order 0 that is picture row y
// (top-down); with row order 1 it is picture row height - 1 - y, as in a
// bottom-up bitmap. The plug-in's surface is made top-down exactly when the
// row order is 0, so surface row y and frame row y are always the same
// picture row. The pixel helpers below take picture coordinates (y = 0 is
// the top).
//
// YCbCr rows hold (width + 1) / 2 pairs; in a frame of odd width the last
// pair's second luma is outside the picture.
//
// One render call uses a frame at a time; the GetRow counters are atomic.
class HostFrame final : public HostObject<acf::Frame> {
 public:
  // Throws std::invalid_argument for a negative size or one whose buffer
  // would not fit in memory addresses.
  HostFrame(std::shared_ptr<Ledger> ledger, int32_t width, int32_t height, FrameFormat format);
  ~HostFrame() override;

  // --- acf::Frame ---
  int32_t ACFCALL GetWidth() override { return width_; }
  int32_t ACFCALL GetHeight() override { return height_; }
  int32_t ACFCALL GetFieldMode() override { return fieldMode_; }
  int32_t ACFCALL GetFieldKind() override { return fieldKind_; }
  // Fails through the ledger as "Frame.GetPixelLayout".
  acf::Result ACFCALL GetPixelLayout(acf::PixelLayout** out) override;
  // A pixel's height over its width (see RenderSettings::pixelAspect).
  double ACFCALL GetPixelAspect() override { return pixelAspect_; }
  int32_t ACFCALL GetFirstField() override { return firstField_; }
  // Memory row y of plane 0; null for a row outside the frame, another
  // plane, or a row set to answer null.
  uint8_t* ACFCALL GetRow(int32_t y, int32_t plane) override;

  // --- the host's side ---
  void setFieldMode(int32_t mode) { fieldMode_ = mode; }
  void setFieldKind(int32_t kind) { fieldKind_ = kind; }
  void setFirstField(int32_t field) { firstField_ = field; }
  void setPixelAspect(double aspect) { pixelAspect_ = aspect; }
  // Makes GetRow answer null for memory row y (a host that has no row).
  void setNullRow(int32_t y, bool null = true);
  // From now until the next call, the frame's rows are the caller's memory
  // at `firstRow`, laid out as this frame's own (stride() bytes apart); null
  // gives the frame its own pixels back. A host handed a new buffer for each
  // frame renders straight from and into it instead of copying it in and out.
  void usePixelsAt(uint8_t* firstRow) { firstRow_ = firstRow ? firstRow : ownFirstRow_; }

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  const FrameFormat& format() const { return format_; }
  HostPixelLayout& layout() { return *layout_; }
  // Bytes from one memory row to the next, and bytes of pixels in a row
  // (width x 4 for RGB-type, pairs x 4 for YCbCr).
  int32_t stride() const { return stride_; }
  int32_t rowBytes() const { return rowBytes_; }

  uint8_t* memoryRow(int32_t y);
  const uint8_t* memoryRow(int32_t y) const;
  std::span<const uint8_t> memoryRowBytes(int32_t y) const { return {memoryRow(y), static_cast<size_t>(rowBytes_)}; }
  // Memory row of picture row y.
  int32_t memoryRowOf(int32_t pictureY) const { return format_.bottomUp ? height_ - 1 - pictureY : pictureY; }

  // Picture coordinates. In YCbCr, setting a pixel writes its luma and, for
  // the even pixel of a pair, the pair's chroma (the chroma of a pair comes
  // from its first pixel, as in the plug-in's blend).
  void setPixelRgb(int32_t x, int32_t y, Rgb colour);
  Rgb pixelRgb(int32_t x, int32_t y) const;
  void fillRgb(Rgb colour);
  // Copies the pixels of every picture row from a frame of the same size and
  // pixel format (row order and padding may differ).
  void copyPixelsFrom(const HostFrame& other);

  // How often GetRow was asked for memory row y, and how often with a plane
  // other than 0, since construction or the last reset.
  uint32_t rowRequests(int32_t y) const;
  uint32_t otherPlaneRequests() const { return otherPlaneRequests_.load(); }
  void resetRowRequests();

 private:
  int32_t width_;
  int32_t height_;
  FrameFormat format_;
  int32_t rowBytes_ = 0;
  int32_t stride_ = 0;
  struct FreeStorage {
    void operator()(uint8_t* bytes) const noexcept { std::free(bytes); }
  };
  std::unique_ptr<uint8_t, FreeStorage> storage_;
  uint8_t* ownFirstRow_ = nullptr;
  uint8_t* firstRow_ = nullptr;
  std::unique_ptr<std::atomic<uint32_t>[]> rowRequests_;
  std::unique_ptr<bool[]> nullRows_;
  std::atomic<uint32_t> otherPlaneRequests_{0};
  HostPixelLayout* layout_;  // one reference held until destruction
  int32_t fieldMode_ = 0;
  int32_t fieldKind_ = 0;
  int32_t firstField_ = 1;
  double pixelAspect_ = 1.0;
};

}  // namespace horaz::testhost
