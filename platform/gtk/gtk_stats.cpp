#include "platform/gtk/gtk_stats.h"

#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace amorix::gtk::stats {

namespace {

std::int64_t current_tick = 0;
std::int64_t first_paint_us = -1;
std::int64_t first_tick = 0;  // the first tick, whose window's first paint is timed
struct Step {
  const char* name;
  std::int64_t at;
};
Step laps[32];
int lap_count = 0;

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
  if (first_paint_us < 0 && first_tick == 0) first_tick = current_tick;
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
}

void Lap(const char* step) {
  if (first_tick == 0 || first_paint_us >= 0 || lap_count == std::ssize(laps)) return;
  laps[lap_count++] = {step, g_get_monotonic_time()};
}

void WriteIfAsked(const std::function<std::string()>& more) {
  const char* path = std::getenv("AMORIX_STATS_FILE");
  if (!path || !*path) return;
  if (std::FILE* file = std::fopen(path, "w")) {
    std::fprintf(file, "peak_working_set_bytes=%lld\ntick_to_first_paint_us=%lld\n",
                 PeakResidentBytes(), static_cast<long long>(first_paint_us));
    for (int i = 0; i < lap_count && first_paint_us >= 0; ++i) {
      std::fprintf(file, "lap_%02d_%s_us=%lld\n", i, laps[i].name,
                   static_cast<long long>(laps[i].at - (i ? laps[i - 1].at : first_tick)));
    }
    if (more) std::fputs(more().c_str(), file);
    std::fclose(file);
  }
}

}  // namespace amorix::gtk::stats
