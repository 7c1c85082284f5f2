// The credit, formation, exit confirmation and terms windows: how each is made, its hover
// feedback, its close label, its links, and which presses move it; and what a screen reader hears
// in every window.

#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "links/link_addresses.h"
#include "program_fixture.h"
#include "resources/resource_ids.h"

namespace amorix::testing {
namespace {

using Calls = std::vector<std::string>;

class SecondaryWindowTest : public ProgramTest {
 protected:
  Form3& OpenCredit() {
    Form1& main = StartToMain();
    Click(main, main.Label9);
    return *Find<Form3>();
  }
  Form6& OpenFormation() {
    Form1& main = StartToMain();
    Click(main, main.Label8);
    platform.Type(u"730481");
    return *Find<Form6>();
  }
  // Over a main window holding two names and their score.
  Form7& OpenConfirmation() {
    Form1& main = StartToMain();
    TypeInto(main.Text1, u"Ann");
    TypeInto(main.Text2, u"Bob");
    Click(main, main.Image1);
    Click(main, main.Label1);
    return *Find<Form7>();
  }
  Form8& OpenTerms() {
    Form1& main = StartToMain();
    Click(main, main.Label7);
    return *Find<Form8>();
  }

  struct Facts {
    std::u16string caption;
    int width, height;
    bool in_taskbar;
    ResourceId icon;
    PixelRect outline;
  };
  void ExpectMadeAs(Form& form, const Facts& facts) {
    ASSERT_TRUE(Shown(&form));
    const auto& info = platform.Info(form.hWnd());
    EXPECT_EQ(info.caption, facts.caption);
    EXPECT_EQ(form.Caption(), facts.caption);
    EXPECT_EQ(info.client_width, facts.width);
    EXPECT_EQ(info.client_height, facts.height);
    EXPECT_EQ(info.in_taskbar, facts.in_taskbar);
    EXPECT_EQ(info.icon, facts.icon);
    EXPECT_EQ(platform.RegionBox(form.hWnd()), std::optional<PixelRect>(facts.outline));
    EXPECT_EQ(CountCalls("SetWindowRgn(" + std::string(facts.caption.begin(), facts.caption.end())),
              1);
    // Centred on the screen (1024 x 768 here).
    EXPECT_EQ(info.x, (1024 - facts.width) / 2);
    EXPECT_EQ(info.y, (768 - facts.height) / 2);
  }

  // Presses on labels never move the window, whatever the button; every press on the
  // background does.
  void ExpectDraggedByTheBackgroundOnly(Form& form, std::initializer_list<Label*> labels) {
    const WindowHandle w = form.hWnd();
    for (Label* label : labels) {
      const Point p = Centre(label->Bounds());
      for (MouseButton button : {MouseButton::kRight, MouseButton::kMiddle}) {
        platform.Press(w, p.x, p.y, button);
        platform.Release(w, p.x, p.y, button);
      }
    }
    EXPECT_EQ(platform.drags(w), 0);
    PressBackground(form, MouseButton::kRight);
    EXPECT_EQ(platform.drags(w), 1);
    PressBackground(form, MouseButton::kMiddle);
    PressBackground(form, MouseButton::kLeft);
    EXPECT_EQ(platform.drags(w), 3);
    EXPECT_EQ(platform.Log({"SendMessageA"}).back(),
              "SendMessageA(" +
                  std::string(platform.Info(w).caption.begin(), platform.Info(w).caption.end()) +
                  ",161,2,0)");
  }

