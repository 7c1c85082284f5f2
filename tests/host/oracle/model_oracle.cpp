// The window model as a process of its own, so that the end-to-end harness holds the real
// programs against the very model the host tests hold the headless program against. It reads one
// user action a line and answers each with what the model then expects, one JSON line. Windows
// are named Form1 to Form8 and labels by the name a screen reader hears, which the program, loaded
// once on the headless platform, gives for each of the model's labels; a label the model does not
// know only activates its window, as any other click on it does.
//
//   start | tick | click FORM NAME... | press FORM | box 0|1 | type HEX... | paste HEX...
//   backspace | tab | close FORM | labels
//
// HEX are UTF-16 units in hexadecimal. The answer: {"shown": ["Form1", ...] (the windows shown),
// "names": [[units], [units]], "score": "66", "code": [units], "keys": "first", "end": "running"};
// "labels" answers {"Form1": {"Calculate": 0, ...}, ...}.

#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "model_labels.h"
#include "platform/common/utf8.h"
#include "platform/headless/headless_platform.h"

namespace amorix::testing {
namespace {

using model::Win;
using model::WindowModel;

std::string FormName(int i) {
  return "Form" + std::to_string(i + 1);
}

// Each window's labels by accessible name -> model id.
std::map<std::string, std::map<std::string, int>> LabelNames() {
  HeadlessPlatform platform;
  amorix::Program program(platform);
  std::map<std::string, std::map<std::string, int>> names;
  for (int i = 0; i < model::kWindows; ++i) {
    Form& form = *kMakers[i](program.windows());
    form.Show();
    const auto described = platform.DescribeLabels(form.hWnd());
    for (const LabelRef& ref : kLabels) {
      if (model::Index(ref.window) != i) continue;
      for (std::size_t j = 0; j < form.Labels().size(); ++j) {
        if (form.Labels()[j] == &ref.get(form)) {
          names[FormName(i)][common::Utf8(described[j].name)] = ref.id;
        }
      }
    }
  }
  return names;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Units(std::u16string_view text) {
  std::string out = "[";
  for (char16_t c : text) out += (out.size() > 1 ? "," : "") + std::to_string(int{c});
  return out + "]";
}

std::u16string ReadUnits(std::istream& in) {
  std::u16string text;
  std::string hex;
  while (in >> hex) text += static_cast<char16_t>(std::stoul(hex, nullptr, 16));
  return text;
}

std::string Answer(const WindowModel& m) {
  static constexpr const char* kKeys[] = {"none", "first", "second", "code"};
  static constexpr const char* kEnds[] = {"running", "terminated", "no-window"};
  std::string shown;
  for (int i = 0; i < model::kWindows; ++i) {
    if (m.state(static_cast<Win>(i)) == model::State::kVisible) {
      shown += (shown.empty() ? "" : ",") + Quoted(FormName(i));
    }
  }
  return "{\"shown\": [" + shown + "], \"names\": [" + Units(m.name(0)) + ", " + Units(m.name(1)) +
         "], \"score\": " + Quoted(common::Utf8(m.score())) + ", \"code\": " + Units(m.code()) +
         ", \"keys\": \"" + kKeys[static_cast<int>(m.Keys())] + "\", \"end\": \"" +
         kEnds[static_cast<int>(m.end())] + "\"}";
}

int Run() {
  const auto labels = LabelNames();
  WindowModel m;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string verb, form;
    in >> verb;
    const auto window = [&] {
      in >> form;
      const int n = form.size() == 5 && form.starts_with("Form") ? form[4] - '1' : -1;
      return n >= 0 && n < model::kWindows ? static_cast<Win>(n) : Win::kSplash;
    };
    if (verb == "start") {
      m = WindowModel();
      m.Start();
    } else if (verb == "tick") {
      m.SplashTick();
    } else if (verb == "click") {
      const Win w = window();
      std::string name;
      std::getline(in >> std::ws, name);
      const auto& of = labels.at(FormName(model::Index(w)));
      const auto found = of.find(name);
      m.Click(w, found == of.end() ? -1 : found->second);
    } else if (verb == "press") {
      m.Press(window());
    } else if (verb == "box") {
      int box = 0;
      in >> box;
      m.ClickNameBox(box);
    } else if (verb == "type") {
      m.Type(ReadUnits(in));
    } else if (verb == "paste") {
      m.Paste(ReadUnits(in));
    } else if (verb == "backspace") {
      m.Backspace();
    } else if (verb == "tab") {
      m.Tab();
    } else if (verb == "close") {
      m.SystemClose(window());
    } else if (verb == "labels") {
      std::string out;
      for (const auto& [name, of] : labels) {
        std::string inner;
        for (const auto& [label, id] : of) {
          inner += (inner.empty() ? "" : ", ") + Quoted(label) + ": " + std::to_string(id);
        }
        out += (out.empty() ? "" : ", ") + Quoted(name) + ": {" + inner + "}";
      }
      std::printf("{%s}\n", out.c_str());
      std::fflush(stdout);
      continue;
    } else {
      std::printf("{\"error\": %s}\n", Quoted(line).c_str());
      std::fflush(stdout);
      continue;
    }
    std::printf("%s\n", Answer(m).c_str());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace
}  // namespace amorix::testing

int main() {
  return amorix::testing::Run();
}
