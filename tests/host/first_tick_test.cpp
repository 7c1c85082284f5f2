// The first tick's figures, on a clock the test turns by hand: a clock of milliseconds, so that
// every figure must come out converted. Laps count from the first tick to the end of its
// window's first paint and not outside it; a tick inside another gives its own time and hands
// the outer one back.

#include "platform/common/first_tick.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace amorix::testing {
namespace {

std::int64_t now_ms = 0;

common::FirstTick MillisecondClock() {
  return common::FirstTick(
      {.now = [] { return now_ms; }, .per_second = [] { return std::int64_t{1000}; }});
}

TEST(FirstTickTest, LapsRunFromTheFirstTickToItsWindowsFirstPaint) {
  common::FirstTick tick = MillisecondClock();
  now_ms = 100;
  tick.Lap("before");
  std::int64_t made_in = 0;
  {
    common::FirstTick::Scope scope(tick);
    now_ms = 103;
    {
      common::FirstTick::Scope inner(tick);
      EXPECT_EQ(tick.Current(), 103);
    }
    EXPECT_EQ(tick.Current(), 100) << "the outer tick's time again";
    made_in = tick.Current();
    tick.Lap("made");
  }
  EXPECT_EQ(tick.Current(), 0) << "outside any tick";
  EXPECT_EQ(tick.FirstPaintMicroseconds(), -1);
  EXPECT_EQ(tick.Lines(), "") << "not before the paint";
  now_ms = 110;
  tick.FirstPaintDone(0);  // a window made outside a tick
  EXPECT_EQ(tick.FirstPaintMicroseconds(), -1);
  tick.FirstPaintDone(made_in);
  now_ms = 150;
  tick.Lap("after");
  tick.FirstPaintDone(made_in);
  EXPECT_EQ(tick.FirstPaintMicroseconds(), 10000);
  EXPECT_EQ(tick.Lines(), "lap_00_made_us=3000\nlap_01_paint_us=7000\n");

  tick.Reset();
  EXPECT_EQ(tick.FirstPaintMicroseconds(), -1);
  EXPECT_EQ(tick.Lines(), "");
}

}  // namespace
}  // namespace amorix::testing
