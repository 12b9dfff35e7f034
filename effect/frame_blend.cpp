// The blend as the render runs it. Most of a frame is untouched by the clock,
// so the loop hunts for transparent runs (surface alpha 0) eight bytes at a
// time and copies them whole; only the drawn pixels go through the per-pixel
// arithmetic, which is the reference's, written again here and checked
// against it byte for byte. RGB-type frames whose pixels are exactly their
// four component bytes blend drawn pixels four at a time in 16-bit vector
// lanes; every other layout takes the scalar loop.
#include "effect/frame_blend.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstring>
#include <utility>

#include "effect/blend_layout.h"
#include "effect/frame_blend_arithmetic.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

// Where the processor has AVX2, the scans for drawn pixels and the runs of
// opaque ones go 32 bytes a step. Not on Windows: the compiler there does not
// keep the stack aligned to 32 bytes, so a spilled AVX register could fault.
#if defined(__SSE2__) && !defined(_WIN32)
#define HORAZ_BLEND_AVX2 1
#define HORAZ_AVX2 __attribute__((target("avx2")))
#endif

namespace horaz {
namespace {

using blend::BlendLayout;

// Surface pixels loaded eight bytes at a time: the alpha bytes (3 and 7) of
// two pixels, or the alpha of the first pixel of a YCbCr pair.
constexpr bool kLittleEndian = std::endian::native == std::endian::little;
constexpr uint64_t kBothAlphas = kLittleEndian ? 0xFF000000FF000000ull : 0x000000FF000000FFull;
constexpr uint64_t kFirstAlpha = kLittleEndian ? 0x00000000FF000000ull : 0x000000FF00000000ull;

// Transparent runs are scanned and copied in pieces of about 4 KiB of
// surface, so that the copy finds the input still in the nearest cache and
// the scan and the copy overlap in the memory system.
constexpr int32_t kChunkPixels = 1024;
constexpr size_t kChunkPairs = 512;

uint64_t loadWord(const uint8_t* at) {
  uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

uint8_t alphaAt(const uint8_t* s, int32_t x) { return s[static_cast<size_t>(x) * 4 + 3]; }

#if defined(HORAZ_BLEND_AVX2)
bool processorHasAvx2() {
  __builtin_cpu_init();  // this may run before the compiler's own start-up code
  return __builtin_cpu_supports("avx2") != 0;
}

std::atomic<bool> avx2Loops{processorHasAvx2()};

bool hasAvx2() { return avx2Loops.load(std::memory_order_relaxed); }

// The first of the words [i, count), in steps of sixteen, whose step holds a
// word with a bit of `mask` set.
HORAZ_AVX2 size_t unmarkedStepsAvx2(const uint8_t* base, size_t i, size_t count, uint64_t mask) {
  const __m256i lanes = _mm256_set1_epi64x(static_cast<long long>(mask));
  for (; i + 16 <= count; i += 16) {
    const auto* at = reinterpret_cast<const __m256i*>(base + i * 8);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(_mm256_loadu_si256(at), _mm256_loadu_si256(at + 1)),
                                        _mm256_or_si256(_mm256_loadu_si256(at + 2), _mm256_loadu_si256(at + 3)));
    if (!_mm256_testz_si256(any, lanes)) break;
  }
  return i;
}
#endif

// Index of the first 8-byte word in [from, count) with a bit of `mask` set,
// or `count`. A cache line (eight words) is tested per step, two with AVX2;
// the words of the step that stopped the scan are then looked at one by one.
size_t firstMarkedWord(const uint8_t* base, size_t from, size_t count, uint64_t mask) {
  size_t i = from;
#if defined(HORAZ_BLEND_AVX2)
  if (hasAvx2()) i = unmarkedStepsAvx2(base, i, count, mask);
#endif
#if defined(__SSE2__)
  const __m128i lanes = _mm_set1_epi64x(static_cast<long long>(mask));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 8 <= count; i += 8) {
    const auto* at = reinterpret_cast<const __m128i*>(base + i * 8);
    const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(at), _mm_loadu_si128(at + 1)),
                                     _mm_or_si128(_mm_loadu_si128(at + 2), _mm_loadu_si128(at + 3)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(any, lanes), zero)) != 0xFFFF) break;
  }
