#include "windows/reminder_window.h"

#include "calculator/main_window.h"
#include "resources/resource_ids.h"
#include "shaping/outline.h"

namespace amorix {
namespace {

// clang-format off
constexpr BorderShapeDef kBorder[] = {
  {.index = 0, .kind = 4, .box = {0, 0, 3680, 1830}},
};
constexpr FormDef kForm2{.caption = u"Information", .client_width = 4200, .client_height = 2385,
                         .show_in_taskbar = true, .picture = IDP_FORM2, .icon = IDI_PROGRAM,
                         .shpborder = kBorder};

//                                      left   top  width height
constexpr LabelDef kLabel4{.box = {3360,    0,  255,  255}, .caption = u"0", .fore_color = kDarkRed,
                           .back_style = BackStyle::kTransparent,
                           .font = {u"MS Sans Serif", 12, true}, .tooltip = u"Close"};
constexpr LabelDef kLabel3{.box = { 360,  840, 2895,  735},
                           .caption = u"First of all input first person name and then second "
                                      u"person name. Example: Alpha and beta.",
                           .fore_color = 0, .back_style = BackStyle::kTransparent,
                           .align = Align::kCenter};
constexpr LabelDef kLabel2{.box = {1440,  840,  615,  615}, .caption = u"?", .fore_color = 0,
                           .back_style = BackStyle::kTransparent, .align = Align::kCenter,
                           .font = {u"MS Sans Serif", 18}};
constexpr LabelDef kLabel1{.box = { 240,  480, 3135,  255},
                           .caption = u"Please Input Alpha and Beta on Text box. ", .fore_color = 0,
                           .back_style = BackStyle::kTransparent, .align = Align::kLeft};
// clang-format on

}  // namespace

Form2::Form2(Program& program)
    : Form(program, kForm2),
      Label4(*this, kLabel4),
      Label3(*this, kLabel3),
      Label2(*this, kLabel2),
      Label1(*this, kLabel1) {
  Label2.MouseMove = [this] { Label2_MouseMove(); };
  Label4.MouseMove = [this] { Label4_MouseMove(); };
  Label4.Click = [this] { Label4_Click(); };
}

void Form2::Form_Load() {
  Label3.SetVisible(false);
  ApplyOutline(*this);
}

void Form2::Form_MouseMove() {
  Label3.SetVisible(false);
  Label2.SetForeColor(0);
  Label4.SetForeColor(kDarkRed);
  if (!Label2.Visible()) Label3.SetVisible(true);
}

void Form2::Label2_MouseMove() {
  Label3.SetVisible(true);
  Label2.SetForeColor(kBrightRed);
  Label2.SetVisible(false);
}

void Form2::Label4_MouseMove() {
  Label4.SetForeColor(kBrightRed);
}

void Form2::Label4_Click() {
  Form1& main = Window<Form1>();
  main.Show();
  Unload();
  main.Label3.SetCaption(u"");
}

// Closed by the system while the main window is hidden behind it, the reminder would leave the
// program running with no window on screen; so it closes the way its close label does.
void Form2::SystemClose() {
  Label4_Click();
}

}  // namespace amorix
