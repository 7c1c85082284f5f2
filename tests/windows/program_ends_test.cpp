// The running program's links and ends on the real system: link labels hand their page to the
// shell on behalf of their own window, the terms link shows the hourglass while the shell works,
// "Yes" and the help window's exit code end the process, closing the reminder brings the main
// window back, and closing the last window ends the message loop. A screen reader reads every
// window through Active Accessibility, operates every label, and hears each score once.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "links/link_addresses.h"
#include "running_program.h"

namespace amorix::windows_testing {
namespace {

using ProgramLinksTest = RunningProgramTest;
using ProgramEndsTest = RunningProgramTest;

TEST_F(ProgramLinksTest, HelpLinkHandsTheUpdatePageToTheShell) {
  Form1& main = StartToMain();
  Click(main, main.Label8);
  Form4* help = Find<Form4>();
  ASSERT_TRUE(Shown(help));
  ASSERT_EQ(VisibleCaptions(), std::vector<std::wstring>{L"Help"});
  Type(help->Text1, L"12");

  Click(*help, help->Label1);
  ASSERT_EQ(shell_calls.size(), 1u);
  const ShellCall& call = shell_calls[0];
  EXPECT_EQ(call.window, Hwnd(*help));
  EXPECT_EQ(call.operation, "open");
  EXPECT_EQ(call.file, links::kUpdatePage);
  EXPECT_EQ(call.parameters, "") << "an empty string, not a null pointer";
  EXPECT_EQ(call.directory, "") << "an empty string, not a null pointer";
  EXPECT_EQ(call.show, SW_SHOW);
  EXPECT_TRUE(Shown(help)) << "the window stays as it was";
  EXPECT_EQ(EditText(Hwnd(help->Text1)), u"12");

  Click(*help, help->Label1);
  EXPECT_EQ(shell_calls.size(), 2u) << "each click asks again";
}

TEST_F(ProgramLinksTest, TermsLinkShowsTheHourglassWhileTheShellWorks) {
  Form1& main = StartToMain();
  Click(main, main.Label7);
  Form8* terms = Find<Form8>();
  ASSERT_TRUE(Shown(terms));
  HWND window = Hwnd(*terms);
  // The pointer rests on the link, as it does when the user clicks it.
  POINT link = Centre(terms->Label9.Bounds());
  ::ClientToScreen(window, &link);
  ASSERT_TRUE(::SetCursorPos(link.x, link.y));
  PumpQueued();
  ASSERT_EQ(::WindowFromPoint(link), window);

  const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
  const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
  MousePointer pointer_during = MousePointer::kDefault;
  during_shell_call = [&] { pointer_during = terms->GetMousePointer(); };
  ASSERT_NE(::GetCursor(), wait) << "no hourglass before the click";
  Click(*terms, terms->Label9);
  ASSERT_EQ(shell_calls.size(), 1u);
  EXPECT_EQ(shell_calls[0].window, window);
  EXPECT_EQ(shell_calls[0].file, links::kOnlineTermsPage);
  EXPECT_EQ(pointer_during, MousePointer::kHourglass);
  EXPECT_EQ(shell_calls[0].cursor, wait) << "the hourglass shows at once";
  EXPECT_EQ(terms->GetMousePointer(), MousePointer::kDefault);
  EXPECT_EQ(::GetCursor(), arrow);
  EXPECT_TRUE(Shown(terms));
}

TEST_F(ProgramEndsTest, YesInTheConfirmationEndsTheProcess) {
  Form1& main = StartToMain();
  Click(main, main.Label1);
  Form7* confirmation = Find<Form7>();
  ASSERT_TRUE(Shown(confirmation));
  EXPECT_TRUE(Shown(&main)) << "the confirmation opens over the main window";
  EXPECT_EXIT(
      {
        Click(*confirmation, confirmation->Label2);
        std::fprintf(stderr, "still running\n");
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(ProgramEndsTest, ExitCodeTypedIntoTheHelpWindowEndsTheProcess) {
  Form1& main = StartToMain();
  Click(main, main.Label8);
  Form4* help = Find<Form4>();
  ASSERT_TRUE(Shown(help));
  Type(help->Text1, L"73041");
  EXPECT_TRUE(Shown(help));
  EXPECT_EXIT(
      {
        Type(help->Text1, L"8");
        std::fprintf(stderr, "still running\n");
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(ProgramEndsTest, ClosingTheReminderBringsTheMainWindowBackWithItsNames) {
  Form1& main = StartToMain();
  Type(main.Text1, L"Ann");
  Click(main, main.Image1);
  Form2* reminder = Find<Form2>();
  ASSERT_TRUE(Shown(reminder));
  ASSERT_FALSE(::IsWindowVisible(Hwnd(main)));
  HWND window = Hwnd(*reminder);

  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(window); }));
  PumpQueued();
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(VisibleCaptions(), std::vector<std::wstring>{L"Amorix-Nimbus"});
  EXPECT_EQ(EditText(Hwnd(main.Text1)), u"Ann");
  EXPECT_EQ(EditText(Hwnd(main.Text2)), u"");
  EXPECT_EQ(main.Label3.Caption(), u"");
  const HWND focus = ::GetFocus();
  EXPECT_TRUE(focus == Hwnd(main.Text1) || focus == Hwnd(main.Text2)) << "typing goes on";
  EXPECT_FALSE(program.Ended());
  EXPECT_FALSE(quit_seen);
}

bool watchdog_fired = false;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  watchdog_fired = true;
  ::PostQuitMessage(2);
}

TEST_F(ProgramEndsTest, ClosingTheOnlyWindowEndsTheMessageLoop) {
  Form1& main = StartToMain();
  HWND window = Hwnd(main);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  watchdog_fired = false;
  const UINT_PTR watchdog = ::SetTimer(nullptr, 0, 5000, &Watchdog);
  ASSERT_NE(watchdog, 0u);
  platform.RunMessageLoop();
  ::KillTimer(nullptr, watchdog);
  EXPECT_FALSE(watchdog_fired) << "the loop ended by itself";
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_FALSE(main.Loaded());
  EXPECT_TRUE(program.Ended());
  EXPECT_TRUE(VisibleWindows().empty());
}

TEST_F(ProgramEndsTest, ClosingTheSplashEndsTheProgram) {
  program.Start();
  HWND splash = Hwnd(Get<Form5>());
  ::PostMessageW(splash, WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return quit_seen; }));
  EXPECT_FALSE(::IsWindow(splash));
  EXPECT_TRUE(program.Ended());
  EXPECT_EQ(Find<Form1>(), nullptr);
}

// A reader's line for a label, in the system's words for the role.
std::string Line(long role, const std::string& name, const std::string& rest = "") {
  char text[64] = "?";
  ::GetRoleTextA(static_cast<DWORD>(role), text, 64);
  return std::string(text) + " \"" + name + "\"" + rest;
}
const std::string kPress = " (Press)";
std::string Button(const std::string& name) {
  return Line(ROLE_SYSTEM_PUSHBUTTON, name, kPress);
}
std::string Text(const std::string& name, const std::string& rest = "") {
  return Line(ROLE_SYSTEM_STATICTEXT, name, rest);
}
const std::string kLinkLine = Line(ROLE_SYSTEM_LINK, "Click here", " [linked] (Jump)");

class ScreenReaderTest : public RunningProgramTest {
 protected:
  // The window's own line and its labels' lines; its edits, the system's objects, follow them.
  void ExpectRead(const Form& form, const std::vector<std::string>& labels, std::size_t edits) {
    std::vector<std::string> lines = reader::View(Hwnd(form));
    ASSERT_EQ(lines.size(), 1 + labels.size() + edits);
    const std::wstring caption(form.Caption().begin(), form.Caption().end());
    EXPECT_EQ(lines[0], Line(ROLE_SYSTEM_CLIENT, std::string(caption.begin(), caption.end())));
    for (std::size_t i = 0; i < labels.size(); ++i) EXPECT_EQ(lines[1 + i], labels[i]);
    for (std::size_t i = 1 + labels.size(); i < lines.size(); ++i) {
      const std::string edit = Line(ROLE_SYSTEM_TEXT, "");
      EXPECT_EQ(lines[i].rfind(edit.substr(0, edit.size() - 1), 0), 0u) << lines[i] << " an edit";
    }
  }
  // The label's default action, and the window it must bring up.
  template <class W>
  W& Press(const Form& form, long child) {
    EXPECT_EQ(reader::DoDefaultAction(Hwnd(form), child), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return Shown(Find<W>()); }));
    PumpQueued();
    return Get<W>();
  }
};

