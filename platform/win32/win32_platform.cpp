#include "platform/win32/win32_platform.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/runtime_error.h"
#include "platform/win32/win32_canvas.h"
#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_stats.h"

namespace amorix {

using win32::FormWindow;

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance), pictures_(instance) {
  FormWindow::ClassName(instance);
}

void Win32Platform::LoadCommonControls() {
  // Loaded for good: tooltip windows of any platform object may live as long as the process.
  static const BOOL loaded = [] {
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE library = ::LoadLibraryW(L"comctl32.dll");
    // Through void(*)(): the one cast between function types the compiler accepts silently.
    const auto init = library ? reinterpret_cast<InitFn>(reinterpret_cast<void (*)()>(
                                    ::GetProcAddress(library, "InitCommonControlsEx")))
                              : nullptr;
    const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
    return init ? init(&classes) : FALSE;
  }();
  (void)loaded;
}

Win32Platform::~Win32Platform() = default;

void Win32Platform::PrepareAhead(ResourceId picture, std::span<const FontSpec> fonts) {
  if (picture) {
    ahead_.emplace_back([this, picture] { pictures_.Get(picture); });
    // The window is as wide as its picture: its paint buffer waits for it.
    ahead_.emplace_back(
        [this, picture] { paint_buffer_.MakeAhead(pictures_.Get(picture).size.cx); });
  }
  for (const FontSpec& font : fonts) {
    // Selecting the font into a DC makes the system find and load its face, once.
    ahead_.emplace_back([this, font, face = std::u16string(font.face)] {
      FontSpec own = font;
      own.face = face;
      HFONT handle = fonts_.Get(own);
      win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
      if (!handle || !dc) return;
      win32::SelectGuard select(dc.get(), handle);
      TEXTMETRICW metrics;
      ::GetTextMetricsW(dc.get(), &metrics);
    });
  }
  ahead_.emplace_back([] { LoadCommonControls(); });
}

WindowHandle Win32Platform::CreateFormWindow(const WindowSpec& params, WindowEvents& events) {
  // No frame: the window is exactly its client area, centred on the screen.
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - params.client_width) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - params.client_height) / 2;
  const RECT bounds{left, top, left + params.client_width, top + params.client_height};
  auto owner = std::make_unique<FormWindow>(*this, events, params.background);
  if (params.icon) owner->SetIcons(Icon(params.icon, true), Icon(params.icon, false));
  const std::wstring caption = ToWide(params.caption);
  HWND window = FormWindow::Create(owner, params.in_taskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW,
                                   caption.c_str(), bounds, instance_);
  if (!window) throw RuntimeError("The system cannot create the window");
  win32::stats::first_tick.Lap("create");
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
  win32::stats::first_tick.Lap("show");
}

void Win32Platform::DestroyFormWindow(WindowHandle w) {
  ::DestroyWindow(ToHwnd(w));
  win32::stats::first_tick.Lap("destroy");
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

void Win32Platform::NotifyAccessibleChange(WindowHandle w, int label, AccessibleChange change) {
  constexpr DWORD kEvents[] = {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_SHOW, EVENT_OBJECT_HIDE};
  ::NotifyWinEvent(kEvents[static_cast<int>(change)], ToHwnd(w), OBJID_CLIENT, label);
}

EditHandle Win32Platform::CreateEdit(WindowHandle parent, const EditSpec& params) {
  FormWindow* form = FormWindow::From(ToHwnd(parent));
  HWND edit = form ? form->CreateEdit(params, fonts_.Get(params.font)) : nullptr;
  if (!edit) throw RuntimeError("The system cannot create the text box");
  win32::stats::first_tick.Lap("edit");
  return ToEditHandle(edit);
}

std::u16string Win32Platform::GetEditText(EditHandle e) {
  return win32::TextOf(ToHwnd(e));
}

void Win32Platform::SetEditText(EditHandle e, std::u16string_view text) {
  ::SetWindowTextW(ToHwnd(e), ToWide(text).c_str());
  win32::stats::first_tick.Lap("edit_text");
}

void Win32Platform::SetEditVisible(EditHandle e, bool visible) {
  ::ShowWindow(ToHwnd(e), visible ? SW_SHOW : SW_HIDE);
  win32::stats::first_tick.Lap("edit_shown");
}

void Win32Platform::FocusEdit(EditHandle e) {
  ::SetFocus(ToHwnd(e));
  win32::stats::first_tick.Lap("focus");
}

void Win32Platform::StartTimer(WindowHandle w, int timer_id, unsigned interval_ms) {
  ::SetTimer(ToHwnd(w), static_cast<UINT_PTR>(timer_id), interval_ms, nullptr);
}

void Win32Platform::StopTimer(WindowHandle w, int timer_id) {
  ::KillTimer(ToHwnd(w), static_cast<UINT_PTR>(timer_id));
}

}  // namespace amorix
