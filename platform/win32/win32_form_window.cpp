#include "platform/win32/win32_form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <utility>

#include "app/fit_to_box.h"
#include "platform/common/utf8.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_accessible.h"
#include "platform/win32/win32_canvas.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_stats.h"

namespace amorix::win32 {

namespace {

constexpr wchar_t kClassName[] = L"AmorixForm";
ATOM form_class = 0;
WNDPROC edit_class_procedure = nullptr;  // the system's, shared by every edit
using common::IsHighSurrogate;
using common::IsLowSurrogate;

// Posted after a window's first paint, to make the tooltips asked for until then.
constexpr UINT kMakeTooltips = WM_APP + 1;

// Puts what the edit keeps of TEXT (FitToBox) in place of its selection, and so reports the
// change to the behaviour, which may destroy the window.
void Insert(HWND edit, std::u16string_view text) {
  DWORD start = 0, end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const auto kept = static_cast<std::size_t>(::GetWindowTextLengthW(edit)) - (end - start);
  const auto limit =
      static_cast<int>(std::min<LRESULT>(::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), INT_MAX));
  const std::wstring fits = ToWide(FitToBox(text, kept, limit));
  if (fits.empty()) return;
  ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fits.c_str()));
}

// The clipboard's text, up to its end or its first null.
std::u16string Clipboard(HWND owner) {
  std::u16string text;
  if (!::OpenClipboard(owner)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const char16_t*>(::GlobalLock(data))) {
      const std::u16string_view all(units, ::GlobalSize(data) / sizeof(char16_t));
      text = all.substr(0, all.find(u'\0'));
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

// Text can come into an edit by other ways than typing and pasting here: an assistive program's,
// or the system's own paste, which cuts at the limit and can so keep the first half of a pair.
// What the box would not have kept of it goes, so it holds one line of whole characters and the
// name's length counts them.
void MendText(HWND edit) {
  const std::u16string text = TextOf(edit);
  const std::wstring kept = ToWide(FitToBox(text, 0, 0));
  if (kept.size() == text.size()) return;
  ::SendMessageW(edit, EM_SETSEL, 0, -1);
  ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(kept.c_str()));
}

MouseEvent MouseAt(WPARAM wparam, LPARAM lparam, MouseButton button) {
  MouseEvent e;
  e.x = static_cast<short>(LOWORD(lparam));
  e.y = static_cast<short>(HIWORD(lparam));
  e.button = button;
  e.shift = (wparam & MK_SHIFT) != 0;
  e.ctrl = (wparam & MK_CONTROL) != 0;
  e.alt = ::GetKeyState(VK_MENU) < 0;
  return e;
}

MouseButton HeldButton(WPARAM wparam) {
  if (wparam & MK_RBUTTON) return MouseButton::kRight;
  if (wparam & MK_MBUTTON) return MouseButton::kMiddle;
  return MouseButton::kLeft;
}

}  // namespace

std::u16string TextOf(HWND edit) {
  const int length = ::GetWindowTextLengthW(edit);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(std::max(::GetWindowTextW(edit, text.data(), length + 1), 0)));
  return {text.begin(), text.end()};
}

FormWindow::FormWindow(Win32Platform& platform, WindowEvents& events, Color background)
    : platform_(platform),
      events_(events),
      background_(background),
      made_in_tick_(stats::first_tick.Current()) {
  stats::FormWindowMade();
}

FormWindow::~FormWindow() {
  stats::FormWindowGone();
}

const wchar_t* FormWindow::ClassName(HINSTANCE instance) {
  if (!form_class) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &Procedure;
    window_class.hInstance = instance;
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kClassName;
    form_class = ::RegisterClassExW(&window_class);
  }
  return kClassName;
}

