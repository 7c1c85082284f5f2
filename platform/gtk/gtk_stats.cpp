#include "platform/gtk/gtk_stats.h"

#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/common/tick_laps.h"

namespace amorix::gtk::stats {

namespace {

std::int64_t current_tick = 0;
std::int64_t first_paint_us = -1;
common::TickLaps laps;

// The peak resident set, as the kernel keeps it (VmHWM, in KiB).
long long PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6) * 1024;
  }
  return 0;
}

}  // namespace

TickScope::TickScope() : outer_(current_tick) {
  if (!current_tick) current_tick = g_get_monotonic_time();
  laps.Tick(current_tick);
}

TickScope::~TickScope() {
  current_tick = outer_;
}

std::int64_t CurrentTick() {
  return current_tick;
}

void FirstPaintDone(std::int64_t tick) {
  if (!tick || first_paint_us >= 0) return;
  Lap("paint");
  first_paint_us = g_get_monotonic_time() - tick;
  laps.Done();
}

void Lap(const char* step) {
  laps.Lap(step, g_get_monotonic_time());
}

void WriteIfAsked(const std::function<std::string()>& more) {
  const char* path = std::getenv("AMORIX_STATS_FILE");
  if (!path || !*path) return;
  if (std::FILE* file = std::fopen(path, "w")) {
    std::fprintf(file, "peak_working_set_bytes=%lld\ntick_to_first_paint_us=%lld\n",
                 PeakResidentBytes(), static_cast<long long>(first_paint_us));
    std::fputs(laps.Lines(1000000).c_str(), file);
    if (more) std::fputs(more().c_str(), file);
    std::fclose(file);
  }
}

}  // namespace amorix::gtk::stats
