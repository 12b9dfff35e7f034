// The on-screen overlay driven by any sequence a viewer could send it:
// attach and detach in any order (twice in a row included), draws, presses,
// drags and releases at any coordinates (NaN, infinities, far off the
// frame), every interaction mode, hit scale (0 included) and aspect, clock
// parameters of any value, and host calls that fail on the way.
//
// Whatever the input: no crash, each operation answers one of its defined
// results, and when the overlay is gone no host object, no plug-in object
// and no drawing object is left behind.

#include <horaz_platform/status.h>

#include <memory>

#include "fuzz/fuzz_values.h"
#include "host/plugin_interfaces.h"
#include "testhost/component_instance.h"
#include "testhost/render_host.h"
#include "testhost/viewer.h"

namespace {

using horaz::CountedRef;
using horaz::fuzz::fuzzDouble;
using horaz::fuzz::fuzzInt;

constexpr acf::Guid kOverlayClass = acf::makeGuid("{F2745EF4-1E90-4CFC-8C78-0DC08F3F29FC}");
constexpr int kMaxOperations = 48;

horaz::testhost::RenderHost* gHost = nullptr;

CountedRef<acf::Overlay> makeOverlay(horaz::testhost::RenderHost& host) {
  return horaz::testhost::createComponentInstance<acf::Overlay>(host.library(), host.host().unknown(), kOverlayClass);
}

double fuzzCoordinate(FuzzedDataProvider& data) {
  return data.ConsumeBool() ? data.ConsumeFloatingPointInRange<double>(-0.5, 1.5) : fuzzDouble(data);
}

void setClock(FuzzedDataProvider& data, horaz::testhost::RenderHost& host) {
  if (data.ConsumeBool())
    host.setNumber("X", data.ConsumeBool() ? data.ConsumeFloatingPointInRange(0.0, 100.0) : fuzzDouble(data));
  if (data.ConsumeBool())
    host.setNumber("Y", data.ConsumeBool() ? data.ConsumeFloatingPointInRange(0.0, 100.0) : fuzzDouble(data));
  if (data.ConsumeBool())
    host.setNumber("Size", data.ConsumeBool() ? data.ConsumeFloatingPointInRange(0.0, 100.0) : fuzzDouble(data));
  if (data.ConsumeBool())
    host.setNumber("the List value", data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 3) : fuzzInt(data));
  if (data.ConsumeBool()) host.setNumberKeyframe("Size", fuzzDouble(data), fuzzDouble(data));
}

bool isZeroOrOne(int32_t value) { return value == 0 || value == 1; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gHost = new horaz::testhost::RenderHost();  // kept for the whole run
  // The module-wide palette is made by the first draw and kept until the
  // library goes; make it now so that every input starts from the same
  // count of drawing objects.
  horaz::testhost::HostViewer viewer(gHost->sharedLedger(), gHost->sharedStore(), 8, 8);
  CountedRef<acf::Overlay> overlay = makeOverlay(*gHost);
  overlay->Attach(viewer.overlayContext());
  overlay->Draw(1);
  overlay->Detach();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  horaz::testhost::RenderHost& host = *gHost;
  horaz::testhost::Ledger& ledger = host.ledger();
  host.resetParameters();
  setClock(data, host);

  const int64_t liveHostObjects = ledger.liveObjects();
  const int liveGdiObjects = horaz::platform::liveGdiObjects().total();
  const int liveGdiplusObjects = horaz::platform::liveGdiplusObjects().total();
  {
    horaz::testhost::HostViewer viewer(host.sharedLedger(), host.sharedStore(),
                                       data.ConsumeIntegralInRange<int32_t>(1, 320),
                                       data.ConsumeIntegralInRange<int32_t>(1, 240));
    horaz::testhost::ViewerContext& context = viewer.context();
    CountedRef<acf::Overlay> overlay = makeOverlay(host);
    ledger.resetCalls();

    for (int operation = 0; operation < kMaxOperations && data.remaining_bytes() > 0; ++operation) {
      switch (data.ConsumeIntegralInRange<uint8_t>(0, 11)) {
        case 0: HORAZ_FUZZ_CHECK(overlay->Attach(viewer.overlayContext()) == acf::kOk); break;
        case 1: HORAZ_FUZZ_CHECK(overlay->Detach() == acf::kOk); break;
        case 2:
          HORAZ_FUZZ_CHECK(overlay->Draw(data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(0, 1)
                                                            : fuzzInt(data)) == acf::kOk);
          break;
        case 3: {
          const double x = fuzzCoordinate(data);
          HORAZ_FUZZ_CHECK(isZeroOrOne(overlay->MouseDown(x, fuzzCoordinate(data), fuzzInt(data))));
          break;
        }
        case 4: {
          const double x = fuzzCoordinate(data);
          HORAZ_FUZZ_CHECK(isZeroOrOne(overlay->MouseDown2(x, fuzzCoordinate(data), fuzzInt(data))));
          break;
        }
        case 5: {
          const double x = fuzzCoordinate(data);
          HORAZ_FUZZ_CHECK(isZeroOrOne(overlay->MouseDrag(x, fuzzCoordinate(data), fuzzInt(data))));
          break;
        }
        case 6: {
          const double x = fuzzCoordinate(data);
          HORAZ_FUZZ_CHECK(overlay->MouseUp(x, fuzzCoordinate(data), fuzzInt(data)) == 1);
          break;
        }
        case 7: {
          const double a = fuzzDouble(data);
          const double b = fuzzDouble(data);
          const int32_t n = fuzzInt(data);
          HORAZ_FUZZ_CHECK(overlay->Operation10(a, b, n) == acf::kOk);
          HORAZ_FUZZ_CHECK(overlay->Operation11(a) == acf::kOk);
          HORAZ_FUZZ_CHECK(overlay->Operation12(b) == acf::kOk);
          HORAZ_FUZZ_CHECK(overlay->Operation13(n) == acf::kOk);
          HORAZ_FUZZ_CHECK(overlay->Operation14(n) == acf::kOk);
          break;
        }
        case 8:
          context.setMode(data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-1, 3) : fuzzInt(data));
          context.setHitScale(data.ConsumeIntegral<uint16_t>());
          break;
        case 9:
          context.setAspect(fuzzDouble(data));
          viewer.setTime(fuzzDouble(data));
          break;
        case 10: setClock(data, host); break;
        default: {
          // The viewer's next host calls: one of them fails.
          ledger.clearFaults();
          ledger.resetCalls();
          if (data.ConsumeBool()) {
            const uint64_t call = data.ConsumeIntegralInRange<uint64_t>(1, 16);
            ledger.failCall(call, acf::makeFailure(0x80FA0000u | static_cast<uint32_t>(call)));
          }
          break;
        }
      }
    }
    ledger.clearFaults();
    HORAZ_FUZZ_CHECK(overlay->Detach() == acf::kOk);
  }
  HORAZ_FUZZ_CHECK(ledger.liveObjects() == liveHostObjects);
  HORAZ_FUZZ_CHECK(horaz::platform::liveGdiObjects().total() == liveGdiObjects);
  HORAZ_FUZZ_CHECK(horaz::platform::liveGdiplusObjects().total() == liveGdiplusObjects);
  return 0;
}
