#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cli/pixels/colour_matrix.h"
#include "testhost/frame_memory.h"

namespace horaz::cli {

// Chroma subsampling of a planar YCbCr picture.
enum class Chroma : uint8_t { k420, k422, k444 };

// Planes of an 8-bit YCbCr picture held elsewhere (a YuvPicture or a
// decoder's frame), rows top-down: luma rows `lumaStride` bytes apart, the
// rows of both chroma planes `chromaStride` apart.
struct YuvView {
  int32_t width = 0;
  int32_t height = 0;
  Chroma chroma = Chroma::k420;
  bool fullRange = false;
  Matrix matrix = Matrix::kBt601;
  const uint8_t* y = nullptr;
  const uint8_t* cb = nullptr;
  const uint8_t* cr = nullptr;
  size_t lumaStride = 0;
  size_t chromaStride = 0;

  int32_t chromaWidth() const { return chroma == Chroma::k444 ? width : (width + 1) / 2; }
  int32_t chromaHeight() const { return chroma == Chroma::k420 ? (height + 1) / 2 : height; }
  const uint8_t* lumaRow(int32_t row) const { return y + static_cast<size_t>(row) * lumaStride; }
  const uint8_t* cbRow(int32_t row) const { return cb + static_cast<size_t>(row) * chromaStride; }
  const uint8_t* crRow(int32_t row) const { return cr + static_cast<size_t>(row) * chromaStride; }
};

// How a frame's samples are written as planes: studio or full range, the
// matrix, and either the frame's own chroma (4:2:2 for YCbCr frames, 4:4:4
// for RGB ones) or 4:2:0, whose chroma rows are the mean of two rows (for
// progressive frames).
struct PlaneCoding {
  bool fullRange = false;
  Matrix matrix = Matrix::kBt601;
  bool chroma420 = false;

  Chroma chromaFor(bool yccFrame) const { return chroma420 ? Chroma::k420 : yccFrame ? Chroma::k422 : Chroma::k444; }
};

// An 8-bit planar YCbCr picture as video files carry it, rows top-down.
// `fullRange` false means studio range (Y 16..235, Cb and Cr 16..240), the
// usual meaning of a video file that does not say otherwise; `matrix` says
// how the samples relate to RGB.
struct YuvPicture {
  int32_t width = 0;
  int32_t height = 0;
  Chroma chroma = Chroma::k420;
  bool fullRange = false;
  Matrix matrix = Matrix::kBt601;
  testhost::FrameBytes y, cb, cr;  // not cleared when sized: every sample is written before it is read

  int32_t chromaWidth() const { return chroma == Chroma::k444 ? width : (width + 1) / 2; }
  int32_t chromaHeight() const { return chroma == Chroma::k420 ? (height + 1) / 2 : height; }
  // Sizes the planes for width x height (contents unspecified).
  void allocate(int32_t newWidth, int32_t newHeight, Chroma newChroma);
  YuvView view() const {
    return {width,
            height,
            chroma,
            fullRange,
            matrix,
            y.data(),
            cb.data(),
            cr.data(),
            static_cast<size_t>(width),
            static_cast<size_t>(chromaWidth())};
  }
};

// An 8-bit picture with four bytes per pixel in the order red, green, blue,
// alpha; rows top-down and contiguous.
struct RgbaPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;

  void allocate(int32_t newWidth, int32_t newHeight) {
    width = newWidth;
    height = newHeight;
    testhost::sizeFrameBuffer(pixels, static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight) * 4);
  }
  uint8_t* row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4; }
  const uint8_t* row(int32_t y) const {
    return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
  }
};

inline void YuvPicture::allocate(int32_t newWidth, int32_t newHeight, Chroma newChroma) {
  width = newWidth;
  height = newHeight;
  chroma = newChroma;
  testhost::sizeFrameBuffer(y, static_cast<size_t>(width) * static_cast<size_t>(height));
  const size_t chromaSize = static_cast<size_t>(chromaWidth()) * static_cast<size_t>(chromaHeight());
  testhost::sizeFrameBuffer(cb, chromaSize);
  testhost::sizeFrameBuffer(cr, chromaSize);
}

}  // namespace horaz::cli
