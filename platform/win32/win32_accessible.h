#pragma once
// What a screen reader finds in a form window. The labels are drawn by the window itself, so the
// system knows nothing of them: each form answers WM_GETOBJECT for its client area with an
// IAccessible of its own, whose children are the labels (numbered as the behaviour numbers them,
// each asked of the behaviour every time) followed by the edits' standard objects. A label's
// default action is posted to its window and enters the behaviour as a click would.
//
// Active Accessibility lives in oleacc.dll, which a program nobody inspects never loads: it is
// bound by name at the first WM_GETOBJECT. Names for the edits are annotated (Dynamic Annotation)
// once accessibility is in use, or at once when a screen reader says it is running.

#include <windows.h>

namespace amorix::win32::accessible {

// Posted to a form window; wparam is the label's number.
constexpr UINT kLabelAction = WM_APP + 2;

// The answer to WM_GETOBJECT for the form window; 0 when the default handling should answer.
LRESULT Answer(HWND form, WPARAM wparam, LPARAM lparam) noexcept;

// Whether an assistive program has asked, or a screen reader is running.
bool InUse() noexcept;

// Gives an edit its accessible name, and takes it back before the edit is destroyed.
void NameEdit(HWND edit, const wchar_t* name) noexcept;
void ForgetEditName(HWND edit) noexcept;

}  // namespace amorix::win32::accessible
