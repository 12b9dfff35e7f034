#include "cli/pixels/colour_matrix.h"

#include <algorithm>
#include <array>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
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

Weights weightsOf(const MatrixMap& m) {
  auto pair = [](int16_t onCb, int16_t onCr) {
    return _mm_set1_epi32(
        static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(onCr)) << 16 | static_cast<uint16_t>(onCb)));
  };
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

}  // namespace

void convertPairs(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                  uint8_t* cbOut, uint8_t* crOut, size_t pairs) {
  convertRow<2>(map, luma, cb, cr, lumaOut, cbOut, crOut, pairs);
}

void convertPixels(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                   uint8_t* cbOut, uint8_t* crOut, size_t width) {
  convertRow<1>(map, luma, cb, cr, lumaOut, cbOut, crOut, width);
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
