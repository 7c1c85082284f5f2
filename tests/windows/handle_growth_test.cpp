// Trips through the windows leave nothing behind: after a warm-up (which fills the font, picture
// and icon caches and the paint buffer), many more trips from the main window to the help, credit
// or reminder window and back end with exactly the GDI and USER objects they started with. Wine's
// GetGuiResources answers 0, so the count is the backend's own (live owners, form windows,
// regions the behaviour holds) and the windows the thread has; the system's count is compared too
// where it gives one. Each line the trips print is read by the benchmark.
//
// AMORIX_ROUND_TRIPS sets the number of trips of each kind (200 by default, which keeps each case
// within the test time limit under wine; the benchmark runs 1,000).
// clang-format off
#include "running_program.h"  // <windows.h> first
// clang-format on

#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include "platform/win32/win32_stats.h"

namespace amorix::windows_testing {
namespace {

struct Count {
  long gdi = 0, user = 0;  // the backend's own count
  long windows = 0;        // the thread's windows, children included
  long system_gdi = 0, system_user = 0;
  friend bool operator==(const Count&, const Count&) = default;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  ::EnumChildWindows(
      window,
      [](HWND, LPARAM n) -> BOOL {
        ++*reinterpret_cast<long*>(n);
        return TRUE;
      },
      count);
  return TRUE;
}

Count CountNow() {
  const win32::stats::Handles live = win32::stats::LiveHandles();
  Count count{.gdi = live.gdi(), .user = live.user()};
  ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow,
                      reinterpret_cast<LPARAM>(&count.windows));
  count.system_gdi = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
  count.system_user = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS));
  return count;
}

int RoundTrips() {
  const char* text = std::getenv("AMORIX_ROUND_TRIPS");
  const int trips = text ? std::atoi(text) : 0;
  return trips > 0 ? trips : 200;
}

class HandleGrowthTest : public RunningProgramTest {
 protected:
  // Warms up, then makes the trips and compares the counts before and after.
  void Check(const char* name, const std::function<void(Form1&)>& trip) {
    Form1& main = StartToMain();
    for (int i = 0; i < 20; ++i) trip(main);
    ASSERT_TRUE(Shown(&main));
    const Count before = CountNow();
    const int trips = RoundTrips();
    for (int i = 0; i < trips && !HasFatalFailure(); ++i) trip(main);
    ASSERT_TRUE(Shown(&main));
    PumpQueued();
    const Count after = CountNow();
    std::printf(
        "[handles] %s trips=%d gdi=%ld->%ld user=%ld->%ld windows=%ld->%ld "
        "system_gdi=%ld->%ld system_user=%ld->%ld\n",
        name, trips, before.gdi, after.gdi, before.user, after.user, before.windows, after.windows,
        before.system_gdi, after.system_gdi, before.system_user, after.system_user);
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.system_gdi, before.system_gdi);
    EXPECT_LE(after.system_user, before.system_user);
  }

  // A click that must bring `next` up.
  template <class W>
  void ClickTo(Form& form, const Label& label) {
    Click(form, label);
    ASSERT_TRUE(PumpUntil([&] { return Shown(Find<W>()); }));
  }
};

// The count the trips rely on: an owner counts a handle while it holds it, whichever way the
// handle came (made, moved, an out-parameter) or went (reset, released, destroyed).
TEST(LiveHandleCountTest, FollowsOwnership) {
  const long regions = win32::UniqueRegion::Live();
  {
    win32::UniqueRegion a(::CreateRectRgn(0, 0, 1, 1));
    win32::UniqueRegion b(std::move(a));
    EXPECT_EQ(win32::UniqueRegion::Live(), regions + 1) << "moved, still one";
    a = std::move(b);
    a.reset(::CreateRectRgn(0, 0, 2, 2));
    EXPECT_EQ(win32::UniqueRegion::Live(), regions + 1) << "replaced";
    HRGN loose = a.release();
    EXPECT_EQ(win32::UniqueRegion::Live(), regions);
    ::DeleteObject(loose);
    a.reset(::CreateRectRgn(0, 0, 3, 3));
    win32::UniqueRegion none(nullptr);
    EXPECT_EQ(win32::UniqueRegion::Live(), regions + 1) << "a null handle is not counted";
  }
  EXPECT_EQ(win32::UniqueRegion::Live(), regions) << "freed with its owner";

  const long streams = win32::UniqueCom<IStream>::Live();
  win32::UniqueCom<IStream> stream;
  ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
  EXPECT_EQ(win32::UniqueCom<IStream>::Live(), streams + 1) << "filled through put()";
  stream.put();
  EXPECT_EQ(win32::UniqueCom<IStream>::Live(), streams) << "put() frees what was there";

  // Regions made through the platform count until deleted or handed to a window.
  Win32Platform platform(::GetModuleHandleW(nullptr));
  const long held = win32::stats::LiveHandles().program_regions;
  RegionHandle first = platform.CreateRectRgn(0, 0, 10, 10);
  RegionHandle second = platform.CreateEllipticRgn(0, 0, 10, 10);
  EXPECT_EQ(win32::stats::LiveHandles().program_regions, held + 2);
  platform.DeleteObject(first);
  HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
  ASSERT_TRUE(platform.SetWindowRgn(ToWindowHandle(window), second, FALSE));
  EXPECT_EQ(win32::stats::LiveHandles().program_regions, held);
  ::DestroyWindow(window);
}

TEST_F(HandleGrowthTest, MainToHelpAndBack) {
  Check("help", [&](Form1& main) {
    ClickTo<Form4>(main, main.Label8);
    Form4& help = Get<Form4>();
    ClickTo<Form1>(help, help.Label4);
  });
}

TEST_F(HandleGrowthTest, MainToCreditAndBack) {
  Check("credit", [&](Form1& main) {
    ClickTo<Form3>(main, main.Label9);
    Form3& credit = Get<Form3>();
    ClickTo<Form1>(credit, credit.Label4);
  });
}

TEST_F(HandleGrowthTest, MainToReminderAndBack) {
  Check("reminder", [&](Form1& main) {
    ClickTo<Form2>(main, main.Image1);  // no names typed
    Form2& reminder = Get<Form2>();
    ClickTo<Form1>(reminder, reminder.Label4);
  });
}

}  // namespace
}  // namespace amorix::windows_testing
