#pragma once
// A reference model of the program as a user meets it: the state of each of the eight windows,
// the two names, the score, the help window's code box, and whether and how the program ended.
// It is written from the table of moves between windows and the end-of-program rule alone and
// never calls the program, so a random driver can hold the real program against it after every
// event. Beside the program it models only what decides where a key goes: which shown window
// is active (the last one shown or pressed) and which name box has the focus.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace amorix::testing::model {

// Form1 to Form8, in that order.
enum class Win { kMain, kReminder, kCredit, kHelp, kSplash, kFormation, kConfirmation, kTerms };
inline constexpr int kWindows = 8;
constexpr int Index(Win w) {
  return static_cast<int>(w);
}

enum class State { kAbsent, kCreated, kVisible, kHidden };
enum class End { kRunning, kTerminated, kNoWindowLeft };

// A label by its name in its window: LabelN is N, the main window's Calculate label (Image1) 0.
inline constexpr int kImage1 = 0;

inline constexpr std::u16string_view kExitCode = u"730418";
inline constexpr std::u16string_view kFormationCode = u"730481";
inline constexpr std::size_t kNameLength = 20;  // UTF-16 units

class WindowModel {
 public:
  // Each user action below is one event (or, for typing, one event per character) followed by
  // the end-of-program check. Actions on a window that is not shown do nothing.
  void Start();
  void SplashTick();
  void Click(Win w, int label);
  void Press(Win w);           // a press anywhere on the window activates it
  void ClickNameBox(int box);  // 0 first name, 1 second name
  void Type(std::u16string_view text);
  void Backspace();
  void Paste(std::u16string_view text);
  void Tab();
  void SystemClose(Win w);

  State state(Win w) const { return windows_[Index(w)]; }
  bool Loaded(Win w) const { return state(w) == State::kVisible || state(w) == State::kHidden; }
  End end() const { return end_; }
  bool Ended() const { return end_ != End::kRunning; }
  const std::u16string& name(int box) const { return names_[box]; }
  const std::u16string& score() const { return score_; }
  const std::u16string& code() const { return code_; }
  // The window whose edit takes the keys, if any: the active one when it has an edit.
  enum class KeyTarget { kNone, kFirstName, kSecondName, kCodeBox };
  KeyTarget Keys() const;

 private:
  void Show(Win w);
  void Hide(Win w);
  void Unload(Win w);
  void LookUp(Win w);
  void Activate(Win w);
  void Deactivate(Win w);
  void Put(std::u16string_view text);
  void Terminate() { end_ = End::kTerminated; }
  void CodeChanged();
  void CloseReminder();
  void EndIfNoWindowLoaded();
  bool Shown(Win w) const { return !Ended() && state(w) == State::kVisible; }
  std::u16string* KeyText();

  std::array<State, kWindows> windows_{};
  std::vector<Win> z_order_;  // shown windows, the active one last
  std::array<std::u16string, 2> names_;
  int focus_ = 0;  // the name box that has the focus
  std::u16string score_, code_;
  End end_ = End::kRunning;
};

}  // namespace amorix::testing::model
