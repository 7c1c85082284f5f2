#include "app/splash_window.h"

#include "calculator/main_window.h"
#include "resources/resource_ids.h"
#include "shaping/outline.h"

namespace amorix {
namespace {

// clang-format off
constexpr BorderShapeDef kBorder[] = {
  {.index = 0, .kind = 4, .box = {0, 0, 5255, 4215}},
};
constexpr FormDef kForm5{.caption = u"Amorix", .client_width = 5520, .client_height = 4470,
                         .show_in_taskbar = false, .picture = IDP_FORM5, .icon = IDI_PROGRAM,
                         .shpborder = kBorder};

constexpr TimerDef kTimer1{.interval_ms = 3000, .enabled = true};
//                                      left   top  width height
constexpr LabelDef kLabel1{.box = {2880, 3840, 1935, 255}, .caption = u"Version: 6.0.0 (Nimbus)",
                           .fore_color = kColorInactiveBorder, .back_color = kDarkRed,
                           .back_style = BackStyle::kOpaque, .align = Align::kLeft};
// clang-format on

}  // namespace

Form5::Form5(Program& program)
    : Form(program, kForm5), Timer1(*this, kTimer1), Label1(*this, kLabel1) {
  Timer1.Tick = [this] { Timer1_Timer(); };
}

void Form5::Form_Load() {
  ApplyOutline(*this);
  // The main window comes at the tick; what it needs can be made while the splash waits.
  Form1::PrepareAhead(platform());
}

void Form5::Timer1_Timer() {
  Unload();
  Window<Form1>().Show();
}

}  // namespace amorix
