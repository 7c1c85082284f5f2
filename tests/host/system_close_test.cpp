// A close asked for by the system (Alt+F4, the taskbar) of each window, in each state that lets
// the system reach it: it unloads that window, and the end-of-program rule applies after it.
// The reminder is the one exception: it closes as its close label does, so that the main window
// hidden behind it comes back. A random walk of clicks, keys and closes checks that no sequence
// leaves the program running with nothing on screen.

#include <random>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace amorix::testing {
namespace {

using Calls = std::vector<std::string>;

class SystemCloseTest : public ProgramTest {
 protected:
  template <class W>
  W& Through(Label Form1::*menu) {
    Form1& main = *Find<Form1>();
    Click(main, main.*menu);
    return *Find<W>();
  }
  // Closes the window as the system would and checks that it was unloaded, its instance kept.
  template <class W>
  void SystemClose(W& window) {
    ASSERT_TRUE(platform.CloseRequest(window.hWnd()));
    EXPECT_FALSE(window.Loaded());
    EXPECT_EQ(Find<W>(), &window);
  }
};

TEST_F(SystemCloseTest, ClosingTheSplashEndsTheProgram) {
  program.Start();
  Form5& splash = *Find<Form5>();
  const WindowHandle w = splash.hWnd();
  platform.ClearLog();
  SystemClose(splash);
  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Amorix)", "Quit()"}));
  EXPECT_TRUE(program.Ended());
  EXPECT_FALSE(platform.FireTimer(w, 1));  // the hand-over never comes
  EXPECT_EQ(Find<Form1>(), nullptr);
}

TEST_F(SystemCloseTest, ClosingTheOnlyMainWindowEndsTheProgram) {
  Form1& main = StartToMain();
  platform.ClearLog();
  SystemClose(main);
  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Amorix-Nimbus)", "Quit()"}));
  EXPECT_FALSE(platform.terminated());
}

TEST_F(SystemCloseTest, ClosingMainUnderTheConfirmationLeavesTheConfirmation) {
  Form1& main = StartToMain();
  Form7& confirmation = Through<Form7>(&Form1::Label1);
  SystemClose(main);
  EXPECT_FALSE(platform.quit_called());
  EXPECT_TRUE(Shown(&confirmation));
  Click(confirmation, confirmation.Label1);  // "No" with nothing under it: the last window goes
  EXPECT_TRUE(platform.quit_called());
}

TEST_F(SystemCloseTest, ClosingTheReminderDoesWhatItsCloseLabelDoes) {
  Form1& main = StartToMain();
  TypeInto(main.Text2, u"Bob");
  Click(main, main.Image1);
  Form2& reminder = *Find<Form2>();
  ASSERT_EQ(main.Label3.Caption(), u"63");
  EXPECT_FALSE(platform.CloseRequest(main.hWnd()));  // hidden: the system cannot reach it
  platform.ClearLog();
  SystemClose(reminder);
  EXPECT_EQ(WindowCalls(),
            (Calls{"ShowFormWindow(Amorix-Nimbus,1)", "DestroyFormWindow(Information)"}));
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(main.Text2.Text(), u"Bob");
  EXPECT_EQ(main.Label3.Caption(), u"");
  EXPECT_FALSE(platform.quit_called());
}

TEST_F(SystemCloseTest, ClosingTheCreditWindowEndsTheProgram) {
  StartToMain();
  Form3& credit = Through<Form3>(&Form1::Label9);
  platform.ClearLog();
  SystemClose(credit);
  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Credit)", "Quit()"}));
}

TEST_F(SystemCloseTest, ClosingTheTermsWindowEndsTheProgram) {
  StartToMain();
  Form8& terms = Through<Form8>(&Form1::Label7);
  platform.ClearLog();
  SystemClose(terms);
  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Terms)", "Quit()"}));
}

TEST_F(SystemCloseTest, ClosingTheOnlyHelpWindowEndsTheProgram) {
  StartToMain();
  Form4& help = Through<Form4>(&Form1::Label8);
  platform.Type(u"7304");
  platform.ClearLog();
  SystemClose(help);
  EXPECT_EQ(WindowCalls(), (Calls{"DestroyFormWindow(Help)", "Quit()"}));
}

