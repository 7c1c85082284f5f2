#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <concepts>
#include <cstdio>
#include <utility>

#include "app/runtime_error.h"
#include "platform/headless/native_objects.h"

namespace amorix {
namespace {

std::string Args(std::initializer_list<std::string> parts) {
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += ',';
    joined += part;
  }
  return joined;
}

template <std::integral T>
std::string Str(T v) {
  return std::to_string(v);
}
std::string Str(const PixelRect& r) {
  return Args({Str(r.left), Str(r.top), Str(r.right), Str(r.bottom)});
}
std::string Str(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
  return text;
}
std::string Str(const char* text) {
  return text ? text : "null";
}

}  // namespace

HeadlessPlatform::HeadlessPlatform() = default;
HeadlessPlatform::~HeadlessPlatform() = default;

NativeWindowTag* HeadlessPlatform::Live(WindowHandle w) const {
  return w && w->owner == this && w->info.alive ? w : nullptr;
}

NativeEditTag* HeadlessPlatform::Live(EditHandle e) const {
  return e && e->owner == this && e->info.alive ? e : nullptr;
}

std::string HeadlessPlatform::Name(WindowHandle w) const {
  return w && w->owner == this ? headless::Utf8(w->info.caption) : "null";
}

std::string HeadlessPlatform::Name(EditHandle e) const {
  if (!e || e->owner != this) return "null";
  return Name(e->window) + "#" + Str(e->info.number);
}

std::string HeadlessPlatform::RegionName(RegionHandle r) const {
  return r && r->owner == this ? "R" + Str(r->number) : "null";
}

WindowHandle HeadlessPlatform::CreateFormWindow(const WindowSpec& params, WindowEvents& events) {
  auto window = std::make_unique<NativeWindowTag>();
  window->owner = this;
  window->events = &events;
  WindowInfo& info = window->info;
  info.caption = params.caption;
  info.client_width = params.client_width;
  info.client_height = params.client_height;
  info.in_taskbar = params.in_taskbar;
  info.background = params.background;
  info.icon = params.icon;
  info.alive = true;
  info.x = (screen_width_ - params.client_width) / 2;
  info.y = (screen_height_ - params.client_height) / 2;
  WindowHandle w = windows_.emplace_back(std::move(window)).get();
  Record("CreateFormWindow(" +
         Args({Name(w), Str(params.client_width), Str(params.client_height)}) + ")->" + Name(w));
  return w;
}

void HeadlessPlatform::ShowFormWindow(WindowHandle w, bool visible) {
  Record("ShowFormWindow(" + Args({Name(w), Str(visible)}) + ")");
  NativeWindowTag* window = Live(w);
  if (!window) return;
  window->info.visible = visible;
  if (visible) {
    Activate(window);
  } else {
    Deactivate(window);
  }
}

void HeadlessPlatform::DestroyFormWindow(WindowHandle w) {
  Record("DestroyFormWindow(" + Name(w) + ")");
  NativeWindowTag* window = Live(w);
  if (!window) return;
  Deactivate(window);
  if (capture_ == window) capture_ = nullptr;
  WindowInfo& info = window->info;
  info.alive = info.visible = false;
  info.timers.clear();
  info.tooltips.clear();
  for (EditHandle e : info.edits) e->info.alive = e->info.visible = false;
  window->focus = nullptr;
  if (info.region) FreeRegion(info.region);
  info.region = nullptr;
}

void HeadlessPlatform::Invalidate(WindowHandle w, const PixelRect& r) {
  Record("Invalidate(" + Args({Name(w), Str(r)}) + ")");
  if (NativeWindowTag* window = Live(w)) window->info.invalidations.push_back(r);
}

void HeadlessPlatform::SetMousePointer(WindowHandle w, MousePointer p) {
  Record("SetMousePointer(" + Args({Name(w), Str(static_cast<int>(p))}) + ")");
  if (NativeWindowTag* window = Live(w)) window->info.pointer = p;
}

void HeadlessPlatform::SetTooltip(WindowHandle w, int tool_id, const PixelRect& r,
                                  std::u16string_view text) {
  Record("SetTooltip(" + Args({Name(w), Str(tool_id), Str(r), headless::Utf8(text)}) + ")");
  NativeWindowTag* window = Live(w);
  if (!window) return;
  if (text.empty()) {
    window->info.tooltips.erase(tool_id);
  } else {
    window->info.tooltips[tool_id] = {r, std::u16string(text)};
  }
}

void HeadlessPlatform::NotifyAccessibleChange(WindowHandle w, int label, AccessibleChange change) {
  constexpr const char* kChanges[] = {"name", "shown", "hidden"};
  Record("NotifyAccessibleChange(" +
         Args({Name(w), Str(label), kChanges[static_cast<int>(change)]}) + ")");
}

