// Hover feedback repaints the label that changed and nothing else: lighting a menu label of the
// main window, or putting it out again by moving over the background, paints at most twice the
// label's own area (the backend counts the pixels each paint composes), and moving over a label
// that is already lit paints nothing. Each line the hovers print is read by the benchmark.
// clang-format off
#include "running_program.h"  // <windows.h> first
// clang-format on

#include <cstdio>

#include "platform/win32/win32_stats.h"

namespace amorix::windows_testing {
namespace {

using PaintWorkTest = RunningProgramTest;

// A client point of the form on no label and no edit.
POINT Background(const Form& form) {
  HWND window = ToHwnd(form.hWnd());
  for (int y = 20; y < 300; y += 7) {
    for (int x = 20; x < 500; x += 7) {
      if (!form.LabelAt(x, y) && ::ChildWindowFromPoint(window, {x, y}) == window) return {x, y};
    }
  }
  ADD_FAILURE() << "no background point";
  return {0, 0};
}

TEST_F(PaintWorkTest, AHoverChangeRepaintsOnlyItsLabel) {
  Form1& main = StartToMain();
  HWND window = Hwnd(main);
  const LPARAM background = At(Background(main));
  const auto painted_after = [&](LPARAM at) {
    const long long before = win32::stats::PaintedPixels();
    ::PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PumpQueued();
    return win32::stats::PaintedPixels() - before;
  };
  painted_after(background);

  const struct {
    const char* name;
    const Label& label;
  } labels[] = {{"exit", main.Label1},
                {"terms", main.Label7},
                {"help", main.Label8},
                {"credit", main.Label9}};
  for (const auto& [name, label] : labels) {
    const long long area = static_cast<long long>(label.Bounds().Width()) * label.Bounds().Height();
    const long long lit = painted_after(At(Centre(label.Bounds())));
    const long long again = painted_after(At(Centre(label.Bounds())));
    const long long unlit = painted_after(background);
    std::printf("[paint] label=%s area=%lld lit=%lld unlit=%lld\n", name, area, lit, unlit);
    EXPECT_GT(lit, 0) << name << " shows its change";
    EXPECT_LE(lit, 2 * area) << name;
    EXPECT_EQ(again, 0) << name << " is lit already";
    EXPECT_GT(unlit, 0) << name;
    EXPECT_LE(unlit, 2 * area) << name;
  }
}

}  // namespace
}  // namespace amorix::windows_testing
