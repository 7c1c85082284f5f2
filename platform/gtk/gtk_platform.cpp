#include "platform/gtk/gtk_platform.h"

#include "app/runtime_error.h"
#include "platform/gtk/gtk_form_window.h"
#include "platform/gtk/gtk_stats.h"

namespace amorix {

namespace {

GtkWidget* ToWidget(EditHandle e) {
  return reinterpret_cast<GtkWidget*>(e);
}

}  // namespace

GtkPlatform::GtkPlatform() = default;

GtkPlatform::~GtkPlatform() {
  if (ahead_source_) g_source_remove(ahead_source_);
}

// While the splash waits, a step at a time when nothing else is to be done: the picture decoded
// and made ready to paint, each face opened and a line laid out and drawn in it off screen, and an
// entry that is never shown made, styled and realized, which sets up GTK's entry class, its style
// and the input method. No window of the program's is made.
void GtkPlatform::PrepareAhead(ResourceId picture, std::span<const FontSpec> fonts) {
  if (picture) ahead_.emplace_back([this, picture] { pictures_.Surface(picture); });
  for (const FontSpec& font : fonts) {
    ahead_.emplace_back([this, font, face = std::u16string(font.face)] {
      FontSpec own = font;
      own.face = face;
      cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
      cairo_t* cr = cairo_create(surface);
      const PixelRect box{0, 0, 8, 8};
      gtk::GtkCanvas(cr, box, pictures_, fonts_).PaintText(box, u"Ag", own, 0, Align::kLeft);
      cairo_destroy(cr);
      cairo_surface_destroy(surface);
    });
  }
  ahead_.emplace_back([this, font = fonts.empty() ? FontSpec{} : fonts.front(),
                       face = std::u16string(fonts.empty() ? u"" : fonts.front().face)] {
    FontSpec own = font;
    own.face = face;
    GtkWidget* window = gtk_offscreen_window_new();
    gtk_container_add(GTK_CONTAINER(window),
                      gtk::FormWindow::NewEntry(fonts_, EditSpec{.font = own}));
    gtk_widget_show_all(window);
    gtk_widget_destroy(window);
  });
  if (!ahead_source_) ahead_source_ = g_idle_add_full(G_PRIORITY_LOW, RunAhead, this, nullptr);
}

gboolean GtkPlatform::RunAhead(gpointer self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  std::function<void()> step = std::move(platform->ahead_.front());
  platform->ahead_.pop_front();
  step();
  if (!platform->ahead_.empty()) return G_SOURCE_CONTINUE;
  platform->ahead_source_ = 0;
  return G_SOURCE_REMOVE;
}

gtk::FormWindow* GtkPlatform::Find(WindowHandle w) const {
  auto found = windows_.find(w);
  return found == windows_.end() ? nullptr : found->second.get();
}

WindowHandle GtkPlatform::CreateFormWindow(const WindowSpec& params, WindowEvents& events) {
  auto form = std::make_unique<gtk::FormWindow>(*this, params, events);
  const WindowHandle handle = form->handle();
  windows_.emplace(handle, std::move(form));
  gtk::stats::first_tick.Lap("create");
  return handle;
}

void GtkPlatform::ShowFormWindow(WindowHandle w, bool visible) {
  const bool was_active = Active(w);
  if (gtk::FormWindow* form = Find(w)) form->Show(visible);
  if (!visible) Gone(w, was_active);
  gtk::stats::first_tick.Lap("show");
}

bool GtkPlatform::Active(WindowHandle w) const {
  const gtk::FormWindow* form = Find(w);
  return form && gtk_window_is_active(GTK_WINDOW(form->window()));
}

void GtkPlatform::Activated(gtk::FormWindow* form) {
  std::erase(activated_, form->handle());
  activated_.push_back(form->handle());
}

// The active window went: the one activated before it, still shown, is activated, as Windows
// does, whether a window manager would or not.
void GtkPlatform::Gone(WindowHandle w, bool was_active) {
  std::erase(activated_, w);
  if (!was_active) return;
  for (auto it = activated_.rbegin(); it != activated_.rend(); ++it) {
    if (gtk::FormWindow* form = Find(*it); form && gtk_widget_get_visible(form->window())) {
      gtk_window_present(GTK_WINDOW(form->window()));
      return;
    }
  }
}

void GtkPlatform::DestroyFormWindow(WindowHandle w) {
  auto found = windows_.find(w);
  if (found == windows_.end()) return;
  const bool was_active = Active(w);
  // Out of the table first: whatever the teardown sets off finds the window gone.
  std::unique_ptr<gtk::FormWindow> form = std::move(found->second);
  windows_.erase(found);
  if (capture_ == w) capture_ = nullptr;
  form.reset();
  Gone(w, was_active);
  gtk::stats::first_tick.Lap("destroy");
}

void GtkPlatform::Invalidate(WindowHandle w, const PixelRect& r) {
  if (gtk::FormWindow* form = Find(w)) form->Invalidate(r);
}

void GtkPlatform::SetMousePointer(WindowHandle w, MousePointer p) {
  if (gtk::FormWindow* form = Find(w)) form->SetPointer(p);
}

void GtkPlatform::SetTooltip(WindowHandle w, int tool_id, const PixelRect& r,
                             std::u16string_view text) {
  if (gtk::FormWindow* form = Find(w)) form->SetTooltip(tool_id, r, gtk::Utf8(text));
}

void GtkPlatform::NotifyAccessibleChange(WindowHandle w, int label, AccessibleChange change) {
  if (gtk::FormWindow* form = Find(w)) form->NotifyAccessible(label, change);
}

EditHandle GtkPlatform::CreateEdit(WindowHandle parent, const EditSpec& params) {
  gtk::FormWindow* form = Find(parent);
  if (!form) throw RuntimeError("The system cannot create the text box");
  GtkWidget* edit = form->CreateEdit(params);
  gtk::stats::first_tick.Lap("edit");
  return reinterpret_cast<EditHandle>(edit);
}

std::u16string GtkPlatform::GetEditText(EditHandle e) {
  return gtk::Utf16(gtk_entry_get_text(GTK_ENTRY(ToWidget(e))));
}

void GtkPlatform::SetEditText(EditHandle e, std::u16string_view text) {
  gtk::FormWindow::SetEditText(ToWidget(e), gtk::Utf8(text));
  gtk::stats::first_tick.Lap("edit_text");
}

void GtkPlatform::SetEditVisible(EditHandle e, bool visible) {
  gtk_widget_set_visible(ToWidget(e), visible);
  gtk::stats::first_tick.Lap("edit_shown");
}

void GtkPlatform::FocusEdit(EditHandle e) {
  gtk_widget_grab_focus(ToWidget(e));
}

void GtkPlatform::StartTimer(WindowHandle w, int timer_id, unsigned interval_ms) {
  if (gtk::FormWindow* form = Find(w)) form->StartTimer(timer_id, interval_ms);
}

void GtkPlatform::StopTimer(WindowHandle w, int timer_id) {
  if (gtk::FormWindow* form = Find(w)) form->StopTimer(timer_id);
}

}  // namespace amorix
