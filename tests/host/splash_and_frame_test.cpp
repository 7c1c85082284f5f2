#include <algorithm>
#include <string>
#include <vector>

#include "app/runtime_error.h"
#include "program_fixture.h"
#include "resources/resource_ids.h"

namespace amorix::testing {
namespace {

using SplashTest = ProgramTest;
using FrameTest = ProgramTest;

TEST_F(SplashTest, IsTheOnlyWindowAtStart) {
  program.Start();
  EXPECT_EQ(platform.VisibleCaptions(), std::vector<std::u16string>{u"Amorix"});
  EXPECT_EQ(Find<Form1>(), nullptr);
  Form5& splash = *Find<Form5>();
  const auto& info = platform.Info(splash.hWnd());
  EXPECT_EQ(info.client_width, 368);
  EXPECT_EQ(info.client_height, 298);
  EXPECT_FALSE(info.in_taskbar);
  EXPECT_EQ(info.timers.at(1), 3000u);
  EXPECT_EQ(platform.RegionBox(splash.hWnd()), (PixelRect{0, 0, 350, 281}));

  const headless::Drawing drawing = platform.Paint(splash.hWnd());
  const headless::DrawOp* version = drawing.FindText(u"Version: 6.0.0 (Nimbus)");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->color, kColorInactiveBorder);
  EXPECT_EQ(version->font.face, u"");
  EXPECT_EQ(splash.Label1.BackStyle(), BackStyle::kOpaque);
  EXPECT_EQ(splash.Label1.BackColor(), 192u);
}

TEST_F(SplashTest, TheTickHandsOverToTheMainWindowWithoutEndingTheProgram) {
  program.Start();
  const WindowHandle splash = platform.Window(u"Amorix");
  // Presses and moves during the splash change nothing but the splash's place.
  platform.Press(splash, 100, 100, MouseButton::kRight);
  platform.Click(splash, 250, 262);  // the version label
  EXPECT_EQ(platform.drags(splash), 1);
  EXPECT_EQ(Find<Form1>(), nullptr);

  ASSERT_TRUE(platform.FireTimer(splash, 1));
  EXPECT_FALSE(platform.IsAlive(splash));
  EXPECT_FALSE(Find<Form5>()->Loaded());
  EXPECT_FALSE(platform.quit_called());
  EXPECT_TRUE(Shown(Find<Form1>()));
  EXPECT_EQ(platform.VisibleCaptions(), std::vector<std::u16string>{u"Amorix-Nimbus"});
  // The splash's timer went with its window: the tick cannot come again.
  EXPECT_FALSE(platform.FireTimer(splash, 1));
}

TEST_F(SplashTest, AsksAheadForWhatTheMainWindowFirstPaintsWithoutMakingIt) {
  program.Start();
  EXPECT_EQ(platform.prepared_pictures(), std::vector<ResourceId>{IDP_FORM1});
  EXPECT_EQ(Find<Form1>(), nullptr);
  EXPECT_EQ(platform.VisibleCaptions(), std::vector<std::u16string>{u"Amorix"});

  platform.FireTimer(platform.Window(u"Amorix"), 1);
  Form1& main = *Find<Form1>();
  const auto prepared = [&](const headless::RecordedFont& font) {
    return std::ranges::find(platform.prepared_fonts(), font) != platform.prepared_fonts().end();
  };
  for (EditHandle edit : platform.Info(main.hWnd()).edits) {
    EXPECT_TRUE(prepared(platform.Info(edit).font)) << platform.Info(edit).number;
  }
  const headless::Drawing drawing = platform.Paint(main.hWnd());
  for (const headless::DrawOp* text : drawing.OfKind(headless::DrawOp::Kind::kText)) {
    if (text->text.empty()) continue;  // nothing to lay out: no font needed
    EXPECT_TRUE(prepared(text->font)) << "text at " << text->rect.left << "," << text->rect.top;
  }
  ASSERT_FALSE(drawing.OfKind(headless::DrawOp::Kind::kPicture).empty());
  EXPECT_EQ(drawing.OfKind(headless::DrawOp::Kind::kPicture)[0]->picture, IDP_FORM1);
}

TEST_F(FrameTest, EachWindowHasOneInstanceCreatedOnFirstUse) {
  EXPECT_EQ(Find<Form4>(), nullptr);
  Form4& help = Get<Form4>();
  EXPECT_FALSE(help.Loaded());
  EXPECT_EQ(&Get<Form4>(), &help);
  EXPECT_TRUE(platform.Log().empty());  // creating an instance runs nothing
  help.Show();
  help.Unload();
  EXPECT_EQ(Find<Form4>(), &help);
  help.Show();
  EXPECT_EQ(platform.Log({"CreateFormWindow"}).size(), 2u);
}

TEST_F(FrameTest, ShowLoadsOnceAndHideKeepsState) {
  Form1& main = StartToMain();
  TypeInto(main.Text1, u"Ann");
  platform.ClearLog();
  main.Show();  // already visible: no load
  EXPECT_TRUE(platform.Log().empty());
  main.Hide();
  EXPECT_TRUE(main.Loaded());
  EXPECT_FALSE(platform.IsVisible(main.hWnd()));
  main.Show();
  EXPECT_TRUE(platform.Log({"CreateFormWindow", "SetWindowRgn"}).empty());
  EXPECT_EQ(main.Text1.Text(), u"Ann");
  main.Unload();
  EXPECT_THROW(main.hWnd(), RuntimeError);
  EXPECT_EQ(main.Text1.Text(), u"");
  main.Show();
  EXPECT_EQ(main.Text1.Text(), u"");
  EXPECT_EQ(main.Text3.Text(), u"60");
}

TEST_F(FrameTest, TheProgramEndsOnlyBetweenEventsWithNoWindowLoaded) {
  Form1& main = StartToMain();
  EXPECT_FALSE(platform.quit_called());
  // A hidden window counts as loaded.
  program.Dispatch([&] { main.Hide(); });
  EXPECT_FALSE(platform.quit_called());
  // Unloading and showing again inside one event keeps the program running.
  program.Dispatch([&] {
    main.Unload();
    main.Show();
  });
  EXPECT_FALSE(platform.quit_called());
  program.Dispatch([&] { main.Unload(); });
  EXPECT_TRUE(platform.quit_called());
  EXPECT_TRUE(program.Ended());
}

TEST_F(FrameTest, ARunTimeErrorIsReportedOnceAndEndsTheProgram) {
  Form1& main = StartToMain();
  bool after = false;
  program.Dispatch([&] {
    main.Unload();
    main.hWnd();  // a failed window operation
    after = true;
  });
  EXPECT_FALSE(after);
  ASSERT_EQ(platform.fatal_messages().size(), 1u);
  EXPECT_EQ(platform.fatal_messages()[0],
            u"Run-time error: The window 'Amorix-Nimbus' is not loaded");
  EXPECT_TRUE(program.Ended());
  EXPECT_FALSE(platform.quit_called());
  // No further event runs.
  bool ran = false;
  program.Dispatch([&] { ran = true; });
  EXPECT_FALSE(ran);
}

TEST_F(FrameTest, AnyExceptionIsReportedTheSameWay) {
  StartToMain();
  program.Dispatch([] { throw std::bad_alloc(); });
  ASSERT_EQ(platform.fatal_messages().size(), 1u);
  EXPECT_EQ(platform.fatal_messages()[0].rfind(u"Run-time error: ", 0), 0u);
}

TEST_F(FrameTest, TerminateEndsEverythingAtOnce) {
  Form1& main = StartToMain();
  Click(main, main.Label1);
  program.Dispatch([&] { program.Terminate(); });
  EXPECT_TRUE(platform.terminated());
  EXPECT_FALSE(platform.Running());
  EXPECT_FALSE(platform.quit_called());
}

}  // namespace
}  // namespace amorix::testing
