#include "platform/gtk/gtk_form_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "app/fit_to_box.h"
#include "platform/common/utf8.h"
#include "platform/gtk/gtk_accessible.h"
#include "platform/gtk/gtk_canvas.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/gtk_stats.h"

namespace amorix::gtk {

namespace {

struct TimerData {
  WindowEvents* events;
  int timer_id;
};

constexpr unsigned kShortestTimerMs = 10;  // what the system makes of anything shorter

MouseEvent MouseAt(double x, double y, guint state, MouseButton button) {
  MouseEvent e;
  e.x = static_cast<int>(std::floor(x));
  e.y = static_cast<int>(std::floor(y));
  e.button = button;
  e.shift = (state & GDK_SHIFT_MASK) != 0;
  e.ctrl = (state & GDK_CONTROL_MASK) != 0;
  e.alt = (state & GDK_MOD1_MASK) != 0;
  return e;
}

bool ButtonOf(guint button, MouseButton& out) {
  switch (button) {
    case 1:
      out = MouseButton::kLeft;
      return true;
    case 2:
      out = MouseButton::kMiddle;
      return true;
    case 3:
      out = MouseButton::kRight;
      return true;
    default:
      return false;
  }
}

std::string CssColor(Color color) {
  const Rgb8 rgb = Resolve(color);
  char text[8];
  std::snprintf(text, sizeof(text), "#%02x%02x%02x", rgb.r, rgb.g, rgb.b);
  return text;
}

// What the user types or pastes goes in as the box keeps it (FitToBox), its limit counting
// UTF-16 units as a Windows edit's does. Text the program sets does not come here.
void LimitInsert(GtkEditable* editable, const gchar* text, gint length, gint* position,
                 gpointer limit) {
  const std::string_view in(text,
                            length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
  const std::u16string box = common::Utf16(gtk_entry_get_text(GTK_ENTRY(editable)));
  const std::string kept =
      common::Utf8(FitToBox(common::Utf16(in), box.size(), GPOINTER_TO_INT(limit)));
  if (kept == in) return;
  g_signal_stop_emission_by_name(editable, "insert-text");
  gtk_widget_error_bell(GTK_WIDGET(editable));
  if (kept.empty()) return;
  g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(&LimitInsert), limit);
  gtk_editable_insert_text(editable, kept.data(), static_cast<gint>(kept.size()), position);
  g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(&LimitInsert), limit);
}

void ConnectMouse(GtkWidget* widget, gpointer self, GCallback button, GCallback motion) {
  g_signal_connect(widget, "button-press-event", button, self);
  g_signal_connect(widget, "button-release-event", button, self);
  g_signal_connect(widget, "motion-notify-event", motion, self);
}

}  // namespace

