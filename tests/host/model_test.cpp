// The whole program on the headless platform, driven by seeded random sequences of user events
// and held against the window model after every event: each window's state, the names, the score,
// the code box, the key focus and the end of the program. `make test` runs 10,000 sequences of up
// to 200 events; AMORIX_SOAK_SEQUENCES asks for more (`make soak`), AMORIX_SOAK_BASE moves the
// seeds, and AMORIX_MODEL_SEED replays the one sequence that a failure names.

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model_labels.h"
#include "program_fixture.h"
#include "window_model.h"

namespace amorix::testing {
namespace {

using model::End;
using model::State;
using model::Win;
using model::WindowModel;

constexpr int kShards = 8;
constexpr std::uint64_t kDefaultSequences = 10'000;
constexpr int kMaxEvents = 200;

// What a user types into the name boxes: several scripts, a surrogate pair, control characters
// and a lone surrogate.
const std::u16string kNameChars[] = {u"a",
                                     u"Z",
                                     u" ",
                                     u"\u00e9",
                                     u"\u0416",
                                     u"\u4e2d",
                                     u"\u05d0",
                                     u"\u0634",
                                     u"\U0001F600",
                                     u"\t",
                                     u"\r\n",
                                     std::u16string(1, u'\0'),
                                     std::u16string(1, char16_t{0xD800}),
                                     u"7"};
const std::u16string kCodeChars[] = {u"7", u"3", u"0", u"4", u"1", u"8", u"2", u"9", u"x"};

enum class Kind {
  kTick,
  kClick,
  kPressRelease,
  kMoveLabel,
  kMoveBackground,
  kMovePoint,
  kPressBackground,
  kClickNameBox,
  kType,
  kBackspace,
  kPaste,
  kTab,
  kClose,
  kPaint,
};

struct Action {
  Kind kind = Kind::kTick;
  Win window = Win::kMain;
  int label = 0, other = 0;  // indices into kLabels; the name box for kClickNameBox
  MouseButton button = MouseButton::kLeft;
  int x = 0, y = 0;
  std::u16string text;
};

Action At(Kind kind, Win window = Win::kMain) {
  Action a;
  a.kind = kind;
  a.window = window;
  return a;
}
Action OnLabel(Kind kind, int label, int other = 0, MouseButton button = MouseButton::kLeft) {
  Action a = At(kind, kLabels[label].window);
  a.label = label;
  a.other = other;
  a.button = button;
  return a;
}
Action Keys(Kind kind, std::u16string text) {
  Action a = At(kind);
  a.text = std::move(text);
  return a;
}

std::string Utf8Of(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
      out += buffer;
    }
  }
  return out;
}

std::string Describe(const Action& a) {
  const std::string window = kWindowNames[model::Index(a.window)];
  const auto label = [](int i) {
    const LabelRef& l = kLabels[i];
    return std::string(kWindowNames[model::Index(l.window)]) +
           (l.id == model::kImage1 ? ".Image1" : ".Label" + std::to_string(l.id));
  };
  const std::string button = a.button == MouseButton::kLeft    ? "left"
                             : a.button == MouseButton::kRight ? "right"
                                                               : "middle";
  switch (a.kind) {
    case Kind::kTick:
      return "splash timer tick";
    case Kind::kClick:
      return "click " + label(a.label);
    case Kind::kPressRelease:
      return "press " + button + " on " + label(a.label) + ", release on " + label(a.other);
    case Kind::kMoveLabel:
      return "move over " + label(a.label);
    case Kind::kMoveBackground:
      return "move over the background of " + window;
    case Kind::kMovePoint:
      return "move to " + std::to_string(a.x) + "," + std::to_string(a.y) + " of " + window;
    case Kind::kPressBackground:
      return "press " + button + " on the background of " + window;
    case Kind::kClickNameBox:
      return "click name box " + std::to_string(a.other + 1);
    case Kind::kType:
      return "type \"" + Utf8Of(a.text) + "\"";
    case Kind::kBackspace:
      return "backspace";
    case Kind::kPaste:
      return "paste \"" + Utf8Of(a.text) + "\"";
    case Kind::kTab:
      return "tab";
    case Kind::kClose:
      return "system close of " + window;
    case Kind::kPaint:
      return "paint " + window;
  }
  return "?";
}

constexpr const char* kStateNames[] = {"absent", "created, not loaded", "loaded and visible",
                                       "loaded and hidden"};

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoull(value, nullptr, 10) : fallback;
}

// One sequence: a fresh program and a fresh model, fed the same events.
class Sequence {
 public:
  explicit Sequence(std::uint64_t seed) : rng_(seed) {}

