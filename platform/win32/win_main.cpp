// The program's entry point: the Win32 platform runs the program until it ends.
#include <windows.h>

#include "app/program.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  amorix::Win32Platform platform(instance);
  amorix::Program program(platform);
  program.Start();
  platform.RunMessageLoop();
  return 0;
}
