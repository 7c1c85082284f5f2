// The calls Win32Platform passes straight through to the system, and the process itself.
#include <objbase.h>

#include <functional>
#include <string>
#include <utility>

#include "app/runtime_error.h"
#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_stats.h"

namespace amorix {

namespace win32 {

FARPROC BindByName(const char* library, const char* procedure, UniqueModule& keep) {
  if (!keep) keep.reset(::LoadLibraryA(library));
  FARPROC address = keep ? ::GetProcAddress(keep.get(), procedure) : nullptr;
  if (!address) {
    throw RuntimeError(std::string("Cannot bind ") + procedure + " from " + library);
  }
  return address;
}

}  // namespace win32

namespace {

// Counts a region the behaviour now holds.
RegionHandle Made(HRGN region) {
  if (region) win32::stats::RegionMade();
  return ToRegionHandle(region);
}

}  // namespace

RegionHandle Win32Platform::CreateRectRgn(int left, int top, int right, int bottom) {
  return Made(::CreateRectRgn(left, top, right, bottom));
}

RegionHandle Win32Platform::CreateEllipticRgn(int left, int top, int right, int bottom) {
  return Made(::CreateEllipticRgn(left, top, right, bottom));
}

RegionHandle Win32Platform::CreateRoundRectRgn(int left, int top, int right, int bottom,
                                               int ellipse_w, int ellipse_h) {
  return Made(::CreateRoundRectRgn(left, top, right, bottom, ellipse_w, ellipse_h));
}

int Win32Platform::CombineRgn(RegionHandle dest, RegionHandle src1, RegionHandle src2, int mode) {
  return ::CombineRgn(ToHrgn(dest), ToHrgn(src1), ToHrgn(src2), mode);
}

int Win32Platform::DeleteObject(RegionHandle r) {
  const int deleted = ::DeleteObject(ToHrgn(r));
  if (deleted) win32::stats::RegionFreed();
  return deleted;
}

int Win32Platform::SetWindowRgn(WindowHandle w, RegionHandle r, int redraw) {
  win32::stats::first_tick.Lap("outline");
  const int set = ::SetWindowRgn(ToHwnd(w), ToHrgn(r), redraw);
  if (set && r) win32::stats::RegionFreed();  // the window owns it now
  win32::stats::first_tick.Lap("region");
  return set;
}

WindowHandle Win32Platform::SetCapture(WindowHandle w) {
  return ToWindowHandle(::SetCapture(ToHwnd(w)));
}

int Win32Platform::ReleaseCapture() {
  return ::ReleaseCapture();
}

std::intptr_t Win32Platform::SendMessageA(WindowHandle w, unsigned msg, std::uintptr_t wparam,
                                          std::intptr_t lparam) {
  return ::SendMessageA(ToHwnd(w), msg, wparam, lparam);
}

std::intptr_t Win32Platform::ShellExecuteA(WindowHandle w, const char* operation, const char* file,
                                           const char* parameters, const char* directory,
                                           int show_command) {
  if (!shell_execute_) {
    // The shell may hand the work to COM components: the thread joins an apartment first.
    static const HRESULT com = ::CoInitialize(nullptr);
    (void)com;
    // Through void(*)(): the one cast between function types the compiler accepts silently.
    shell_execute_ = reinterpret_cast<ShellExecuteAFn>(
        reinterpret_cast<void (*)()>(win32::BindByName("shell32.dll", "ShellExecuteA", shell32_)));
  }
  return reinterpret_cast<std::intptr_t>(
      shell_execute_(ToHwnd(w), operation, file, parameters, directory, show_command));
}

TwipsPerPixel Win32Platform::ScreenTwipsPerPixel() {
  if (twips_override_) return *twips_override_;
  // The screen's resolution is the system's for the whole session: read once.
  static const TwipsPerPixel ratio = [] {
    win32::WindowDcGuard screen(nullptr);
    const int x = screen.dc() ? ::GetDeviceCaps(screen.dc(), LOGPIXELSX) : 0;
    const int y = screen.dc() ? ::GetDeviceCaps(screen.dc(), LOGPIXELSY) : 0;
    return TwipsPerPixel{1440.0f / static_cast<float>(x > 0 ? x : 96),
                         1440.0f / static_cast<float>(y > 0 ? y : 96)};
  }();
  win32::stats::first_tick.Lap("twips");
  return ratio;
}

void Win32Platform::RunMessageLoop() {
  MSG msg;
  for (;;) {
    // Nothing waiting, paints included: a step of the work put off for idle time.
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && IdleStep()) continue;
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    // Through the dialog manager, Tab and Shift+Tab move between a form's edits.
    HWND form = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (win32::FormWindow::From(form) && ::IsDialogMessageW(form, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  win32::stats::WriteIfAsked();
}

bool Win32Platform::IdleStep() {
  if (ahead_.empty()) return paint_buffer_.Release();
  const std::function<void()> step = std::move(ahead_.front());
  ahead_.pop_front();
  step();
  if (ahead_.empty()) win32::stats::Mark(win32::stats::Stage::kPrepared);
  return true;
}

void Win32Platform::Quit() {
  ::PostQuitMessage(0);
}

void Win32Platform::Terminate() {
  win32::stats::WriteIfAsked();
  ::ExitProcess(0);
}

void Win32Platform::ReportFatal(std::u16string_view message) {
  if (fatal_box_) {
    fatal_box_(message);
  } else {
    ::MessageBoxW(nullptr, ToWide(message).c_str(), L"Quillon Amorix",
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
  win32::stats::WriteIfAsked();
  ::ExitProcess(1);
}

}  // namespace amorix
