#pragma once
// A platform for tools that exercise the outline builder alone (the benchmark, the fuzzer): a
// subclass answers the region calls and the screen ratio; any other call is a fault in the tool,
// and aborts.

#include <cstdlib>

#include "platform/platform.h"

namespace amorix::testing {

class RegionsOnlyPlatform : public Platform {
 public:
  WindowHandle CreateFormWindow(const WindowSpec&, WindowEvents&) override { std::abort(); }
  void ShowFormWindow(WindowHandle, bool) override { std::abort(); }
  void DestroyFormWindow(WindowHandle) override { std::abort(); }
  void Invalidate(WindowHandle, const PixelRect&) override { std::abort(); }
  void SetMousePointer(WindowHandle, MousePointer) override { std::abort(); }
  void SetTooltip(WindowHandle, int, const PixelRect&, std::u16string_view) override {
    std::abort();
  }
  void NotifyAccessibleChange(WindowHandle, int, AccessibleChange) override { std::abort(); }
  EditHandle CreateEdit(WindowHandle, const EditSpec&) override { std::abort(); }
  std::u16string GetEditText(EditHandle) override { std::abort(); }
  void SetEditText(EditHandle, std::u16string_view) override { std::abort(); }
  void SetEditVisible(EditHandle, bool) override { std::abort(); }
  void FocusEdit(EditHandle) override { std::abort(); }
  void StartTimer(WindowHandle, int, unsigned) override { std::abort(); }
  void StopTimer(WindowHandle, int) override { std::abort(); }
  int SetWindowRgn(WindowHandle, RegionHandle, int) override { std::abort(); }
  WindowHandle SetCapture(WindowHandle) override { std::abort(); }
  int ReleaseCapture() override { std::abort(); }
  std::intptr_t SendMessageA(WindowHandle, unsigned, std::uintptr_t, std::intptr_t) override {
    std::abort();
  }
  std::intptr_t ShellExecuteA(WindowHandle, const char*, const char*, const char*, const char*,
                              int) override {
    std::abort();
  }
  void RunMessageLoop() override { std::abort(); }
  void Quit() override { std::abort(); }
  void Terminate() override { std::abort(); }
  void ReportFatal(std::u16string_view) override { std::abort(); }
};

}  // namespace amorix::testing
