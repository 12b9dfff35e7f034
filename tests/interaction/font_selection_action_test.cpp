// The font selection action, invoked by the reference host's font command:
// what the dialog is opened on, what is stored when the user confirms, and
// that nothing is stored otherwise.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <horaz_platform/host_services.h>

#include "effect_instance.h"
#include "testhost/font_command.h"

namespace horaz::test {
namespace {

using testhost::FontChoice;
using testhost::FontDialogAnswer;

LOGFONTW recordOf(const std::vector<uint8_t>& bytes) {
  LOGFONTW record{};
  EXPECT_EQ(bytes.size(), sizeof record);
  std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
  return record;
}

std::vector<uint8_t> bytesOf(const LOGFONTW& record) {
  const auto* first = reinterpret_cast<const uint8_t*>(&record);
  return std::vector<uint8_t>(first, first + sizeof record);
}

std::u16string faceOf(const LOGFONTW& record) { return std::u16string(record.lfFaceName); }

class FontSelectionActionTest : public EffectInstance {
 protected:
  testhost::FontCommandOutcome run(const FontDialogAnswer& answer, bool mainWindow = true) {
    auto parameters = parameterSet();
    return testhost::runFontCommand(*action_.get(), parameters.get(), answer, mainWindow);
  }

  void TearDown() override {
    action_.reset();
    EffectInstance::TearDown();
  }

  CountedRef<acf::FontSelectionAction> action_ = makeComponent<acf::FontSelectionAction>(kFontActionClass);
};

TEST_F(FontSelectionActionTest, TheDialogOpensOnTheStoredRecordOwnedByTheEditorWindow) {
  const testhost::FontCommandOutcome outcome = run(FontDialogAnswer::cancel());
  ASSERT_EQ(outcome.result, acf::kOk);
  ASSERT_TRUE(outcome.dialog);
  const CHOOSEFONTW& request = outcome.dialog->request;
  EXPECT_EQ(request.lStructSize, sizeof(CHOOSEFONTW));
  EXPECT_EQ(request.hwndOwner, outcome.mainWindow);
  EXPECT_NE(request.hwndOwner, nullptr);
  EXPECT_EQ(request.Flags, 0x41u) << "screen fonts, opened on the record";
  EXPECT_TRUE(outcome.dialog->hasLogFont);
  // Everything else is zero.
  EXPECT_EQ(request.hDC, nullptr);
  EXPECT_EQ(request.iPointSize, 0);
  EXPECT_EQ(request.rgbColors, 0u);
  EXPECT_EQ(request.lCustData, 0);
  EXPECT_EQ(request.lpfnHook, nullptr);
  EXPECT_EQ(request.lpTemplateName, nullptr);
  EXPECT_EQ(request.hInstance, nullptr);
  EXPECT_EQ(request.lpszStyle, nullptr);
  EXPECT_EQ(request.nFontType, 0);
  EXPECT_EQ(request.nSizeMin, 0);
  EXPECT_EQ(request.nSizeMax, 0);

  // A freshly applied effect: height 32 (stored negative), no face chosen.
  const LOGFONTW& opened = outcome.dialog->logFont;
  EXPECT_EQ(opened.lfHeight, -32);
  EXPECT_EQ(opened.lfCharSet, 1);
  EXPECT_EQ(faceOf(opened), u"");
  EXPECT_EQ(bytesOf(opened), bytes("PrivateData"));
}

TEST_F(FontSelectionActionTest, WithoutTheEditorWindowTheDialogHasNoOwner) {
  const testhost::FontCommandOutcome outcome = run(FontDialogAnswer::cancel(), false);
  ASSERT_EQ(outcome.result, acf::kOk);
  ASSERT_TRUE(outcome.dialog);
  EXPECT_EQ(outcome.dialog->request.hwndOwner, nullptr);
}

TEST_F(FontSelectionActionTest, ConfirmingStoresExactlyTheRecordTheDialogReturned) {
  const std::vector<FontChoice> choices{
      {u"DejaVu Serif", 48, 700, true, false, false},
      {u"Liberation Mono", 12, 400, false, true, true},
      // Longer than the record holds: cut to 31 code units and terminated.
      {u"An Extraordinarily Long Face Name Beyond Thirty-Two", 20, 0, false, false, false},
      {u"", 32, 400, false, false, false},
  };
  for (const FontChoice& choice : choices) {
    SCOPED_TRACE(testhost::toUtf8(choice.faceName));
    const std::vector<uint8_t> before = bytes("PrivateData");
    const testhost::FontCommandOutcome outcome = run(FontDialogAnswer::confirm(choice));
    ASSERT_EQ(outcome.result, acf::kOk);
    ASSERT_TRUE(outcome.dialog);
    EXPECT_EQ(bytesOf(outcome.dialog->logFont), before) << "opened on what was stored";

    const std::vector<uint8_t> stored = bytes("PrivateData");
    ASSERT_EQ(stored.size(), 92u);
    EXPECT_EQ(stored, bytesOf(testhost::applyFontChoice(recordOf(before), choice)));
    const LOGFONTW record = recordOf(stored);
    EXPECT_EQ(record.lfHeight, -choice.height);
    EXPECT_EQ(record.lfWeight, choice.weight);
    EXPECT_EQ(faceOf(record), choice.faceName.substr(0, 31));
  }
}

TEST_F(FontSelectionActionTest, CancelOrADialogThatCannotOpenStoresNothing) {
  store_->set(id("PrivateData"), bytesOf(testhost::applyFontChoice(recordOf(bytes("PrivateData")),
                                                                   {u"DejaVu Sans", 40, 700, false, false, false})));
  const std::vector<uint8_t> before = bytes("PrivateData");
  for (const FontDialogAnswer& answer : {FontDialogAnswer::cancel(), FontDialogAnswer::failToOpen()}) {
    SCOPED_TRACE(answer.kind == FontDialogAnswer::Kind::Cancel ? "cancel" : "dialog fails to open");
    ledger_->resetCalls();
    ledger_->setRecording(true);
    const testhost::FontCommandOutcome outcome = run(answer);
    ledger_->setRecording(false);
    EXPECT_EQ(outcome.result, acf::kOk);
    ASSERT_TRUE(outcome.dialog);
    EXPECT_EQ(bytes("PrivateData"), before);
    for (const std::string& call : ledger_->log()) EXPECT_FALSE(call.starts_with("Parameter.SetValue")) << call;
  }
}

// Each failable host call of the action failing in turn: its code comes
// back, nothing after it runs (no dialog after a failed read) and nothing is
// stored.
TEST_F(FontSelectionActionTest, AFailingHostCallEndsTheActionWithItsCode) {
  struct Case {
    const char* operation;
    bool dialogShown;
  };
  const Case cases[]{
      {"ParameterSet.GetParameter(PrivateData)", false},
      {"Parameter.GetInfo(PrivateData)", false},
      {"Parameter.GetValue(PrivateData)", false},
      {"Parameter.SetValue(PrivateData)", true},
  };
  const std::vector<uint8_t> before = bytes("PrivateData");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operation);
    ledger_->failOperation(c.operation, kHostFailure);
    const testhost::FontCommandOutcome outcome = run(FontDialogAnswer::confirm({u"DejaVu Serif", 10}));
    ledger_->clearFaults();
    EXPECT_EQ(outcome.result, kHostFailure);
    EXPECT_EQ(outcome.dialog.has_value(), c.dialogShown);
    EXPECT_EQ(bytes("PrivateData"), before);
  }
}

