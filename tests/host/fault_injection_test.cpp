// Faults from outside the program: a shell that cannot be bound or that fails to launch, region
// calls that all fail, a screen ratio of 0, and window or control operations that the system
// refuses in the middle of a handler. A run-time error is told once, in one message, in whole
// characters whatever their script, and ends the program; everything the platform's results are
// not examined for goes on silently.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/runtime_error.h"
#include "program_fixture.h"

namespace amorix::testing {
namespace {

// The headless platform, with some operations refused the way the Win32 backend refuses them:
// by throwing RuntimeError.
class RefusingPlatform final : public Platform {
 public:
  explicit RefusingPlatform(HeadlessPlatform& inner) : inner_(inner) {}

  std::u16string refuse_window;  // CreateFormWindow of the window with this caption
  std::string window_refusal = "The system cannot create the window";  // UTF-8, as C++ has it
  bool refuse_edits = false, refuse_reads = false, refuse_shows = false;

  WindowHandle CreateFormWindow(const WindowSpec& params, WindowEvents& events) override {
    if (params.caption == refuse_window) throw RuntimeError(window_refusal);
    return inner_.CreateFormWindow(params, events);
  }
  void ShowFormWindow(WindowHandle w, bool visible) override {
    if (refuse_shows) throw RuntimeError("The system cannot show the window");
    inner_.ShowFormWindow(w, visible);
  }
  EditHandle CreateEdit(WindowHandle parent, const EditSpec& params) override {
    if (refuse_edits) throw RuntimeError("The system cannot create the text box");
    return inner_.CreateEdit(parent, params);
  }
  std::u16string GetEditText(EditHandle e) override {
    if (refuse_reads) throw RuntimeError("The text box cannot be read");
    return inner_.GetEditText(e);
  }

  void DestroyFormWindow(WindowHandle w) override { inner_.DestroyFormWindow(w); }
  void Invalidate(WindowHandle w, const PixelRect& r) override { inner_.Invalidate(w, r); }
  void SetMousePointer(WindowHandle w, MousePointer p) override { inner_.SetMousePointer(w, p); }
  void SetTooltip(WindowHandle w, int id, const PixelRect& r, std::u16string_view t) override {
    inner_.SetTooltip(w, id, r, t);
  }
  void NotifyAccessibleChange(WindowHandle w, int label, AccessibleChange change) override {
    inner_.NotifyAccessibleChange(w, label, change);
  }
  void SetEditText(EditHandle e, std::u16string_view t) override { inner_.SetEditText(e, t); }
  void SetEditVisible(EditHandle e, bool v) override { inner_.SetEditVisible(e, v); }
  void FocusEdit(EditHandle e) override { inner_.FocusEdit(e); }
  void StartTimer(WindowHandle w, int id, unsigned ms) override { inner_.StartTimer(w, id, ms); }
  void StopTimer(WindowHandle w, int id) override { inner_.StopTimer(w, id); }
  RegionHandle CreateRectRgn(int l, int t, int r, int b) override {
    return inner_.CreateRectRgn(l, t, r, b);
  }
  RegionHandle CreateEllipticRgn(int l, int t, int r, int b) override {
    return inner_.CreateEllipticRgn(l, t, r, b);
  }
  RegionHandle CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) override {
    return inner_.CreateRoundRectRgn(l, t, r, b, w, h);
  }
  int CombineRgn(RegionHandle d, RegionHandle s1, RegionHandle s2, int mode) override {
    return inner_.CombineRgn(d, s1, s2, mode);
  }
  int DeleteObject(RegionHandle r) override { return inner_.DeleteObject(r); }
  int SetWindowRgn(WindowHandle w, RegionHandle r, int redraw) override {
    return inner_.SetWindowRgn(w, r, redraw);
  }
  WindowHandle SetCapture(WindowHandle w) override { return inner_.SetCapture(w); }
  int ReleaseCapture() override { return inner_.ReleaseCapture(); }
  std::intptr_t SendMessageA(WindowHandle w, unsigned m, std::uintptr_t wp,
                             std::intptr_t lp) override {
    return inner_.SendMessageA(w, m, wp, lp);
  }
  std::intptr_t ShellExecuteA(WindowHandle w, const char* op, const char* file, const char* params,
                              const char* dir, int show) override {
    return inner_.ShellExecuteA(w, op, file, params, dir, show);
  }
  TwipsPerPixel ScreenTwipsPerPixel() override { return inner_.ScreenTwipsPerPixel(); }
  void RunMessageLoop() override { inner_.RunMessageLoop(); }
  void Quit() override { inner_.Quit(); }
  void Terminate() override { inner_.Terminate(); }
  void ReportFatal(std::u16string_view message) override { inner_.ReportFatal(message); }

