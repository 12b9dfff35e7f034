#include "cli/pixels/pixel_rows.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace horaz::cli::rows {
namespace {

struct MapConstants {
  int32_t offsetIn;   // subtracted first
  int32_t factor;     // 14-bit fixed point
  int32_t offsetOut;  // added after the shift
};

constexpr MapConstants constantsOf(RangeMap map) {
  switch (map) {
    case RangeMap::kLumaToFull: return {16, 19078, 0};
    case RangeMap::kChromaToFull: return {128, 18652, 128};
    case RangeMap::kLumaToStudio: return {0, 14071, 16};
    case RangeMap::kChromaToStudio: return {128, 14392, 128};
  }
  return {0, 1 << 14, 0};
}

uint8_t interpolate(uint8_t nearer, uint8_t farther) {
  const int mean = (nearer + farther + 1) >> 1;
  return static_cast<uint8_t>((nearer + mean + 1) >> 1);
}

}  // namespace

uint8_t mapSample(RangeMap map, uint8_t value) {
  const MapConstants c = constantsOf(map);
  // >> on a negative int is an arithmetic shift (floor), as in the SIMD loop.
  const int32_t result = (((value - c.offsetIn) * c.factor + 8192) >> 14) + c.offsetOut;
  return static_cast<uint8_t>(std::clamp(result, 0, 255));
}

void mapRangeReference(RangeMap map, const uint8_t* in, uint8_t* out, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = mapSample(map, in[i]);
}

void interpolateRowReference(const uint8_t* nearer, const uint8_t* farther, uint8_t* out, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = interpolate(nearer[i], farther[i]);
}

void widenChromaRowReference(const uint8_t* pairs, uint8_t* out, size_t width) {
  const size_t pairCount = (width + 1) / 2;
  for (size_t x = 0; x < width; ++x) {
    const size_t p = x / 2;
    const size_t next = std::min(p + 1, pairCount - 1);
    out[x] = x % 2 == 0 ? pairs[p] : static_cast<uint8_t>((pairs[p] + pairs[next] + 1) >> 1);
  }
}

void averageRowsReference(const uint8_t* first, const uint8_t* second, uint8_t* out, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>((first[i] + second[i] + 1) >> 1);
}

void halveRowReference(const uint8_t* in, uint8_t* out, size_t pairs) {
  for (size_t p = 0; p < pairs; ++p) out[p] = static_cast<uint8_t>((in[2 * p] + in[2 * p + 1] + 1) >> 1);
}

void packRowReference(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
                      size_t pairs) {
  const auto lumaOf = [&](uint8_t v) { return expand ? mapSample(RangeMap::kLumaToFull, v) : v; };
  const auto chromaOf = [&](uint8_t v) { return expand ? mapSample(RangeMap::kChromaToFull, v) : v; };
  for (size_t p = 0; p < pairs; ++p, out += 4) {
    const uint8_t y0 = lumaOf(luma[2 * p]);
    const uint8_t y1 = lumaOf(luma[2 * p + 1]);
    const uint8_t cb = chromaOf(interpolate(chroma.cbNear[p], chroma.cbFar[p]));
    const uint8_t cr = chromaOf(interpolate(chroma.crNear[p], chroma.crFar[p]));
    if (layout == PairLayout::kCbYCrY) {
      out[0] = cb;
      out[1] = y0;
      out[2] = cr;
      out[3] = y1;
    } else {
      out[0] = y0;
      out[1] = cb;
      out[2] = y1;
      out[3] = cr;
    }
  }
}

void unpackRowReference(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                        size_t pairs) {
  const auto lumaOf = [&](uint8_t v) { return compress ? mapSample(RangeMap::kLumaToStudio, v) : v; };
  const auto chromaOf = [&](uint8_t v) { return compress ? mapSample(RangeMap::kChromaToStudio, v) : v; };
  for (size_t p = 0; p < pairs; ++p, in += 4) {
    const bool chromaFirst = layout == PairLayout::kCbYCrY;
    luma[2 * p] = lumaOf(in[chromaFirst ? 1 : 0]);
    luma[2 * p + 1] = lumaOf(in[chromaFirst ? 3 : 2]);
    cb[p] = chromaOf(in[chromaFirst ? 0 : 1]);
    cr[p] = chromaOf(in[chromaFirst ? 2 : 3]);
  }
}

uint8_t clampedFixed(int32_t fixed) { return static_cast<uint8_t>(std::clamp((fixed + (1 << 15)) >> 16, 0, 255)); }