  // The main window as it is after a fresh load.
  void ExpectFreshMain() {
    Form1* main = Find<Form1>();
    ASSERT_TRUE(Shown(main));
    EXPECT_EQ(main->Text1.Text(), u"");
    EXPECT_EQ(main->Text2.Text(), u"");
    EXPECT_EQ(main->Label3.Caption(), u"");
    EXPECT_EQ(main->Text3.Text(), u"60");
  }
};

using CreditWindowTest = SecondaryWindowTest;
using FormationWindowTest = SecondaryWindowTest;
using ConfirmationWindowTest = SecondaryWindowTest;
using TermsWindowTest = SecondaryWindowTest;

TEST_F(CreditWindowTest, IsMadeAsDesigned) {
  Form3& credit = OpenCredit();
  ExpectMadeAs(credit, {u"Credit", 448, 270, false, IDI_PROGRAM, {0, 0, 431, 257}});
  EXPECT_FALSE(platform.Shows(credit.hWnd(), 0, 0));  // rounded corners
  EXPECT_EQ(credit.Label4.ToolTipText(), u"Close");
}

TEST_F(CreditWindowTest, TheCloseLabelLightsAndDimsAndStaysLitWhenThePointerLeaves) {
  Form3& credit = OpenCredit();
  EXPECT_EQ(credit.Label4.ForeColor(), 192u);
  Hover(credit, credit.Label4);
  EXPECT_EQ(credit.Label4.ForeColor(), 255u);
  HoverBackground(credit);
  EXPECT_EQ(credit.Label4.ForeColor(), 192u);
  Hover(credit, credit.Label4);
  const auto& info = platform.Info(credit.hWnd());
  platform.MoveMouse(credit.hWnd(), info.client_width - 1, info.client_height - 1);
  EXPECT_EQ(credit.Label4.ForeColor(), 255u);
}

TEST_F(CreditWindowTest, TheCloseLabelShowsAFreshMainWindow) {
  Form3& credit = OpenCredit();
  platform.ClearLog();
  Click(credit, credit.Label4);
  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Credit)",
                                  "CreateFormWindow(Amorix-Nimbus,611,358)->Amorix-Nimbus",
                                  "ShowFormWindow(Amorix-Nimbus,1)"}));
  EXPECT_FALSE(credit.Loaded());
  EXPECT_EQ(Find<Form3>(), &credit);
  ExpectFreshMain();
}

TEST_F(CreditWindowTest, OnlyTheBackgroundMovesIt) {
  Form3& credit = OpenCredit();
  ExpectDraggedByTheBackgroundOnly(credit, {&credit.Label4});
  Click(credit, credit.Label4);  // a left click on the label still closes
  EXPECT_FALSE(credit.Loaded());
}

TEST_F(FormationWindowTest, IsMadeAsDesignedWithSquareCorners) {
  Form6& formation = OpenFormation();
  ExpectMadeAs(formation, {u"SW. Formation", 340, 267, true, IDI_PROGRAM, {0, 0, 320, 250}});
  const WindowHandle w = formation.hWnd();
  for (const Point corner : {Point{0, 0}, Point{319, 0}, Point{0, 249}, Point{319, 249}}) {
    EXPECT_TRUE(platform.Shows(w, corner.x, corner.y)) << corner.x << "," << corner.y;
  }
  EXPECT_FALSE(platform.Shows(w, 320, 0));
  EXPECT_FALSE(platform.Shows(w, 0, 250));
  EXPECT_EQ(formation.Label1.ToolTipText(), u"Close");
}

TEST_F(FormationWindowTest, TheCloseLabelLightsAndDimsAndStaysLitWhenThePointerLeaves) {
  Form6& formation = OpenFormation();
  EXPECT_EQ(formation.Label1.ForeColor(), 192u);
  Hover(formation, formation.Label1);
  EXPECT_EQ(formation.Label1.ForeColor(), 255u);
  HoverBackground(formation);
  EXPECT_EQ(formation.Label1.ForeColor(), 192u);
  Hover(formation, formation.Label1);
  platform.MoveMouse(formation.hWnd(), 330, 260);  // the cut-away strip
  EXPECT_EQ(formation.Label1.ForeColor(), 255u);
}

