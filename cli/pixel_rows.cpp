#include "cli/pixel_rows.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
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

void packRow(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
             size_t pairs) {
  size_t p = 0;
  if (expand)
    packRowSse2<true>(layout, luma, chroma, out, p, pairs);
  else
    packRowSse2<false>(layout, luma, chroma, out, p, pairs);
  const ChromaSource rest{chroma.cbNear + p, chroma.cbFar + p, chroma.crNear + p, chroma.crFar + p};
  packRowReference(layout, luma + 2 * p, rest, expand, out, pairs - p);
}

void unpackRow(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
               size_t pairs) {
  size_t p = 0;
  if (compress)
    unpackRowSse2<true>(layout, in, luma, cb, cr, p, pairs);
  else
    unpackRowSse2<false>(layout, in, luma, cb, cr, p, pairs);
  unpackRowReference(layout, in, compress, luma + 2 * p, cb + p, cr + p, pairs - p);
}

#else

void mapRange(RangeMap map, const uint8_t* in, uint8_t* out, size_t n) { mapRangeReference(map, in, out, n); }
void interpolateRow(const uint8_t* nearer, const uint8_t* farther, uint8_t* out, size_t n) {
  interpolateRowReference(nearer, farther, out, n);
}
void halveRow(const uint8_t* in, uint8_t* out, size_t pairs) { halveRowReference(in, out, pairs); }
void packRow(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
             size_t pairs) {
  packRowReference(layout, luma, chroma, expand, out, pairs);
}
void unpackRow(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
               size_t pairs) {
  unpackRowReference(layout, in, compress, luma, cb, cr, pairs);
}

#endif

}  // namespace horaz::cli::rows
