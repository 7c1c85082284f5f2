#pragma once
// The platform that host tests run the whole program on, with no window system at all.
//
// It keeps a model of what Windows would hold (top-level windows, their edit boxes, timers,
// tooltips and regions) and records every call the program makes, so a test can check both what
// the program asked for and what a user would see. The handles it gives out point at those model
// objects. A test then acts as the user: it moves the mouse, presses and clicks, types, pastes,
// tabs, lets timers fire, asks windows to close and has them painted.
//
// User actions are delivered the way Windows would deliver them: only to a live, shown window,
// only at a pixel its region shows, to an edit box when the point lies on a shown one (a press
// focuses it) and otherwise to the window's events; nothing is delivered once the message loop
// has been left (Quit) or the process has ended (Terminate, ReportFatal). Showing a window makes
// it the active one, and the keyboard focus returns to the edit it last had focused, or else to
// its first shown edit. A press that starts the system's move of the window (WM_NCLBUTTONDOWN
// with HTCAPTION) is followed by no mouse-up: the move loop takes the release. Timers fire on
// hidden windows too. While a window holds the mouse capture, every mouse action goes to it, in
// its client coordinates, wherever it happens. SetEditText notifies the edit's window at once, as
// EN_CHANGE does, even when the text stays the same; typing and pasting notify only when the text
// changed.
//
// The call log holds one line per platform call, in order, in the form Name(arg,arg,...), with
// "->result" appended for calls that return a handle or a value (not a status code):
//   CreateFormWindow(Amorix-Nimbus,600,342)->Amorix-Nimbus   ShowFormWindow(Amorix-Nimbus,1)
//   CreateEdit(Amorix-Nimbus,48,144,249,177,20)->Amorix-Nimbus#1   SetEditText(Amorix-Nimbus#1,60)
//   GetEditText(Amorix-Nimbus#1)->60   StartTimer(Splash,1,3000)   Invalidate(Main,1,2,3,4)
//   CreateRectRgn(0,0,0,0)->R1   CombineRgn(R2,R1,R1,5)   DeleteObject(R2)
//   SetWindowRgn(Amorix-Nimbus,R1,-1)   ReleaseCapture()   SendMessageA(Amorix-Nimbus,161,2,0)
//   ShellExecuteA(Help,open,https://example.com,,,5)   SetMousePointer(Terms,11)
//   SetTooltip(Main,3,10,20,110,40,HELP)   ScreenTwipsPerPixel()->15,15   Quit()
//   NotifyAccessibleChange(Main,12,name)   (name, shown or hidden)
//   SetCapture(Main)->null   PrepareAhead(101,5)   (a picture and a count of fonts)
// Windows are named by caption, edits by their window's caption and their number in creation
// order ("#1"), regions R1, R2... in order of creation; a null handle or string is "null", text is
// UTF-8. Rectangles are left,top,right,bottom; booleans 0 or 1.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/recording_canvas.h"
#include "platform/platform.h"
#include "platform/regions/region_model.h"

namespace amorix {
namespace headless {

struct Tooltip {
  PixelRect rect;
  std::u16string text;
};
struct WindowInfo {
  std::u16string caption;
  int client_width = 0, client_height = 0;
  bool in_taskbar = true;
  Color background = 0;
  ResourceId icon = 0;
  bool alive = false, visible = false;
  int x = 0, y = 0;  // top-left corner on the screen
  MousePointer pointer = MousePointer::kDefault;
  RegionHandle region = nullptr;   // applied by SetWindowRgn; null: the whole client area
  std::map<int, unsigned> timers;  // running timers: id -> interval in ms
  std::map<int, Tooltip> tooltips;
  std::vector<EditHandle> edits;  // in creation order
  int drags = 0;                  // moves started with WM_NCLBUTTONDOWN, HTCAPTION
  std::vector<PixelRect> invalidations;
};
struct EditInfo {
  WindowHandle parent = nullptr;
  int number = 0;  // 1, 2, ... in its window's creation order
  PixelRect rect;
  headless::RecordedFont font;
  Color text_color = 0;
  Align align = Align::kLeft;
  int max_length = 0;
  bool alive = false, visible = false;
  std::u16string text;
};
struct Keys {
  bool shift = false, ctrl = false, alt = false;
};
enum class Hit { kNothing, kWindow, kEdit };  // where a mouse action went

}  // namespace headless

class HeadlessPlatform final : public Platform {
 public:
  using Tooltip = headless::Tooltip;
  using WindowInfo = headless::WindowInfo;
  using EditInfo = headless::EditInfo;
  using Keys = headless::Keys;
  using Hit = headless::Hit;

