#pragma once
// The one interface between Amorix's behaviour and the system it runs on.
//
// Everything above this header (forms, their layouts and handlers, the window registry, the
// outline builder) is plain C++ and never includes <windows.h>. It asks this interface for
// native windows, painting, edit boxes, timers, cursors, tooltips, the region calls, the drag,
// the shell, the screen ratio and the fatal message box. Four backends implement it: Win32 for
// the product, GTK 3 for the native Linux program, the web one for the browser program, and a
// headless one for host tests that records what happened and lets a test move the mouse, click
// and type.
//
// Handles are opaque pointers. The Win32 backend casts its HWND and HRGN values to them; the
// GTK and headless backends point them at their own objects, and the web one carries the
// numbers the page knows its windows and edit boxes by. Region and message calls keep the
// names and argument order of their Win32 counterparts, and their results, as on Windows, are
// the caller's to examine or ignore.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace amorix {

struct NativeWindowTag;
struct NativeEditTag;
struct NativeRegionTag;
using WindowHandle = NativeWindowTag*;  // a top-level window (HWND)
using EditHandle = NativeEditTag*;      // a native edit control (HWND)
using RegionHandle = NativeRegionTag*;  // a GDI region (HRGN)

// Packed RGB with red in the low byte; with the top bit set, the low byte is a system colour index.
using Color = std::uint32_t;
constexpr Color kSystemColorFlag = 0x80000000u;
constexpr Color SystemColor(int index) {
  return kSystemColorFlag | static_cast<Color>(index);
}
constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr bool Contains(int x, int y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
  int width = 0, height = 0;
  friend constexpr bool operator==(const PixelSize&, const PixelSize&) = default;
};

// A screen of 96 pixels per inch has 15 twips in a pixel; the pictures are drawn for it.
constexpr float kTwipsPerPixelAt96 = 15;
struct TwipsPerPixel {
  float x = kTwipsPerPixelAt96, y = kTwipsPerPixelAt96;
};

enum class MouseButton { kLeft, kRight, kMiddle };
struct MouseEvent {
  int x = 0, y = 0;  // client pixels
  MouseButton button = MouseButton::kLeft;
  bool shift = false, ctrl = false, alt = false;
};

enum class Align { kLeft, kCenter };

// A window-wide mouse pointer, by its numeric value: 0 default, 11 hourglass.
enum class MousePointer { kDefault = 0, kHourglass = 11 };

// The classic form's default face, which every backend gives a font that names none.
inline constexpr std::u16string_view kDefaultFace = u"MS Sans Serif";

// An empty face means the default face.
struct FontSpec {
  std::u16string_view face{};
  float points = 8.25f;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  friend constexpr bool operator==(const FontSpec&, const FontSpec&) = default;
};

// Pictures and icons are embedded resources, named by number.
using ResourceId = int;

struct WindowSpec {
  std::u16string_view caption{};
  int client_width = 0, client_height = 0;  // pixels
  bool in_taskbar = true;
  Color background = 0;
  ResourceId icon = 0;
};

struct EditSpec {
  PixelRect rect{};
  FontSpec font{};
  Color text_color = 0;
  Align align = Align::kLeft;
  int max_length = 0;  // UTF-16 units; 0: no limit
  bool visible = true;
  std::u16string_view accessible_name{};  // what a screen reader calls the box
};

// What a screen reader is told of a windowless label. Labels are numbered 1, 2, ... in the order
// their window declares them, hidden ones included, so a number stays the label's for the life of
// its window.
enum class AccessibleRole { kStaticText, kPushButton, kLink };
struct AccessibleLabel {
  std::u16string name;
  AccessibleRole role = AccessibleRole::kStaticText;
  PixelRect rect{};  // client pixels
  bool shown = true;
  friend bool operator==(const AccessibleLabel&, const AccessibleLabel&) = default;
};
enum class AccessibleChange { kName, kShown, kHidden };

// What a native window reports. The behaviour implements it; every call is an event entering
// from the platform, and none may throw.
class Canvas;
class WindowEvents {
 public:
  virtual void OnPaint(Canvas& canvas) noexcept = 0;
  virtual void OnMouseMove(const MouseEvent& e) noexcept = 0;
  virtual void OnMouseDown(const MouseEvent& e) noexcept = 0;
  virtual void OnMouseUp(const MouseEvent& e) noexcept = 0;
  virtual void OnEditChange(EditHandle edit) noexcept = 0;
  virtual void OnTimer(int timer_id) noexcept = 0;
  virtual void OnCloseRequest() noexcept = 0;  // the system asks to close (Alt+F4, taskbar)
  // An assistive program asks what the labels are, or does a label's default action: a click.
  virtual std::vector<AccessibleLabel> OnDescribeLabels() noexcept = 0;
  virtual void OnLabelAction(int label) noexcept = 0;
  // The window lost the mouse capture: released, or taken by another window (WM_CAPTURECHANGED).
  virtual void OnCaptureLost() noexcept {}

