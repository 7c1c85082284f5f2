#include "platform/gtk/gtk_platform.h"

#include "app/runtime_error.h"
#include "platform/gtk/gtk_form_window.h"

namespace amorix {

namespace {

GtkWidget* ToWidget(EditHandle e) {
  return reinterpret_cast<GtkWidget*>(e);
}

}  // namespace

GtkPlatform::GtkPlatform() = default;

GtkPlatform::~GtkPlatform() = default;

gtk::FormWindow* GtkPlatform::Find(WindowHandle w) const {
  auto found = windows_.find(w);
  return found == windows_.end() ? nullptr : found->second.get();
}

WindowHandle GtkPlatform::CreateFormWindow(const WindowSpec& params, WindowEvents& events) {
  auto form = std::make_unique<gtk::FormWindow>(*this, params, events);
  const WindowHandle handle = form->handle();
  windows_.emplace(handle, std::move(form));
  return handle;
}

void GtkPlatform::ShowFormWindow(WindowHandle w, bool visible) {
  if (gtk::FormWindow* form = Find(w)) form->Show(visible);
}

void GtkPlatform::DestroyFormWindow(WindowHandle w) {
  auto found = windows_.find(w);
  if (found == windows_.end()) return;
  // Out of the table first: whatever the teardown sets off finds the window gone.
  std::unique_ptr<gtk::FormWindow> form = std::move(found->second);
  windows_.erase(found);
  if (capture_ == w) capture_ = nullptr;
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
  return reinterpret_cast<EditHandle>(form->CreateEdit(params));
}

std::u16string GtkPlatform::GetEditText(EditHandle e) {
  return gtk::Utf16(gtk_entry_get_text(GTK_ENTRY(ToWidget(e))));
}

void GtkPlatform::SetEditText(EditHandle e, std::u16string_view text) {
  gtk::FormWindow::SetEditText(ToWidget(e), gtk::Utf8(text));
}

void GtkPlatform::SetEditVisible(EditHandle e, bool visible) {
  gtk_widget_set_visible(ToWidget(e), visible);
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
