// Registration with each of its host calls failing in turn: the entry point
// returns that call's code, hands nothing out and leaves no host object
// alive.
#include <gtest/gtest.h>

#include "fault_sweep.h"
#include "host/counted_ref.h"
#include "testhost/host.h"
#include "testhost/plugin_library.h"

namespace horaz::test {
namespace {

const testhost::PluginLibrary& plugin() {
  static const testhost::PluginLibrary library(testhost::default_plugin_path());
  return library;
}

struct RegistrationCase {
  const char* name;
  bool plugin;  // ACFRegisterPlugin, else ACFRegisterComponent(index)
  uint32_t index;
};

class RegistrationTrial final : public Trial {
 public:
  RegistrationTrial(const RegistrationCase& entry, std::shared_ptr<testhost::Ledger> ledger)
      : case_(entry), host_(testhost::Host::create(std::move(ledger))) {}

  int32_t run() override {
    out_ = reinterpret_cast<void*>(&out_);  // must come back null on failure
    return case_.plugin ? plugin().registerPlugin(host_->unknown(), reinterpret_cast<acf::PluginDefinition**>(&out_))
                        : plugin().registerComponent(host_->unknown(), case_.index,
                                                     reinterpret_cast<acf::ComponentDefinition**>(&out_));
  }
  void check(int32_t expected, const std::string&) override {
    if (acf::failed(expected)) {
      EXPECT_EQ(out_, nullptr) << "a definition handed out by a failed registration";
    } else {
      ASSERT_NE(out_, nullptr);
    }
    if (out_) static_cast<acf::IUnknown*>(out_)->Release();
    out_ = nullptr;
  }
  // The definition handed out is the host's until check() lets it go.
  bool keepsHostObjects() const override { return true; }

 private:
  RegistrationCase case_;
  CountedRef<testhost::Host> host_;
  void* out_ = nullptr;
};

class RegistrationSweep : public ::testing::TestWithParam<RegistrationCase> {};

TEST_P(RegistrationSweep, EveryFailingHostCallIsReturnedAndNothingIsLeft) {
  auto ledger = std::make_shared<testhost::Ledger>();
  const SweepOutcome outcome = sweepHostCalls(
      std::string("registration ") + GetParam().name, *ledger,
      [&] { return std::make_unique<RegistrationTrial>(GetParam(), ledger); }, acf::kOk,
      [](std::string_view, acf::Result injected) { return injected; });
  EXPECT_GT(outcome.callsFailed, 0u);
  EXPECT_EQ(ledger->liveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(Entries, RegistrationSweep,
                         ::testing::Values(RegistrationCase{"Plugin", true, 0}, RegistrationCase{"Effect", false, 0},
                                           RegistrationCase{"FontAction", false, 1},
                                           RegistrationCase{"UpdateHandler", false, 2},
                                           RegistrationCase{"Overlay", false, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horaz::test
