// A screen reader's view of the running program, from a process of its own: every window of the
// program's class, asked through AccessibleObjectFromWindow as Narrator or NVDA would ask, printed
// one line per accessible child. Given a window's caption and a child's number, it does that
// child's default action instead.
//
//   screen_reader                      prints every window
//   screen_reader press CAPTION CHILD  does the default action; prints the result code
//   screen_reader state                prints the shown windows for a program to read: a line
//       "window CAPTION" each, then a line a child, tab-separated: role, name, value (UTF-16
//       units in hexadecimal, "-" for none), place on the screen (left,top,width,height) and
//       "focused" for the one with the keyboard focus, as the system tells it to any process.
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "reader_view.h"

namespace {

std::vector<HWND> ProgramWindows() {
  std::vector<HWND> found;
  ::EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (std::wcscmp(name, L"AmorixForm") == 0) {
          reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void PrintState() {
  for (HWND window : ProgramWindows()) {
    if (!::IsWindowVisible(window)) continue;
    wchar_t caption[256] = {};
    ::GetWindowTextW(window, caption, 256);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &thread);
    std::printf("window %s\n", amorix::reader::Take(::SysAllocString(caption)).c_str());
    for (const amorix::reader::Child& child : amorix::reader::Children(window)) {
      std::string value = child.value ? "" : "-";
      for (wchar_t unit : child.value.value_or(L"")) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%s%04x", value.empty() ? "" : " ", unsigned{unit});
        value += hex;
      }
      std::printf("%s\t%s\t%s\t%ld,%ld,%ld,%ld\t%s\n", child.role.c_str(), child.name.c_str(),
                  value.c_str(), child.left, child.top, child.width, child.height,
                  child.window && child.window == thread.hwndFocus ? "focused" : "");
    }
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::CoInitialize(nullptr);
  if (argc == 2 && std::wcscmp(argv[1], L"state") == 0) {
    PrintState();
    return 0;
  }
  if (argc == 4 && std::wcscmp(argv[1], L"press") == 0) {
    for (HWND window : ProgramWindows()) {
      wchar_t caption[256] = {};
      ::GetWindowTextW(window, caption, 256);
      if (std::wcscmp(caption, argv[2]) != 0) continue;
      const HRESULT hr = amorix::reader::DoDefaultAction(window, std::wcstol(argv[3], nullptr, 10));
      std::printf("0x%08lx\n", static_cast<unsigned long>(hr));
      return SUCCEEDED(hr) ? 0 : 1;
    }
    std::printf("no window\n");
    return 1;
  }
  for (HWND window : ProgramWindows()) {
    const std::vector<std::string> lines = amorix::reader::View(window);
    if (lines.empty()) std::printf("window: no accessible object\n");
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i == 0) {
        std::printf("window %s%s\n", lines[0].c_str(),
                    ::IsWindowVisible(window) ? "" : " (hidden)");
      } else {
        std::printf("  %2zu %s\n", i, lines[i].c_str());
      }
    }
  }
  return 0;
}