  // Empty when the program followed the model to the end; else what went wrong, and the events.
  std::string Run() {
    const int length = 1 + static_cast<int>(rng_() % kMaxEvents);
    model_.Start();
    if (std::string error = Step([&] { program_.Start(); }); !error.empty()) return error;
    int after_end = 0;
    while (events_ < length && after_end < 2) {
      std::vector<Action> batch = NextEvents();
      for (const Action& action : batch) {
        if (events_ >= length) break;
        trace_.push_back(action);
        codes_ += action.text == model::kExitCode || action.text == model::kFormationCode;
        ++events_;
        if (model_.Ended()) ++after_end;
        if (std::string error = Step([&] { Apply(action); }); !error.empty()) return error;
      }
    }
    return {};
  }

  int events() const { return events_; }
  int codes() const { return codes_; }
  End end() const { return model_.end(); }
  const std::vector<Action>& trace() const { return trace_; }

 private:
  template <class F>
  std::string Step(F&& step) {
    try {
      step();
    } catch (const std::exception& e) {
      return std::string("an exception escaped: ") + e.what();
    } catch (...) {
      return "an exception escaped";
    }
    for (int i = 0; i < model::kWindows; ++i) {
      if (const Form* form = FormOf(static_cast<Win>(i)); form && form->Loaded()) {
        handles_[i] = form->hWnd();
      }
    }
    return Compare();
  }

