// Class factories and components as the host sees them: which interfaces they
// answer, who owns what, aggregation, and when the library may be unloaded.

#include <gtest/gtest.h>

#include <atomic>

#include "plugin_under_test.h"

namespace horaz::test {
namespace {

class ComponentClassTest : public ::testing::TestWithParam<ComponentClassCase> {
 protected:
  void TearDown() override {
    EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kOk) << "an object of the library is still alive";
    EXPECT_EQ(host_->referenceCount(), 1u) << "a reference to the host was not given back";
  }

  CountedRef<testhost::Host> host_ = testhost::Host::create();
};

TEST_P(ComponentClassTest, FactoryAndComponentAnswerOnlyTheirOwnInterfaceAndIUnknown) {
  const ComponentClassCase& c = GetParam();
  CountedRef<acf::ComponentClassFactory> factory = classFactory(*host_.get(), c.classId);
  ASSERT_TRUE(factory);
  EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kObjectsAlive);

  CountedRef<acf::IUnknown> component;
  ASSERT_EQ(factory->CreateInstance(host_->unknown(), nullptr, c.interfaceId, component.putVoid()), acf::kOk);
  ASSERT_TRUE(component);
  EXPECT_EQ(host_->referenceCount(), c.keepsHost ? 2u : 1u);

  for (acf::IUnknown* object : {static_cast<acf::IUnknown*>(factory.get()), component.get()}) {
    const acf::Guid& own = object == component.get() ? c.interfaceId : acf::ComponentClassFactory::kId;
    for (const acf::Guid& iid : {own, acf::IUnknown::kId}) {
      CountedRef<acf::IUnknown> answer;
      EXPECT_EQ(object->QueryInterface(iid, answer.putVoid()), acf::kOk);
      EXPECT_TRUE(answer);
    }
    const acf::Guid& other = object == component.get() ? acf::ComponentClassFactory::kId : c.interfaceId;
    for (const acf::Guid& iid : {kForeignId, other}) {
      void* answer = &answer;
      EXPECT_EQ(object->QueryInterface(iid, &answer), acf::kNoInterface);
      EXPECT_EQ(answer, nullptr);
    }
    EXPECT_EQ(object->QueryInterface(own, nullptr), acf::kNullArgument);
  }

  // The component outlives its factory and keeps the library loaded.
  factory.reset();
  EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kObjectsAlive);
  component.reset();
  EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kOk);
}

TEST_P(ComponentClassTest, FactoryCanBeAskedForThroughIUnknown) {
  CountedRef<acf::IUnknown> factory;
  EXPECT_EQ(plugin().getClassFactory(host_->unknown(), GetParam().classId, acf::IUnknown::kId, factory.putVoid()),
            acf::kOk);
  CountedRef<acf::ComponentClassFactory> typed;
  EXPECT_EQ(factory->QueryInterface(acf::ComponentClassFactory::kId, typed.putVoid()), acf::kOk);
}

TEST_P(ComponentClassTest, ObjectAskedForAForeignInterfaceIsDestroyedAgain) {
  const ComponentClassCase& c = GetParam();
  void* out = &out;
  EXPECT_EQ(plugin().getClassFactory(host_->unknown(), c.classId, kForeignId, &out), acf::kNoInterface);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kOk);

  CountedRef<acf::ComponentClassFactory> factory = classFactory(*host_.get(), c.classId);
  ASSERT_TRUE(factory);
  out = &out;
  EXPECT_EQ(factory->CreateInstance(host_->unknown(), nullptr, kForeignId, &out), acf::kNoInterface);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(host_->referenceCount(), 1u) << "the discarded component gave its host reference back";
  factory.reset();
  EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kOk);
}

TEST_P(ComponentClassTest, CreateInstanceRefusesMissingArgumentsAndNonIUnknownAggregation) {
  const ComponentClassCase& c = GetParam();
  CountedRef<acf::ComponentClassFactory> factory = classFactory(*host_.get(), c.classId);
  ASSERT_TRUE(factory);
  void* out = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, nullptr, c.interfaceId, &out), acf::kNullArgument);
  EXPECT_EQ(factory->CreateInstance(host_->unknown(), nullptr, c.interfaceId, nullptr), acf::kNullArgument);
  CountedRef<testhost::Host> outer = testhost::Host::create();
  out = &out;
  EXPECT_EQ(factory->CreateInstance(host_->unknown(), outer->unknown(), c.interfaceId, &out), acf::kNoAggregation);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(outer->referenceCount(), 1u);
}

