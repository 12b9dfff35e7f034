#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Row loops of the YCbCr conversions, each as a scalar reference and as the
// optimised loop that `horaz render` runs (AVX-512 VBMI, AVX2 or SSE2,
// the widest the processor has, the reference elsewhere). Both give the same bytes for every input; the
// tests hold them to it.

namespace horaz::cli::rows {

// Byte layout of a 4:2:2 pair in the host's frames.
enum class PairLayout : uint8_t {
  kCbYCrY,  // Cb, Y0, Cr, Y1
  kYCbYCr,  // Y0, Cb, Y1, Cr
};

// Studio range to full range and back, per sample, in 14-bit fixed point:
//   luma to full    clamp(((v - 16) * 19078 + 8192) >> 14)        (255/219)
//   chroma to full  clamp(((v - 128) * 18652 + 8192) >> 14) + 128  (255/224)
//   luma to studio  ((v * 14071 + 8192) >> 14) + 16                (219/255)
//   chroma to studio ((v - 128) * 14392 + 8192) >> 14) + 128       (224/255)
// Expanding gives the value rounded to nearest (ties away from zero) for
// every input, and
// compressing an expanded studio-range value gives it back unchanged.
enum class RangeMap : uint8_t { kLumaToFull, kChromaToFull, kLumaToStudio, kChromaToStudio };
uint8_t mapSample(RangeMap map, uint8_t value);

// out[i] = map(in[i]) for n samples; in and out may be the same.
void mapRangeReference(RangeMap map, const uint8_t* in, uint8_t* out, size_t n);
void mapRange(RangeMap map, const uint8_t* in, uint8_t* out, size_t n);

// mean(near, mean(near, far)), each mean rounded up, per sample (see
// ChromaSource).
void interpolateRowReference(const uint8_t* nearer, const uint8_t* farther, uint8_t* out, size_t n);
void interpolateRow(const uint8_t* nearer, const uint8_t* farther, uint8_t* out, size_t n);

// The mean of two rows, rounded up, per sample (4:2:0 chroma from two rows).
void averageRowsReference(const uint8_t* first, const uint8_t* second, uint8_t* out, size_t n);
void averageRows(const uint8_t* first, const uint8_t* second, uint8_t* out, size_t n);

// 4:4:4 chroma to one sample per pair: out[p] = mean(in[2p], in[2p + 1])
// rounded up, for n pairs (in holds 2n samples).
void halveRowReference(const uint8_t* in, uint8_t* out, size_t pairs);
void halveRow(const uint8_t* in, uint8_t* out, size_t pairs);

// The chroma rows that make one row of pairs: each sample is
// mean(near, mean(near, far)), both means rounded up, which weighs the
// nearer row 3/4 (4:2:0 chroma between two luma rows); a 4:2:2 row is given
// as both, which leaves it unchanged.
struct ChromaSource {
  const uint8_t* cbNear;
  const uint8_t* cbFar;
  const uint8_t* crNear;
  const uint8_t* crFar;

  // 4:2:0: two rows to weigh; 4:2:2 gives one row as both.
  bool betweenRows() const { return cbNear != cbFar || crNear != crFar; }
};

// Planar samples of `pairs` pairs (luma holds 2 x pairs) into packed pairs,
// expanded from studio range first when `expand` is set.
void packRowReference(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
                      size_t pairs);
void packRow(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
             size_t pairs);

// Packed pairs back into planar samples, compressed to studio range when
// `compress` is set.
void unpackRowReference(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                        size_t pairs);
void unpackRow(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
               size_t pairs);

// Full-range BT.601 from RGB in 16.16 fixed point. The weights of each
// output add up to 65536 (luma) or 0 (chroma), so grey stays grey exactly.
inline constexpr int32_t kYr = 19595, kYg = 38470, kYb = 7471;
inline constexpr int32_t kCbR = -11059, kCbG = -21709, kCbB = 32768;
inline constexpr int32_t kCrR = 32768, kCrG = -27439, kCrB = -5329;

// (fixed + 2^15) >> 16 clamped to 0..255: a 16.16 sum rounded to a byte.
uint8_t clampedFixed(int32_t fixed);

// Byte offsets of red, green, blue and alpha within a 4-byte RGB-type pixel.
struct RgbaOffsets {
  int32_t red, green, blue, alpha;
};

// `width` 4-byte pixels into luma, Cb and Cr planes (one sample each per
// pixel): Y = (kYr R + kYg G + kYb B + 2^15) >> 16, Cb and Cr likewise plus
// 128, each clamped to 0..255, then compressed to studio range when
// `compress` is set.
void rgbRowToPlanesReference(const uint8_t* in, RgbaOffsets offsets, bool compress, uint8_t* luma, uint8_t* cb,
                             uint8_t* cr, size_t width);
void rgbRowToPlanes(const uint8_t* in, RgbaOffsets offsets, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                    size_t width);

// One chroma sample per pair back to one per pixel for `width` pixels: an
// even pixel takes its pair's sample, an odd one the mean of its pair's and
// the next pair's (the last pair's own at the end), rounded up.
void widenChromaRowReference(const uint8_t* pairs, uint8_t* out, size_t width);
void widenChromaRow(const uint8_t* pairs, uint8_t* out, size_t width);

// What a full-range Cb or Cr sample adds to red, green and blue, in 16.16
// fixed point, by value: the RGB conversion's weights (1.402, -0.344136,
// -0.714136, 1.772) times the sample less 128, each rounded once.
struct ChromaContributions {
  std::array<int32_t, 256> crToRed, cbToGreen, crToGreen, cbToBlue;
};
const ChromaContributions& chromaContributions();

// `width` pixels from full-range luma, Cb and Cr (one sample each per pixel)
// into 4-byte pixels: R = clamp((Y << 16) + crToRed[Cr] + 2^15) >> 16, and
// so on, alpha 255.
void planesToRgbRowReference(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, RgbaOffsets offsets,
                             uint8_t* out, size_t width);
void planesToRgbRow(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, RgbaOffsets offsets, uint8_t* out,
                    size_t width);

#if defined(__SSE2__)
// The vector loops by instruction set, each giving the reference's bytes;
// packRow and unpackRow run the widest the processor has. The AVX2 ones must
// only be called when hasAvx2() says so, the VBMI ones when hasVbmi() does.
namespace vector {
bool hasAvx2();
bool hasVbmi();  // AVX-512 F, BW and VBMI (implies AVX2)
void packRowVbmi(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
                 size_t pairs);
void unpackRowVbmi(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                   size_t pairs);
void packRowSse2(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
                 size_t pairs);
void packRowAvx2(PairLayout layout, const uint8_t* luma, const ChromaSource& chroma, bool expand, uint8_t* out,
                 size_t pairs);
void unpackRowSse2(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                   size_t pairs);
void unpackRowAvx2(PairLayout layout, const uint8_t* in, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                   size_t pairs);
void planesToRgbRowAvx2(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, RgbaOffsets offsets, uint8_t* out,
                        size_t width);
void rgbRowToPlanesAvx2(const uint8_t* in, RgbaOffsets offsets, bool compress, uint8_t* luma, uint8_t* cb, uint8_t* cr,
                        size_t width);
}  // namespace vector
#endif

}  // namespace horaz::cli::rows
