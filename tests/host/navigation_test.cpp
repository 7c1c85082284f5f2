// The moves between windows, one scenario per event that makes one, from start-up on, and the
// sequences of moves whose outcome depends on what was loaded, hidden or dragged before.

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace amorix::testing {
namespace {

using Calls = std::vector<std::string>;

constexpr int kMainLeft = (1024 - 611) / 2;  // the main window centred on the 1024 x 768 screen
constexpr int kMainTop = (768 - 358) / 2;

const Calls kFreshMain = {"CreateFormWindow(Amorix-Nimbus,611,358)->Amorix-Nimbus",
                          "ShowFormWindow(Amorix-Nimbus,1)"};

Calls Then(Calls first, const Calls& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

class NavigationTest : public ProgramTest {
 protected:
  Form1& MainWithNames(std::u16string_view first, std::u16string_view second) {
    Form1& main = StartToMain();
    if (!first.empty()) TypeInto(main.Text1, first);
    if (!second.empty()) TypeInto(main.Text2, second);
    return main;
  }
  // The window a menu label of the main window leads to.
  template <class W>
  W& Through(Label Form1::*menu) {
    Form1& main = *Find<Form1>();
    Click(main, main.*menu);
    return *Find<W>();
  }
  int IndexOf(const std::string& line) const {
    const auto& log = platform.Log();
    return static_cast<int>(std::find(log.begin(), log.end(), line) - log.begin());
  }
  void ExpectFreshCentredMain() {
    Form1* main = Find<Form1>();
    ASSERT_TRUE(Shown(main));
    EXPECT_EQ(main->Text1.Text(), u"");
    EXPECT_EQ(main->Text2.Text(), u"");
    EXPECT_EQ(main->Label3.Caption(), u"");
    const auto& info = platform.Info(main->hWnd());
    EXPECT_EQ(info.x, kMainLeft);
    EXPECT_EQ(info.y, kMainTop);
  }
};

using NavigationTableTest = NavigationTest;
using NavigationEdgeTest = NavigationTest;

TEST_F(NavigationTableTest, Row1StartShowsTheSplashAlone) {
  program.Start();
  EXPECT_EQ(WindowCalls(),
            (Calls{"CreateFormWindow(Amorix,368,298)->Amorix", "ShowFormWindow(Amorix,1)"}));
  EXPECT_TRUE(Shown(Find<Form5>()));
  EXPECT_EQ(Find<Form1>(), nullptr);
  EXPECT_EQ(Find<Form2>(), nullptr);
  EXPECT_EQ(Find<Form3>(), nullptr);
  EXPECT_EQ(Find<Form4>(), nullptr);
  EXPECT_EQ(Find<Form6>(), nullptr);
  EXPECT_EQ(Find<Form7>(), nullptr);
  EXPECT_EQ(Find<Form8>(), nullptr);
}

TEST_F(NavigationTableTest, Row2TheSplashTickUnloadsItThenShowsTheMainWindow) {
  program.Start();
  Form5& splash = *Find<Form5>();
  platform.ClearLog();
  platform.FireTimer(splash.hWnd(), 1);
  EXPECT_EQ(WindowCalls(), Then({"DestroyFormWindow(Amorix)"}, kFreshMain));
  EXPECT_FALSE(splash.Loaded());
  EXPECT_TRUE(Shown(Find<Form1>()));
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(NavigationTableTest, Row3CalculateWithANameMissingHidesMainAndShowsTheReminder) {
  Form1& main = MainWithNames(u"Ann", u"");
  platform.ClearLog();
  Click(main, main.Image1);
  EXPECT_EQ(WindowCalls(), (Calls{"ShowFormWindow(Amorix-Nimbus,0)",
                                  "CreateFormWindow(Information,280,159)->Information",
                                  "ShowFormWindow(Information,1)"}));
  EXPECT_TRUE(main.Loaded());
  EXPECT_FALSE(platform.IsVisible(main.hWnd()));
  EXPECT_TRUE(Shown(Find<Form2>()));
  EXPECT_EQ(main.Label3.Caption(), u"63");  // the score step ran on the hidden window
}

TEST_F(NavigationTableTest, Row4TheCloseLabelShowsTheConfirmationOverMain) {
  Form1& main = StartToMain();
  platform.ClearLog();
  Click(main, main.Label1);
  EXPECT_EQ(WindowCalls(), (Calls{"CreateFormWindow(Confirmation,315,131)->Confirmation",
                                  "ShowFormWindow(Confirmation,1)"}));
  EXPECT_TRUE(Shown(&main));
  EXPECT_TRUE(Shown(Find<Form7>()));
}

struct MenuRow {
  const char* name;
  Label Form1::*menu;
  std::string caption;
  std::string size;
};

void PrintTo(const MenuRow& row, std::ostream* os) {
  *os << row.name;
}

class MenuRowTest : public NavigationTest, public ::testing::WithParamInterface<MenuRow> {};

TEST_P(MenuRowTest, AMenuLabelUnloadsMainThenShowsItsWindow) {
  Form1& main = MainWithNames(u"Ann", u"Bob");
  platform.ClearLog();
  Click(main, main.*GetParam().menu);
  const std::string& caption = GetParam().caption;
  EXPECT_EQ(WindowCalls(),
            (Calls{"DestroyFormWindow(Amorix-Nimbus)",
                   "CreateFormWindow(" + caption + "," + GetParam().size + ")->" + caption,
                   "ShowFormWindow(" + caption + ",1)"}));
  EXPECT_FALSE(main.Loaded());
  EXPECT_EQ(Find<Form1>(), &main);
  EXPECT_EQ(platform.VisibleCaptions(),
            std::vector<std::u16string>({std::u16string(caption.begin(), caption.end())}));
  EXPECT_FALSE(platform.quit_called());
}

INSTANTIATE_TEST_SUITE_P(
    Rows5To7, MenuRowTest,
    ::testing::Values(MenuRow{"Row5Terms", &Form1::Label7, "Terms", "443,276"},
                      MenuRow{"Row6Help", &Form1::Label8, "Help", "435,268"},
                      MenuRow{"Row7Credit", &Form1::Label9, "Credit", "448,270"}),
    [](const ::testing::TestParamInfo<MenuRow>& info) { return std::string(info.param.name); });

TEST_F(NavigationTableTest, Row8TheReminderShowsMainThenUnloadsItselfThenClearsTheScore) {
  Form1& main = MainWithNames(u"", u"Bob");
  Click(main, main.Image1);
  Form2& reminder = *Find<Form2>();
  platform.ClearLog();
  Click(reminder, reminder.Label4);
  EXPECT_EQ(WindowCalls(),
            (Calls{"ShowFormWindow(Amorix-Nimbus,1)", "DestroyFormWindow(Information)"}));
  // The score is cleared after the reminder has gone.
  const PixelRect score = main.Label3.Bounds();
  const int cleared = IndexOf("Invalidate(Amorix-Nimbus," + std::to_string(score.left) + "," +
                              std::to_string(score.top) + "," + std::to_string(score.right) + "," +
                              std::to_string(score.bottom) + ")");
  EXPECT_LT(cleared, static_cast<int>(platform.Log().size()));
  EXPECT_LT(IndexOf("DestroyFormWindow(Information)"), cleared);
  EXPECT_FALSE(reminder.Loaded());
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(main.Text2.Text(), u"Bob");
  EXPECT_EQ(main.Label3.Caption(), u"");
}

TEST_F(NavigationTableTest, Row9TheCreditCloseLabelUnloadsItThenShowsMain) {
  StartToMain();
  Form3& credit = Through<Form3>(&Form1::Label9);
  platform.ClearLog();
  Click(credit, credit.Label4);
  EXPECT_EQ(WindowCalls(), Then({"DestroyFormWindow(Credit)"}, kFreshMain));
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(NavigationTableTest, Row10TheHelpCloseLabelUnloadsItThenShowsMain) {
  StartToMain();
  Form4& help = Through<Form4>(&Form1::Label8);
  platform.ClearLog();
  Click(help, help.Label4);
  EXPECT_EQ(WindowCalls(), Then({"DestroyFormWindow(Help)"}, kFreshMain));
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(NavigationTableTest, Row11TheExitCodeTerminates) {
  StartToMain();
  Through<Form4>(&Form1::Label8);
  platform.ClearLog();
  platform.Type(u"730418");
  EXPECT_EQ(WindowCalls(), Calls{"Terminate()"});
}

TEST_F(NavigationTableTest, Row12TheFormationCodeShowsTheFormationWindow) {
  StartToMain();
  Form4& help = Through<Form4>(&Form1::Label8);
  platform.ClearLog();
  platform.Type(u"730481");
  EXPECT_EQ(WindowCalls(), (Calls{"CreateFormWindow(SW. Formation,340,267)->SW. Formation",
                                  "ShowFormWindow(SW. Formation,1)"}));
  EXPECT_TRUE(Shown(&help));
}

TEST_F(NavigationTableTest, Row13TheFormationCloseLabelUnloadsOnlyIt) {
  StartToMain();
  Form4& help = Through<Form4>(&Form1::Label8);
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  platform.ClearLog();
  Click(formation, formation.Label1);
  EXPECT_EQ(WindowCalls(), Calls{"DestroyFormWindow(SW. Formation)"});
  EXPECT_TRUE(Shown(&help));
}

TEST_F(NavigationTableTest, Row14NoUnloadsOnlyTheConfirmation) {
  Form1& main = StartToMain();
  Form7& confirmation = Through<Form7>(&Form1::Label1);
  platform.ClearLog();
  Click(confirmation, confirmation.Label1);
  EXPECT_EQ(WindowCalls(), Calls{"DestroyFormWindow(Confirmation)"});
  EXPECT_TRUE(Shown(&main));
}

TEST_F(NavigationTableTest, Row15YesTerminates) {
  StartToMain();
  Form7& confirmation = Through<Form7>(&Form1::Label1);
  platform.ClearLog();
  Click(confirmation, confirmation.Label2);
  EXPECT_EQ(WindowCalls(), Calls{"Terminate()"});
}

TEST_F(NavigationTableTest, Row16TheTermsCloseLabelUnloadsItThenShowsMain) {
  StartToMain();
  Form8& terms = Through<Form8>(&Form1::Label7);
  platform.ClearLog();
  Click(terms, terms.Label4);
  EXPECT_EQ(WindowCalls(), Then({"DestroyFormWindow(Terms)"}, kFreshMain));
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(NavigationEdgeTest, EveryWayBackFromAMenuWindowGivesAFreshCentredMain) {
  platform.SetDragMove(40, 25);
  StartToMain();
  for (Label Form1::*menu : {&Form1::Label9, &Form1::Label8, &Form1::Label7}) {
    Form1& main = *Find<Form1>();
    TypeInto(main.Text1, u"Ann");
    TypeInto(main.Text2, u"Bob");
    Click(main, main.Image1);
    ASSERT_EQ(main.Label3.Caption(), u"66");
    PressBackground(main);
    ASSERT_EQ(platform.Info(main.hWnd()).x, kMainLeft + 40);
    Click(main, main.*menu);
    if (Form3* credit = Find<Form3>(); credit && credit->Loaded()) Click(*credit, credit->Label4);
    if (Form4* help = Find<Form4>(); help && help->Loaded()) Click(*help, help->Label4);
    if (Form8* terms = Find<Form8>(); terms && terms->Loaded()) Click(*terms, terms->Label4);
    ExpectFreshCentredMain();
    EXPECT_EQ(Find<Form1>()->Label9.BackStyle(), BackStyle::kTransparent);  // hover state gone
  }
  EXPECT_EQ(CountCalls("Quit("), 0);
}

TEST_F(NavigationEdgeTest, TheReminderRoundTripKeepsNamesAndPlace) {
  platform.SetDragMove(-30, 12);
  Form1& main = MainWithNames(u"Ann", u"");
  PressBackground(main);
  Click(main, main.Image1);
  Form2& reminder = *Find<Form2>();
  Click(reminder, reminder.Label4);
  ASSERT_TRUE(Shown(&main));
  EXPECT_EQ(main.Text1.Text(), u"Ann");
  EXPECT_EQ(main.Label3.Caption(), u"");
  EXPECT_EQ(platform.Info(main.hWnd()).x, kMainLeft - 30);
  EXPECT_EQ(platform.Info(main.hWnd()).y, kMainTop + 12);
  EXPECT_EQ(CountCalls("CreateFormWindow(Amorix-Nimbus,"), 1);
}

TEST_F(NavigationEdgeTest, TheConfirmationStaysOpenWhileMainIsReplacedAndNoThenOnlyClosesIt) {
  Form1& main = StartToMain();
  Click(main, main.Label1);
  Form7& confirmation = *Find<Form7>();
  Click(main, main.Label9);
  EXPECT_FALSE(main.Loaded());
  Form3& credit = *Find<Form3>();
  EXPECT_TRUE(Shown(&credit));
  EXPECT_TRUE(Shown(&confirmation));
  Click(confirmation, confirmation.Label1);
  EXPECT_FALSE(confirmation.Loaded());
  EXPECT_TRUE(Shown(&credit));
  EXPECT_FALSE(main.Loaded());
  EXPECT_FALSE(platform.quit_called());
  // Back to the main window, whose close label opens the confirmation afresh.
  Click(credit, credit.Label4);
  Click(main, main.Label1);
  EXPECT_TRUE(Shown(&confirmation));
  EXPECT_EQ(CountCalls("CreateFormWindow(Confirmation,"), 2);
}

TEST_F(NavigationEdgeTest, TheConfirmationLeftOpenStillEndsTheProgramWithYes) {
  Form1& main = StartToMain();
  Click(main, main.Label1);
  Form7& confirmation = *Find<Form7>();
  Click(main, main.Label7);
  ASSERT_TRUE(Shown(Find<Form8>()));
  platform.ClearLog();
  Click(confirmation, confirmation.Label2);
  EXPECT_EQ(WindowCalls(), Calls{"Terminate()"});
}

TEST_F(NavigationEdgeTest, TheFormationWindowStaysOpenBesideAFreshMainAfterLeavingHelp) {
  StartToMain();
  Form4& help = Through<Form4>(&Form1::Label8);
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  Hover(formation, formation.Label1);
  PressBackground(help);
  Click(help, help.Label4);
  EXPECT_FALSE(help.Loaded());
  ExpectFreshCentredMain();
  EXPECT_TRUE(Shown(&formation));
  EXPECT_EQ(formation.Label1.ForeColor(), 255u);  // untouched
  Click(formation, formation.Label1);
  EXPECT_TRUE(Shown(Find<Form1>()));
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(NavigationEdgeTest, ClickingTheCloseLabelTwiceShowsOneConfirmation) {
  Form1& main = StartToMain();
  Click(main, main.Label1);
  Form7& confirmation = *Find<Form7>();
  Hover(confirmation, confirmation.Label2);
  platform.ClearLog();
  Click(main, main.Label1);
  EXPECT_EQ(WindowCalls(), Calls{});
  EXPECT_EQ(CountCalls("SetWindowRgn("), 0);
  EXPECT_TRUE(confirmation.Label2.FontUnderline());  // not loaded again
  EXPECT_TRUE(Shown(&confirmation));
  EXPECT_TRUE(Shown(&main));
}

TEST_F(NavigationEdgeTest, TheExitCodeEndsTheProgramWithHiddenWindowsStillLoaded) {
  Form1& main = StartToMain();
  Click(main, main.Label1);
  Click(main, main.Label8);
  Form4& help = *Find<Form4>();
  Form7& confirmation = *Find<Form7>();
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  // No user path hides a window while the help window is open; a handler of the test does.
  program.Dispatch([&] {
    confirmation.Hide();
    formation.Hide();
  });
  ASSERT_EQ(platform.ActiveWindow(), help.hWnd());
  platform.Backspace();
  platform.Backspace();
  platform.ClearLog();
  platform.Type(u"18");
  EXPECT_EQ(WindowCalls(), Calls{"Terminate()"});
  EXPECT_TRUE(confirmation.Loaded());
  EXPECT_TRUE(formation.Loaded());
  EXPECT_FALSE(platform.Running());
}

TEST_F(NavigationEdgeTest, AReloadedWindowTakesItsDesignTimeValuesAgain) {
  Form1& main = StartToMain();
  Click(main, main.Label1);
  Form7& confirmation = *Find<Form7>();
  Hover(confirmation, confirmation.Label4);
  Click(confirmation, confirmation.Label1);
  Click(main, main.Label1);
  EXPECT_FALSE(confirmation.Label4.FontUnderline());
  Click(confirmation, confirmation.Label1);

  HoverBackground(main);
  ASSERT_EQ(main.Label1.ForeColor(), 192u);
  Hover(main, main.Label7);
  ASSERT_EQ(main.Label7.BackStyle(), BackStyle::kOpaque);
  Form8& terms = Through<Form8>(&Form1::Label7);
  Hover(terms, terms.Label9);
  Hover(terms, terms.Label4);
  Click(terms, terms.Label4);
  EXPECT_EQ(main.Label7.BackStyle(), BackStyle::kTransparent);
  EXPECT_EQ(main.Label1.ForeColor(), 255u);  // its design-time colour
  Click(main, main.Label7);
  EXPECT_EQ(terms.Label9.ForeColor(), 192u);
  EXPECT_TRUE(terms.Label9.FontUnderline());
  EXPECT_EQ(terms.Label4.ForeColor(), 192u);
  Click(terms, terms.Label4);

  Form4& help = Through<Form4>(&Form1::Label8);
  platform.Type(u"7304");
  Hover(help, help.Label4);
  Hover(help, help.Label2);
  Click(help, help.Label4);
  Click(main, main.Label8);
  EXPECT_EQ(help.Text1.Text(), u"");
  EXPECT_EQ(help.Label4.ForeColor(), 192u);
  EXPECT_FALSE(help.Label2.FontUnderline());
  EXPECT_EQ(platform.FocusedEdit(), help.Text1.Handle());
}

TEST_F(NavigationEdgeTest, TheProgramNeverEndsBetweenTheStepsOfAMove) {
  program.Start();
  platform.FireTimer(Find<Form5>()->hWnd(), 1);
  EXPECT_FALSE(platform.quit_called());
  Form3& credit = Through<Form3>(&Form1::Label9);
  Click(credit, credit.Label4);
  EXPECT_FALSE(platform.quit_called());
  Form4& help = Through<Form4>(&Form1::Label8);
  Click(help, help.Label4);
  EXPECT_FALSE(platform.quit_called());
  Form8& terms = Through<Form8>(&Form1::Label7);
  Click(terms, terms.Label4);
  EXPECT_FALSE(platform.quit_called());
  EXPECT_EQ(CountCalls("Quit("), 0);
  EXPECT_TRUE(platform.Running());
  EXPECT_TRUE(Shown(Find<Form1>()));
}

TEST_F(NavigationEdgeTest, ASystemCloseOfTheLastLoadedWindowEndsTheProgram) {
  Form1& main = StartToMain();
  Click(main, main.Label1);
  Form7& confirmation = *Find<Form7>();
  ASSERT_TRUE(platform.CloseRequest(main.hWnd()));
  EXPECT_FALSE(main.Loaded());
  EXPECT_FALSE(platform.quit_called());
  platform.ClearLog();
  ASSERT_TRUE(platform.CloseRequest(confirmation.hWnd()));
  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Confirmation)", "Quit()"}));
  EXPECT_TRUE(program.Ended());
  EXPECT_FALSE(platform.terminated());
}

}  // namespace
}  // namespace amorix::testing
