#include "platform/gtk/gtk_stats.h"

#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace amorix::gtk::stats {

common::FirstTick first_tick({.now = [] { return g_get_monotonic_time(); },
                              .per_second = [] { return std::int64_t{G_USEC_PER_SEC}; }});

namespace {

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

void WriteIfAsked(const std::function<std::string()>& more) {
  const char* path = std::getenv("AMORIX_STATS_FILE");
  if (!path || !*path) return;
  if (std::FILE* file = std::fopen(path, "w")) {
    std::fprintf(file, "peak_working_set_bytes=%lld\ntick_to_first_paint_us=%lld\n",
                 PeakResidentBytes(), static_cast<long long>(first_tick.FirstPaintMicroseconds()));
    std::fputs(first_tick.Lines().c_str(), file);
    if (more) std::fputs(more().c_str(), file);
    std::fclose(file);
  }
}

}  // namespace amorix::gtk::stats
