// Prints the windows as a person meets them, as JSON, for the end-to-end checks: they aim at
// controls and judge places, sizes and outlines by what the program itself declares, never by
// numbers typed again in a test. Every window is loaded on the headless platform at each screen
// density the checks use, and read as it stands: its caption and client size, its outline's
// extents, a point of its bare background (inside the outline, on no label and no box), its
// labels as a screen reader hears them (name, role, place, shown), its text boxes, the address
// each link label opens (clicked here), and which label shows the score (Ann and Bob calculated
// here). Places are client pixels, rectangles left, top, right, bottom.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

using amorix::Form;
using amorix::HeadlessPlatform;
using amorix::PixelRect;
using amorix::TwipsPerPixel;

constexpr int kDensities[] = {96, 120, 144, 192};
constexpr int kBackgroundMargin = 8;  // pixels kept clear of every control around the point

std::string Quoted(std::u16string_view text) {
  std::string out = "\"";
  for (char c : amorix::common::Utf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Rect(const PixelRect& r) {
  char text[64];
  std::snprintf(text, sizeof text, "[%d, %d, %d, %d]", r.left, r.top, r.right, r.bottom);
  return text;
}

const char* RoleName(amorix::AccessibleRole role) {
  switch (role) {
    case amorix::AccessibleRole::kPushButton:
      return "button";
    case amorix::AccessibleRole::kLink:
      return "link";
    case amorix::AccessibleRole::kStaticText:
      break;
  }
  return "text";
}

PixelRect Grown(const PixelRect& r, int by) {
  return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

std::vector<PixelRect> Controls(HeadlessPlatform& platform, Form& form) {
  std::vector<PixelRect> taken;
  for (const auto& label : platform.DescribeLabels(form.hWnd())) taken.push_back(label.rect);
  for (const amorix::TextBox* box : form.TextBoxes()) {
    taken.push_back(platform.Info(box->Handle()).rect);
  }
  return taken;
}

// The first point, row by row from a sixth of the way in, that the window shows and that lies
// clear of every control: where a press moves the window and a move lights no label.
std::optional<std::pair<int, int>> Background(HeadlessPlatform& platform, Form& form) {
  const PixelRect client = platform.ClientRect(form.hWnd());
  const auto taken = Controls(platform, form);
  for (int y = client.bottom / 6; y < client.bottom; y += 5) {
    for (int x = client.right / 6; x < client.right; x += 5) {
      bool clear = true;
      for (int dy = -kBackgroundMargin; dy <= kBackgroundMargin && clear; dy += kBackgroundMargin) {
        for (int dx = -kBackgroundMargin; dx <= kBackgroundMargin; dx += kBackgroundMargin) {
          if (!platform.Shows(form.hWnd(), x + dx, y + dy)) clear = false;
        }
      }
      for (const PixelRect& r : taken) {
        if (Grown(r, kBackgroundMargin).Contains(x, y)) clear = false;
      }
      if (clear) return std::pair{x, y};
    }
  }
  return std::nullopt;
}

// The address a link label hands to the browser: the label clicked, the shell's call read back.
std::string AddressOf(HeadlessPlatform& platform, Form& form, const PixelRect& r) {
  platform.ClearLog();
  platform.Click(form.hWnd(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  for (const std::string& line : platform.Log({"ShellExecuteA"})) {
    const auto from = line.find(",open,");
    if (from != std::string::npos) {
      const auto start = from + 6;
      return line.substr(start, line.find(',', start) - start);
    }
  }
  return {};
}

// The number of the label that shows the score: the one whose caption two names calculated
// change, in a run of its own.
int ScoreLabel(TwipsPerPixel ratio) {
  HeadlessPlatform platform;
  platform.SetTwipsPerPixel(ratio);
  amorix::Program program(platform);
  auto& main = program.windows().Get<amorix::Form1>();
  main.Show();
  std::vector<std::u16string> before;
  for (const amorix::Label* label : main.Labels()) before.push_back(label->Caption());
  main.Text1.SetText(u"Ann");
  main.Text2.SetText(u"Bob");
  for (const auto& label : platform.DescribeLabels(main.hWnd())) {
    if (label.name == u"Calculate") {
      platform.Click(main.hWnd(), (label.rect.left + label.rect.right) / 2,
                     (label.rect.top + label.rect.bottom) / 2);
    }
  }
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (main.Labels()[i]->Caption() != before[i]) return main.Labels()[i]->Number();
  }
  return 0;
}

void PrintWindow(HeadlessPlatform& platform, Form& form, const char* name, int score_label,
                 bool last) {
  form.Show();
  const amorix::WindowHandle w = form.hWnd();
  const auto& info = platform.Info(w);
  const auto outline = platform.RegionBox(w);
  const auto background = Background(platform, form);
  std::printf("      \"%s\": {\n        \"caption\": %s,\n        \"size\": [%d, %d],\n", name,
              Quoted(form.Caption()).c_str(), info.client_width, info.client_height);
  std::printf("        \"outline\": %s,\n", outline ? Rect(*outline).c_str() : "null");
  if (background) {
    std::printf("        \"background\": [%d, %d],\n", background->first, background->second);
  } else {
    std::printf("        \"background\": null,\n");
  }
  std::printf("        \"labels\": [");
  const auto labels = platform.DescribeLabels(w);
  const char* separator = "\n";
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const auto& label = labels[i];
    const amorix::Label& control = *form.Labels()[i];
    std::string address;
    if (label.role == amorix::AccessibleRole::kLink && label.shown) {
      address = AddressOf(platform, form, label.rect);
    }
    std::printf(
        "%s          {\"name\": %s, \"caption\": %s, \"role\": \"%s\", \"rect\": %s, "
        "\"shown\": %s, \"address\": %s, \"score\": %s}",
        separator, Quoted(label.name).c_str(), Quoted(control.Caption()).c_str(),
        RoleName(label.role), Rect(label.rect).c_str(), label.shown ? "true" : "false",
        address.empty() ? "null" : ("\"" + address + "\"").c_str(),
        control.Number() == score_label ? "true" : "false");
    separator = ",\n";
  }
  std::printf("\n        ],\n        \"boxes\": [");
  separator = "\n";
  for (const amorix::TextBox* box : form.TextBoxes()) {
    const auto& edit = platform.Info(box->Handle());
    const PixelRect& r = edit.rect;
    const bool seen =
        edit.visible && platform.Shows(w, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    std::printf("%s          {\"name\": %s, \"rect\": %s, \"max_length\": %d, \"seen\": %s}",
                separator, Quoted(box->AccessibleName()).c_str(), Rect(r).c_str(), box->MaxLength(),
                seen ? "true" : "false");
    separator = ",\n";
  }
  std::printf("\n        ]\n      }%s\n", last ? "" : ",");
}

void PrintDensity(int dpi, bool last) {
  const float twips = 1440.0f / static_cast<float>(dpi);
  const TwipsPerPixel ratio{twips, twips};
  const int score_label = ScoreLabel(ratio);
  HeadlessPlatform platform;
  platform.SetTwipsPerPixel(ratio);
  amorix::Program program(platform);
  auto& windows = program.windows();
  std::printf("    \"%d\": {\n", dpi);
  PrintWindow(platform, windows.Get<amorix::Form5>(), "Form5", 0, false);
  PrintWindow(platform, windows.Get<amorix::Form1>(), "Form1", score_label, false);
  PrintWindow(platform, windows.Get<amorix::Form2>(), "Form2", 0, false);
  PrintWindow(platform, windows.Get<amorix::Form3>(), "Form3", 0, false);
  PrintWindow(platform, windows.Get<amorix::Form4>(), "Form4", 0, false);
  PrintWindow(platform, windows.Get<amorix::Form6>(), "Form6", 0, false);
  PrintWindow(platform, windows.Get<amorix::Form7>(), "Form7", 0, false);
  PrintWindow(platform, windows.Get<amorix::Form8>(), "Form8", 0, true);
  std::printf("    }%s\n", last ? "" : ",");
}

}  // namespace

int main() {
  std::printf("{\n  \"densities\": {\n");
  for (std::size_t i = 0; i < std::size(kDensities); ++i) {
    PrintDensity(kDensities[i], i + 1 == std::size(kDensities));
  }
  std::printf("  }\n}\n");
  return 0;
}
