#include "platform/win32/win32_stats.h"

#include <windows.h>
// after <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/win32/unique_handle.h"

namespace amorix::win32::stats {

namespace {

std::atomic<long long> painted_pixels{0};
std::atomic<long> form_windows{0};
std::atomic<long> program_regions{0};

long long stage_bytes[static_cast<int>(Stage::kCount)] = {};
long long picture_bytes = 0, paint_buffer_bytes = 0, paint_buffer_peak = 0;

long long WorkingSet(bool peak) {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
  return static_cast<long long>(peak ? memory.PeakWorkingSetSize : memory.WorkingSetSize);
}

std::int64_t Counter() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::int64_t CounterPerSecond() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

}  // namespace

common::FirstTick first_tick({.now = Counter, .per_second = CounterPerSecond});

void ResetTimings() {
  first_tick.Reset();
  painted_pixels = 0;
}

void Mark(Stage stage) {
  long long& bytes = stage_bytes[static_cast<int>(stage)];
  if (bytes == 0) bytes = WorkingSet(false);
}

void PictureBytes(long long change) {
  picture_bytes += change;
}

void PaintBufferBytes(long long change) {
  paint_buffer_bytes += change;
  paint_buffer_peak = std::max(paint_buffer_peak, paint_buffer_bytes);
}

void AddPaintedPixels(long long pixels) {
  painted_pixels.fetch_add(pixels, std::memory_order_relaxed);
}

long long PaintedPixels() {
  return painted_pixels.load(std::memory_order_relaxed);
}

void FormWindowMade() {
  ++form_windows;
}
void FormWindowGone() {
  --form_windows;
}
void RegionMade() {
  ++program_regions;
}
void RegionFreed() {
  --program_regions;
}

Handles LiveHandles() {
  return {.fonts = UniqueFont::Live(),
          .brushes = UniqueBrush::Live(),
          .bitmaps = UniqueBitmap::Live(),
          .regions = UniqueRegion::Live(),
          .memory_dcs = UniqueMemoryDc::Live(),
          .windows = UniqueWindow::Live(),
          .icons = UniqueIcon::Live(),
          .modules = UniqueModule::Live(),
          .form_windows = form_windows.load(),
          .program_regions = program_regions.load()};
}

std::string Report() {
  const Handles live = LiveHandles();
  HANDLE process = ::GetCurrentProcess();
  const struct {
    const char* key;
    long long value;
  } lines[] = {
      {"peak_working_set_bytes", WorkingSet(true)},
      {"working_set_bytes", WorkingSet(false)},
      {"ws_first_paint_bytes", stage_bytes[static_cast<int>(Stage::kFirstPaint)]},
      {"ws_prepared_bytes", stage_bytes[static_cast<int>(Stage::kPrepared)]},
      {"ws_tick_paint_bytes", stage_bytes[static_cast<int>(Stage::kTickPaint)]},
      {"picture_bytes", picture_bytes},
      {"paint_buffer_peak_bytes", paint_buffer_peak},
      {"tick_to_first_paint_us", first_tick.FirstPaintMicroseconds()},
      {"painted_pixels", PaintedPixels()},
      {"live_gdi", live.gdi()},
      {"live_user", live.user()},
      {"live_fonts", live.fonts},
      {"live_bitmaps", live.bitmaps},
      {"live_memory_dcs", live.memory_dcs},
      {"live_regions", live.regions + live.program_regions},
      {"live_icons", live.icons},
      {"live_form_windows", live.form_windows},
      {"live_modules", live.modules},
      {"gui_resources_gdi", static_cast<long long>(::GetGuiResources(process, GR_GDIOBJECTS))},
      {"gui_resources_user", static_cast<long long>(::GetGuiResources(process, GR_USEROBJECTS))},
  };
  std::string text;
  char line[96];
  for (const auto& l : lines) {
    std::snprintf(line, sizeof(line), "%s=%lld\n", l.key, l.value);
    text += line;
  }
  return text + first_tick.Lines();
}

void WriteIfAsked() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(L"AMORIX_STATS_FILE", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::string text = Report();
  HANDLE file =
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace amorix::win32::stats
