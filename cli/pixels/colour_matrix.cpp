#include "cli/pixels/colour_matrix.h"

#include <algorithm>
#include <array>
#include <cmath>

#if defined(__SSE2__)
#include <immintrin.h>

#include "cli/pixels/pixel_rows.h"
#endif

namespace horaz::cli::rows {
namespace {

constexpr int kFractionBits = 14;
constexpr int32_t kRounding = 1 << (kFractionBits - 1);

using Matrix3 = std::array<std::array<double, 3>, 3>;

// The luma weights of red and blue; green's is the rest.
struct LumaWeights {
  double red, blue, green;
};
LumaWeights lumaWeightsOf(Matrix matrix) {
  const double red = matrix == Matrix::kBt709 ? 0.2126 : 0.299;
  const double blue = matrix == Matrix::kBt709 ? 0.0722 : 0.114;
  return {red, blue, 1.0 - red - blue};
}

// Normalised Y, Pb, Pr from R, G, B, and back, for the matrix's weights.
Matrix3 toYcc(Matrix matrix) {
  const auto [kr, kb, kg] = lumaWeightsOf(matrix);
  return {{{kr, kg, kb},
           {-kr / (2 * (1 - kb)), -kg / (2 * (1 - kb)), 0.5},
           {0.5, -kg / (2 * (1 - kr)), -kb / (2 * (1 - kr))}}};
}

Matrix3 toRgb(Matrix matrix) {
  const auto [kr, kb, kg] = lumaWeightsOf(matrix);
  return {
      {{1.0, 0.0, 2 * (1 - kr)}, {1.0, -2 * (1 - kb) * kb / kg, -2 * (1 - kr) * kr / kg}, {1.0, 2 * (1 - kb), 0.0}}};
}

Matrix3 product(const Matrix3& a, const Matrix3& b) {
  Matrix3 p{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) p[i][j] += a[i][k] * b[k][j];
  return p;
}

int16_t fixed(double weight) { return static_cast<int16_t>(std::lround(weight * (1 << kFractionBits))); }

uint8_t clampByte(int32_t value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// What the chroma adds to luma, and the new chroma, of one sample.
int32_t lumaDelta(const MatrixMap& m, int32_t u, int32_t v) {
  return (m.lumaFromCb * u + m.lumaFromCr * v + kRounding) >> kFractionBits;
}
uint8_t newCb(const MatrixMap& m, int32_t u, int32_t v) {
  return clampByte(128 + ((m.cbFromCb * u + m.cbFromCr * v + kRounding) >> kFractionBits));
}
uint8_t newCr(const MatrixMap& m, int32_t u, int32_t v) {
  return clampByte(128 + ((m.crFromCb * u + m.crFromCr * v + kRounding) >> kFractionBits));
}

}  // namespace

MatrixMap matrixMap(Matrix from, Matrix to, bool studioRange) {
  const Matrix3 m = product(toYcc(to), toRgb(from));
  // Studio range codes luma over 219 steps and chroma over 224; full range
  // codes both over 255.
  const double lumaPerChroma = studioRange ? 219.0 / 224.0 : 1.0;
  return {fixed(m[0][1] * lumaPerChroma),
          fixed(m[0][2] * lumaPerChroma),
          fixed(m[1][1]),
          fixed(m[1][2]),
          fixed(m[2][1]),
          fixed(m[2][2])};
}

namespace {

// One row with `kLumaPerChroma` (2 for pairs, 1 for pixels) luma samples to
// each chroma sample; in place is safe, as each sample is read before its
// output is written.
template <size_t kLumaPerChroma>
void convertRowReference(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr,
                         uint8_t* lumaOut, uint8_t* cbOut, uint8_t* crOut, size_t chromaCount) {
  for (size_t i = 0; i < chromaCount; ++i) {
    const int32_t u = cb[i] - 128, v = cr[i] - 128;
    const int32_t delta = lumaDelta(map, u, v);
    for (size_t k = kLumaPerChroma * i; k < kLumaPerChroma * (i + 1); ++k) lumaOut[k] = clampByte(luma[k] + delta);
    cbOut[i] = newCb(map, u, v);
    crOut[i] = newCr(map, u, v);
  }
}

}  // namespace

void convertPairsReference(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr,
                           uint8_t* lumaOut, uint8_t* cbOut, uint8_t* crOut, size_t pairs) {
  convertRowReference<2>(map, luma, cb, cr, lumaOut, cbOut, crOut, pairs);
}

void convertPixelsReference(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr,
                            uint8_t* lumaOut, uint8_t* cbOut, uint8_t* crOut, size_t width) {
  convertRowReference<1>(map, luma, cb, cr, lumaOut, cbOut, crOut, width);
}

#if defined(__SSE2__)

namespace {

// The reference's arithmetic on eight samples: the chroma pairs interleaved
// as 16-bit (u, v) so one multiply-add gives each sample's weighted sum.
struct Weights {
  __m128i luma, cb, cr;
};

// A (Cb, Cr) weight pair as the 32-bit lane a multiply-add takes it in: the
// Cb weight in the low half, where the interleaved chroma has its Cb sample.
int32_t weightPair(int16_t onCb, int16_t onCr) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(onCr)) << 16 | static_cast<uint16_t>(onCb));
}

