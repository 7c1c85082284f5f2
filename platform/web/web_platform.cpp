#include "platform/web/web_platform.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/runtime_error.h"
#include "platform/common/classic_look.h"
#include "platform/common/frame_bands.h"
#include "platform/regions/region_handles.h"
#include "platform/web/web_bridge.h"

namespace amorix {

namespace {

constexpr std::intptr_t kShellOk = 42;  // above 32: the request was taken
constexpr int kCssPixelsPerInch = 96;   // a CSS pixel is 1/96 inch, whatever the screen
// A box the layouts leave unnamed shows nothing of its own (the help window's takes a typed
// code unseen), yet it can hold the focus, and a page names whatever does.
constexpr std::u16string_view kUnnamedBox = u"Code";

WindowHandle HandleOf(int number) {
  return reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(number));
}

int EditNumber(EditHandle e) {
  return static_cast<int>(reinterpret_cast<std::uintptr_t>(e));
}

std::uint32_t Css(Color color) {
  const common::Rgb8 rgb = common::Resolve(color);
  return (std::uint32_t{rgb.r} << 16) | (std::uint32_t{rgb.g} << 8) | rgb.b;
}

// Null-terminated for the page.
std::u16string Text(std::u16string_view text) {
  return std::u16string(text);
}

std::u16string Face(const FontSpec& font) {
  return Text(font.face.empty() ? kDefaultFace : font.face);
}

int Pixels(const FontSpec& font) {
  return common::PixelsForPoints(font.points, kCssPixelsPerInch);
}

class WebCanvas final : public Canvas {
 public:
  WebCanvas(int window, const PixelRect& dirty) : window_(window), dirty_(dirty) {}

  PixelRect Dirty() const override { return dirty_; }
  void FillRect(const PixelRect& r, Color c) override {
    if (r.Width() > 0 && r.Height() > 0) {
      amx_fill(window_, r.left, r.top, r.right, r.bottom, Css(c));
    }
  }
  void FrameRect(const PixelRect& r, Color c, int width) override {
    const common::FrameBands frame = common::FrameRectBands(r, width);
    for (int i = 0; i < frame.count; ++i) FillRect(frame.bands[i], c);
  }
  PixelSize PictureSize(ResourceId picture) override {
    return {amx_picture_width(picture), amx_picture_height(picture)};
  }
  void DrawPicture(ResourceId picture, const PixelRect& dest) override {
    if (dest.Width() > 0 && dest.Height() > 0) {
      amx_picture(window_, picture, dest.left, dest.top, dest.right, dest.bottom);
    }
  }
  void PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font, Color color,
                 Align align) override {
    if (text.empty() || r.Width() <= 0 || r.Height() <= 0) return;
    amx_text(window_, r.left, r.top, r.right, r.bottom, Text(text).c_str(), Face(font).c_str(),
             Pixels(font), font.bold, font.italic, font.underline, Css(color),
             align == Align::kCenter);
  }

 private:
  int window_;
  PixelRect dirty_;
};

}  // namespace

int WebPlatform::Number(WindowHandle w) {
  return static_cast<int>(reinterpret_cast<std::uintptr_t>(w));
}

WindowEvents* WebPlatform::Events(int window) const {
  if (ended_) return nullptr;
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : found->second;
}

WindowHandle WebPlatform::CreateFormWindow(const WindowSpec& params, WindowEvents& events) {
  const int number = next_window_++;
  windows_.emplace(number, &events);
  amx_window_create(number, Text(params.caption).c_str(), params.client_width, params.client_height,
                    params.icon);
  return HandleOf(number);
}

void WebPlatform::ShowFormWindow(WindowHandle w, bool visible) {
  if (!Events(Number(w))) return;
  amx_window_show(Number(w), visible);
  if (visible) amx_labels_changed(Number(w), 0, 0);
}

void WebPlatform::DestroyFormWindow(WindowHandle w) {
  if (windows_.erase(Number(w)) == 0) return;
  if (capture_ == Number(w)) capture_ = 0;
  amx_window_destroy(Number(w));
}

void WebPlatform::Invalidate(WindowHandle w, const PixelRect& r) {
  if (Events(Number(w)) && r.Width() > 0 && r.Height() > 0) {
    amx_invalidate(Number(w), r.left, r.top, r.right, r.bottom);
  }
}

void WebPlatform::SetMousePointer(WindowHandle w, MousePointer p) {
  if (Events(Number(w))) amx_set_wait_cursor(Number(w), p == MousePointer::kHourglass);
}

void WebPlatform::SetTooltip(WindowHandle w, int tool_id, const PixelRect& r,
                             std::u16string_view text) {
  if (Events(Number(w))) {
    amx_set_tooltip(Number(w), tool_id, r.left, r.top, r.right, r.bottom, Text(text).c_str());
  }
}

// The page asks for the labels again once the event is over (DescribeLabels).
void WebPlatform::NotifyAccessibleChange(WindowHandle w, int label, AccessibleChange change) {
  if (Events(Number(w))) amx_labels_changed(Number(w), label, change == AccessibleChange::kName);
}

