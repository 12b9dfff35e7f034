#include "pixel_store.h"

#include "pixel_memory_pool.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace horaz::platform::detail {

PixelRect PixelRect::intersected(const PixelRect& other) const {
  PixelRect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
              std::min(bottom, other.bottom)};
  if (r.empty()) return {};
  return r;
}

PixelRect PixelRect::united(const PixelRect& other) const {
  if (empty()) return other;
  if (other.empty()) return *this;
  return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
          std::max(bottom, other.bottom)};
}

bool PixelRect::contains(const PixelRect& other) const {
  return other.empty() || (other.left >= left && other.top >= top && other.right <= right && other.bottom <= bottom);
}

// Pixels are read and written as little-endian 32-bit words: blue in bits
// 0-7, green 8-15, red 16-23, alpha 24-31, the layout of B, G, R, A bytes.
std::uint32_t premultiplyPixel(std::uint32_t straight) {
  const std::uint32_t a = straight >> 24;
  if (a == 255) return straight;
  if (a == 0) return 0;
  auto channel = [a](std::uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (channel((straight >> 16) & 0xFF) << 16) | (channel((straight >> 8) & 0xFF) << 8) |
         channel(straight & 0xFF);
}

std::uint32_t unpremultiplyPixel(std::uint32_t premultiplied) {
  const std::uint32_t a = premultiplied >> 24;
  if (a == 255) return premultiplied;
  if (a == 0) return 0;
  auto channel = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
  return (a << 24) | (channel((premultiplied >> 16) & 0xFF) << 16) | (channel((premultiplied >> 8) & 0xFF) << 8) |
         channel(premultiplied & 0xFF);
}

namespace {

// table[a * 256 + c] is channel c converted under alpha a.
struct ConversionTables {
  ConversionTables() {
    for (std::uint32_t a = 0; a < 256; ++a)
      for (std::uint32_t c = 0; c < 256; ++c) {
        const std::uint32_t pixel = (a << 24) | c;
        premultiply[a * 256 + c] = static_cast<std::uint8_t>(premultiplyPixel(pixel) & 0xFF);
        unpremultiply[a * 256 + c] = static_cast<std::uint8_t>(unpremultiplyPixel(pixel) & 0xFF);
      }
  }
  std::uint8_t premultiply[256 * 256];
  std::uint8_t unpremultiply[256 * 256];
};

const ConversionTables& tables() {
  static const ConversionTables built;
  return built;
}

// Internal linkage so the loops below inline it (the library's exported
// functions go through the symbol table).
inline std::uint32_t convertWith(const std::uint8_t* table, std::uint32_t pixel) {
  const std::uint32_t a = pixel >> 24;
  if (a == 255) return pixel;
  const std::uint8_t* row = table + a * 256;
  return (a << 24) | (std::uint32_t(row[(pixel >> 16) & 0xFF]) << 16) | (std::uint32_t(row[(pixel >> 8) & 0xFF]) << 8) |
         row[pixel & 0xFF];
}

}  // namespace

std::uint32_t premultiplyPixelFast(std::uint32_t straight) { return convertWith(tables().premultiply, straight); }

std::uint32_t unpremultiplyPixelFast(std::uint32_t premultiplied) {
  return convertWith(tables().unpremultiply, premultiplied);
}

PixelStore::PixelStore(int width, int height, bool topDown)
    : pixelWidth(width), pixelHeight(height), rowsTopDown(topDown) {
  memory = static_cast<std::uint8_t*>(takePixelMemory(byteSize()));
  if (!memory) throw std::bad_alloc();
}

PixelStore::~PixelStore() { givePixelMemory(memory, byteSize()); }

std::size_t PixelStore::byteSize() const {
  return static_cast<std::size_t>(pixelWidth) * static_cast<std::size_t>(pixelHeight) * 4;
}

std::ptrdiff_t PixelStore::pictureStride() const {
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(pixelWidth) * 4;
  return rowsTopDown ? stride : -stride;
}

void PixelStore::openSession() {
  std::lock_guard lock(sessionMutex);
  ++sessions;
}

void PixelStore::closeSession() {
  std::lock_guard lock(sessionMutex);
  if (sessions == 0) return;
  if (--sessions == 0) restoreStraight();
}

namespace {

// Where the processor has AVX2 the scans below first go 32 pixels a step;
// what is left of a row goes to their 4-pixel and 1-pixel loops.
#if defined(__SSE2__)
#define HORAZ_AVX2 __attribute__((target("avx2")))

// The first of [x, end), in steps of 32 pixels, whose step holds a pixel
// that unpremultiplying changes. A pixel is left as it is when it is zero or
// opaque, which is exactly when the pixel minus one (wrapping around) is at
// least 0xFEFFFFFF; so the least of those over the step decides.
HORAZ_AVX2 int skipUnchangedAvx2(const std::uint32_t* pixels, int x, int end) {
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i least = _mm256_set1_epi32(static_cast<int>(0xFEFFFFFFu));
  for (; x + 32 <= end; x += 32) {
    const auto* at = reinterpret_cast<const __m256i*>(pixels + x);
    const __m256i a = _mm256_sub_epi32(_mm256_loadu_si256(at), one);
    const __m256i b = _mm256_sub_epi32(_mm256_loadu_si256(at + 1), one);
    const __m256i c = _mm256_sub_epi32(_mm256_loadu_si256(at + 2), one);
    const __m256i d = _mm256_sub_epi32(_mm256_loadu_si256(at + 3), one);
    const __m256i lowest = _mm256_min_epu32(_mm256_min_epu32(a, b), _mm256_min_epu32(c, d));
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_max_epu32(lowest, least), lowest)) != -1) break;
  }
  return x;
}