Weights weightsOf(const MatrixMap& m) {
  auto pair = [](int16_t onCb, int16_t onCr) { return _mm_set1_epi32(weightPair(onCb, onCr)); };
  return {pair(m.lumaFromCb, m.lumaFromCr), pair(m.cbFromCb, m.cbFromCr), pair(m.crFromCb, m.crFromCr)};
}

// Eight (Cb, Cr) samples less 128, as the low and high four interleaved.
struct Chroma8 {
  __m128i low, high;
};

Chroma8 centredChroma(const uint8_t* cb, const uint8_t* cr) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i centre = _mm_set1_epi16(128);
  const __m128i u =
      _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb)), zero), centre);
  const __m128i v =
      _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr)), zero), centre);
  return {_mm_unpacklo_epi16(u, v), _mm_unpackhi_epi16(u, v)};
}

// The weighted sums of eight samples, rounded, as 16-bit values.
__m128i weighted(const Chroma8& c, __m128i weights) {
  const __m128i rounding = _mm_set1_epi32(kRounding);
  const __m128i low = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(c.low, weights), rounding), kFractionBits);
  const __m128i high = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(c.high, weights), rounding), kFractionBits);
  return _mm_packs_epi32(low, high);
}

void storeChroma(const Chroma8& c, const Weights& w, uint8_t* cbOut, uint8_t* crOut) {
  const __m128i centre = _mm_set1_epi16(128);
  const __m128i u = _mm_add_epi16(weighted(c, w.cb), centre);
  const __m128i v = _mm_add_epi16(weighted(c, w.cr), centre);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(cbOut), _mm_packus_epi16(u, u));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(crOut), _mm_packus_epi16(v, v));
}

__m128i addToBytes(__m128i bytes, __m128i lowDelta, __m128i highDelta) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_packus_epi16(_mm_add_epi16(_mm_unpacklo_epi8(bytes, zero), lowDelta),
                          _mm_add_epi16(_mm_unpackhi_epi8(bytes, zero), highDelta));
}

// convertRowReference on eight chroma samples at a time. Every load of a
// block comes before its stores, so in place is safe.
template <size_t kLumaPerChroma>
void convertRow(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                uint8_t* cbOut, uint8_t* crOut, size_t chromaCount) {
  const Weights w = weightsOf(map);
  size_t i = 0;
  for (; i + 8 <= chromaCount; i += 8) {
    const Chroma8 c = centredChroma(cb + i, cr + i);
    const __m128i delta = weighted(c, w.luma);  // one per chroma sample
    // Pairs: sixteen luma bytes, each chroma sample's delta to two of them.
    constexpr bool kPairs = kLumaPerChroma == 2;
    const auto* in = reinterpret_cast<const __m128i*>(luma + kLumaPerChroma * i);
    auto* out = reinterpret_cast<__m128i*>(lumaOut + kLumaPerChroma * i);
    const __m128i y = kPairs ? _mm_loadu_si128(in) : _mm_loadl_epi64(in);
    const __m128i converted = kPairs ? addToBytes(y, _mm_unpacklo_epi16(delta, delta), _mm_unpackhi_epi16(delta, delta))
                                     : addToBytes(y, delta, delta);
    storeChroma(c, w, cbOut + i, crOut + i);
    if constexpr (kPairs)
      _mm_storeu_si128(out, converted);
    else
      _mm_storel_epi64(out, converted);
  }
  convertRowReference<kLumaPerChroma>(map, luma + kLumaPerChroma * i, cb + i, cr + i, lumaOut + kLumaPerChroma * i,
                                      cbOut + i, crOut + i, chromaCount - i);
}

// --- AVX2: sixteen chroma samples a step ----------------------------------
//
// The same arithmetic in 256-bit registers. Unpacks and packs work within
// each 128-bit half; the chroma is widened across the halves first, so the
// sums come out in order, and the packed bytes are put in order with one
// 64-bit permute. Not on Windows, whose compiler does not keep the stack
// aligned for 32-byte values passed between functions.

#if !defined(_WIN32)
#define HORAZ_MATRIX_AVX2 1
#define HORAZ_AVX2 __attribute__((target("avx2")))

