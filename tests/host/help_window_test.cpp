// The help window: its hidden code box and the two codes, its hover feedback, its four links and
// its close label back to a fresh main window.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "links/link_addresses.h"
#include "program_fixture.h"

namespace amorix::testing {
namespace {

using Calls = std::vector<std::string>;

class HelpWindowTest : public ProgramTest {
 protected:
  // The help window, reached the usual way: the main window's HELP label.
  Form4& OpenHelp() {
    Form1& main = StartToMain();
    Click(main, main.Label8);
    return *Find<Form4>();
  }
  // The box's text as the system holds it (reading it this way logs nothing).
  std::u16string Box() { return platform.EditText(Find<Form4>()->Text1.Handle()); }
  // Types one character at a time, each its own change of the box.
  void TypeEach(std::u16string_view text) {
    for (char16_t c : text) platform.Type(std::u16string(1, c));
  }
};

using HelpCodeTest = HelpWindowTest;
using HelpHoverTest = HelpWindowTest;
using HelpCloseTest = HelpWindowTest;
using HelpLinkErrorTest = HelpWindowTest;

TEST_F(HelpCodeTest, TheExitCodeEndsTheProgramAsTheSixthDigitArrives) {
  Form4& help = OpenHelp();
  for (char16_t digit : std::u16string_view(u"73041")) {
    ASSERT_TRUE(platform.Type(std::u16string(1, digit)));
    EXPECT_FALSE(platform.terminated()) << "after " << static_cast<char>(digit);
  }
  EXPECT_EQ(Box(), u"73041");
  platform.ClearLog();
  platform.Type(u"8");
  EXPECT_TRUE(platform.terminated());
  // Nothing but the end: no window is closed or opened first, no message.
  EXPECT_EQ(WindowCalls(), Calls{"Terminate()"});
  EXPECT_TRUE(platform.fatal_messages().empty());
  EXPECT_EQ(Find<Form6>(), nullptr);
  EXPECT_TRUE(help.Loaded());
  EXPECT_FALSE(platform.Type(u"1"));  // nothing reaches the program any more
}

TEST_F(HelpCodeTest, TheExitCodeEndsTheProgramWhateverElseIsLoaded) {
  Form1& main = StartToMain();
  Click(main, main.Label1);  // the confirmation stays open over whatever follows
  Click(main, main.Label8);
  Form4& help = *Find<Form4>();
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  // No user path hides a window while the help window is open; a handler of the test does.
  program.Dispatch([&] { formation.Hide(); });
  ASSERT_TRUE(formation.Loaded());
  ASSERT_TRUE(Shown(Find<Form7>()));
  PressBackground(help);  // the help window is the active one again
  platform.Backspace();
  platform.Backspace();
  platform.ClearLog();
  platform.Type(u"18");
  EXPECT_TRUE(platform.terminated());
  EXPECT_EQ(WindowCalls(), Calls{"Terminate()"});
  EXPECT_FALSE(platform.quit_called());
  EXPECT_FALSE(platform.Running());
}

TEST_F(HelpCodeTest, TheFormationCodeShowsTheFormationWindowBesideTheHelpWindow) {
  Form4& help = OpenHelp();
  TypeEach(u"73048");
  EXPECT_EQ(Find<Form6>(), nullptr);
  platform.ClearLog();
  platform.Type(u"1");
  EXPECT_EQ(WindowCalls(), (Calls{"CreateFormWindow(SW. Formation,340,267)->SW. Formation",
                                  "ShowFormWindow(SW. Formation,1)"}));
  EXPECT_TRUE(Shown(Find<Form6>()));
  EXPECT_TRUE(Shown(&help));
  EXPECT_EQ(Box(), u"730481");
  EXPECT_FALSE(platform.terminated());
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(HelpCodeTest, APastedExitCodeEndsTheProgram) {
  OpenHelp();
  ASSERT_TRUE(platform.Paste(u"730418"));
  EXPECT_TRUE(platform.terminated());
}

TEST_F(HelpCodeTest, APastedFormationCodeShowsTheFormationWindow) {
  Form4& help = OpenHelp();
  platform.Type(u"73");
  platform.Paste(u"0481");
  EXPECT_TRUE(Shown(Find<Form6>()));
  EXPECT_TRUE(Shown(&help));
  EXPECT_EQ(Box(), u"730481");
}

TEST_F(HelpCodeTest, ADeletionThatLeavesTheExitCodeEndsTheProgram) {
  OpenHelp();
  platform.Paste(u"7304189");
  EXPECT_FALSE(platform.terminated());
  platform.Backspace();
  EXPECT_TRUE(platform.terminated());
}

TEST_F(HelpCodeTest, ADeletionThatLeavesTheFormationCodeShowsTheFormationWindow) {
  Form4& help = OpenHelp();
  platform.Paste(u"7304812");
  EXPECT_EQ(Find<Form6>(), nullptr);
  platform.Backspace();
  EXPECT_TRUE(Shown(Find<Form6>()));
  EXPECT_TRUE(Shown(&help));
  EXPECT_EQ(Box(), u"730481");
}

TEST_F(HelpCodeTest, AWrongKeyBlocksTheCodeUntilItIsDeleted) {
  OpenHelp();
  TypeEach(u"7304x18");
  EXPECT_FALSE(platform.terminated());
  EXPECT_EQ(Box(), u"7304x18");  // never cleared
  platform.Backspace();
  platform.Backspace();
  platform.Backspace();
  EXPECT_FALSE(platform.terminated());
  platform.Type(u"18");
  EXPECT_TRUE(platform.terminated());
}

// Texts one character away from a code; all ASCII, named by the text itself.
class HelpNearMissTest : public HelpWindowTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::u16string Text() const {
    const std::string_view text = GetParam();
    return std::u16string(text.begin(), text.end());
  }
};

TEST_P(HelpNearMissTest, AnyExtraCharacterPreventsAMatch) {
  Form4& help = OpenHelp();
  platform.Paste(Text());
  EXPECT_EQ(Box(), Text());
  EXPECT_FALSE(platform.terminated());
  EXPECT_EQ(Find<Form6>(), nullptr);
  EXPECT_TRUE(Shown(&help));
  EXPECT_TRUE(platform.Running());
}

INSTANTIATE_TEST_SUITE_P(Codes, HelpNearMissTest,
                         ::testing::Values("0730418", "7304180", "7304x18", " 730418", "730418 ",
                                           "17304181", "73041", "x730481", "7304811", "730 481",
                                           "730481\t", "73o481"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = "Text";
                           for (const char* c = info.param; *c; ++c) {
                             name += *c == ' ' ? "Space" : *c == '\t' ? "Tab" : std::string(1, *c);
                           }
                           return name;
                         });

TEST_F(HelpCodeTest, FormationCodeReachedAgainWhileItsWindowIsOpenChangesNothing) {
  Form4& help = OpenHelp();
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  Hover(formation, formation.Label1);
  ASSERT_EQ(formation.Label1.ForeColor(), 255u);
  PressBackground(help);
  ASSERT_EQ(platform.ActiveWindow(), help.hWnd());
  platform.ClearLog();
  platform.Backspace();
  platform.Type(u"1");
  EXPECT_EQ(Box(), u"730481");
  EXPECT_EQ(CountCalls("CreateFormWindow("), 0);
  EXPECT_EQ(CountCalls("SetWindowRgn("), 0);
  EXPECT_EQ(formation.Label1.ForeColor(), 255u);  // not loaded a second time
  EXPECT_TRUE(Shown(&formation));
  EXPECT_TRUE(Shown(&help));

  // Once closed, the code loads it afresh.
  Click(formation, formation.Label1);
  ASSERT_FALSE(formation.Loaded());
  platform.Backspace();
  platform.Type(u"1");
  EXPECT_TRUE(Shown(&formation));
  EXPECT_EQ(formation.Label1.ForeColor(), 192u);
  EXPECT_EQ(CountCalls("CreateFormWindow(SW. Formation,"), 1);
}

TEST_F(HelpCodeTest, AfterClosingAndReopeningTheBoxIsEmpty) {
  Form4& help = OpenHelp();
  platform.Type(u"73041");
  Click(help, help.Label4);
  Form1& main = *Find<Form1>();
  Click(main, main.Label8);
  ASSERT_TRUE(Shown(&help));
  EXPECT_EQ(Box(), u"");
  EXPECT_EQ(help.Text1.Text(), u"");
  platform.Type(u"8");  // the half-typed code is gone
  EXPECT_FALSE(platform.terminated());
  EXPECT_EQ(Box(), u"8");
}

TEST_F(HelpCodeTest, EveryKeyTypedInTheHelpWindowGoesToTheBox) {
  Form4& help = OpenHelp();
  EXPECT_EQ(platform.ActiveWindow(), help.hWnd());
  EXPECT_EQ(platform.FocusedEdit(), help.Text1.Handle());
  platform.Type(u"ab");
  Click(help, help.Label6);  // the product identifier: a label, which takes no focus
  Click(help, help.Label3);
  PressBackground(help, MouseButton::kRight);
  platform.Tab();  // the box is the window's only stop
  platform.Type(u"c");
  EXPECT_EQ(Box(), u"abc");
  EXPECT_EQ(platform.FocusedEdit(), help.Text1.Handle());

  // Back from the formation window, the keys go to the box again.
  platform.Backspace();
  platform.Backspace();
  platform.Backspace();
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  Click(formation, formation.Label1);
  ASSERT_EQ(platform.ActiveWindow(), help.hWnd());
  platform.Type(u"d");
  EXPECT_EQ(Box(), u"730481d");
}

TEST_F(HelpCodeTest, TheBoxIsNeverShown) {
  Form4& help = OpenHelp();
  const WindowHandle w = help.hWnd();
  const PixelRect box = platform.Info(help.Text1.Handle()).rect;
  ASSERT_LT(box.top, platform.Info(w).client_height);  // it lies partly in the client area
  EXPECT_TRUE(platform.Info(help.Text1.Handle()).visible);
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      ASSERT_FALSE(platform.Shows(w, x, y)) << x << "," << y;
    }
  }
  const Point p = Centre(box);
  EXPECT_EQ(platform.Click(w, p.x, p.y), headless::Hit::kNothing);
}

