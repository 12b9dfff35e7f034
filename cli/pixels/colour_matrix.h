#pragma once

#include <cstddef>
#include <cstdint>

namespace horaz::cli {

// The matrix that relates a picture's YCbCr samples to RGB: BT.601 (standard
// definition, and the reference host's frames) or BT.709 (high definition).
enum class Matrix : uint8_t { kBt601, kBt709 };

namespace rows {

// Taking YCbCr samples of one matrix to the other's, for samples of one
// range, in Q14 fixed point. Grey stays grey, so luma only moves by what the
// chroma adds and chroma does not depend on luma:
//   Y'  = Y + (lumaFromCb * (Cb - 128) + lumaFromCr * (Cr - 128)) / 2^14
//   Cb' = 128 + (cbFromCb * (Cb - 128) + cbFromCr * (Cr - 128)) / 2^14
//   Cr' = 128 + (crFromCb * (Cb - 128) + crFromCr * (Cr - 128)) / 2^14
// each rounded to nearest and clamped to 0..255. This is the matrix change
// alone: primaries and transfer are kept, as players treat the two systems.
struct MatrixMap {
  int16_t lumaFromCb, lumaFromCr;
  int16_t cbFromCb, cbFromCr;
  int16_t crFromCb, crFromCr;
};
MatrixMap matrixMap(Matrix from, Matrix to, bool studioRange);

// One row with one chroma sample per pair of luma samples (4:2:2): `luma`
// holds 2 x pairs samples. The outputs may be the inputs (in place).
void convertPairsReference(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr,
                           uint8_t* lumaOut, uint8_t* cbOut, uint8_t* crOut, size_t pairs);
void convertPairs(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                  uint8_t* cbOut, uint8_t* crOut, size_t pairs);

// One row with one chroma sample per luma sample (4:4:4). In place allowed.
void convertPixelsReference(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr,
                            uint8_t* lumaOut, uint8_t* cbOut, uint8_t* crOut, size_t width);
void convertPixels(const MatrixMap& map, const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, uint8_t* lumaOut,
                   uint8_t* cbOut, uint8_t* crOut, size_t width);

}  // namespace rows
}  // namespace horaz::cli
