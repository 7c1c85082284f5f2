#pragma once
// Form6, the formation window: facts about the release, reached only by a code typed into the
// help window. Its outline is a plain rectangle; its close label unloads it and nothing else.

#include "app/form.h"

namespace amorix {

class Form6 final : public Form {
 public:
  explicit Form6(Program& program);

  Label Label1;

  void Label1_MouseMove();
  void Label1_Click();

 protected:
  void Form_Load() override;
  void Form_MouseMove() override;
};

}  // namespace amorix