void WebPlatform::DescribeLabels(int window) {
  WindowEvents* events = Events(window);
  if (!events) return;
  const std::vector<AccessibleLabel> labels = events->OnDescribeLabels();
  amx_labels_begin(window);
  int number = 0;
  for (const AccessibleLabel& label : labels) {
    amx_label(window, ++number, static_cast<int>(label.role), label.rect.left, label.rect.top,
              label.rect.right, label.rect.bottom, label.shown, Text(label.name).c_str());
  }
  amx_labels_end(window);
}

void WebPlatform::Paint(int window, const PixelRect& dirty) {
  WindowEvents* events = Events(window);
  if (!events) return;
  amx_paint_begin(window, dirty.left, dirty.top, dirty.right, dirty.bottom);
  WebCanvas canvas(window, dirty);
  events->OnPaint(canvas);
  amx_paint_end(window);
}

EditHandle WebPlatform::CreateEdit(WindowHandle parent, const EditSpec& params) {
  if (!Events(Number(parent))) throw RuntimeError("The system cannot create the text box");
  const int number = next_edit_++;
  const PixelRect& r = params.rect;
  const std::u16string_view name =
      params.accessible_name.empty() ? kUnnamedBox : params.accessible_name;
  amx_edit_create(Number(parent), number, r.left, r.top, r.right, r.bottom,
                  Face(params.font).c_str(), Pixels(params.font), params.font.bold,
                  params.font.italic, Css(params.text_color), Css(SystemColor(5)),
                  params.align == Align::kCenter, params.max_length, params.visible,
                  Text(name).c_str());
  return reinterpret_cast<EditHandle>(static_cast<std::uintptr_t>(number));
}

std::u16string WebPlatform::GetEditText(EditHandle e) {
  std::u16string text(static_cast<std::size_t>(amx_edit_length(EditNumber(e))), u'\0');
  amx_edit_text(EditNumber(e), text.data(), static_cast<int>(text.size()));
  return text;
}

void WebPlatform::SetEditText(EditHandle e, std::u16string_view text) {
  amx_edit_set_text(EditNumber(e), Text(text).c_str());
}

void WebPlatform::SetEditVisible(EditHandle e, bool visible) {
  amx_edit_visible(EditNumber(e), visible);
}

void WebPlatform::FocusEdit(EditHandle e) {
  amx_edit_focus(EditNumber(e));
}

void WebPlatform::StartTimer(WindowHandle w, int timer_id, unsigned interval_ms) {
  if (Events(Number(w))) amx_timer_start(Number(w), timer_id, interval_ms);
}

void WebPlatform::StopTimer(WindowHandle w, int timer_id) {
  amx_timer_stop(Number(w), timer_id);
}

// A null region gives the window back its whole rectangle; a region is the window's now.
int WebPlatform::SetWindowRgn(WindowHandle w, RegionHandle r, int) {
  if (!Events(Number(w))) return 0;
  std::vector<int> corners;
  if (r) {
    for (const PixelRect& rect : r->model.Rectangles()) {
      corners.insert(corners.end(), {rect.left, rect.top, rect.right, rect.bottom});
    }
  }
  amx_window_shape(Number(w), corners.data(), r ? static_cast<int>(corners.size() / 4) : -1);
  delete r;
  return 1;
}

// The page captures the pointer for every press, as the window system grabs it; the capture
// only tells a window when it has lost the mouse to another or let it go.
WindowHandle WebPlatform::SetCapture(WindowHandle w) {
  const int previous = capture_;
  if (!Events(Number(w))) return HandleOf(previous);
  capture_ = Number(w);
  if (previous && previous != capture_) CaptureLost(previous);
  return HandleOf(previous);
}

int WebPlatform::ReleaseCapture() {
  if (const int had = std::exchange(capture_, 0)) CaptureLost(had);
  return 1;
}

void WebPlatform::PointerLost(int window) {
  if (capture_ == window) ReleaseCapture();
}

void WebPlatform::CaptureLost(int window) {
  if (WindowEvents* events = Events(window)) events->OnCaptureLost();
}

std::intptr_t WebPlatform::SendMessageA(WindowHandle w, unsigned msg, std::uintptr_t wparam,
                                        std::intptr_t) {
  if (Events(Number(w)) && msg == kWmNcLButtonDown && wparam == kHtCaption) {
    amx_begin_move(Number(w));
  }
  return 0;
}

// A new tab, which learns nothing of this page; whether it opened is not known.
std::intptr_t WebPlatform::ShellExecuteA(WindowHandle, const char*, const char* file, const char*,
                                         const char*, int) {
  if (file) amx_open(file);
  return kShellOk;
}

TwipsPerPixel WebPlatform::ScreenTwipsPerPixel() {
  constexpr float kRatio = 1440.0f / kCssPixelsPerInch;
  return {kRatio, kRatio};
}

void WebPlatform::Quit() {
  if (std::exchange(ended_, true)) return;
  amx_end(0);
}

void WebPlatform::Terminate() {
  Quit();
}

void WebPlatform::ReportFatal(std::u16string_view message) {
  if (std::exchange(ended_, true)) return;
  amx_fatal(Text(message).c_str());
}

}  // namespace amorix
