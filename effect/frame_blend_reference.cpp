// The blend written as plainly as it is defined: one pixel (or pair) at a
// time, every formula spelled out. The fast loop in frame_blend.cpp must give
// the same bytes; the compositing tests hold it to that.
#include <cstddef>

#include "effect/blend_layout.h"
#include "effect/frame_blend.h"

namespace horaz {
namespace {

using blend::BlendLayout;

void blendRgbRow(const uint8_t* s, int32_t width, const uint8_t* in, uint8_t* out, const BlendLayout& l) {
  for (int32_t x = 0; x < width; ++x, s += 4) {
    const size_t at = static_cast<size_t>(x) * static_cast<size_t>(l.step);
    const uint8_t* i = in + at;
    uint8_t* o = out + at;
    const int32_t a = s[3];
    if (a == 0) {
      o[l.red] = i[l.red];
      o[l.green] = i[l.green];
      o[l.blue] = i[l.blue];
      o[l.alpha] = i[l.alpha];
      continue;
    }
    // Integer division truncates: the input's share and the paint's share are
    // each rounded down on their own, as the host's other effects do.
    o[l.red] = static_cast<uint8_t>(((255 - a) * i[l.red]) / 255 + (s[2] * a) / 255);
    o[l.green] = static_cast<uint8_t>(((255 - a) * i[l.green]) / 255 + (s[1] * a) / 255);
    o[l.blue] = static_cast<uint8_t>(((255 - a) * i[l.blue]) / 255 + (s[0] * a) / 255);
    o[l.alpha] = static_cast<uint8_t>(a);
  }
}

uint8_t mix(int32_t alpha, uint8_t input, double paint) {
  // The input's share in integers first, then the paint's share in double;
  // the sum is truncated.
  const int32_t kept = ((255 - alpha) * input) / 255;
  return static_cast<uint8_t>(static_cast<int32_t>(kept + alpha * paint / 255.0));
}

void blendYccRow(const uint8_t* s, int32_t width, const uint8_t* in, uint8_t* out, const BlendLayout& l) {
  for (int32_t x = 0; x < width; x += 2, s += 8) {
    const size_t at = static_cast<size_t>(x / 2) * static_cast<size_t>(l.step);
    const uint8_t* i = in + at;
    uint8_t* o = out + at;
    // In a frame of odd width the last pair has no second pixel: it counts as
    // transparent and its luma byte is not ours to write.
    const bool hasSecond = x + 1 < width;
    const uint8_t* s1 = s;
    const int32_t a1 = s1[3];
    if (a1 == 0) {
      o[l.cr] = i[l.cr];
      o[l.yFirst] = i[l.yFirst];
      o[l.cb] = i[l.cb];
      if (hasSecond) o[l.ySecond] = i[l.ySecond];
      continue;
    }
    const double r1 = s1[2], g1 = s1[1], b1 = s1[0];
    // The first pixel's luma and the pair's chroma in 256ths (77/150/29,
    // 131/110/21, 44/87/131); the second luma with the decimal weights.
    const double yFirst = 0.30078125 * r1 + 0.5859375 * g1 + 0.11328125 * b1;
    double cr = 0.51171875 * r1 - 0.4296875 * g1 - 0.08203125 * b1 + 128.0;
    double cb = -0.171875 * r1 - 0.33984375 * g1 + 0.51171875 * b1 + 128.0;
    if (cr < 0.0) cr = 0.0;
    if (cr > 255.0) cr = 255.0;
    if (cb < 0.0) cb = 0.0;
    if (cb > 255.0) cb = 255.0;
    o[l.cr] = mix(a1, i[l.cr], cr);
    o[l.yFirst] = mix(a1, i[l.yFirst], yFirst);
    o[l.cb] = mix(a1, i[l.cb], cb);
    if (hasSecond) {
      const uint8_t* s2 = s + 4;
      const double r2 = s2[2], g2 = s2[1], b2 = s2[0];
      const double ySecond = 0.299 * r2 + 0.587 * g2 + 0.114 * b2;
      o[l.ySecond] = mix(s2[3], i[l.ySecond], ySecond);
    }
  }
}

}  // namespace

BlendResult blendSurfaceReference(const uint8_t* surfacePixels, int32_t width, int32_t height, acf::Frame& output,
                                  acf::Frame& input, acf::PixelLayout& layout, int32_t startRow, int32_t rowStep) {
  if (!blend::validBlendArguments(surfacePixels, startRow, rowStep)) return BlendResult::kInvalidArguments;
  BlendLayout l;
  if (const BlendResult read = blend::readBlendLayout(layout, l); read != BlendResult::kBlended) return read;
  if (width <= 0) return BlendResult::kBlended;
  for (int64_t y = startRow; y < height; y += rowStep) {
    const int32_t row = static_cast<int32_t>(y);
    uint8_t* out = output.GetRow(row, 0);
    const uint8_t* in = input.GetRow(row, 0);
    if (!out || !in) continue;
    const uint8_t* s = blend::surfaceRow(surfacePixels, width, row);
    if (l.family == blend::PixelFamily::kRgb) {
      blendRgbRow(s, width, in, out, l);
    } else {
      blendYccRow(s, width, in, out, l);
    }
  }
  return BlendResult::kBlended;
}

}  // namespace horaz