TEST_F(HelpHoverTest, TheCloseLabelLightsUnderThePointerAndDimsOverTheBackground) {
  Form4& help = OpenHelp();
  EXPECT_EQ(help.Label4.ForeColor(), 192u);
  Hover(help, help.Label4);
  EXPECT_EQ(help.Label4.ForeColor(), 255u);
  Hover(help, help.Label6);  // a label without handlers: the pointer is not on the background
  EXPECT_EQ(help.Label4.ForeColor(), 255u);
  HoverBackground(help);
  EXPECT_EQ(help.Label4.ForeColor(), 192u);
}

TEST_F(HelpHoverTest, LinkLabelsAreUnderlinedByTheirOwnMoveAndResetTogether) {
  Form4& help = OpenHelp();
  Label* const links[] = {&help.Label1, &help.Label2, &help.Label3, &help.Label5};
  for (Label* link : links) EXPECT_FALSE(link->FontUnderline());

  Hover(help, help.Label1);
  EXPECT_TRUE(help.Label1.FontUnderline());
  EXPECT_FALSE(help.Label2.FontUnderline());
  EXPECT_FALSE(help.Label3.FontUnderline());
  EXPECT_FALSE(help.Label5.FontUnderline());
  EXPECT_EQ(help.Label4.ForeColor(), 192u);

  Hover(help, help.Label5);  // straight from one link to another: both stay underlined
  Hover(help, help.Label3);
  Hover(help, help.Label2);
  Hover(help, help.Label4);
  for (Label* link : links) EXPECT_TRUE(link->FontUnderline());
  EXPECT_EQ(help.Label1.ForeColor(), kColorBackground);  // underline only, no colour
  EXPECT_EQ(help.Label3.ForeColor(), 0u);

  HoverBackground(help);
  for (Label* link : links) EXPECT_FALSE(link->FontUnderline());
  EXPECT_EQ(help.Label4.ForeColor(), 192u);
}

