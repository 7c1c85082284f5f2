#include "windows/help_window.h"

#include "calculator/main_window.h"
#include "links/link_addresses.h"
#include "links/link_opener.h"
#include "resources/resource_ids.h"
#include "shaping/outline.h"
#include "windows/formation_window.h"

namespace amorix {
namespace {

constexpr FontSpec kLinkFont{u"MS Sans Serif", 9.75f};

// clang-format off
constexpr BorderShapeDef kBorder[] = {
  {.index = 0, .kind = 4, .box = {0, 0, 6405, 3875}},
};
constexpr FormDef kForm4{.caption = u"Help", .client_width = 6525, .client_height = 4020,
                         .show_in_taskbar = true, .picture = IDP_FORM4, .icon = IDI_PROGRAM,
                         .shpborder = kBorder};

//                                      left   top  width height
constexpr TextBoxDef kText1{.box = {4800, 3960, 1335, 285}, .tab_index = 5};
constexpr LabelDef kLabel6{.box = {3840, 3240, 2055, 255}, .caption = u"Product ID: D-4182736_5",
                           .back_color = Rgb(0, 192, 0), .back_style = BackStyle::kOpaque,
                           .align = Align::kCenter};
constexpr LabelDef kLabel5{.box = {2640, 2600, 1215, 255}, .caption = u"Click here",
                           .fore_color = kColorBackground, .back_style = BackStyle::kTransparent,
                           .font = kLinkFont, .link = true};
constexpr LabelDef kLabel3{.box = {3240, 2925, 1215, 255}, .caption = u"Click here", .fore_color = 0,
                           .back_style = BackStyle::kTransparent, .font = kLinkFont, .link = true};
constexpr LabelDef kLabel2{.box = {1920, 3275, 1095, 255}, .caption = u"Click here", .fore_color = 0,
                           .back_style = BackStyle::kTransparent, .font = kLinkFont, .link = true};
constexpr LabelDef kLabel1{.box = {3000, 2270, 1335, 255}, .caption = u"Click here",
                           .fore_color = kColorBackground, .back_style = BackStyle::kTransparent,
                           .font = kLinkFont, .link = true};
constexpr LabelDef kLabel4{.box = {6120,   45,  255,  375}, .caption = u"0", .fore_color = kDarkRed,
                           .back_style = BackStyle::kTransparent,
                           .font = {u"MS Sans Serif", 13.5f, true}, .tooltip = u"Close"};
// clang-format on

}  // namespace

Form4::Form4(Program& program)
    : Form(program, kForm4),
      Text1(*this, kText1),
      Label6(*this, kLabel6),
      Label5(*this, kLabel5),
      Label3(*this, kLabel3),
      Label2(*this, kLabel2),
      Label1(*this, kLabel1),
      Label4(*this, kLabel4) {
  Label1.MouseMove = [this] { Label1_MouseMove(); };
  Label2.MouseMove = [this] { Label2_MouseMove(); };
  Label3.MouseMove = [this] { Label3_MouseMove(); };
  Label5.MouseMove = [this] { Label5_MouseMove(); };
  Label4.MouseMove = [this] { Label4_MouseMove(); };
  Label1.Click = [this] { Label1_Click(); };
  Label2.Click = [this] { Label2_Click(); };
  Label3.Click = [this] { Label3_Click(); };
  Label5.Click = [this] { Label5_Click(); };
  Label4.Click = [this] { Label4_Click(); };
  Text1.Change = [this] { Text1_Change(); };
}

void Form4::Form_Load() {
  ApplyOutline(*this);
}

void Form4::Form_MouseMove() {
  Label4.SetForeColor(kDarkRed);
  for (Label* link : {&Label1, &Label2, &Label3, &Label5}) link->SetFontUnderline(false);
}

void Form4::Label4_MouseMove() {
  Label4.SetForeColor(kBrightRed);
}
void Form4::Label1_MouseMove() {
  Label1.SetFontUnderline(true);
}
void Form4::Label2_MouseMove() {
  Label2.SetFontUnderline(true);
}
void Form4::Label3_MouseMove() {
  Label3.SetFontUnderline(true);
}
void Form4::Label5_MouseMove() {
  Label5.SetFontUnderline(true);
}
void Form4::Label1_Click() {
  OpenLink(*this, links::kUpdatePage);
}
void Form4::Label2_Click() {
  OpenLink(*this, links::kSocialNetworkPage);
}
void Form4::Label3_Click() {
  OpenLink(*this, links::kSupportCentre);
}
void Form4::Label5_Click() {
  OpenLink(*this, links::kHomePage);
}

void Form4::Label4_Click() {
  Unload();
  Window<Form1>().Show();
}

void Form4::Text1_Change() {
  if (Text1.Text() == kExitCode) return program().Terminate();
  if (Text1.Text() == kFormationCode) Window<Form6>().Show();
}

}  // namespace amorix