TEST_F(FormationWindowTest, TheCloseLabelUnloadsItAndNothingElse) {
  Form6& formation = OpenFormation();
  Form4& help = *Find<Form4>();
  platform.ClearLog();
  Click(formation, formation.Label1);
  EXPECT_EQ(WindowCalls(), Calls{"DestroyFormWindow(SW. Formation)"});
  EXPECT_FALSE(formation.Loaded());
  EXPECT_EQ(Find<Form6>(), &formation);
  EXPECT_TRUE(Shown(&help));
  EXPECT_EQ(help.Text1.Text(), u"730481");
  EXPECT_EQ(Find<Form1>()->Loaded(), false);
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(FormationWindowTest, OnlyTheBackgroundMovesIt) {
  Form6& formation = OpenFormation();
  ExpectDraggedByTheBackgroundOnly(formation, {&formation.Label1});
  EXPECT_EQ(platform.drags(Find<Form4>()->hWnd()), 0);
}

TEST_F(ConfirmationWindowTest, IsMadeAsDesigned) {
  Form7& confirmation = OpenConfirmation();
  ExpectMadeAs(confirmation, {u"Confirmation", 315, 131, true, IDI_PROGRAM, {0, 0, 245, 121}});
  EXPECT_FALSE(platform.Shows(confirmation.hWnd(), 0, 0));
  EXPECT_EQ(confirmation.Label1.Caption(), u"No");
  EXPECT_EQ(confirmation.Label2.Caption(), u"Yes");
  EXPECT_EQ(confirmation.Label4.Caption(), u"Click here");
}

TEST_F(ConfirmationWindowTest, LabelsAreUnderlinedByTheirOwnMoveAndResetTogether) {
  Form7& confirmation = OpenConfirmation();
  Label* const active[] = {&confirmation.Label1, &confirmation.Label2, &confirmation.Label4};
  const Color colours[] = {confirmation.Label1.ForeColor(), confirmation.Label2.ForeColor(),
                           confirmation.Label3.ForeColor(), confirmation.Label4.ForeColor()};
  for (Label* label : active) EXPECT_FALSE(label->FontUnderline());

  Hover(confirmation, confirmation.Label2);
  EXPECT_TRUE(confirmation.Label2.FontUnderline());
  EXPECT_FALSE(confirmation.Label1.FontUnderline());
  EXPECT_FALSE(confirmation.Label4.FontUnderline());
  Hover(confirmation, confirmation.Label1);
  Hover(confirmation, confirmation.Label3);  // the comment request has no handlers
  Hover(confirmation, confirmation.Label4);
  for (Label* label : active) EXPECT_TRUE(label->FontUnderline());
  EXPECT_FALSE(confirmation.Label3.FontUnderline());

  platform.MoveMouse(confirmation.hWnd(), 300, 5);  // past the outline: nothing resets
  for (Label* label : active) EXPECT_TRUE(label->FontUnderline());
  HoverBackground(confirmation);
  for (Label* label : active) EXPECT_FALSE(label->FontUnderline());

  // Colours never change here.
  EXPECT_EQ(confirmation.Label1.ForeColor(), colours[0]);
  EXPECT_EQ(confirmation.Label2.ForeColor(), colours[1]);
  EXPECT_EQ(confirmation.Label3.ForeColor(), colours[2]);
  EXPECT_EQ(confirmation.Label4.ForeColor(), colours[3]);
}

TEST_F(ConfirmationWindowTest, NoClosesOnlyTheConfirmation) {
  Form7& confirmation = OpenConfirmation();
  Form1& main = *Find<Form1>();
  platform.ClearLog();
  Click(confirmation, confirmation.Label1);
  EXPECT_EQ(WindowCalls(), Calls{"DestroyFormWindow(Confirmation)"});
  EXPECT_FALSE(confirmation.Loaded());
  EXPECT_EQ(Find<Form7>(), &confirmation);
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(main.Text1.Text(), u"Ann");
  EXPECT_EQ(main.Text2.Text(), u"Bob");
  EXPECT_EQ(main.Label3.Caption(), u"66");
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(ConfirmationWindowTest, YesEndsTheProgramWithNothingMore) {
  Form7& confirmation = OpenConfirmation();
  platform.ClearLog();
  Click(confirmation, confirmation.Label2);
  EXPECT_TRUE(platform.terminated());
  EXPECT_EQ(WindowCalls(), Calls{"Terminate()"});
  EXPECT_TRUE(platform.fatal_messages().empty());
  EXPECT_FALSE(platform.Running());
}

TEST_F(ConfirmationWindowTest, ClickHereOpensTheCommentsPageAndLeavesTheQuestionOpen) {
  Form7& confirmation = OpenConfirmation();
  Hover(confirmation, confirmation.Label1);
  platform.ClearLog();
  Click(confirmation, confirmation.Label4);
  Click(confirmation, confirmation.Label4);
  const std::string request =
      std::string("ShellExecuteA(Confirmation,open,") + links::kCommentsPage + ",,,5)";
  EXPECT_EQ(platform.Log({"ShellExecuteA"}), (Calls{request, request}));
  EXPECT_TRUE(WindowCalls().empty());
  EXPECT_TRUE(Shown(&confirmation));
  EXPECT_TRUE(confirmation.Label1.FontUnderline());
  EXPECT_TRUE(Shown(Find<Form1>()));

  platform.SetShellResult(2);
  Click(confirmation, confirmation.Label4);
  EXPECT_TRUE(Shown(&confirmation));
  EXPECT_TRUE(platform.fatal_messages().empty());
}

TEST_F(ConfirmationWindowTest, OnlyTheBackgroundMovesIt) {
  Form7& confirmation = OpenConfirmation();
  ExpectDraggedByTheBackgroundOnly(confirmation, {&confirmation.Label1, &confirmation.Label2,
                                                  &confirmation.Label3, &confirmation.Label4});
  // A left press on "No" or "Yes" that is not a click moves nothing and answers nothing.
  const Point no = Centre(confirmation.Label1.Bounds());
  platform.Press(confirmation.hWnd(), no.x, no.y);
  EXPECT_EQ(platform.drags(confirmation.hWnd()), 3);
  EXPECT_TRUE(Shown(&confirmation));
  EXPECT_EQ(platform.drags(Find<Form1>()->hWnd()), 0);
}

TEST_F(TermsWindowTest, IsMadeAsDesigned) {
  Form8& terms = OpenTerms();
  ExpectMadeAs(terms, {u"Terms", 443, 276, false, IDI_TERMS, {0, 0, 429, 257}});
  EXPECT_EQ(platform.Info(terms.hWnd()).background, kColorWindow);
  EXPECT_FALSE(platform.Shows(terms.hWnd(), 0, 0));
  EXPECT_EQ(terms.Label9.ToolTipText(),
            u"Quillon Software Online Terms (*Internet Connection Required)");
  EXPECT_EQ(terms.Label4.ToolTipText(), u"Close");
  EXPECT_EQ(terms.GetMousePointer(), MousePointer::kDefault);
}

TEST_F(TermsWindowTest, LabelsLightAndDimAndStayLitWhenThePointerLeaves) {
  Form8& terms = OpenTerms();
  EXPECT_EQ(terms.Label9.ForeColor(), 192u);
  EXPECT_TRUE(terms.Label9.FontUnderline());
  EXPECT_EQ(terms.Label4.ForeColor(), 192u);

  Hover(terms, terms.Label9);
  EXPECT_EQ(terms.Label9.ForeColor(), 32768u);
  EXPECT_TRUE(terms.Label9.FontUnderline());
  EXPECT_EQ(terms.Label4.ForeColor(), 192u);
  Hover(terms, terms.Label1);  // the heading has no handlers
  Hover(terms, terms.Label4);
  EXPECT_EQ(terms.Label4.ForeColor(), 255u);
  EXPECT_EQ(terms.Label9.ForeColor(), 32768u);

  HoverBackground(terms);
  EXPECT_EQ(terms.Label9.ForeColor(), 192u);
  EXPECT_EQ(terms.Label4.ForeColor(), 192u);
  EXPECT_TRUE(terms.Label9.FontUnderline());
  EXPECT_EQ(terms.Label1.ForeColor(), 0u);

  Hover(terms, terms.Label9);
  Hover(terms, terms.Label4);
  platform.MoveMouse(terms.hWnd(), 440, 270);  // past the outline
  EXPECT_EQ(terms.Label9.ForeColor(), 32768u);
  EXPECT_EQ(terms.Label4.ForeColor(), 255u);
}

TEST_F(TermsWindowTest, TheLinkShowsTheHourglassOnlyWhileTheShellWorks) {
  Form8& terms = OpenTerms();
  Hover(terms, terms.Label9);
  platform.ClearLog();
  Click(terms, terms.Label9);
  const std::string request =
      std::string("ShellExecuteA(Terms,open,") + links::kOnlineTermsPage + ",,,5)";
  EXPECT_EQ(platform.Log({"SetMousePointer", "ShellExecuteA"}),
            (Calls{"SetMousePointer(Terms,11)", request, "SetMousePointer(Terms,0)"}));
  EXPECT_EQ(platform.Info(terms.hWnd()).pointer, MousePointer::kDefault);
  EXPECT_EQ(terms.GetMousePointer(), MousePointer::kDefault);
  // The window stays as it was.
  EXPECT_TRUE(WindowCalls().empty());
  EXPECT_TRUE(Shown(&terms));
  EXPECT_EQ(terms.Label9.ForeColor(), 32768u);
}

TEST_F(TermsWindowTest, AFailedLaunchStillRestoresThePointer) {
  Form8& terms = OpenTerms();
  platform.SetShellResult(2);
  platform.ClearLog();
  Click(terms, terms.Label9);
  Click(terms, terms.Label9);
  const std::string request =
      std::string("ShellExecuteA(Terms,open,") + links::kOnlineTermsPage + ",,,5)";
  EXPECT_EQ(platform.Log({"SetMousePointer", "ShellExecuteA"}),
            (Calls{"SetMousePointer(Terms,11)", request, "SetMousePointer(Terms,0)",
                   "SetMousePointer(Terms,11)", request, "SetMousePointer(Terms,0)"}));
  EXPECT_EQ(platform.Info(terms.hWnd()).pointer, MousePointer::kDefault);
  EXPECT_TRUE(platform.fatal_messages().empty());
  EXPECT_TRUE(Shown(&terms));
}

TEST_F(TermsWindowTest, AShellThatCannotBeBoundIsARunTimeError) {
  Form8& terms = OpenTerms();
  platform.FailShellBinding(true);
  platform.ClearLog();
  EXPECT_NO_THROW(Click(terms, terms.Label9));
  ASSERT_EQ(platform.fatal_messages().size(), 1u);
  EXPECT_TRUE(program.Ended());
  EXPECT_FALSE(platform.Running());
  // The handler stopped at the failed call.
  EXPECT_EQ(platform.Log({"SetMousePointer"}), Calls{"SetMousePointer(Terms,11)"});
  EXPECT_FALSE(platform.Click(terms.hWnd(), 10, 100) == headless::Hit::kWindow);
}

TEST_F(TermsWindowTest, TheCloseLabelShowsAFreshMainWindow) {
  Form8& terms = OpenTerms();
  platform.ClearLog();
  Click(terms, terms.Label4);
  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Terms)",
                                  "CreateFormWindow(Amorix-Nimbus,611,358)->Amorix-Nimbus",
                                  "ShowFormWindow(Amorix-Nimbus,1)"}));
  EXPECT_FALSE(terms.Loaded());
  EXPECT_EQ(Find<Form8>(), &terms);
  ExpectFreshMain();
}

