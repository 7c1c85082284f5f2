// The Win32 backend against the real system: windows, painting, edits, tooltips, regions and the
// process hooks. Windows are created hidden unless a case needs them on screen.
#include "platform/win32/win32_platform.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/runtime_error.h"
#include "platform/win32/win32_canvas.h"
#include "platform/win32/win32_stats.h"
#include "resources/resource_ids.h"

namespace amorix {
namespace {

class Recorder final : public WindowEvents {
 public:
  void OnPaint(Canvas& canvas) noexcept override {
    paints.push_back(canvas.Dirty());
    if (on_paint) on_paint(canvas);
  }
  void OnMouseMove(const MouseEvent& e) noexcept override { moves.push_back(e); }
  void OnMouseDown(const MouseEvent& e) noexcept override {
    downs.push_back(e);
    if (on_mouse_down) on_mouse_down();
  }
  void OnMouseUp(const MouseEvent& e) noexcept override { ups.push_back(e); }
  void OnEditChange(EditHandle edit) noexcept override { changes.push_back(edit); }
  void OnTimer(int timer_id) noexcept override {
    ticks.push_back(timer_id);
    if (on_timer) on_timer();
  }
  void OnCloseRequest() noexcept override {
    ++close_requests;
    if (on_close) on_close();
  }
  std::vector<AccessibleLabel> OnDescribeLabels() noexcept override { return labels; }
  void OnLabelAction(int label) noexcept override { actions.push_back(label); }
  void OnCaptureLost() noexcept override { ++captures_lost; }

  std::vector<AccessibleLabel> labels;
  std::vector<int> actions;
  std::vector<PixelRect> paints;
  std::vector<MouseEvent> moves, downs, ups;
  std::vector<EditHandle> changes;
  std::vector<int> ticks;
  int close_requests = 0, captures_lost = 0;
  std::function<void(Canvas&)> on_paint;
  std::function<void()> on_mouse_down, on_timer, on_close;
};

HINSTANCE Module() {
  return ::GetModuleHandleW(nullptr);
}

bool HasResource(int id, LPCWSTR type) {
  return ::FindResourceW(Module(), MAKEINTRESOURCEW(id), type) != nullptr;
}

// Runs the thread's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return true;
}

class Win32PlatformTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (WindowHandle w : windows_) {
      if (::IsWindow(ToHwnd(w))) ::DestroyWindow(ToHwnd(w));
    }
  }

  WindowHandle MakeWindow(WindowSpec params = {
                              .caption = u"Probe", .client_width = 200, .client_height = 120}) {
    WindowHandle w = platform_.CreateFormWindow(params, events_);
    windows_.push_back(w);
    return w;
  }
  EditHandle MakeEdit(WindowHandle w, int top, int max_length = 0) {
    return platform_.CreateEdit(w, {.rect = {10, top, 110, top + 20}, .max_length = max_length});
  }

  Win32Platform platform_{Module()};
  Recorder events_;
  std::vector<WindowHandle> windows_;
};

