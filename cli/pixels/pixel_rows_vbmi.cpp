// The pack and unpack loops with AVX-512 VBMI: one byte permute across two
// registers places every sample of 32 pairs, and the range maps are table
// lookups (256 entries from mapSample, so they are the reference's bytes by
// construction) instead of fixed-point arithmetic. Built for VBMI whatever
// the compiler's default, and called only when the processor has it.
#include "cli/pixels/pixel_rows.h"

#if defined(__SSE2__)
// GCC 12's AVX-512 intrinsics start their results from an undefined vector
// and report it as maybe uninitialized once inlined; nothing here reads one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <array>

namespace horaz::cli::rows::vector {
namespace {

#define HORAZ_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

using ByteIndexes = std::array<uint8_t, 64>;

// Where each byte of a packed pair sits, by layout: Cb, first Y, Cr, second Y.
struct PairOffsets {
  int cb, y0, cr, y1;
};
constexpr PairOffsets offsetsOf(PairLayout layout) {
  return layout == PairLayout::kCbYCrY ? PairOffsets{0, 1, 2, 3} : PairOffsets{1, 0, 3, 2};
}

// Packing reads a table of 128 bytes: chroma (Cb of 32 pairs, then their Cr)
// and then the 64 luma samples. Output register `half` holds pairs
// 16 x half .. 16 x half + 15.
constexpr ByteIndexes packIndexes(PairLayout layout, int half) {
  const PairOffsets o = offsetsOf(layout);
  ByteIndexes indexes{};
  for (int pair = 0; pair < 16; ++pair) {
    const int p = 16 * half + pair;
    indexes[4 * pair + o.cb] = static_cast<uint8_t>(p);
    indexes[4 * pair + o.cr] = static_cast<uint8_t>(32 + p);
    indexes[4 * pair + o.y0] = static_cast<uint8_t>(64 + 2 * p);
    indexes[4 * pair + o.y1] = static_cast<uint8_t>(64 + 2 * p + 1);
  }
  return indexes;
}

// Unpacking reads the 128 bytes of 32 packed pairs: the luma in order, and
// the chroma as Cb of the 32 pairs then their Cr.
constexpr ByteIndexes lumaIndexes(PairLayout layout) {
  const PairOffsets o = offsetsOf(layout);
  ByteIndexes indexes{};
  for (int p = 0; p < 32; ++p) {
    indexes[2 * p] = static_cast<uint8_t>(4 * p + o.y0);
    indexes[2 * p + 1] = static_cast<uint8_t>(4 * p + o.y1);
  }
  return indexes;
}
constexpr ByteIndexes chromaIndexes(PairLayout layout) {
  const PairOffsets o = offsetsOf(layout);
  ByteIndexes indexes{};
  for (int p = 0; p < 32; ++p) {
    indexes[p] = static_cast<uint8_t>(4 * p + o.cb);
    indexes[32 + p] = static_cast<uint8_t>(4 * p + o.cr);
  }
  return indexes;
}

constexpr std::array<ByteIndexes, 2> kPackFirst{packIndexes(PairLayout::kCbYCrY, 0),
                                                packIndexes(PairLayout::kYCbYCr, 0)};
constexpr std::array<ByteIndexes, 2> kPackSecond{packIndexes(PairLayout::kCbYCrY, 1),
                                                 packIndexes(PairLayout::kYCbYCr, 1)};
constexpr std::array<ByteIndexes, 2> kLuma{lumaIndexes(PairLayout::kCbYCrY), lumaIndexes(PairLayout::kYCbYCr)};
constexpr std::array<ByteIndexes, 2> kChroma{chromaIndexes(PairLayout::kCbYCrY), chromaIndexes(PairLayout::kYCbYCr)};

size_t layoutIndex(PairLayout layout) { return layout == PairLayout::kCbYCrY ? 0 : 1; }

// The 256 results of one range map.
struct MapTable {
  alignas(64) std::array<uint8_t, 256> values;
};
const MapTable& tableOf(RangeMap map) {
  static const std::array<MapTable, 4> tables = [] {
    std::array<MapTable, 4> made{};
    for (size_t m = 0; m < made.size(); ++m)
      for (int v = 0; v < 256; ++v)
        made[m].values[static_cast<size_t>(v)] = mapSample(static_cast<RangeMap>(m), static_cast<uint8_t>(v));
    return made;
  }();
  return tables[static_cast<size_t>(map)];
}

HORAZ_VBMI inline __m512i load512(const void* p) { return _mm512_loadu_si512(p); }

// A range map held in four registers: each byte of a register is looked up
// in the lower or upper half of the table by its top bit.
struct Lookup {
  __m512i q0, q1, q2, q3;
};
HORAZ_VBMI inline Lookup lookupOf(RangeMap map) {
  const uint8_t* t = tableOf(map).values.data();
  return {load512(t), load512(t + 64), load512(t + 128), load512(t + 192)};
}
HORAZ_VBMI inline __m512i lookUp(__m512i v, const Lookup& l) {
  const __m512i lower = _mm512_permutex2var_epi8(l.q0, v, l.q1);
  const __m512i upper = _mm512_permutex2var_epi8(l.q2, v, l.q3);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), lower, upper);
}

