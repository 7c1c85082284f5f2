#include "links/link_opener.h"

#include <cstdint>

#include "app/form.h"

namespace amorix {

// The address arrives as a private copy; the shell result is kept, as a 32-bit value, and dropped.
void OpenLink(Form& window, std::string address) {
  constexpr int kSwShow = 5;
  WindowHandle handle = window.hWnd();
  const std::string directory, parameters, operation = "open";
  [[maybe_unused]] const auto result = static_cast<std::int32_t>(window.platform().ShellExecuteA(
      handle, operation.c_str(), address.c_str(), parameters.c_str(), directory.c_str(), kSwShow));
}

}  // namespace amorix
