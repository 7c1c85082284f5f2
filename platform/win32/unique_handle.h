#pragma once
// Owners for Win32 handles and guards for paired calls, so that no GDI object, window, DC or
// module leaks on an early return and none is freed twice.
//
// UniqueHandle follows WIL's unique_any: it is move-only, holds one handle and frees it through a
// policy that names the handle type, its invalid value and its close call. The aliases below name
// one owner per handle kind the backend makes. A region handed to SetWindowRgn belongs to the
// system from then on, so it is never held by an owner past that call (release() it first).
// The guards pair BeginPaint/EndPaint, GetDC/ReleaseDC and SelectObject with its restore.
//
// Each owner kind also counts the handles its owners hold right now (Live()), always, at the cost
// of one relaxed atomic add per change: wine's GetGuiResources answers 0, so this count is what
// shows that a thousand trips through the windows leave no GDI or USER object behind.

#include <windows.h>

#include <atomic>
#include <type_traits>
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
  explicit UniqueHandle(Type handle) noexcept : handle_(handle) { Count(handle, +1); }
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, Policy::Invalid())) {}
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
    Count(handle, +1);
    if (old != Policy::Invalid()) {
      Count(old, -1);
      Policy::Close(old);
    }
  }
  [[nodiscard]] Type release() noexcept {
    Type old = std::exchange(handle_, Policy::Invalid());
    Count(old, -1);
    return old;
  }

  // For out-parameters: frees the current handle and hands out the slot, as Type* or, for
  // interfaces, as void**. What the call leaves there is counted when the statement ends.
  class OutParam {
   public:
    explicit OutParam(UniqueHandle& owner) noexcept : owner_(owner) {}
    ~OutParam() { Count(owner_.handle_, +1); }
    OutParam(const OutParam&) = delete;
    OutParam& operator=(const OutParam&) = delete;
    operator Type*() const noexcept { return &owner_.handle_; }
    operator void**() const noexcept requires std::is_pointer_v<Type> {
      return reinterpret_cast<void**>(&owner_.handle_);
    }

   private:
    UniqueHandle& owner_;
  };
  OutParam put() noexcept {
    reset();
    return OutParam(*this);
  }

  // The handles that owners of this kind hold now, in the whole process.
  static long Live() noexcept { return live_.load(std::memory_order_relaxed); }

 private:
  static void Count(Type handle, long change) noexcept {
    if (handle != Policy::Invalid()) live_.fetch_add(change, std::memory_order_relaxed);
  }

  Type handle_ = Policy::Invalid();
  inline static std::atomic<long> live_{0};
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
