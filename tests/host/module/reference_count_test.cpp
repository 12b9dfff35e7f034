// Reference counts and the library's object count under concurrent use.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "plugin_under_test.h"

namespace horaz::test {
namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 20000;

// Holds every thread until all have arrived, so that they really run at
// once. Not std::barrier: the Windows build's runtime can miss a wake-up in
// its wait and leave the test program hanging.
class StartLine {
 public:
  void arriveAndWait() {
    arrived_.fetch_add(1);
    while (arrived_.load() < kThreads) std::this_thread::yield();
  }

 private:
  std::atomic<int> arrived_{0};
};

TEST(ReferenceCountTest, StaysExactWhenEightThreadsAddAndReleaseAtOnce) {
  CountedRef<testhost::Host> host = testhost::Host::create();
  CountedRef<acf::ComponentClassFactory> factory = classFactory(*host.get(), kComponentClasses[0].classId);
  ASSERT_TRUE(factory);
  acf::IUnknown* effect = nullptr;
  ASSERT_EQ(
      factory->CreateInstance(host->unknown(), nullptr, acf::EffectInterface::kId, reinterpret_cast<void**>(&effect)),
      acf::kOk);

  // Each thread holds a growing pile of references, then gives them back,
  // while the others do the same; the count never reaches 0 on the way.
  StartLine start;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      start.arriveAndWait();
      for (int round = 0; round < kRounds; ++round) {
        effect->AddRef();
        if (round % 2) effect->Release();
      }
      for (int round = 0; round < kRounds / 2; ++round) effect->Release();
    });
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(effect->AddRef(), 2u);
  EXPECT_EQ(effect->Release(), 1u);
  EXPECT_EQ(effect->Release(), 0u);
  factory.reset();
  EXPECT_EQ(plugin().canUnloadNow(host->unknown()), acf::kOk);
}

TEST(ReferenceCountTest, ObjectCountIsExactWhenThreadsCreateAndReleaseComponents) {
  CountedRef<testhost::Host> host = testhost::Host::create();
  StartLine start;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      const ComponentClassCase& c = kComponentClasses[t % kComponentClasses.size()];
      start.arriveAndWait();
      for (int round = 0; round < 500; ++round) {
        CountedRef<acf::ComponentClassFactory> factory = classFactory(*host.get(), c.classId);
        CountedRef<acf::IUnknown> component;
        if (!factory ||
            acf::failed(factory->CreateInstance(host->unknown(), nullptr, c.interfaceId, component.putVoid())))
          ++failures;
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(plugin().canUnloadNow(host->unknown()), acf::kOk);
  EXPECT_EQ(host->referenceCount(), 1u);
}

}  // namespace
}  // namespace horaz::test
