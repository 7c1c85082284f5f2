#include "calculator/main_window.h"

#include <cstdint>

#include "app/numeric.h"
#include "resources/resource_ids.h"
#include "shaping/outline.h"
#include "windows/confirmation_window.h"
#include "windows/credit_window.h"
#include "windows/help_window.h"
#include "windows/reminder_window.h"
#include "windows/terms_window.h"

namespace amorix {
namespace {

constexpr FontSpec kNameFont{u"Times New Roman", 18, false, true};
constexpr FontSpec kMenuFont{u"Times New Roman", 11.25f, true};

// clang-format off
constexpr BorderShapeDef kBorder[] = {
  {.index = 0, .kind = 4, .box = {0, 0, 9000, 5130}},
};
constexpr FormDef kForm1{.caption = u"Amorix-Nimbus", .client_width = 9165, .client_height = 5370,
                         .show_in_taskbar = true, .picture = IDP_FORM1, .icon = IDI_PROGRAM,
                         .shpborder = kBorder};

//                                      left   top  width height
constexpr TextBoxDef kText2{.box = {5040, 2160, 3015, 495}, .font = kNameFont, .fore_color = kDarkRed,
                            .align = Align::kCenter, .max_length = 20, .tab_index = 6,
                            .accessible_name = u"Second name"};
constexpr TextBoxDef kText1{.box = { 720, 2160, 3015, 495}, .font = kNameFont, .fore_color = kDarkRed,
                            .align = Align::kCenter, .max_length = 20, .tab_index = 5,
                            .accessible_name = u"First name"};
constexpr TextBoxDef kText3{.box = {5280,  120,  735, 375}, .tab_index = 1};
constexpr ShapeDef kShape3{.box = {3480, 3240, 1935, 375}, .border_color = kBrightRed, .border_width = 2};
constexpr ShapeDef kShape2{.box = {5040, 2160, 3015, 495}, .border_color = kBrightRed, .border_width = 3};
constexpr ShapeDef kShape1{.box = { 720, 2160, 3015, 495}, .border_color = kBrightRed, .border_width = 3};
constexpr LabelDef kLabel1{.box = {8520,  120,  375, 375}, .caption = u"0", .fore_color = kBrightRed,
                           .back_color = kDarkRed, .back_style = BackStyle::kTransparent,
                           .align = Align::kCenter, .font = {u"MS Sans Serif", 18, true},
                           .tooltip = u"Exit"};
constexpr LabelDef kImage1{.box = {3480, 3240, 1935, 375}, .caption = u"Calculate",
                           .fore_color = kBrightRed, .back_color = kDarkRed,
                           .back_style = BackStyle::kOpaque, .align = Align::kCenter,
                           .font = {u"MS Sans Serif", 13.5f}};
constexpr LabelDef kLabel7{.box = {6480,  960,  975, 255}, .caption = u"TERMS", .fore_color = kBrightRed,
                           .back_style = BackStyle::kTransparent, .align = Align::kCenter,
                           .font = kMenuFont, .tooltip = u"TERMS"};
constexpr LabelDef kLabel8{.box = {7560,  960,  975, 255}, .caption = u"HELP", .fore_color = kBrightRed,
                           .back_style = BackStyle::kTransparent, .align = Align::kCenter,
                           .font = kMenuFont, .tooltip = u"HELP"};
constexpr LabelDef kLabel9{.box = {5280,  960,  975, 255}, .caption = u"CREDIT", .fore_color = kBrightRed,
                           .back_style = BackStyle::kTransparent, .align = Align::kCenter,
                           .font = kMenuFont, .tooltip = u"CREDIT"};
constexpr LabelDef kLabel3{.box = {3840, 2160, 1095, 735}, .caption = u"", .fore_color = kDarkRed,
                           .back_style = BackStyle::kTransparent, .align = Align::kCenter,
                           .font = {u"Monotype Corsiva", 24, false, true}};
// clang-format on

// Every font the first paint and the boxes use; the score's font waits for its first score.
constexpr FontSpec kFirstPaintFonts[] = {kText1.font, kText3.font, kLabel1.font, kImage1.font,
                                         kLabel7.font};

void Light(Label& menu) {
  menu.SetBackStyle(BackStyle::kOpaque);
  menu.SetBackColor(kDarkRed);
}

}  // namespace

Form1::Form1(Program& program)
    : Form(program, kForm1),
      Text2(*this, kText2),
      Text1(*this, kText1),
      Text3(*this, kText3),
      Shape3(*this, kShape3),
      Shape2(*this, kShape2),
      Shape1(*this, kShape1),
      Label1(*this, kLabel1),
      Image1(*this, kImage1),
      Label7(*this, kLabel7),
      Label8(*this, kLabel8),
      Label9(*this, kLabel9),
      Label3(*this, kLabel3) {
  Image1.Click = [this] { Image1_Click(); };
  Label1.MouseMove = [this] { Label1_MouseMove(); };
  Label7.MouseMove = [this] { Label7_MouseMove(); };
  Label8.MouseMove = [this] { Label8_MouseMove(); };
  Label9.MouseMove = [this] { Label9_MouseMove(); };
  Label1.Click = [this] { Label1_Click(); };
  Label7.Click = [this] { Label7_Click(); };
  Label8.Click = [this] { Label8_Click(); };
  Label9.Click = [this] { Label9_Click(); };
  Text1.Change = [this] { Text1_Change(); };
  Text2.Change = [this] { Text2_Change(); };
}

void Form1::PrepareAhead(Platform& platform) {
  platform.PrepareAhead(kForm1.picture, kFirstPaintFonts);
}

void Form1::Form_Load() {
  Text3.SetVisible(false);
  Text3.SetText(NumberToText(60));
  ApplyOutline(*this);
}

// The score: the characters of both names plus the base value. A missing name steps aside for
// the input reminder; the score is still written, into the hidden window.
void Form1::Image1_Click() {
  if (Text1.Text().empty() || Text2.Text().empty()) {
    Hide();
    Window<Form2>().Show();
  }
  const double base = TextToNumber(Text3.Text());
  const std::int32_t lengths = CheckedAdd(static_cast<std::int32_t>(Text2.Text().size()),
                                          static_cast<std::int32_t>(Text1.Text().size()));
  Label3.SetCaption(NumberToText(CheckedSum(lengths, base)));
}

void Form1::Form_MouseMove() {
  Label1.SetForeColor(kDarkRed);
  Label7.SetBackStyle(BackStyle::kTransparent);
  Label8.SetBackStyle(BackStyle::kTransparent);
  Label9.SetBackStyle(BackStyle::kTransparent);
}

void Form1::Label1_MouseMove() {
  Label1.SetForeColor(kBrightRed);
}
void Form1::Label7_MouseMove() {
  Light(Label7);
}
void Form1::Label8_MouseMove() {
  Light(Label8);
}
void Form1::Label9_MouseMove() {
  Light(Label9);
}

void Form1::Label1_Click() {
  Window<Form7>().Show();
}

void Form1::Label7_Click() {
  Unload();
  Window<Form8>().Show();
}

void Form1::Label8_Click() {
  Unload();
  Window<Form4>().Show();
}

void Form1::Label9_Click() {
  Unload();
  Window<Form3>().Show();
}

}  // namespace amorix