EditHandle HeadlessPlatform::CreateEdit(WindowHandle parent, const EditSpec& params) {
  NativeWindowTag* window = Live(parent);
  EditHandle e = nullptr;
  if (window) {
    auto edit = std::make_unique<NativeEditTag>();
    edit->owner = this;
    edit->window = window;
    EditInfo& info = edit->info;
    info.parent = window;
    info.number = static_cast<int>(window->info.edits.size()) + 1;
    info.rect = params.rect;
    info.font = headless::RecordedFont(params.font);
    info.text_color = params.text_color;
    info.align = params.align;
    info.max_length = params.max_length;
    info.alive = true;
    info.visible = params.visible;
    e = edits_.emplace_back(std::move(edit)).get();
    window->info.edits.push_back(e);
  }
  Record("CreateEdit(" + Args({Name(parent), Str(params.rect), Str(params.max_length)}) + ")->" +
         Name(e));
  return e;
}

std::u16string HeadlessPlatform::GetEditText(EditHandle e) {
  const NativeEditTag* edit = Live(e);
  std::u16string text = edit ? edit->info.text : std::u16string();
  Record("GetEditText(" + Name(e) + ")->" + headless::Utf8(text));
  return text;
}

void HeadlessPlatform::SetEditText(EditHandle e, std::u16string_view text) {
  Record("SetEditText(" + Args({Name(e), headless::Utf8(text)}) + ")");
  // A real edit notifies its parent on every WM_SETTEXT, even when the text stays the same.
  if (NativeEditTag* edit = Live(e)) ChangeText(edit, std::u16string(text));
}

void HeadlessPlatform::SetEditVisible(EditHandle e, bool visible) {
  Record("SetEditVisible(" + Args({Name(e), Str(visible)}) + ")");
  NativeEditTag* edit = Live(e);
  if (!edit) return;
  edit->info.visible = visible;
  if (!visible && edit->window->focus == edit) edit->window->focus = nullptr;
}

void HeadlessPlatform::FocusEdit(EditHandle e) {
  Record("FocusEdit(" + Name(e) + ")");
  NativeEditTag* edit = Live(e);
  if (!edit) return;
  edit->window->focus = edit;
  if (edit->window->info.visible) Activate(edit->window);
}

void HeadlessPlatform::StartTimer(WindowHandle w, int timer_id, unsigned interval_ms) {
  Record("StartTimer(" + Args({Name(w), Str(timer_id), Str(interval_ms)}) + ")");
  if (NativeWindowTag* window = Live(w)) window->info.timers[timer_id] = interval_ms;
}

void HeadlessPlatform::StopTimer(WindowHandle w, int timer_id) {
  Record("StopTimer(" + Args({Name(w), Str(timer_id)}) + ")");
  if (NativeWindowTag* window = Live(w)) window->info.timers.erase(timer_id);
}

RegionHandle HeadlessPlatform::AddRegion(const char* call, std::string args,
                                         regions::RegionModel model) {
  RegionHandle r = nullptr;
  if (!fail_region_calls_) {
    auto region = std::make_unique<NativeRegionTag>();
    region->owner = this;
    region->number = static_cast<int>(regions_.size()) + 1;
    region->model = std::move(model);
    r = regions_.emplace_back(std::move(region)).get();
    ++live_regions_;
  }
  Record(std::string(call) + "(" + args + ")->" + RegionName(r));
  return r;
}

void HeadlessPlatform::FreeRegion(NativeRegionTag* region) {
  region->alive = false;
  region->window = nullptr;
  region->model = {};
  --live_regions_;
}

NativeRegionTag* HeadlessPlatform::Usable(RegionHandle r) {
  if (!r || r->owner != this) return nullptr;
  if (!r->alive) {
    ++uses_of_freed_;
    return nullptr;
  }
  return r;
}

RegionHandle HeadlessPlatform::CreateRectRgn(int left, int top, int right, int bottom) {
  return AddRegion("CreateRectRgn", Args({Str(left), Str(top), Str(right), Str(bottom)}),
                   regions::RegionModel::Rect(left, top, right, bottom));
}

RegionHandle HeadlessPlatform::CreateEllipticRgn(int left, int top, int right, int bottom) {
  return AddRegion("CreateEllipticRgn", Args({Str(left), Str(top), Str(right), Str(bottom)}),
                   regions::RegionModel::Ellipse(left, top, right, bottom));
}

RegionHandle HeadlessPlatform::CreateRoundRectRgn(int left, int top, int right, int bottom,
                                                  int ellipse_w, int ellipse_h) {
  return AddRegion(
      "CreateRoundRectRgn",
      Args({Str(left), Str(top), Str(right), Str(bottom), Str(ellipse_w), Str(ellipse_h)}),
      regions::RegionModel::RoundRect(left, top, right, bottom, ellipse_w, ellipse_h));
}