void rgbRowToPlanesReference(const uint8_t* in, RgbaOffsets o, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                             size_t width) {
  for (size_t x = 0; x < width; ++x, in += 4) {
    const int32_t r = in[o.red], g = in[o.green], b = in[o.blue];
    const uint8_t y = clampedFixed(kYr * r + kYg * g + kYb * b);
    const uint8_t u = clampedFixed(kCbR * r + kCbG * g + kCbB * b + (128 << 16));
    const uint8_t v = clampedFixed(kCrR * r + kCrG * g + kCrB * b + (128 << 16));
    luma[x] = compress ? mapSample(RangeMap::kLumaToStudio, y) : y;
    cb[x] = compress ? mapSample(RangeMap::kChromaToStudio, u) : u;
    cr[x] = compress ? mapSample(RangeMap::kChromaToStudio, v) : v;
  }
}

namespace {

// The weights of ChromaContributions, in its order.
constexpr std::array<double, 4> kChromaWeights{1.402, -0.344136, -0.714136, 1.772};

int32_t contributionOf(double weight, int value) {
  return static_cast<int32_t>(std::lround(weight * (value - 128) * 65536.0));
}

}  // namespace

const ChromaContributions& chromaContributions() {
  static const ChromaContributions made = [] {
    ChromaContributions c{};
    std::array<std::array<int32_t, 256>*, 4> tables{&c.crToRed, &c.cbToGreen, &c.crToGreen, &c.cbToBlue};
    for (size_t t = 0; t < tables.size(); ++t)
      for (int v = 0; v < 256; ++v) (*tables[t])[static_cast<size_t>(v)] = contributionOf(kChromaWeights[t], v);
    return c;
  }();
  return made;
}

void planesToRgbRowReference(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, RgbaOffsets o, uint8_t* out,
                             size_t width) {
  const ChromaContributions& t = chromaContributions();
  for (size_t x = 0; x < width; ++x, out += 4) {
    const int32_t l = luma[x] << 16;
    const uint8_t u = cb[x], v = cr[x];
    out[o.red] = clampedFixed(l + t.crToRed[v]);
    out[o.green] = clampedFixed(l + t.cbToGreen[u] + t.crToGreen[v]);
    out[o.blue] = clampedFixed(l + t.cbToBlue[u]);
    out[o.alpha] = 255;
  }
}

#if defined(__SSE2__)

namespace {

inline __m128i load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// ((x * factor + 8192) >> 14) for eight signed 16-bit x, in 16 bits:
// mulhi(8x, factor) is floor(2q) for q = x * factor / 16384, and
// (floor(2q) + 1) >> 1 equals floor(q + 1/2), the reference's rounding.
inline __m128i map8(__m128i x, __m128i factor, __m128i offsetOut) {
  const __m128i twiceQ = _mm_mulhi_epi16(_mm_slli_epi16(x, 3), factor);
  return _mm_add_epi16(_mm_srai_epi16(_mm_add_epi16(twiceQ, _mm_set1_epi16(1)), 1), offsetOut);
}

// One range map on 16 samples, with its constants loaded once.
class Mapper {
 public:
  explicit Mapper(RangeMap map) {
    const MapConstants c = constantsOf(map);
    offsetIn_ = _mm_set1_epi16(static_cast<int16_t>(c.offsetIn));
    offsetOut_ = _mm_set1_epi16(static_cast<int16_t>(c.offsetOut));
    factor_ = _mm_set1_epi16(static_cast<int16_t>(c.factor));
  }
  __m128i operator()(__m128i v) const {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_sub_epi16(_mm_unpacklo_epi8(v, zero), offsetIn_);
    const __m128i high = _mm_sub_epi16(_mm_unpackhi_epi8(v, zero), offsetIn_);
    // packus clamps to 0..255 as the reference does.
    return _mm_packus_epi16(map8(low, factor_, offsetOut_), map8(high, factor_, offsetOut_));
  }

