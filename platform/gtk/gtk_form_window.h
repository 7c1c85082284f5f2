#pragma once
// The native side of one form window: the GtkWindow, the GtkLayout that paints it and takes its
// mouse, its text boxes in creation (tab) order, its timers, its tooltips' areas, and the last
// button press, which a drag starts from.
//
// Where a compositor draws the windows, a window has an alpha channel and is transparent outside
// its outline, so that a compositor that ignores X shapes (XWayland under some Wayland
// compositors) shows what lies behind it there rather than black. The X shape stays for the
// window systems that follow it, and for the input: clicks outside the outline fall through.
//
// A behaviour may destroy its own window from inside any event, which deletes this object; every
// handler therefore calls into the behaviour last and never touches the object after it.

#include <gtk/gtk.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/gtk/gtk_canvas.h"
#include "platform/platform.h"

namespace amorix {
class GtkPlatform;
}

namespace amorix::gtk {

class FormWindow {
 public:
  FormWindow(GtkPlatform& platform, const WindowSpec& params, WindowEvents& events);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  WindowHandle handle() { return reinterpret_cast<WindowHandle>(this); }
  GtkWidget* window() const { return window_; }

  void Show(bool visible);
  void Invalidate(const PixelRect& r);
  void SetPointer(MousePointer pointer);
  void NotifyAccessible(int label, AccessibleChange change);
  void SetTooltip(int tool_id, const PixelRect& r, std::string text);
  GtkWidget* CreateEdit(const EditSpec& params);
  // A text box as CreateEdit makes it, in no window yet.
  static GtkWidget* NewEntry(Fonts& fonts, const EditSpec& params);
  // The program's own text for a box, past the limit on what the user enters.
  static void SetEditText(GtkWidget* edit, const std::string& text);
  bool Owns(GtkWidget* edit) const;
  void StartTimer(int timer_id, unsigned interval_ms);
  void StopTimer(int timer_id);
  void SetShape(const cairo_region_t* region);
  bool BeginMoveDrag();
  void LoseCapture() { events_.OnCaptureLost(); }

 private:
  struct Press {
    guint button = 0;
    int x_root = 0, y_root = 0;
    guint32 time = 0;
  };
  struct Tool {
    PixelRect rect;
    std::string text;
  };

  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, FormWindow* self);
  static gboolean OnDrawn(GtkWidget* widget, cairo_t* cr, FormWindow* self);
  static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, FormWindow* self);
  static gboolean OnAnyPress(GtkWidget* widget, GdkEventButton* event, FormWindow* self);
  static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, FormWindow* self);
  static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, FormWindow* self);
  static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, FormWindow* self);
  static gboolean OnFocusIn(GtkWidget* widget, GdkEvent* event, FormWindow* self);
  static gboolean OnGrabBroken(GtkWidget* widget, GdkEvent* event, FormWindow* self);
  static gboolean OnTooltip(GtkWidget* widget, int x, int y, gboolean keyboard, GtkTooltip* tooltip,
                            FormWindow* self);
  static void OnEditChanged(GtkEditable* edit, FormWindow* self);
  static gboolean OnTimer(gpointer data);

  bool OurEvent(GdkWindow* window) const;
  GtkWidget* EditToFocus() const;

  GtkPlatform& platform_;
  WindowEvents& events_;
  Color background_;
  GtkWidget* window_;
  GtkWidget* layout_;
  std::vector<GtkWidget*> edits_;  // in creation order, which is the tab order
  std::map<int, guint> timers_;
  std::map<int, Tool> tools_;
  MousePointer pointer_ = MousePointer::kDefault;
  Press press_;
  bool see_through_ = false;           // an alpha channel, transparent outside the outline
  cairo_region_t* outline_ = nullptr;  // the shape, kept to paint by when see-through
  std::int64_t made_in_tick_;  // the timer tick the window was made in, until its first paint
};

}  // namespace amorix::gtk
