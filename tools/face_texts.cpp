// Prints, for each face the windows name, every character their labels can show in it, so the
// web build can cut each font down to those glyphs. Every window is loaded on the headless
// platform and read as it stands: each label's caption in its font, and each text box that a
// visitor can see (shown, and inside the window's outline), whose face must then keep whole
// alphabets for what is typed. A caption the program sets at run time is a number, so every face
// also carries the characters a number is written with; and the space, which the page's font
// loader asks each face for.
//
// The first window's texts are printed apart as well: the page fetches them before anything
// else, so they come in files of their own, as small as those texts.
//
// One line per face: face, "bold" or "regular", "italic" or "upright", "typed", "fixed" or
// "first", and the characters as sorted hexadecimal code points, tab-separated.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "app/form.h"
#include "app/program.h"
#include "app/splash_window.h"
#include "calculator/main_window.h"
#include "platform/common/utf8.h"
#include "platform/headless/headless_platform.h"
#include "windows/confirmation_window.h"
#include "windows/credit_window.h"
#include "windows/formation_window.h"
#include "windows/help_window.h"
#include "windows/reminder_window.h"
#include "windows/terms_window.h"

namespace {

using amorix::FontSpec;
using amorix::Form;
using amorix::kDefaultFace;
using Key = std::tuple<std::u16string, bool, bool>;  // face, bold, italic

constexpr std::u16string_view kNumberCharacters = u" 0123456789+-.E";

struct Use {
  std::set<char32_t> characters;
  bool typed = false;
};

Key KeyOf(const FontSpec& font) {
  return {std::u16string(font.face.empty() ? kDefaultFace : font.face), font.bold, font.italic};
}

void Add(std::set<char32_t>& to, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    to.insert(c);
  }
}

void Read(amorix::HeadlessPlatform& platform, Form& form, std::map<Key, Use>& uses) {
  form.Show();
  for (const amorix::Label* label : form.Labels()) {
    Add(uses[KeyOf(label->Font())].characters, label->Caption());
  }
  for (const amorix::TextBox* box : form.TextBoxes()) {
    const auto& edit = platform.Info(box->Handle());
    const amorix::PixelRect& r = edit.rect;
    if (!edit.visible ||
        !platform.Shows(form.hWnd(), (r.left + r.right) / 2, (r.top + r.bottom) / 2)) {
      continue;
    }
    const FontSpec font{.face = edit.font.face, .bold = edit.font.bold, .italic = edit.font.italic};
    uses[KeyOf(font)].typed = true;
  }
}

void Print(const Key& key, const char* use, const std::set<char32_t>& characters) {
  const auto& [face, bold, italic] = key;
  std::printf("%s\t%s\t%s\t%s\t", amorix::common::Utf8(face).c_str(), bold ? "bold" : "regular",
              italic ? "italic" : "upright", use);
  const char* separator = "";
  for (char32_t c : characters) {
    std::printf("%s%04X", separator, static_cast<unsigned>(c));
    separator = ",";
  }
  std::printf("\n");
}

}  // namespace

int main() {
  amorix::HeadlessPlatform platform;
  amorix::Program program(platform);
  auto& windows = program.windows();
  std::map<Key, Use> uses, first;
  Read(platform, windows.Get<amorix::Form5>(), first);
  Read(platform, windows.Get<amorix::Form1>(), uses);
  Read(platform, windows.Get<amorix::Form2>(), uses);
  Read(platform, windows.Get<amorix::Form3>(), uses);
  Read(platform, windows.Get<amorix::Form4>(), uses);
  Read(platform, windows.Get<amorix::Form5>(), uses);
  Read(platform, windows.Get<amorix::Form6>(), uses);
  Read(platform, windows.Get<amorix::Form7>(), uses);
  Read(platform, windows.Get<amorix::Form8>(), uses);
  for (auto& [key, use] : uses) {
    Add(use.characters, kNumberCharacters);
    Print(key, use.typed ? "typed" : "fixed", use.characters);
  }
  for (const auto& [key, use] : first) Print(key, "first", use.characters);
  return 0;
}