 private:
  __m128i offsetIn_, offsetOut_, factor_;
};

inline __m128i interpolate16(__m128i nearer, __m128i farther) {
  return _mm_avg_epu8(nearer, _mm_avg_epu8(nearer, farther));
}

template <bool kExpand>
void packRowSse2(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, uint8_t*& out, size_t& p,
                 size_t pairs) {
  const Mapper lumaMap(RangeMap::kLumaToFull);
  const Mapper chromaMap(RangeMap::kChromaToFull);
  for (; p + 16 <= pairs; p += 16, out += 64) {
    __m128i u = interpolate16(load(chroma.cbNear + p), load(chroma.cbFar + p));
    __m128i v = interpolate16(load(chroma.crNear + p), load(chroma.crFar + p));
    __m128i y0 = load(luma + 2 * p);
    __m128i y1 = load(luma + 2 * p + 16);
    if constexpr (kExpand) {
      u = chromaMap(u);
      v = chromaMap(v);
      y0 = lumaMap(y0);
      y1 = lumaMap(y1);
    }
    const __m128i chromaLow = _mm_unpacklo_epi8(u, v);  // Cb Cr of pairs 0..7
    const __m128i chromaHigh = _mm_unpackhi_epi8(u, v);
    if (layout == PairLayout::kCbYCrY) {
      store(out, _mm_unpacklo_epi8(chromaLow, y0));
      store(out + 16, _mm_unpackhi_epi8(chromaLow, y0));
      store(out + 32, _mm_unpacklo_epi8(chromaHigh, y1));
      store(out + 48, _mm_unpackhi_epi8(chromaHigh, y1));
    } else {
      store(out, _mm_unpacklo_epi8(y0, chromaLow));
      store(out + 16, _mm_unpackhi_epi8(y0, chromaLow));
      store(out + 32, _mm_unpacklo_epi8(y1, chromaHigh));
      store(out + 48, _mm_unpackhi_epi8(y1, chromaHigh));
    }
  }
}

template <bool kCompress>
void unpackRowSse2(PairLayout layout, const uint8_t*& in, uint8_t* luma, uint8_t* cb, uint8_t* cr, size_t& p,
                   size_t pairs) {
  const Mapper lumaMap(RangeMap::kLumaToStudio);
  const Mapper chromaMap(RangeMap::kChromaToStudio);
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const bool chromaFirst = layout == PairLayout::kCbYCrY;
  for (; p + 16 <= pairs; p += 16, in += 64) {
    const __m128i a = load(in), b = load(in + 16), c = load(in + 32), d = load(in + 48);
    // Split every 16-bit unit into its first and second byte. In CbYCrY the
    // first bytes are Cb, Cr alternating and the second ones luma; in
    // YCbYCr the other way round.
    const __m128i firstAB = _mm_packus_epi16(_mm_and_si128(a, lowBytes), _mm_and_si128(b, lowBytes));
    const __m128i firstCD = _mm_packus_epi16(_mm_and_si128(c, lowBytes), _mm_and_si128(d, lowBytes));
    const __m128i secondAB = _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
    const __m128i secondCD = _mm_packus_epi16(_mm_srli_epi16(c, 8), _mm_srli_epi16(d, 8));
    const __m128i chromaAB = chromaFirst ? firstAB : secondAB;
    const __m128i chromaCD = chromaFirst ? firstCD : secondCD;
    __m128i y0 = chromaFirst ? secondAB : firstAB;
    __m128i y1 = chromaFirst ? secondCD : firstCD;
    __m128i u = _mm_packus_epi16(_mm_and_si128(chromaAB, lowBytes), _mm_and_si128(chromaCD, lowBytes));
    __m128i v = _mm_packus_epi16(_mm_srli_epi16(chromaAB, 8), _mm_srli_epi16(chromaCD, 8));
    if constexpr (kCompress) {
      y0 = lumaMap(y0);
      y1 = lumaMap(y1);
      u = chromaMap(u);
      v = chromaMap(v);
    }
    store(luma + 2 * p, y0);
    store(luma + 2 * p + 16, y1);
    store(cb + p, u);
    store(cr + p, v);
  }
}

// --- AVX2: the same loops on 32 pairs at a time ---------------------------
//
// 256-bit unpacks and packs work within each 128-bit half, so the samples are
// put in order with 64-bit permutes around them. Built for AVX2 whatever the
// compiler's default, and called only when the processor has it.

#define HORAZ_AVX2 __attribute__((target("avx2")))

HORAZ_AVX2 inline __m256i load256(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
HORAZ_AVX2 inline void store256(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// The 64-bit quarters in the order 0, 2, 1, 3.
constexpr int kQuartersInterleaved = 0xD8;

struct Mapper256 {
  __m256i offsetIn, offsetOut, factor;
};

HORAZ_AVX2 inline Mapper256 mapper256(RangeMap map) {
  const MapConstants c = constantsOf(map);
  return {_mm256_set1_epi16(static_cast<int16_t>(c.offsetIn)), _mm256_set1_epi16(static_cast<int16_t>(c.offsetOut)),
          _mm256_set1_epi16(static_cast<int16_t>(c.factor))};
}

// map8 of the SSE2 loop on sixteen 16-bit lanes, with the rounding multiply
// SSE2 lacks: mulhrs(2x, factor) = (2x * factor + 2^14) >> 15, which is
// (x * factor + 8192) >> 14 exactly.
HORAZ_AVX2 inline __m256i map16(__m256i x, const Mapper256& m) {
  return _mm256_add_epi16(_mm256_mulhrs_epi16(_mm256_add_epi16(x, x), m.factor), m.offsetOut);
}

HORAZ_AVX2 inline __m256i mapBytes(__m256i v, const Mapper256& m) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low = _mm256_sub_epi16(_mm256_unpacklo_epi8(v, zero), m.offsetIn);
  const __m256i high = _mm256_sub_epi16(_mm256_unpackhi_epi8(v, zero), m.offsetIn);
  // Unpacking and packing within the same halves keeps the byte order.
  return _mm256_packus_epi16(map16(low, m), map16(high, m));
}

HORAZ_AVX2 inline __m256i interpolate32(__m256i nearer, __m256i farther) {
  return _mm256_avg_epu8(nearer, _mm256_avg_epu8(nearer, farther));
}

// Two registers of 16 pairs each (halves: pairs 0-3 | 8-11 and 4-7 | 12-15)
// stored as 64 bytes in pair order.
HORAZ_AVX2 inline void storePairs(uint8_t* out, __m256i first, __m256i second) {
  store256(out, _mm256_permute2x128_si256(first, second, 0x20));
  store256(out + 32, _mm256_permute2x128_si256(first, second, 0x31));
}

// kBetweenRows: the chroma lies between two rows (4:2:0); otherwise the
// near and far rows are one (4:2:2) and there is nothing to interpolate.
template <bool kExpand, bool kBetweenRows>
HORAZ_AVX2 void packRowAvx2Loop(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, uint8_t*& out,
                                size_t& p, size_t pairs) {
  const Mapper256 lumaMap = mapper256(RangeMap::kLumaToFull);
  const Mapper256 chromaMap = mapper256(RangeMap::kChromaToFull);
  for (; p + 32 <= pairs; p += 32, out += 128) {
    __m256i u = load256(chroma.cbNear + p);
    __m256i v = load256(chroma.crNear + p);
    if constexpr (kBetweenRows) {
      u = interpolate32(u, load256(chroma.cbFar + p));
      v = interpolate32(v, load256(chroma.crFar + p));
    }
    __m256i y0 = load256(luma + 2 * p);       // pairs 0-15
    __m256i y1 = load256(luma + 2 * p + 32);  // pairs 16-31
    if constexpr (kExpand) {
      u = mapBytes(u, chromaMap);
      v = mapBytes(v, chromaMap);
      y0 = mapBytes(y0, lumaMap);
      y1 = mapBytes(y1, lumaMap);
    }
    // Chroma halves as pairs 0-7, 16-23 | 8-15, 24-31, so that the unpacks
    // below meet the luma of the same pairs.
    u = _mm256_permute4x64_epi64(u, kQuartersInterleaved);
    v = _mm256_permute4x64_epi64(v, kQuartersInterleaved);
    const __m256i chromaLow = _mm256_unpacklo_epi8(u, v);   // Cb Cr of pairs 0-7 | 8-15
    const __m256i chromaHigh = _mm256_unpackhi_epi8(u, v);  // pairs 16-23 | 24-31
    if (layout == PairLayout::kCbYCrY) {
      storePairs(out, _mm256_unpacklo_epi8(chromaLow, y0), _mm256_unpackhi_epi8(chromaLow, y0));
      storePairs(out + 64, _mm256_unpacklo_epi8(chromaHigh, y1), _mm256_unpackhi_epi8(chromaHigh, y1));
    } else {
      storePairs(out, _mm256_unpacklo_epi8(y0, chromaLow), _mm256_unpackhi_epi8(y0, chromaLow));
      storePairs(out + 64, _mm256_unpacklo_epi8(y1, chromaHigh), _mm256_unpackhi_epi8(y1, chromaHigh));
    }
  }
}

// Low (even) and high (odd) bytes of every 16-bit unit of two registers, in
// order.
HORAZ_AVX2 inline __m256i evenBytes(__m256i a, __m256i b) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  return _mm256_permute4x64_epi64(_mm256_packus_epi16(_mm256_and_si256(a, lowBytes), _mm256_and_si256(b, lowBytes)),
                                  kQuartersInterleaved);
}
HORAZ_AVX2 inline __m256i oddBytes(__m256i a, __m256i b) {
  return _mm256_permute4x64_epi64(_mm256_packus_epi16(_mm256_srli_epi16(a, 8), _mm256_srli_epi16(b, 8)),
                                  kQuartersInterleaved);
}

template <bool kCompress>
HORAZ_AVX2 void unpackRowAvx2Loop(PairLayout layout, const uint8_t*& in, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                                  size_t& p, size_t pairs) {
  const Mapper256 lumaMap = mapper256(RangeMap::kLumaToStudio);
  const Mapper256 chromaMap = mapper256(RangeMap::kChromaToStudio);
  const bool chromaFirst = layout == PairLayout::kCbYCrY;
  for (; p + 32 <= pairs; p += 32, in += 128) {
    const __m256i a = load256(in), b = load256(in + 32), c = load256(in + 64), d = load256(in + 96);
    const __m256i firstAB = evenBytes(a, b), firstCD = evenBytes(c, d);
    const __m256i secondAB = oddBytes(a, b), secondCD = oddBytes(c, d);
    const __m256i chromaAB = chromaFirst ? firstAB : secondAB;  // Cb Cr of pairs 0-15
    const __m256i chromaCD = chromaFirst ? firstCD : secondCD;
    __m256i y0 = chromaFirst ? secondAB : firstAB;
    __m256i y1 = chromaFirst ? secondCD : firstCD;
    __m256i u = evenBytes(chromaAB, chromaCD);
    __m256i v = oddBytes(chromaAB, chromaCD);
    if constexpr (kCompress) {
      y0 = mapBytes(y0, lumaMap);
      y1 = mapBytes(y1, lumaMap);
      u = mapBytes(u, chromaMap);
      v = mapBytes(v, chromaMap);
    }
    store256(luma + 2 * p, y0);
    store256(luma + 2 * p + 32, y1);
    store256(cb + p, u);
    store256(cr + p, v);
  }
}

// Eight pixels' component `shift` (a bit offset in the pixel) as 32-bit
// lanes.
HORAZ_AVX2 inline __m256i component(__m256i pixels, __m128i shift) {
  return _mm256_and_si256(_mm256_srl_epi32(pixels, shift), _mm256_set1_epi32(0xFF));
}

// Thirty-two 32-bit lanes holding 0..255 (after clamping) as bytes in order.
HORAZ_AVX2 inline __m256i lanesToBytes(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i words = _mm256_packus_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, d));
  // The packs work within 128-bit halves: dwords come out as 0 4 1 5 2 6 3 7.
  return _mm256_permutevar8x32_epi32(words, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

// The three fixed-point sums of eight pixels, shifted down and rounded (not
// yet clamped). Products of 16-bit pairs: a weight above 32767 is split into
// a shift and a smaller weight.
struct RgbSums {
  __m256i y, cb, cr;
};
HORAZ_AVX2 inline RgbSums rgbSums(__m256i r, __m256i g, __m256i b) {
  const __m256i rg = _mm256_or_si256(r, _mm256_slli_epi32(g, 16));
  const __m256i gb = _mm256_or_si256(g, _mm256_slli_epi32(b, 16));
  const __m256i half = _mm256_set1_epi32(1 << 15), chromaBase = _mm256_set1_epi32((128 << 16) + (1 << 15));
  static_assert(kYg == 65536 - 27066 && kCbB == 32768 && kCrR == 32768);
  const __m256i y = _mm256_add_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(rg, _mm256_set1_epi32((-27066 * 65536) | kYr)), _mm256_slli_epi32(g, 16)),
      _mm256_madd_epi16(b, _mm256_set1_epi32(kYb)));
  const __m256i cb = _mm256_add_epi32(_mm256_madd_epi16(rg, _mm256_set1_epi32((kCbG * 65536) | (kCbR & 0xFFFF))),
                                      _mm256_slli_epi32(b, 15));
  const __m256i cr = _mm256_add_epi32(_mm256_madd_epi16(gb, _mm256_set1_epi32((kCrB * 65536) | (kCrG & 0xFFFF))),
                                      _mm256_slli_epi32(r, 15));
  return {_mm256_srai_epi32(_mm256_add_epi32(y, half), 16), _mm256_srai_epi32(_mm256_add_epi32(cb, chromaBase), 16),
          _mm256_srai_epi32(_mm256_add_epi32(cr, chromaBase), 16)};
}

