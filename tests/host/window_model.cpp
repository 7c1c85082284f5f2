#include "window_model.h"

#include <algorithm>
#include <string>

namespace amorix::testing::model {
namespace {

bool High(char16_t c) {
  return c >= 0xD800 && c < 0xDC00;
}
bool Low(char16_t c) {
  return c >= 0xDC00 && c < 0xE000;
}
// A surrogate pair is one character of two units; anything else is one unit.
std::size_t CharAt(std::u16string_view text, std::size_t i) {
  return High(text[i]) && i + 1 < text.size() && Low(text[i + 1]) ? 2 : 1;
}

std::u16string Decimal(std::size_t n) {
  const std::string digits = std::to_string(n);
  return {digits.begin(), digits.end()};
}

}  // namespace

void WindowModel::Start() {
  Show(Win::kSplash);
  EndIfNoWindowLoaded();
}

void WindowModel::SplashTick() {
  if (Ended() || !Loaded(Win::kSplash)) return;
  Unload(Win::kSplash);
  Show(Win::kMain);
  EndIfNoWindowLoaded();
}

void WindowModel::Press(Win w) {
  if (Shown(w)) Activate(w);
}

void WindowModel::Click(Win w, int label) {
  if (!Shown(w)) return;
  Activate(w);
  switch (w) {
    case Win::kMain:
      if (label == kImage1) {
        if (names_[0].empty() || names_[1].empty()) {
          Hide(Win::kMain);
          Show(Win::kReminder);
        }
        score_ = Decimal(names_[0].size() + names_[1].size() + 60);
      } else if (label == 1) {
        Show(Win::kConfirmation);
      } else if (label == 7 || label == 8 || label == 9) {
        Unload(Win::kMain);
        Show(label == 7 ? Win::kTerms : label == 8 ? Win::kHelp : Win::kCredit);
      }
      break;
    case Win::kReminder:
      if (label == 4) CloseReminder();
      break;
    case Win::kCredit:
    case Win::kHelp:
    case Win::kTerms:
      if (label == 4) {  // the close label; the other labels only open web pages
        Unload(w);
        Show(Win::kMain);
      }
      break;
    case Win::kFormation:
      if (label == 1) Unload(w);
      break;
    case Win::kConfirmation:
      if (label == 1) Unload(w);
      if (label == 2) Terminate();
      break;
    case Win::kSplash:
      break;
  }
  EndIfNoWindowLoaded();
}

void WindowModel::ClickNameBox(int box) {
  if (!Shown(Win::kMain)) return;
  Activate(Win::kMain);
  focus_ = box;
}

void WindowModel::SystemClose(Win w) {
  if (!Shown(w)) return;
  if (w == Win::kReminder) {
    CloseReminder();
  } else {
    Unload(w);
  }
  EndIfNoWindowLoaded();
}

WindowModel::KeyTarget WindowModel::Keys() const {
  if (z_order_.empty()) return KeyTarget::kNone;
  if (z_order_.back() == Win::kHelp) return KeyTarget::kCodeBox;
  if (z_order_.back() != Win::kMain) return KeyTarget::kNone;
  return focus_ == 0 ? KeyTarget::kFirstName : KeyTarget::kSecondName;
}

std::u16string* WindowModel::KeyText() {
  if (Ended()) return nullptr;
  switch (Keys()) {
    case KeyTarget::kFirstName:
      return &names_[0];
    case KeyTarget::kSecondName:
      return &names_[1];
    case KeyTarget::kCodeBox:
      return &code_;
    case KeyTarget::kNone:
      break;
  }
  return nullptr;
}

void WindowModel::Type(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size() && KeyText(); i += CharAt(text, i)) {
    Put(text.substr(i, CharAt(text, i)));
  }
}

void WindowModel::Backspace() {
  std::u16string* target = KeyText();
  if (!target || target->empty()) return;
  const std::size_t n = target->size();
  target->resize(n - (n >= 2 && Low((*target)[n - 1]) && High((*target)[n - 2]) ? 2 : 1));
  if (target == &code_) CodeChanged();
}

void WindowModel::Paste(std::u16string_view text) {
  Put(text);
}

// A box of one line, as a Windows edit, keeps what is typed or pasted up to its first line break,
// without a half of a pair that has no other half, and a name box no more of it than fits its 20
// units: a pair that would straddle them is cut with all that follows.
void WindowModel::Put(std::u16string_view text) {
  std::u16string* target = KeyText();
  if (!target) return;
  std::u16string line;
  for (std::size_t i = 0; i < text.size() && text[i] != u'\r' && text[i] != u'\n';
       i += CharAt(text, i)) {
    if (CharAt(text, i) == 2 || !(High(text[i]) || Low(text[i]))) {
      line += text.substr(i, CharAt(text, i));
    }
  }
  if (target != &code_) {
    std::size_t cut = std::min(line.size(), kNameLength - std::min(kNameLength, target->size()));
    if (cut > 0 && cut < line.size() && High(line[cut - 1])) --cut;
    line.resize(cut);
  }
  if (line.empty()) return;
  target->append(line);
  if (target == &code_) CodeChanged();
}

void WindowModel::Tab() {
  if (Keys() == KeyTarget::kFirstName || Keys() == KeyTarget::kSecondName) focus_ = 1 - focus_;
}

void WindowModel::CodeChanged() {
  if (code_ == kExitCode) return Terminate();
  if (code_ == kFormationCode) Show(Win::kFormation);
}

void WindowModel::CloseReminder() {
  Show(Win::kMain);
  Unload(Win::kReminder);
  score_.clear();
}

void WindowModel::LookUp(Win w) {
  if (state(w) == State::kAbsent) windows_[Index(w)] = State::kCreated;
}

void WindowModel::Show(Win w) {
  LookUp(w);
  State& s = windows_[Index(w)];
  if (s == State::kVisible) return;
  if (s == State::kCreated) {  // loads afresh, every control at its design-time value
    if (w == Win::kMain) names_ = {}, score_.clear(), focus_ = 0;
    if (w == Win::kHelp) code_.clear();
  }
  s = State::kVisible;
  Activate(w);
}

void WindowModel::Hide(Win w) {
  if (state(w) == State::kVisible) windows_[Index(w)] = State::kHidden;
  Deactivate(w);
}

void WindowModel::Unload(Win w) {
  if (Loaded(w)) windows_[Index(w)] = State::kCreated;
  Deactivate(w);
}

void WindowModel::Activate(Win w) {
  Deactivate(w);
  z_order_.push_back(w);
}

void WindowModel::Deactivate(Win w) {
  std::erase(z_order_, w);
}

void WindowModel::EndIfNoWindowLoaded() {
  if (Ended()) return;
  for (int i = 0; i < kWindows; ++i) {
    if (Loaded(static_cast<Win>(i))) return;
  }
  end_ = End::kNoWindowLeft;
}

}  // namespace amorix::testing::model
