#pragma once
// Figures the native program keeps about its own cost, for the benchmark, in the form the Win32
// backend writes them: the time from the timer tick that made a window (the splash's tick makes
// the main window) to the end of that window's first paint, and the peak resident set. They cost
// a clock read and never change what the program does.
//
// When the environment variable AMORIX_STATS_FILE names a file, WriteIfAsked writes the figures
// there as key=value lines; the backend calls it as the process ends.

#include <cstdint>
#include <functional>
#include <string>

namespace amorix::gtk::stats {

// Marks the handling of one timer tick: windows created meanwhile remember its time.
class TickScope {
 public:
  TickScope();
  ~TickScope();
  TickScope(const TickScope&) = delete;
  TickScope& operator=(const TickScope&) = delete;

 private:
  std::int64_t outer_;
};

std::int64_t CurrentTick();  // microseconds of the monotonic clock; 0 outside any tick
// Called at the end of a window's first paint, with the tick that window was made in.
void FirstPaintDone(std::int64_t tick);
// Marks the end of a step of the first tick, until its window's first paint: the stats file
// lists each step's microseconds from the one before as lap_NN_STEP_us.
void Lap(const char* step);
// `more` gives further key=value lines from the backend, asked only when the file is written.
void WriteIfAsked(const std::function<std::string()>& more = {});

}  // namespace amorix::gtk::stats