HORAZ_AVX2 void rgbRowLoop(const uint8_t* in, RgbaOffsets o, uint8_t* luma, uint8_t* cb, uint8_t* cr, size_t& x,
                           size_t width) {
  const __m128i redShift = _mm_cvtsi32_si128(8 * o.red), greenShift = _mm_cvtsi32_si128(8 * o.green),
                blueShift = _mm_cvtsi32_si128(8 * o.blue);
  for (; x + 32 <= width; x += 32) {
    RgbSums sums[4];
    for (int i = 0; i < 4; ++i) {
      const __m256i pixels = load256(in + 4 * (x + 8 * static_cast<size_t>(i)));
      sums[i] = rgbSums(component(pixels, redShift), component(pixels, greenShift), component(pixels, blueShift));
    }
    store256(luma + x, lanesToBytes(sums[0].y, sums[1].y, sums[2].y, sums[3].y));
    store256(cb + x, lanesToBytes(sums[0].cb, sums[1].cb, sums[2].cb, sums[3].cb));
    store256(cr + x, lanesToBytes(sums[0].cr, sums[1].cr, sums[2].cr, sums[3].cr));
  }
}

// One component of eight pixels: (sum + 2^15) >> 16 clamped to 0..255, at
// bit offset `shift` of each 32-bit pixel.
HORAZ_AVX2 inline __m256i placedComponent(__m256i sum, __m128i shift) {
  const __m256i value = _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(1 << 15)), 16);
  const __m256i clamped = _mm256_min_epi32(_mm256_max_epi32(value, _mm256_setzero_si256()), _mm256_set1_epi32(255));
  return _mm256_sll_epi32(clamped, shift);
}

