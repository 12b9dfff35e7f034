// The overlay's palette lives until the plug-in is unloaded, and goes with it.
#include <gtest/gtest.h>

#include <cstdlib>

#include <horaz_platform/status.h>

#include "effect_instance.h"
#include "testhost/viewer.h"

namespace horaz::test {
namespace {

// Loads the plug-in afresh, draws one marker (which makes the palette),
// releases everything and unloads the plug-in: no pen or brush of the
// palette may outlive it. Runs in a process of its own, where no one else
// holds the library loaded.
void drawOnceAndUnload() {
  const platform::GdiObjectCounts before = platform::liveGdiObjects();
  int palettePens = 0;
  {
    const testhost::PluginLibrary library(testhost::default_plugin_path());
    auto ledger = std::make_shared<testhost::Ledger>();
    auto host = testhost::Host::create(ledger);
    auto store = std::make_shared<testhost::ParameterStore>();
    {
      const testhost::Registration registration = testhost::registerAll(library, *host.get());
      testhost::defineRegisteredParameters(host->model(), *store);
    }
    {
      testhost::HostViewer viewer(ledger, store, 64, 64);
      viewer.attach(testhost::createComponentInstance<acf::Overlay>(library, host->unknown(), kOverlayClass));
      viewer.draw(1);
    }
    palettePens = platform::liveGdiObjects().pens - before.pens;
  }
  const platform::GdiObjectCounts after = platform::liveGdiObjects();
  const bool madeOnce = palettePens == 2;
  const bool goneWithTheLibrary = after.pens == before.pens && after.brushes == before.brushes;
  std::exit(madeOnce && goneWithTheLibrary ? 0 : 1);
}

TEST(OverlayPalette, IsMadeOnFirstDrawAndDeletedWhenThePluginIsUnloaded) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(drawOnceAndUnload(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace horaz::test
