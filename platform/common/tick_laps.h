#pragma once
// The first tick, timed step by step for the benchmark. The splash's tick hands over to the main
// window; from that tick to the end of the main window's first paint a backend marks the end of
// each step it takes (the splash destroyed, the window made, each edit, the outline, the show,
// the paint), and its stats file lists each step's time from the one before, so a slow hand-over
// shows where its time goes. Each backend reads its own clock: the times kept here are in its
// units, and become microseconds as they are written.
//
// Shared by the backends that keep figures; it belongs to none of them.

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

namespace amorix::common {

class TickLaps {
 public:
  // A timer tick begins: the first one, before its window has painted, is the one timed.
  void Tick(std::int64_t now) {
    if (!done_ && first_tick_ == 0) first_tick_ = now;
  }
  void Lap(const char* step, std::int64_t now) {
    if (first_tick_ == 0 || done_ || count_ == std::ssize(laps_)) return;
    laps_[count_++] = {step, now};
  }
  // The first tick's window has painted: the laps are complete.
  void Done() { done_ = true; }
  void Reset() { *this = {}; }

  // "lap_NN_STEP_us=N" lines once complete, for a clock of `per_second` units a second.
  std::string Lines(std::int64_t per_second) const {
    std::string text;
    char line[96];
    for (int i = 0; i < count_ && done_ && per_second > 0; ++i) {
      const std::int64_t from = i ? laps_[i - 1].at : first_tick_;
      std::snprintf(line, sizeof(line), "lap_%02d_%s_us=%lld\n", i, laps_[i].step,
                    static_cast<long long>((laps_[i].at - from) * 1000000 / per_second));
      text += line;
    }
    return text;
  }

 private:
  struct Step {
    const char* step = nullptr;
    std::int64_t at = 0;
  };
  Step laps_[32];
  int count_ = 0;
  std::int64_t first_tick_ = 0;
  bool done_ = false;
};

}  // namespace amorix::common