HORAZ_AVX2 inline __m256i eightSamples(const uint8_t* p) {
  return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

// A contribution table as arithmetic: table[v] = whole x c + ((fraction x c
// + 2^21) >> 22) with c = v - 128, whole = floor(weight x 65536) and fraction
// its remainder in 22 bits, which is the table's rounding to nearest unless
// a product lies within 2^-16 of a half. Checked against every entry once;
// the loop looks the tables up instead when one differs.
struct LinearForm {
  int32_t whole, fraction;
};
struct LinearForms {
  bool exact = true;
  std::array<LinearForm, 4> forms{};
};
const LinearForms& linearForms() {
  static const LinearForms made = [] {
    LinearForms l;
    const ChromaContributions& c = chromaContributions();
    const std::array<const std::array<int32_t, 256>*, 4> tables{&c.crToRed, &c.cbToGreen, &c.crToGreen, &c.cbToBlue};
    for (size_t t = 0; t < tables.size(); ++t) {
      const double scaled = kChromaWeights[t] * 65536.0;
      const double whole = std::floor(scaled);
      LinearForm& f = l.forms[t];
      f.whole = static_cast<int32_t>(whole);
      f.fraction = static_cast<int32_t>(std::lround((scaled - whole) * double(1 << 22)));
      for (int v = 0; v < 256; ++v) {
        const int32_t centred = v - 128;
        if (f.whole * centred + ((f.fraction * centred + (1 << 21)) >> 22) != (*tables[t])[static_cast<size_t>(v)])
          l.exact = false;
      }
    }
    return l;
  }();
  return made;
}

HORAZ_AVX2 inline __m256i contribution(__m256i centred, const LinearForm& f) {
  const __m256i rounded = _mm256_srai_epi32(
      _mm256_add_epi32(_mm256_mullo_epi32(centred, _mm256_set1_epi32(f.fraction)), _mm256_set1_epi32(1 << 21)), 22);
  return _mm256_add_epi32(_mm256_mullo_epi32(centred, _mm256_set1_epi32(f.whole)), rounded);
}

HORAZ_AVX2 void rgbPixelLoop(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, RgbaOffsets o, uint8_t* out,
                             size_t& x, size_t width) {
  const LinearForms& linear = linearForms();
  if (!linear.exact) return;  // the reference does the whole row
  const LinearForm &crToRed = linear.forms[0], &cbToGreen = linear.forms[1], &crToGreen = linear.forms[2],
                   &cbToBlue = linear.forms[3];
  const __m128i redShift = _mm_cvtsi32_si128(8 * o.red), greenShift = _mm_cvtsi32_si128(8 * o.green),
                blueShift = _mm_cvtsi32_si128(8 * o.blue);
  const __m256i alpha = _mm256_set1_epi32(static_cast<int32_t>(255u << (8 * o.alpha)));
  const __m256i centre = _mm256_set1_epi32(128);
  for (; x + 8 <= width; x += 8) {
    const __m256i l = _mm256_slli_epi32(eightSamples(luma + x), 16);
    const __m256i u = _mm256_sub_epi32(eightSamples(cb + x), centre),
                  v = _mm256_sub_epi32(eightSamples(cr + x), centre);
    const __m256i red = placedComponent(_mm256_add_epi32(l, contribution(v, crToRed)), redShift);
    const __m256i green = placedComponent(
        _mm256_add_epi32(l, _mm256_add_epi32(contribution(u, cbToGreen), contribution(v, crToGreen))), greenShift);
    const __m256i blue = placedComponent(_mm256_add_epi32(l, contribution(u, cbToBlue)), blueShift);
    store256(out + 4 * x, _mm256_or_si256(_mm256_or_si256(red, green), _mm256_or_si256(blue, alpha)));
  }
}

bool processorHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

}  // namespace