TEST_F(HelpHoverTest, LeavingTheWindowLeavesTheLabelsLit) {
  Form4& help = OpenHelp();
  Hover(help, help.Label4);
  Hover(help, help.Label5);
  const auto& info = platform.Info(help.hWnd());
  // Out of the window: past the outline's corner, then over the hidden box.
  EXPECT_EQ(platform.MoveMouse(help.hWnd(), info.client_width - 1, info.client_height - 1),
            headless::Hit::kNothing);
  const Point box = Centre(platform.Info(help.Text1.Handle()).rect);
  platform.MoveMouse(help.hWnd(), box.x, box.y);
  EXPECT_EQ(help.Label4.ForeColor(), 255u);
  EXPECT_TRUE(help.Label5.FontUnderline());
}

struct LinkCase {
  const char* name;
  Label Form4::*label;
  const char* address;
};

void PrintTo(const LinkCase& link, std::ostream* os) {
  *os << link.name;
}

class HelpLinkTest : public HelpWindowTest, public ::testing::WithParamInterface<LinkCase> {
 protected:
  Label& Link(Form4& help) { return help.*GetParam().label; }
  std::string Request() const {
    return std::string("ShellExecuteA(Help,open,") + GetParam().address + ",,,5)";
  }
};

TEST_P(HelpLinkTest, EachClickAsksTheShellOnceForItsPage) {
  Form4& help = OpenHelp();
  platform.Type(u"12");
  Hover(help, help.Label4);
  platform.ClearLog();
  Click(help, Link(help));
  EXPECT_EQ(platform.Log({"ShellExecuteA"}), Calls{Request()});
  Click(help, Link(help));
  EXPECT_EQ(platform.Log({"ShellExecuteA"}), (Calls{Request(), Request()}));
  // The window stays as it was.
  EXPECT_TRUE(WindowCalls().empty());
  EXPECT_TRUE(Shown(&help));
  EXPECT_EQ(Box(), u"12");
  EXPECT_EQ(help.Label4.ForeColor(), 255u);
  EXPECT_EQ(platform.FocusedEdit(), help.Text1.Handle());
  EXPECT_TRUE(platform.Running());
}

