// CreateDIBSection: 32-bit device-independent bitmaps with their pixel
// memory shared with the caller.
#include <climits>
#include <cstring>

#include "error_boundary.h"
#include "gdi_objects.h"

using namespace horaz::platform::detail;

namespace {

constexpr DWORD kRedMask = 0x00FF0000, kGreenMask = 0x0000FF00, kBlueMask = 0x000000FF;
// The largest pixel buffer handed out: what a signed 32-bit size can state.
constexpr long long kMaxPixelBytes = INT_MAX;

DWORD readDword(const void* base, std::size_t offset) {
  DWORD value;
  std::memcpy(&value, static_cast<const char*>(base) + offset, sizeof value);
  return value;
}

// Only blue, green, red, alpha bytes are drawn on, so bit fields must
// describe exactly that order.
bool masksAreBgra(const BITMAPINFO* info) {
  // A 40-byte header is followed by the three masks; the larger headers
  // (BITMAPV4HEADER, BITMAPV5HEADER) carry them at the same offset, 40.
  const std::size_t at = sizeof(BITMAPINFOHEADER);
  return readDword(info, at) == kRedMask && readDword(info, at + 4) == kGreenMask &&
         readDword(info, at + 8) == kBlueMask;
}

}  // namespace

extern "C" {

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset) {
  if (bits) *bits = nullptr;
  return gdiBoundary<HBITMAP>(nullptr, [&]() -> HBITMAP {
    if (!info || section || offset != 0) return nullptr;
    if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER)) return nullptr;
    if (header.biPlanes != 1 || header.biBitCount != 32) return nullptr;
    if (header.biCompression == BI_BITFIELDS) {
      if (!masksAreBgra(info)) return nullptr;
    } else if (header.biCompression != BI_RGB) {
      return nullptr;
    }
    const long long width = header.biWidth;
    const long long height = header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
    if (width <= 0 || height <= 0) return nullptr;
    if (width * height * 4 > kMaxPixelBytes) return nullptr;

    auto store = std::make_shared<PixelStore>(static_cast<int>(width), static_cast<int>(height), header.biHeight < 0);
    void* memory = store->bits();
    BitmapObject* bitmap = registerGdiObject(std::make_unique<BitmapObject>(std::move(store)));
    if (bits) *bits = memory;
    return reinterpret_cast<HBITMAP>(static_cast<GdiObject*>(bitmap));
  });
}

}  // extern "C"