 private:
  HeadlessPlatform& inner_;
};

std::string Narrow(std::u16string_view text) {
  return {text.begin(), text.end()};
}

// One message, "Run-time error: ..." naming the fault, and it is the program's last word: no
// other end follows, and nothing a user still tries reaches the program.
void ExpectOneFatalMessage(HeadlessPlatform& p, const Program& run, std::u16string_view fault) {
  ASSERT_EQ(p.fatal_messages().size(), 1u);
  const std::u16string& message = p.fatal_messages().front();
  EXPECT_TRUE(message.starts_with(u"Run-time error: ")) << Narrow(message);
  EXPECT_NE(message.find(fault), std::u16string::npos) << Narrow(message);
  EXPECT_TRUE(run.Ended());
  EXPECT_FALSE(p.quit_called());
  EXPECT_FALSE(p.terminated());
  EXPECT_FALSE(p.Running());
  EXPECT_TRUE(p.Log().back().starts_with("ReportFatal(")) << p.Log().back();
  for (WindowHandle w : p.AllWindows()) {
    EXPECT_EQ(p.Click(w, 20, 20), headless::Hit::kNothing);
    EXPECT_FALSE(p.CloseRequest(w));
    EXPECT_FALSE(p.FireTimer(w, 1));
  }
  EXPECT_FALSE(p.Type(u"730418"));
  EXPECT_EQ(p.fatal_messages().size(), 1u);
}

// A whole program, for tests that need a fresh one per case.
struct Session {
  Form1& StartToMain() {
    program.Start();
    platform.FireTimer(platform.Window(u"Amorix"), 1);
    return program.windows().Get<Form1>();
  }
  void Click(Form& form, const Label& label) {
    const Point p = Centre(label.Bounds());
    platform.Click(form.hWnd(), p.x, p.y);
  }
  template <class W>
  W& Get() {
    return program.windows().Get<W>();
  }
  int Count(std::string_view prefix) {
    int n = 0;
    for (const std::string& line : platform.Log()) n += line.starts_with(prefix);
    return n;
  }