FormWindow* FormWindow::From(HWND window) {
  if (!window || !form_class || ::GetClassLongPtrW(window, GCW_ATOM) != form_class) return nullptr;
  return reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND FormWindow::Create(std::unique_ptr<FormWindow>& owner, DWORD ex_style, const wchar_t* caption,
                        const RECT& bounds, HINSTANCE instance) {
  return ::CreateWindowExW(ex_style, ClassName(instance), caption, WS_POPUP | WS_CLIPCHILDREN,
                           bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top, nullptr, nullptr, instance, &owner);
}

LRESULT CALLBACK FormWindow::Procedure(HWND window, UINT msg, WPARAM wparam,
                                       LPARAM lparam) noexcept {
  if (msg == WM_NCCREATE) {
    auto* owner = static_cast<std::unique_ptr<FormWindow>*>(
        reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    FormWindow* self = owner->release();
    self->hwnd_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    const LRESULT created = ::DefWindowProcW(window, msg, wparam, lparam);
    if (!created) {
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      owner->reset(self);
    }
    return created;
  }
  auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, msg, wparam, lparam);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete self;
    return ::DefWindowProcW(window, msg, wparam, lparam);
  }
  return self->Handle(msg, wparam, lparam);
}

// Each call into the behaviour is the last use of `this` in its message.
LRESULT FormWindow::Handle(UINT msg, WPARAM wparam, LPARAM lparam) noexcept {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case kMakeTooltips:
      for (const auto& [id, tool] : std::exchange(pending_tools_, {})) {
        SetTooltip(id, tool.first, tool.second.c_str());
      }
      return 0;
    case WM_GETICON:
      if (big_icon_) return reinterpret_cast<LRESULT>(wparam == ICON_BIG ? big_icon_ : small_icon_);
      break;
    case WM_MOUSEMOVE:
      events_.OnMouseMove(MouseAt(wparam, lparam, HeldButton(wparam)));
      return 0;
    case WM_LBUTTONDOWN:
      events_.OnMouseDown(MouseAt(wparam, lparam, MouseButton::kLeft));
      return 0;
    case WM_RBUTTONDOWN:
      events_.OnMouseDown(MouseAt(wparam, lparam, MouseButton::kRight));
      return 0;
    case WM_MBUTTONDOWN:
      events_.OnMouseDown(MouseAt(wparam, lparam, MouseButton::kMiddle));
      return 0;
    case WM_LBUTTONUP:
      events_.OnMouseUp(MouseAt(wparam, lparam, MouseButton::kLeft));
      return 0;
    case WM_RBUTTONUP:
      events_.OnMouseUp(MouseAt(wparam, lparam, MouseButton::kRight));
      return 0;
    case WM_MBUTTONUP:
      events_.OnMouseUp(MouseAt(wparam, lparam, MouseButton::kMiddle));
      return 0;
    case WM_TIMER: {
      common::FirstTick::Scope tick(stats::first_tick);
      events_.OnTimer(static_cast<int>(wparam));
      return 0;
    }
    case WM_CLOSE:
      events_.OnCloseRequest();
      return 0;
    case WM_GETOBJECT:
      if (const LRESULT object = accessible::Answer(hwnd_, wparam, lparam)) {
        NameEdits();
        return object;
      }
      break;
    case accessible::kLabelAction:
      events_.OnLabelAction(static_cast<int>(wparam));
      return 0;
    case WM_DESTROY:
      for (Edit& edit : edits_) {
        if (std::exchange(edit.named, false)) accessible::ForgetEditName(edit.hwnd);
      }
      break;
    case WM_CAPTURECHANGED:
      events_.OnCaptureLost();
      return 0;
    case WM_COMMAND: {
      HWND child = reinterpret_cast<HWND>(lparam);
      if (!child || !FindEdit(child)) break;
      if (HIWORD(wparam) == EN_SETFOCUS) last_focus_ = child;
      if (HIWORD(wparam) == EN_CHANGE && !repairing_) {
        repairing_ = true;
        MendText(child);
        repairing_ = false;
        events_.OnEditChange(ToEditHandle(child));
      }
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (const Edit* edit = FindEdit(reinterpret_cast<HWND>(lparam))) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        ::SetTextColor(dc, ToColorRef(edit->text_color));
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_SETCURSOR:
      if (SetCursorFor(reinterpret_cast<HWND>(wparam), LOWORD(lparam))) return TRUE;
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE && !HIWORD(wparam)) {
        if (HWND edit = EditToFocus()) {
          ::SetFocus(edit);
          return 0;
        }
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, msg, wparam, lparam);
}

