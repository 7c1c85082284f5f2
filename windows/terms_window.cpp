#include "windows/terms_window.h"

#include "calculator/main_window.h"
#include "links/link_addresses.h"
#include "links/link_opener.h"
#include "resources/resource_ids.h"
#include "shaping/outline.h"

namespace amorix {
namespace {

// clang-format off
constexpr BorderShapeDef kBorder[] = {
  {.index = 0, .kind = 4, .box = {0, 0, 6435, 3855}},
};
// Centred on its owner, which it never has: the screen then, as the other windows.
constexpr FormDef kForm8{.caption = u"Terms", .client_width = 6645, .client_height = 4140,
                         .show_in_taskbar = false, .back_color = kColorWindow,
                         .picture = IDP_FORM8, .icon = IDI_TERMS, .shpborder = kBorder};

//                                      left   top  width height
constexpr LabelDef kLabel9{.box = { 720, 2760, 3015,  375}, .caption = u"* Quillon Software Online Terms",
                           .fore_color = kDarkRed, .back_style = BackStyle::kTransparent,
                           .font = {u"MS Sans Serif", 9.75f, false, false, true},
                           .tooltip = u"Quillon Software Online Terms (*Internet Connection Required)",
                           .link = true};
constexpr LabelDef kLabel1{.box = { 600, 2400, 4815,  375}, .caption = u"o QUILLON SOFTWARE ONLINE TERMS:",
                           .fore_color = 0, .back_style = BackStyle::kTransparent,
                           .font = {u"MS Sans Serif", 9.75f, true}};
constexpr LabelDef kLabel4{.box = {6120,    0,  255,  375}, .caption = u"0", .fore_color = kDarkRed,
                           .back_style = BackStyle::kTransparent,
                           .font = {u"MS Sans Serif", 13.5f, true}, .tooltip = u"Close"};
// clang-format on

}  // namespace

Form8::Form8(Program& program)
    : Form(program, kForm8),
      Label9(*this, kLabel9),
      Label1(*this, kLabel1),
      Label4(*this, kLabel4) {
  Label4.MouseMove = [this] { Label4_MouseMove(); };
  Label9.MouseMove = [this] { Label9_MouseMove(); };
  Label4.Click = [this] { Label4_Click(); };
  Label9.Click = [this] { Label9_Click(); };
}

void Form8::Form_Load() {
  ApplyOutline(*this);
}

void Form8::Form_MouseMove() {
  Label4.SetForeColor(kDarkRed);
  Label9.SetForeColor(kDarkRed);
}

void Form8::Label4_MouseMove() {
  Label4.SetForeColor(kBrightRed);
}
void Form8::Label9_MouseMove() {
  Label9.SetForeColor(Rgb(0, 128, 0));
}

void Form8::Label4_Click() {
  Unload();
  Window<Form1>().Show();
}

void Form8::Label9_Click() {
  SetMousePointer(MousePointer::kHourglass);
  OpenLink(*this, links::kOnlineTermsPage);
  SetMousePointer(MousePointer::kDefault);
}

}  // namespace amorix
