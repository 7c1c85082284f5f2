#pragma once
// The browser platform: Amorix's windows as elements of a web page, through Emscripten. A form
// is an absolutely positioned element on a page-wide desktop, painted on a canvas at the
// device's pixel ratio, its outline a CSS clip-path made from the shared region model, its text
// boxes <input> elements. The page's side (amorix_library.js) owns the elements and turns the
// browser's events into the calls of web_main.cpp, which enter the behaviour through this class.
//
// Nothing may block in a browser: the message loop is the browser's own, so RunMessageLoop
// returns at once and the program's objects outlive main(); the end of the program and the fatal
// message are the page's to show. Only the backend includes Emscripten.

#include <map>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/regions/region_handles.h"

namespace amorix {

class WebPlatform final : public regions::ModelRegionsPlatform {
 public:
  WebPlatform() = default;
  WebPlatform(const WebPlatform&) = delete;
  WebPlatform& operator=(const WebPlatform&) = delete;

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

  int SetWindowRgn(WindowHandle w, RegionHandle r, int redraw) override;

  WindowHandle SetCapture(WindowHandle w) override;
  int ReleaseCapture() override;
  std::intptr_t SendMessageA(WindowHandle w, unsigned msg, std::uintptr_t wparam,
                             std::intptr_t lparam) override;
  std::intptr_t ShellExecuteA(WindowHandle w, const char* operation, const char* file,
                              const char* parameters, const char* directory,
                              int show_command) override;

  TwipsPerPixel ScreenTwipsPerPixel() override;

  void RunMessageLoop() override {}
  void Quit() override;
  void Terminate() override;
  void ReportFatal(std::u16string_view message) override;

  // The page's events, by window number; an event for a window that is gone is dropped.
  WindowEvents* Events(int window) const;
  void Paint(int window, const PixelRect& dirty);
  void DescribeLabels(int window);
  void CaptureLost(int window);
  // The page took the pointer from a window while it was pressed: the capture it had goes.
  void PointerLost(int window);
  bool Ended() const { return ended_; }

 private:
  static int Number(WindowHandle w);

  std::map<int, WindowEvents*> windows_;
  int next_window_ = 1;
  int next_edit_ = 1;
  int capture_ = 0;
  bool ended_ = false;
};

}  // namespace amorix