TEST_F(ScreenReaderTest, EveryWindowReadsAsLaidOutAndEveryLabelIsOperable) {
  program.Start();
  ExpectRead(Get<Form5>(), {Text("Version: 6.0.0 (Nimbus)")}, 0);
  Form1& main = StartToMain();
  const std::vector<std::string> main_labels = {Button("Exit"),   Button("Calculate"),
                                                Button("TERMS"),  Button("HELP"),
                                                Button("CREDIT"), Text("")};
  ExpectRead(main, main_labels, 3);

  Form4& help = Press<Form4>(main, 4);
  ExpectRead(help,
             {Text("Product ID: D-4182736_5"), kLinkLine, kLinkLine, kLinkLine, kLinkLine,
              Button("Close")},
             1);
  for (long link : {5, 4, 3, 2}) EXPECT_EQ(reader::DoDefaultAction(Hwnd(help), link), S_OK);
  PumpQueued();
  std::vector<std::optional<std::string>> files;
  for (const ShellCall& call : shell_calls) files.push_back(call.file);
  EXPECT_EQ(files,
            (std::vector<std::optional<std::string>>{links::kUpdatePage, links::kSocialNetworkPage,
                                                     links::kSupportCentre, links::kHomePage}));
  EXPECT_EQ(reader::DoDefaultAction(Hwnd(help), 1), DISP_E_MEMBERNOTFOUND) << "plain text";
  Type(help.Text1, L"730481");
  ExpectRead(Get<Form6>(), {Button("Close")}, 0);
  Press<Form4>(Get<Form6>(), 1);
  Form1& main_again = Press<Form1>(help, 6);
  EXPECT_EQ(VisibleCaptions(), std::vector<std::wstring>{L"Amorix-Nimbus"});

  ExpectRead(Press<Form3>(main_again, 5), {Button("Close")}, 0);
  Press<Form1>(Get<Form3>(), 1);
  Form8& terms = Press<Form8>(Get<Form1>(), 3);
  ExpectRead(terms,
             {Line(ROLE_SYSTEM_LINK, "* Quillon Software Online Terms", " [linked] (Jump)"),
              Text("o QUILLON SOFTWARE ONLINE TERMS:"), Button("Close")},
             0);
  Press<Form1>(terms, 3);

  Form7& confirmation = Press<Form7>(Get<Form1>(), 1);
  ExpectRead(confirmation,
             {kLinkLine, Text("Please give me your valuable Comment to improve this software"),
              Button("Yes"), Button("No")},
             0);
  shell_calls.clear();
  EXPECT_EQ(reader::DoDefaultAction(Hwnd(confirmation), 1), S_OK);
  PumpQueued();
  ASSERT_EQ(shell_calls.size(), 1u);
  EXPECT_EQ(shell_calls[0].file, links::kCommentsPage);
  EXPECT_EQ(reader::DoDefaultAction(Hwnd(confirmation), 4), S_OK);
  PumpQueued();
  EXPECT_EQ(VisibleCaptions(), std::vector<std::wstring>{L"Amorix-Nimbus"}) << "No";

  Form2& reminder = Press<Form2>(Get<Form1>(), 2);  // no names
  ExpectRead(reminder,
             {Button("Close"),
              Text("First of all input first person name and then second person name. Example: "
                   "Alpha and beta.",
                   " [invisible]"),
              Text("?"), Text("Please Input Alpha and Beta on Text box. ")},
             0);
  EXPECT_EQ(reader::DoDefaultAction(Hwnd(Get<Form1>()), 2), DISP_E_MEMBERNOTFOUND)
      << "nothing on a hidden window is pressed";
  Press<Form1>(reminder, 1);
  EXPECT_EQ(VisibleCaptions(), std::vector<std::wstring>{L"Amorix-Nimbus"});
  EXPECT_FALSE(program.Ended());
}