void mapRange(RangeMap map, const uint8_t* in, uint8_t* out, size_t n) {
  const Mapper mapper(map);
  size_t i = 0;
  for (; i + 16 <= n; i += 16) store(out + i, mapper(load(in + i)));
  mapRangeReference(map, in + i, out + i, n - i);
}

void interpolateRow(const uint8_t* nearer, const uint8_t* farther, uint8_t* out, size_t n) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) store(out + i, interpolate16(load(nearer + i), load(farther + i)));
  interpolateRowReference(nearer + i, farther + i, out + i, n - i);
}

void averageRows(const uint8_t* first, const uint8_t* second, uint8_t* out, size_t n) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) store(out + i, _mm_avg_epu8(load(first + i), load(second + i)));
  averageRowsReference(first + i, second + i, out + i, n - i);
}

void widenChromaRow(const uint8_t* pairs, uint8_t* out, size_t width) {
  const size_t pairCount = (width + 1) / 2;
  size_t p = 0;
  // Sixteen pairs at a time while the next pair's sample is still inside.
  for (; p + 16 < pairCount && 2 * p + 32 <= width; p += 16) {
    const __m128i own = load(pairs + p);
    const __m128i between = _mm_avg_epu8(own, load(pairs + p + 1));
    store(out + 2 * p, _mm_unpacklo_epi8(own, between));
    store(out + 2 * p + 16, _mm_unpackhi_epi8(own, between));
  }
  // The rest as the reference does it, the last pair's own sample included.
  widenChromaRowReference(pairs + p, out + 2 * p, width - 2 * p);
}