#else
  for (; i + 8 <= count; i += 8) {
    const uint8_t* at = base + i * 8;
    const uint64_t any = loadWord(at) | loadWord(at + 8) | loadWord(at + 16) | loadWord(at + 24) | loadWord(at + 32) |
                         loadWord(at + 40) | loadWord(at + 48) | loadWord(at + 56);
    if (any & mask) break;
  }
#endif
  for (; i < count; ++i) {
    if (loadWord(base + i * 8) & mask) return i;
  }
  return count;
}

// Copies bytes [from, from + count) of a row; nothing to do when the host
// hands the same memory as input and output.
void copyBytes(uint8_t* out, const uint8_t* in, size_t from, size_t count) {
  if (out == in || count == 0) return;
  std::memmove(out + from, in + from, count);
}

// True when the four offsets are 0, 1, 2 and 3 in some order: a pixel (or a
// pair) of `step` 4 is then nothing but its four component bytes, and copying
// components is copying bytes.
bool coversFourBytes(int32_t a, int32_t b, int32_t c, int32_t d) {
  std::array<int32_t, 4> offsets{a, b, c, d};
  std::sort(offsets.begin(), offsets.end());
  return offsets == std::array<int32_t, 4>{0, 1, 2, 3};
}

// --- RGB-type --------------------------------------------------------------

#if defined(__SSE2__)

// Drawn pixels, four at a time. The surface's blue, green, red, alpha bytes
// are widened to 16-bit lanes and put into the frame's component order with a
// word shuffle whose immediate (two bits per frame byte: which surface byte
// lands there) is a template argument; one instance per order of the four
// bytes, picked once per frame.
//
// Per lane, exactly the scalar formula: ((255 - a) * in) / 255 + (s * a) / 255
// (both products fit 16 bits, each division truncates on its own), the
// frame's fourth component takes a, and a pixel with a = 0 keeps all four
// input bytes.
template <int kToFrameOrder>
__m128i blendFourPixels(__m128i surface, __m128i input, __m128i fourthComponentLanes) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi16(1);
  const __m128i full = _mm_set1_epi16(255);
  auto divideBy255 = [one](__m128i x) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
  };
  auto select = [](__m128i mask, __m128i whenSet, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(mask, whenSet), _mm_andnot_si128(mask, otherwise));
  };
  auto blendTwo = [&](__m128i s, __m128i in) {
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m128i paint = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, kToFrameOrder), kToFrameOrder);
    const __m128i kept = divideBy255(_mm_mullo_epi16(_mm_sub_epi16(full, alpha), in));
    const __m128i added = divideBy255(_mm_mullo_epi16(paint, alpha));
    const __m128i mixed = select(fourthComponentLanes, alpha, _mm_add_epi16(kept, added));
    return select(_mm_cmpeq_epi16(alpha, zero), in, mixed);
  };
  const __m128i low = blendTwo(_mm_unpacklo_epi8(surface, zero), _mm_unpacklo_epi8(input, zero));
  const __m128i high = blendTwo(_mm_unpackhi_epi8(surface, zero), _mm_unpackhi_epi8(input, zero));
  return _mm_packus_epi16(low, high);
}

template <int kToFrameOrder>
__m128i opaqueInFrameOrder(__m128i surface) {
  if constexpr (kToFrameOrder == 0xE4) {
    return surface;  // the frame keeps the surface's byte order
  } else {
    const __m128i zero = _mm_setzero_si128();
    auto reorder = [](__m128i lanes) {
      return _mm_shufflehi_epi16(_mm_shufflelo_epi16(lanes, kToFrameOrder), kToFrameOrder);
    };
    return _mm_packus_epi16(reorder(_mm_unpacklo_epi8(surface, zero)), reorder(_mm_unpackhi_epi8(surface, zero)));
  }
}

#if defined(HORAZ_BLEND_AVX2)
// The byte shuffle that puts eight opaque surface pixels into frame order:
// frame byte b of a pixel takes the surface byte that two bits of the order
// name.
template <int kToFrameOrder>
constexpr std::array<uint8_t, 32> kOpaqueShuffle = [] {
  std::array<uint8_t, 32> indexes{};
  for (size_t i = 0; i < indexes.size(); ++i) {
    const size_t pixelInLane = (i % 16) / 4;
    indexes[i] = static_cast<uint8_t>(pixelInLane * 4 + ((kToFrameOrder >> ((i % 4) * 2)) & 3));
  }
  return indexes;
}();

