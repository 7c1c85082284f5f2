#pragma once
// Form1, the main window: two name boxes, the Calculate label and the score, and the menu and
// close labels that lead to the other windows. The layout is one table in main_window.cpp; the
// score is Image1_Click; the hover feedback lights a label by its own mouse move and unlights it
// only by a move over the background.

#include "app/form.h"

namespace amorix {

class Form1 final : public Form {
 public:
  explicit Form1(Program& program);

  // Asks the platform to get ready what the window's first paint needs (its picture, the fonts
  // of its boxes and shown labels) without making the window.
  static void PrepareAhead(Platform& platform);

  TextBox Text2;
  TextBox Text1;
  TextBox Text3;
  Shape Shape3;
  Shape Shape2;
  Shape Shape1;
  Label Label1;
  Label Image1;
  Label Label7;
  Label Label8;
  Label Label9;
  Label Label3;

  void Image1_Click();
  void Label1_MouseMove();
  void Label7_MouseMove();
  void Label8_MouseMove();
  void Label9_MouseMove();
  void Label1_Click();
  void Label7_Click();
  void Label8_Click();
  void Label9_Click();
  void Text1_Change() {}
  void Text2_Change() {}

 protected:
  void Form_Load() override;
  void Form_MouseMove() override;
};

}  // namespace amorix