  Form* FormOf(Win w) { return testing::FormOf(program_, w); }
  int RandomInt(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
  bool Chance(int percent) { return RandomInt(100) < percent; }

  std::vector<Win> ShownWindows() const {
    std::vector<Win> shown;
    for (int i = 0; i < model::kWindows; ++i) {
      if (model_.state(static_cast<Win>(i)) == State::kVisible)
        shown.push_back(static_cast<Win>(i));
    }
    return shown;
  }
  int RandomLabelOf(Win w) {
    std::vector<int> of;
    for (int i = 0; i < kLabelCount; ++i) {
      if (kLabels[i].window == w) of.push_back(i);
    }
    return of[RandomInt(static_cast<int>(of.size()))];
  }
  template <std::size_t N>
  std::u16string RandomText(const std::u16string (&pool)[N], int max_chars) {
    std::u16string text;
    for (int n = 1 + RandomInt(max_chars); n > 0; --n) text += pool[RandomInt(N)];
    return text;
  }
  MouseButton RandomButton() {
    constexpr MouseButton kButtons[] = {MouseButton::kLeft, MouseButton::kLeft, MouseButton::kRight,
                                        MouseButton::kMiddle};
    return kButtons[RandomInt(4)];
  }

  // Events that end the program are let through only now and then, so that most runs go deep.
  std::vector<Action> NextEvents() {
    std::vector<Action> batch;
    for (int attempt = 0; attempt < 4; ++attempt) {
      batch.clear();
      Generate(batch);
      WindowModel future = model_;
      for (const Action& action : batch) Predict(future, action);
      if (model_.Ended() || !future.Ended() || Chance(15)) break;
    }
    return batch;
  }

  void Generate(std::vector<Action>& out) {
    const std::vector<Win> shown = ShownWindows();
    if (shown.empty() || (model_.Loaded(Win::kSplash) && Chance(35))) {
      out.push_back(At(Kind::kTick));
      return;
    }
    const Win w = shown[RandomInt(static_cast<int>(shown.size()))];
    const bool main = model_.state(Win::kMain) == State::kVisible;
    const bool help = model_.state(Win::kHelp) == State::kVisible;
    const int r = RandomInt(100);
    if (r < 25) {
      int label = RandomLabelOf(w);
      // "Yes" ends the run; let most runs go on.
      if (w == Win::kConfirmation && kLabels[label].id == 2 && Chance(75)) label = RandomLabelOf(w);
      out.push_back(OnLabel(Kind::kClick, label));
    } else if (r < 36 && main) {
      Action box = At(Kind::kClickNameBox);
      box.other = RandomInt(2);
      out.push_back(box);
      if (r < 33) {
        out.push_back(Keys(Kind::kType, RandomText(kNameChars, 4)));
      } else {
        out.push_back(Keys(Kind::kPaste, RandomText(kNameChars, 40)));
      }
    } else if (r < 40) {
      out.push_back(At(Kind::kBackspace));
    } else if (r < 44) {
      out.push_back(Keys(Kind::kType, RandomText(kCodeChars, 3)));
    } else if (r < 46) {
      out.push_back(At(Kind::kTab));
    } else if (r < 60 && help) {
      GenerateCode(out);
    } else if (r < 72) {
      const int kind = RandomInt(3);
      if (kind == 0) {
        out.push_back(OnLabel(Kind::kMoveLabel, RandomLabelOf(w)));
      } else if (kind == 1) {
        out.push_back(At(Kind::kMoveBackground, w));
      } else {
        Action move = At(Kind::kMovePoint, w);
        move.x = RandomInt(700) - 50;
        move.y = RandomInt(400) - 50;
        out.push_back(move);
      }
    } else if (r < 78) {
      Action press = At(Kind::kPressBackground, w);
      press.button = RandomButton();
      out.push_back(press);
    } else if (r < 82) {
      const int a = RandomLabelOf(w);
      out.push_back(
          OnLabel(Kind::kPressRelease, a, Chance(50) ? a : RandomLabelOf(w), RandomButton()));
    } else if (r < 85) {
      out.push_back(At(Kind::kClose, w));
    } else if (r < 87) {
      out.push_back(At(Kind::kPaint, w));
    } else if (r < 92) {
      // At a window that may be hidden, unloaded or gone: the platform drops what it cannot
      // deliver, and the model ignores it.
      const Win any = static_cast<Win>(RandomInt(model::kWindows));
      const int label = RandomLabelOf(any);
      if (any == Win::kConfirmation && kLabels[label].id == 2) return;
      out.push_back(Chance(70) ? OnLabel(Kind::kClick, label) : At(Kind::kClose, any));
    } else if (r < 94) {
      out.push_back(At(Kind::kTick));
    } else {
      out.push_back(OnLabel(Kind::kClick, RandomLabelOf(w)));
    }
  }

  // Keys for the help window's code box, which it gets once the window is active.
  void GenerateCode(std::vector<Action>& out) {
    out.push_back(At(Kind::kPressBackground, Win::kHelp));
    const int r = RandomInt(10);
    if (r < 3) {
      out.push_back(Keys(Kind::kType, RandomText(kCodeChars, 6)));
    } else if (r < 5) {
      out.push_back(At(Kind::kBackspace));
      out.push_back(Keys(Kind::kType, RandomText(kCodeChars, 1)));
    } else {
      for (std::size_t n = model_.code().size(); n > 0; --n) out.push_back(At(Kind::kBackspace));
      const std::u16string code(Chance(20) ? model::kExitCode : model::kFormationCode);
      out.push_back(Keys(Chance(70) ? Kind::kType : Kind::kPaste, code));
    }
  }
  // A shown pixel of the window that no label or edit covers, found once per window.
  std::optional<Point> Background(Win w, WindowHandle h) {
    static std::array<std::optional<Point>, model::kWindows> cache;
    std::optional<Point>& point = cache[model::Index(w)];
    if (point || !platform_.IsAlive(h)) return point;
    Form& form = *FormOf(w);
    const auto covered = [&](int x, int y) {
      for (const LabelRef& l : kLabels) {
        if (l.window == w && l.get(form).Bounds().Contains(x, y)) return true;
      }
      for (EditHandle e : platform_.Info(h).edits) {
        if (platform_.Info(e).rect.Contains(x, y)) return true;
      }
      return false;
    };
    const auto& info = platform_.Info(h);
    for (int y = 20; y < info.client_height && !point; y += 7) {
      for (int x = 20; x < info.client_width && !point; x += 7) {
        if (platform_.Shows(h, x, y) && !covered(x, y)) point = Point{x, y};
      }
    }
    return point;
  }

  Point LabelCentre(int label) {
    const LabelRef& l = kLabels[label];
    return Centre(l.get(*FormOf(l.window)).Bounds());
  }

  void Expect(bool landed, Win w) {
    const bool shown = !model_.Ended() && model_.state(w) == State::kVisible;
    if (landed != shown) {
      mismatch_ = std::string("the event ") + (landed ? "reached " : "missed ") +
                  kWindowNames[model::Index(w)];
    }
  }

  static Win WindowOf(const Action& a) {
    const bool on_label =
        a.kind == Kind::kClick || a.kind == Kind::kPressRelease || a.kind == Kind::kMoveLabel;
    return on_label ? kLabels[a.label].window : a.window;
  }

  // What the model expects of an event; moves and paints change nothing.
  static void Predict(WindowModel& m, const Action& a) {
    const Win w = WindowOf(a);
    switch (a.kind) {
      case Kind::kTick:
        return m.SplashTick();
      case Kind::kClick:
        return m.Click(w, kLabels[a.label].id);
      case Kind::kPressRelease:
        m.Press(w);
        if (a.label == a.other && a.button == MouseButton::kLeft) m.Click(w, kLabels[a.label].id);
        return;
      case Kind::kPressBackground:
        return m.Press(w);
      case Kind::kClickNameBox:
        return m.ClickNameBox(a.other);
      case Kind::kType:
        return m.Type(a.text);
      case Kind::kBackspace:
        return m.Backspace();
      case Kind::kPaste:
        return m.Paste(a.text);
      case Kind::kTab:
        return m.Tab();
      case Kind::kClose:
        return m.SystemClose(w);
      case Kind::kMoveLabel:
      case Kind::kMoveBackground:
      case Kind::kMovePoint:
      case Kind::kPaint:
        return;
    }
  }

  void Apply(const Action& a) {
    const Win w = WindowOf(a);
    const WindowHandle h = handles_[model::Index(w)];
    const bool can_aim = h != nullptr && FormOf(w) != nullptr;
    constexpr auto kMissed = headless::Hit::kNothing;
    switch (a.kind) {
      case Kind::kTick:
        platform_.FireTimer(handles_[model::Index(Win::kSplash)], 1);
        break;
      case Kind::kClick:
        if (can_aim) {
          const Point p = LabelCentre(a.label);
          Expect(platform_.Click(h, p.x, p.y) != kMissed, w);
        }
        break;
      case Kind::kPressRelease:
        if (can_aim) {
          const Point p = LabelCentre(a.label), q = LabelCentre(a.other);
          Expect(platform_.Press(h, p.x, p.y, a.button) != kMissed, w);
          platform_.Release(h, q.x, q.y, a.button);
        }
        break;
      case Kind::kMoveLabel:
        if (can_aim) platform_.MoveMouse(h, LabelCentre(a.label).x, LabelCentre(a.label).y);
        break;
      case Kind::kMoveBackground:
        if (const auto p = Background(w, h)) platform_.MoveMouse(h, p->x, p->y);
        break;
      case Kind::kMovePoint:
        platform_.MoveMouse(h, a.x, a.y);
        break;
      case Kind::kPressBackground:
        if (const auto p = Background(w, h)) {
          Expect(platform_.Press(h, p->x, p->y, a.button) != kMissed, w);
        }
        break;
      case Kind::kClickNameBox:
        if (const Form1* main = program_.windows().Find<Form1>(); main && main->Loaded()) {
          const EditHandle box = a.other == 0 ? main->Text1.Handle() : main->Text2.Handle();
          const Point p = Centre(platform_.Info(box).rect);
          Expect(platform_.Click(handles_[0], p.x, p.y) == headless::Hit::kEdit, Win::kMain);
        }
        break;
      case Kind::kType:
        platform_.Type(a.text);
        break;
      case Kind::kBackspace:
        platform_.Backspace();
        break;
      case Kind::kPaste:
        platform_.Paste(a.text);
        break;
      case Kind::kTab:
        platform_.Tab();
        break;
      case Kind::kClose:
        platform_.CloseRequest(h);
        break;
      case Kind::kPaint:
        platform_.Paint(h);
        break;
    }
    Predict(model_, a);
  }

  std::string Compare() {
    std::ostringstream out;
    if (!mismatch_.empty()) out << mismatch_ << "; ";
    for (int i = 0; i < model::kWindows; ++i) {
      const Win w = static_cast<Win>(i);
      const Form* form = FormOf(w);
      State real = State::kAbsent;
      if (form)
        real = !form->Loaded()   ? State::kCreated
               : form->Visible() ? State::kVisible
                                 : State::kHidden;
      if (real != model_.state(w)) {
        out << kWindowNames[i] << " is " << kStateNames[static_cast<int>(real)] << ", expected "
            << kStateNames[static_cast<int>(model_.state(w))] << "; ";
      }
      if (form && form->Loaded() &&
          (!platform_.IsAlive(form->hWnd()) ||
           platform_.IsVisible(form->hWnd()) != form->Visible())) {
        out << kWindowNames[i] << "'s native window disagrees with it; ";
      }
    }
    if (const Form1* main = program_.windows().Find<Form1>(); main && main->Loaded()) {
      const std::u16string names[] = {platform_.EditText(main->Text1.Handle()),
                                      platform_.EditText(main->Text2.Handle())};
      for (int box = 0; box < 2; ++box) {
        if (names[box] != model_.name(box)) {
          out << "name " << box + 1 << " is \"" << Utf8Of(names[box]) << "\", expected \""
              << Utf8Of(model_.name(box)) << "\"; ";
        }
      }
      if (main->Label3.Caption() != model_.score()) {
        out << "the score is \"" << Utf8Of(main->Label3.Caption()) << "\", expected \""
            << Utf8Of(model_.score()) << "\"; ";
      }
    }
    if (const Form4* help = program_.windows().Find<Form4>(); help && help->Loaded()) {
      if (platform_.EditText(help->Text1.Handle()) != model_.code()) {
        out << "the code box holds \"" << Utf8Of(platform_.EditText(help->Text1.Handle()))
            << "\", expected \"" << Utf8Of(model_.code()) << "\"; ";
      }
    }
    CompareEnd(out);
    mismatch_.clear();
    return out.str();
  }

  void CompareEnd(std::ostringstream& out) {
    const End real = platform_.terminated()    ? End::kTerminated
                     : platform_.quit_called() ? End::kNoWindowLeft
                                               : End::kRunning;
    constexpr const char* kEnds[] = {"running", "terminated", "ended with no window left"};
    if (real != model_.end() || program_.Ended() != model_.Ended() ||
        (platform_.terminated() && platform_.quit_called())) {
      out << "the program is " << kEnds[static_cast<int>(real)] << ", expected "
          << kEnds[static_cast<int>(model_.end())] << "; ";
    }
    if (!platform_.fatal_messages().empty()) {
      out << "a run-time error: " << Utf8Of(platform_.fatal_messages().front()) << "; ";
    }
    if (real == End::kRunning && platform_.VisibleCaptions().empty()) {
      out << "the program runs with no window on screen; ";
    }
    if (real != End::kRunning) return;
    EditHandle expected = nullptr;
    const Form1* main = program_.windows().Find<Form1>();
    const Form4* help = program_.windows().Find<Form4>();
    switch (model_.Keys()) {
      case WindowModel::KeyTarget::kFirstName:
        if (main) expected = main->Text1.Handle();
        break;
      case WindowModel::KeyTarget::kSecondName:
        if (main) expected = main->Text2.Handle();
        break;
      case WindowModel::KeyTarget::kCodeBox:
        if (help) expected = help->Text1.Handle();
        break;
      case WindowModel::KeyTarget::kNone:
        break;
    }
    if (platform_.FocusedEdit() != expected) out << "the keys would go elsewhere; ";
  }

  std::mt19937_64 rng_;
  HeadlessPlatform platform_;
  Program program_{platform_};
  WindowModel model_;
  std::array<WindowHandle, model::kWindows> handles_{};
  std::vector<Action> trace_;
  std::string mismatch_;
  int events_ = 0, codes_ = 0;
};

class RandomSequences : public ::testing::TestWithParam<int> {};

TEST_P(RandomSequences, FollowTheWindowModel) {
  const int shard = GetParam();
  const std::uint64_t replay = EnvNumber("AMORIX_MODEL_SEED", 0);
  if (replay != 0 && shard != 0) GTEST_SKIP() << "replaying seed " << replay << " in shard 0";
  const std::uint64_t total = EnvNumber("AMORIX_SOAK_SEQUENCES", kDefaultSequences);
  const std::uint64_t base = EnvNumber("AMORIX_SOAK_BASE", 1);

  std::vector<std::uint64_t> seeds;
  if (replay != 0) {
    seeds.push_back(replay);
  } else {
    for (std::uint64_t i = shard; i < total; i += kShards) seeds.push_back(base + i);
  }
  const auto start = std::chrono::steady_clock::now();
  long long events = 0;
  int failures = 0, terminated = 0, no_window = 0, codes = 0;
  for (const std::uint64_t seed : seeds) {
    Sequence sequence(seed);
    const std::string error = sequence.Run();
    events += sequence.events();
    codes += sequence.codes();
    terminated += sequence.end() == End::kTerminated;
    no_window += sequence.end() == End::kNoWindowLeft;
    if (error.empty()) continue;
    std::ostringstream trace;
    for (const Action& action : sequence.trace()) trace << "\n  " << Describe(action);
    ADD_FAILURE() << "seed " << seed << ", after event " << sequence.events() << ": " << error
                  << "\nreplay with AMORIX_MODEL_SEED=" << seed
                  << " --gtest_filter='Model/RandomSequences.*'\nevents:" << trace.str();
    if (++failures == 3) break;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "shard " << shard << ": " << seeds.size() << " sequences, " << events << " events, "
            << codes << " codes typed or pasted, " << terminated << " terminated, " << no_window
            << " ended with no window left, " << seconds << " s\n";
}

INSTANTIATE_TEST_SUITE_P(Model, RandomSequences, ::testing::Range(0, kShards));

}  // namespace
}  // namespace amorix::testing
