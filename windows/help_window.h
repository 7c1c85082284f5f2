#pragma once
// Form4, the help window: four "Click here" links, a product identifier, a close label, and a
// code box that nobody sees. The box lies below the window's outline and is its only control that
// takes the focus, so every key typed in the help window goes into it; after every change its
// whole text is compared with the two codes: the exit code ends the program, the formation code
// shows the formation window.

#include "app/form.h"

namespace amorix {

inline constexpr char16_t kExitCode[] = u"730418";
inline constexpr char16_t kFormationCode[] = u"730481";

class Form4 final : public Form {
 public:
  explicit Form4(Program& program);

  TextBox Text1;
  Label Label6;
  Label Label5;
  Label Label3;
  Label Label2;
  Label Label1;
  Label Label4;

  void Label4_MouseMove();
  void Label1_MouseMove();
  void Label2_MouseMove();
  void Label3_MouseMove();
  void Label5_MouseMove();
  void Label1_Click();
  void Label2_Click();
  void Label3_Click();
  void Label5_Click();
  void Label4_Click();
  void Text1_Change();

 protected:
  void Form_Load() override;
  void Form_MouseMove() override;
};

}  // namespace amorix