TEST_F(Win32PlatformTest, WindowsAreBorderlessHiddenAndCentred) {
  WindowHandle tool = MakeWindow({.caption = u"Amorix \u2013 Probe",
                                  .client_width = 321,
                                  .client_height = 123,
                                  .in_taskbar = false});
  HWND hwnd = ToHwnd(tool);
  RECT client{}, bounds{};
  ::GetClientRect(hwnd, &client);
  ::GetWindowRect(hwnd, &bounds);
  EXPECT_EQ(client.right, 321);
  EXPECT_EQ(client.bottom, 123);
  EXPECT_EQ(bounds.right - bounds.left, 321);
  EXPECT_EQ(bounds.bottom - bounds.top, 123);
  EXPECT_EQ(bounds.left, (::GetSystemMetrics(SM_CXSCREEN) - 321) / 2);
  EXPECT_EQ(bounds.top, (::GetSystemMetrics(SM_CYSCREEN) - 123) / 2);

  wchar_t caption[64] = {};
  ::GetWindowTextW(hwnd, caption, 64);
  EXPECT_EQ(std::wstring(caption), L"Amorix \u2013 Probe");

  const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_CLIPCHILDREN) << "the blit of a paint must not cover the edits";
  EXPECT_FALSE(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_BORDER | WS_VISIBLE));
  const LONG_PTR ex_style = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ex_style & WS_EX_APPWINDOW);

  HWND app = ToHwnd(MakeWindow());
  EXPECT_TRUE(::GetWindowLongPtrW(app, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_FALSE(::GetWindowLongPtrW(app, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  platform_.ShowFormWindow(tool, true);
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  platform_.ShowFormWindow(tool, false);
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  platform_.DestroyFormWindow(tool);
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(Win32PlatformTest, WindowTakesBothIconsFromTheResource) {
  if (!HasResource(IDI_PROGRAM, MAKEINTRESOURCEW(14))) GTEST_SKIP() << "no program icon linked";
  HWND hwnd = ToHwnd(MakeWindow(
      {.caption = u"Icon", .client_width = 50, .client_height = 50, .icon = IDI_PROGRAM}));
  EXPECT_NE(::SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(::SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(Win32PlatformTest, MouseMessagesCarryPositionButtonAndModifiers) {
  HWND hwnd = ToHwnd(MakeWindow());
  ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20));
  ::SendMessageW(hwnd, WM_RBUTTONUP, MK_CONTROL, MAKELPARAM(30, 40));
  ::SendMessageW(hwnd, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(1, 2));
  ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(-3, 5));
  BYTE keys[256];
  ::GetKeyboardState(keys);
  const BYTE alt = keys[VK_MENU];
  keys[VK_MENU] = 0x80;
  ::SetKeyboardState(keys);
  ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
  keys[VK_MENU] = alt;
  ::SetKeyboardState(keys);

  ASSERT_EQ(events_.downs.size(), 2u);
  EXPECT_EQ(events_.downs[0].x, 10);
  EXPECT_EQ(events_.downs[0].y, 20);
  EXPECT_EQ(events_.downs[0].button, MouseButton::kLeft);
  EXPECT_TRUE(events_.downs[0].shift);
  EXPECT_FALSE(events_.downs[0].ctrl);
  EXPECT_EQ(events_.downs[1].button, MouseButton::kMiddle);
  ASSERT_EQ(events_.ups.size(), 2u);
  EXPECT_EQ(events_.ups[0].button, MouseButton::kRight);
  EXPECT_TRUE(events_.ups[0].ctrl);
  EXPECT_FALSE(events_.ups[0].alt);
  EXPECT_EQ(events_.ups[1].button, MouseButton::kLeft);
  EXPECT_TRUE(events_.ups[1].alt);
  ASSERT_EQ(events_.moves.size(), 1u);
  EXPECT_EQ(events_.moves[0].x, -3);
  EXPECT_EQ(events_.moves[0].button, MouseButton::kRight);
}

TEST_F(Win32PlatformTest, CloseTimersAndBackgroundErase) {
  WindowHandle w = MakeWindow();
  HWND hwnd = ToHwnd(w);
  EXPECT_EQ(::SendMessageW(hwnd, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(events_.close_requests, 1);
  EXPECT_TRUE(::IsWindow(hwnd)) << "closing is the behaviour's decision";
  EXPECT_EQ(::SendMessageW(hwnd, WM_ERASEBKGND, 0, 0), 1);

  platform_.StartTimer(w, 3, 10);
  ASSERT_TRUE(PumpUntil([&] { return events_.ticks.size() >= 2; }));
  EXPECT_EQ(events_.ticks[0], 3);
  platform_.StopTimer(w, 3);
  events_.ticks.clear();
  PumpUntil([] { return false; }, 100);
  EXPECT_TRUE(events_.ticks.empty());
}

TEST_F(Win32PlatformTest, WindowMayDestroyItselfInsideItsEvents) {
  WindowHandle first = MakeWindow();
  WindowHandle second = nullptr;
  events_.on_timer = [&] {
    platform_.DestroyFormWindow(first);
    second = MakeWindow();
    platform_.ShowFormWindow(second, true);
  };
  platform_.StartTimer(first, 1, 10);
  ASSERT_TRUE(PumpUntil([&] { return second != nullptr; }));
  EXPECT_FALSE(::IsWindow(ToHwnd(first)));
  EXPECT_TRUE(::IsWindowVisible(ToHwnd(second)));
  events_.on_timer = nullptr;

  events_.on_close = [&] { platform_.DestroyFormWindow(second); };
  ::SendMessageW(ToHwnd(second), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(ToHwnd(second)));

  WindowHandle third = MakeWindow();
  MakeEdit(third, 10);
  events_.on_mouse_down = [&] { platform_.DestroyFormWindow(third); };
  ::SendMessageW(ToHwnd(third), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_FALSE(::IsWindow(ToHwnd(third)));
}

TEST_F(Win32PlatformTest, PaintCoversTheInvalidRectOnly) {
  WindowHandle w = MakeWindow({.caption = u"Paint",
                               .client_width = 100,
                               .client_height = 80,
                               .background = Rgb(0, 0, 255)});
  HWND hwnd = ToHwnd(w);
  platform_.ShowFormWindow(w, true);
  ::UpdateWindow(hwnd);
  events_.paints.clear();
  events_.on_paint = [](Canvas& canvas) { canvas.FillRect({0, 0, 100, 80}, Rgb(255, 0, 0)); };

  platform_.Invalidate(w, {5, 6, 20, 30});
  ::UpdateWindow(hwnd);
  ASSERT_EQ(events_.paints.size(), 1u);
  EXPECT_EQ(events_.paints[0], (PixelRect{5, 6, 20, 30}));
  win32::WindowDcGuard screen(hwnd);
  EXPECT_EQ(::GetPixel(screen.dc(), 10, 10), RGB(255, 0, 0));
  EXPECT_NE(::GetPixel(screen.dc(), 50, 50), RGB(255, 0, 0)) << "outside the invalid rect";
}

TEST_F(Win32PlatformTest, EditHasItsStyleLimitFontAndColours) {
  WindowHandle w = MakeWindow();
  const FontSpec font{.face = u"Times New Roman", .points = 12, .bold = true};
  EditHandle edit = platform_.CreateEdit(w, {.rect = {10, 20, 110, 40},
                                             .font = font,
                                             .text_color = Rgb(192, 0, 0),
                                             .align = Align::kCenter,
                                             .max_length = 5});
  HWND hwnd = ToHwnd(edit);
  wchar_t class_name[16] = {};
  ::GetClassNameW(hwnd, class_name, 16);
  EXPECT_EQ(::lstrcmpiW(class_name, L"Edit"), 0);
  EXPECT_EQ(::GetParent(hwnd), ToHwnd(w));
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL | ES_CENTER | WS_VISIBLE),
            WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL | ES_CENTER | WS_VISIBLE);
  EXPECT_FALSE(style & WS_BORDER);
  EXPECT_FALSE(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  ::MapWindowPoints(nullptr, ToHwnd(w), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(win32::ToPixelRect(r), (PixelRect{10, 20, 110, 40}));
  EXPECT_EQ(::SendMessageW(hwnd, WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(platform_.fonts().Get(font)));

  EXPECT_EQ(::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0), 5);
  for (wchar_t c : std::wstring(L"abcdefgh")) ::SendMessageW(hwnd, WM_CHAR, c, 1);
  EXPECT_EQ(platform_.GetEditText(edit), u"abcde");
  // Windows reports the five accepted characters; wine also the three refused ones.
  EXPECT_GE(events_.changes.size(), 5u);
  EXPECT_EQ(events_.changes, std::vector<EditHandle>(events_.changes.size(), edit));

  // A character that would straddle the limit is refused whole, typed or pasted: never half of it.
  const std::wstring emoji = L"\U0001F600";
  ::SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abcd"));
  ::SendMessageW(hwnd, EM_SETSEL, 4, 4);
  ::SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(emoji.c_str()));
  EXPECT_EQ(platform_.GetEditText(edit), u"abcd");
  ::SendMessageW(hwnd, EM_SETSEL, 0, 0);
  ::SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>((L"1" + emoji).c_str()));
  EXPECT_EQ(platform_.GetEditText(edit), u"1abcd");
  ::SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
  ::SendMessageW(hwnd, EM_SETSEL, 3, 3);
  ::SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>((emoji + emoji).c_str()));
  EXPECT_EQ(platform_.GetEditText(edit), u"abc\U0001F600");
  EXPECT_EQ(events_.changes.back(), edit);
  // Pasted from the clipboard, text is cut at its first line break and a lone half is dropped.
  const std::pair<std::u16string, std::u16string> pastes[] = {{u"Bob\r\nAlice", u"Bob"},
                                                              {u"ab\rc", u"ab"},
                                                              {u"x\xD800y", u"xy"},
                                                              {u"abcd\U0001F600", u"abcd"}};
  for (const auto& [text, kept] : pastes) {
    ASSERT_TRUE(::OpenClipboard(hwnd) && ::EmptyClipboard());
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    std::memcpy(::GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(char16_t));
    ::GlobalUnlock(data);
    ::SetClipboardData(CF_UNICODETEXT, data);
    ::CloseClipboard();
    platform_.SetEditText(edit, u"");
    ::SendMessageW(hwnd, WM_PASTE, 0, 0);
    EXPECT_EQ(platform_.GetEditText(edit), kept);
  }
  // Typed, such a character comes as two WM_CHARs, its high half first: through the keyboard's
  // queue it lands whole, and at the limit it is refused whole; a half alone never stays.
  platform_.SetEditText(edit, u"");
  platform_.ShowFormWindow(w, true);
  ::SetForegroundWindow(ToHwnd(w));
  ::SetFocus(hwnd);
  std::vector<INPUT> keys;
  for (wchar_t unit : L"a" + emoji + L"b" + emoji) {
    for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT key{};
      key.type = INPUT_KEYBOARD;
      key.ki.wScan = unit;
      key.ki.dwFlags = KEYEVENTF_UNICODE | up;
      keys.push_back(key);
    }
  }
  ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  PumpUntil([&] { return platform_.GetEditText(edit).size() >= 4; });
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(platform_.GetEditText(edit), u"a\U0001F600b");
  for (wchar_t unit : {L'\xD83D', L'c', L'\xDE00', L'\xD83D'}) {
    ::SendMessageW(hwnd, WM_CHAR, unit, 1);
  }
  EXPECT_EQ(platform_.GetEditText(edit), u"a\U0001F600bc");
  ::SendMessageW(hwnd, EM_SETSEL, 1, 3);
  for (wchar_t unit : std::wstring(L"\U00020BB7")) ::SendMessageW(hwnd, WM_CHAR, unit, 1);
  EXPECT_EQ(platform_.GetEditText(edit), u"a\U00020BB7bc") << "the pair typed over a selection";

  const size_t changes = events_.changes.size();
  platform_.SetEditText(edit, u"Z\u00fcri \u2665");
  EXPECT_EQ(platform_.GetEditText(edit), u"Z\u00fcri \u2665");
  EXPECT_EQ(events_.changes.size(), changes + 1) << "the native edit reports a set text";

  win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  const LRESULT brush =
      ::SendMessageW(ToHwnd(w), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(hwnd));
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW)));
  EXPECT_EQ(::GetTextColor(dc.get()), RGB(192, 0, 0));
  EXPECT_EQ(::GetBkColor(dc.get()), ::GetSysColor(COLOR_WINDOW));

  // No limit of its own: more than the 32,767 characters an edit takes by default.
  EditHandle unlimited = MakeEdit(w, 50);
  EXPECT_GT(::SendMessageW(ToHwnd(unlimited), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFF0);
  const std::wstring pasted(40000, L'7');
  ::SendMessageW(ToHwnd(unlimited), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pasted.c_str()));
  EXPECT_EQ(platform_.GetEditText(unlimited).size(), 40000u);
  EXPECT_FALSE(::GetWindowLongPtrW(ToHwnd(unlimited), GWL_STYLE) & ES_CENTER);
  platform_.SetEditVisible(unlimited, false);
  EXPECT_FALSE(::GetWindowLongPtrW(ToHwnd(unlimited), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(Win32PlatformTest, TabOrderFocusRestoreAndMessageLoop) {
  WindowHandle w = MakeWindow();
  HWND form = ToHwnd(w);
  HWND e1 = ToHwnd(MakeEdit(w, 0));
  HWND e2 = ToHwnd(MakeEdit(w, 30));
  HWND e3 = ToHwnd(MakeEdit(w, 60));
  EXPECT_EQ(::GetNextDlgTabItem(form, e1, FALSE), e2);
  EXPECT_EQ(::GetNextDlgTabItem(form, e3, FALSE), e1);
  platform_.SetEditVisible(ToEditHandle(e2), false);
  EXPECT_EQ(::GetNextDlgTabItem(form, e1, FALSE), e3);

  platform_.ShowFormWindow(w, true);
  platform_.FocusEdit(ToEditHandle(e3));
  EXPECT_EQ(::GetFocus(), e3);
  ::SetFocus(form);
  ::SendMessageW(form, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(::GetFocus(), e3) << "the edit that last had the focus";
  platform_.SetEditVisible(ToEditHandle(e3), false);
  ::SetFocus(form);
  ::SendMessageW(form, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(::GetFocus(), e1) << "the first visible edit";

  platform_.SetEditVisible(ToEditHandle(e2), true);
  ::PostMessageW(e1, WM_KEYDOWN, VK_TAB, 0);
  platform_.Quit();
  platform_.RunMessageLoop();
  EXPECT_EQ(::GetFocus(), e2);
}

TEST_F(Win32PlatformTest, MousePointerAnswersSetCursorOverTheClient) {
  WindowHandle w = MakeWindow();
  HWND hwnd = ToHwnd(w);
  HWND edit = ToHwnd(MakeEdit(w, 10));
  const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  platform_.SetMousePointer(w, MousePointer::kHourglass);
  EXPECT_EQ(::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), client), TRUE);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT));
  EXPECT_EQ(::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(edit), client), FALSE)
      << "an edit keeps its own cursor";
  platform_.SetMousePointer(w, MousePointer::kDefault);
  ::SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), client);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));

  // With the mouse over the window the pointer changes at once, before any mouse message.
  platform_.ShowFormWindow(w, true);
  RECT bounds{};
  ::GetWindowRect(hwnd, &bounds);
  ::SetCursorPos(bounds.left + 150, bounds.top + 100);
  PumpUntil([] { return false; }, 50);
  POINT cursor{};
  ::GetCursorPos(&cursor);
  if (::WindowFromPoint(cursor) != hwnd) GTEST_SKIP() << "the mouse cannot be moved here";
  platform_.SetMousePointer(w, MousePointer::kHourglass);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT));
}

