// The test's side of the headless platform: looking at the model and acting as the user.

#include <algorithm>
#include <utility>
#include <vector>

#include "app/fit_to_box.h"
#include "platform/common/utf8.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/native_objects.h"

namespace amorix {
namespace {

enum MouseKind { kMove, kDown, kUp };

using common::IsHighSurrogate;
using common::IsLowSurrogate;

// The length of the character that starts at i: a surrogate pair is one character.
std::size_t CharLength(std::u16string_view text, std::size_t i) {
  return IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

}  // namespace

std::vector<std::string> HeadlessPlatform::Log(
    std::initializer_list<std::string_view> calls) const {
  std::vector<std::string> kept;
  for (const std::string& line : log_) {
    const std::string_view name = std::string_view(line).substr(0, line.find('('));
    if (std::find(calls.begin(), calls.end(), name) != calls.end()) kept.push_back(line);
  }
  return kept;
}

void HeadlessPlatform::ClearLog() {
  log_.clear();
  for (const auto& window : windows_) window->info.invalidations.clear();
}

WindowHandle HeadlessPlatform::Window(std::u16string_view caption) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if ((*it)->info.alive && (*it)->info.caption == caption) return it->get();
  }
  return nullptr;
}

std::vector<std::u16string> HeadlessPlatform::VisibleCaptions() const {
  std::vector<std::u16string> captions;
  for (const auto& window : windows_) {
    if (window->info.visible) captions.push_back(window->info.caption);
  }
  return captions;
}

std::vector<WindowHandle> HeadlessPlatform::AllWindows() const {
  std::vector<WindowHandle> all;
  for (const auto& window : windows_) all.push_back(window.get());
  return all;
}

const HeadlessPlatform::WindowInfo& HeadlessPlatform::Info(WindowHandle w) const {
  static const WindowInfo kNone;
  return w && w->owner == this ? w->info : kNone;
}

const HeadlessPlatform::EditInfo& HeadlessPlatform::Info(EditHandle e) const {
  static const EditInfo kNone;
  return e && e->owner == this ? e->info : kNone;
}

PixelRect HeadlessPlatform::ClientRect(WindowHandle w) const {
  const WindowInfo& info = Info(w);
  return {0, 0, info.client_width, info.client_height};
}

PixelRect HeadlessPlatform::ScreenRect(WindowHandle w) const {
  const WindowInfo& info = Info(w);
  return {info.x, info.y, info.x + info.client_width, info.y + info.client_height};
}

std::optional<PixelRect> HeadlessPlatform::RegionBox(WindowHandle w) const {
  const RegionHandle region = Info(w).region;
  if (!region) return std::nullopt;
  return region->model.BoundingBox();
}

bool HeadlessPlatform::Shows(WindowHandle w, int x, int y) const {
  if (!Live(w) || !ClientRect(w).Contains(x, y)) return false;
  return !w->info.region || w->info.region->model.Contains(x, y);
}

// The pixels that would be repainted: like the system's update region, overlapping
// invalidations count once.
long long HeadlessPlatform::InvalidatedArea(WindowHandle w) const {
  const PixelRect client = ClientRect(w);
  std::vector<bool> dirty(static_cast<std::size_t>(client.Width()) * client.Height());
  for (const PixelRect& r : Info(w).invalidations) {
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, client.bottom); ++y) {
      for (int x = std::max(r.left, 0); x < std::min(r.right, client.right); ++x) {
        dirty[static_cast<std::size_t>(y) * client.Width() + x] = true;
      }
    }
  }
  return std::count(dirty.begin(), dirty.end(), true);
}

std::u16string HeadlessPlatform::TooltipAt(WindowHandle w, int x, int y) const {
  for (const auto& [id, tool] : Info(w).tooltips) {
    if (tool.rect.Contains(x, y)) return tool.text;
  }
  return {};
}

WindowHandle HeadlessPlatform::ActiveWindow() const {
  return z_order_.empty() ? nullptr : z_order_.back();
}

int HeadlessPlatform::UnownedLiveRegions() const {
  return static_cast<int>(std::count_if(regions_.begin(), regions_.end(),
                                        [](const auto& r) { return r->alive && !r->window; }));
}

const regions::RegionModel* HeadlessPlatform::Region(RegionHandle r) const {
  return r && r->owner == this && r->alive ? &r->model : nullptr;
}

EditHandle HeadlessPlatform::FocusedEdit() const {
  const WindowHandle active = ActiveWindow();
  if (!active) return nullptr;
  const EditHandle focus = active->focus;
  return focus && focus->info.alive && focus->info.visible ? focus : nullptr;
}

void HeadlessPlatform::Activate(NativeWindowTag* w) {
  Deactivate(w);
  z_order_.push_back(w);
  const EditHandle focus = w->focus;
  if (focus && focus->info.alive && focus->info.visible) return;
  w->focus = nullptr;
  for (EditHandle e : w->info.edits) {
    if (e->info.visible) {
      w->focus = e;
      break;
    }
  }
}

void HeadlessPlatform::Deactivate(NativeWindowTag* w) {
  std::erase(z_order_, w);
}

bool HeadlessPlatform::Deliverable(const NativeWindowTag* w) const {
  return Running() && w && w->owner == this && w->info.alive && w->info.visible;
}

