#pragma once
// Figures the native program keeps about its own cost, for the benchmark, in the form the Win32
// backend writes them: the time from the timer tick that made a window (the splash's tick makes
// the main window) to the end of that window's first paint, and the peak resident set. They cost
// a clock read and never change what the program does.
//
// When the environment variable AMORIX_STATS_FILE names a file, WriteIfAsked writes the figures
// there as key=value lines; the backend calls it as the process ends.

#include <functional>
#include <string>

#include "platform/common/first_tick.h"

namespace amorix::gtk::stats {

// The first tick and its laps, on GLib's monotonic clock.
extern common::FirstTick first_tick;

// `more` gives further key=value lines from the backend, asked only when the file is written.
void WriteIfAsked(const std::function<std::string()>& more = {});

}  // namespace amorix::gtk::stats
