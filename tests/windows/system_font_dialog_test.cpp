// The font selection action against the system's own font dialog, answered
// the way a user does: a helper thread waits for the dialog the action opens
// over the editor's main window, picks a face and presses OK or Cancel.
// Windows only; it needs a display.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "interaction/effect_instance.h"

namespace horaz::test {
namespace {

// The editor's main window as the action looks for it, made by this host.
class EditorMainWindow {
 public:
  EditorMainWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"EditorMainWndClass";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, L"EditorMainWndClass", L"Video Editor", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~EditorMainWindow() {
    if (window_) DestroyWindow(window_);
    UnregisterClassW(L"EditorMainWndClass", GetModuleHandleW(nullptr));
  }
  EditorMainWindow(const EditorMainWindow&) = delete;
  EditorMainWindow& operator=(const EditorMainWindow&) = delete;

  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// The dialog's face list and the standard dialog class.
constexpr int kFaceList = 0x470;
constexpr const wchar_t* kDialogClass = L"#32770";

// Waits up to a minute (Wine on a loaded machine is slow to open it) for a
// dialog owned by `owner` that is ready for a user: shown, which happens once
// it has initialised, and with its face list filled. Found any earlier, the
// list may still be empty.
HWND waitForDialog(HWND owner) {
  for (int attempt = 0; attempt < 1200; ++attempt) {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExW(nullptr, dialog, kDialogClass, nullptr)) != nullptr)
      if (GetWindow(dialog, GW_OWNER) == owner && IsWindowVisible(dialog) &&
          SendMessageW(GetDlgItem(dialog, kFaceList), CB_GETCOUNT, 0, 0) > 0)
        return dialog;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

// What the helper thread did: the face it picked (confirm only) and whether
// it found the dialog at all.
struct Answer {
  bool foundDialog = false;
  std::wstring face;
};

// Answers the dialog: on confirm, picks the face list's first face first.
Answer answerDialog(HWND owner, bool confirm) {
  Answer answer;
  const HWND dialog = waitForDialog(owner);
  if (!dialog) return answer;
  answer.foundDialog = true;
  if (confirm) {
    const HWND faces = GetDlgItem(dialog, kFaceList);
    SendMessageW(faces, CB_SETCURSEL, 0, 0);
    wchar_t face[LF_FACESIZE + 32] = {};
    if (SendMessageW(faces, CB_GETLBTEXTLEN, 0, 0) < static_cast<LRESULT>(std::size(face)))
      SendMessageW(faces, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(face));
    answer.face = face;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFaceList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
  }
  PostMessageW(dialog, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
  return answer;
}

std::wstring faceOf(const std::vector<uint8_t>& record) {
  LOGFONTW font{};
  if (record.size() != sizeof font) return L"(not a font record)";
  std::memcpy(&font, record.data(), sizeof font);
  return font.lfFaceName;
}

class SystemFontDialog : public EffectInstance {
 protected:
  // Runs the action with the dialog answered on another thread.
  Answer select(bool confirm) {
    Answer answer;
    std::thread user([&] { answer = answerDialog(editor_.get(), confirm); });
    auto parameters = parameterSet();
    result_ = action_->SelectFont(parameters.get(), nullptr, nullptr);
    user.join();
    return answer;
  }

  void TearDown() override {
    action_.reset();
    EffectInstance::TearDown();
  }

  EditorMainWindow editor_;
  CountedRef<acf::FontSelectionAction> action_ = makeComponent<acf::FontSelectionAction>(kFontActionClass);
  acf::Result result_ = acf::kUnexpected;
};

TEST_F(SystemFontDialog, ConfirmStoresTheChosenFaceAndCancelKeepsTheRecord) {
  ASSERT_NE(editor_.get(), nullptr);
  const std::vector<uint8_t> initial = bytes("PrivateData");

  const Answer cancelled = select(false);
  ASSERT_TRUE(cancelled.foundDialog) << "no font dialog owned by the editor window";
  EXPECT_EQ(result_, acf::kOk);
  EXPECT_EQ(bytes("PrivateData"), initial);

  const Answer confirmed = select(true);
  ASSERT_TRUE(confirmed.foundDialog);
  EXPECT_EQ(result_, acf::kOk);
  ASSERT_FALSE(confirmed.face.empty());
  EXPECT_EQ(faceOf(bytes("PrivateData")), confirmed.face);

  // Cancelling after a confirmed choice keeps that choice.
  const std::vector<uint8_t> chosen = bytes("PrivateData");
  ASSERT_TRUE(select(false).foundDialog);
  EXPECT_EQ(bytes("PrivateData"), chosen);
}

}  // namespace
}  // namespace horaz::test
