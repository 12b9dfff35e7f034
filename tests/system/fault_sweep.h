#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "host/result.h"
#include "testhost/ledger.h"

namespace horaz::test {

// One run of the operation under test, made afresh for every run so that
// each starts from the same state. The constructor sets up (its host calls
// are not counted), run() is the operation, and the destructor lets go of
// everything the trial made.
class Trial {
 public:
  virtual ~Trial() = default;
  // The operation; returns its result code (or its 32-bit answer, for the
  // overlay's mouse operations).
  virtual int32_t run() = 0;
  // Checks after a run that was expected to end with `expected`; `failed`
  // names the host call that failed, empty for the counting run.
  virtual void check(int32_t /*expected*/, const std::string& /*failed*/) {}
  // True when the operation may keep host objects beyond the call (the
  // overlay keeps its parameter interfaces): the live count is then checked
  // only once the trial is gone.
  virtual bool keepsHostObjects() const { return false; }
};

// What a run must return when host call `operation` fails with `injected`.
using Expectation = std::function<int32_t(std::string_view operation, acf::Result injected)>;

struct SweepOutcome {
  size_t callsFailed = 0;  // host calls failed in turn, one per run
};

// Runs a trial once to count (and name) its failable host calls, expecting
// `succeeded`; then once more for each of them with that call failing. Every
// run must return what `expected` says, leave the ledger's live object count
// where it was and GDI+ shut down. Reports through gtest and prints the
// count.
SweepOutcome sweepHostCalls(const std::string& scenario, testhost::Ledger& ledger,
                            const std::function<std::unique_ptr<Trial>()>& makeTrial, int32_t succeeded,
                            const Expectation& expected);

// The code the n-th failing call fails with: distinct per call, so a wrong
// one is easy to place.
acf::Result injectedCode(uint64_t call);

}  // namespace horaz::test