FormWindow::FormWindow(GtkPlatform& platform, const WindowSpec& params, WindowEvents& events)
    : platform_(platform),
      events_(events),
      background_(params.background),
      window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)),
      layout_(accessible::NewPanel(events)),
      made_in_tick_(stats::first_tick.Current()) {
  GtkWindow* window = GTK_WINDOW(window_);
  gtk_window_set_title(window, Utf8(params.caption).c_str());
  gtk_window_set_decorated(window, FALSE);
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_skip_taskbar_hint(window, !params.in_taskbar);
  gtk_window_set_skip_pager_hint(window, !params.in_taskbar);
  if (GdkPixbuf* icon = params.icon ? platform.pictures().Get(params.icon) : nullptr) {
    gtk_window_set_icon(window, icon);
  }

  // No frame: the window is exactly its client area, centred on the screen.
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  GdkRectangle screen{0, 0, params.client_width, params.client_height};
  if (monitor) gdk_monitor_get_geometry(monitor, &screen);
  gtk_window_move(window, screen.x + (screen.width - params.client_width) / 2,
                  screen.y + (screen.height - params.client_height) / 2);

  gtk_widget_set_size_request(layout_, params.client_width, params.client_height);
  gtk_layout_set_size(GTK_LAYOUT(layout_), static_cast<guint>(std::max(params.client_width, 0)),
                      static_cast<guint>(std::max(params.client_height, 0)));
  gtk_widget_add_events(layout_,
                        GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  gtk_widget_set_has_tooltip(layout_, TRUE);
  gtk_container_add(GTK_CONTAINER(window_), layout_);

  g_signal_connect(layout_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect_after(layout_, "draw", G_CALLBACK(OnDrawn), this);
  g_signal_connect(layout_, "button-press-event", G_CALLBACK(OnAnyPress), this);
  ConnectMouse(layout_, this, G_CALLBACK(OnButton), G_CALLBACK(OnMotion));
  g_signal_connect(layout_, "query-tooltip", G_CALLBACK(OnTooltip), this);
  g_signal_connect(layout_, "grab-broken-event", G_CALLBACK(OnGrabBroken), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "focus-in-event", G_CALLBACK(OnFocusIn), this);

  GdkScreen* composited = gtk_widget_get_screen(window_);
  if (!gdk_screen_is_composited(composited)) composited = nullptr;
  if (GdkVisual* rgba = composited ? gdk_screen_get_rgba_visual(composited) : nullptr) {
    gtk_widget_set_visual(window_, rgba);
    gtk_widget_set_app_paintable(window_, TRUE);
    see_through_ = true;
  }
  gtk_widget_show(layout_);
  gtk_widget_realize(window_);
}

FormWindow::~FormWindow() {
  accessible::Forget(layout_);
  for (const auto& [id, source] : timers_) g_source_remove(source);
  for (GtkWidget* edit : edits_) g_signal_handlers_disconnect_by_data(edit, this);
  g_signal_handlers_disconnect_by_data(layout_, this);
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(window_);
  if (outline_) cairo_region_destroy(outline_);
}

void FormWindow::Show(bool visible) {
  if (!visible) {
    gtk_widget_hide(window_);
    return;
  }
  // A window shown is activated, and one already shown is left where it stands, as on Windows.
  if (gtk_widget_get_visible(window_)) return;
  if (GtkWidget* edit = EditToFocus(); edit && !gtk_window_get_focus(GTK_WINDOW(window_))) {
    gtk_widget_grab_focus(edit);
  }
  gtk_widget_show(window_);
  gtk_window_present(GTK_WINDOW(window_));
}

void FormWindow::Invalidate(const PixelRect& r) {
  if (r.Width() > 0 && r.Height() > 0) {
    gtk_widget_queue_draw_area(layout_, r.left, r.top, r.Width(), r.Height());
  }
}

void FormWindow::SetPointer(MousePointer pointer) {
  pointer_ = pointer;
  GdkWindow* surface = gtk_layout_get_bin_window(GTK_LAYOUT(layout_));
  if (!surface) return;
  GdkCursor* cursor = pointer == MousePointer::kHourglass
                          ? gdk_cursor_new_from_name(gtk_widget_get_display(window_), "wait")
                          : nullptr;
  gdk_window_set_cursor(surface, cursor);
  if (cursor) g_object_unref(cursor);
  // The change shows at once, even when a blocking call follows.
  gdk_display_flush(gtk_widget_get_display(window_));
}

void FormWindow::NotifyAccessible(int label, AccessibleChange change) {
  accessible::Notify(layout_, label, change);
}

void FormWindow::SetTooltip(int tool_id, const PixelRect& r, std::string text) {
  if (text.empty()) {
    tools_.erase(tool_id);
  } else {
    tools_[tool_id] = {r, std::move(text)};
  }
  gtk_widget_trigger_tooltip_query(layout_);
}

GtkWidget* FormWindow::NewEntry(Fonts& fonts, const EditSpec& params) {
  GtkWidget* edit = gtk_entry_new();
  GtkEntry* entry = GTK_ENTRY(edit);
  gtk_entry_set_has_frame(entry, FALSE);
  gtk_entry_set_width_chars(entry, 0);
  g_object_set(edit, "truncate-multiline", TRUE, nullptr);
  g_signal_connect(edit, "insert-text", G_CALLBACK(LimitInsert),
                   GINT_TO_POINTER(std::max(params.max_length, 0)));
  gtk_entry_set_alignment(entry, params.align == Align::kCenter ? 0.5f : 0.0f);

  // A borderless edit in the window's colour, its text in the font and colour given.
  const std::string css = "entry { " + fonts.Css(params.font) +
                          " color: " + CssColor(params.text_color) +
                          "; background: " + CssColor(SystemColor(5)) +
                          "; border: none; border-radius: 0; box-shadow: none; outline: none;"
                          " margin: 0; padding: 0 1px; min-height: 0; min-width: 0; }";
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(edit), GTK_STYLE_PROVIDER(provider),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);

  gtk_widget_set_size_request(edit, params.rect.Width(), params.rect.Height());
  return edit;
}

GtkWidget* FormWindow::CreateEdit(const EditSpec& params) {
  GtkWidget* edit = NewEntry(platform_.fonts(), params);
  gtk_layout_put(GTK_LAYOUT(layout_), edit, params.rect.left, params.rect.top);
  gtk_widget_set_visible(edit, params.visible);
  g_signal_connect(edit, "changed", G_CALLBACK(OnEditChanged), this);
  g_signal_connect(edit, "button-press-event", G_CALLBACK(OnAnyPress), this);
  accessible::NameEntry(edit, params.accessible_name);
  edits_.push_back(edit);
  return edit;
}

void FormWindow::SetEditText(GtkWidget* edit, const std::string& text) {
  g_signal_handlers_block_matched(edit, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                  reinterpret_cast<gpointer>(&LimitInsert), nullptr);
  gtk_entry_set_text(GTK_ENTRY(edit), text.c_str());
  g_signal_handlers_unblock_matched(edit, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                    reinterpret_cast<gpointer>(&LimitInsert), nullptr);
}

bool FormWindow::Owns(GtkWidget* edit) const {
  return std::ranges::find(edits_, edit) != edits_.end();
}

void FormWindow::StartTimer(int timer_id, unsigned interval_ms) {
  StopTimer(timer_id);
  timers_[timer_id] =
      g_timeout_add_full(G_PRIORITY_DEFAULT, std::max(interval_ms, kShortestTimerMs), &OnTimer,
                         new TimerData{&events_, timer_id},
                         [](gpointer data) { delete static_cast<TimerData*>(data); });
}

void FormWindow::StopTimer(int timer_id) {
  if (auto found = timers_.find(timer_id); found != timers_.end()) {
    g_source_remove(found->second);
    timers_.erase(found);
  }
}

void FormWindow::SetShape(const cairo_region_t* region) {
  auto* shape = const_cast<cairo_region_t*>(region);
  gtk_widget_shape_combine_region(window_, shape);
  gtk_widget_input_shape_combine_region(window_, shape);
  if (!see_through_) return;
  if (outline_) cairo_region_destroy(outline_);
  outline_ = region ? cairo_region_copy(region) : nullptr;
  gtk_widget_queue_draw(window_);
}

bool FormWindow::BeginMoveDrag() {
  if (press_.button == 0) return false;
  gtk_window_begin_move_drag(GTK_WINDOW(window_), static_cast<gint>(press_.button), press_.x_root,
                             press_.y_root, press_.time);
  return true;
}

bool FormWindow::OurEvent(GdkWindow* window) const {
  return window == gtk_layout_get_bin_window(GTK_LAYOUT(layout_));
}

GtkWidget* FormWindow::EditToFocus() const {
  auto first = std::ranges::find_if(edits_, gtk_widget_get_visible);
  return first == edits_.end() ? nullptr : *first;
}

// Each call into the behaviour is the last use of `self` in its handler.

gboolean FormWindow::OnDraw(GtkWidget*, cairo_t* cr, FormWindow* self) {
  GdkRectangle clip;
  if (!gtk_cairo_should_draw_window(cr, gtk_layout_get_bin_window(GTK_LAYOUT(self->layout_))) ||
      !gdk_cairo_get_clip_rectangle(cr, &clip)) {
    return FALSE;
  }
  stats::first_tick.Lap("paint_start");
  const PixelRect dirty{clip.x, clip.y, clip.x + clip.width, clip.y + clip.height};
  if (self->see_through_) {
    // All transparent, then painted within the outline, the text boxes too.
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    if (self->outline_) {
      gdk_cairo_region(cr, self->outline_);
      cairo_clip(cr);
    }
  }
  GtkCanvas canvas(cr, dirty, self->platform_.pictures(), self->platform_.fonts());
  canvas.FillRect(dirty, self->background_);
  self->events_.OnPaint(canvas);
  return FALSE;  // the text boxes paint themselves over it
}

// After the text boxes have painted: the end of the window's first paint.
gboolean FormWindow::OnDrawn(GtkWidget*, cairo_t* cr, FormWindow* self) {
  if (gtk_cairo_should_draw_window(cr, gtk_layout_get_bin_window(GTK_LAYOUT(self->layout_)))) {
    stats::first_tick.FirstPaintDone(std::exchange(self->made_in_tick_, 0));
  }
  return FALSE;
}

gboolean FormWindow::OnButton(GtkWidget*, GdkEventButton* event, FormWindow* self) {
  MouseButton button;
  if (!self->OurEvent(event->window) || !ButtonOf(event->button, button)) return FALSE;
  // A double click arrives as two presses, as on a window that asks for no double clicks.
  if (event->type == GDK_2BUTTON_PRESS || event->type == GDK_3BUTTON_PRESS) return TRUE;
  const MouseEvent e = MouseAt(event->x, event->y, event->state, button);
  if (event->type == GDK_BUTTON_PRESS) {
    self->press_ = {event->button, static_cast<int>(event->x_root), static_cast<int>(event->y_root),
                    event->time};
    self->events_.OnMouseDown(e);
  } else {
    self->press_ = {};
    self->events_.OnMouseUp(e);
  }
  return TRUE;
}

// A press anywhere on the window activates it, as on Windows, whether a window manager would or
// not; the press goes on to its control.
gboolean FormWindow::OnAnyPress(GtkWidget*, GdkEventButton* event, FormWindow* self) {
  if (event->type == GDK_BUTTON_PRESS && !gtk_window_is_active(GTK_WINDOW(self->window_))) {
    gtk_window_present_with_time(GTK_WINDOW(self->window_), event->time);
  }
  return FALSE;
}

gboolean FormWindow::OnMotion(GtkWidget*, GdkEventMotion* event, FormWindow* self) {
  if (!self->OurEvent(event->window)) return FALSE;
  const MouseButton held = (event->state & GDK_BUTTON3_MASK)   ? MouseButton::kRight
                           : (event->state & GDK_BUTTON2_MASK) ? MouseButton::kMiddle
                                                               : MouseButton::kLeft;
  self->events_.OnMouseMove(MouseAt(event->x, event->y, event->state, held));
  return TRUE;
}

// Tab and Shift+Tab move between the visible text boxes in creation order, selecting the text.
gboolean FormWindow::OnKey(GtkWidget*, GdkEventKey* event, FormWindow* self) {
  const bool tab = event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_KP_Tab;
  const bool back =
      event->keyval == GDK_KEY_ISO_Left_Tab || (tab && (event->state & GDK_SHIFT_MASK) != 0);
  if (!tab && !back) return FALSE;
  std::vector<GtkWidget*> order;
  std::ranges::copy_if(self->edits_, std::back_inserter(order), gtk_widget_get_visible);
  if (order.empty()) return TRUE;
  const auto at = std::ranges::find(order, gtk_window_get_focus(GTK_WINDOW(self->window_)));
  std::size_t next = 0;
  if (at != order.end()) {
    const auto index = static_cast<std::size_t>(at - order.begin());
    next = back ? (index + order.size() - 1) % order.size() : (index + 1) % order.size();
  }
  gtk_widget_grab_focus(order[next]);
  return TRUE;
}

gboolean FormWindow::OnDelete(GtkWidget*, GdkEvent*, FormWindow* self) {
  self->events_.OnCloseRequest();
  return TRUE;
}

// An activated window gives the focus back to its text box, or to the first visible one.
gboolean FormWindow::OnFocusIn(GtkWidget*, GdkEvent*, FormWindow* self) {
  self->platform_.Activated(self);
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(self->window_));
  if (!focus || !gtk_widget_get_visible(focus)) {
    if (GtkWidget* edit = self->EditToFocus()) gtk_widget_grab_focus(edit);
  }
  return FALSE;
}