TEST_F(FontSelectionActionTest, ANullParameterSetIsANullArgument) {
  const testhost::FontCommandOutcome outcome =
      testhost::runFontCommand(*action_.get(), nullptr, FontDialogAnswer::confirm({u"DejaVu Serif", 10}));
  EXPECT_EQ(outcome.result, acf::kNullArgument);
  EXPECT_FALSE(outcome.dialog);
}

// Two hosts' actions with their dialogs open at the same time on two
// threads: each dialog edits, and each action stores, its own record.
TEST_F(FontSelectionActionTest, TwoActionsOnTwoThreadsEachKeepTheirOwnRecord) {
  auto otherStore = registeredParameters(host_->model());
  auto otherAction = makeComponent<acf::FontSelectionAction>(kFontActionClass);
  const acf::Guid privateData = id("PrivateData");
  LOGFONTW first = recordOf(bytes("PrivateData"));
  first.lfHeight = -10;
  LOGFONTW second = first;
  second.lfHeight = -20;
  store_->set(privateData, bytesOf(first));
  otherStore->set(privateData, bytesOf(second));

  // The user answers each dialog after a pause, long enough for the other
  // dialog to have opened meanwhile, with a weight derived from the height
  // the dialog was opened on.
  platform::setFontDialogAnswer([](CHOOSEFONTW& request) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    request.lpLogFont->lfWeight = -request.lpLogFont->lfHeight * 10;
    return TRUE;
  });
  acf::Result results[2] = {acf::kUnexpected, acf::kUnexpected};
  {
    auto firstSet = parameterSet();
    auto secondSet = CountedRef<testhost::HostParameterSet>::adopt(
        testhost::make<testhost::HostParameterSet>(ledger_, otherStore, 1.0, 25.0));
    std::thread a([&] { results[0] = action_->SelectFont(firstSet.get(), nullptr, nullptr); });
    std::thread b([&] { results[1] = otherAction->SelectFont(secondSet.get(), nullptr, nullptr); });
    a.join();
    b.join();
  }
  platform::clearFontDialogAnswer();
  otherAction.reset();

  EXPECT_EQ(results[0], acf::kOk);
  EXPECT_EQ(results[1], acf::kOk);
  const LOGFONTW storedFirst = recordOf(store_->valueAt(privateData, 0.0));
  const LOGFONTW storedSecond = recordOf(otherStore->valueAt(privateData, 0.0));
  EXPECT_EQ(storedFirst.lfHeight, -10);
  EXPECT_EQ(storedFirst.lfWeight, 100);
  EXPECT_EQ(storedSecond.lfHeight, -20);
  EXPECT_EQ(storedSecond.lfWeight, 200);
}

}  // namespace
}  // namespace horaz::test
