#include <string>

#include "app/numeric.h"
#include "program_fixture.h"
#include "resources/resource_ids.h"

namespace amorix::testing {
namespace {

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, LoadsAsLaidOut) {
  Form1& main = StartToMain();
  const auto& info = platform.Info(main.hWnd());
  EXPECT_EQ(info.caption, u"Amorix-Nimbus");
  EXPECT_EQ(info.client_width, 611);
  EXPECT_EQ(info.client_height, 358);
  EXPECT_TRUE(info.in_taskbar);
  EXPECT_EQ(info.icon, IDI_PROGRAM);
  EXPECT_TRUE(info.visible);
  EXPECT_EQ(info.x, (1024 - 611) / 2);
  EXPECT_EQ(info.y, (768 - 358) / 2);

  EXPECT_EQ(main.Text1.Text(), u"");
  EXPECT_EQ(main.Text2.Text(), u"");
  EXPECT_EQ(main.Text3.Text(), u"60");
  EXPECT_FALSE(main.Text3.Visible());
  EXPECT_FALSE(platform.Info(main.Text3.Handle()).visible);
  EXPECT_EQ(platform.Info(main.Text1.Handle()).rect, (PixelRect{48, 144, 249, 177}));
  EXPECT_EQ(platform.Info(main.Text2.Handle()).rect, (PixelRect{336, 144, 537, 177}));
  EXPECT_EQ(platform.Info(main.Text1.Handle()).max_length, 20);
  EXPECT_EQ(platform.Info(main.Text2.Handle()).max_length, 20);
  EXPECT_EQ(main.Label3.Caption(), u"");
  EXPECT_EQ(main.Image1.Bounds(), (PixelRect{232, 216, 361, 241}));

  // The tooltips of the close and menu labels, where the labels stand.
  EXPECT_EQ(platform.TooltipAt(main.hWnd(), 580, 20), u"Exit");
  EXPECT_EQ(platform.TooltipAt(main.hWnd(), 384, 70), u"CREDIT");
  EXPECT_EQ(platform.TooltipAt(main.hWnd(), 464, 70), u"TERMS");
  EXPECT_EQ(platform.TooltipAt(main.hWnd(), 536, 70), u"HELP");
  EXPECT_EQ(platform.TooltipAt(main.hWnd(), 296, 228), u"");
}

TEST_F(MainWindowTest, PaintsPictureLabelsAndFrames) {
  Form1& main = StartToMain();
  const headless::Drawing drawing = platform.Paint(main.hWnd());
  ASSERT_TRUE(drawing.painted);
  ASSERT_EQ(drawing.OfKind(headless::DrawOp::Kind::kPicture).size(), 1u);
  const headless::DrawOp* calculate = drawing.FindText(u"Calculate");
  ASSERT_NE(calculate, nullptr);
  EXPECT_EQ(calculate->color, 255u);
  EXPECT_EQ(drawing.FindText(u"Amorix"), nullptr);  // the name is in the picture
  EXPECT_EQ(drawing.OfKind(headless::DrawOp::Kind::kFrame).size(), 3u);
  // The Calculate label's band lies under its frame: the frame is painted after it.
  const auto& ops = drawing.ops;
  std::size_t band = ops.size(), frame = ops.size();
  for (std::size_t i = 0; i < ops.size(); ++i) {
    if (ops[i].kind == headless::DrawOp::Kind::kFill && ops[i].rect == main.Image1.Bounds())
      band = i;
    if (ops[i].kind == headless::DrawOp::Kind::kFrame && ops[i].rect == main.Image1.Bounds())
      frame = i;
  }
  EXPECT_LT(band, frame);
}

// The pictures are drawn for 96 pixels per inch; at any other ratio each is drawn scaled as its
// window's outline and controls are, and rounded as they are.
TEST(PictureScaleTest, EachPictureGrowsWithItsWindow) {
  struct Row {
    float ratio;
    PixelRect splash, main;
    int main_width, main_height;
  };
  for (const Row& row : {Row{15, {0, 0, 350, 280}, {0, 0, 600, 342}, 611, 358},
                         Row{12, {0, 0, 438, 350}, {0, 0, 750, 428}, 764, 448},
                         Row{10, {0, 0, 525, 420}, {0, 0, 900, 513}, 916, 537},
                         Row{7.5f, {0, 0, 700, 560}, {0, 0, 1200, 684}, 1222, 716}}) {
    SCOPED_TRACE(row.ratio);
    HeadlessPlatform platform;
    platform.SetTwipsPerPixel({row.ratio, row.ratio});
    platform.SetPictureSize(IDP_FORM1, {600, 342});
    platform.SetPictureSize(IDP_FORM5, {350, 280});
    Program program(platform);
    program.Start();
    const WindowHandle splash = platform.Window(u"Amorix");
    EXPECT_EQ(platform.Paint(splash).OfKind(headless::DrawOp::Kind::kPicture).at(0)->rect,
              row.splash);
    platform.FireTimer(splash, 1);
    const WindowHandle main = platform.Window(u"Amorix-Nimbus");
    EXPECT_EQ(platform.Paint(main).OfKind(headless::DrawOp::Kind::kPicture).at(0)->rect, row.main);
    EXPECT_EQ(platform.RegionBox(main), row.main);  // the outline is the picture's
    EXPECT_EQ(platform.Info(main).client_width, row.main_width);
    EXPECT_EQ(platform.Info(main).client_height, row.main_height);
  }
}

TEST_F(MainWindowTest, FocusStartsInTheFirstNameAndTabsBetweenTheNames) {
  Form1& main = StartToMain();
  EXPECT_EQ(platform.FocusedEdit(), main.Text1.Handle());
  platform.Tab();
  EXPECT_EQ(platform.FocusedEdit(), main.Text2.Handle());
  platform.Tab();
  EXPECT_EQ(platform.FocusedEdit(), main.Text1.Handle());
}

TEST_F(MainWindowTest, NameBoxesTakeTwentyCharacters) {
  Form1& main = StartToMain();
  TypeInto(main.Text1, u"abcdefghijklmnopqrstu");
  EXPECT_EQ(main.Text1.Text(), u"abcdefghijklmnopqrst");
  TypeInto(main.Text2, u"");
  platform.Paste(std::u16string(1 << 20, u'x'));
  EXPECT_EQ(main.Text2.Text(), std::u16string(20, u'x'));
}

struct Names {
  std::u16string first, second, score;
};

class ScoreTest : public ProgramTest, public ::testing::WithParamInterface<Names> {};

TEST_P(ScoreTest, IsBothLengthsPlusSixty) {
  Form1& main = StartToMain();
  TypeInto(main.Text1, GetParam().first);
  TypeInto(main.Text2, GetParam().second);
  platform.ClearLog();
  Click(main, main.Image1);
  EXPECT_EQ(main.Label3.Caption(), GetParam().score);
  EXPECT_EQ(platform.Log({"NotifyAccessibleChange"}),
            std::vector<std::string>{"NotifyAccessibleChange(Amorix-Nimbus,6,name)"})
      << "the score is announced once";
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(Find<Form2>(), nullptr);
  Click(main, main.Image1);
  EXPECT_EQ(main.Label3.Caption(), GetParam().score);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ScoreTest,
    ::testing::Values(Names{u"Ann", u"Bob", u"66"}, Names{u"Mary Ann", u"Bob", u"71"},
                      Names{u"Bob", u"Mary Ann", u"71"}, Names{u"A", u"b", u"62"},
                      Names{u"   ", u"Bob", u"66"}, Names{u" Ann ", u"Bob", u"68"},
                      Names{u"!?#", u"123", u"66"},
                      Names{std::u16string(20, u'n'), std::u16string(20, u'm'), u"100"},
                      Names{u"Łukasz", u"Zoë", u"69"}, Names{u"李小龍", u"صالح", u"67"},
                      Names{u"\U0001F496", u"Jo", u"64"}));

TEST_F(MainWindowTest, EditingANameKeepsTheShownScore) {
  Form1& main = StartToMain();
  TypeInto(main.Text1, u"Ann");
  TypeInto(main.Text2, u"Bob");
  Click(main, main.Image1);
  TypeInto(main.Text1, u"ette");
  platform.Backspace();
  EXPECT_EQ(main.Label3.Caption(), u"66");
}

TEST_F(MainWindowTest, AMissingNameHidesTheMainWindowForTheReminder) {
  for (const Names& names :
       {Names{u"", u"", u""}, Names{u"Ann", u"", u""}, Names{u"", u"Bob", u""}}) {
    SCOPED_TRACE(std::string(names.first.begin(), names.first.end()));
    HeadlessPlatform fresh;
    Program run(fresh);
    run.Start();
    fresh.FireTimer(fresh.Window(u"Amorix"), 1);
    Form1& main = run.windows().Get<Form1>();
    const auto type = [&](TextBox& box, std::u16string_view text) {
      const PixelRect r = fresh.Info(box.Handle()).rect;
      fresh.Click(main.hWnd(), r.left + 2, r.top + 2);
      fresh.Type(text);
    };
    type(main.Text1, names.first);
    type(main.Text2, names.second);
    const Point calculate = Centre(main.Image1.Bounds());
    fresh.Click(main.hWnd(), calculate.x, calculate.y);

    EXPECT_TRUE(main.Loaded());
    EXPECT_FALSE(fresh.IsVisible(main.hWnd()));
    Form2* reminder = run.windows().Find<Form2>();
    ASSERT_NE(reminder, nullptr);
    EXPECT_TRUE(fresh.IsVisible(reminder->hWnd()));
    // The score is still written, into the hidden window.
    EXPECT_EQ(main.Label3.Caption(), NumberToText(60.0 + names.first.size() + names.second.size()));
    EXPECT_EQ(main.Text1.Text(), names.first);
    EXPECT_EQ(main.Text2.Text(), names.second);
  }
}

TEST_F(MainWindowTest, CloseLabelIsBrightUntilTheFirstMoveOverTheBackground) {
  Form1& main = StartToMain();
  EXPECT_EQ(main.Label1.ForeColor(), 255u);
  HoverBackground(main);
  EXPECT_EQ(main.Label1.ForeColor(), 192u);
  Hover(main, main.Label1);
  EXPECT_EQ(main.Label1.ForeColor(), 255u);
  // Leaving to the right, straight out of the window, leaves it bright.
  platform.MoveMouse(main.hWnd(), 605, 20);
  EXPECT_EQ(main.Label1.ForeColor(), 255u);
}

TEST_F(MainWindowTest, MenuLabelsLightByTheirOwnMoveAndDarkenOnlyOverTheBackground) {
  Form1& main = StartToMain();
  Label* menus[] = {&main.Label9, &main.Label7, &main.Label8};
  for (Label* menu : menus) EXPECT_EQ(menu->BackStyle(), BackStyle::kTransparent);
  Hover(main, main.Label9);
  Hover(main, main.Label7);  // straight from one to the next
  EXPECT_EQ(main.Label9.BackStyle(), BackStyle::kOpaque);
  EXPECT_EQ(main.Label9.BackColor(), 192u);
  EXPECT_EQ(main.Label7.BackStyle(), BackStyle::kOpaque);
  EXPECT_EQ(main.Label8.BackStyle(), BackStyle::kTransparent);
  for (Label* menu : menus) EXPECT_EQ(menu->ForeColor(), 255u);

  // Name boxes, the Calculate label and the result label change nothing.
  const Point name = Centre(platform.Info(main.Text1.Handle()).rect);
  platform.MoveMouse(main.hWnd(), name.x, name.y);
  Hover(main, main.Image1);
  Hover(main, main.Label3);
  EXPECT_EQ(main.Label7.BackStyle(), BackStyle::kOpaque);

  HoverBackground(main);
  for (Label* menu : menus) EXPECT_EQ(menu->BackStyle(), BackStyle::kTransparent);
}

TEST_F(MainWindowTest, AHoverChangeRepaintsOnlyTheLabel) {
  Form1& main = StartToMain();
  HoverBackground(main);
  platform.ClearLog();
  Hover(main, main.Label8);
  EXPECT_EQ(platform.InvalidatedArea(main.hWnd()),
            static_cast<long long>(main.Label8.Bounds().Width()) * main.Label8.Bounds().Height());
  platform.ClearLog();
  Hover(main, main.Label8);  // already lit: nothing to repaint
  EXPECT_EQ(platform.InvalidatedArea(main.hWnd()), 0);
}

TEST_F(MainWindowTest, ALabelHoldsTheMouseFromItsPressAndClicksOnlyOnThatPress) {
  Form1& main = StartToMain();
  const WindowHandle w = main.hWnd();
  const Point credit = Centre(main.Label9.Bounds());
  platform.ClearLog();
  // Released outside the window: the held mouse brings the release here, so a later release
  // over the label finds no press.
  platform.Press(w, credit.x, credit.y);
  EXPECT_EQ(platform.Release(w, 700, credit.y), HeadlessPlatform::Hit::kWindow);
  platform.Release(w, credit.x, credit.y);
  // The capture taken away in the middle of a press forgets the press.
  platform.Press(w, credit.x, credit.y);
  EXPECT_TRUE(platform.TakeCaptureAway());
  platform.Release(w, credit.x, credit.y);
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(platform.Log({"SetCapture", "ReleaseCapture"}),
            (std::vector<std::string>{"SetCapture(Amorix-Nimbus)->null", "ReleaseCapture()",
                                      "SetCapture(Amorix-Nimbus)->null"}));

  platform.ClearLog();
  platform.Click(w, credit.x, credit.y);  // the mouse's own click, whoever else may click
  EXPECT_TRUE(Shown(Find<Form3>()));
  EXPECT_EQ(platform.Log({"SetCapture", "ReleaseCapture"}),
            (std::vector<std::string>{"SetCapture(Amorix-Nimbus)->null", "ReleaseCapture()"}));
  EXPECT_FALSE(platform.TakeCaptureAway()) << "the click let the mouse go";
}

TEST_F(MainWindowTest, PressingTheBackgroundWithAnyButtonDragsAndALabelDoesNot) {
  Form1& main = StartToMain();
  const Point bg = Background(main);
  platform.Press(main.hWnd(), bg.x, bg.y, MouseButton::kRight, {.shift = true});
  platform.Press(main.hWnd(), bg.x, bg.y, MouseButton::kMiddle, {.ctrl = true});
  platform.Press(main.hWnd(), bg.x, bg.y, MouseButton::kLeft, {.alt = true});
  EXPECT_EQ(platform.drags(main.hWnd()), 3);
  const Point calc = Centre(main.Image1.Bounds());
  platform.Press(main.hWnd(), calc.x, calc.y, MouseButton::kRight);
  const Point name = Centre(platform.Info(main.Text1.Handle()).rect);
  platform.Press(main.hWnd(), name.x, name.y);
  EXPECT_EQ(platform.drags(main.hWnd()), 3);
}

}  // namespace
}  // namespace amorix::testing
