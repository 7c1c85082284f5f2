#include "app/program.h"

#include <algorithm>
#include <string>

#include "app/controls.h"
#include "app/runtime_error.h"
#include "app/splash_window.h"
#include "platform/common/utf8.h"

namespace amorix {

Program::Program(Platform& platform) : platform_(platform), windows_(*this) {}

Program::~Program() = default;

void Program::Start() {
  Dispatch([&] { windows_.Get<Form5>().Show(); });
}

void Program::Terminate() {
  ended_ = true;
  platform_.Terminate();
}

void Program::Fail(std::exception_ptr error) noexcept {
  std::string what = "Unexpected failure";
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  ended_ = true;
  const std::string message = "Run-time error: " + what;
  platform_.ReportFatal(common::Utf16(message));
}

void Program::AnnounceVisibilityAfterEvent(Label& label) {
  if (std::find(visibility_changed_.begin(), visibility_changed_.end(), &label) ==
      visibility_changed_.end()) {
    visibility_changed_.push_back(&label);
  }
}

void Program::AnnounceVisibility() noexcept {
  std::vector<Label*> changed;
  changed.swap(visibility_changed_);
  if (ended_) return;
  ++depth_;
  try {
    for (Label* label : changed) label->AnnounceVisibility();
  } catch (...) {
    Fail(std::current_exception());
  }
  --depth_;
}

void Program::EndIfNoWindowLoaded() noexcept {
  if (ended_ || windows_.AnyLoaded()) return;
  ended_ = true;
  platform_.Quit();
}

}  // namespace amorix
