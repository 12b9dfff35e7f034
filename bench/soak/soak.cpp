// One effect instance, two host threads, 20,000 frames, and every frame with
// other parameters: clock type, timer style, free-format pattern, font,
// colours, position, size, field mode and pixel format all change. Reports
// the process's resident memory and the heap in use after a warm-up and at
// the end (and on the way); exits 1 when either grew by more than the
// allowance, when a render failed, or when host objects or GDI+ were left
// behind.
//   horaz_soak [frames [warm-up frames]]
#include <horaz_platform/status.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "testhost/frame.h"
#include "testhost/render_host.h"

namespace {

using horaz::CountedRef;
using horaz::testhost::HostFrame;
using horaz::testhost::PixelFormat;
using horaz::testhost::RenderHost;

constexpr int kThreads = 2;
constexpr int kDefaultFrames = 20000;
// Frames rendered before the first figure: long enough for the bounded caches
// behind text drawing (cairo's scaled fonts and glyphs) to fill up, which
// this mix of fonts and texts takes some 15,000 frames to do.
constexpr int kDefaultWarmUpFrames = 20000;
constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 360;
// Growth the allocator may show without anything leaking: the arenas of two
// threads settling on their largest frame-sized blocks.
constexpr long kAllowanceKiB = 4096;

// VmRSS of /proc/self/status, in KiB.
long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// Bytes the C heap has handed out and not got back (glibc): unlike the
// resident size it does not move with fragmentation or returned pages.
long heapInUseKiB() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

constexpr const char* kPatterns[] = {"%H:%M:%S", "%A %d %B %Y", "%j %U %w", "100%", "", "%c", "%%%H%"};
constexpr const char16_t* kFaces[] = {u"", u"DejaVu Sans", u"Liberation Serif", u"No Such Face", u"DejaVu Sans Mono"};
constexpr PixelFormat kFormats[] = {PixelFormat::kBgra, PixelFormat::kCbYCrY, PixelFormat::kRgba, PixelFormat::kYCbYCr,
                                    PixelFormat::kArgb};

// Frame n's parameters: each changes from one frame to the next.
void setParametersOfFrame(RenderHost& host, int n) {
  host.setNumber("the List value", n % 3);
  host.setNumber("Style List", 1 + n % 15);
  host.setNumber("Alignment List", n % 3);
  host.setNumber("X", 10.0 + (n * 7) % 80);
  host.setNumber("Y", 10.0 + (n * 13) % 80);
  host.setNumber("Size", 5.0 + (n * 3) % 90);
  host.setNumber("Foreground Red", n % 256);
  host.setNumber("Background Blue", (n * 5) % 256);
  host.setNumber("Foreground Opacity", n % 101);
  host.setNumber("Background Opacity", (n * 3) % 101);
  host.setNumber("Time Speed Factor", (n % 21) - 10);
  host.setNumber("Count Down", n % 2);
  host.setNumber("Start Time Hour", n % 24);
  host.setNumber("Stop Time Second", n % 60);
  host.setText("Start Time", kPatterns[n % std::size(kPatterns)]);
  LOGFONTW font{};
  font.lfHeight = -(8 + n % 90);
  font.lfWeight = (n % 2) ? 700 : 400;
  font.lfItalic = static_cast<BYTE>(n % 3 == 0);
  const std::u16string face = kFaces[n % std::size(kFaces)];
  face.copy(font.lfFaceName, face.size());
  host.setFontRecord(font);
}

struct Worker {
  CountedRef<HostFrame> inputs[std::size(kFormats)];
  CountedRef<HostFrame> outputs[std::size(kFormats)];
};

std::atomic<int> gNextFrame{0};
std::atomic<int> gFailures{0};

void renderFrames(RenderHost& host, Worker& worker, int until) {
  for (int n = gNextFrame.fetch_add(1); n < until; n = gNextFrame.fetch_add(1)) {
    setParametersOfFrame(host, n);
    const size_t format = static_cast<size_t>(n) % std::size(kFormats);
    horaz::testhost::RenderSettings settings;
    settings.interlaced = n % 4 == 3;
    if (acf::failed(host.renderFrame(n, *worker.inputs[format].get(), *worker.outputs[format].get(), settings)))
      gFailures.fetch_add(1);
  }
}

void runThreads(RenderHost& host, std::vector<Worker>& workers, int until) {
  std::vector<std::thread> threads;
  for (Worker& worker : workers) threads.emplace_back([&] { renderFrames(host, worker, until); });
  for (std::thread& thread : threads) thread.join();
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : kDefaultFrames;
  const int warmUpFrames = argc > 2 ? std::atoi(argv[2]) : kDefaultWarmUpFrames;
  RenderHost host;
  const int64_t liveBefore = host.ledger().liveObjects();
  {
    std::vector<Worker> workers(kThreads);
    for (Worker& worker : workers) {
      for (size_t i = 0; i < std::size(kFormats); ++i) {
        worker.inputs[i] = host.makeFrame(kWidth, kHeight, {kFormats[i]});
        worker.outputs[i] = host.makeFrame(kWidth, kHeight, {kFormats[i]});
        worker.inputs[i]->fillRgb({40, 90, 160, 255});
      }
    }

    gNextFrame = 0;
    runThreads(host, workers, warmUpFrames);
    const long start = residentKiB();
    const long heapStart = heapInUseKiB();
    std::printf("soak: %d frames of %dx%d on %d threads, one effect instance\n", frames, kWidth, kHeight, kThreads);
    std::printf("soak: after %d warm-up frames: resident %ld KiB, heap in use %ld KiB\n", warmUpFrames, start,
                heapStart);

    const auto began = std::chrono::steady_clock::now();
    constexpr int kReports = 5;
    for (int part = 1; part <= kReports; ++part) {
      gNextFrame = frames * (part - 1) / kReports;
      runThreads(host, workers, frames * part / kReports);
      std::printf("soak:   after %6d frames: resident %ld KiB, heap in use %ld KiB\n", frames * part / kReports,
                  residentKiB(), heapInUseKiB());
      std::fflush(stdout);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const long end = residentKiB();
    const long heapEnd = heapInUseKiB();
    std::printf(
        "soak: at the end: resident %ld KiB (%+ld KiB), heap in use %ld KiB (%+ld KiB); %.1f frames/s, "
        "%d failed renders\n",
        end, end - start, heapEnd, heapEnd - heapStart, frames / seconds, gFailures.load());

    bool ok = gFailures.load() == 0;
    if (end - start > kAllowanceKiB || heapEnd - heapStart > kAllowanceKiB) {
      std::printf("soak: FAIL: memory grew by more than %ld KiB\n", kAllowanceKiB);
      ok = false;
    }
    if (horaz::platform::gdiplusStartupCount() != 0) {
      std::printf("soak: FAIL: GDI+ left running\n");
      ok = false;
    }
    if (!ok) return 1;
  }
  if (host.ledger().liveObjects() != liveBefore) {
    std::printf("soak: FAIL: %lld host objects left alive\n",
                static_cast<long long>(host.ledger().liveObjects() - liveBefore));
    return 1;
  }
  std::printf("soak: OK\n");
  return 0;
}