gboolean FormWindow::OnGrabBroken(GtkWidget*, GdkEvent*, FormWindow* self) {
  self->platform_.GrabBroken(self);
  return FALSE;
}

gboolean FormWindow::OnTooltip(GtkWidget*, int x, int y, gboolean, GtkTooltip* tooltip,
                               FormWindow* self) {
  for (const auto& [id, tool] : self->tools_) {
    if (!tool.rect.Contains(x, y)) continue;
    gtk_tooltip_set_text(tooltip, tool.text.c_str());
    const GdkRectangle area{tool.rect.left, tool.rect.top, tool.rect.Width(), tool.rect.Height()};
    gtk_tooltip_set_tip_area(tooltip, &area);
    return TRUE;
  }
  return FALSE;
}

void FormWindow::OnEditChanged(GtkEditable* edit, FormWindow* self) {
  self->events_.OnEditChange(reinterpret_cast<EditHandle>(edit));
}

gboolean FormWindow::OnTimer(gpointer data) {
  const TimerData timer = *static_cast<TimerData*>(data);
  common::FirstTick::Scope tick(stats::first_tick);
  timer.events->OnTimer(timer.timer_id);
  return G_SOURCE_CONTINUE;  // unless the timer was stopped meanwhile, which removed it
}

}  // namespace amorix::gtk