void halveRow(const uint8_t* in, uint8_t* out, size_t pairs) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  size_t p = 0;
  for (; p + 16 <= pairs; p += 16) {
    const __m128i first = load(in + 2 * p);
    const __m128i second = load(in + 2 * p + 16);
    const __m128i even = _mm_packus_epi16(_mm_and_si128(first, lowBytes), _mm_and_si128(second, lowBytes));
    const __m128i odd = _mm_packus_epi16(_mm_srli_epi16(first, 8), _mm_srli_epi16(second, 8));
    store(out + p, _mm_avg_epu8(even, odd));
  }
  halveRowReference(in + 2 * p, out + p, pairs - p);
}

namespace vector {

bool hasAvx2() { return processorHasAvx2(); }

void packRowSse2(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
                 size_t pairs) {
  size_t p = 0;
  if (expand)
    rows::packRowSse2<true>(layout, luma, chroma, out, p, pairs);
  else
    rows::packRowSse2<false>(layout, luma, chroma, out, p, pairs);
  const ChromaSource rest{chroma.cbNear + p, chroma.cbFar + p, chroma.crNear + p, chroma.crFar + p};
  packRowReference(layout, luma + 2 * p, rest, expand, out, pairs - p);
}

void packRowAvx2(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
                 size_t pairs) {
  size_t p = 0;
  const bool betweenRows = chroma.betweenRows();
  if (expand)
    (betweenRows ? packRowAvx2Loop<true, true> : packRowAvx2Loop<true, false>)(layout, luma, chroma, out, p, pairs);
  else
    (betweenRows ? packRowAvx2Loop<false, true> : packRowAvx2Loop<false, false>)(layout, luma, chroma, out, p, pairs);
  const ChromaSource rest{chroma.cbNear + p, chroma.cbFar + p, chroma.crNear + p, chroma.crFar + p};
  packRowSse2(layout, luma + 2 * p, rest, expand, out, pairs - p);
}

void unpackRowSse2(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                   size_t pairs) {
  size_t p = 0;
  if (compress)
    rows::unpackRowSse2<true>(layout, in, luma, cb, cr, p, pairs);
  else
    rows::unpackRowSse2<false>(layout, in, luma, cb, cr, p, pairs);
  unpackRowReference(layout, in, compress, luma + 2 * p, cb + p, cr + p, pairs - p);
}

void unpackRowAvx2(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                   size_t pairs) {
  size_t p = 0;
  if (compress)
    unpackRowAvx2Loop<true>(layout, in, luma, cb, cr, p, pairs);
  else
    unpackRowAvx2Loop<false>(layout, in, luma, cb, cr, p, pairs);
  unpackRowSse2(layout, in, compress, luma + 2 * p, cb + p, cr + p, pairs - p);
}

void planesToRgbRowAvx2(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, RgbaOffsets offsets, uint8_t* out,
                        size_t width) {
  size_t x = 0;
  rgbPixelLoop(luma, cb, cr, offsets, out, x, width);
  planesToRgbRowReference(luma + x, cb + x, cr + x, offsets, out + 4 * x, width - x);
}

void rgbRowToPlanesAvx2(const uint8_t* in, RgbaOffsets offsets, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                        size_t width) {
  size_t x = 0;
  rgbRowLoop(in, offsets, luma, cb, cr, x, width);
  rgbRowToPlanesReference(in + 4 * x, offsets, false, luma + x, cb + x, cr + x, width - x);
  if (compress) {
    mapRange(RangeMap::kLumaToStudio, luma, luma, width);
    mapRange(RangeMap::kChromaToStudio, cb, cb, width);
    mapRange(RangeMap::kChromaToStudio, cr, cr, width);
  }
}

}  // namespace vector

