// The benchmark's yardstick: the least a Win32 program with a window of the main window's size
// does. One borderless popup, 611 by 358 pixels, centred and filled with one colour; it ends when
// the window is closed. Built with the program's compiler flags and static linking, so what the
// program costs beyond it is the program's own.
//
// With --tick it also does what the splash does: three seconds after its window shows, a timer
// tick destroys it and shows a new one in its place, and the time from the tick to the end of the
// new window's first paint is kept. When AMORIX_STATS_FILE names a file, the peak working set and
// that time are written there on the way out, in the program's key=value form. With --edits as
// well, the new window holds three edit controls where the main window has its text boxes; its
// first paint ends, as the program's does, with the window's own paint, before theirs.
#include <windows.h>
// after <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kWidth = 611;
constexpr int kHeight = 358;
constexpr UINT kTickMs = 3000;

HINSTANCE instance;
bool replacing = false;  // the old window goes while a new one takes its place
bool edits = false;      // the tick's window holds three edit controls
std::int64_t tick = 0;   // the tick whose window has not painted yet
std::int64_t first_paint_us = -1;

std::int64_t Now() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

HWND MakeWindow() {
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND window = ::CreateWindowExW(WS_EX_APPWINDOW, L"BareWindow", L"Bare", WS_POPUP, left, top,
                                  kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (window && edits && tick) {
    // The main window's three text boxes, in pixels: left, top, width, height.
    constexpr int kBoxes[3][4] = {{48, 144, 201, 33}, {336, 144, 201, 33}, {256, 144, 73, 49}};
    for (const auto& box : kBoxes) {
      ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                        box[0], box[1], box[2], box[3], window, nullptr, instance, nullptr);
    }
  }
  if (window) ::ShowWindow(window, SW_SHOW);
  return window;
}

LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      ::SetDCBrushColor(dc, RGB(192, 0, 0));
      ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
      ::EndPaint(window, &paint);
      if (tick) {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        first_paint_us = (Now() - tick) * 1000000 / frequency.QuadPart;
        tick = 0;
      }
      return 0;
    }
    case WM_TIMER:
      ::KillTimer(window, wparam);
      tick = Now();
      replacing = true;
      ::DestroyWindow(window);
      replacing = false;
      if (!MakeWindow()) ::PostQuitMessage(1);
      return 0;
    case WM_DESTROY:
      if (!replacing) ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, msg, wparam, lparam);
  }
}

void WriteStats() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(L"AMORIX_STATS_FILE", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory))) return;
  char text[160];
  const int size = std::snprintf(text, sizeof(text),
                                 "peak_working_set_bytes=%llu\ntick_to_first_paint_us=%lld\n",
                                 static_cast<unsigned long long>(memory.PeakWorkingSetSize),
                                 static_cast<long long>(first_paint_us));
  HANDLE file =
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR command_line, int) {
  instance = module;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &Procedure;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = L"BareWindow";
  if (!::RegisterClassExW(&window_class)) return 1;
  HWND window = MakeWindow();
  if (!window) return 1;
  if (std::strstr(command_line, "--tick")) ::SetTimer(window, 1, kTickMs, nullptr);
  edits = std::strstr(command_line, "--edits") != nullptr;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  WriteStats();
  return static_cast<int>(msg.wParam);
}
