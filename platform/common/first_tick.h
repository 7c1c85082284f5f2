#pragma once
// The first tick, timed step by step for the benchmark. The splash's tick hands over to the main
// window; from that tick to the end of the main window's first paint a backend marks the end of
// each step it takes (the splash destroyed, the window made, each edit, the outline, the show,
// the paint), and its stats file gives the whole time and each step's time from the one before,
// so a slow hand-over shows where its time goes. Each backend keeps one FirstTick on its own
// clock: the times kept here are in the clock's units, and become microseconds as they are
// written. It costs a clock read and never changes what the program does.
//
// Shared by the backends that keep figures; it belongs to none of them.

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

namespace amorix::common {

class FirstTick {
 public:
  struct Clock {
    std::int64_t (*now)();
    std::int64_t (*per_second)();
  };
  explicit FirstTick(Clock clock) : clock_(clock) {}

  // Marks the handling of one timer tick: windows created meanwhile remember its time.
  class Scope {
   public:
    explicit Scope(FirstTick& tick) : tick_(tick), outer_(tick.current_) {
      tick.current_ = tick.clock_.now();
      if (!tick.done_ && tick.first_ == 0) tick.first_ = tick.current_;
    }
    ~Scope() { tick_.current_ = outer_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    FirstTick& tick_;
    std::int64_t outer_;
  };

  // The time of the tick being handled; 0 outside any tick.
  std::int64_t Current() const { return current_; }

  // Marks the end of a step of the first tick, until its window's first paint.
  void Lap(const char* step) {
    if (first_ == 0 || done_ || count_ == std::ssize(laps_)) return;
    laps_[count_++] = {step, clock_.now()};
  }

  // The end of a window's first paint, with the tick that window was made in: the first such
  // paint completes the laps.
  void FirstPaintDone(std::int64_t tick) {
    if (tick == 0 || first_paint_us_ >= 0) return;
    Lap("paint");
    first_paint_us_ = Microseconds(clock_.now() - tick);
    done_ = true;
  }

  // Microseconds from the first such tick to the end of its window's first paint; -1 before one.
  std::int64_t FirstPaintMicroseconds() const { return first_paint_us_; }

  // "lap_NN_STEP_us=N" lines once complete.
  std::string Lines() const {
    std::string text;
    char line[96];
    for (int i = 0; i < count_ && done_; ++i) {
      const std::int64_t from = i ? laps_[i - 1].at : first_;
      std::snprintf(line, sizeof(line), "lap_%02d_%s_us=%lld\n", i, laps_[i].step,
                    static_cast<long long>(Microseconds(laps_[i].at - from)));
      text += line;
    }
    return text;
  }

  // Forgets the first tick and its paint, for a program started again.
  void Reset() {
    count_ = 0;
    first_ = 0;
    first_paint_us_ = -1;
    done_ = false;
  }

 private:
  std::int64_t Microseconds(std::int64_t units) const {
    const std::int64_t per_second = clock_.per_second();
    return per_second > 0 ? units * 1000000 / per_second : 0;
  }

  struct Step {
    const char* step = nullptr;
    std::int64_t at = 0;
  };
  Clock clock_;
  Step laps_[32];
  int count_ = 0;
  std::int64_t current_ = 0, first_ = 0, first_paint_us_ = -1;
  bool done_ = false;
};

}  // namespace amorix::common
