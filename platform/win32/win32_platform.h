#pragma once
// The product's platform: Amorix's windows as plain Win32 windows. Forms are borderless popup
// windows of one window class, painted double-buffered; text boxes are native EDIT children;
// labels' tooltips live in one tooltip control per window. The region, drag and screen calls go
// straight to gdi32 and user32. What start-up does not need waits: what a window asked for
// ahead (its picture, its fonts, its paint buffer, the common controls) is made while the message
// queue is empty, and ShellExecuteA is bound from shell32.dll, with COM initialised, on first use.
//
// Only the backend and its tests include this header. Tests replace the shell call, the fatal
// message box and the screen ratio through the *ForTesting hooks, so none opens a browser or
// waits on a dialog.

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_canvas.h"
#include "platform/win32/win32_fonts.h"
#include "platform/win32/win32_pictures.h"

namespace amorix {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

using ShellExecuteAFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
using FatalBoxFn = std::function<void(std::u16string_view message)>;

inline HWND ToHwnd(WindowHandle w) {
  return reinterpret_cast<HWND>(w);
}
inline HWND ToHwnd(EditHandle e) {
  return reinterpret_cast<HWND>(e);
}
inline HRGN ToHrgn(RegionHandle r) {
  return reinterpret_cast<HRGN>(r);
}
inline WindowHandle ToWindowHandle(HWND w) {
  return reinterpret_cast<WindowHandle>(w);
}
inline EditHandle ToEditHandle(HWND e) {
  return reinterpret_cast<EditHandle>(e);
}
inline RegionHandle ToRegionHandle(HRGN r) {
  return reinterpret_cast<RegionHandle>(r);
}

// A null-terminated copy for the W functions.
inline std::wstring ToWide(std::u16string_view text) {
  return {text.begin(), text.end()};
}

namespace win32 {
// The address of `procedure` in `library`, loaded into `keep` (which holds the library from then
// on); RuntimeError when either cannot be found.
FARPROC BindByName(const char* library, const char* procedure, UniqueModule& keep);
}  // namespace win32

class Win32Platform final : public Platform {
 public:
  explicit Win32Platform(HINSTANCE instance);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  WindowHandle CreateFormWindow(const WindowSpec& params, WindowEvents& events) override;
  void ShowFormWindow(WindowHandle w, bool visible) override;
  void DestroyFormWindow(WindowHandle w) override;
  void Invalidate(WindowHandle w, const PixelRect& r) override;
  void SetMousePointer(WindowHandle w, MousePointer p) override;
  void SetTooltip(WindowHandle w, int tool_id, const PixelRect& r,
                  std::u16string_view text) override;
  void NotifyAccessibleChange(WindowHandle w, int label, AccessibleChange change) override;

  EditHandle CreateEdit(WindowHandle parent, const EditSpec& params) override;
  std::u16string GetEditText(EditHandle e) override;
  void SetEditText(EditHandle e, std::u16string_view text) override;
  void SetEditVisible(EditHandle e, bool visible) override;
  void FocusEdit(EditHandle e) override;

  void StartTimer(WindowHandle w, int timer_id, unsigned interval_ms) override;
  void StopTimer(WindowHandle w, int timer_id) override;

  RegionHandle CreateRectRgn(int left, int top, int right, int bottom) override;
  RegionHandle CreateEllipticRgn(int left, int top, int right, int bottom) override;
  RegionHandle CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipse_w,
                                  int ellipse_h) override;
  int CombineRgn(RegionHandle dest, RegionHandle src1, RegionHandle src2, int mode) override;
  int DeleteObject(RegionHandle r) override;
  int SetWindowRgn(WindowHandle w, RegionHandle r, int redraw) override;

  WindowHandle SetCapture(WindowHandle w) override;
  int ReleaseCapture() override;
  std::intptr_t SendMessageA(WindowHandle w, unsigned msg, std::uintptr_t wparam,
                             std::intptr_t lparam) override;
  std::intptr_t ShellExecuteA(WindowHandle w, const char* operation, const char* file,
                              const char* parameters, const char* directory,
                              int show_command) override;

  TwipsPerPixel ScreenTwipsPerPixel() override;
  // Queued, and done a step at a time by the message loop whenever its queue is empty.
  void PrepareAhead(ResourceId picture, std::span<const FontSpec> fonts) override;

  void RunMessageLoop() override;
  // One piece of the work kept for an empty queue: a step asked for ahead, or else letting the
  // paint buffer go; false when there is none.
  bool IdleStep();
  void Quit() override;
  void Terminate() override;
  void ReportFatal(std::u16string_view message) override;

  HINSTANCE instance() const { return instance_; }
  // The common controls (for the edits and tooltips), loaded once per process: not at start-up
  // but while the splash waits (PrepareAhead), or by the first tooltip if that comes sooner.
  static void LoadCommonControls();
  win32::FontCache& fonts() { return fonts_; }
  win32::PictureCache& pictures() { return pictures_; }
  win32::PaintBuffer& paint_buffer() { return paint_buffer_; }

  void SetShellExecuteForTesting(ShellExecuteAFn shell_execute) { shell_execute_ = shell_execute; }
  void SetFatalBoxForTesting(FatalBoxFn box) { fatal_box_ = std::move(box); }
  void SetScreenTwipsPerPixelForTesting(std::optional<TwipsPerPixel> ratio) {
    twips_override_ = ratio;
  }

 private:
  HICON Icon(ResourceId id, bool big);

  HINSTANCE instance_;
  win32::FontCache fonts_;
  win32::PictureCache pictures_;
  win32::PaintBuffer paint_buffer_;
  std::map<std::pair<ResourceId, bool>, win32::UniqueIcon> icons_;
  win32::UniqueModule shell32_;
  ShellExecuteAFn shell_execute_ = nullptr;
  FatalBoxFn fatal_box_;
  std::optional<TwipsPerPixel> twips_override_;
  std::deque<std::function<void()>> ahead_;  // steps for idle time, in order
};

}  // namespace amorix
