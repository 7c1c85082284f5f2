#include "app/program.h"

#include <string>

#include "app/runtime_error.h"
#include "app/splash_window.h"

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
  platform_.ReportFatal(std::u16string(message.begin(), message.end()));
}

void Program::EndIfNoWindowLoaded() noexcept {
  if (ended_ || windows_.AnyLoaded()) return;
  ended_ = true;
  platform_.Quit();
}

}  // namespace amorix