// The dirty area is composed a band of rows at a time in the kept buffer; each band goes to the
// screen whole.
void FormWindow::Paint() noexcept {
  stats::first_tick.Lap("wm_paint");
  PaintGuard paint(hwnd_);
  const RECT dirty = paint.dirty();
  if (!paint.dc() || ::IsRectEmpty(&dirty)) return;
  HDC memory = platform_.paint_buffer().Get(paint.dc(), dirty.right - dirty.left);
  if (!memory) return;
  stats::first_tick.Lap("paint_buffer");
  // Locals from here on: the behaviour's paint is the last use of `this`.
  HWND window = hwnd_;
  WindowEvents& events = events_;
  FontCache& fonts = platform_.fonts();
  PictureCache& pictures = platform_.pictures();
  const Color background = background_;
  const std::int64_t tick = std::exchange(made_in_tick_, 0);
  const bool first = !std::exchange(painted_, true);
  for (LONG top = dirty.top; top < dirty.bottom && ::IsWindow(window);
       top += PaintBuffer::kBandRows) {
    const RECT band{dirty.left, top, dirty.right,
                    std::min<LONG>(top + PaintBuffer::kBandRows, dirty.bottom)};
    ::SetWindowOrgEx(memory, band.left, band.top, nullptr);
    ::SelectClipRgn(memory, nullptr);
    ::IntersectClipRect(memory, band.left, band.top, band.right, band.bottom);
    Win32Canvas canvas(memory, ToPixelRect(band), fonts, pictures);
    canvas.FillRect(ToPixelRect(band), background);
    events.OnPaint(canvas);
    ::BitBlt(paint.dc(), band.left, band.top, band.right - band.left, band.bottom - band.top,
             memory, band.left, band.top, SRCCOPY);
  }
  stats::AddPaintedPixels(static_cast<long long>(dirty.right - dirty.left) *
                          (dirty.bottom - dirty.top));
  stats::first_tick.FirstPaintDone(tick);
  stats::Mark(tick ? stats::Stage::kTickPaint : stats::Stage::kFirstPaint);
  if (first && ::IsWindow(window)) ::PostMessageW(window, kMakeTooltips, 0, 0);
}

bool FormWindow::SetCursorFor(HWND under_mouse, UINT hit_test) {
  // Over a child edit the edit shows its own I-beam.
  if (under_mouse != hwnd_ || hit_test != HTCLIENT) return false;
  ::SetCursor(::LoadCursorW(nullptr, pointer_ == MousePointer::kHourglass ? IDC_WAIT : IDC_ARROW));
  return true;
}

void FormWindow::SetPointer(MousePointer pointer) {
  pointer_ = pointer;
  // The change shows at once, even when a blocking call follows before the next mouse move.
  POINT cursor{};
  if (::GetCursorPos(&cursor) && ::WindowFromPoint(cursor) == hwnd_) SetCursorFor(hwnd_, HTCLIENT);
}

const FormWindow::Edit* FormWindow::FindEdit(HWND window) const {
  auto found = std::ranges::find(edits_, window, &Edit::hwnd);
  return found == edits_.end() ? nullptr : &*found;
}

std::vector<HWND> FormWindow::Edits() const {
  std::vector<HWND> windows;
  for (const Edit& edit : edits_) windows.push_back(edit.hwnd);
  return windows;
}

void FormWindow::NameEdits() {
  for (Edit& edit : edits_) {
    if (edit.named || edit.name.empty()) continue;
    accessible::NameEdit(edit.hwnd, edit.name.c_str());
    edit.named = true;
  }
}

