#pragma once
// Figures the program keeps about its own cost, for the benchmark and the tests: how long the
// first paint of a window takes after the timer tick that made it (the splash's tick makes the
// main window), how many pixels the windows have painted, and how many handles of each kind are
// held now. They cost a counter add or a clock read and never change what the program does.
//
// When the environment variable AMORIX_STATS_FILE names a file, WriteIfAsked writes the figures
// there as key=value lines, with the process's peak working set; the backend calls it as the
// process ends (the end of the message loop, Terminate, a fatal error).

#include <cstdint>
#include <string>

#include "platform/common/first_tick.h"

namespace amorix::win32::stats {

// The first tick (a WM_TIMER) and its laps, on the performance counter.
extern common::FirstTick first_tick;

// The working set at a few moments of a run, each taken the first time it comes: the end of the
// process's first paint, the end of the work done ahead, the end of the first paint after a tick.
enum class Stage { kFirstPaint, kPrepared, kTickPaint, kCount };
void Mark(Stage stage);
// Bytes of memory the backend holds for itself: decoded pictures and the paint buffer (reported
// at its largest, as it is freed between bursts of paints).
void PictureBytes(long long change);
void PaintBufferBytes(long long change);

void AddPaintedPixels(long long pixels);
long long PaintedPixels();

void FormWindowMade();
void FormWindowGone();

// Regions made through the platform and not yet deleted or handed to a window.
void RegionMade();
void RegionFreed();

struct Handles {
  // Held by the backend's owners (unique_handle.h).
  long fonts, brushes, bitmaps, regions, memory_dcs, windows, icons, modules;
  long form_windows;     // form windows alive
  long program_regions;  // regions the behaviour holds
  long gdi() const { return fonts + brushes + bitmaps + regions + memory_dcs + program_regions; }
  long user() const { return windows + icons + form_windows; }
};
Handles LiveHandles();

// Every figure, one key=value line each.
std::string Report();
void WriteIfAsked();

// Forgets the first tick and the paint figures, for tests that start the program again.
void ResetTimings();

}  // namespace amorix::win32::stats
