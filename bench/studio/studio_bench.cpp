// Server-side time of the studio's preview after a parameter change: the
// change (through the same checks as the API, the update handler runs),
// the render of the 1920 x 1080 frame, and the picture the page shows
// (scaled to the viewer with the overlay's marker, as PNG), for each clock
// type. A change keeps the time, so the input frame is the one already
// filled; moving the time slider also reads a new input frame, measured
// apart. Then the full-size frame as PNG. Medians of the thread's CPU time
// (on a machine shared with builds, wall time mostly measures the
// scheduler) and of wall time; the target for the viewer picture after a
// change is 50 ms.
//
//   horaz_studio_bench [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

#include <nlohmann/json.hpp>

#include "studio/studio_session.h"
#include "testhost/plugin_library.h"

namespace {

double threadMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timing {
  double cpu = 0;
  double wall = 0;
};

Timing median(int repetitions, const std::function<void(int)>& step) {
  std::vector<double> cpu, wall;
  for (int i = 0; i < repetitions; ++i) {
    const double cpuStart = threadMilliseconds();
    const auto start = std::chrono::steady_clock::now();
    step(i);
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    cpu.push_back(threadMilliseconds() - cpuStart);
  }
  std::sort(cpu.begin(), cpu.end());
  std::sort(wall.begin(), wall.end());
  return {cpu[cpu.size() / 2], wall[wall.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  horaz::studio::StudioSession session(horaz::testhost::default_plugin_path());
  std::printf("studio preview of a 1920x1080 clip, median of %d, ms of CPU (wall)\n", repetitions);
  std::printf("%-8s %24s %24s %24s\n", "clock", "change + viewer picture", "new time + viewer", "change + 1080p PNG");
  const char* names[] = {"analog", "digital", "LED"};
  bool met = true;
  for (int type = 0; type < 3; ++type) {
    session.setParameter("the List value", type, 0, false);
    const auto change = [&](int i) { session.setParameter("X", 30 + (i % 40), 12, false); };
    session.viewerPng(12, 768, 432);  // the first picture sets the viewer up
    const Timing afterChange = median(repetitions, [&](int i) {
      change(i);
      session.viewerPng(12, 768, 432);
    });
    const Timing scrub = median(repetitions, [&](int i) { session.viewerPng(i % 25, 768, 432); });
    const Timing frame = median(repetitions, [&](int i) {
      change(i);
      session.framePng(12);
    });
    met = met && afterChange.cpu < 50.0;
    std::printf("%-8s %15.1f (%6.1f) %15.1f (%6.1f) %15.1f (%6.1f)\n", names[type], afterChange.cpu, afterChange.wall,
                scrub.cpu, scrub.wall, frame.cpu, frame.wall);
  }
  std::printf("viewer picture after a change under 50 ms of CPU: %s\n", met ? "yes" : "no");
  return 0;
}
