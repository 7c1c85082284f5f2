#pragma once
// Form5, the splash window: the first window of every run. Three seconds after it loads, its
// timer unloads it and shows the main window in the same handler, so the program never finds
// itself without a window in between.

#include "app/form.h"

namespace amorix {

class Form5 final : public Form {
 public:
  explicit Form5(Program& program);

  Timer Timer1;
  Label Label1;

  void Timer1_Timer();

 protected:
  void Form_Load() override;
};

}  // namespace amorix