TEST_F(SystemCloseTest, ClosingHelpLeavesTheFormationWindowRunning) {
  StartToMain();
  Form4& help = Through<Form4>(&Form1::Label8);
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  platform.ClearLog();
  SystemClose(help);
  EXPECT_EQ(WindowCalls(), Calls{"DestroyFormWindow(Help)"});
  EXPECT_TRUE(Shown(&formation));
  EXPECT_TRUE(platform.Running());
  Hover(formation, formation.Label1);
  EXPECT_EQ(formation.Label1.ForeColor(), 255u);
  SystemClose(formation);
  EXPECT_TRUE(platform.quit_called());
}

TEST_F(SystemCloseTest, ClosingTheFormationWindowLeavesHelpAsItWas) {
  StartToMain();
  Form4& help = Through<Form4>(&Form1::Label8);
  platform.Type(u"730481");
  Form6& formation = *Find<Form6>();
  platform.ClearLog();
  SystemClose(formation);
  EXPECT_EQ(WindowCalls(), Calls{"DestroyFormWindow(SW. Formation)"});
  EXPECT_TRUE(Shown(&help));
  EXPECT_EQ(help.Text1.Text(), u"730481");
  EXPECT_EQ(platform.FocusedEdit(), help.Text1.Handle());
  // The code now loads it afresh.
  platform.Backspace();
  platform.Type(u"1");
  EXPECT_TRUE(Shown(&formation));
  EXPECT_EQ(CountCalls("CreateFormWindow(SW. Formation,"), 1);
}

TEST_F(SystemCloseTest, ClosingTheConfirmationIsLikeNo) {
  Form1& main = StartToMain();
  TypeInto(main.Text1, u"Ann");
  TypeInto(main.Text2, u"Bob");
  Click(main, main.Image1);
  Form7& confirmation = Through<Form7>(&Form1::Label1);
  platform.ClearLog();
  SystemClose(confirmation);
  EXPECT_EQ(WindowCalls(), Calls{"DestroyFormWindow(Confirmation)"});
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(main.Label3.Caption(), u"66");
  Click(main, main.Label1);  // and the close label loads it afresh
  EXPECT_TRUE(Shown(&confirmation));
  EXPECT_EQ(CountCalls("CreateFormWindow(Confirmation,"), 1);
}

TEST_F(SystemCloseTest, ClosingTheConfirmationLeftBesideAMenuWindowKeepsTheMenuWindow) {
  StartToMain();
  Form7& confirmation = Through<Form7>(&Form1::Label1);
  Form4& help = Through<Form4>(&Form1::Label8);
  SystemClose(confirmation);
  EXPECT_TRUE(Shown(&help));
  EXPECT_FALSE(platform.quit_called());
  SystemClose(help);
  EXPECT_TRUE(platform.quit_called());
}

// A user who clicks, hovers, presses, types and closes at random, one window at a time.
class RandomUser {
 public:
  explicit RandomUser(unsigned seed) : rng_(seed) { program_.Start(); }

  // Runs until the program ends or the invariant breaks; false when it broke.
  bool Run(int steps) {
    if (!Check()) return false;
    for (int i = 0; i < steps && platform_.Running(); ++i) {
      Step();
      if (!Check()) return false;
    }
    return true;
  }
  const std::string& trail() const { return trail_; }

 private:
  std::vector<Form*> Forms() {
    WindowRegistry& r = program_.windows();
    return {r.Find<Form1>(), r.Find<Form2>(), r.Find<Form3>(), r.Find<Form4>(),
            r.Find<Form5>(), r.Find<Form6>(), r.Find<Form7>(), r.Find<Form8>()};
  }
  static std::vector<Label*> LabelsOf(Form& f) {
    if (auto* w = dynamic_cast<Form1*>(&f))
      return {&w->Label1, &w->Image1, &w->Label7, &w->Label8, &w->Label9, &w->Label3};
    if (auto* w = dynamic_cast<Form2*>(&f)) return {&w->Label4, &w->Label3, &w->Label2, &w->Label1};
    if (auto* w = dynamic_cast<Form3*>(&f)) return {&w->Label4};
    if (auto* w = dynamic_cast<Form4*>(&f))
      return {&w->Label6, &w->Label5, &w->Label3, &w->Label2, &w->Label1, &w->Label4};
    if (auto* w = dynamic_cast<Form5*>(&f)) return {&w->Label1};
    if (auto* w = dynamic_cast<Form6*>(&f)) return {&w->Label1};
    if (auto* w = dynamic_cast<Form7*>(&f))
      return {&w->Label4, &w->Label3, &w->Label1};  // "Yes" aside
    if (auto* w = dynamic_cast<Form8*>(&f)) return {&w->Label9, &w->Label1, &w->Label4};
    return {};
  }
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  template <class T>
  T& PickFrom(std::vector<T>& items) {
    return items[static_cast<std::size_t>(Pick(static_cast<int>(items.size())))];
  }
  std::string Name(const Form& form) {
    return std::string(form.Caption().begin(), form.Caption().end());
  }