TEST_F(TermsWindowTest, OnlyTheBackgroundMovesIt) {
  Form8& terms = OpenTerms();
  ExpectDraggedByTheBackgroundOnly(terms, {&terms.Label9, &terms.Label1, &terms.Label4});
}

// What a screen reader hears in each window: every label in declared order, by its caption or, for
// a glyph, its tooltip; links, buttons (a click handler) and plain text.
constexpr AccessibleRole kText = AccessibleRole::kStaticText;
constexpr AccessibleRole kButton = AccessibleRole::kPushButton;
constexpr AccessibleRole kLink = AccessibleRole::kLink;
struct Heard {
  std::u16string name;
  AccessibleRole role;
  bool shown = true;
};
struct ReaderRow {
  const char* window;
  std::vector<Heard> labels;
};
void PrintTo(const ReaderRow& row, std::ostream* os) {
  *os << row.window;
}

class ReaderViewTest : public SecondaryWindowTest, public ::testing::WithParamInterface<ReaderRow> {
 protected:
  Form& Open(std::string_view window) {
    if (window == "Splash") {
      program.Start();
      return *Find<Form5>();
    }
    if (window == "Credit") return OpenCredit();
    if (window == "Formation") return OpenFormation();
    if (window == "Confirmation") return OpenConfirmation();
    if (window == "Terms") return OpenTerms();
    Form1& main = StartToMain();
    if (window == "Help") Click(main, main.Label8);
    if (window == "Reminder") Click(main, main.Image1);
    if (window == "Help") return *Find<Form4>();
    if (window == "Reminder") return *Find<Form2>();
    return main;
  }
};