// Writes eight pixels a step from x on while all eight are opaque; returns
// where it stopped.
template <int kToFrameOrder>
HORAZ_AVX2 int32_t opaqueRunAvx2(const uint8_t* s, uint8_t* out, int32_t x, int32_t width) {
  const __m256i alphaBytes = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i order = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kOpaqueShuffle<kToFrameOrder>.data()));
  for (; x + 8 <= width; x += 8) {
    const size_t at = static_cast<size_t>(x) * 4;
    const __m256i surface = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + at));
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(surface, alphaBytes), alphaBytes)) != -1) break;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at),
                        kToFrameOrder == 0xE4 ? surface : _mm256_shuffle_epi8(surface, order));
  }
  return x;
}

// Writes `pattern` for eight pairs a step from p on while their surface
// pixels are all `pixels`; returns where it stopped. A step where the run
// ends writes the pairs before the first that differs and stops there, so
// that a run ends on one branch whatever its length.
HORAZ_AVX2 size_t opaquePairsAvx2(const uint8_t* s, size_t p, size_t end, uint8_t* out, uint64_t pixels,
                                  uint32_t pattern) {
  const __m256i surface = _mm256_set1_epi64x(static_cast<long long>(pixels));
  const __m256i pairs = _mm256_set1_epi32(static_cast<int>(pattern));
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  for (; p + 8 <= end; p += 8) {
    const auto* at = reinterpret_cast<const __m256i*>(s + p * 8);
    const int same = _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_loadu_si256(at), surface))) |
                     _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_loadu_si256(at + 1), surface)))
                         << 4;
    auto* to = reinterpret_cast<__m256i*>(out + p * 4);
    if (same == 0xFF) {
      _mm256_storeu_si256(to, pairs);
      continue;
    }
    const int run = std::countr_one(static_cast<unsigned>(same));
    _mm256_maskstore_epi32(reinterpret_cast<int*>(to), _mm256_cmpgt_epi32(_mm256_set1_epi32(run), lanes), pairs);
    return p + static_cast<size_t>(run);
  }
  return p;
}
#endif

// Blends groups of four pixels from x on, as long as a group holds a drawn
// pixel; returns where it stopped (a transparent group, or fewer than four
// pixels left).
using DrawnGroups = int32_t (*)(const uint8_t* s, const uint8_t* in, uint8_t* out, int32_t x, int32_t width,
                                __m128i fourthComponentLanes);

template <int kToFrameOrder>
int32_t blendDrawnGroups(const uint8_t* s, const uint8_t* in, uint8_t* out, int32_t x, int32_t width,
                         __m128i fourthComponentLanes) {
  const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i zero = _mm_setzero_si128();
  for (; x + 4 <= width; x += 4) {
    const size_t at = static_cast<size_t>(x) * 4;
    const __m128i surface = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(surface, alphaBytes), zero)) == 0xFFFF) break;
    __m128i* const o = reinterpret_cast<__m128i*>(out + at);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(surface, alphaBytes), alphaBytes)) == 0xFFFF) {
      // Four opaque pixels: (0 * in) / 255 + (s * 255) / 255 is s, and the
      // fourth component is 255, so the output is the paint in frame order.
      _mm_storeu_si128(o, opaqueInFrameOrder<kToFrameOrder>(surface));
#if defined(HORAZ_BLEND_AVX2)
      // A filled shape goes on opaque for a while: eight at a time from here.
      if (hasAvx2()) x = opaqueRunAvx2<kToFrameOrder>(s, out, x + 4, width) - 4;
#endif
      continue;
    }
    const __m128i input = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
    _mm_storeu_si128(o, blendFourPixels<kToFrameOrder>(surface, input, fourthComponentLanes));
  }
  return x;
}