 protected:
  ~WindowEvents() = default;
};

// Drawing on a window during a paint. Coordinates are client pixels.
class Canvas {
 public:
  virtual PixelRect Dirty() const = 0;
  virtual void FillRect(const PixelRect& r, Color c) = 0;
  virtual void FrameRect(const PixelRect& r, Color c, int width) = 0;
  // A picture's own size in pixels; zero when there is none.
  virtual PixelSize PictureSize(ResourceId picture) = 0;
  // The picture stretched smoothly over `dest`; at its own size it is copied pixel for pixel.
  virtual void DrawPicture(ResourceId picture, const PixelRect& dest) = 0;
  virtual void PaintText(const PixelRect& r, std::u16string_view text, const FontSpec& font,
                         Color color, Align align) = 0;  // word-wrapped, transparent

 protected:
  ~Canvas() = default;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Top-level windows: borderless, created hidden and centred on the screen.
  virtual WindowHandle CreateFormWindow(const WindowSpec& params, WindowEvents& events) = 0;
  virtual void ShowFormWindow(WindowHandle w, bool visible) = 0;
  virtual void DestroyFormWindow(WindowHandle w) = 0;
  virtual void Invalidate(WindowHandle w, const PixelRect& r) = 0;
  virtual void SetMousePointer(WindowHandle w, MousePointer p) = 0;
  virtual void SetTooltip(WindowHandle w, int tool_id, const PixelRect& r,
                          std::u16string_view text) = 0;  // empty text removes the tool
  // Tells assistive programs that a label was renamed, shown or hidden.
  virtual void NotifyAccessibleChange(WindowHandle w, int label, AccessibleChange change) = 0;

  // Edit boxes, children of a form window. Tab order is the order of creation.
  virtual EditHandle CreateEdit(WindowHandle parent, const EditSpec& params) = 0;
  virtual std::u16string GetEditText(EditHandle e) = 0;
  virtual void SetEditText(EditHandle e, std::u16string_view text) = 0;
  virtual void SetEditVisible(EditHandle e, bool visible) = 0;
  virtual void FocusEdit(EditHandle e) = 0;

  virtual void StartTimer(WindowHandle w, int timer_id, unsigned interval_ms) = 0;
  virtual void StopTimer(WindowHandle w, int timer_id) = 0;

  // GDI regions.
  static constexpr int kRgnOr = 2;
  static constexpr int kRgnCopy = 5;
  virtual RegionHandle CreateRectRgn(int left, int top, int right, int bottom) = 0;
  virtual RegionHandle CreateEllipticRgn(int left, int top, int right, int bottom) = 0;
  virtual RegionHandle CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipse_w,
                                          int ellipse_h) = 0;
  virtual int CombineRgn(RegionHandle dest, RegionHandle src1, RegionHandle src2, int mode) = 0;
  virtual int DeleteObject(RegionHandle r) = 0;
  virtual int SetWindowRgn(WindowHandle w, RegionHandle r, int redraw) = 0;

  // USER calls behind the drag and a label's press. SetCapture answers the window that had the
  // capture before (null for none). The system's move of a window starts with the message a press
  // on its caption sends: SendMessageA(w, kWmNcLButtonDown, kHtCaption, 0).
  static constexpr unsigned kWmNcLButtonDown = 0xA1;
  static constexpr std::uintptr_t kHtCaption = 2;
  virtual WindowHandle SetCapture(WindowHandle w) = 0;
  virtual int ReleaseCapture() = 0;
  virtual std::intptr_t SendMessageA(WindowHandle w, unsigned msg, std::uintptr_t wparam,
                                     std::intptr_t lparam) = 0;

  // The shell's ShellExecuteA, bound by name on first use; a failure to bind throws RuntimeError.
  virtual std::intptr_t ShellExecuteA(WindowHandle w, const char* operation, const char* file,
                                      const char* parameters, const char* directory,
                                      int show_command) = 0;

  virtual TwipsPerPixel ScreenTwipsPerPixel() = 0;

  // A window that will be shown soon: while the program waits (the splash's seconds), the
  // platform may get its picture and fonts ready, so its first paint finds them made. No window
  // is made and nothing the program sees changes; doing nothing is correct.
  virtual void PrepareAhead(ResourceId picture, std::span<const FontSpec> fonts) {
    (void)picture;
    (void)fonts;
  }

  // The process. Quit ends the message loop once the current event is over; Terminate and
  // ReportFatal end the process at once (the headless backend only records it).
  virtual void RunMessageLoop() = 0;
  virtual void Quit() = 0;
  virtual void Terminate() = 0;
  virtual void ReportFatal(std::u16string_view message) = 0;
};

}  // namespace amorix