void planesToRgbRow(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, RgbaOffsets offsets, uint8_t* out,
                    size_t width) {
  if (processorHasAvx2())
    vector::planesToRgbRowAvx2(luma, cb, cr, offsets, out, width);
  else
    planesToRgbRowReference(luma, cb, cr, offsets, out, width);
}

void rgbRowToPlanes(const uint8_t* in, RgbaOffsets offsets, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                    size_t width) {
  if (processorHasAvx2())
    vector::rgbRowToPlanesAvx2(in, offsets, compress, luma, cb, cr, width);
  else
    rgbRowToPlanesReference(in, offsets, compress, luma, cb, cr, width);
}

void packRow(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
             size_t pairs) {
  if (vector::hasVbmi())
    vector::packRowVbmi(layout, luma, chroma, expand, out, pairs);
  else if (processorHasAvx2())
    vector::packRowAvx2(layout, luma, chroma, expand, out, pairs);
  else
    vector::packRowSse2(layout, luma, chroma, expand, out, pairs);
}

void unpackRow(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
               size_t pairs) {
  if (vector::hasVbmi())
    vector::unpackRowVbmi(layout, in, compress, luma, cb, cr, pairs);
  else if (processorHasAvx2())
    vector::unpackRowAvx2(layout, in, compress, luma, cb, cr, pairs);
  else
    vector::unpackRowSse2(layout, in, compress, luma, cb, cr, pairs);
}

#else

void mapRange(RangeMap map, const uint8_t* in, uint8_t* out, size_t n) { mapRangeReference(map, in, out, n); }
void interpolateRow(const uint8_t* nearer, const uint8_t* farther, uint8_t* out, size_t n) {
  interpolateRowReference(nearer, farther, out, n);
}
void averageRows(const uint8_t* first, const uint8_t* second, uint8_t* out, size_t n) {
  averageRowsReference(first, second, out, n);
}
void halveRow(const uint8_t* in, uint8_t* out, size_t pairs) { halveRowReference(in, out, pairs); }
void widenChromaRow(const uint8_t* pairs, uint8_t* out, size_t width) { widenChromaRowReference(pairs, out, width); }
void packRow(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
             size_t pairs) {
  packRowReference(layout, luma, chroma, expand, out, pairs);
}
void unpackRow(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
               size_t pairs) {
  unpackRowReference(layout, in, compress, luma, cb, cr, pairs);
}
void rgbRowToPlanes(const uint8_t* in, RgbaOffsets offsets, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                    size_t width) {
  rgbRowToPlanesReference(in, offsets, compress, luma, cb, cr, width);
}
void planesToRgbRow(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, RgbaOffsets offsets, uint8_t* out,
                    size_t width) {
  planesToRgbRowReference(luma, cb, cr, offsets, out, width);
}

#endif

}  // namespace horaz::cli::rows
