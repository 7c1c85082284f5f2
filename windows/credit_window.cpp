#include "windows/credit_window.h"

#include "calculator/main_window.h"
#include "resources/resource_ids.h"
#include "shaping/outline.h"

namespace amorix {
namespace {

// clang-format off
constexpr BorderShapeDef kBorder[] = {
  {.index = 0, .kind = 4, .box = {0, 0, 6465, 3855}},
};
constexpr FormDef kForm3{.caption = u"Credit", .client_width = 6720, .client_height = 4050,
                         .show_in_taskbar = false, .picture = IDP_FORM3, .icon = IDI_PROGRAM,
                         .shpborder = kBorder};

//                                      left   top  width height
constexpr LabelDef kLabel4{.box = {6120,   30,  255,  375}, .caption = u"0", .fore_color = kDarkRed,
                           .back_style = BackStyle::kTransparent,
                           .font = {u"MS Sans Serif", 13.5f, true}, .tooltip = u"Close"};
// clang-format on

}  // namespace

Form3::Form3(Program& program) : Form(program, kForm3), Label4(*this, kLabel4) {
  Label4.MouseMove = [this] { Label4_MouseMove(); };
  Label4.Click = [this] { Label4_Click(); };
}

void Form3::Form_Load() {
  ApplyOutline(*this);
}
void Form3::Form_MouseMove() {
  Label4.SetForeColor(kDarkRed);
}
void Form3::Label4_MouseMove() {
  Label4.SetForeColor(kBrightRed);
}

void Form3::Label4_Click() {
  Unload();
  Window<Form1>().Show();
}

}  // namespace amorix
