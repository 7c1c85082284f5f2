#pragma once
// The native side of one form window: what the window procedure needs between messages (the
// behaviour's events, the mouse pointer, the edits with their colours and the one that last had
// the focus, the tooltip control, made after the window's first paint), and what it tells
// assistive programs.
//
// The object is attached to its window at WM_NCCREATE and freed at WM_NCDESTROY. A behaviour may
// destroy its own window from inside any event, so the procedure returns at once after calling
// into the behaviour and never touches the object again in that message.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace amorix {
class Win32Platform;
}

namespace amorix::win32 {

// The text of an edit.
std::u16string TextOf(HWND edit);

class FormWindow {
 public:
  FormWindow(Win32Platform& platform, WindowEvents& events, Color background);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  // The window class shared by all forms, registered once per process.
  static const wchar_t* ClassName(HINSTANCE instance);
  // The object of a form window; null for any other window (or a form being torn down).
  static FormWindow* From(HWND window);
  // Creates the window; `owner` hands the object over at WM_NCCREATE.
  static HWND Create(std::unique_ptr<FormWindow>& owner, DWORD ex_style, const wchar_t* caption,
                     const RECT& bounds, HINSTANCE instance);

  // The icons WM_GETICON answers with, set before the window is made. Answering the query,
  // rather than handing them over with WM_SETICON, spares the window system converting them
  // for every window as it is made: whoever shows an icon asks for it.
  void SetIcons(HICON big, HICON small) {
    big_icon_ = big;
    small_icon_ = small;
  }
  void SetPointer(MousePointer pointer);
  HWND CreateEdit(const EditSpec& params, HFONT font);
  void SetTooltip(int tool_id, const RECT& rect, const wchar_t* text);
  WindowEvents& events() const { return events_; }
  std::vector<HWND> Edits() const;  // in creation order

 private:
  struct Edit {
    HWND hwnd;
    Color text_color;
    std::wstring name;
    bool named = false;
  };

  static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) noexcept;
  LRESULT Handle(UINT msg, WPARAM wparam, LPARAM lparam) noexcept;
  void Paint() noexcept;
  bool SetCursorFor(HWND under_mouse, UINT hit_test);
  const Edit* FindEdit(HWND window) const;
  HWND EditToFocus() const;
  static LRESULT CALLBACK EditProcedure(HWND edit, UINT msg, WPARAM wparam, LPARAM lparam) noexcept;
  bool TakeHalfCharacter(HWND edit, wchar_t unit);
  void NameEdits();

  Win32Platform& platform_;
  WindowEvents& events_;
  Color background_;
  HWND hwnd_ = nullptr;
  MousePointer pointer_ = MousePointer::kDefault;
  std::vector<Edit> edits_;  // in creation order, which is the tab order
  HWND last_focus_ = nullptr;
  bool repairing_ = false;  // an edit's text is being mended: its own changes are not reported
  std::pair<HWND, wchar_t> held_{};  // the first half of a character typed, until its second
  int next_control_id_ = 100;
  HWND tooltip_ = nullptr;  // owned by the form, so the system destroys it with the form
  std::set<int> tools_;
  bool painted_ = false;
  std::map<int, std::pair<RECT, std::wstring>> pending_tools_;  // asked for before the first paint
  HICON big_icon_ = nullptr, small_icon_ = nullptr;  // the platform's, kept for the process
  std::int64_t made_in_tick_;  // the timer tick the window was made in, until its first paint
};

}  // namespace amorix::win32
