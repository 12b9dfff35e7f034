// Windows: PNG pictures are read and written with the system's GDI+ codecs.
#include "cli/media/png_io.h"

#include <objidl.h>

#include <gdiplusflat.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace horaz::cli {
namespace {

// The system's PNG encoder.
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// GDI+ running for one call.
class GdiplusRunning {
 public:
  GdiplusRunning() {
    GdiplusStartupInput input;
    if (GdiplusStartup(&token_, &input, nullptr) != Ok) throw std::runtime_error("PNG: GDI+ does not start");
  }
  ~GdiplusRunning() { GdiplusShutdown(token_); }
  GdiplusRunning(const GdiplusRunning&) = delete;
  GdiplusRunning& operator=(const GdiplusRunning&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

struct BitmapDeleter {
  void operator()(GpBitmap* bitmap) const { GdipDisposeImage(bitmap); }
};
using OwnedBitmap = std::unique_ptr<GpBitmap, BitmapDeleter>;

struct StreamRelease {
  void operator()(IStream* stream) const { stream->Release(); }
};

}  // namespace

RgbaPicture readPng(const std::string& path) {
  const GdiplusRunning running;
  GpBitmap* loaded = nullptr;
  const std::wstring widePath = std::filesystem::path(path).wstring();
  if (GdipCreateBitmapFromFile(widePath.c_str(), &loaded) != Ok || !loaded)
    throw std::runtime_error(path + ": cannot read as PNG");
  const OwnedBitmap bitmap(loaded);
  UINT width = 0, height = 0;
  GdipGetImageWidth(bitmap.get(), &width);
  GdipGetImageHeight(bitmap.get(), &height);
  if (width == 0 || height == 0 || width > 65536 || height > 65536 || uint64_t{width} * height > (uint64_t{1} << 28))
    throw std::runtime_error(path + ": unsupported PNG size");
  GpRect whole{0, 0, static_cast<INT>(width), static_cast<INT>(height)};
  BitmapData locked{};
  if (GdipBitmapLockBits(bitmap.get(), &whole, ImageLockModeRead, PixelFormat32bppARGB, &locked) != Ok)
    throw std::runtime_error(path + ": cannot read as PNG");
  RgbaPicture picture;
  picture.allocate(static_cast<int32_t>(width), static_cast<int32_t>(height));
  for (int32_t y = 0; y < picture.height; ++y) {
    const auto* source = static_cast<const uint8_t*>(locked.Scan0) + static_cast<std::ptrdiff_t>(y) * locked.Stride;
    uint8_t* target = picture.row(y);
    for (int32_t x = 0; x < picture.width; ++x, source += 4, target += 4) {
      target[0] = source[2];  // blue, green, red, alpha in memory
      target[1] = source[1];
      target[2] = source[0];
      target[3] = source[3];
    }
  }
  GdipBitmapUnlockBits(bitmap.get(), &locked);
  return picture;
}

std::vector<uint8_t> encodePng(const RgbaPicture& picture, bool withAlpha) {
  const GdiplusRunning running;
  // Blue, green, red, alpha in memory; opaque when the alpha is not kept.
  std::vector<uint8_t> bgra(picture.pixels.size());
  for (size_t i = 0; i < bgra.size(); i += 4) {
    bgra[i] = picture.pixels[i + 2];
    bgra[i + 1] = picture.pixels[i + 1];
    bgra[i + 2] = picture.pixels[i];
    bgra[i + 3] = withAlpha ? picture.pixels[i + 3] : 255;
  }
  GpBitmap* made = nullptr;
  if (GdipCreateBitmapFromScan0(picture.width, picture.height, picture.width * 4,
                                withAlpha ? PixelFormat32bppARGB : PixelFormat32bppRGB, bgra.data(), &made) != Ok)
    throw std::runtime_error("PNG: cannot make the picture");
  const OwnedBitmap bitmap(made);
  IStream* opened = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &opened) != S_OK) throw std::runtime_error("PNG: no memory stream");
  const std::unique_ptr<IStream, StreamRelease> stream(opened);
  if (GdipSaveImageToStream(bitmap.get(), stream.get(), &kPngEncoder, nullptr) != Ok)
    throw std::runtime_error("PNG: the encoder failed");
  STATSTG status{};
  stream->Stat(&status, STATFLAG_NONAME);
  std::vector<uint8_t> bytes(static_cast<size_t>(status.cbSize.QuadPart));
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ULONG got = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  bytes.resize(got);
  return bytes;
}

}  // namespace horaz::cli
