#include "platform/win32/win32_platform.h"

#include <commctrl.h>

#include <memory>

#include "app/runtime_error.h"
#include "platform/win32/win32_canvas.h"
#include "platform/win32/win32_form_window.h"

namespace amorix {

using win32::FormWindow;

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance), pictures_(instance) {
  static const BOOL common_controls = [] {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&classes);
  }();
  (void)common_controls;
  FormWindow::ClassName(instance);
}

Win32Platform::~Win32Platform() = default;

WindowHandle Win32Platform::CreateFormWindow(const WindowSpec& spec, WindowEvents& events) {
  // No frame: the window is exactly its client area, centred on the screen.
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - spec.client_width) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - spec.client_height) / 2;
  const RECT bounds{left, top, left + spec.client_width, top + spec.client_height};
  auto owner = std::make_unique<FormWindow>(*this, events, spec.background);
  const std::wstring caption = ToWide(spec.caption);
  HWND window = FormWindow::Create(owner, spec.in_taskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW,
                                   caption.c_str(), bounds, instance_);
  if (!window) throw RuntimeError("The system cannot create the window");
  if (spec.icon) {
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon(spec.icon, true)));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(Icon(spec.icon, false)));
  }
  return ToWindowHandle(window);
}

HICON Win32Platform::Icon(ResourceId id, bool big) {
  win32::UniqueIcon& icon = icons_[{id, big}];
  if (!icon) {
    icon.reset(
        static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                        ::GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON),
                                        ::GetSystemMetrics(big ? SM_CYICON : SM_CYSMICON), 0)));
  }
  return icon.get();
}

void Win32Platform::ShowFormWindow(WindowHandle w, bool visible) {
  ::ShowWindow(ToHwnd(w), visible ? SW_SHOW : SW_HIDE);
}

void Win32Platform::DestroyFormWindow(WindowHandle w) {
  ::DestroyWindow(ToHwnd(w));
}

void Win32Platform::Invalidate(WindowHandle w, const PixelRect& r) {
  const RECT rect = win32::ToRect(r);
  ::InvalidateRect(ToHwnd(w), &rect, FALSE);
}

void Win32Platform::SetMousePointer(WindowHandle w, MousePointer p) {
  if (FormWindow* form = FormWindow::From(ToHwnd(w))) form->SetPointer(p);
}

void Win32Platform::SetTooltip(WindowHandle w, int tool_id, const PixelRect& r,
                               std::u16string_view text) {
  if (FormWindow* form = FormWindow::From(ToHwnd(w))) {
    form->SetTooltip(tool_id, win32::ToRect(r), ToWide(text).c_str());
  }
}

EditHandle Win32Platform::CreateEdit(WindowHandle parent, const EditSpec& spec) {
  FormWindow* form = FormWindow::From(ToHwnd(parent));
  HWND edit = form ? form->CreateEdit(spec, fonts_.Get(spec.font)) : nullptr;
  if (!edit) throw RuntimeError("The system cannot create the text box");
  return ToEditHandle(edit);
}

std::u16string Win32Platform::GetEditText(EditHandle e) {
  const int length = ::GetWindowTextLengthW(ToHwnd(e));
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(ToHwnd(e), text.data(), length + 1);
  return {text.begin(), text.begin() + std::max(copied, 0)};
}

void Win32Platform::SetEditText(EditHandle e, std::u16string_view text) {
  ::SetWindowTextW(ToHwnd(e), ToWide(text).c_str());
}

void Win32Platform::SetEditVisible(EditHandle e, bool visible) {
  ::ShowWindow(ToHwnd(e), visible ? SW_SHOW : SW_HIDE);
}

void Win32Platform::FocusEdit(EditHandle e) {
  ::SetFocus(ToHwnd(e));
}

void Win32Platform::StartTimer(WindowHandle w, int timer_id, unsigned interval_ms) {
  ::SetTimer(ToHwnd(w), static_cast<UINT_PTR>(timer_id), interval_ms, nullptr);
}

void Win32Platform::StopTimer(WindowHandle w, int timer_id) {
  ::KillTimer(ToHwnd(w), static_cast<UINT_PTR>(timer_id));
}

}  // namespace amorix
