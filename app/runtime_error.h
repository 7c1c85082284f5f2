#pragma once
// A run-time error: a failed window or control operation, an integer overflow or a floating-point
// fault. No handler catches it; it travels up to the point where the event entered from the
// platform, where the user is told in a message box and the process ends.

#include <stdexcept>
#include <string>

namespace amorix {

class RuntimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace amorix
