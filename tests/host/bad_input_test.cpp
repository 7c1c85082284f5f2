// What a careless or hostile user can type, paste and click: names in any script, emoji and
// control characters, a megabyte pasted at once, a hundred thousand keys in the help window's
// code box, a thousand clicks on Calculate, and everything at once while the splash is up.

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace amorix::testing {
namespace {

class BadInputTest : public ProgramTest {
 protected:
  std::u16string Calculate(Form1& main, std::u16string_view first, std::u16string_view second) {
    TypeInto(main.Text1, first);
    TypeInto(main.Text2, second);
    Click(main, main.Image1);
    return main.Label3.Caption();
  }
  std::u16string NameIn(const TextBox& box) { return platform.EditText(box.Handle()); }
  // Opens the help window from the main window; the code box then has the keys.
  Form4& OpenHelp() {
    Form1& main = StartToMain();
    Click(main, main.Label8);
    return *Find<Form4>();
  }
  int Count(const char* call) { return static_cast<int>(platform.Log({call}).size()); }
  static double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
};

TEST_F(BadInputTest, NamesInEveryScriptCountTheirUtf16Units) {
  struct Case {
    std::u16string first, second, score, first_kept = first;
  };
  const Case cases[] = {
      {u"Наталья", u"王小明", u"70"},        // 7 + 3
      {u"שרה", u"محمد", u"67"},              // right to left: 3 + 4
      {u"😀😀", u"👩‍💻", u"69"},        // two pairs; a pair, a joiner, a pair
      {u"Zoë", u"\u202Eevil\u202C", u"69"},  // bidirectional overrides count too
      {std::u16string(1, char16_t{0xD800}) + u"a", u"b", u"62", u"a"},  // a lone half is dropped
  };
  for (const Case& c : cases) {
    HeadlessPlatform own;
    Program run(own);
    run.Start();
    own.FireTimer(own.Window(u"Amorix"), 1);
    Form1& main = run.windows().Get<Form1>();
    for (auto [box, text] : {std::pair{&main.Text1, c.first}, std::pair{&main.Text2, c.second}}) {
      const Point p = Centre(own.Info(box->Handle()).rect);
      own.Click(main.hWnd(), p.x, p.y);
      own.Type(text);
    }
    own.Click(main.hWnd(), Centre(main.Image1.Bounds()).x, Centre(main.Image1.Bounds()).y);
    EXPECT_EQ(main.Label3.Caption(), c.score);
    EXPECT_EQ(own.EditText(main.Text1.Handle()), c.first_kept);
    EXPECT_EQ(own.EditText(main.Text2.Handle()), c.second);
    EXPECT_NE(own.Paint(main.hWnd()).FindText(c.score), nullptr);
    EXPECT_TRUE(own.fatal_messages().empty());
  }
}

TEST_F(BadInputTest, ASurrogatePairTakesTwoOfTheTwentyUnits) {
  Form1& main = StartToMain();
  TypeInto(main.Text1, std::u16string(19, u'a'));
  platform.Type(u"😀");  // needs two units, one is left
  EXPECT_EQ(NameIn(main.Text1), std::u16string(19, u'a'));
  platform.Type(u"b");
  EXPECT_EQ(NameIn(main.Text1).size(), 20u);

  std::u16string emoji;
  for (int i = 0; i < 15; ++i) emoji += u"😀";
  TypeInto(main.Text2, u"");
  platform.Paste(emoji);  // ten whole pairs fit, and no half of the eleventh
  EXPECT_EQ(NameIn(main.Text2), emoji.substr(0, 20));
  Click(main, main.Image1);
  EXPECT_EQ(main.Label3.Caption(), u"100");
}

TEST_F(BadInputTest, AMegabytePastedIntoANameBoxIsCutToTwentyAtOnce) {
  Form1& main = StartToMain();
  const std::u16string megabyte(1 << 20, u'm');
  TypeInto(main.Text1, u"");
  const auto start = std::chrono::steady_clock::now();
  platform.Paste(megabyte);
  EXPECT_LT(SecondsSince(start), 5.0);
  EXPECT_EQ(NameIn(main.Text1), std::u16string(20, u'm'));
  platform.Paste(megabyte);  // a full box takes nothing
  EXPECT_EQ(NameIn(main.Text1).size(), 20u);
  EXPECT_EQ(Calculate(main, u"", u"x"), u"81");
}

TEST_F(BadInputTest, ControlCharactersButLineBreaksAreCharactersLikeAnyOther) {
  Form1& main = StartToMain();
  const std::u16string controls = std::u16string(u"\t\x1b\x7f\b") + char16_t{0};
  EXPECT_EQ(Calculate(main, u"\r" + controls + u"\n", u" "), u"66");
  EXPECT_EQ(NameIn(main.Text1), controls);

  // In the code box a code with anything around it is no code.
  Click(main, main.Label8);
  const std::u16string texts[] = {u"\n730481", u"\t730418",
                                  std::u16string(u"730\0"
                                                 u"418",
                                                 7),
                                  u" 730481 "};
  for (const std::u16string& text : texts) {
    platform.Paste(text);
    EXPECT_EQ(Find<Form6>(), nullptr);
    EXPECT_FALSE(platform.terminated());
    for (std::size_t i = 0; i < text.size(); ++i) platform.Backspace();
  }
  EXPECT_EQ(platform.EditText(Find<Form4>()->Text1.Handle()), u"");
}

// Keys typed and deleted at random keep the box short; the formation window opens exactly when
// the text is the formation code, and each change reads the box at most twice.
TEST_F(BadInputTest, AHundredThousandKeysInTheCodeBoxKeepTheCheckExact) {
  Form4& help = OpenHelp();
  const EditHandle box = help.Text1.Handle();
  std::mt19937 rng(7);
  const std::u16string keys = u"7304189x";
  std::u16string text;
  int matches = 0, changes = 0, reads = 0, opened = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int key = 0; key < 100'000; ++key) {
    std::u16string typed = text + keys[rng() % keys.size()];
    std::u16string deleted = text.empty() ? text : text.substr(0, text.size() - 1);
    bool erase = !text.empty() && (text.size() >= 8 || rng() % 5 < 2);
    if ((erase ? deleted : typed) == u"730418") erase = !erase;  // not the end of the run
    if (erase) {
      platform.Backspace();
      text = deleted;
    } else {
      platform.Type(typed.substr(text.size()));
      text = typed;
    }
    ++changes;
    ASSERT_EQ(platform.EditText(box), text) << "key " << key;
    if (text == u"730481") {
      ++matches;
      ASSERT_TRUE(Shown(Find<Form6>())) << "key " << key;
      Click(*Find<Form6>(), Find<Form6>()->Label1);
      PressBackground(help);  // the keys go to the help window again
      ++opened;
    } else {
      ASSERT_FALSE(Shown(Find<Form6>())) << "key " << key;
    }
    if (key % 1000 == 999) {
      reads += Count("GetEditText");
      platform.ClearLog();
    }
  }
  reads += Count("GetEditText");
  EXPECT_GT(matches, 0);
  EXPECT_EQ(opened, matches);
  EXPECT_LE(reads, 2 * changes);
  EXPECT_LT(SecondsSince(start), 60.0);
  EXPECT_FALSE(platform.terminated());
  EXPECT_TRUE(platform.fatal_messages().empty());
}

TEST_F(BadInputTest, ALongCodeBoxTextIsNeverSearchedForACode) {
  Form4& help = OpenHelp();
  platform.Paste(std::u16string(20'000, u'1'));
  platform.ClearLog();
  platform.Type(u"730481730418");
  EXPECT_EQ(Find<Form6>(), nullptr);
  EXPECT_FALSE(platform.terminated());
  EXPECT_EQ(Count("GetEditText"), 2 * 12);  // both comparisons, once per key
  EXPECT_EQ(platform.EditText(help.Text1.Handle()).size(), 20'012u);
}

TEST_F(BadInputTest, CalculateClickedAThousandTimesShowsTheSameScore) {
  Form1& main = StartToMain();
  EXPECT_EQ(Calculate(main, u"Ann", u"Bob"), u"66");
  platform.ClearLog();
  Click(main, main.Image1);
  const int reads = Count("GetEditText");
  platform.ClearLog();
  for (int i = 0; i < 999; ++i) Click(main, main.Image1);
  EXPECT_EQ(main.Label3.Caption(), u"66");
  EXPECT_EQ(Count("GetEditText"), 999 * reads);  // nothing piles up from click to click
  EXPECT_EQ(Count("CreateFormWindow"), 0);
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(Find<Form2>(), nullptr);
}

TEST_F(BadInputTest, AThousandTripsThroughTheReminderLeakNothing) {
  Form1& main = StartToMain();
  TypeInto(main.Text1, u"Ann");
  const int regions = platform.LiveRegions();
  for (int i = 0; i < 1000; ++i) {
    Click(main, main.Image1);
    ASSERT_TRUE(Shown(Find<Form2>()));
    Click(*Find<Form2>(), Find<Form2>()->Label4);
    ASSERT_TRUE(Shown(&main));
  }
  EXPECT_EQ(platform.LiveRegions(), regions);
  EXPECT_EQ(platform.UnownedLiveRegions(), 0);
  EXPECT_EQ(CountCalls("CreateFormWindow(Information,"), 1000);
  EXPECT_EQ(NameIn(main.Text1), u"Ann");
  EXPECT_EQ(main.Label3.Caption(), u"");
  EXPECT_EQ(platform.VisibleCaptions(), std::vector<std::u16string>{u"Amorix-Nimbus"});
}

TEST_F(BadInputTest, ClicksAndKeysDuringTheSplashChangeNothing) {
  program.Start();
  Form5& splash = *Find<Form5>();
  const WindowHandle w = splash.hWnd();
  for (MouseButton button : {MouseButton::kLeft, MouseButton::kRight, MouseButton::kMiddle}) {
    PressBackground(splash, button);
  }
  Click(splash, splash.Label1);
  Hover(splash, splash.Label1);
  HoverBackground(splash);
  platform.MoveMouse(w, -5, 400);
  EXPECT_FALSE(platform.Type(u"730418"));  // no box takes keys
  EXPECT_FALSE(platform.Paste(u"Ann"));
  EXPECT_FALSE(platform.Backspace());
  EXPECT_FALSE(platform.Tab());
  EXPECT_FALSE(platform.FireTimer(w, 2));
  platform.Paint(w);
  EXPECT_EQ(Find<Form1>(), nullptr);
  EXPECT_EQ(Find<Form4>(), nullptr);
  EXPECT_TRUE(Shown(&splash));
  EXPECT_FALSE(platform.terminated());

  ASSERT_TRUE(platform.FireTimer(w, 1));
  Form1& main = *Find<Form1>();
  EXPECT_TRUE(Shown(&main));
  EXPECT_EQ(NameIn(main.Text1), u"");
  EXPECT_EQ(NameIn(main.Text2), u"");
  EXPECT_EQ(main.Label3.Caption(), u"");
  EXPECT_TRUE(platform.fatal_messages().empty());
}

}  // namespace
}  // namespace amorix::testing
