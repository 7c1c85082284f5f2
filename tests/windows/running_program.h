#pragma once
// The whole program inside the test's process, on the real Win32 backend: a Win32Platform whose
// shell call and fatal message box are recorders, a Program started as the executable starts it,
// and the test in place of the message loop. Messages are handled the way the loop handles them
// (keys through the dialog manager), every pump has a deadline, and the user's moves are real
// window messages at client coordinates, queued and then pumped. With AMORIX_CLICK_AS_READER set,
// a click is the label's default action, asked through Active Accessibility as a screen reader
// asks, and every scenario must come out the same.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "app/splash_window.h"
#include "calculator/main_window.h"
#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_platform.h"
#include "screen_reader/reader_view.h"
#include "windows/confirmation_window.h"
#include "windows/credit_window.h"
#include "windows/formation_window.h"
#include "windows/help_window.h"
#include "windows/reminder_window.h"
#include "windows/terms_window.h"

namespace amorix::windows_testing {

struct ShellCall {
  HWND window;
  std::optional<std::string> operation, file, parameters, directory;  // nullopt: a null pointer
  int show;
  HCURSOR cursor;  // the thread's cursor while the shell works
};
inline std::vector<ShellCall> shell_calls;
inline std::function<void()> during_shell_call;

inline std::optional<std::string> OptionalText(LPCSTR text) {
  return text ? std::optional<std::string>(text) : std::nullopt;
}

inline HINSTANCE WINAPI RecordShellExecute(HWND window, LPCSTR operation, LPCSTR file,
                                           LPCSTR parameters, LPCSTR directory, INT show) {
  shell_calls.push_back({window, OptionalText(operation), OptionalText(file),
                         OptionalText(parameters), OptionalText(directory), show, ::GetCursor()});
  if (during_shell_call) during_shell_call();
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));  // above 32: launched
}

inline POINT Centre(const PixelRect& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline LPARAM At(POINT p) {
  return MAKELPARAM(p.x, p.y);
}

inline std::wstring Caption(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

inline std::u16string EditText(HWND edit) {
  const std::wstring text = Caption(edit);
  return {text.begin(), text.end()};
}

// The visible top-level windows of this process, any thread.
inline std::vector<HWND> VisibleWindows() {
  std::vector<HWND> found;
  ::EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

inline std::vector<std::wstring> VisibleCaptions() {
  std::vector<std::wstring> captions;
  for (HWND window : VisibleWindows()) captions.push_back(Caption(window));
  return captions;
}

class RunningProgramTest : public ::testing::Test {
 protected:
  RunningProgramTest() {
    shell_calls.clear();
    during_shell_call = nullptr;
    platform.SetShellExecuteForTesting(&RecordShellExecute);
    // A run-time error ends the process; its message goes where the test log shows it.
    platform.SetFatalBoxForTesting([](std::u16string_view message) {
      std::fprintf(stderr, "fatal box: %s\n", std::string(message.begin(), message.end()).c_str());
    });
  }

  void TearDown() override {
    during_shell_call = nullptr;
    UnloadAll<Form1, Form2, Form3, Form4, Form5, Form6, Form7, Form8>();
    std::vector<HWND> left;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM left) -> BOOL {
          reinterpret_cast<std::vector<HWND>*>(left)->push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&left));
    for (HWND window : left) {
      if (win32::FormWindow::From(window)) ::DestroyWindow(window);
    }
    PumpQueued();
  }

  template <class W>
  W& Get() {
    return program.windows().Get<W>();
  }
  template <class W>
  W* Find() {
    return program.windows().Find<W>();
  }
  static HWND Hwnd(const Form& form) { return ToHwnd(form.hWnd()); }
  static HWND Hwnd(const TextBox& box) { return ToHwnd(box.Handle()); }
  static bool Shown(const Form* form) {
    return form && form->Loaded() && ::IsWindowVisible(Hwnd(*form));
  }

  // One message, handled as the program's loop handles it.
  void Handle(MSG& msg) {
    if (msg.message == WM_QUIT) {
      quit_seen = true;
      return;
    }
    HWND form = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (win32::FormWindow::From(form) && ::IsDialogMessageW(form, &msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }

  // Handles messages until `done` holds or the time is up.
  bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      MSG msg;
      if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        Handle(msg);
      } else {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      }
    }
    return true;
  }

  // Handles every message already queued and those they queue in turn.
  void PumpQueued(int timeout_ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    MSG msg;
    while (std::chrono::steady_clock::now() < end &&
           ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Handle(msg);
    }
  }

  // Starts the program and gives the splash its tick, the one its timer (number 1) brings
  // three seconds after the splash loads.
  Form1& StartToMain() {
    program.Start();
    Form5* splash = Find<Form5>();
    EXPECT_TRUE(Shown(splash));
    if (splash && splash->Loaded()) ::PostMessageW(Hwnd(*splash), WM_TIMER, 1, 0);
    EXPECT_TRUE(PumpUntil([&] { return Shown(Find<Form1>()); })) << "the main window came";
    PumpQueued();
    return Get<Form1>();
  }

  // A left click at the label's centre: the mouse comes, presses and releases.
  void Click(const Form& form, const Label& label) {
    HWND window = Hwnd(form);
    if (std::getenv("AMORIX_CLICK_AS_READER")) {
      EXPECT_EQ(reader::DoDefaultAction(window, label.Number()), S_OK);
      PumpQueued();
      return;
    }
    const LPARAM at = At(Centre(label.Bounds()));
    ::PostMessageW(window, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(window, WM_LBUTTONUP, 0, at);
    PumpQueued();
  }

  // Typed characters, one WM_CHAR each, into the box.
  void Type(const TextBox& box, std::wstring_view text) {
    for (wchar_t c : text) ::PostMessageW(Hwnd(box), WM_CHAR, c, 1);
    PumpQueued();
  }

  Win32Platform platform{::GetModuleHandleW(nullptr)};
  Program program{platform};
  bool quit_seen = false;

 private:
  template <class... W>
  void UnloadAll() {
    (
        [&] {
          if (W* form = Find<W>()) form->Unload();
        }(),
        ...);
  }
};

}  // namespace amorix::windows_testing
