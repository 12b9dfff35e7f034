// Time of a whole render call (through the plug-in's entry points, as the
// reference host makes it) against a memcpy of the same frame, measured in
// the same run: each clock type at 720 x 576, 1920 x 1080 and 3840 x 2160, in
// both pixel families. Then the fixed cost per frame over a long run: the
// average of the first and of the last 100 of ~1000 frames, which must not
// drift apart (nothing may pile up from frame to frame). Last, where the
// time of a 1920 x 1080 render goes: the frame-sized surface (made and
// released as the render does), the blend over an untouched surface, the
// rest of a render that draws nothing, and each painter's share.
//
//   horaz_render_bench [repetitions] [long-run frames]
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numeric>
#include <vector>

#include "effect/frame_blend.h"
#include "paint/draw_surface.h"
#include "testhost/frame.h"
#include "testhost/render_host.h"

namespace {

using horaz::testhost::FrameFormat;
using horaz::testhost::HostFrame;
using horaz::testhost::PixelFormat;
using horaz::testhost::RenderHost;
// The calling thread's CPU time: on a busy machine (two cores shared with
// builds) wall time mostly measures the scheduler; CPU time keeps the ratio
// to the memcpy meaningful. Memory bandwidth is shared all the same.
double threadMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double millisecondsOf(const auto& work) {
  const double start = threadMilliseconds();
  work();
  return threadMilliseconds() - start;
}

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

double average(const std::vector<double>& values, size_t first, size_t count) {
  return std::accumulate(values.begin() + first, values.begin() + first + count, 0.0) / double(count);
}

struct Size {
  int32_t width;
  int32_t height;
};

const char* const kClockNames[] = {"analog", "digital", "led"};

void fillNoise(HostFrame& frame) {
  uint32_t state = 12345;
  for (int32_t y = 0; y < frame.height(); ++y) {
    uint8_t* row = frame.memoryRow(y);
    for (int32_t i = 0; i < frame.rowBytes(); ++i) {
      state = state * 1664525u + 1013904223u;
      row[i] = uint8_t(state >> 24);
    }
  }
}

// memcpy of the frame's rows, the yardstick: what a plain copy of the input
// to the output costs.
void copyFrame(const HostFrame& from, HostFrame& to) {
  for (int32_t y = 0; y < from.height(); ++y) std::memcpy(to.memoryRow(y), from.memoryRow(y), size_t(from.rowBytes()));
}

// Times each of `stages` once per repetition, in turn, so that whatever else
// the machine does weighs on all alike; gives each stage's median.
std::vector<double> medians(int repetitions, const std::vector<std::function<void()>>& stages) {
  std::vector<std::vector<double>> times(stages.size());
  for (const auto& stage : stages) stage();  // warm up
  for (int i = 0; i < repetitions; ++i)
    for (size_t s = 0; s < stages.size(); ++s) times[s].push_back(millisecondsOf(stages[s]));
  std::vector<double> result;
  for (auto& stageTimes : times) result.push_back(median(stageTimes));
  return result;
}

void printStages(RenderHost& host, int repetitions) {
  std::printf("\nWhere a 1920x1080 render's time goes (ms, medians of %d, same run)\n", repetitions);
  std::printf("%-8s %8s %8s %8s %10s %8s %8s %8s\n", "family", "memcpy", "surface", "blend", "no clock", "analog",
              "digital", "led");
  const int32_t width = 1920, height = 1080;
  for (const FrameFormat format : {FrameFormat{PixelFormat::kBgra}, FrameFormat{PixelFormat::kCbYCrY}}) {
    auto input = host.makeFrame(width, height, format);
    auto output = host.makeFrame(width, height, format);
    fillNoise(*input.get());
    double frame = 0;
    auto renderType = [&](int32_t clockType) {
      return [&, clockType] {
        host.setNumber("the List value", clockType);
        host.renderFrame(frame++, *input.get(), *output.get());
      };
    };
    const std::vector<double> t =
        medians(repetitions, {[&] { copyFrame(*input.get(), *output.get()); },
                              [&] {
                                horaz::DrawSurface surface;
                                surface.create(width, height, 32, true);
                              },
                              [&] {
                                horaz::DrawSurface surface;
                                surface.create(width, height, 32, true);
                                (void)horaz::blendSurface(surface.bits(), width, height, *output.get(), *input.get(),
                                                          input->layout(), 0, 1);
                              },
                              renderType(3), renderType(0), renderType(1), renderType(2)});
    // The blend's share is what it adds to a surface made just before it.
    std::printf("%-8s %8.3f %8.3f %8.3f %10.3f %8.3f %8.3f %8.3f\n",
                horaz::testhost::isYcc(format.pixels) ? "ycbcr" : "rgb", t[0], t[1], t[2] - t[1], t[3], t[4], t[5],
                t[6]);
  }
  std::printf(
      "surface: DrawSurface create (cleared whole) + release; blend: over that whole surface;\n"
      "the render itself clears and reads only where the painter can reach, so these two are\n"
      "what that saves. no clock: a whole render with clock type 3; the painters' share is\n"
      "their column minus it.\n");
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
  const int longRun = argc > 2 ? std::max(200, std::atoi(argv[2])) : 1000;

  RenderHost host;
  host.setNumber("Style List", 1);
  host.setNumber("Time Speed Factor", 7);  // a moving clock: each frame draws anew

  std::printf("Render time (thread CPU time) as a multiple of a memcpy of the frame (median of %d, same run)\n",
              repetitions);
  std::printf("%-10s %-8s %-8s %10s %10s %7s\n", "size", "family", "clock", "memcpy ms", "render ms", "ratio");
  const Size sizes[] = {{720, 576}, {1920, 1080}, {3840, 2160}};
  const FrameFormat formats[] = {{PixelFormat::kBgra}, {PixelFormat::kCbYCrY}};
  bool targetMet = true;
  for (const Size size : sizes) {
    for (const FrameFormat format : formats) {
      auto input = host.makeFrame(size.width, size.height, format);
      auto output = host.makeFrame(size.width, size.height, format);
      fillNoise(*input.get());
      for (int32_t clockType = 0; clockType < 3; ++clockType) {
        host.setNumber("the List value", clockType);
        double frame = 0;
        auto render = [&] { host.renderFrame(frame++, *input.get(), *output.get()); };
        auto copy = [&] { copyFrame(*input.get(), *output.get()); };
        render();  // warm the pages and the font caches
        copy();
        std::vector<double> copies, renders, ratios;
        for (int i = 0; i < repetitions; ++i) {
          copies.push_back(millisecondsOf(copy));
          renders.push_back(millisecondsOf(render));
          ratios.push_back(renders.back() / copies.back());
        }
        const double ratio = median(ratios);
        const double target = horaz::testhost::isYcc(format.pixels) ? 2.0 : 1.5;
        if (size.width == 1920 && ratio > target) targetMet = false;
        std::printf("%4dx%-5d %-8s %-8s %10.3f %10.3f %7.2f\n", size.width, size.height,
                    horaz::testhost::isYcc(format.pixels) ? "ycbcr" : "rgb", kClockNames[clockType], median(copies),
                    median(renders), ratio);
      }
    }
  }
  std::printf("1920x1080 target (render <= 1.5 x memcpy for RGB, <= 2 x for YCbCr, every clock type): %s\n",
              targetMet ? "met" : "MISSED");

  std::printf("\nFixed cost over %d frames at 720x576 (ms per frame; first 100 vs last 100)\n", longRun);
  for (int32_t clockType = 0; clockType < 3; ++clockType) {
    host.setNumber("the List value", clockType);
    auto input = host.makeFrame(720, 576, {PixelFormat::kBgra});
    auto output = host.makeFrame(720, 576, {PixelFormat::kBgra});
    fillNoise(*input.get());
    std::vector<double> times;
    for (int i = 0; i < longRun; ++i)
      times.push_back(millisecondsOf([&] { host.renderFrame(i, *input.get(), *output.get()); }));
    const double first = average(times, 0, 100), last = average(times, times.size() - 100, 100);
    std::printf("%-8s first %.3f  last %.3f  (last/first %.2f)\n", kClockNames[clockType], first, last, last / first);
  }
  std::printf("live host objects after the run: %lld\n", static_cast<long long>(host.ledger().liveObjects()));

  printStages(host, repetitions);
  return 0;
}
