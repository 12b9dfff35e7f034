#include "fault_sweep.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <horaz_platform/status.h>

namespace horaz::test {

acf::Result injectedCode(uint64_t call) { return acf::makeFailure(0x80FA0000u | static_cast<uint32_t>(call & 0xFFFF)); }

namespace {

// One run: the result, and the checks common to every scenario.
int32_t runTrial(testhost::Ledger& ledger, const std::function<std::unique_ptr<Trial>()>& makeTrial, int32_t expected,
                 const std::string& failed) {
  const int64_t before = ledger.liveObjects();
  std::unique_ptr<Trial> trial = makeTrial();
  const int64_t prepared = ledger.liveObjects();
  ledger.resetCalls();
  const int32_t result = trial->run();
  ledger.clearFaults();
  EXPECT_EQ(result, expected);
  EXPECT_EQ(platform::gdiplusStartupCount(), 0) << "GDI+ left running";
  if (!trial->keepsHostObjects()) {
    EXPECT_EQ(ledger.liveObjects(), prepared) << "host objects kept by the call";
  }
  trial->check(expected, failed);
  trial.reset();
  EXPECT_EQ(ledger.liveObjects(), before) << "host objects left alive";
  return result;
}

}  // namespace

SweepOutcome sweepHostCalls(const std::string& scenario, testhost::Ledger& ledger,
                            const std::function<std::unique_ptr<Trial>()>& makeTrial, int32_t succeeded,
                            const Expectation& expected) {
  SweepOutcome outcome;
  std::vector<std::string> operations;
  {
    SCOPED_TRACE("counting run");
    ledger.clearFaults();
    ledger.setRecording(true);
    runTrial(ledger, makeTrial, succeeded, "");
    ledger.setRecording(false);
    operations = ledger.log();
  }
  EXPECT_FALSE(operations.empty()) << "the operation made no failable host call";

  for (uint64_t call = 1; call <= operations.size(); ++call) {
    const std::string& operation = operations[call - 1];
    SCOPED_TRACE("failing call " + std::to_string(call) + " of " + std::to_string(operations.size()) + ": " +
                 operation);
    const acf::Result code = injectedCode(call);
    // The fault is armed once the trial is prepared: runTrial resets the
    // count right before the operation, and failCall counts from there.
    const auto armed = [&]() -> std::unique_ptr<Trial> {
      std::unique_ptr<Trial> trial = makeTrial();
      ledger.failCall(call, code);
      return trial;
    };
    runTrial(ledger, armed, expected(operation, code), operation);
    ++outcome.callsFailed;
    if (::testing::Test::HasFailure()) break;  // one broken call is enough to read
  }
  std::printf("[ fault sweep ] %-34s %3zu host calls failed in turn\n", scenario.c_str(), outcome.callsFailed);
  std::fflush(stdout);
  return outcome;
}

}  // namespace horaz::test
