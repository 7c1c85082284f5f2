#pragma once
// What a screen reader finds in a form window on Linux, through ATK and the AT-SPI bridge that GTK
// loads. The labels are drawn by the window itself, so GTK knows nothing of them: a form's panel
// (the GtkLayout that paints it) is a small subclass whose accessible offers the labels as
// children of its own, in the behaviour's numbering and each asked of the behaviour every time,
// followed by the entries' standard accessibles. A label has a name, a role, states, extents on
// the screen and, for a button or a link, one action; the action waits for the main loop, as a
// posted message would, and enters the behaviour as a click does. Nothing is made before an
// assistive program asks.

#include <gtk/gtk.h>

#include <string_view>

#include "platform/platform.h"

namespace amorix::gtk::accessible {

// A GtkLayout whose accessible tells of the labels that `events` describes.
GtkWidget* NewPanel(WindowEvents& events);

// The window is going: from now on its labels answer as defunct, and no action reaches it.
void Forget(GtkWidget* panel);

// Tells the screen reader that a label was renamed, shown or hidden.
void Notify(GtkWidget* panel, int label, AccessibleChange change);

void NameEntry(GtkWidget* entry, std::u16string_view name);

}  // namespace amorix::gtk::accessible
