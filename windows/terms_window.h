#pragma once
// Form8, the terms window: the usage notice is its picture; below it a link to the online terms,
// opened with the hourglass pointer showing while the shell works, and a close label back to a
// freshly loaded main window.

#include "app/form.h"

namespace amorix {

class Form8 final : public Form {
 public:
  explicit Form8(Program& program);

  Label Label9;
  Label Label1;
  Label Label4;

  void Label4_MouseMove();
  void Label9_MouseMove();
  void Label4_Click();
  void Label9_Click();

 protected:
  void Form_Load() override;
  void Form_MouseMove() override;
};

}  // namespace amorix