  HeadlessPlatform();
  ~HeadlessPlatform() override;
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  // Platform.
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
  RegionHandle CreateRectRgn(int left, int top, int right, int bottom) override;
  RegionHandle CreateEllipticRgn(int left, int top, int right, int bottom) override;
  RegionHandle CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipse_w,
                                  int ellipse_h) override;
  int CombineRgn(RegionHandle dest, RegionHandle src1, RegionHandle src2, int mode) override;
  int DeleteObject(RegionHandle r) override;
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

  // The screen and injected faults.
  void SetScreenSize(int width, int height) { screen_width_ = width, screen_height_ = height; }
  void SetTwipsPerPixel(TwipsPerPixel ratio) { ratio_ = ratio; }
  // The pictures have no pixels here: a paint reports the size given here, or none.
  void SetPictureSize(ResourceId picture, PixelSize size) { picture_sizes_[picture] = size; }
  void FailRegionCalls(bool fail) { fail_region_calls_ = fail; }  // GDI calls: null handles, 0
  void FailSetWindowRgn(bool fail) { fail_set_window_rgn_ = fail; }
  void FailShellBinding(bool fail) { fail_shell_binding_ = fail; }       // ShellExecuteA throws
  void SetShellResult(std::intptr_t result) { shell_result_ = result; }  // > 32 is success
  void SetDragMove(int dx, int dy) { drag_dx_ = dx, drag_dy_ = dy; }     // applied by each drag

  // The call log. Log(calls) keeps the lines of the named calls only.
  const std::vector<std::string>& Log() const { return log_; }
  std::vector<std::string> Log(std::initializer_list<std::string_view> calls) const;
  void ClearLog();  // also forgets every window's invalidations

  // The process.
  bool quit_called() const { return quit_; }
  bool terminated() const { return terminated_; }
  const std::vector<std::u16string>& fatal_messages() const { return fatal_; }
  bool Running() const { return !quit_ && !Ended(); }  // user actions are delivered

  // Windows, including destroyed ones.
  WindowHandle Window(std::u16string_view caption) const;  // the newest live one, or null
  std::vector<std::u16string> VisibleCaptions() const;     // in creation order
  std::vector<WindowHandle> AllWindows() const;
  const WindowInfo& Info(WindowHandle w) const;
  bool IsAlive(WindowHandle w) const { return Info(w).alive; }
  bool IsVisible(WindowHandle w) const { return Info(w).visible; }
  PixelRect ClientRect(WindowHandle w) const;  // 0, 0, width, height
  PixelRect ScreenRect(WindowHandle w) const;  // where the client area lies on the screen
  std::optional<PixelRect> RegionBox(WindowHandle w) const;  // none without an applied region
  bool Shows(WindowHandle w, int x, int y) const;            // a live window's client pixel
  int drags(WindowHandle w) const { return Info(w).drags; }
  long long InvalidatedArea(WindowHandle w) const;  // pixels, each rect cut to the client area
  std::u16string TooltipAt(WindowHandle w, int x, int y) const;
  WindowHandle ActiveWindow() const;

  // What the program asked to have ready ahead, in order.
  const std::vector<ResourceId>& prepared_pictures() const { return prepared_pictures_; }
  const std::vector<headless::RecordedFont>& prepared_fonts() const { return prepared_fonts_; }

  // Regions. A region a window owns stays live until the window drops it.
  int LiveRegions() const { return live_regions_; }
  int UnownedLiveRegions() const;  // what the program still has to free
  int deletes_of_owned_regions() const { return deletes_of_owned_; }
  int uses_of_owned_regions() const { return uses_of_owned_; }  // any other call on one
  int uses_of_freed_regions() const { return uses_of_freed_; }
  const regions::RegionModel* Region(RegionHandle r) const;  // null when null or freed
  std::string RegionName(RegionHandle r) const;

