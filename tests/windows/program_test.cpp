// The program itself on the real system: the splash hands over to the main window, which has its
// size, styles, boxes, focus order, tooltips and rounded outline, computes the score from real
// clicks and typing, steps aside for the reminder, and moves by its background only.
// clang-format off
#include "running_program.h"  // <windows.h> comes before <commctrl.h>
// clang-format on

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <utility>

#include "platform/win32/win32_canvas.h"

namespace amorix::windows_testing {
namespace {

using ProgramStartTest = RunningProgramTest;
using MainWindowTest = RunningProgramTest;
using WindowDragTest = RunningProgramTest;

LONG_PTR Style(HWND window) {
  return ::GetWindowLongPtrW(window, GWL_STYLE);
}
LONG_PTR ExStyle(HWND window) {
  return ::GetWindowLongPtrW(window, GWL_EXSTYLE);
}

SIZE ClientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// The window's region, or null when it has none.
win32::UniqueRegion RegionOf(HWND window) {
  win32::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
  if (::GetWindowRgn(window, region.get()) == ERROR) return {};
  return region;
}

RECT BoxOf(HRGN region) {
  RECT box{};
  ::GetRgnBox(region, &box);
  return box;
}

// The same pixels: the system may band a region differently, so EqualRgn is too strict.
bool SamePixels(HRGN a, HRGN b) {
  win32::UniqueRegion difference(::CreateRectRgn(0, 0, 0, 0));
  return ::CombineRgn(difference.get(), a, b, RGN_XOR) == NULLREGION;
}

bool IsRoundedRect(HWND window, int width, int height) {
  win32::UniqueRegion region = RegionOf(window);
  if (!region) return false;
  win32::UniqueRegion expected(::CreateRoundRectRgn(0, 0, width, height, 28, 28));
  return SamePixels(region.get(), expected.get());
}

TEST_F(ProgramStartTest, SplashAloneThenTheMainWindowAfterItsTick) {
  program.Start();
  Form5* splash = Find<Form5>();
  ASSERT_TRUE(Shown(splash));
  HWND splash_window = Hwnd(*splash);
  EXPECT_EQ(VisibleWindows(), std::vector<HWND>{splash_window});
  EXPECT_EQ(Caption(splash_window), L"Amorix");
  EXPECT_TRUE(ExStyle(splash_window) & WS_EX_TOOLWINDOW) << "no taskbar button";
  EXPECT_FALSE(ExStyle(splash_window) & WS_EX_APPWINDOW);
  EXPECT_FALSE(Style(splash_window) & (WS_CAPTION | WS_THICKFRAME));
  EXPECT_EQ(ClientSize(splash_window).cx, 368);
  EXPECT_EQ(ClientSize(splash_window).cy, 298);
  RECT bounds{};
  ::GetWindowRect(splash_window, &bounds);
  EXPECT_EQ(bounds.left, (::GetSystemMetrics(SM_CXSCREEN) - 368) / 2) << "centred";
  EXPECT_EQ(bounds.top, (::GetSystemMetrics(SM_CYSCREEN) - 298) / 2);
  EXPECT_TRUE(IsRoundedRect(splash_window, 350, 281)) << "the picture with rounded corners";
  EXPECT_EQ(Find<Form1>(), nullptr) << "no other window is created at start";

  PumpQueued();
  EXPECT_TRUE(Shown(splash)) << "nothing but the tick moves on";
  ::PostMessageW(splash_window, WM_TIMER, 1, 0);
  ASSERT_TRUE(PumpUntil([&] { return Shown(Find<Form1>()); }));
  EXPECT_FALSE(::IsWindow(splash_window));
  EXPECT_FALSE(splash->Loaded());
  HWND main = Hwnd(Get<Form1>());
  EXPECT_EQ(VisibleWindows(), std::vector<HWND>{main});
  EXPECT_EQ(Caption(main), L"Amorix-Nimbus");
  EXPECT_FALSE(program.Ended());
  PumpQueued();
  EXPECT_FALSE(quit_seen) << "the program lives on between the unload and the show";
}

TEST_F(MainWindowTest, BorderlessWindowWithItsSizeAndNameBoxes) {
  Form1& form = StartToMain();
  HWND main = Hwnd(form);
  EXPECT_EQ(ClientSize(main).cx, 611);
  EXPECT_EQ(ClientSize(main).cy, 358);
  RECT bounds{};
  ::GetWindowRect(main, &bounds);
  EXPECT_EQ(bounds.left, (::GetSystemMetrics(SM_CXSCREEN) - 611) / 2) << "centred";
  EXPECT_EQ(bounds.top, (::GetSystemMetrics(SM_CYSCREEN) - 358) / 2);
  EXPECT_EQ(Caption(main), L"Amorix-Nimbus");
  EXPECT_TRUE(ExStyle(main) & WS_EX_APPWINDOW) << "a taskbar button";
  EXPECT_FALSE(ExStyle(main) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(Style(main) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
  EXPECT_NE(::SendMessageW(main, WM_GETICON, ICON_BIG, 0), 0);

  for (const TextBox* name : {&form.Text1, &form.Text2}) {
    HWND edit = Hwnd(*name);
    EXPECT_EQ(::GetParent(edit), main);
    EXPECT_TRUE(::IsWindowVisible(edit));
    EXPECT_EQ(::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 20);
    EXPECT_TRUE(Style(edit) & ES_CENTER);
    EXPECT_EQ(EditText(edit), u"");
  }
  RECT first{}, second{};
  ::GetWindowRect(Hwnd(form.Text1), &first);
  ::GetWindowRect(Hwnd(form.Text2), &second);
  EXPECT_LT(first.right, second.left) << "the first name on the left";
  HWND base = Hwnd(form.Text3);
  EXPECT_FALSE(::IsWindowVisible(base));
  EXPECT_EQ(EditText(base), u"60");
}

TEST_F(MainWindowTest, FocusStartsInTheFirstNameAndTabGoesRound) {
  Form1& form = StartToMain();
  HWND first = Hwnd(form.Text1), second = Hwnd(form.Text2);
  EXPECT_EQ(::GetFocus(), first);
  EXPECT_EQ(::GetActiveWindow(), Hwnd(form));

  const auto press = [&](WPARAM key) {
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
    ::PostMessageW(::GetFocus(), WM_KEYUP, key, 0xC0000001);
    PumpQueued();
    return ::GetFocus();
  };
  EXPECT_EQ(press(VK_TAB), second);
  EXPECT_EQ(press(VK_TAB), first) << "the hidden base box is passed over";

  BYTE keys[256];
  ::GetKeyboardState(keys);
  const BYTE shift = keys[VK_SHIFT];
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  const HWND back = press(VK_TAB);
  keys[VK_SHIFT] = shift;
  ::SetKeyboardState(keys);
  EXPECT_EQ(back, second) << "Shift+Tab";

  EXPECT_EQ(press(VK_RETURN), second);
  EXPECT_EQ(form.Label3.Caption(), u"") << "Enter does not calculate";
}

TEST_F(MainWindowTest, CalculateClickShowsTheScoreOfTheTypedNames) {
  Form1& form = StartToMain();
  ::SendMessageW(Hwnd(form.Text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Ann"));
  Type(form.Text2, L"Bob");
  EXPECT_EQ(EditText(Hwnd(form.Text2)), u"Bob");
  Click(form, form.Image1);
  EXPECT_EQ(form.Label3.Caption(), u"66");
  EXPECT_TRUE(Shown(&form));
  EXPECT_EQ(Find<Form2>(), nullptr);

  // Typing stops at 20 characters in each box: the top score.
  ::SendMessageW(Hwnd(form.Text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  ::SendMessageW(Hwnd(form.Text2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  Type(form.Text1, L"abcdefghijklmnopqrstuvwxy");
  Type(form.Text2, L"   spaces count too    ");
  EXPECT_EQ(EditText(Hwnd(form.Text1)), u"abcdefghijklmnopqrst");
  Click(form, form.Image1);
  EXPECT_EQ(form.Label3.Caption(), u"100");

  // A press on the label that is released elsewhere is no click.
  ::SendMessageW(Hwnd(form.Text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"A"));
  const POINT on = Centre(form.Image1.Bounds());
  ::PostMessageW(Hwnd(form), WM_LBUTTONDOWN, MK_LBUTTON, At(on));
  ::PostMessageW(Hwnd(form), WM_LBUTTONUP, 0, At({on.x, on.y + 40}));
  PumpQueued();
  EXPECT_EQ(form.Label3.Caption(), u"100");
}

TEST_F(MainWindowTest, MissingNameHidesTheMainWindowForTheReminder) {
  Form1& form = StartToMain();
  Type(form.Text1, L"Ann");
  Click(form, form.Image1);
  EXPECT_TRUE(form.Loaded());
  EXPECT_FALSE(::IsWindowVisible(Hwnd(form)));
  Form2* reminder = Find<Form2>();
  ASSERT_TRUE(Shown(reminder));
  EXPECT_EQ(VisibleCaptions(), std::vector<std::wstring>{L"Information"});
  EXPECT_TRUE(ExStyle(Hwnd(*reminder)) & WS_EX_APPWINDOW) << "a taskbar button of its own";
  EXPECT_EQ(EditText(Hwnd(form.Text1)), u"Ann") << "hidden, not unloaded";
}

TEST_F(MainWindowTest, OutlineIsTheRoundedRectangleAtEveryLoad) {
  Form1& form = StartToMain();
  HWND main = Hwnd(form);
  win32::UniqueRegion region = RegionOf(main);
  ASSERT_TRUE(region) << "the window has a region";
  // GDI's round rectangles leave out their last column and row, so the box ends at 599, 341.
  win32::UniqueRegion expected(::CreateRoundRectRgn(0, 0, 600, 342, 28, 28));
  const RECT box = BoxOf(region.get()), expected_box = BoxOf(expected.get());
  EXPECT_TRUE(::EqualRect(&box, &expected_box))
      << box.left << "," << box.top << "," << box.right << "," << box.bottom;
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_TRUE(SamePixels(region.get(), expected.get()));
  EXPECT_FALSE(::PtInRegion(region.get(), 0, 0));
  EXPECT_FALSE(::PtInRegion(region.get(), 599, 341));
  EXPECT_FALSE(::PtInRegion(region.get(), 605, 100)) << "the client strip right of the picture";
  EXPECT_TRUE(::PtInRegion(region.get(), 300, 171));

  // Through the help window and back: a new native window, outlined again.
  Click(form, form.Label8);
  Form4* help = Find<Form4>();
  ASSERT_TRUE(Shown(help));
  EXPECT_FALSE(::IsWindow(main));
  EXPECT_TRUE(IsRoundedRect(Hwnd(*help), 427, 258));
  Click(*help, help->Label4);
  ASSERT_TRUE(Shown(&form));
  EXPECT_NE(Hwnd(form), main);
  EXPECT_TRUE(IsRoundedRect(Hwnd(form), 600, 342));
}

HWND TooltipOf(HWND form) {
  struct Search {
    HWND form, found;
  } search{form, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (::lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && ::GetWindow(window, GW_OWNER) == s->form) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(MainWindowTest, LabelsWithTooltipsHaveToolsOverThem) {
  Form1& form = StartToMain();
  HWND tooltip = TooltipOf(Hwnd(form));
  ASSERT_NE(tooltip, nullptr);
  const LRESULT count = ::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
  EXPECT_EQ(count, 4);
  std::set<std::wstring> texts;
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[80] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(::SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.hwnd, Hwnd(form));
    texts.insert(text);
    for (const Label* label : {&form.Label1, &form.Label7, &form.Label8, &form.Label9}) {
      if (label->ToolTipText() != std::u16string(text, text + ::lstrlenW(text))) continue;
      EXPECT_EQ(win32::ToPixelRect(tool.rect), label->Bounds()) << "the tool covers its label";
    }
  }
  EXPECT_EQ(texts, (std::set<std::wstring>{L"Exit", L"TERMS", L"HELP", L"CREDIT"}));
}

// Records, through a hook on the thread's window procedures, the start and end of the
// system's move loop on one window.
class MoveLoopWatch {
 public:
  explicit MoveLoopWatch(HWND window) {
    target_ = window;
    seen_.clear();
    hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, &Procedure, nullptr, ::GetCurrentThreadId());
  }
  ~MoveLoopWatch() { ::UnhookWindowsHookEx(hook_); }
  MoveLoopWatch(const MoveLoopWatch&) = delete;
  MoveLoopWatch& operator=(const MoveLoopWatch&) = delete;

  bool hooked() const { return hook_ != nullptr; }
  std::vector<UINT> TakeSeen() { return std::exchange(seen_, {}); }

 private:
  static LRESULT CALLBACK Procedure(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->hwnd == target_ &&
        (message->message == WM_ENTERSIZEMOVE || message->message == WM_EXITSIZEMOVE)) {
      seen_.push_back(message->message);
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline HWND target_ = nullptr;
  static inline std::vector<UINT> seen_;
  HHOOK hook_ = nullptr;
};

const std::vector<UINT> kMoved{WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE};

// A press at a client point, sent, with the end of a move already queued (Esc, then a left
// release at `release`): a move loop that the press starts ends at once, so the test never hangs.
void PressWithMoveEndQueued(HWND window, UINT message, WPARAM keys, POINT at, POINT release) {
  ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1);
  ::PostMessageW(window, WM_LBUTTONUP, 0, At(release));
  ::SendMessageW(window, message, keys, At(at));
}

TEST_F(WindowDragTest, BackgroundPressOfAnyButtonEntersTheMoveLoop) {
  Form1& form = StartToMain();
  HWND main = Hwnd(form);
  const POINT background{100, 260};
  ASSERT_EQ(form.LabelAt(background.x, background.y), nullptr);
  ASSERT_EQ(::ChildWindowFromPointEx(main, background, CWP_SKIPINVISIBLE), main);
  MoveLoopWatch watch(main);
  ASSERT_TRUE(watch.hooked());

  const struct {
    UINT message;
    WPARAM keys;
  } presses[] = {{WM_RBUTTONDOWN, MK_RBUTTON},
                 {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT},
                 {WM_MBUTTONDOWN, MK_MBUTTON | MK_CONTROL}};
  for (const auto& press : presses) {
    PressWithMoveEndQueued(main, press.message, press.keys, background, background);
    EXPECT_EQ(watch.TakeSeen(), kMoved) << "press message " << press.message;
    PumpQueued();
    EXPECT_EQ(::GetCapture(), nullptr);
  }
  EXPECT_TRUE(Shown(&form));
  EXPECT_EQ(form.Label3.Caption(), u"");
}

TEST_F(WindowDragTest, PressOnALabelDoesNotMoveTheWindow) {
  Form1& form = StartToMain();
  HWND main = Hwnd(form);
  const POINT label = Centre(form.Image1.Bounds());
  const POINT away{100, 260};
  MoveLoopWatch watch(main);
  ASSERT_TRUE(watch.hooked());
  for (auto [message, keys] : {std::pair<UINT, WPARAM>{WM_LBUTTONDOWN, MK_LBUTTON},
                               std::pair<UINT, WPARAM>{WM_RBUTTONDOWN, MK_RBUTTON}}) {
    PressWithMoveEndQueued(main, message, keys, label, away);
    EXPECT_EQ(watch.TakeSeen(), std::vector<UINT>{}) << "press message " << message;
    PumpQueued();
  }
  EXPECT_TRUE(Shown(&form));
  EXPECT_TRUE(watch.TakeSeen().empty());
  EXPECT_EQ(Find<Form2>(), nullptr) << "released off the label: no click";
}

}  // namespace
}  // namespace amorix::windows_testing
