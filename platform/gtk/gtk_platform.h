#pragma once
// The native Linux platform: Amorix's windows as GTK 3 windows. A form is an undecorated
// top-level GtkWindow holding one GtkLayout, which paints the form with cairo and Pango, takes
// its mouse, and clips its GtkEntry children to the client area as a Win32 window clips its
// child edits. Regions are the shared region model until a window takes one; then they become a
// cairo region for the window's X shape. The drag, which the behaviour asks for with the Win32
// caption-press message, becomes a window-system move from the press that started it.
//
// Only the backend includes GTK; the behaviour sees platform.h alone.

#include <gtk/gtk.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/common/utf8.h"
#include "platform/gtk/gtk_canvas.h"
#include "platform/platform.h"
#include "platform/regions/region_handles.h"

namespace amorix {

namespace gtk {
class FormWindow;

using common::Utf8;
std::u16string Utf16(const char* text);
}  // namespace gtk

class GtkPlatform final : public regions::ModelRegionsPlatform {
 public:
  GtkPlatform();
  ~GtkPlatform() override;
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

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
  void PrepareAhead(ResourceId picture, std::span<const FontSpec> fonts) override;

  void RunMessageLoop() override;
  void Quit() override;
  void Terminate() override;
  void ReportFatal(std::u16string_view message) override;

  // The pointer grab of a press on FORM was broken (by a menu, the window manager, another
  // program): the capture it held is lost, as Windows reports with WM_CAPTURECHANGED.
  void GrabBroken(gtk::FormWindow* form);
  // FORM took the keyboard: it is the first to be activated when the active window goes.
  void Activated(gtk::FormWindow* form);

  gtk::Pictures& pictures() { return pictures_; }
  gtk::Fonts& fonts() { return fonts_; }

 private:
  gtk::FormWindow* Find(WindowHandle w) const;
  static gboolean RunAhead(gpointer self);
  bool Active(WindowHandle w) const;
  void Gone(WindowHandle w, bool was_active);

  gtk::Pictures pictures_;
  gtk::Fonts fonts_;
  std::map<WindowHandle, std::unique_ptr<gtk::FormWindow>> windows_;
  bool quit_requested_ = false;
  WindowHandle capture_ = nullptr;  // X grabs the pointer for a press; this is who asked to keep it
  std::vector<WindowHandle> activated_;      // windows that took the keyboard, the latest last
  std::deque<std::function<void()>> ahead_;  // steps for idle time, in order
  guint ahead_source_ = 0;
};

}  // namespace amorix