// The shuffle immediates of all 24 orders of four bytes.
constexpr std::array<int, 24> kByteOrders = [] {
  std::array<int, 24> orders{};
  size_t n = 0;
  for (int b0 = 0; b0 < 4; ++b0)
    for (int b1 = 0; b1 < 4; ++b1)
      for (int b2 = 0; b2 < 4; ++b2)
        for (int b3 = 0; b3 < 4; ++b3)
          if (b0 != b1 && b0 != b2 && b0 != b3 && b1 != b2 && b1 != b3 && b2 != b3)
            orders[n++] = b0 | b1 << 2 | b2 << 4 | b3 << 6;
  return orders;
}();

template <size_t... kIndex>
DrawnGroups drawnGroupsFor(int toFrameOrder, std::index_sequence<kIndex...>) {
  DrawnGroups found = nullptr;
  ((toFrameOrder == kByteOrders[kIndex] ? (void)(found = &blendDrawnGroups<kByteOrders[kIndex]>) : (void)0), ...);
  return found;
}

// The vector loop for a bytewise layout (none for any other): frame byte l.red takes surface byte
// 2, l.green byte 1, l.blue byte 0 and l.alpha byte 3.
struct VectorRgb {
  DrawnGroups groups = nullptr;
  __m128i fourthComponentLanes = _mm_setzero_si128();

  VectorRgb(const BlendLayout& l, bool bytewise) {
    if (!bytewise) return;
    std::array<int, 4> source{};
    source[static_cast<size_t>(l.red)] = 2;
    source[static_cast<size_t>(l.green)] = 1;
    source[static_cast<size_t>(l.blue)] = 0;
    source[static_cast<size_t>(l.alpha)] = 3;
    const int order = source[0] | source[1] << 2 | source[2] << 4 | source[3] << 6;
    groups = drawnGroupsFor(order, std::make_index_sequence<kByteOrders.size()>{});
    std::array<int16_t, 8> lanes{};
    lanes[static_cast<size_t>(l.alpha)] = lanes[static_cast<size_t>(l.alpha) + 4] = -1;
    fourthComponentLanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes.data()));
  }
};

#endif  // __SSE2__

struct RgbRow {
  const BlendLayout& l;
  bool bytewise;  // step 4 with components on bytes 0 to 3
#if defined(__SSE2__)
  VectorRgb vector;

  RgbRow(const BlendLayout& layout, bool bytes) : l(layout), bytewise(bytes), vector(layout, bytes) {}
#else
  RgbRow(const BlendLayout& layout, bool bytes) : l(layout), bytewise(bytes) {}
#endif

  // First pixel in [x, limit) with a non-zero alpha, or limit.
  static int32_t transparentRunEnd(const uint8_t* s, int32_t x, int32_t limit) {
    if (x & 1) {
      if (alphaAt(s, x) != 0) return x;
      ++x;
    }
    const size_t words = static_cast<size_t>(limit) / 2;
    const size_t word = firstMarkedWord(s, static_cast<size_t>(x) / 2, words, kBothAlphas);
    x = static_cast<int32_t>(word * 2);
    if (word < words) return alphaAt(s, x) != 0 ? x : x + 1;
    if (x < limit && alphaAt(s, x) == 0) ++x;  // an odd limit's last pixel
    return x;
  }

  void copyRun(const uint8_t* in, uint8_t* out, int32_t from, int32_t to) const {
    if (bytewise) {
      copyBytes(out, in, static_cast<size_t>(from) * 4, static_cast<size_t>(to - from) * 4);
      return;
    }
    const size_t step = static_cast<size_t>(l.step);
    for (size_t at = static_cast<size_t>(from) * step, end = static_cast<size_t>(to) * step; at < end; at += step) {
      out[at + l.red] = in[at + l.red];
      out[at + l.green] = in[at + l.green];
      out[at + l.blue] = in[at + l.blue];
      out[at + l.alpha] = in[at + l.alpha];
    }
  }

  void blendPixel(const uint8_t* s, const uint8_t* i, uint8_t* o) const {
    const int32_t a = s[3];
    const int32_t keep = 255 - a;
    o[l.red] = static_cast<uint8_t>((keep * i[l.red]) / 255 + (s[2] * a) / 255);
    o[l.green] = static_cast<uint8_t>((keep * i[l.green]) / 255 + (s[1] * a) / 255);
    o[l.blue] = static_cast<uint8_t>((keep * i[l.blue]) / 255 + (s[0] * a) / 255);
    o[l.alpha] = static_cast<uint8_t>(a);
  }

