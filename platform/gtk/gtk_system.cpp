// The calls GtkPlatform answers without a window's help (regions, the shell, the screen, the
// process), and text between the behaviour's UTF-16 and GTK's UTF-8.
#include <cstdlib>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif
#include <utility>

#include "app/runtime_error.h"
#include "platform/gtk/gtk_form_window.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/gtk_shape.h"
#include "platform/gtk/gtk_stats.h"
#include "platform/regions/region_handles.h"

namespace amorix {

namespace gtk {

std::u16string Utf16(const char* text) {
  glong length = 0;
  gunichar2* converted = text ? g_utf8_to_utf16(text, -1, nullptr, &length, nullptr) : nullptr;
  if (!converted) return {};
  std::u16string out(reinterpret_cast<const char16_t*>(converted), static_cast<size_t>(length));
  g_free(converted);
  return out;
}

}  // namespace gtk

namespace {

constexpr std::intptr_t kShellOk = 42;       // above 32: the shell took the request
constexpr std::intptr_t kShellNotFound = 2;  // no handler for the address

}  // namespace

int GtkPlatform::SetWindowRgn(WindowHandle w, RegionHandle r, int) {
  gtk::FormWindow* form = Find(w);
  if (!form) return 0;
  // A null region gives the window back its whole rectangle; a region is the window's now.
  cairo_region_t* shape = r ? gtk::ToCairoRegion(r->model) : nullptr;
  form->SetShape(shape);
  if (shape) cairo_region_destroy(shape);
  delete r;
  gtk::stats::first_tick.Lap("outline");
  return 1;
}

// The window system already sends a press's release to the window pressed, wherever it happens;
// the capture only tells a window when it has lost the mouse to another or let it go.
WindowHandle GtkPlatform::SetCapture(WindowHandle w) {
  const WindowHandle previous = capture_;
  if (!Find(w)) return previous;
  capture_ = w;
  if (previous && previous != w) Find(previous)->LoseCapture();
  return previous;
}

int GtkPlatform::ReleaseCapture() {
  // A background press lets the move that follows take the pointer over from the press.
  if (const WindowHandle had = std::exchange(capture_, nullptr)) Find(had)->LoseCapture();
  return 1;
}

void GtkPlatform::GrabBroken(gtk::FormWindow* form) {
  if (!capture_ || Find(capture_) != form) return;
  capture_ = nullptr;
  form->LoseCapture();
}

std::intptr_t GtkPlatform::SendMessageA(WindowHandle w, unsigned msg, std::uintptr_t wparam,
                                        std::intptr_t) {
  gtk::FormWindow* form = Find(w);
  if (form && msg == kWmNcLButtonDown && wparam == kHtCaption) form->BeginMoveDrag();
  return 0;
}

std::intptr_t GtkPlatform::ShellExecuteA(WindowHandle, const char*, const char* file, const char*,
                                         const char*, int) {
  if (!file) return kShellNotFound;
  return g_app_info_launch_default_for_uri(file, nullptr, nullptr) ? kShellOk : kShellNotFound;
}

TwipsPerPixel GtkPlatform::ScreenTwipsPerPixel() {
  const float ratio = 1440.0f / static_cast<float>(gtk::ScreenPixelsPerInch());
  return {ratio, ratio};
}

void GtkPlatform::RunMessageLoop() {
  if (!quit_requested_) gtk_main();
  gtk::stats::WriteIfAsked([this] { return fonts_.Resolved(); });
}

void GtkPlatform::Quit() {
  if (gtk_main_level() > 0) {
    gtk_main_quit();
  } else {
    quit_requested_ = true;
  }
}

void GtkPlatform::Terminate() {
  gtk::stats::WriteIfAsked([this] { return fonts_.Resolved(); });
#ifdef __SANITIZE_ADDRESS__
  __lsan_do_leak_check();  // the quick exit skips the sanitized build's own check at exit
#endif
  std::_Exit(0);
}

void GtkPlatform::ReportFatal(std::u16string_view message) {
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                          GTK_BUTTONS_OK, "%s", gtk::Utf8(message).c_str());
  gtk_window_set_title(GTK_WINDOW(box), "Quillon Amorix");
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
  gtk_widget_show(box);
  gtk_window_present(GTK_WINDOW(box));  // it takes the keyboard, as the system's message box does
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  gtk::stats::WriteIfAsked([this] { return fonts_.Resolved(); });
  std::_Exit(1);
}

}  // namespace amorix