  enum Action { kClick, kHoverLabel, kHoverPixel, kSystemClose, kPress, kType, kBackspace, kTick };

  void Step() {
    std::vector<Form*> shown;
    for (Form* f : Forms()) {
      if (f && f->Loaded() && f->Visible()) shown.push_back(f);
    }
    Form& form = *PickFrom(shown);
    const WindowHandle w = form.hWnd();
    const auto& info = platform_.Info(w);
    std::vector<Label*> labels = LabelsOf(form);
    Label& label = *PickFrom(labels);
    const Point centre = Centre(label.Bounds());
    const int x = Pick(info.client_width), y = Pick(info.client_height);
    switch (static_cast<Action>(actions_(rng_))) {
      case kClick:
        trail_ += "click " + Name(form) + " " +
                  std::string(label.Caption().begin(), label.Caption().end()) + "; ";
        platform_.Click(w, centre.x, centre.y);
        break;
      case kHoverLabel:
        platform_.MoveMouse(w, centre.x, centre.y);
        break;
      case kHoverPixel:
        platform_.MoveMouse(w, x, y);
        break;
      case kSystemClose:
        trail_ += "system close " + Name(form) + "; ";
        platform_.CloseRequest(w);
        break;
      case kPress: {
        const MouseButton button = Pick(2) ? MouseButton::kLeft : MouseButton::kRight;
        trail_ += "press " + Name(form) + "; ";
        platform_.Press(w, x, y, button);
        platform_.Release(w, x, y, button);
        break;
      }
      case kType: {
        std::vector<std::u16string> keys = {u"Ann", u"7", u"3",      u"0",     u"4",
                                            u"1",   u"x", u"730481", u"730481"};
        const std::u16string& text = PickFrom(keys);
        trail_ += "type " + std::string(text.begin(), text.end()) + "; ";
        platform_.Type(text);
        break;
      }
      case kBackspace:
        trail_ += "backspace; ";
        platform_.Backspace();
        break;
      case kTick:
        if (Form5* splash = program_.windows().Find<Form5>(); splash && splash->Loaded()) {
          trail_ += "tick; ";
          platform_.FireTimer(splash->hWnd(), 1);
        }
        break;
    }
  }

  // What must hold between any two user actions.
  bool Check() {
    int loaded = 0, visible = 0;
    for (Form* f : Forms()) {
      if (!f || !f->Loaded()) continue;
      ++loaded;
      EXPECT_TRUE(platform_.IsAlive(f->hWnd())) << Name(*f);
      EXPECT_EQ(f->Visible(), platform_.IsVisible(f->hWnd())) << Name(*f);
      if (f->Visible()) ++visible;
    }
    int alive = 0;
    for (WindowHandle w : platform_.AllWindows()) alive += platform_.IsAlive(w) ? 1 : 0;
    EXPECT_EQ(alive, loaded);
    EXPECT_TRUE(platform_.fatal_messages().empty());
    EXPECT_EQ(program_.Ended(), !platform_.Running());
    EXPECT_EQ(platform_.quit_called(), loaded == 0);
    if (platform_.Running()) {
      EXPECT_GT(visible, 0) << "running with every loaded window hidden";
    }
    return !::testing::Test::HasFailure();
  }

  std::mt19937 rng_;
  std::discrete_distribution<int> actions_{12, 2, 2, 1, 2, 4, 2, 3};
  HeadlessPlatform platform_;
  Program program_{platform_};
  std::string trail_;
};

TEST(SystemCloseInvariantTest, NoSequenceLeavesTheProgramRunningWithEveryWindowHidden) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    RandomUser user(seed);
    if (!user.Run(120)) {
      ADD_FAILURE() << "seed " << seed << ": " << user.trail();
      break;
    }
  }
}

}  // namespace
}  // namespace amorix::testing
