#include "windows/confirmation_window.h"

#include "links/link_addresses.h"
#include "links/link_opener.h"
#include "resources/resource_ids.h"
#include "shaping/outline.h"

namespace amorix {
namespace {

constexpr FontSpec kAnswerFont{u"MS Sans Serif", 9.75f};

// clang-format off
constexpr BorderShapeDef kBorder[] = {
  {.index = 0, .kind = 4, .box = {0, 0, 3675, 1815}},
};
constexpr FormDef kForm7{.caption = u"Confirmation", .client_width = 4725, .client_height = 1965,
                         .show_in_taskbar = true, .picture = IDP_FORM7, .icon = IDI_PROGRAM,
                         .shpborder = kBorder};

//                                      left   top  width height
constexpr LabelDef kLabel4{.box = {1200, 1320, 1335,  255}, .caption = u"Click here",
                           .fore_color = kColorMenuText, .back_style = BackStyle::kTransparent,
                           .align = Align::kCenter, .link = true};
constexpr LabelDef kLabel3{.box = { 360,  840, 2775,  495},
                           .caption = u"Please give me your valuable Comment to improve this software",
                           .fore_color = kColorMenuText, .back_style = BackStyle::kTransparent,
                           .align = Align::kCenter};
constexpr LabelDef kLabel2{.box = {1920,  480,  615,  255}, .caption = u"Yes", .fore_color = 0,
                           .back_style = BackStyle::kTransparent, .align = Align::kCenter,
                           .font = kAnswerFont};
constexpr LabelDef kLabel1{.box = { 960,  480,  495,  255}, .caption = u"No",
                           .fore_color = kColorMenuText, .back_style = BackStyle::kTransparent,
                           .align = Align::kCenter, .font = kAnswerFont};
// clang-format on

}  // namespace

Form7::Form7(Program& program)
    : Form(program, kForm7),
      Label4(*this, kLabel4),
      Label3(*this, kLabel3),
      Label2(*this, kLabel2),
      Label1(*this, kLabel1) {
  Label1.MouseMove = [this] { Label1_MouseMove(); };
  Label2.MouseMove = [this] { Label2_MouseMove(); };
  Label4.MouseMove = [this] { Label4_MouseMove(); };
  Label1.Click = [this] { Label1_Click(); };
  Label2.Click = [this] { Label2_Click(); };
  Label4.Click = [this] { Label4_Click(); };
}

void Form7::Form_Load() {
  ApplyOutline(*this);
}

void Form7::Form_MouseMove() {
  Label1.SetFontUnderline(false);
  Label2.SetFontUnderline(false);
  Label4.SetFontUnderline(false);
}

void Form7::Label1_MouseMove() {
  Label1.SetFontUnderline(true);
}
void Form7::Label2_MouseMove() {
  Label2.SetFontUnderline(true);
}
void Form7::Label4_MouseMove() {
  Label4.SetFontUnderline(true);
}
void Form7::Label1_Click() {
  Unload();
}
void Form7::Label2_Click() {
  program().Terminate();
}
void Form7::Label4_Click() {
  OpenLink(*this, links::kCommentsPage);
}

}  // namespace amorix
