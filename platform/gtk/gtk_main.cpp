// The native Linux program's entry point: the GTK platform runs the program until it ends.
#include <gtk/gtk.h>

#include "app/program.h"
#include "platform/gtk/gtk_platform.h"

int main(int argc, char** argv) {
  amorix::gtk::LoadFontAliases();
  gtk_init(&argc, &argv);
  amorix::GtkPlatform platform;
  amorix::Program program(platform);
  program.Start();
  platform.RunMessageLoop();
  return 0;
}
