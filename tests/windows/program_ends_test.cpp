// The running program's links and ends on the real system: link labels hand their page to the
// shell on behalf of their own window, the terms link shows the hourglass while the shell works,
// "Yes" and the help window's exit code end the process, closing the reminder brings the main
// window back, and closing the last window ends the message loop.
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

}  // namespace
}  // namespace amorix::windows_testing
