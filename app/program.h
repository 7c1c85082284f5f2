#pragma once
// The running program: the platform it runs on, its window registry, start-up and its two ends.
//
// Every event enters the program through Dispatch. That is the one place where a run-time error
// is caught: the user is told in a message box and the process ends. It is also where the
// end-of-program rule is checked: after the outermost event has run to its end, a program with no
// loaded window ends. The check is never made inside a handler, so a handler that unloads its
// own window and then shows another keeps the program running. Screen readers hear of a label
// shown or hidden at the same point, and only when the event leaves it otherwise than it found it.

#include <exception>
#include <vector>

#include "app/window_registry.h"
#include "platform/platform.h"

namespace amorix {

class Label;

class Program {
 public:
  explicit Program(Platform& platform);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Platform& platform() const { return platform_; }
  WindowRegistry& windows() { return windows_; }

  // Shows the start-up window; the platform's message loop then runs the program.
  void Start();
  // Ends the program at once: no further handler runs.
  void Terminate();
  bool Ended() const { return ended_; }
  void AnnounceVisibilityAfterEvent(Label& label);

  template <class Handler>
  void Dispatch(Handler&& handler) noexcept {
    if (ended_) return;
    ++depth_;
    try {
      handler();
    } catch (...) {
      Fail(std::current_exception());
    }
    --depth_;
    if (depth_ == 0) AnnounceVisibility();
    if (depth_ == 0) EndIfNoWindowLoaded();
  }

 private:
  void Fail(std::exception_ptr error) noexcept;
  void EndIfNoWindowLoaded() noexcept;
  void AnnounceVisibility() noexcept;

  Platform& platform_;
  WindowRegistry windows_;
  std::vector<Label*> visibility_changed_;
  int depth_ = 0;
  bool ended_ = false;
};

}  // namespace amorix
