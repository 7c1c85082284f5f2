#pragma once
// Form3, the credit window: the credits are its picture; a close label returns to a freshly
// loaded main window.

#include "app/form.h"

namespace amorix {

class Form3 final : public Form {
 public:
  explicit Form3(Program& program);

  Label Label4;

  void Label4_MouseMove();
  void Label4_Click();

 protected:
  void Form_Load() override;
  void Form_MouseMove() override;
};

}  // namespace amorix
