// The native Linux program's entry point: the GTK platform runs the program until it ends.
#include <gtk/gtk.h>

#include "app/program.h"
#include "platform/gtk/gtk_platform.h"

int main(int argc, char** argv) {
  // X11 first, through XWayland on a Wayland desktop: there the program places, shapes and keeps
  // its windows off the taskbar itself; natively on Wayland the compositor places them.
  gdk_set_allowed_backends("x11,wayland");
  gtk_init(&argc, &argv);
  amorix::GtkPlatform platform;
  amorix::Program program(platform);
  program.Start();
  platform.RunMessageLoop();
  return 0;
}