HWND FormWindow::EditToFocus() const {
  const auto visible = [](HWND edit) {
    return (::GetWindowLongPtrW(edit, GWL_STYLE) & WS_VISIBLE) != 0;
  };
  if (last_focus_ && visible(last_focus_)) return last_focus_;
  auto first = std::ranges::find_if(edits_, visible, &Edit::hwnd);
  return first == edits_.end() ? nullptr : first->hwnd;
}

HWND FormWindow::CreateEdit(const EditSpec& params, HFONT font) {
  const DWORD style = WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL |
                      (params.align == Align::kCenter ? ES_CENTER : ES_LEFT) |
                      (params.visible ? WS_VISIBLE : 0);
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  HWND edit = ::CreateWindowExW(0, L"EDIT", L"", style, params.rect.left, params.rect.top,
                                params.rect.Width(), params.rect.Height(), hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(next_control_id_++)),
                                instance, nullptr);
  if (!edit) return nullptr;
  edits_.push_back({edit, params.text_color, ToWide(params.accessible_name)});
  if (accessible::InUse()) NameEdits();
  if (font) ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // Without a limit of its own an edit stops at 32,767 characters; 0 lifts that.
  ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(std::max(params.max_length, 0)), 0);
  const auto system = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProcedure)));
  if (!edit_class_procedure) edit_class_procedure = system;
  return edit;
}

// An edit's own procedure sees the characters typed, and what is pasted, before the system's does.
LRESULT CALLBACK FormWindow::EditProcedure(HWND edit, UINT msg, WPARAM wparam,
                                           LPARAM lparam) noexcept {
  if (msg == WM_PASTE) {
    Insert(edit, Clipboard(edit));
    return 0;
  }
  if (msg == WM_CHAR) {
    FormWindow* form = From(::GetParent(edit));
    if (form && form->TakeHalfCharacter(edit, static_cast<wchar_t>(wparam))) return 0;
  }
  return ::CallWindowProcW(edit_class_procedure, edit, msg, wparam, lparam);
}

// A character beyond the Basic Multilingual Plane is typed as two WM_CHARs, its high half first.
// The first is held until the second comes; the pair then goes in whole if both halves fit, or
// not at all. A half without its other half is dropped. True when the unit was taken here.
bool FormWindow::TakeHalfCharacter(HWND edit, wchar_t unit) {
  const auto [held_in, held] = std::exchange(held_, {});
  if (IsHighSurrogate(unit)) {
    held_ = {edit, unit};
    return true;
  }
  if (!IsLowSurrogate(unit)) return false;
  if (held_in != edit || !held) return true;
  const char16_t pair[] = {static_cast<char16_t>(held), static_cast<char16_t>(unit)};
  Insert(edit, {pair, 2});  // the last use of `this`
  return true;
}

void FormWindow::SetTooltip(int tool_id, const RECT& rect, const wchar_t* text) {
  // A tooltip shows only over a painted window: the control waits for the first paint.
  if (!painted_) {
    if (*text) {
      pending_tools_[tool_id] = {rect, text};
    } else {
      pending_tools_.erase(tool_id);
    }
    return;
  }
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by every version of the common controls
  tool.hwnd = hwnd_;
  tool.uId = static_cast<UINT_PTR>(tool_id);
  const bool known = tools_.contains(tool_id);
  if (!*text) {
    if (known) ::SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tools_.erase(tool_id);
    return;
  }
  if (!tooltip_) {
    Win32Platform::LoadCommonControls();
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    tooltip_ =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance, nullptr);
    if (!tooltip_) return;
  }
  tool.uFlags = TTF_SUBCLASS;
  tool.rect = rect;
  tool.lpszText = const_cast<wchar_t*>(text);
  if (known) {
    ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  } else if (::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
    tools_.insert(tool_id);
  }
}

}  // namespace amorix::win32