  // Pixels [readLeft, readRight) are read from the surface; the rest of the
  // row is copied from the input.
  void run(const uint8_t* s, int32_t width, int32_t readLeft, int32_t readRight, const uint8_t* in,
           uint8_t* out) const {
    if (readLeft >= readRight) {
      copyRun(in, out, 0, width);
      return;
    }
    copyRun(in, out, 0, readLeft);
    const size_t step = static_cast<size_t>(l.step);
    int32_t x = readLeft;
    while (x < readRight) {
      const int32_t end = transparentRunEnd(s, x, x + std::min(readRight - x, kChunkPixels));
      copyRun(in, out, x, end);
      x = end;
#if defined(__SSE2__)
      if (vector.groups) x = vector.groups(s, in, out, x, readRight, vector.fourthComponentLanes);
#endif
      for (; x < readRight && alphaAt(s, x) != 0; ++x) {
        const size_t at = static_cast<size_t>(x) * step;
        blendPixel(s + static_cast<size_t>(x) * 4, in + at, out + at);
      }
    }
    copyRun(in, out, readRight, width);
  }
};

// --- YCbCr 4:2:2 -------------------------------------------------------------

uint8_t mix(int32_t alpha, uint8_t input, double paint) {
  const int32_t kept = ((255 - alpha) * input) / 255;
  return static_cast<uint8_t>(static_cast<int32_t>(kept + alpha * paint / 255.0));
}

double clampChroma(double value) { return value < 0.0 ? 0.0 : (value > 255.0 ? 255.0 : value); }

struct YccRow {
  const BlendLayout& l;
  bool bytewise;  // pair step 4 with components on bytes 0 to 3

  void copyPairs(const uint8_t* in, uint8_t* out, size_t from, size_t to) const {
    if (bytewise) {
      copyBytes(out, in, from * 4, (to - from) * 4);
      return;
    }
    const size_t step = static_cast<size_t>(l.step);
    for (size_t at = from * step, end = to * step; at < end; at += step) {
      out[at + l.cr] = in[at + l.cr];
      out[at + l.yFirst] = in[at + l.yFirst];
      out[at + l.cb] = in[at + l.cb];
      out[at + l.ySecond] = in[at + l.ySecond];
    }
  }

  // The paint of a pair: chroma and first luma from the first pixel, the
  // second luma from the second.
  struct FirstPaint {
    double y, cr, cb;
  };
  static FirstPaint firstPaint(const uint8_t* s1) {
    const double r = s1[2], g = s1[1], b = s1[0];
    return {0.30078125 * r + 0.5859375 * g + 0.11328125 * b,
            clampChroma(0.51171875 * r - 0.4296875 * g - 0.08203125 * b + 128.0),
            clampChroma(-0.171875 * r - 0.33984375 * g + 0.51171875 * b + 128.0)};
  }
  static double secondLuma(const uint8_t* s2) {
    const double r = s2[2], g = s2[1], b = s2[0];
    return 0.299 * r + 0.587 * g + 0.114 * b;
  }

  // The first pixel (which is drawn) over the pair's chroma and first luma.
  void blendFirst(const uint8_t* s1, const uint8_t* i, uint8_t* o) const {
    const int32_t a1 = s1[3];
    const FirstPaint paint = firstPaint(s1);
    o[l.cr] = mix(a1, i[l.cr], paint.cr);
    o[l.yFirst] = mix(a1, i[l.yFirst], paint.y);
    o[l.cb] = mix(a1, i[l.cb], paint.cb);
  }

  void blendSecond(const uint8_t* s2, const uint8_t* i, uint8_t* o) const {
    o[l.ySecond] = mix(s2[3], i[l.ySecond], secondLuma(s2));
  }

  // What an opaque surface pixel gives, whatever the input (with alpha 255
  // the input's share is (0 * in) / 255): as the first pixel of a pair its
  // Cr, Y and Cb, as the second its Y; in a bytewise layout also the same
  // bytes already placed in a pair's word, so that a pair is two lookups and
  // an or.
  struct OpaquePixel {
    uint32_t pixel = 0;  // never opaque: an empty entry
    uint8_t cr = 0, yFirst = 0, cb = 0, ySecond = 0;
    uint32_t firstBits = 0, secondBits = 0;
  };

