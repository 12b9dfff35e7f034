#include "effect/blend_layout.h"

#include <limits>

namespace horaz::blend {
namespace {

constexpr int32_t kKindRgb = 2;
constexpr int32_t kKindYccFirst = 3;
constexpr int32_t kKindYccSecond = 4;

// Component indexes of the host's YCbCr layouts.
constexpr int32_t kFirstLuma = 4;
constexpr int32_t kSecondLuma = 5;
constexpr int32_t kBlueChroma = 6;
constexpr int32_t kRedChroma = 7;

bool insideStep(int32_t offset, int32_t step) { return offset >= 0 && offset < step; }

}  // namespace

BlendResult readBlendLayout(acf::PixelLayout& layout, BlendLayout& out) {
  const int32_t kind = layout.GetKind();
  if (kind == kKindRgb) {
    if (layout.GetComponentCount() != 4) return BlendResult::kUnhandledLayout;
    out.family = PixelFamily::kRgb;
    out.red = layout.GetComponentOffset(0);
    out.green = layout.GetComponentOffset(1);
    out.blue = layout.GetComponentOffset(2);
    out.alpha = layout.GetComponentOffset(3);
    out.step = layout.GetPixelStep(0);
    // A host that answers nonsense must not make us write outside a pixel.
    if (out.step <= 0) return BlendResult::kUnsafeLayout;
    for (const int32_t offset : {out.red, out.green, out.blue, out.alpha}) {
      if (!insideStep(offset, out.step)) return BlendResult::kUnsafeLayout;
    }
    return BlendResult::kBlended;
  }
  if (kind == kKindYccFirst || kind == kKindYccSecond) {
    out.family = PixelFamily::kYcc;
    out.cb = layout.GetComponentOffset(kBlueChroma);
    out.yFirst = layout.GetComponentOffset(kFirstLuma);
    out.cr = layout.GetComponentOffset(kRedChroma);
    out.ySecond = layout.GetComponentOffset(kSecondLuma);
    const int32_t pixelStep = layout.GetPixelStep(0);
    // With the pairing flag the host's step covers one pixel of the pair.
    const bool paired = layout.GetPairingFlag() == 1;
    if (pixelStep <= 0) return BlendResult::kUnsafeLayout;
    if (paired && pixelStep > std::numeric_limits<int32_t>::max() / 2) return BlendResult::kUnsafeLayout;
    out.step = paired ? pixelStep * 2 : pixelStep;
    for (const int32_t offset : {out.cb, out.yFirst, out.cr, out.ySecond}) {
      if (!insideStep(offset, out.step)) return BlendResult::kUnsafeLayout;
    }
    return BlendResult::kBlended;
  }
  return BlendResult::kUnhandledLayout;
}

}  // namespace horaz::blend
