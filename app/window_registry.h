#pragma once
// The single instance of each of the eight windows. A slot is filled the first time a handler
// names its window and keeps that instance until the program ends, whatever happens to its
// native window: every reference to a window goes through its slot.

#include <memory>
#include <tuple>

namespace amorix {

class Program;
class Form;
class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form7;
class Form8;

class WindowRegistry {
 public:
  explicit WindowRegistry(Program& program);
  ~WindowRegistry();
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;

  // The window's instance, created (not loaded) on first use. Defined for Form1 to Form8.
  template <class W>
  W& Get();
  // The instance if it exists, else null; never creates one.
  template <class W>
  W* Find() const;

  bool AnyLoaded() const;

 private:
  Program& program_;
  std::tuple<std::unique_ptr<Form1>, std::unique_ptr<Form2>, std::unique_ptr<Form3>,
             std::unique_ptr<Form4>, std::unique_ptr<Form5>, std::unique_ptr<Form6>,
             std::unique_ptr<Form7>, std::unique_ptr<Form8>>
      slots_;
};

}  // namespace amorix