// How many of the first pixels, in steps of 32, are all zero.
HORAZ_AVX2 int zeroPrefixAvx2(const std::uint32_t* pixels, int count) {
  int i = 0;
  for (; i + 32 <= count; i += 32) {
    const auto* at = reinterpret_cast<const __m256i*>(pixels + i);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(_mm256_loadu_si256(at), _mm256_loadu_si256(at + 1)),
                                        _mm256_or_si256(_mm256_loadu_si256(at + 2), _mm256_loadu_si256(at + 3)));
    if (!_mm256_testz_si256(any, any)) break;
  }
  return i;
}

bool processorHasAvx2() {
  __builtin_cpu_init();  // this may run before the compiler's own start-up code
  return __builtin_cpu_supports("avx2") != 0;
}

std::atomic<bool> avx2Scans{processorHasAvx2()};

bool hasAvx2() { return avx2Scans.load(std::memory_order_relaxed); }
#endif

bool allZero(const std::uint32_t* pixels, int count) {
  std::uint32_t any = 0;
  int i = 0;
#if defined(__SSE2__)
  if (hasAvx2()) {
    i = zeroPrefixAvx2(pixels, count);
    if (i + 32 <= count) return false;
  }
  __m128i anyLanes = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4)
    anyLanes = _mm_or_si128(anyLanes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i)));
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(anyLanes, _mm_setzero_si128())) != 0xFFFF) return false;
#endif
  for (; i < count; ++i) any |= pixels[i];
  return any == 0;
}

// Whether pixels [left, right) of a row are zero, leaving out those in
// [skipLeft, skipRight).
bool zeroBesides(const std::uint32_t* pixels, int left, int right, int skipLeft, int skipRight) {
  if (left >= right) return true;
  if (skipLeft >= skipRight || skipRight <= left || skipLeft >= right) return allZero(pixels + left, right - left);
  return (skipLeft <= left || allZero(pixels + left, skipLeft - left)) &&
         (skipRight >= right || allZero(pixels + skipRight, right - skipRight));
}

// The first pixel in [x, end) that unpremultiplying changes, or end: zero
// stays zero and opaque colour is the same in both forms, which is most of
// what a clock leaves behind; only anti-aliased edges and translucent paint
// need the table. Four pixels are ruled out per step, thirty-two with AVX2.
int nextToUnpremultiply(const std::uint32_t* pixels, int x, int end) {
#if defined(__SSE2__)
  if (hasAvx2()) x = skipUnchangedAvx2(pixels, x, end);
  const __m128i zero = _mm_setzero_si128();
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; x + 4 <= end; x += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + x));
    const __m128i unchanged =
        _mm_or_si128(_mm_cmpeq_epi32(four, zero), _mm_cmpeq_epi32(_mm_and_si128(four, opaque), opaque));
    if (_mm_movemask_epi8(unchanged) != 0xFFFF) break;
  }