  HeadlessPlatform platform;
  Program program{platform};
};

using FaultInjectionTest = ProgramTest;

TEST_F(FaultInjectionTest, AShellThatCannotBeBoundIsOneFatalMessage) {
  const auto help = [](Session& r, Label Form4::*link) {
    Form1& main = r.StartToMain();
    r.Click(main, main.Label8);
    r.Click(r.Get<Form4>(), r.Get<Form4>().*link);
  };
  const std::vector<std::pair<const char*, std::function<void(Session&)>>> links = {
      {"help Label1", [&](Session& r) { help(r, &Form4::Label1); }},
      {"help Label2", [&](Session& r) { help(r, &Form4::Label2); }},
      {"help Label3", [&](Session& r) { help(r, &Form4::Label3); }},
      {"help Label5", [&](Session& r) { help(r, &Form4::Label5); }},
      {"confirmation Label4",
       [](Session& r) {
         Form1& main = r.StartToMain();
         r.Click(main, main.Label1);
         r.Click(r.Get<Form7>(), r.Get<Form7>().Label4);
       }},
      {"terms Label9",
       [](Session& r) {
         Form1& main = r.StartToMain();
         r.Click(main, main.Label7);
         r.Click(r.Get<Form8>(), r.Get<Form8>().Label9);
       }},
  };
  for (const auto& [name, open] : links) {
    SCOPED_TRACE(name);
    Session run;
    run.platform.FailShellBinding(true);
    open(run);
    EXPECT_EQ(run.Count("ShellExecuteA("), 1);
    ExpectOneFatalMessage(run.platform, run.program, u"ShellExecuteA");
  }
}

TEST_F(FaultInjectionTest, ALaunchThatFailsIsSilent) {
  Form1& start = StartToMain();
  Click(start, start.Label8);
  Form4& help = *Find<Form4>();
  platform.Type(u"12");
  for (std::intptr_t result : {0, 2, 31, -1}) {
    platform.SetShellResult(result);
    Click(help, help.Label1);
    Click(help, help.Label5);
  }
  EXPECT_EQ(CountCalls("ShellExecuteA(Help,open,"), 8);
  EXPECT_TRUE(Shown(&help));
  EXPECT_EQ(platform.EditText(help.Text1.Handle()), u"12");

  Click(help, help.Label4);
  Form1& main = *Find<Form1>();
  Click(main, main.Label7);
  Form8& terms = *Find<Form8>();
  platform.ClearLog();
  Click(terms, terms.Label9);
  const std::vector<std::string> calls = platform.Log({"SetMousePointer", "ShellExecuteA"});
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], "SetMousePointer(Terms,11)");
  EXPECT_TRUE(calls[1].starts_with("ShellExecuteA(Terms,open,")) << calls[1];
  EXPECT_EQ(calls[2], "SetMousePointer(Terms,0)");
  EXPECT_EQ(terms.GetMousePointer(), MousePointer::kDefault);
  EXPECT_EQ(platform.Info(terms.hWnd()).pointer, MousePointer::kDefault);
  EXPECT_TRUE(Shown(&terms));
  EXPECT_TRUE(platform.fatal_messages().empty());
  EXPECT_TRUE(platform.Running());
}

TEST_F(FaultInjectionTest, RegionCallsThatAllFailLeaveEveryWindowUnshaped) {
  platform.FailRegionCalls(true);
  Form1& start = StartToMain();
  Click(start, start.Label8);
  Form4& help = *Find<Form4>();
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  for (Form* form : std::vector<Form*>{&help, &formation}) {
    EXPECT_TRUE(Shown(form));
    EXPECT_EQ(form->outline, nullptr);
    EXPECT_EQ(platform.RegionBox(form->hWnd()), std::nullopt);
    EXPECT_TRUE(platform.Shows(form->hWnd(), 0, 0));  // the corner a shape would cut away
  }
  EXPECT_GT(CountCalls("CombineRgn(null,null,null,"), 0);
  EXPECT_GT(CountCalls("DeleteObject(null)"), 0);
  EXPECT_GT(CountCalls("SetWindowRgn(Help,null,"), 0);

  Click(formation, formation.Label1);
  Click(help, help.Label4);
  Form1& main = *Find<Form1>();
  Click(main, main.Image1);
  Form2& reminder = *Find<Form2>();
  EXPECT_TRUE(Shown(&reminder));
  Click(reminder, reminder.Label4);
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(platform.LiveRegions(), 0);
  EXPECT_TRUE(platform.fatal_messages().empty());
  EXPECT_TRUE(platform.Running());
}

TEST_F(FaultInjectionTest, ARefusedWindowRegionChangesNothing) {
  platform.FailSetWindowRgn(true);
  Form1& main = StartToMain();
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(platform.RegionBox(main.hWnd()), std::nullopt);
  EXPECT_TRUE(platform.fatal_messages().empty());
}

TEST_F(FaultInjectionTest, AScreenRatioOfZeroIsADivisionByZero) {
  for (TwipsPerPixel ratio : {TwipsPerPixel{0, 0}, TwipsPerPixel{0, 15}, TwipsPerPixel{15, 0}}) {
    Session run;
    run.platform.SetTwipsPerPixel(ratio);
    run.program.Start();
    ExpectOneFatalMessage(run.platform, run.program, u"Division by zero");
    EXPECT_TRUE(run.platform.VisibleCaptions().empty());
  }
  // The ratio read when the help window loads: the main window is gone by then.
  Form1& main = StartToMain();
  platform.SetTwipsPerPixel({0, 0});
  Click(main, main.Label8);
  ExpectOneFatalMessage(platform, program, u"Division by zero");
  EXPECT_FALSE(main.Loaded());
}