  // Edits.
  const EditInfo& Info(EditHandle e) const;
  const std::u16string& EditText(EditHandle e) const { return Info(e).text; }
  EditHandle FocusedEdit() const;

  // Acting as the user. Coordinates are client pixels.
  Hit MoveMouse(WindowHandle w, int x, int y, Keys keys = {});
  Hit Press(WindowHandle w, int x, int y, MouseButton button = MouseButton::kLeft, Keys keys = {});
  Hit Release(WindowHandle w, int x, int y, MouseButton button = MouseButton::kLeft,
              Keys keys = {});
  Hit Click(WindowHandle w, int x, int y);  // left press and release
  // Another program takes the mouse capture (a system dialog, Alt+Tab); false if none was held.
  bool TakeCaptureAway();
  // Keyboard input goes to the focused edit, at the end of its text, kept as a box of one line
  // keeps it (FitToBox). Type enters one character (a surrogate pair is one) at a time; each that
  // is kept changes the text and notifies. All return false when no edit had the focus.
  bool Type(std::u16string_view text);
  bool Backspace();
  bool Paste(std::u16string_view text);
  bool Tab();                                    // to the next shown edit of the window, wrapping
  bool FireTimer(WindowHandle w, int timer_id);  // only a running timer of a live window
  bool CloseRequest(WindowHandle w);             // as Alt+F4 would
  // As a screen reader: a window's labels (none for a dead window), and a label's default action,
  // delivered only to a live, shown window.
  std::vector<AccessibleLabel> DescribeLabels(WindowHandle w) const;
  bool DoLabelAction(WindowHandle w, int label);
  headless::Drawing Paint(WindowHandle w);  // the whole client area
  headless::Drawing Paint(WindowHandle w, const PixelRect& dirty);

 private:
  NativeWindowTag* Live(WindowHandle w) const;
  NativeEditTag* Live(EditHandle e) const;
  NativeRegionTag* Usable(RegionHandle r);  // counts the use of a freed or owned region
  RegionHandle AddRegion(const char* call, std::string args, regions::RegionModel model);
  void FreeRegion(NativeRegionTag* region);
  void Record(std::string line) { log_.push_back(std::move(line)); }
  std::string Name(WindowHandle w) const;
  std::string Name(EditHandle e) const;
  bool Ended() const { return terminated_ || !fatal_.empty(); }
  bool Deliverable(const NativeWindowTag* w) const;
  void Activate(NativeWindowTag* w);
  void Deactivate(NativeWindowTag* w);
  NativeEditTag* KeyboardTarget() const;
  void ChangeText(NativeEditTag* edit, std::u16string text);
  void Insert(NativeEditTag* edit, std::u16string_view text);
  Hit Mouse(WindowHandle w, int x, int y, MouseButton button, Keys keys, int kind);

  std::vector<std::unique_ptr<NativeWindowTag>> windows_;
  std::vector<std::unique_ptr<NativeEditTag>> edits_;
  std::vector<std::unique_ptr<NativeRegionTag>> regions_;
  std::vector<NativeWindowTag*> z_order_;  // shown windows, the active one last
  std::vector<std::string> log_;

  int screen_width_ = 1024, screen_height_ = 768;
  TwipsPerPixel ratio_;
  std::map<ResourceId, PixelSize> picture_sizes_;
  bool fail_region_calls_ = false, fail_set_window_rgn_ = false, fail_shell_binding_ = false;
  std::intptr_t shell_result_ = 42;
  int drag_dx_ = 0, drag_dy_ = 0;

  int live_regions_ = 0, deletes_of_owned_ = 0, uses_of_owned_ = 0, uses_of_freed_ = 0;
  bool quit_ = false, terminated_ = false;
  std::vector<std::u16string> fatal_;
  bool pressing_ = false, press_dragged_ = false;
  NativeWindowTag* capture_ = nullptr;  // the window SetCapture gave the mouse to
  std::vector<ResourceId> prepared_pictures_;
  std::vector<headless::RecordedFont> prepared_fonts_;
};

}  // namespace amorix