TEST_P(HelpLinkTest, AFailedLaunchIsSilent) {
  Form4& help = OpenHelp();
  platform.SetShellResult(2);  // no file association
  Click(help, Link(help));
  EXPECT_EQ(platform.Log({"ShellExecuteA"}), Calls{Request()});
  EXPECT_TRUE(platform.fatal_messages().empty());
  EXPECT_TRUE(platform.Running());
  EXPECT_TRUE(Shown(&help));
}

INSTANTIATE_TEST_SUITE_P(
    FourLinks, HelpLinkTest,
    ::testing::Values(LinkCase{"Update", &Form4::Label1, links::kUpdatePage},
                      LinkCase{"SocialNetwork", &Form4::Label2, links::kSocialNetworkPage},
                      LinkCase{"SupportCentre", &Form4::Label3, links::kSupportCentre},
                      LinkCase{"HomePage", &Form4::Label5, links::kHomePage}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

TEST_F(HelpLinkErrorTest, AShellThatCannotBeBoundIsARunTimeError) {
  Form4& help = OpenHelp();
  platform.FailShellBinding(true);
  EXPECT_NO_THROW(Click(help, help.Label1));
  EXPECT_EQ(platform.fatal_messages().size(), 1u);
  EXPECT_TRUE(program.Ended());
  EXPECT_FALSE(platform.Running());
}

TEST_F(HelpCloseTest, TheCloseLabelUnloadsHelpAndShowsAFreshMainWindow) {
  Form1& main = StartToMain();
  TypeInto(main.Text1, u"Ann");
  TypeInto(main.Text2, u"Bob");
  Click(main, main.Image1);
  ASSERT_EQ(main.Label3.Caption(), u"66");
  Click(main, main.Label8);
  Form4& help = *Find<Form4>();
  platform.Type(u"7304");
  platform.ClearLog();
  Click(help, help.Label4);

  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Help)",
                                  "CreateFormWindow(Amorix-Nimbus,611,358)->Amorix-Nimbus",
                                  "ShowFormWindow(Amorix-Nimbus,1)"}));
  EXPECT_FALSE(help.Loaded());
  EXPECT_EQ(Find<Form4>(), &help);
  EXPECT_EQ(Find<Form1>(), &main);
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(main.Text1.Text(), u"");
  EXPECT_EQ(main.Text2.Text(), u"");
  EXPECT_EQ(main.Label3.Caption(), u"");
  EXPECT_EQ(main.Text3.Text(), u"60");
  EXPECT_FALSE(platform.quit_called());
}

}  // namespace
}  // namespace amorix::testing
