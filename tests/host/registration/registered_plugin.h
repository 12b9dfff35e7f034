#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "testhost/host.h"
#include "testhost/plugin_library.h"
#include "testhost/registration.h"

namespace horaz::test {

// The built plug-in, loaded once for the whole program.
inline const testhost::PluginLibrary& plugin() {
  static const testhost::PluginLibrary library(testhost::default_plugin_path());
  return library;
}

// A fresh host that the plug-in has registered itself with (the plug-in, then
// components 0 to 3).
class RegisteredPlugin : public ::testing::Test {
 protected:
  const testhost::RegistrationModel& model() const { return host_->model(); }
  const testhost::ComponentRecord& component(uint32_t index) const {
    return model().component(registration_.componentHandles.at(index));
  }
  const testhost::ComponentRecord& effect() const { return component(0); }

  std::shared_ptr<testhost::Ledger> ledger_ = std::make_shared<testhost::Ledger>();
  CountedRef<testhost::Host> host_ = testhost::Host::create(ledger_);
  testhost::Registration registration_ = testhost::registerAll(plugin(), *host_.get());
};

}  // namespace horaz::test
