#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "host/vocabulary.h"
#include "testhost/component_instance.h"
#include "testhost/host.h"
#include "testhost/parameter_defaults.h"
#include "testhost/parameter_store.h"
#include "testhost/plugin_library.h"
#include "testhost/registration.h"

namespace horaz::test {

// The built plug-in, loaded once for the whole program.
inline const testhost::PluginLibrary& plugin() {
  static const testhost::PluginLibrary library(testhost::default_plugin_path());
  return library;
}

inline constexpr acf::Guid kFontActionClass = acf::makeGuid("{192761E9-013F-45B9-95DD-76D5280348E2}");
inline constexpr acf::Guid kUpdateHandlerClass = acf::makeGuid("{A24ECDD9-93C3-4BF1-B799-950DCAEB2EBE}");
inline constexpr acf::Guid kOverlayClass = acf::makeGuid("{F2745EF4-1E90-4CFC-8C78-0DC08F3F29FC}");

inline constexpr acf::Result kHostFailure = acf::makeFailure(0x80004005u);

// One applied effect: a host the plug-in registered with, and the parameter
// values of one instance at their defaults. Every scenario must give back
// what it took: after the test the ledger counts as many live host objects
// as before it, and the plug-in has no object alive.
class EffectInstance : public ::testing::Test {
 protected:
  static std::shared_ptr<testhost::ParameterStore> registeredParameters(const testhost::RegistrationModel& model) {
    auto store = std::make_shared<testhost::ParameterStore>();
    testhost::defineRegisteredParameters(model, *store);
    return store;
  }

  void SetUp() override { baseline_ = ledger_->liveObjects(); }
  void TearDown() override {
    ledger_->clearFaults();
    EXPECT_EQ(ledger_->liveObjects(), baseline_) << "host objects still alive after the scenario";
    EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kOk) << "plug-in objects still alive";
  }

  template <class Interface>
  CountedRef<Interface> makeComponent(const acf::Guid& classId) {
    return testhost::createComponentInstance<Interface>(plugin(), host_->unknown(), classId);
  }

  acf::Guid id(const std::string& name) const {
    const auto found = store_->idOf(name);
    if (!found) throw std::out_of_range("no parameter " + name);
    return *found;
  }
  double doubleValue(const std::string& name) const { return store_->doubleAt(id(name), 0.0); }
  int32_t intValue(const std::string& name) const { return store_->intAt(id(name), 0.0); }
  std::vector<uint8_t> bytes(const std::string& name) const { return store_->valueAt(id(name), 0.0); }
  void setDouble(const std::string& name, double value) { store_->setDouble(id(name), value); }
  void setInt(const std::string& name, int32_t value) { store_->setInt(id(name), value); }

  // A parameter set of this instance, as the host hands one to a call.
  CountedRef<testhost::HostParameterSet> parameterSet(double aspect = 1.0) {
    return CountedRef<testhost::HostParameterSet>::adopt(
        testhost::make<testhost::HostParameterSet>(ledger_, store_, aspect, 25.0));
  }

  std::shared_ptr<testhost::Ledger> ledger_ = std::make_shared<testhost::Ledger>();
  CountedRef<testhost::Host> host_ = testhost::Host::create(ledger_);
  testhost::Registration registration_ = testhost::registerAll(plugin(), *host_.get());
  std::shared_ptr<testhost::ParameterStore> store_ = registeredParameters(host_->model());
  int64_t baseline_ = 0;
};

}  // namespace horaz::test