// An outer object that counts what its aggregated inner object forwards.
class OuterObject final : public acf::IUnknown {
 public:
  acf::Result ACFCALL QueryInterface(const acf::Guid&, void** out) override {
    ++queries;
    *out = nullptr;
    return acf::kNoInterface;
  }
  uint32_t ACFCALL AddRef() override { return ++references; }
  uint32_t ACFCALL Release() override { return --references; }

  std::atomic<uint32_t> references{1};
  std::atomic<int> queries{0};
};

TEST_P(ComponentClassTest, AggregatedComponentForwardsItsPublicInterfaceToTheOuterObject) {
  const ComponentClassCase& c = GetParam();
  CountedRef<acf::ComponentClassFactory> factory = classFactory(*host_.get(), c.classId);
  ASSERT_TRUE(factory);
  OuterObject outer;

  acf::IUnknown* inner = nullptr;
  ASSERT_EQ(factory->CreateInstance(host_->unknown(), &outer, acf::IUnknown::kId, reinterpret_cast<void**>(&inner)),
            acf::kOk);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(outer.references, 1u) << "creating the inner object does not touch the outer one";

  // The inner unknown hands out the public interface, counted on the outer.
  acf::IUnknown* component = nullptr;
  ASSERT_EQ(inner->QueryInterface(c.interfaceId, reinterpret_cast<void**>(&component)), acf::kOk);
  EXPECT_EQ(outer.references, 2u);
  EXPECT_EQ(component->AddRef(), 3u);
  EXPECT_EQ(component->Release(), 2u);
  void* answer = nullptr;
  component->QueryInterface(c.interfaceId, &answer);
  EXPECT_EQ(outer.queries, 1) << "the public query goes to the outer object";
  EXPECT_EQ(answer, nullptr);
  component->Release();
  EXPECT_EQ(outer.references, 1u);

  EXPECT_EQ(inner->Release(), 0u);
  factory.reset();
  EXPECT_EQ(plugin().canUnloadNow(host_->unknown()), acf::kOk);
}

INSTANTIATE_TEST_SUITE_P(Classes, ComponentClassTest, ::testing::ValuesIn(kComponentClasses), [](const auto& info) {
  std::string name = info.param.name;
  std::erase(name, ' ');
  return name;
});

TEST(ClassFactoryTest, EveryCallMakesANewFactory) {
  CountedRef<testhost::Host> host = testhost::Host::create();
  CountedRef<acf::ComponentClassFactory> first = classFactory(*host.get(), kComponentClasses[0].classId);
  CountedRef<acf::ComponentClassFactory> second = classFactory(*host.get(), kComponentClasses[0].classId);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(first->AddRef(), 2u) << "the host owns exactly one reference";
  EXPECT_EQ(first->Release(), 1u);
}

// The effect's operations besides the render keep no state and answer
// fixed codes.
TEST(ClockEffectTest, OperationsAroundTheRenderAnswerFixedCodes) {
  CountedRef<testhost::Host> host = testhost::Host::create();
  CountedRef<acf::ComponentClassFactory> factory = classFactory(*host.get(), kComponentClasses[0].classId);
  CountedRef<acf::EffectInterface> effect;
  ASSERT_EQ(factory->CreateInstance(host->unknown(), nullptr, acf::EffectInterface::kId, effect.putVoid()), acf::kOk);
  int anything = 0;
  EXPECT_EQ(effect->Operation3(1, 2, 3, 4, 5, 6, 7), acf::kNotImplemented);
  EXPECT_EQ(effect->Operation4(&anything), acf::kOk);
  EXPECT_EQ(effect->Operation4(nullptr), acf::kNullArgument);
  EXPECT_EQ(effect->Operation5(1, 2), acf::kOk);
  EXPECT_EQ(effect->Operation6(1, 2, 3), acf::kOk);
  EXPECT_EQ(effect->Operation7(1, 2, 3, 4, 5), acf::kOk);
  EXPECT_EQ(effect->Operation9(1, 2, 3, 4, 5), acf::kOk);
  EXPECT_EQ(effect->Operation10(1, 2, 3), acf::kOk);
  EXPECT_EQ(effect->Operation11(1, 2), acf::kOk);
  EXPECT_EQ(anything, 0);
}

}  // namespace
}  // namespace horaz::test
