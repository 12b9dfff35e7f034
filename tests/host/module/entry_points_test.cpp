// Result codes of the four entry points for missing arguments, unknown
// classes and indexes, and hosts that lack an interface.

#include <gtest/gtest.h>

#include "plugin_under_test.h"

namespace horaz::test {
namespace {

// Stands in for an out-argument the entry point must not touch.
template <class T>
T* untouched() {
  return reinterpret_cast<T*>(uintptr_t{0x5A5A5A5A});
}

class EntryPointTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kOk); }

  CountedRef<testhost::Host> host_ = testhost::Host::create();
};

TEST_F(EntryPointTest, RegistrationRefusesMissingArgumentsBeforeLookingAtTheIndex) {
  acf::PluginDefinition* plugin = nullptr;
  acf::ComponentDefinition* component = nullptr;
  EXPECT_EQ(test::plugin().registerPlugin(nullptr, &plugin), acf::kNullPointer);
  EXPECT_EQ(test::plugin().registerPlugin(host_->unknown(), nullptr), acf::kNullPointer);
  EXPECT_EQ(test::plugin().registerComponent(nullptr, 0, &component), acf::kNullPointer);
  EXPECT_EQ(test::plugin().registerComponent(host_->unknown(), 0, nullptr), acf::kNullPointer);
  EXPECT_EQ(test::plugin().registerComponent(nullptr, 4, &component), acf::kNullPointer);
  EXPECT_EQ(test::plugin().registerComponent(host_->unknown(), 4, nullptr), acf::kNullPointer);
  EXPECT_EQ(plugin, nullptr);
  EXPECT_EQ(component, nullptr);
}

TEST_F(EntryPointTest, ComponentIndexAboveThreeIsRefused) {
  for (uint32_t index : {4u, 5u, 0xFFFFFFFFu}) {
    acf::ComponentDefinition* component = untouched<acf::ComponentDefinition>();
    EXPECT_EQ(plugin().registerComponent(host_->unknown(), index, &component), acf::kBadIndex) << index;
    EXPECT_EQ(component, untouched<acf::ComponentDefinition>());
  }
  EXPECT_EQ(host_->ledger().callCount(), 0u) << "no host call for a bad index";
}

TEST_F(EntryPointTest, ClassFactoryRefusesMissingHostOrOutEvenForAKnownClass) {
  const acf::Guid& effect = kComponentClasses[0].classId;
  void* factory = nullptr;
  EXPECT_EQ(plugin().getClassFactory(nullptr, effect, acf::ComponentClassFactory::kId, &factory), acf::kNullArgument);
  EXPECT_EQ(plugin().getClassFactory(host_->unknown(), effect, acf::ComponentClassFactory::kId, nullptr),
            acf::kNullArgument);
  EXPECT_EQ(factory, nullptr);
}

TEST_F(EntryPointTest, UnknownClassIsNotAvailableAndLeavesOutAlone) {
  for (const acf::Guid& classId : {kForeignId, acf::ComponentClassFactory::kId, acf::EffectInterface::kId}) {
    void* factory = untouched<void>();
    EXPECT_EQ(plugin().getClassFactory(host_->unknown(), classId, acf::ComponentClassFactory::kId, &factory),
              acf::kClassNotAvailable);
    EXPECT_EQ(factory, untouched<void>());
  }
}

TEST_F(EntryPointTest, CanUnloadNowNeedsAHost) {
  EXPECT_EQ(plugin().canUnloadNow(nullptr), acf::kNullArgument);
  EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kOk);
}

// A host that does not answer an interface makes registration fail with the
// query's code, and nothing is handed out or left alive.
struct MissingInterfaceCase {
  const char* name;
  acf::Guid missing;
  bool plugin;  // ACFRegisterPlugin, else ACFRegisterComponent
  uint32_t index;
  friend void PrintTo(const MissingInterfaceCase& c, std::ostream* out) { *out << c.name; }
};

class MissingHostInterfaceTest : public ::testing::TestWithParam<MissingInterfaceCase> {};

TEST_P(MissingHostInterfaceTest, RegistrationFailsWithTheQueryCode) {
  const MissingInterfaceCase& c = GetParam();
  auto ledger = std::make_shared<testhost::Ledger>();
  {
    CountedRef<testhost::Host> host = testhost::Host::create(ledger);
    host->setAnswers(c.missing, false);
    void* out = untouched<void>();
    const acf::Result result =
        c.plugin
            ? plugin().registerPlugin(host->unknown(), reinterpret_cast<acf::PluginDefinition**>(&out))
            : plugin().registerComponent(host->unknown(), c.index, reinterpret_cast<acf::ComponentDefinition**>(&out));
    EXPECT_EQ(result, acf::kNoInterface);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(host->referenceCount(), 1u);
  }
  EXPECT_EQ(ledger->liveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, MissingHostInterfaceTest,
    ::testing::Values(MissingInterfaceCase{"PluginWithoutPluginInterface", acf::HostPluginInterface::kId, true, 0},
                      MissingInterfaceCase{"PluginWithoutObjectFactory", acf::HostObjectFactory::kId, true, 0},
                      MissingInterfaceCase{"EffectWithoutObjectFactory", acf::HostObjectFactory::kId, false, 0},
                      MissingInterfaceCase{"OverlayWithoutObjectFactory", acf::HostObjectFactory::kId, false, 3}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horaz::test
