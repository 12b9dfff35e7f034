// Top-level windows that hosts register, found by FindWindowW.
#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "error_boundary.h"
#include "horaz_platform/host_services.h"
#include "winuser.h"

namespace {

struct RegisteredWindow {
  std::u16string className;
  std::u16string title;
};

struct Windows {
  std::mutex mutex;
  std::vector<std::unique_ptr<RegisteredWindow>> list;  // oldest first
};

Windows& windows() {
  static Windows state;
  return state;
}

char16_t foldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

bool sameClassName(const std::u16string& a, const WCHAR* b) {
  std::size_t i = 0;
  for (; i < a.size(); ++i)
    if (!b[i] || foldAscii(a[i]) != foldAscii(b[i])) return false;
  return b[i] == 0;
}

HWND handleOf(const RegisteredWindow* window) { return reinterpret_cast<HWND>(const_cast<RegisteredWindow*>(window)); }

}  // namespace

namespace horaz::platform {

HWND registerMainWindow(const std::u16string& className, const std::u16string& title) {
  Windows& state = windows();
  std::lock_guard lock(state.mutex);
  state.list.push_back(std::make_unique<RegisteredWindow>(RegisteredWindow{className, title}));
  return handleOf(state.list.back().get());
}

void unregisterMainWindow(HWND window) {
  Windows& state = windows();
  std::lock_guard lock(state.mutex);
  auto& list = state.list;
  list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& w) { return handleOf(w.get()) == window; }),
             list.end());
}

}  // namespace horaz::platform

extern "C" {

HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  return horaz::platform::detail::gdiBoundary<HWND>(nullptr, [&]() -> HWND {
    Windows& state = windows();
    std::lock_guard lock(state.mutex);
    for (auto it = state.list.rbegin(); it != state.list.rend(); ++it) {
      const RegisteredWindow& window = **it;
      if (className && !sameClassName(window.className, className)) continue;
      if (windowName && window.title != std::u16string_view(windowName)) continue;
      return handleOf(&window);
    }
    return nullptr;
  });
}

}  // extern "C"