constexpr int kQuartersInOrder = 0xD8;  // 64-bit quarters 0, 2, 1, 3

HORAZ_AVX2 __m256i weightPair256(int16_t onCb, int16_t onCr) { return _mm256_set1_epi32(weightPair(onCb, onCr)); }

HORAZ_AVX2 __m256i centredChroma16(const uint8_t* samples) {
  return _mm256_sub_epi16(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples))),
                          _mm256_set1_epi16(128));
}

// The rounded weighted sums of sixteen (u, v), as 16-bit values in order.
HORAZ_AVX2 __m256i weighted16(__m256i low, __m256i high, __m256i weights) {
  const __m256i rounding = _mm256_set1_epi32(kRounding);
  return _mm256_packs_epi32(
      _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(low, weights), rounding), kFractionBits),
      _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(high, weights), rounding), kFractionBits));
}

// Sixteen 16-bit values saturated to bytes, in order.
HORAZ_AVX2 __m128i bytes16(__m256i values) {
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(values, values), kQuartersInOrder));
}

// convertRow's loop, sixteen chroma samples a step; returns how many it did.
template <size_t kLumaPerChroma>
HORAZ_AVX2 size_t convertRowAvx2(const MatrixMap& m, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr,
                                 uint8_t* lumaOut, uint8_t* cbOut, uint8_t* crOut, size_t chromaCount) {
  const __m256i lumaWeights = weightPair256(m.lumaFromCb, m.lumaFromCr);
  const __m256i cbWeights = weightPair256(m.cbFromCb, m.cbFromCr);
  const __m256i crWeights = weightPair256(m.crFromCb, m.crFromCr);
  const __m256i centre = _mm256_set1_epi16(128);
  const __m256i zero = _mm256_setzero_si256();
  size_t i = 0;
  for (; i + 16 <= chromaCount; i += 16) {
    const __m256i u = centredChroma16(cb + i), v = centredChroma16(cr + i);
    const __m256i low = _mm256_unpacklo_epi16(u, v), high = _mm256_unpackhi_epi16(u, v);
    const __m256i delta = weighted16(low, high, lumaWeights);
    if constexpr (kLumaPerChroma == 2) {
      const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma + 2 * i));
      const __m256i first = _mm256_add_epi16(_mm256_unpacklo_epi8(y, zero), _mm256_unpacklo_epi16(delta, delta));
      const __m256i second = _mm256_add_epi16(_mm256_unpackhi_epi8(y, zero), _mm256_unpackhi_epi16(delta, delta));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(lumaOut + 2 * i), _mm256_packus_epi16(first, second));
    } else {
      const __m256i y = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + i)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(lumaOut + i), bytes16(_mm256_add_epi16(y, delta)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cbOut + i),
                     bytes16(_mm256_add_epi16(weighted16(low, high, cbWeights), centre)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(crOut + i),
                     bytes16(_mm256_add_epi16(weighted16(low, high, crWeights), centre)));
  }
  return i;
}
#endif

// The AVX2 loop where the processor has it, then the SSE2 one on the rest.
template <size_t kLumaPerChroma>
void convertRowWidest(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                      uint8_t* cbOut, uint8_t* crOut, size_t chromaCount) {
  size_t done = 0;
#if defined(HORAZ_MATRIX_AVX2)
  if (vector::hasAvx2()) done = convertRowAvx2<kLumaPerChroma>(map, luma, cb, cr, lumaOut, cbOut, crOut, chromaCount);
#endif
  const size_t lumaDone = kLumaPerChroma * done;
  convertRow<kLumaPerChroma>(map, luma + lumaDone, cb + done, cr + done, lumaOut + lumaDone, cbOut + done, crOut + done,
                             chromaCount - done);
}

}  // namespace

void convertPairs(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                  uint8_t* cbOut, uint8_t* crOut, size_t pairs) {
  convertRowWidest<2>(map, luma, cb, cr, lumaOut, cbOut, crOut, pairs);
}

void convertPixels(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                   uint8_t* cbOut, uint8_t* crOut, size_t width) {
  convertRowWidest<1>(map, luma, cb, cr, lumaOut, cbOut, crOut, width);
}

#else

void convertPairs(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                  uint8_t* cbOut, uint8_t* crOut, size_t pairs) {
  convertPairsReference(map, luma, cb, cr, lumaOut, cbOut, crOut, pairs);
}
void convertPixels(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                   uint8_t* cbOut, uint8_t* crOut, size_t width) {
  convertPixelsReference(map, luma, cb, cr, lumaOut, cbOut, crOut, width);
}

#endif

}  // namespace horaz::cli::rows