int HeadlessPlatform::CombineRgn(RegionHandle dest, RegionHandle src1, RegionHandle src2,
                                 int mode) {
  Record("CombineRgn(" + Args({RegionName(dest), RegionName(src1), RegionName(src2), Str(mode)}) +
         ")");
  if (fail_region_calls_ || (mode != kRgnCopy && mode != kRgnOr)) return regions::kRegionError;
  NativeRegionTag* to = Usable(dest);
  NativeRegionTag* first = Usable(src1);
  NativeRegionTag* second = mode == kRgnOr ? Usable(src2) : nullptr;  // COPY ignores it
  if (!to || !first || (mode == kRgnOr && !second)) return regions::kRegionError;
  for (const NativeRegionTag* region : {to, first, second}) {
    if (region && region->window) ++uses_of_owned_;
  }
  regions::RegionModel result = first->model;
  if (second) result.Unite(second->model);
  to->model = std::move(result);
  return to->model.Type();
}

int HeadlessPlatform::DeleteObject(RegionHandle r) {
  Record("DeleteObject(" + RegionName(r) + ")");
  if (fail_region_calls_) return 0;
  NativeRegionTag* region = Usable(r);
  if (!region) return 0;
  if (region->window) {  // the system's now; deleting it would pull it from under the window
    ++deletes_of_owned_;
    return 0;
  }
  FreeRegion(region);
  return 1;
}

int HeadlessPlatform::SetWindowRgn(WindowHandle w, RegionHandle r, int redraw) {
  Record("SetWindowRgn(" + Args({Name(w), RegionName(r), Str(redraw)}) + ")");
  NativeWindowTag* window = Live(w);
  if (fail_set_window_rgn_ || !window) return 0;
  NativeRegionTag* region = Usable(r);
  if (r && !region) return 0;
  if (region && region->window) {
    ++uses_of_owned_;
    return 0;
  }
  // A null region gives the window back its whole rectangle.
  if (window->info.region) FreeRegion(window->info.region);
  window->info.region = region;
  if (region) region->window = window;
  return 1;
}

WindowHandle HeadlessPlatform::SetCapture(WindowHandle w) {
  NativeWindowTag* previous = capture_;
  Record("SetCapture(" + Name(w) + ")->" + Name(previous));
  if (NativeWindowTag* window = Live(w)) {
    capture_ = window;
    if (previous && previous != window) previous->events->OnCaptureLost();
  }
  return previous;
}

int HeadlessPlatform::ReleaseCapture() {
  Record("ReleaseCapture()");
  if (NativeWindowTag* had = std::exchange(capture_, nullptr)) had->events->OnCaptureLost();
  return 1;
}

std::intptr_t HeadlessPlatform::SendMessageA(WindowHandle w, unsigned msg, std::uintptr_t wparam,
                                             std::intptr_t lparam) {
  Record("SendMessageA(" + Args({Name(w), Str(msg), Str(wparam), Str(lparam)}) + ")");
  NativeWindowTag* window = Live(w);
  if (window && msg == kWmNcLButtonDown && wparam == kHtCaption) {
    ++window->info.drags;
    window->info.x += drag_dx_;
    window->info.y += drag_dy_;
    if (pressing_) press_dragged_ = true;
  }
  return 0;
}

std::intptr_t HeadlessPlatform::ShellExecuteA(WindowHandle w, const char* operation,
                                              const char* file, const char* parameters,
                                              const char* directory, int show_command) {
  Record("ShellExecuteA(" +
         Args({Name(w), Str(operation), Str(file), Str(parameters), Str(directory),
               Str(show_command)}) +
         ")");
  if (fail_shell_binding_) throw RuntimeError("ShellExecuteA could not be bound in shell32.dll");
  return shell_result_;
}

TwipsPerPixel HeadlessPlatform::ScreenTwipsPerPixel() {
  Record("ScreenTwipsPerPixel()->" + Args({Str(ratio_.x), Str(ratio_.y)}));
  return ratio_;
}

void HeadlessPlatform::PrepareAhead(ResourceId picture, std::span<const FontSpec> fonts) {
  Record("PrepareAhead(" + Args({Str(picture), Str(static_cast<int>(fonts.size()))}) + ")");
  prepared_pictures_.push_back(picture);
  for (const FontSpec& font : fonts) prepared_fonts_.emplace_back(font);
}

void HeadlessPlatform::RunMessageLoop() {
  Record("RunMessageLoop()");
}

void HeadlessPlatform::Quit() {
  Record("Quit()");
  quit_ = true;
}

void HeadlessPlatform::Terminate() {
  Record("Terminate()");
  terminated_ = true;
}

void HeadlessPlatform::ReportFatal(std::u16string_view message) {
  Record("ReportFatal(" + headless::Utf8(message) + ")");
  fatal_.emplace_back(message);
}

}  // namespace amorix
