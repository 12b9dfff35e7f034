// The blend as the render runs it. Most of a frame is untouched by the clock,
// so the loop hunts for transparent runs (surface alpha 0) eight bytes at a
// time and copies them whole; only the drawn pixels go through the per-pixel
// arithmetic, which is the reference's, written again here and checked
// against it byte for byte.
#include "effect/frame_blend.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#include "effect/blend_layout.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

// Index of the first 8-byte word in [from, count) with a bit of `mask` set,
// or `count`. A cache line (eight words) is tested per step; the words of the
// line that stopped the scan are then looked at one by one.
size_t firstMarkedWord(const uint8_t* base, size_t from, size_t count, uint64_t mask) {
  size_t i = from;
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
    const uint64_t any = loadWord(at) | loadWord(at + 8) | loadWord(at + 16) | loadWord(at + 24) |
                         loadWord(at + 32) | loadWord(at + 40) | loadWord(at + 48) | loadWord(at + 56);
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

struct RgbRow {
  const BlendLayout& l;
  bool bytewise;  // step 4 with components on bytes 0 to 3

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

  void run(const uint8_t* s, int32_t width, const uint8_t* in, uint8_t* out) const {
    const size_t step = static_cast<size_t>(l.step);
    int32_t x = 0;
    while (x < width) {
      const int32_t end = transparentRunEnd(s, x, x + std::min(width - x, kChunkPixels));
      copyRun(in, out, x, end);
      for (x = end; x < width && alphaAt(s, x) != 0; ++x) {
        const size_t at = static_cast<size_t>(x) * step;
        blendPixel(s + static_cast<size_t>(x) * 4, in + at, out + at);
      }
    }
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

  // The pair's chroma and first luma from the first pixel (which is drawn).
  void blendFirst(const uint8_t* s1, const uint8_t* i, uint8_t* o) const {
    const int32_t a1 = s1[3];
    const double r = s1[2], g = s1[1], b = s1[0];
    const double y = 0.30078125 * r + 0.5859375 * g + 0.11328125 * b;
    const double cr = clampChroma(0.51171875 * r - 0.4296875 * g - 0.08203125 * b + 128.0);
    const double cb = clampChroma(-0.171875 * r - 0.33984375 * g + 0.51171875 * b + 128.0);
    o[l.cr] = mix(a1, i[l.cr], cr);
    o[l.yFirst] = mix(a1, i[l.yFirst], y);
    o[l.cb] = mix(a1, i[l.cb], cb);
  }

  void blendSecond(const uint8_t* s2, const uint8_t* i, uint8_t* o) const {
    const double r = s2[2], g = s2[1], b = s2[0];
    o[l.ySecond] = mix(s2[3], i[l.ySecond], 0.299 * r + 0.587 * g + 0.114 * b);
  }

  void run(const uint8_t* s, int32_t width, const uint8_t* in, uint8_t* out) const {
    const size_t step = static_cast<size_t>(l.step);
    const size_t pairs = static_cast<size_t>(width) / 2;
    size_t p = 0;
    while (p < pairs) {
      // Only the first pixel's alpha decides what happens to a pair.
      const size_t end = firstMarkedWord(s, p, std::min(pairs, p + kChunkPairs), kFirstAlpha);
      copyPairs(in, out, p, end);
      for (p = end; p < pairs && s[p * 8 + 3] != 0; ++p) {
        const uint8_t* s1 = s + p * 8;
        const size_t at = p * step;
        blendFirst(s1, in + at, out + at);
        blendSecond(s1 + 4, in + at, out + at);
      }
    }
    if (width & 1) {
      // The last pair of an odd width has only its first pixel: its second
      // luma lies outside the picture and is left alone.
      const uint8_t* s1 = s + pairs * 8;
      const uint8_t* i = in + pairs * step;
      uint8_t* o = out + pairs * step;
      if (s1[3] == 0) {
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

BlendResult blendSurface(const uint8_t* surfacePixels, int32_t width, int32_t height, acf::Frame& output,
                         acf::Frame& input, acf::PixelLayout& layout, int32_t startRow, int32_t rowStep) {
  if (!blend::validBlendArguments(surfacePixels, startRow, rowStep)) return BlendResult::kInvalidArguments;
  BlendLayout l;
  if (const BlendResult read = blend::readBlendLayout(layout, l); read != BlendResult::kBlended) return read;
  if (width <= 0) return BlendResult::kBlended;

  const bool rgb = l.family == blend::PixelFamily::kRgb;
  const bool bytewise = l.step == 4 && (rgb ? coversFourBytes(l.red, l.green, l.blue, l.alpha)
                                            : coversFourBytes(l.cb, l.yFirst, l.cr, l.ySecond));
  const RgbRow rgbRow{l, bytewise};
  const YccRow yccRow{l, bytewise};
  for (int64_t y = startRow; y < height; y += rowStep) {
    const int32_t row = static_cast<int32_t>(y);
    uint8_t* out = output.GetRow(row, 0);
    const uint8_t* in = input.GetRow(row, 0);
    if (!out || !in) continue;
    const uint8_t* s = blend::surfaceRow(surfacePixels, width, row);
    if (rgb) {
      rgbRow.run(s, width, in, out);
    } else {
      yccRow.run(s, width, in, out);
    }
  }
  return BlendResult::kBlended;
}

}  // namespace horaz