  // Opaque pixels converted so far in this blend, by a hash of the pixel.
  // Anti-aliased text over a box is opaque with a new pair at nearly every
  // step, but its pixels take the same few colours again and again.
  static constexpr int kConvertedBits = 8;
  mutable std::array<OpaquePixel, size_t{1} << kConvertedBits> converted{};

  // The byte `value` at `offset` of a pair's word in memory order. Built with
  // shifts: four byte stores read back as a word would stall the load.
  static uint32_t placed(int32_t offset, uint8_t value) {
    return static_cast<uint32_t>(value) << (8 * (kLittleEndian ? offset : 3 - offset));
  }

  const OpaquePixel& opaquePixel(const uint8_t* at) const {
    uint32_t pixel;
    std::memcpy(&pixel, at, sizeof pixel);
    OpaquePixel& known = converted[(pixel * 0x9E3779B1u) >> (32 - kConvertedBits)];
    if (known.pixel != pixel) {
      constexpr int32_t kOpaque = 255;
      const FirstPaint paint = firstPaint(at);
      known = {pixel, mix(kOpaque, 0, paint.cr), mix(kOpaque, 0, paint.y), mix(kOpaque, 0, paint.cb),
               mix(kOpaque, 0, secondLuma(at))};
      if (bytewise) {
        known.firstBits = placed(l.cr, known.cr) | placed(l.yFirst, known.yFirst) | placed(l.cb, known.cb);
        known.secondBits = placed(l.ySecond, known.ySecond);
      }
    }
    return known;
  }

  // Writes the pairs from p on whose surface pixels are exactly `opaque`'s as
  // `pattern` (a bytewise layout: a pair is four bytes); returns the first
  // that is not.
  static size_t repeatOpaque(const uint8_t* s, size_t p, size_t end, uint8_t* out, uint64_t pixels, uint32_t pattern) {
#if defined(HORAZ_BLEND_AVX2)
    if (hasAvx2()) {
      p = opaquePairsAvx2(s, p, end, out, pixels, pattern);
      if (p + 8 <= end) return p;  // stopped where the run ends
    }
#endif
#if defined(__SSE2__)
    const __m128i surface = _mm_set1_epi64x(static_cast<long long>(pixels));
    const __m128i pairs = _mm_set1_epi32(static_cast<int>(pattern));
    for (; p + 4 <= end; p += 4) {
      const auto* at = reinterpret_cast<const __m128i*>(s + p * 8);
      const __m128i same = _mm_and_si128(_mm_cmpeq_epi32(_mm_loadu_si128(at), surface),
                                         _mm_cmpeq_epi32(_mm_loadu_si128(at + 1), surface));
      if (_mm_movemask_epi8(same) != 0xFFFF) break;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + p * 4), pairs);
    }