std::vector<std::pair<HWND, LONG>> name_changes;
void CALLBACK OnNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                           DWORD) {
  if (object == OBJID_CLIENT) name_changes.emplace_back(window, child);
}

TEST_F(ScreenReaderTest, EachCalculationIsAnnouncedOnceOnTheResultLabel) {
  Form1& main = StartToMain();
  name_changes.clear();
  HWINEVENTHOOK hook =
      ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, &OnNameChange,
                        ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  Type(main.Text1, L"Ann");
  Type(main.Text2, L"Bob");
  name_changes.clear();  // the edits' own
  const auto result = std::make_pair(Hwnd(main), LONG{main.Label3.Number()});
  ASSERT_EQ(reader::DoDefaultAction(Hwnd(main), 2), S_OK);
  PumpUntil([] { return !name_changes.empty(); }, 1000);
  PumpQueued();
  EXPECT_EQ(main.Label3.Caption(), u"66");
  EXPECT_EQ(name_changes, (std::vector<std::pair<HWND, LONG>>{result}));
  Type(main.Text2, L"by");
  name_changes.clear();
  Click(main, main.Image1);
  PumpUntil([] { return !name_changes.empty(); }, 1000);
  PumpQueued();
  EXPECT_EQ(main.Label3.Caption(), u"68");
  EXPECT_EQ(name_changes, (std::vector<std::pair<HWND, LONG>>{result}));
  ::UnhookWinEvent(hook);
}

