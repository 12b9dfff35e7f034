// Failing each host call that registration makes, one at a time: the entry
// point returns exactly that call's code, hands nothing out and leaves no
// host object alive.

#include <gtest/gtest.h>

#include <ostream>

#include "registered_plugin.h"

namespace horaz::test {
namespace {

struct RegistrationStep {
  const char* name;
  bool plugin;  // ACFRegisterPlugin, else ACFRegisterComponent(index)
  uint32_t index;
  friend void PrintTo(const RegistrationStep& step, std::ostream* out) { *out << step.name; }
};

acf::Result run(const RegistrationStep& step, testhost::Host& host, void** out) {
  return step.plugin ? plugin().registerPlugin(host.unknown(), reinterpret_cast<acf::PluginDefinition**>(out))
                     : plugin().registerComponent(host.unknown(), step.index,
                                                  reinterpret_cast<acf::ComponentDefinition**>(out));
}

class FaultInjectionTest : public ::testing::TestWithParam<RegistrationStep> {};

TEST_P(FaultInjectionTest, EachFailingHostCallIsReturnedWithNothingLeftBehind) {
  const RegistrationStep& step = GetParam();

  // Count (and name) the failable host calls of a successful run.
  std::vector<std::string> operations;
  {
    auto ledger = std::make_shared<testhost::Ledger>();
    ledger->setRecording(true);
    CountedRef<testhost::Host> host = testhost::Host::create(ledger);
    CountedRef<acf::IUnknown> definition;
    ASSERT_EQ(run(step, *host.get(), definition.putVoid()), acf::kOk);
    operations = ledger->log();
  }
  ASSERT_FALSE(operations.empty());

  for (uint64_t call = 1; call <= operations.size(); ++call) {
    SCOPED_TRACE("failing call " + std::to_string(call) + ", " + operations[call - 1]);
    const acf::Result code = acf::makeFailure(0x80FA0000u | static_cast<uint32_t>(call));
    auto ledger = std::make_shared<testhost::Ledger>();
    ledger->failCall(call, code);
    {
      CountedRef<testhost::Host> host = testhost::Host::create(ledger);
      void* out = &out;
      EXPECT_EQ(run(step, *host.get(), &out), code);
      EXPECT_EQ(out, nullptr);
      EXPECT_EQ(host->referenceCount(), 1u);
    }
    EXPECT_EQ(ledger->liveObjects(), 0);
    if (HasFailure()) break;  // one broken call is enough to read
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, FaultInjectionTest,
                         ::testing::Values(RegistrationStep{"Plugin", true, 0}, RegistrationStep{"Effect", false, 0},
                                           RegistrationStep{"FontSelectionAction", false, 1},
                                           RegistrationStep{"UpdateHandler", false, 2},
                                           RegistrationStep{"Overlay", false, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FaultInjectionCountTest, EffectRegistrationMakesOneCallPerStep) {
  // The ledger counts what the model logs (creations, definitions,
  // attributes, children, controls, parameters, ports, pixel kinds) plus the
  // one query for the object factory, so fault injection reaches every step.
  auto ledger = std::make_shared<testhost::Ledger>();
  CountedRef<testhost::Host> host = testhost::Host::create(ledger);
  CountedRef<acf::IUnknown> definition;
  ASSERT_EQ(run({"Effect", false, 0}, *host.get(), definition.putVoid()), acf::kOk);
  const auto& calls = host->model().calls();
  EXPECT_EQ(ledger->callCount(), 1 + calls.size()) << "every call but the factory query is in the model's log";
}

}  // namespace
}  // namespace horaz::test