#endif
    for (; p < end && loadWord(s + p * 8) == pixels; ++p) std::memcpy(out + p * 4, &pattern, 4);
    return p;
  }

  // Pairs whose two pixels lie in [readLeft, readRight) are read from the
  // surface; the others are copied from the input.
  void run(const uint8_t* s, int32_t width, int32_t readLeft, int32_t readRight, const uint8_t* in,
           uint8_t* out) const {
    const size_t step = static_cast<size_t>(l.step);
    const size_t pairs = static_cast<size_t>(width) / 2;
    const size_t firstRead = readLeft >= readRight ? pairs : static_cast<size_t>(readLeft + 1) / 2;
    const size_t endRead = std::max(firstRead, std::min(pairs, static_cast<size_t>(readRight) / 2));
    copyPairs(in, out, 0, firstRead);
    size_t p = firstRead;
    while (p < endRead) {
      // Only the first pixel's alpha decides what happens to a pair.
      const size_t end = firstMarkedWord(s, p, std::min(endRead, p + kChunkPairs), kFirstAlpha);
      copyPairs(in, out, p, end);
      for (p = end; p < endRead && s[p * 8 + 3] != 0; ++p) {
        const uint8_t* s1 = s + p * 8;
        const size_t at = p * step;
        const uint64_t both = loadWord(s1);
        if ((both & kBothAlphas) != kBothAlphas) {
          blendFirst(s1, in + at, out + at);
          blendSecond(s1 + 4, in + at, out + at);
          continue;
        }
        // Both pixels opaque: the pair's bytes depend on the paint alone.
        // Copies: the two pixels may share a slot of the cache.
        const OpaquePixel first = opaquePixel(s1);
        const OpaquePixel second = opaquePixel(s1 + 4);
        if (!bytewise) {
          out[at + l.cr] = first.cr;
          out[at + l.yFirst] = first.yFirst;
          out[at + l.cb] = first.cb;
          out[at + l.ySecond] = second.ySecond;
          continue;
        }
        const uint32_t pattern = first.firstBits | second.secondBits;
        std::memcpy(out + at, &pattern, sizeof pattern);
        // A filled shape repeats the pair, pair after pair.
        if (p + 1 < endRead && loadWord(s + (p + 1) * 8) == both)
          p = repeatOpaque(s, p + 1, endRead, out, both, pattern) - 1;
      }
    }
    copyPairs(in, out, endRead, pairs);
    if (width & 1) {
      // The last pair of an odd width has only its first pixel: its second
      // luma lies outside the picture and is left alone.
      const uint8_t* s1 = s + pairs * 8;
      const uint8_t* i = in + pairs * step;
      uint8_t* o = out + pairs * step;
      const bool read = readLeft < readRight && readRight == width;
      if (!read || s1[3] == 0) {
        o[l.cr] = i[l.cr];
        o[l.yFirst] = i[l.yFirst];
        o[l.cb] = i[l.cb];
      } else {
        blendFirst(s1, i, o);
      }
    }
  }
};

}  // namespace

void allowAvx2Blend(bool allowed) {
#if defined(HORAZ_BLEND_AVX2)
  avx2Loops.store(allowed && processorHasAvx2(), std::memory_order_relaxed);
#else
  (void)allowed;
#endif
}

BlendResult blendSurface(const uint8_t* surfacePixels, int32_t width, int32_t height, acf::Frame& output,
                         acf::Frame& input, acf::PixelLayout& layout, int32_t startRow, int32_t rowStep,
                         const PixelArea& readArea) {
  if (!blend::validBlendArguments(surfacePixels, startRow, rowStep)) return BlendResult::kInvalidArguments;
  BlendLayout l;
  if (const BlendResult read = blend::readBlendLayout(layout, l); read != BlendResult::kBlended) return read;
  if (width <= 0) return BlendResult::kBlended;

  const PixelArea area = readArea.within(width, height);
  const auto readLeft = static_cast<int32_t>(area.left);
  const auto readRight = static_cast<int32_t>(area.right);
  const bool rgb = l.family == blend::PixelFamily::kRgb;
  const bool bytewise = l.step == 4 && (rgb ? coversFourBytes(l.red, l.green, l.blue, l.alpha)
                                            : coversFourBytes(l.cb, l.yFirst, l.cr, l.ySecond));
  const RgbRow rgbRow{l, rgb && bytewise};
  const YccRow yccRow{l, bytewise, {}};
  for (int64_t y = startRow; y < height; y += rowStep) {
    const int32_t row = static_cast<int32_t>(y);
    uint8_t* out = output.GetRow(row, 0);
    const uint8_t* in = input.GetRow(row, 0);
    if (!out || !in) continue;
    const uint8_t* s = blend::surfaceRow(surfacePixels, width, row);
    // Rows the drawing never reached are copies of the input.
    const bool rowRead = y >= area.top && y < area.bottom;
    const int32_t left = rowRead ? readLeft : 0;
    const int32_t right = rowRead ? readRight : 0;
    if (rgb) {
      rgbRow.run(s, width, left, right, in, out);
    } else {
      yccRow.run(s, width, left, right, in, out);
    }
  }
  return BlendResult::kBlended;
}

BlendResult blendSurface(const uint8_t* surfacePixels, int32_t width, int32_t height, acf::Frame& output,
                         acf::Frame& input, acf::PixelLayout& layout, int32_t startRow, int32_t rowStep) {
  return blendSurface(surfacePixels, width, height, output, input, layout, startRow, rowStep,
                      PixelArea{0, 0, width, height});
}

}  // namespace horaz
