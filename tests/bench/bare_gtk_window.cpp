// The native benchmark's yardstick: the least a GTK 3 program with a window of the main window's
// size does. One undecorated window, 611 by 358 pixels, centred and filled with one colour; it
// ends when the window is closed.
//
// With --tick it also does what the splash does: three seconds after its window shows, a timer
// tick destroys it and shows a new one in its place, and the time from the tick to the end of the
// new window's first paint is kept. When AMORIX_STATS_FILE names a file, the peak resident set and
// that time are written there on the way out, in the program's key=value form. With --entries as
// well, the new window holds three plain GtkEntry boxes where the main window has its text boxes,
// and its first paint ends once they have painted too.
#include <gtk/gtk.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr int kWidth = 611;
constexpr int kHeight = 358;
constexpr guint kTickMs = 3000;

bool replacing = false;  // the old window goes while a new one takes its place
bool entries = false;    // the tick's window holds three entries
std::int64_t tick = 0;   // the tick whose window has not painted yet
std::int64_t first_paint_us = -1;

gboolean Draw(GtkWidget*, cairo_t* cr, gpointer) {
  cairo_set_source_rgb(cr, 192 / 255.0, 0, 0);
  cairo_paint(cr);
  return FALSE;  // the entries paint themselves over it
}

// After the window's children have painted.
gboolean Drawn(GtkWidget*, cairo_t*, gpointer) {
  if (tick) {
    first_paint_us = g_get_monotonic_time() - tick;
    tick = 0;
  }
  return FALSE;
}

void Destroyed(GtkWidget*, gpointer) {
  if (!replacing) gtk_main_quit();
}

GtkWidget* MakeWindow() {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Bare");
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_widget_set_size_request(window, kWidth, kHeight);
  gtk_widget_set_app_paintable(window, TRUE);
  GdkRectangle screen{0, 0, kWidth, kHeight};
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  if (monitor) gdk_monitor_get_geometry(monitor, &screen);
  gtk_window_move(GTK_WINDOW(window), screen.x + (screen.width - kWidth) / 2,
                  screen.y + (screen.height - kHeight) / 2);
  g_signal_connect(window, "draw", G_CALLBACK(Draw), nullptr);
  g_signal_connect_after(window, "draw", G_CALLBACK(Drawn), nullptr);
  if (entries && tick) {
    // The main window's three text boxes, in pixels: left, top, width, height.
    constexpr int kBoxes[3][4] = {{48, 144, 201, 33}, {336, 144, 201, 33}, {256, 144, 73, 49}};
    GtkWidget* fixed = gtk_fixed_new();
    for (const auto& box : kBoxes) {
      GtkWidget* entry = gtk_entry_new();
      gtk_widget_set_size_request(entry, box[2], box[3]);
      gtk_fixed_put(GTK_FIXED(fixed), entry, box[0], box[1]);
    }
    gtk_container_add(GTK_CONTAINER(window), fixed);
    gtk_widget_show_all(fixed);
  }
  g_signal_connect(window, "destroy", G_CALLBACK(Destroyed), nullptr);
  gtk_widget_show(window);
  return window;
}

gboolean Tick(gpointer window) {
  tick = g_get_monotonic_time();
  replacing = true;
  gtk_widget_destroy(static_cast<GtkWidget*>(window));
  replacing = false;
  MakeWindow();
  return G_SOURCE_REMOVE;
}

void WriteStats() {
  const char* path = std::getenv("AMORIX_STATS_FILE");
  if (!path || !*path) return;
  long long peak = 0;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) peak = std::atoll(line.c_str() + 6) * 1024;
  }
  if (std::FILE* file = std::fopen(path, "w")) {
    std::fprintf(file, "peak_working_set_bytes=%lld\ntick_to_first_paint_us=%lld\n", peak,
                 static_cast<long long>(first_paint_us));
    std::fclose(file);
  }
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  GtkWidget* window = MakeWindow();
  entries = argc > 2 && std::strcmp(argv[2], "--entries") == 0;
  if (argc > 1 && std::strcmp(argv[1], "--tick") == 0) g_timeout_add(kTickMs, Tick, window);
  gtk_main();
  WriteStats();
  return 0;
}
