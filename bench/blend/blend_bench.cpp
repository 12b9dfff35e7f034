// Time of the frame blend against a memcpy of the same frame, measured in the
// same run: 1920 x 1080 and 3840 x 2160, RGB-type and YCbCr 4:2:2, over an
// untouched surface and over one with a clock-sized drawn block. Beside it,
// the floor: the same copy plus one read of the surface, which every blend
// must do since the surface's alpha bytes lie in every cache line of it.
//
//   horaz_blend_bench [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effect/frame_blend.h"
#include "host/counted_ref.h"
#include "testhost/frame.h"

namespace {

using horaz::CountedRef;
using horaz::testhost::FrameFormat;
using horaz::testhost::HostFrame;
using horaz::testhost::PixelFormat;
using Clock = std::chrono::steady_clock;

double millisecondsOf(const auto& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Times `baseline` and `work` alternately, so that whatever else the machine
// does weighs on both alike. Gives the median times and the median of the
// per-repetition ratios.
struct Timing {
  double baseline;
  double work;
  double ratio;
};

Timing compare(int repetitions, const auto& baseline, const auto& work) {
  baseline();  // warm the caches and the pages
  work();
  std::vector<double> baselineTimes, workTimes, ratios;
  for (int i = 0; i < repetitions; ++i) {
    baselineTimes.push_back(millisecondsOf(baseline));
    workTimes.push_back(millisecondsOf(work));
    ratios.push_back(workTimes.back() / baselineTimes.back());
  }
  return {median(baselineTimes), median(workTimes), median(ratios)};
}

// What no blend can beat: the frame copied and every surface byte read once
// (each 64-byte line of the surface holds alpha bytes the blend must see).
uint64_t readAndCopy(const uint8_t* surface, size_t surfaceRowBytes, HostFrame& input, HostFrame& output) {
  uint64_t seen = 0;
  for (int32_t y = 0; y < input.height(); ++y) {
    const uint8_t* s = surface + static_cast<size_t>(y) * surfaceRowBytes;
    size_t i = 0;
#if defined(__SSE2__)
    __m128i any = _mm_setzero_si128();
    for (; i + 64 <= surfaceRowBytes; i += 64) {
      const auto* at = reinterpret_cast<const __m128i*>(s + i);
      any = _mm_or_si128(any, _mm_or_si128(_mm_or_si128(_mm_loadu_si128(at), _mm_loadu_si128(at + 1)),
                                           _mm_or_si128(_mm_loadu_si128(at + 2), _mm_loadu_si128(at + 3))));
    }
    seen |= static_cast<uint64_t>(_mm_cvtsi128_si64(any));
#endif
    for (; i + 8 <= surfaceRowBytes; i += 8) {
      uint64_t word;
      std::memcpy(&word, s + i, 8);
      seen |= word;
    }
    std::memcpy(output.memoryRow(y), input.memoryRow(y), static_cast<size_t>(input.rowBytes()));
  }
  return seen;
}

std::vector<uint8_t> makeSurface(int32_t width, int32_t height, bool clock) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
  if (!clock) return pixels;
  // A 400 x 150 block of alpha 200 around the centre, as a digital clock
  // with its background box would leave it.
  const int32_t left = width / 2 - 200, top = height / 2 - 75;
  for (int32_t y = top; y < top + 150; ++y) {
    for (int32_t x = left; x < left + 400; ++x) {
      uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = 40;
      p[1] = static_cast<uint8_t>(x);
      p[2] = 220;
      p[3] = 200;
    }
  }
  return pixels;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(3, std::atoi(argv[1])) : 25;
  struct Size {
    int32_t width, height;
  };
  const Size sizes[] = {{1920, 1080}, {3840, 2160}};
  const PixelFormat formats[] = {PixelFormat::kBgra, PixelFormat::kCbYCrY};

  std::printf("%-10s %-7s %-12s %10s %10s %8s %12s %12s %8s\n", "frame", "pixels", "surface", "memcpy ms", "blend ms",
              "ratio", "floor ratio", "reference ms", "ratio");
  bool transparentWithinTarget = true;
  for (const Size size : sizes) {
    for (const PixelFormat format : formats) {
      auto ledger = std::make_shared<horaz::testhost::Ledger>();
      auto input = CountedRef<HostFrame>::adopt(
          horaz::testhost::make<HostFrame>(ledger, size.width, size.height, FrameFormat{format}));
      auto output = CountedRef<HostFrame>::adopt(
          horaz::testhost::make<HostFrame>(ledger, size.width, size.height, FrameFormat{format}));
      for (int32_t y = 0; y < size.height; ++y) {
        std::memset(input->memoryRow(y), y & 0xFF, static_cast<size_t>(input->rowBytes()));
      }
      const size_t frameBytes = static_cast<size_t>(input->stride()) * static_cast<size_t>(size.height);
      for (const bool clock : {false, true}) {
        const std::vector<uint8_t> surface = makeSurface(size.width, size.height, clock);
        const auto copy = [&] { std::memcpy(output->memoryRow(0), input->memoryRow(0), frameBytes); };
        auto blendWith = [&](auto function) {
          return [&, function] {
            if (function(surface.data(), size.width, size.height, *output.get(), *input.get(), output->layout(), 0,
                         1) != horaz::BlendResult::kBlended) {
              std::fprintf(stderr, "blend failed\n");
              std::exit(1);
            }
          };
        };
        using WholeSurfaceBlend = horaz::BlendResult (*)(const uint8_t*, int32_t, int32_t, acf::Frame&, acf::Frame&,
                                                         acf::PixelLayout&, int32_t, int32_t);
        const Timing fast = compare(repetitions, copy, blendWith(static_cast<WholeSurfaceBlend>(&horaz::blendSurface)));
        volatile uint64_t sink = 0;
        const Timing floor = compare(repetitions, copy, [&] {
          sink = sink + readAndCopy(surface.data(), static_cast<size_t>(size.width) * 4, *input.get(), *output.get());
        });
        const Timing reference = compare(std::max(3, repetitions / 4), copy, blendWith(&horaz::blendSurfaceReference));
        std::printf("%4dx%-5d %-7s %-12s %10.3f %10.3f %8.2f %12.2f %12.3f %8.2f\n", size.width, size.height,
                    horaz::testhost::isYcc(format) ? "YCbCr" : "RGB", clock ? "clock block" : "transparent",
                    fast.baseline, fast.work, fast.ratio, floor.ratio, reference.work, reference.ratio);
        if (!clock && fast.ratio > 1.5) transparentWithinTarget = false;
      }
    }
  }
  std::printf("target (transparent <= 1.5 x memcpy): %s\n", transparentWithinTarget ? "met" : "NOT met");
  std::printf("floor ratio: copying the frame and reading the surface once, the least any blend must do\n");
  return 0;
}