HeadlessPlatform::Hit HeadlessPlatform::Mouse(WindowHandle w, int x, int y, MouseButton button,
                                              Keys keys, int kind) {
  if (capture_ && capture_ != w && Deliverable(capture_) && Deliverable(w)) {
    // The window holding the capture takes the mouse wherever it is, in its own coordinates.
    const PixelRect from = ScreenRect(w), to = ScreenRect(capture_);
    return Mouse(capture_, x + from.left - to.left, y + from.top - to.top, button, keys, kind);
  }
  if (!Deliverable(w) || (capture_ != w && !Shows(w, x, y))) return Hit::kNothing;
  if (kind == kUp && std::exchange(press_dragged_, false)) return Hit::kNothing;
  if (kind == kDown) Activate(w);
  for (EditHandle e : w->info.edits) {
    if (e->info.visible && e->info.rect.Contains(x, y)) {
      if (kind == kDown) w->focus = e;
      return Hit::kEdit;
    }
  }
  const MouseEvent event{x, y, button, keys.shift, keys.ctrl, keys.alt};
  if (kind == kMove) {
    w->events->OnMouseMove(event);
  } else if (kind == kDown) {
    pressing_ = true;
    press_dragged_ = false;
    w->events->OnMouseDown(event);
    pressing_ = false;
  } else {
    w->events->OnMouseUp(event);
  }
  return Hit::kWindow;
}

HeadlessPlatform::Hit HeadlessPlatform::MoveMouse(WindowHandle w, int x, int y, Keys keys) {
  return Mouse(w, x, y, MouseButton::kLeft, keys, kMove);
}

HeadlessPlatform::Hit HeadlessPlatform::Press(WindowHandle w, int x, int y, MouseButton button,
                                              Keys keys) {
  return Mouse(w, x, y, button, keys, kDown);
}

HeadlessPlatform::Hit HeadlessPlatform::Release(WindowHandle w, int x, int y, MouseButton button,
                                                Keys keys) {
  return Mouse(w, x, y, button, keys, kUp);
}

bool HeadlessPlatform::TakeCaptureAway() {
  NativeWindowTag* had = std::exchange(capture_, nullptr);
  if (had) had->events->OnCaptureLost();
  return had != nullptr;
}

HeadlessPlatform::Hit HeadlessPlatform::Click(WindowHandle w, int x, int y) {
  const Hit hit = Press(w, x, y);
  if (hit != Hit::kNothing) Release(w, x, y);
  return hit;
}

NativeEditTag* HeadlessPlatform::KeyboardTarget() const {
  return Running() ? FocusedEdit() : nullptr;
}

void HeadlessPlatform::ChangeText(NativeEditTag* edit, std::u16string text) {
  edit->info.text = std::move(text);
  if (!Ended() && edit->window->info.alive) edit->window->events->OnEditChange(edit);
}

bool HeadlessPlatform::Type(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLength(text, i);
    NativeEditTag* edit = KeyboardTarget();  // a handler may have moved the focus
    if (!edit) return false;
    Insert(edit, text.substr(i, length));
    i += length;
  }
  return true;
}

bool HeadlessPlatform::Backspace() {
  NativeEditTag* edit = KeyboardTarget();
  if (!edit) return false;
  std::u16string text = edit->info.text;
  if (text.empty()) return true;
  const bool pair =
      text.size() >= 2 && IsLowSurrogate(text.back()) && IsHighSurrogate(text[text.size() - 2]);
  text.resize(text.size() - (pair ? 2 : 1));
  ChangeText(edit, std::move(text));
  return true;
}

bool HeadlessPlatform::Paste(std::u16string_view text) {
  NativeEditTag* edit = KeyboardTarget();
  if (!edit) return false;
  Insert(edit, text);
  return true;
}

void HeadlessPlatform::Insert(NativeEditTag* edit, std::u16string_view text) {
  const std::u16string kept = FitToBox(text, edit->info.text.size(), edit->info.max_length);
  if (!kept.empty()) ChangeText(edit, edit->info.text + kept);
}

bool HeadlessPlatform::Tab() {
  const WindowHandle w = ActiveWindow();
  if (!Running() || !w) return false;
  const std::vector<EditHandle>& edits = w->info.edits;
  const auto current = std::find(edits.begin(), edits.end(), FocusedEdit());
  const std::size_t start = current == edits.end() ? edits.size() : current - edits.begin();
  for (std::size_t step = 1; step <= edits.size(); ++step) {
    const EditHandle next = edits[(start + step) % edits.size()];
    if (next->info.visible) {
      w->focus = next;
      return true;
    }
  }
  return false;
}

bool HeadlessPlatform::FireTimer(WindowHandle w, int timer_id) {
  if (!Running() || !Live(w) || !w->info.timers.contains(timer_id)) return false;
  w->events->OnTimer(timer_id);
  return true;
}

bool HeadlessPlatform::CloseRequest(WindowHandle w) {
  if (!Deliverable(w)) return false;
  w->events->OnCloseRequest();
  return true;
}

std::vector<AccessibleLabel> HeadlessPlatform::DescribeLabels(WindowHandle w) const {
  if (!w || w->owner != this || !w->info.alive) return {};
  return w->events->OnDescribeLabels();
}

bool HeadlessPlatform::DoLabelAction(WindowHandle w, int label) {
  if (!Deliverable(w)) return false;
  w->events->OnLabelAction(label);
  return true;
}

headless::Drawing HeadlessPlatform::Paint(WindowHandle w) {
  return Paint(w, ClientRect(w));
}

headless::Drawing HeadlessPlatform::Paint(WindowHandle w, const PixelRect& dirty) {
  if (!Deliverable(w)) return {.painted = false, .dirty = dirty, .ops = {}};
  headless::RecordingCanvas canvas(dirty, picture_sizes_);
  w->events->OnPaint(canvas);
  return std::move(canvas).Take();
}

}  // namespace amorix