TEST_F(FaultInjectionTest, AScreenRatioTooSmallIsAnOverflow) {
  platform.SetTwipsPerPixel({1e-30f, 1e-30f});
  program.Start();
  ExpectOneFatalMessage(platform, program, u"Overflow");
}

// A program on the refusing platform.
class RefusedOperationTest : public ::testing::Test {
 protected:
  Form1& StartToMain() {
    program.Start();
    platform.FireTimer(platform.Window(u"Amorix"), 1);
    return program.windows().Get<Form1>();
  }
  void Click(Form& form, const Label& label) {
    const Point p = Centre(label.Bounds());
    platform.Click(form.hWnd(), p.x, p.y);
  }
  void ExpectTheEnd(std::u16string_view fault) { ExpectOneFatalMessage(platform, program, fault); }

  HeadlessPlatform platform;
  RefusingPlatform refusing{platform};
  Program program{refusing};
};

TEST_F(RefusedOperationTest, AFaultInAnyScriptIsToldInWholeCharacters) {
  refusing.refuse_window = u"Amorix";
  // Two- to four-byte characters, then bytes that start no whole character: one mark each.
  refusing.window_refusal = "Fenêtre refusée — 窓 🔒; \xC3( \xED\xA0\x80 \xF0\x9F";
  program.Start();
  const std::u16string told =
      u"Run-time error: Fenêtre refusée — 窓 🔒; \uFFFD( \uFFFD\uFFFD\uFFFD \uFFFD\uFFFD";
  ExpectTheEnd(told);
  EXPECT_EQ(platform.fatal_messages().front(), told);
}

TEST_F(RefusedOperationTest, AWindowThatCannotBeCreatedEndsTheMove) {
  Form1& main = StartToMain();
  refusing.refuse_window = u"Help";
  Click(main, main.Label8);  // the main window is unloaded first
  ExpectTheEnd(u"cannot create the window");
  EXPECT_FALSE(main.Loaded());
  EXPECT_FALSE(program.windows().Find<Form4>()->Loaded());
}

TEST_F(RefusedOperationTest, TheMainWindowRefusedAtTheSplashTick) {
  refusing.refuse_window = u"Amorix-Nimbus";
  StartToMain();
  ExpectTheEnd(u"cannot create the window");
  EXPECT_TRUE(platform.VisibleCaptions().empty());
}

TEST_F(RefusedOperationTest, AReminderThatCannotBeCreatedLeavesTheMainWindowHidden) {
  Form1& main = StartToMain();
  refusing.refuse_window = u"Information";
  Click(main, main.Image1);
  ExpectTheEnd(u"cannot create the window");
  EXPECT_EQ(main.Label3.Caption(), u"");  // the handler went no further
}

TEST_F(RefusedOperationTest, ANameBoxThatCannotBeCreated) {
  refusing.refuse_edits = true;
  StartToMain();
  ExpectTheEnd(u"cannot create the text box");
}

TEST_F(RefusedOperationTest, AWindowThatCannotBeShown) {
  Form1& main = StartToMain();
  refusing.refuse_shows = true;
  Click(main, main.Label1);
  ExpectTheEnd(u"cannot show the window");
}

TEST_F(RefusedOperationTest, ACodeBoxThatCannotBeReadStopsTheTyping) {
  Form1& main = StartToMain();
  Click(main, main.Label8);
  refusing.refuse_reads = true;
  platform.ClearLog();
  EXPECT_FALSE(platform.Type(u"730481"));  // the first key ends the program
  EXPECT_EQ(platform.EditText(program.windows().Find<Form4>()->Text1.Handle()), u"7");
  EXPECT_EQ(program.windows().Find<Form6>(), nullptr);
  ExpectTheEnd(u"cannot be read");
}

TEST_F(RefusedOperationTest, AHandlerThatNamesAWindowNotLoaded) {
  StartToMain();
  program.Dispatch([&] { program.windows().Get<Form3>().Hide(); });
  ExpectTheEnd(u"not loaded");
}

}  // namespace
}  // namespace amorix::testing
