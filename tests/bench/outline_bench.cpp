// Micro-benchmarks on the host: the outline builder over 1 and 1,000 border shapes, and the
// repaint a hover change asks for on the headless platform (pixels invalidated per change, beside
// the label's own area). The outline's region calls go to a platform that only hands out handles,
// so the figure is the builder's own work, not a region library's.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/form.h"
#include "app/program.h"
#include "app/splash_window.h"
#include "calculator/main_window.h"
#include "platform/headless/headless_platform.h"
#include "platform/platform.h"
#include "shaping/outline.h"
#include "tests/support/regions_only_platform.h"
#include "tests/support/shaped_form.h"

namespace amorix {
namespace {

// Hands out region handles and answers the screen ratio; the outline builder needs nothing else.
class HandleCounter final : public amorix::testing::RegionsOnlyPlatform {
 public:
  RegionHandle CreateRectRgn(int, int, int, int) override { return Next(); }
  RegionHandle CreateEllipticRgn(int, int, int, int) override { return Next(); }
  RegionHandle CreateRoundRectRgn(int, int, int, int, int, int) override { return Next(); }
  int CombineRgn(RegionHandle, RegionHandle, RegionHandle, int) override { return 3; }
  int DeleteObject(RegionHandle) override { return 1; }
  TwipsPerPixel ScreenTwipsPerPixel() override { return {15, 15}; }

 private:
  RegionHandle Next() {
    return reinterpret_cast<RegionHandle>(static_cast<std::uintptr_t>(++count_) * 16);
  }
  std::uint64_t count_ = 0;
};

// `count` overlapping shapes of every kind.
std::vector<BorderShapeDef> Shapes(int count) {
  std::vector<BorderShapeDef> shapes;
  for (int i = 0; i < count; ++i) {
    const float offset = static_cast<float>(i % 50) * 90;
    shapes.push_back({.index = static_cast<std::int16_t>(i),
                      .kind = static_cast<std::int16_t>(i % 6),
                      .box = {offset, offset / 2, 3000 + offset, 1800 + offset}});
  }
  return shapes;
}

void BM_BuildOutline(benchmark::State& state) {
  HandleCounter platform;
  Program program(platform);
  amorix::testing::ShapedForm form(program);
  form.Declare(Shapes(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildOutline(form, 0, 0));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildOutline)->Arg(1)->Arg(1000);

// Lights the main window's HELP label and puts it out again, as the mouse does: the time of the
// two moves, and the pixels each change invalidates.
void BM_HoverChange(benchmark::State& state) {
  HeadlessPlatform platform;
  Program program(platform);
  program.Start();
  platform.FireTimer(program.windows().Find<Form5>()->hWnd(), 1);
  Form1& main = program.windows().Get<Form1>();
  const WindowHandle window = main.hWnd();
  const PixelRect label = main.Label8.Bounds();
  const int label_x = (label.left + label.right) / 2, label_y = (label.top + label.bottom) / 2;
  int background_x = 0, background_y = 0;
  for (int y = 20; y < 300 && !background_x; y += 7) {
    for (int x = 20; x < 500 && !background_x; x += 7) {
      if (platform.MoveMouse(window, x, y) == HeadlessPlatform::Hit::kWindow &&
          !main.LabelAt(x, y)) {
        background_x = x;
        background_y = y;
      }
    }
  }
  // Each change is measured on its own: the headless platform counts overlapping invalidations
  // once, as the system's update region does. Counting is not timed.
  long long invalidated = 0, changes = 0;
  const auto change = [&](int x, int y) {
    platform.MoveMouse(window, x, y);
    state.PauseTiming();
    invalidated += platform.InvalidatedArea(window);
    ++changes;
    platform.ClearLog();
    state.ResumeTiming();
  };
  platform.ClearLog();
  for (auto _ : state) {
    change(label_x, label_y);
    change(background_x, background_y);
  }
  state.counters["label_px"] = static_cast<double>(label.Width()) * label.Height();
  state.counters["px_per_change"] = static_cast<double>(invalidated) / static_cast<double>(changes);
}
// A fixed count: the untimed counting of invalidated pixels dwarfs the timed moves.
BENCHMARK(BM_HoverChange)->Iterations(500);

}  // namespace
}  // namespace amorix