TEST_F(ScreenReaderTest, LabelsLieOnTheScreenWhereDrawnAndAGoneWindowAnswersWithAnError) {
  Form1& main = StartToMain();
  IAccessible* client = reader::ClientOf(Hwnd(main));
  ASSERT_NE(client, nullptr);
  const PixelRect calculate = main.Image1.Bounds();
  POINT corner{calculate.left, calculate.top};
  ::ClientToScreen(Hwnd(main), &corner);
  long left = 0, top = 0, width = 0, height = 0;
  EXPECT_EQ(client->accLocation(&left, &top, &width, &height, reader::Id(2)), S_OK);
  EXPECT_EQ((std::vector<long>{left, top, width, height}),
            (std::vector<long>{corner.x, corner.y, calculate.Width(), calculate.Height()}));
  VARIANT hit;
  EXPECT_EQ(client->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(hit.lVal, 2) << "Calculate";

  VARIANT focus;
  ASSERT_EQ(client->get_accFocus(&focus), S_OK) << "a name box has the focus";
  EXPECT_EQ(focus.vt, VT_DISPATCH);
  ::VariantClear(&focus);

  Form3& shown = Press<Form3>(main, 5);  // CREDIT unloads the main window
  EXPECT_EQ(client->accDoDefaultAction(reader::Id(5)), CO_E_OBJNOTCONNECTED);
  IAccessible* credit = reader::ClientOf(Hwnd(shown));
  ASSERT_NE(credit, nullptr);
  ::SetFocus(Hwnd(shown));
  ASSERT_EQ(credit->get_accFocus(&focus), S_OK) << "a window without edits has the focus itself";
  EXPECT_EQ(focus.vt, VT_I4);
  EXPECT_EQ(focus.lVal, CHILDID_SELF);
  ::SetFocus(nullptr);
  EXPECT_EQ(credit->get_accFocus(&focus), S_FALSE) << "the focus is elsewhere";
  EXPECT_EQ(focus.vt, VT_EMPTY);
  credit->Release();
  BSTR name = nullptr;
  EXPECT_EQ(client->get_accName(reader::Id(CHILDID_SELF), &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(name, nullptr);
  client->Release();
  PumpQueued();
  EXPECT_TRUE(Shown(Find<Form3>()));
}

}  // namespace
}  // namespace amorix::windows_testing