#endif
  for (; x < end; ++x)
    if (pixels[x] != 0 && (pixels[x] >> 24) != 255) return x;
  return end;
}

}  // namespace

void allowAvx2Scans(bool allowed) {
#if defined(__SSE2__)
  avx2Scans.store(allowed && processorHasAvx2(), std::memory_order_relaxed);
#else
  (void)allowed;
#endif
}

void PixelStore::prepare(const PixelRect& wanted, const PixelRect& overwritten) {
  const PixelRect area = wanted.intersected(bounds());
  std::lock_guard lock(sessionMutex);
  if (area.empty() || prepared.contains(area)) return;

  // Grow the prepared region to the bounding box of old and new; the old
  // part is premultiplied already, the new part is saved and converted.
  const PixelRect grown = prepared.united(area);
  auto isOld = [&](int y) { return !prepared.empty() && y >= prepared.top && y < prepared.bottom; };

  bool zeroSoFar = original.empty();
  if (zeroSoFar) {
    // An opaque fill's own pixels need no look: what they hold goes. Were
    // they not zero, the restore still finds them changed and gives back
    // the fill's colour, which is what an opaque pixel is in either form.
    const PixelRect skipped = overwritten.intersected(grown);
    for (int y = grown.top; y < grown.bottom && zeroSoFar; ++y) {
      const auto* pixels = reinterpret_cast<const std::uint32_t*>(row(y));
      const bool skips = !skipped.empty() && y >= skipped.top && y < skipped.bottom;
      const int skipLeft = skips ? skipped.left : 0, skipRight = skips ? skipped.right : 0;
      if (isOld(y)) {
        zeroSoFar = zeroBesides(pixels, grown.left, prepared.left, skipLeft, skipRight) &&
                    zeroBesides(pixels, prepared.right, grown.right, skipLeft, skipRight);
      } else {
        zeroSoFar = zeroBesides(pixels, grown.left, grown.right, skipLeft, skipRight);
      }
    }
    if (zeroSoFar) {
      prepared = grown;
      return;
    }
  }

  const std::uint8_t* premultiply = tables().premultiply;
  std::vector<std::uint32_t> grownOriginal;
  grownOriginal.reserve(static_cast<std::size_t>(grown.width()) * grown.height());
  for (int y = grown.top; y < grown.bottom; ++y) {
    auto* pixels = reinterpret_cast<std::uint32_t*>(row(y));
    for (int x = grown.left; x < grown.right; ++x) {
      if (isOld(y) && x >= prepared.left && x < prepared.right) {
        grownOriginal.push_back(
            original.empty()
                ? 0u
                : original[static_cast<std::size_t>(y - prepared.top) * prepared.width() + (x - prepared.left)]);
      } else {
        grownOriginal.push_back(pixels[x]);
        pixels[x] = convertWith(premultiply, pixels[x]);
      }
    }
  }
  prepared = grown;
  original.swap(grownOriginal);
}

void PixelStore::restoreStraight() {
  const std::uint8_t* premultiply = tables().premultiply;
  const std::uint8_t* unpremultiply = tables().unpremultiply;
  for (int y = prepared.top; y < prepared.bottom; ++y) {
    auto* pixels = reinterpret_cast<std::uint32_t*>(row(y));
    if (original.empty()) {
      for (int x = nextToUnpremultiply(pixels, prepared.left, prepared.right); x < prepared.right;
           x = nextToUnpremultiply(pixels, x + 1, prepared.right))
        pixels[x] = convertWith(unpremultiply, pixels[x]);
      continue;
    }
    const std::uint32_t* saved = original.data() + static_cast<std::size_t>(y - prepared.top) * prepared.width();
    for (int x = prepared.left; x < prepared.right; ++x) {
      const std::uint32_t before = saved[x - prepared.left];
      const std::uint32_t now = pixels[x];
      // Untouched pixels get their exact old bytes back instead of a
      // premultiply round trip that would blur faint colour.
      pixels[x] = (now == convertWith(premultiply, before)) ? before : convertWith(unpremultiply, now);
    }
  }
  prepared = {};
  original.clear();
  original.shrink_to_fit();
}

}  // namespace horaz::platform::detail
