#pragma once
// Form7, the exit confirmation, opened over the main window by its close label and not modal:
// "No" closes only the confirmation, "Yes" ends the program, "Click here" opens the comments page
// and leaves the question open.

#include "app/form.h"

namespace amorix {

class Form7 final : public Form {
 public:
  explicit Form7(Program& program);

  Label Label4;
  Label Label3;
  Label Label2;
  Label Label1;

  void Label1_MouseMove();
  void Label2_MouseMove();
  void Label4_MouseMove();
  void Label1_Click();
  void Label2_Click();
  void Label4_Click();

 protected:
  void Form_Load() override;
  void Form_MouseMove() override;
};

}  // namespace amorix
