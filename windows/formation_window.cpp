#include "windows/formation_window.h"

#include "resources/resource_ids.h"
#include "shaping/outline.h"

namespace amorix {
namespace {

// clang-format off
constexpr BorderShapeDef kBorder[] = {
  {.index = 0, .kind = 0, .box = {0, 0, 4800, 3750}},
};
constexpr FormDef kForm6{.caption = u"SW. Formation", .client_width = 5100, .client_height = 4005,
                         .show_in_taskbar = true, .picture = IDP_FORM6, .icon = IDI_PROGRAM,
                         .shpborder = kBorder};

//                                      left   top  width height
constexpr LabelDef kLabel1{.box = {2280, 3360,  255,  255}, .caption = u"0", .fore_color = kDarkRed,
                           .back_style = BackStyle::kTransparent,
                           .font = {u"MS Sans Serif", 12}, .tooltip = u"Close"};
// clang-format on

}  // namespace

Form6::Form6(Program& program) : Form(program, kForm6), Label1(*this, kLabel1) {
  Label1.MouseMove = [this] { Label1_MouseMove(); };
  Label1.Click = [this] { Label1_Click(); };
}

void Form6::Form_Load() {
  ApplyOutline(*this);
}
void Form6::Form_MouseMove() {
  Label1.SetForeColor(kDarkRed);
}
void Form6::Label1_MouseMove() {
  Label1.SetForeColor(kBrightRed);
}
void Form6::Label1_Click() {
  Unload();
}

}  // namespace amorix