HORAZ_VBMI inline __m512i twoHalves(const uint8_t* low, const uint8_t* high) {
  const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(low));
  const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(high));
  // 128-bit lanes 0, 1 of each (the cast's upper half is never read).
  return _mm512_shuffle_i64x2(_mm512_castsi256_si512(first), _mm512_castsi256_si512(second), 0x44);
}

// kBetweenRows: the chroma lies between two rows (4:2:0) and is weighed
// from both; otherwise (4:2:2) the row's own samples are taken as they are.
template <bool kExpand, bool kBetweenRows>
HORAZ_VBMI void packLoop(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, uint8_t* out, size_t& p,
                         size_t pairs) {
  const size_t l = layoutIndex(layout);
  const __m512i first = load512(kPackFirst[l].data()), second = load512(kPackSecond[l].data());
  Lookup lumaMap{}, chromaMap{};
  if constexpr (kExpand) {
    lumaMap = lookupOf(RangeMap::kLumaToFull);
    chromaMap = lookupOf(RangeMap::kChromaToFull);
  }
  for (; p + 32 <= pairs; p += 32) {
    __m512i c = twoHalves(chroma.cbNear + p, chroma.crNear + p);
    if constexpr (kBetweenRows) {
      const __m512i farther = twoHalves(chroma.cbFar + p, chroma.crFar + p);
      c = _mm512_avg_epu8(c, _mm512_avg_epu8(c, farther));
    }
    __m512i y = load512(luma + 2 * p);
    if constexpr (kExpand) {
      c = lookUp(c, chromaMap);
      y = lookUp(y, lumaMap);
    }
    _mm512_storeu_si512(out + 4 * p, _mm512_permutex2var_epi8(c, first, y));
    _mm512_storeu_si512(out + 4 * p + 64, _mm512_permutex2var_epi8(c, second, y));
  }
}

template <bool kCompress>
HORAZ_VBMI void unpackLoop(PairLayout layout, const uint8_t* in, uint8_t* luma, uint8_t* cb, uint8_t* cr, size_t& p,
                           size_t pairs) {
  const size_t l = layoutIndex(layout);
  const __m512i lumaAt = load512(kLuma[l].data()), chromaAt = load512(kChroma[l].data());
  Lookup lumaMap{}, chromaMap{};
  if constexpr (kCompress) {
    lumaMap = lookupOf(RangeMap::kLumaToStudio);
    chromaMap = lookupOf(RangeMap::kChromaToStudio);
  }
  for (; p + 32 <= pairs; p += 32) {
    const __m512i a = load512(in + 4 * p), b = load512(in + 4 * p + 64);
    __m512i y = _mm512_permutex2var_epi8(a, lumaAt, b);
    __m512i c = _mm512_permutex2var_epi8(a, chromaAt, b);
    if constexpr (kCompress) {
      y = lookUp(y, lumaMap);
      c = lookUp(c, chromaMap);
    }
    _mm512_storeu_si512(luma + 2 * p, y);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cb + p), _mm512_castsi512_si256(c));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cr + p), _mm512_castsi512_si256(_mm512_shuffle_i64x2(c, c, 0xEE)));
  }
}

}  // namespace

bool hasVbmi() {
  static const bool has =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
  return has;
}

void packRowVbmi(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
                 size_t pairs) {
  size_t p = 0;
  const bool betweenRows = chroma.betweenRows();
  if (expand)
    (betweenRows ? packLoop<true, true> : packLoop<true, false>)(layout, luma, chroma, out, p, pairs);
  else
    (betweenRows ? packLoop<false, true> : packLoop<false, false>)(layout, luma, chroma, out, p, pairs);
  const ChromaSource rest{chroma.cbNear + p, chroma.cbFar + p, chroma.crNear + p, chroma.crFar + p};
  packRowAvx2(layout, luma + 2 * p, rest, expand, out + 4 * p, pairs - p);
}

void unpackRowVbmi(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                   size_t pairs) {
  size_t p = 0;
  if (compress)
    unpackLoop<true>(layout, in, luma, cb, cr, p, pairs);
  else
    unpackLoop<false>(layout, in, luma, cb, cr, p, pairs);
  unpackRowAvx2(layout, in + 4 * p, compress, luma + 2 * p, cb + p, cr + p, pairs - p);
}

}  // namespace horaz::cli::rows::vector

#endif
