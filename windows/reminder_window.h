#pragma once
// Form2, the input reminder, shown when a name is missing. It asks with a large "?" that, once
// the mouse passes over it, gives way for good to the explanation; its close label brings the
// main window back, names kept and score cleared.

#include "app/form.h"

namespace amorix {

class Form2 final : public Form {
 public:
  explicit Form2(Program& program);

  Label Label4;
  Label Label3;
  Label Label2;
  Label Label1;

  void Label2_MouseMove();
  void Label4_MouseMove();
  void Label4_Click();

 protected:
  void Form_Load() override;
  void Form_MouseMove() override;
  void SystemClose() override;
};

}  // namespace amorix
