#pragma once
// A whole program on the headless platform, and the moves of a user in terms of its windows and
// controls: click or hover a label, hover a window's background, type into a text box.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "app/splash_window.h"
#include "calculator/main_window.h"
#include "platform/headless/headless_platform.h"
#include "windows/confirmation_window.h"
#include "windows/credit_window.h"
#include "windows/formation_window.h"
#include "windows/help_window.h"
#include "windows/reminder_window.h"
#include "windows/terms_window.h"

namespace amorix::testing {

struct Point {
  int x, y;
};

inline Point Centre(const PixelRect& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class ProgramTest : public ::testing::Test {
 protected:
  template <class W>
  W& Get() {
    return program.windows().Get<W>();
  }
  template <class W>
  W* Find() {
    return program.windows().Find<W>();
  }

  // Starts the program and lets the splash hand over to the main window.
  Form1& StartToMain() {
    program.Start();
    platform.FireTimer(Find<Form5>()->hWnd(), 1);
    return *Find<Form1>();
  }

  // With AMORIX_CLICK_AS_READER set, a click is the label's default action as a screen reader
  // does it, and every window move and shell call must come out the same.
  void Click(Form& form, const Label& label) {
    if (std::getenv("AMORIX_CLICK_AS_READER")) {
      platform.DoLabelAction(form.hWnd(), label.Number());
      return;
    }
    const Point p = Centre(label.Bounds());
    platform.Click(form.hWnd(), p.x, p.y);
  }
  void Hover(Form& form, const Label& label) {
    const Point p = Centre(label.Bounds());
    platform.MoveMouse(form.hWnd(), p.x, p.y);
  }
  // A shown pixel of the window that no label or edit covers.
  Point Background(Form& form) {
    const WindowHandle w = form.hWnd();
    const auto& info = platform.Info(w);
    for (int y = 2; y < info.client_height; y += 3) {
      for (int x = 2; x < info.client_width; x += 3) {
        if (platform.Shows(w, x, y) && OnBackground(form, x, y)) return {x, y};
      }
    }
    ADD_FAILURE() << "no background pixel";
    return {0, 0};
  }
  void HoverBackground(Form& form) {
    const Point p = Background(form);
    platform.MoveMouse(form.hWnd(), p.x, p.y);
  }
  void TypeInto(TextBox& box, std::u16string_view text) {
    const Point p = Centre(platform.Info(box.Handle()).rect);
    platform.Click(platform.Info(box.Handle()).parent, p.x, p.y);
    platform.Type(text);
  }
  bool Shown(const Form* form) {
    return form && form->Loaded() && platform.IsVisible(form->hWnd());
  }
  // Presses a mouse button on the window's background (a press there starts a drag).
  void PressBackground(Form& form, MouseButton button = MouseButton::kLeft) {
    const Point p = Background(form);
    platform.Press(form.hWnd(), p.x, p.y, button);
  }
  // The window operations and the ends of the program in the call log, in order.
  std::vector<std::string> WindowCalls() const {
    return platform.Log({"CreateFormWindow", "ShowFormWindow", "DestroyFormWindow", "Terminate",
                         "Quit", "ReportFatal"});
  }
  // How many logged calls start with the text, e.g. "CreateFormWindow(Help,".
  int CountCalls(std::string_view prefix) const {
    return static_cast<int>(std::ranges::count_if(
        platform.Log(), [&](const std::string& line) { return line.starts_with(prefix); }));
  }

  HeadlessPlatform platform;
  Program program{platform};

 private:
  bool OnBackground(Form& form, int x, int y) {
    for (EditHandle e : platform.Info(form.hWnd()).edits) {
      if (platform.Info(e).alive && platform.Info(e).visible &&
          platform.Info(e).rect.Contains(x, y))
        return false;
    }
    return form.LabelAt(x, y) == nullptr;
  }
};

}  // namespace amorix::testing