TEST_P(ReaderViewTest, EveryLabelIsNamedAndPlacedAsItIsDrawn) {
  Form& form = Open(GetParam().window);
  ASSERT_TRUE(Shown(&form));
  const std::vector<AccessibleLabel> described = platform.DescribeLabels(form.hWnd());
  ASSERT_EQ(described.size(), GetParam().labels.size());
  for (std::size_t i = 0; i < described.size(); ++i) {
    SCOPED_TRACE(i + 1);
    const AccessibleLabel& d = described[i];
    EXPECT_EQ(d.name, GetParam().labels[i].name);
    EXPECT_EQ(d.role, GetParam().labels[i].role);
    EXPECT_EQ(d.shown, GetParam().labels[i].shown);
    if (!d.shown) continue;
    const Point p = Centre(d.rect);
    const Label* under = form.LabelAt(p.x, p.y);
    ASSERT_NE(under, nullptr);
    EXPECT_EQ(under->Describe(), d) << "the label drawn in its rectangle";
  }
}

const std::u16string kClickHere = u"Click here";
INSTANTIATE_TEST_SUITE_P(
    EveryWindow, ReaderViewTest,
    ::testing::Values(
        ReaderRow{"Splash", {{u"Version: 6.0.0 (Nimbus)", kText}}},
        ReaderRow{"Main",
                  {{u"Exit", kButton},
                   {u"Calculate", kButton},
                   {u"TERMS", kButton},
                   {u"HELP", kButton},
                   {u"CREDIT", kButton},
                   {u"", kText}}},
        ReaderRow{"Reminder",
                  {{u"Close", kButton},
                   {u"First of all input first person name and then second person name. "
                    u"Example: Alpha and beta.",
                    kText, false},
                   {u"?", kText},
                   {u"Please Input Alpha and Beta on Text box. ", kText}}},
        ReaderRow{"Credit", {{u"Close", kButton}}},
        ReaderRow{"Help",
                  {{u"Product ID: D-4182736_5", kText},
                   {kClickHere, kLink},
                   {kClickHere, kLink},
                   {kClickHere, kLink},
                   {kClickHere, kLink},
                   {u"Close", kButton}}},
        ReaderRow{"Formation", {{u"Close", kButton}}},
        ReaderRow{"Confirmation",
                  {{kClickHere, kLink},
                   {u"Please give me your valuable Comment to improve this software", kText},
                   {u"Yes", kButton},
                   {u"No", kButton}}},
        ReaderRow{"Terms",
                  {{u"* Quillon Software Online Terms", kLink},
                   {u"o QUILLON SOFTWARE ONLINE TERMS:", kText},
                   {u"Close", kButton}}}));

}  // namespace
}  // namespace amorix::testing