HWND TooltipOf(HWND form) {
  struct Search {
    HWND owner, found;
  } search{form, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[32] = {};
        ::GetClassNameW(window, name, 32);
        if (::GetWindow(window, GW_OWNER) == s->owner && !::lstrcmpiW(name, TOOLTIPS_CLASSW)) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct Tool {
  bool found = false;
  RECT rect{};
  std::wstring text;
};
Tool GetTool(HWND tooltip, HWND form, int id) {
  wchar_t text[80] = {};
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = form;
  info.uId = static_cast<UINT_PTR>(id);
  info.lpszText = text;
  Tool tool;
  tool.found = ::SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
  tool.rect = info.rect;
  tool.text = text;
  return tool;
}

TEST_F(Win32PlatformTest, TooltipsAreMadeAfterTheFirstPaintThenUpdatedAndRemoved) {
  WindowHandle w = MakeWindow();
  HWND form = ToHwnd(w);
  platform_.SetTooltip(w, 6, {0, 0, 5, 5}, u"Gone before the paint");
  platform_.SetTooltip(w, 6, {}, u"");
  platform_.SetTooltip(w, 7, {1, 2, 30, 40}, u"Visit us");
  EXPECT_EQ(TooltipOf(form), nullptr) << "not before the window has painted";
  platform_.ShowFormWindow(w, true);
  ::UpdateWindow(form);
  ASSERT_TRUE(PumpUntil([&] { return TooltipOf(form) != nullptr; }));
  platform_.SetTooltip(w, 9, {0, 0, 5, 5}, u"");
  HWND tooltip = TooltipOf(form);
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  Tool tool = GetTool(tooltip, form, 7);
  ASSERT_TRUE(tool.found);
  EXPECT_EQ(win32::ToPixelRect(tool.rect), (PixelRect{1, 2, 30, 40}));
  EXPECT_EQ(tool.text, L"Visit us");

  platform_.SetTooltip(w, 7, {5, 6, 50, 60}, u"Terms \u2192");
  platform_.SetTooltip(w, 8, {0, 0, 10, 10}, u"Other");
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
  tool = GetTool(tooltip, form, 7);
  EXPECT_EQ(win32::ToPixelRect(tool.rect), (PixelRect{5, 6, 50, 60}));
  EXPECT_EQ(tool.text, L"Terms \u2192");

  platform_.SetTooltip(w, 7, {}, u"");
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_FALSE(GetTool(tooltip, form, 7).found);
  EXPECT_TRUE(GetTool(tooltip, form, 8).found);
}

TEST_F(Win32PlatformTest, RegionAndUserCallsReachTheSystem) {
  WindowHandle w = MakeWindow({.caption = u"Rgn", .client_width = 120, .client_height = 80});
  HWND hwnd = ToHwnd(w);
  RegionHandle outline = platform_.CreateRoundRectRgn(0, 0, 120, 80, 28, 28);
  EXPECT_NE(platform_.SetWindowRgn(w, outline, -1), 0);
  win32::UniqueRegion applied(::CreateRectRgn(0, 0, 0, 0));
  win32::UniqueRegion expected(::CreateRoundRectRgn(0, 0, 120, 80, 28, 28));
  EXPECT_EQ(::GetWindowRgn(hwnd, applied.get()), COMPLEXREGION);
  // The same pixels; the system may keep them in other bands, so EqualRgn is too strict.
  win32::UniqueRegion difference(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(::CombineRgn(difference.get(), applied.get(), expected.get(), RGN_XOR), NULLREGION);
  EXPECT_FALSE(::PtInRegion(applied.get(), 1, 1));

  RegionHandle scratch = platform_.CreateRectRgn(0, 0, 0, 0);
  RegionHandle left = platform_.CreateRectRgn(0, 0, 10, 10);
  RegionHandle oval = platform_.CreateEllipticRgn(20, 0, 40, 10);
  EXPECT_EQ(platform_.CombineRgn(scratch, left, nullptr, Platform::kRgnCopy), SIMPLEREGION);
  EXPECT_EQ(platform_.CombineRgn(scratch, scratch, oval, Platform::kRgnOr), COMPLEXREGION);
  EXPECT_TRUE(::PtInRegion(ToHrgn(scratch), 30, 5));
  EXPECT_FALSE(::PtInRegion(ToHrgn(scratch), 20, 0));
  EXPECT_FALSE(::PtInRegion(ToHrgn(scratch), 15, 5));
  for (RegionHandle r : {scratch, left, oval}) EXPECT_NE(platform_.DeleteObject(r), 0);

  EXPECT_EQ(platform_.SetCapture(w), nullptr);
  ASSERT_EQ(::GetCapture(), hwnd);
  EXPECT_EQ(events_.captures_lost, 0);
  EXPECT_NE(platform_.ReleaseCapture(), 0);
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(events_.captures_lost, 1) << "WM_CAPTURECHANGED reaches the events";
  EXPECT_EQ(platform_.SendMessageA(w, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(events_.close_requests, 1);
}

struct ShellCall {
  HWND window;
  std::string operation, file;
  const char* parameters;
  const char* directory;
  int show;
};
std::vector<ShellCall> shell_calls;

HINSTANCE WINAPI FakeShellExecute(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                  LPCSTR directory, INT show) {
  shell_calls.push_back({window, operation, file, parameters, directory, show});
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

TEST_F(Win32PlatformTest, ShellCallGoesThroughTheBoundFunction) {
  WindowHandle w = MakeWindow();
  shell_calls.clear();
  platform_.SetShellExecuteForTesting(&FakeShellExecute);
  const char* empty = "";
  EXPECT_EQ(platform_.ShellExecuteA(w, "open", "https://example.com/terms", empty, empty, 5), 42);
  platform_.ShellExecuteA(w, "open", "https://example.com/terms", empty, empty, 5);
  ASSERT_EQ(shell_calls.size(), 2u);
  EXPECT_EQ(shell_calls[0].window, ToHwnd(w));
  EXPECT_EQ(shell_calls[0].operation, "open");
  EXPECT_EQ(shell_calls[0].file, "https://example.com/terms");
  EXPECT_EQ(shell_calls[0].parameters, empty);
  EXPECT_EQ(shell_calls[0].directory, empty);
  EXPECT_EQ(shell_calls[0].show, 5);
}

TEST(Win32BindTest, BindsByNameOrThrows) {
  win32::UniqueModule shell32, missing, kernel32;
  EXPECT_NE(win32::BindByName("shell32.dll", "ShellExecuteA", shell32), nullptr);
  EXPECT_TRUE(shell32);
  EXPECT_THROW(win32::BindByName("amorix-absent.dll", "ShellExecuteA", missing), RuntimeError);
  EXPECT_THROW(win32::BindByName("kernel32.dll", "NoSuchProcedure", kernel32), RuntimeError);
}

TEST_F(Win32PlatformTest, FatalReportAndTerminateEndTheProcess) {
  EXPECT_EXIT(
      {
        platform_.SetFatalBoxForTesting([](std::u16string_view message) {
          std::fprintf(stderr, "box: %s\n", std::string(message.begin(), message.end()).c_str());
        });
        platform_.ReportFatal(u"Overflow");
      },
      ::testing::ExitedWithCode(1), "box: Overflow");
  EXPECT_EXIT(platform_.Terminate(), ::testing::ExitedWithCode(0), "");
}

// Width and height from a JPEG's start-of-frame segment.
SIZE JpegSize(const unsigned char* bytes, DWORD size) {
  for (DWORD i = 2; i + 9 < size && bytes[i] == 0xFF;) {
    const unsigned char marker = bytes[i + 1];
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      return {bytes[i + 7] << 8 | bytes[i + 8], bytes[i + 5] << 8 | bytes[i + 6]};
    }
    i += 2 + (bytes[i + 2] << 8 | bytes[i + 3]);
  }
  return {};
}

// The same picture as the system's imaging component decodes it: top-down rows of blue, green and
// red, each padded to four bytes; empty when it cannot.
std::vector<BYTE> SystemDecode(const void* bytes, DWORD size, SIZE picture) {
  const UINT stride = (picture.cx * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(stride * picture.cy);
  win32::UniqueCom<IWICImagingFactory> factory;
  win32::UniqueCom<IStream> stream;
  stream.reset(::SHCreateMemStream(static_cast<const BYTE*>(bytes), size));
  win32::UniqueCom<IWICBitmapDecoder> decoder;
  win32::UniqueCom<IWICBitmapFrameDecode> frame;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.put())) ||
      !stream ||
      FAILED(factory.get()->CreateDecoderFromStream(
          stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())) ||
      FAILED(decoder.get()->GetFrame(0, frame.put())) ||
      FAILED(frame.get()->CopyPixels(nullptr, stride, pixels.size(), pixels.data()))) {
    return {};
  }
  return pixels;
}

TEST(Win32PicturesTest, EmbeddedPicturesDecodeToTheirSizeOnceAsTheSystemDecodesThem) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  win32::PictureCache pictures(Module());
  EXPECT_EQ(pictures.Get(999).bitmap, nullptr);
  int decoded = 0;
  for (int id = IDP_FORM1; id <= IDP_FORM8; ++id) {
    HRSRC resource = ::FindResourceW(Module(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
    if (!resource) continue;
    const auto* bytes =
        static_cast<const unsigned char*>(::LockResource(::LoadResource(Module(), resource)));
    const SIZE expected = JpegSize(bytes, ::SizeofResource(Module(), resource));
    const win32::PictureCache::Picture picture = pictures.Get(id);
    ASSERT_NE(picture.bitmap, nullptr) << id;
    BITMAP info{};
    ASSERT_TRUE(::GetObjectW(picture.bitmap, sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, expected.cx) << id;
    EXPECT_EQ(info.bmHeight, expected.cy) << id;
    EXPECT_EQ(picture.size.cx, expected.cx) << id;
    EXPECT_EQ(pictures.Get(id).bitmap, picture.bitmap) << "decoded once";
    // Two JPEG decoders round and smooth colour edges differently, by a few steps on average; a
    // swapped channel or a shifted row is off by far more.
    const std::vector<BYTE> system =
        SystemDecode(bytes, ::SizeofResource(Module(), resource), expected);
    DIBSECTION section{};
    ASSERT_EQ(::GetObjectW(picture.bitmap, sizeof(section), &section), int{sizeof(section)});
    ASSERT_EQ(system.size(), static_cast<std::size_t>(section.dsBm.bmWidthBytes) * info.bmHeight);
    const auto* ours = static_cast<const BYTE*>(section.dsBm.bmBits);
    double total = 0;
    for (std::size_t i = 0; i < system.size(); ++i) total += std::abs(ours[i] - system[i]);
    EXPECT_LE(total / system.size(), 3.0) << id;
    ++decoded;
  }
  ::CoUninitialize();
  if (decoded == 0) GTEST_SKIP() << "no pictures linked";
}

// Larger by the ratio of 144 pixels per inch to 96: made once, and smooth, so most of its
// pixels are blends that the picture itself does not hold, while on the whole it keeps its
// colours.
TEST(Win32PicturesTest, APictureScaledIsMadeOnceAndBlended) {
  win32::PictureCache pictures(Module());
  const win32::PictureCache::Picture own = pictures.Get(IDP_FORM1);
  if (!own.bitmap) GTEST_SKIP() << "no pictures linked";
  EXPECT_EQ(pictures.Get(IDP_FORM1, own.size).bitmap, own.bitmap) << "at its own size, itself";
  const SIZE larger{own.size.cx * 3 / 2, own.size.cy * 3 / 2};
  const win32::PictureCache::Picture scaled = pictures.Get(IDP_FORM1, larger);
  ASSERT_NE(scaled.bitmap, nullptr);
  EXPECT_EQ(pictures.Get(IDP_FORM1, larger).bitmap, scaled.bitmap) << "scaled once";
  const auto colours = [](const win32::PictureCache::Picture& picture) {
    DIBSECTION section{};
    ::GetObjectW(picture.bitmap, sizeof(section), &section);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < picture.size.cy; ++y) {
      const auto* row =
          static_cast<const BYTE*>(section.dsBm.bmBits) + y * section.dsBm.bmWidthBytes;
      for (int x = 0; x < picture.size.cx; ++x)
        pixels.push_back(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
    }
    return pixels;
  };
  const std::vector<COLORREF> from = colours(own), to = colours(scaled);
  ASSERT_EQ(to.size(), static_cast<std::size_t>(larger.cx) * larger.cy);
  const std::set<COLORREF> held(from.begin(), from.end());
  const auto blends = std::ranges::count_if(to, [&](COLORREF c) { return !held.contains(c); });
  EXPECT_GT(blends, static_cast<long>(to.size() / 10)) << "not only the picture's own colours";
  const auto mean = [](const std::vector<COLORREF>& pixels, int shift) {
    double sum = 0;
    for (COLORREF c : pixels) sum += (c >> shift) & 0xFF;
    return sum / pixels.size();
  };
  for (int shift : {0, 8, 16}) EXPECT_NEAR(mean(to, shift), mean(from, shift), 2.0) << shift;
}

TEST(Win32PrepareAheadTest, IdleStepsDecodeAndMakeFontsWithoutTheSystemsCodecs) {
  if (!HasResource(IDP_FORM1, MAKEINTRESOURCEW(10))) GTEST_SKIP() << "no pictures linked";
  Win32Platform platform(Module());
  const FontSpec fonts[] = {{.face = u"Times New Roman", .points = 18, .italic = true}, {}};
  const long fonts_before = win32::UniqueFont::Live();
  const long dcs_before = win32::UniqueMemoryDc::Live();
  platform.PrepareAhead(IDP_FORM1, fonts);
  EXPECT_EQ(win32::UniqueFont::Live(), fonts_before) << "nothing before the queue is idle";
  int steps = 0;
  while (platform.IdleStep()) ++steps;
  EXPECT_GE(steps, 4);
  EXPECT_EQ(win32::UniqueFont::Live(), fonts_before + 2);
  EXPECT_NE(::GetModuleHandleW(L"comctl32.dll"), nullptr);
  EXPECT_EQ(::GetModuleHandleW(L"windowscodecs.dll"), nullptr) << "decoded by our own decoder";
  EXPECT_NE(platform.pictures().Get(IDP_FORM1).bitmap, nullptr);
  // The paint buffer, as wide as the picture, is kept through idle time for the window's paint.
  EXPECT_EQ(win32::UniqueMemoryDc::Live(), dcs_before + 1);
  win32::WindowDcGuard screen(nullptr);
  const HDC buffer = platform.paint_buffer().Get(screen.dc(), 600);
  EXPECT_NE(buffer, nullptr);
  EXPECT_EQ(win32::UniqueMemoryDc::Live(), dcs_before + 1) << "made ahead, not again";
  EXPECT_TRUE(platform.IdleStep()) << "once used, let go when idle";
  EXPECT_EQ(win32::UniqueMemoryDc::Live(), dcs_before);
}

TEST(Win32StatsTest, LapsRunFromTheFirstTickToItsWindowsFirstPaint) {
  namespace stats = win32::stats;
  stats::ResetTimings();
  stats::first_tick.Lap("before");
  std::int64_t tick = 0;
  {
    common::FirstTick::Scope scope(stats::first_tick);
    tick = stats::first_tick.Current();
    stats::first_tick.Lap("made");
  }
  stats::first_tick.Lap("shown");
  stats::first_tick.FirstPaintDone(tick);
  stats::first_tick.Lap("after");
  const std::string report = stats::Report();
  stats::ResetTimings();
  EXPECT_NE(report.find("\nlap_00_made_us="), std::string::npos) << report;
  EXPECT_NE(report.find("\nlap_01_shown_us="), std::string::npos) << report;
  EXPECT_EQ(report.find("before"), std::string::npos) << "no tick yet";
  EXPECT_EQ(report.find("after"), std::string::npos) << "the window has painted";
}

// A white 64 x 48 surface to draw on, read back pixel by pixel.
class CanvasTest : public ::testing::Test {
 protected:
  CanvasTest() {
    win32::WindowDcGuard screen(nullptr);
    bitmap_.reset(::CreateCompatibleBitmap(screen.dc(), 64, 48));
    select_.emplace(dc_.get(), bitmap_.get());
    const RECT all{0, 0, 64, 48};
    ::FillRect(dc_.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  }
  COLORREF At(int x, int y) const { return ::GetPixel(dc_.get(), x, y); }
  // Columns and rows holding a pixel other than white.
  RECT Ink() const {
    RECT ink{64, 48, -1, -1};
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        if (At(x, y) == RGB(255, 255, 255)) continue;
        ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
               std::max<LONG>(ink.right, x), std::max<LONG>(ink.bottom, y)};
      }
    }
    return ink;
  }

  win32::UniqueMemoryDc dc_{::CreateCompatibleDC(nullptr)};
  win32::UniqueBitmap bitmap_;
  std::optional<win32::SelectGuard> select_;
  win32::FontCache fonts_;
  win32::PictureCache pictures_{Module()};
  win32::Win32Canvas canvas_{dc_.get(), {0, 0, 64, 48}, fonts_, pictures_};
};

TEST_F(CanvasTest, FillResolvesPlainAndSystemColours) {
  canvas_.FillRect({2, 2, 5, 5}, Rgb(255, 0, 0));
  EXPECT_EQ(At(2, 2), RGB(255, 0, 0));
  EXPECT_EQ(At(4, 4), RGB(255, 0, 0));
  EXPECT_EQ(At(5, 5), RGB(255, 255, 255));
  canvas_.FillRect({10, 10, 12, 12}, SystemColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(At(10, 10), ::GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(win32::ToColorRef(Rgb(0, 192, 0)), RGB(0, 192, 0));
  EXPECT_EQ(canvas_.Dirty(), (PixelRect{0, 0, 64, 48}));
  const RECT before = Ink();
  canvas_.DrawPicture(999, {0, 0, 64, 48});
  const RECT after = Ink();
  EXPECT_TRUE(::EqualRect(&before, &after)) << "a missing picture draws nothing";
}

TEST_F(CanvasTest, FrameIsCentredOnTheEdgeLikeAPen) {
  canvas_.FrameRect({2, 2, 12, 12}, 0, 1);
  EXPECT_EQ(Ink().left, 2);
  EXPECT_EQ(Ink().right, 11);
  EXPECT_EQ(At(6, 2), 0u);
  EXPECT_EQ(At(11, 6), 0u);
  EXPECT_NE(At(3, 3), 0u);

  canvas_.FrameRect({30, 20, 50, 40}, Rgb(0, 0, 255), 3);
  EXPECT_EQ(At(29, 19), RGB(0, 0, 255)) << "one pixel outside";
  EXPECT_NE(At(28, 18), RGB(0, 0, 255));
  EXPECT_EQ(At(31, 21), RGB(0, 0, 255)) << "two pixels inside";
  EXPECT_NE(At(32, 22), RGB(0, 0, 255));
  EXPECT_EQ(At(50, 40), RGB(0, 0, 255));
  EXPECT_NE(At(51, 40), RGB(0, 0, 255));
  EXPECT_EQ(At(48, 38), RGB(0, 0, 255));
  EXPECT_NE(At(47, 37), RGB(0, 0, 255));
}

TEST_F(CanvasTest, TextIsTransparentAlignedAndWrapped) {
  canvas_.PaintText({0, 0, 64, 48}, u"Hi", {}, Rgb(0, 0, 0), Align::kLeft);
  const RECT left = Ink();
  ASSERT_GE(left.right, left.left) << "some text drawn";
  EXPECT_LT(left.left, 4);
  const RECT all{0, 0, 64, 48};
  ::FillRect(dc_.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  canvas_.PaintText({0, 0, 64, 48}, u"Hi", {}, Rgb(0, 0, 0), Align::kCenter);
  const RECT centred = Ink();
  EXPECT_NEAR((centred.left + centred.right) / 2, 32, 3);
  for (int x = 0; x < 64; ++x) EXPECT_EQ(At(x, 40), RGB(255, 255, 255)) << "no background box";

  ::FillRect(dc_.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  canvas_.PaintText({0, 0, 40, 48}, u"one two three", {}, Rgb(0, 0, 0), Align::kLeft);
  EXPECT_LT(Ink().right, 40);
  EXPECT_GT(Ink().bottom, 20) << "wrapped onto more lines";
}

TEST(Win32FontsTest, FontsAreMadeOncePerDescription) {
  win32::FontCache fonts;
  HFONT plain = fonts.Get({});
  EXPECT_EQ(fonts.Get({}), plain);
  HFONT styled = fonts.Get(
      {.face = u"Times New Roman", .points = 12, .bold = true, .italic = true, .underline = true});
  EXPECT_NE(styled, plain);
  EXPECT_NE(fonts.Get({.points = 12}), plain);

  win32::WindowDcGuard screen(nullptr);
  const int dpi = ::GetDeviceCaps(screen.dc(), LOGPIXELSY);
  LOGFONTW font{};
  ASSERT_TRUE(::GetObjectW(plain, sizeof(font), &font));
  EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Sans Serif");
  EXPECT_EQ(font.lfHeight, -::MulDiv(825, dpi, 7200));
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  ASSERT_TRUE(::GetObjectW(styled, sizeof(font), &font));
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Times New Roman");
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_TRUE(font.lfItalic);
  EXPECT_TRUE(font.lfUnderline);

  EXPECT_EQ(win32::FontCache::HeightForPoints(8.25f, 96), -11);
  EXPECT_EQ(win32::FontCache::HeightForPoints(12, 96), -16);
  EXPECT_EQ(win32::FontCache::HeightForPoints(8.25f, 120), -14);
}

}  // namespace
}  // namespace amorix
