#pragma once
// Owners for Win32 handles and guards for paired calls, so that no GDI object, window, DC or
// module leaks on an early return and none is freed twice.
//
// UniqueHandle follows WIL's unique_any: it is move-only, holds one handle and frees it through a
// policy that names the handle type, its invalid value and its close call. The aliases below name
// one owner per handle kind the backend makes. A region handed to SetWindowRgn belongs to the
// system from then on, so it is never held by an owner past that call (release() it first).
// The guards pair BeginPaint/EndPaint, GetDC/ReleaseDC and SelectObject with its restore.

#include <windows.h>

#include <utility>

namespace amorix::win32 {

template <class Handle, auto kClose>
struct ClosePolicy {
  using Type = Handle;
  static constexpr Type Invalid() { return Type{}; }
  static void Close(Type handle) noexcept { kClose(handle); }
};

template <class Interface>
struct ComPolicy {
  using Type = Interface*;
  static constexpr Type Invalid() { return nullptr; }
  static void Close(Type object) noexcept { object->Release(); }
};

template <class Policy>
class UniqueHandle {
 public:
  using Type = typename Policy::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Type get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Policy::Invalid(); }

  void reset(Type handle = Policy::Invalid()) noexcept {
    Type old = std::exchange(handle_, handle);
    if (old != Policy::Invalid()) Policy::Close(old);
  }
  [[nodiscard]] Type release() noexcept { return std::exchange(handle_, Policy::Invalid()); }

  // For out-parameters: frees the current handle and hands out the slot.
  Type* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Type handle_ = Policy::Invalid();
};

using UniqueFont = UniqueHandle<ClosePolicy<HFONT, &::DeleteObject>>;
using UniqueBrush = UniqueHandle<ClosePolicy<HBRUSH, &::DeleteObject>>;
using UniqueBitmap = UniqueHandle<ClosePolicy<HBITMAP, &::DeleteObject>>;
using UniqueRegion = UniqueHandle<ClosePolicy<HRGN, &::DeleteObject>>;
using UniqueMemoryDc = UniqueHandle<ClosePolicy<HDC, &::DeleteDC>>;  // from CreateCompatibleDC
using UniqueWindow = UniqueHandle<ClosePolicy<HWND, &::DestroyWindow>>;
using UniqueIcon = UniqueHandle<ClosePolicy<HICON, &::DestroyIcon>>;
using UniqueModule = UniqueHandle<ClosePolicy<HMODULE, &::FreeLibrary>>;
template <class Interface>
using UniqueCom = UniqueHandle<ComPolicy<Interface>>;

class PaintGuard {
 public:
  explicit PaintGuard(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintGuard() { ::EndPaint(window_, &paint_); }
  PaintGuard(const PaintGuard&) = delete;
  PaintGuard& operator=(const PaintGuard&) = delete;

  HDC dc() const { return dc_; }
  const RECT& dirty() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// GetDC/ReleaseDC; a null window gives the screen's DC.
class WindowDcGuard {
 public:
  explicit WindowDcGuard(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDcGuard() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDcGuard(const WindowDcGuard&) = delete;
  WindowDcGuard& operator=(const WindowDcGuard&) = delete;

  HDC dc() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~SelectGuard() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace amorix::win32
