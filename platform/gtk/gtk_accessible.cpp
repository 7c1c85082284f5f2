#include "platform/gtk/gtk_accessible.h"

#include <gtk/gtk-a11y.h>

#include <utility>
#include <vector>

#include "platform/common/utf8.h"

using amorix::AccessibleLabel;
using amorix::AccessibleRole;
using amorix::WindowEvents;

// The panel: a GtkLayout that knows whom to ask about its labels, and its accessible once made.
struct AmorixPanel {
  GtkLayout parent;
  WindowEvents* events;
  AtkObject* accessible;  // weak
};
struct AmorixPanelClass {
  GtkLayoutClass parent_class;
};

// Its accessible: the labels' objects, made as they are first asked for, then the entries.
struct AmorixPanelAccessible {
  GtkContainerAccessible parent;
  GPtrArray* labels;  // AmorixLabel, by number - 1
};
struct AmorixPanelAccessibleClass {
  GtkContainerAccessibleClass parent_class;
};

// One label: its number and the panel's accessible (weak), which it asks for the rest.
struct AmorixLabel {
  AtkObject parent;
  AtkObject* panel;
  int number;
  gchar* name;
};
struct AmorixLabelClass {
  AtkObjectClass parent_class;
};

namespace {

GType PanelAccessibleType();
GType LabelType();

template <class Class, class Instance>
GType Register(GType parent, const char* name, GClassInitFunc class_init,
               GInstanceInitFunc instance_init = nullptr) {
  const GTypeInfo info{sizeof(Class), nullptr,          nullptr, class_init,    nullptr,
                       nullptr,       sizeof(Instance), 0,       instance_init, nullptr};
  return g_type_register_static(parent, name, &info, GTypeFlags{});
}

// A pointer that the object it points to clears as it goes, and letting go of one.
void Watch(AtkObject*& pointer, AtkObject* object) {
  pointer = object;
  g_object_add_weak_pointer(G_OBJECT(object), reinterpret_cast<gpointer*>(&pointer));
}

void Unwatch(AtkObject*& pointer) {
  if (pointer)
    g_object_remove_weak_pointer(G_OBJECT(pointer), reinterpret_cast<gpointer*>(&pointer));
}

void FinalizeAsParent(GObject* object) {
  G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

WindowEvents* EventsOf(AtkObject* panel) {
  GtkWidget* widget = panel ? gtk_accessible_get_widget(GTK_ACCESSIBLE(panel)) : nullptr;
  return widget ? reinterpret_cast<AmorixPanel*>(widget)->events : nullptr;
}

std::vector<AccessibleLabel> Describe(AtkObject* panel) {
  WindowEvents* events = EventsOf(panel);
  return events ? events->OnDescribeLabels() : std::vector<AccessibleLabel>{};
}

// The label as the behaviour describes it now; false once it or its window is gone.
bool Describe(AmorixLabel* label, AccessibleLabel& out) {
  std::vector<AccessibleLabel> all = Describe(label->panel);
  if (label->number < 1 || static_cast<std::size_t>(label->number) > all.size()) return false;
  out = std::move(all[static_cast<std::size_t>(label->number) - 1]);
  return true;
}

AtkRole RoleOf(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::kPushButton:
      return ATK_ROLE_PUSH_BUTTON;
    case AccessibleRole::kLink:
      return ATK_ROLE_LINK;
    case AccessibleRole::kStaticText:
      break;
  }
  return ATK_ROLE_LABEL;
}

GtkWidget* PanelWidget(AmorixLabel* label) {
  return label->panel ? gtk_accessible_get_widget(GTK_ACCESSIBLE(label->panel)) : nullptr;
}

// --- a label -------------------------------------------------------------------------------------

const gchar* LabelName(AtkObject* object) {
  auto* label = reinterpret_cast<AmorixLabel*>(object);
  AccessibleLabel described;
  if (Describe(label, described)) {
    g_free(label->name);
    label->name = g_strdup(amorix::common::Utf8(described.name).c_str());
  }
  return label->name ? label->name : "";
}

AtkObject* LabelParent(AtkObject* object) {
  return reinterpret_cast<AmorixLabel*>(object)->panel;
}

gint LabelIndex(AtkObject* object) {
  return reinterpret_cast<AmorixLabel*>(object)->number - 1;
}

AtkStateSet* LabelStates(AtkObject* object) {
  auto* label = reinterpret_cast<AmorixLabel*>(object);
  AtkStateSet* states = atk_state_set_new();
  AccessibleLabel described;
  if (!Describe(label, described)) {
    atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
    return states;
  }
  atk_state_set_add_state(states, ATK_STATE_ENABLED);
  atk_state_set_add_state(states, ATK_STATE_SENSITIVE);
  if (described.shown) {
    atk_state_set_add_state(states, ATK_STATE_VISIBLE);
    if (gtk_widget_get_mapped(PanelWidget(label))) {
      atk_state_set_add_state(states, ATK_STATE_SHOWING);
    }
  }
  return states;
}

void LabelFinalize(GObject* object) {
  auto* label = reinterpret_cast<AmorixLabel*>(object);
  Unwatch(label->panel);
  g_free(label->name);
  FinalizeAsParent(object);
}

void LabelExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                  AtkCoordType coords) {
  auto* label = reinterpret_cast<AmorixLabel*>(component);
  *x = *y = *width = *height = 0;
  AccessibleLabel described;
  GtkWidget* panel = PanelWidget(label);
  if (!Describe(label, described) || !gtk_widget_get_realized(panel)) return;
  int left = 0, top = 0;
  if (coords == ATK_XY_SCREEN) {
    gdk_window_get_origin(gtk_layout_get_bin_window(GTK_LAYOUT(panel)), &left, &top);
  } else if (coords == ATK_XY_WINDOW) {
    gtk_widget_translate_coordinates(panel, gtk_widget_get_toplevel(panel), 0, 0, &left, &top);
  }
  *x = left + described.rect.left;
  *y = top + described.rect.top;
  *width = described.rect.Width();
  *height = described.rect.Height();
}

void InitComponent(gpointer interface, gpointer) {
  auto* iface = static_cast<AtkComponentIface*>(interface);
  iface->get_extents = LabelExtents;
}

struct Deferred {
  GtkWidget* panel;  // held until the action has run
  int label;
};

gboolean RunAction(gpointer data) {
  const Deferred deferred = *static_cast<Deferred*>(data);
  delete static_cast<Deferred*>(data);
  if (WindowEvents* events = reinterpret_cast<AmorixPanel*>(deferred.panel)->events) {
    events->OnLabelAction(deferred.label);
  }
  g_object_unref(deferred.panel);
  return G_SOURCE_REMOVE;
}

// A button's or a link's one action: a click, entering from the main loop, never from inside
// the screen reader's call.
gboolean LabelDoAction(AtkAction* action, gint index) {
  auto* label = reinterpret_cast<AmorixLabel*>(action);
  AccessibleLabel described;
  GtkWidget* panel = PanelWidget(label);
  if (index != 0 || !Describe(label, described) || !described.shown ||
      described.role == AccessibleRole::kStaticText || !gtk_widget_get_mapped(panel)) {
    return FALSE;
  }
  g_object_ref(panel);
  g_idle_add(RunAction, new Deferred{panel, label->number});
  return TRUE;
}

gint LabelActionCount(AtkAction* action) {
  AccessibleLabel described;
  return Describe(reinterpret_cast<AmorixLabel*>(action), described) &&
                 described.role != AccessibleRole::kStaticText
             ? 1
             : 0;
}

const gchar* LabelActionName(AtkAction* action, gint index) {
  AccessibleLabel described;
  if (index != 0 || !Describe(reinterpret_cast<AmorixLabel*>(action), described)) return nullptr;
  switch (described.role) {
    case AccessibleRole::kPushButton:
      return "press";
    case AccessibleRole::kLink:
      return "jump";
    case AccessibleRole::kStaticText:
      break;
  }
  return nullptr;
}

void InitAction(gpointer interface, gpointer) {
  auto* iface = static_cast<AtkActionIface*>(interface);
  iface->do_action = LabelDoAction;
  iface->get_n_actions = LabelActionCount;
  iface->get_name = LabelActionName;
}

void LabelClassInit(gpointer klass, gpointer) {
  G_OBJECT_CLASS(klass)->finalize = LabelFinalize;
  AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
  atk->get_name = LabelName;
  atk->get_parent = LabelParent;
  atk->get_index_in_parent = LabelIndex;
  atk->ref_state_set = LabelStates;
}

GType LabelType() {
  static const GType type = [] {
    const GType made =
        Register<AmorixLabelClass, AmorixLabel>(ATK_TYPE_OBJECT, "AmorixLabel", LabelClassInit);
    const GInterfaceInfo component{InitComponent, nullptr, nullptr};
    const GInterfaceInfo action{InitAction, nullptr, nullptr};
    g_type_add_interface_static(made, ATK_TYPE_COMPONENT, &component);
    g_type_add_interface_static(made, ATK_TYPE_ACTION, &action);
    return made;
  }();
  return type;
}

AtkObject* NewLabel(AtkObject* panel, int number, AccessibleRole role) {
  auto* label = static_cast<AmorixLabel*>(g_object_new(LabelType(), nullptr));
  Watch(label->panel, panel);
  label->number = number;
  AtkObject* object = ATK_OBJECT(label);
  object->role = RoleOf(role);
  return object;
}

// --- the panel's accessible ----------------------------------------------------------------------

AtkObjectClass* PanelAccessibleParentClass() {
  return ATK_OBJECT_CLASS(g_type_class_peek_parent(g_type_class_peek(PanelAccessibleType())));
}

void PanelAccessibleInitialize(AtkObject* object, gpointer widget) {
  PanelAccessibleParentClass()->initialize(object, widget);
  object->role = ATK_ROLE_PANEL;
  Watch(static_cast<AmorixPanel*>(widget)->accessible, object);
}

gint PanelChildCount(AtkObject* object) {
  return static_cast<gint>(Describe(object).size()) +
         PanelAccessibleParentClass()->get_n_children(object);
}

AtkObject* PanelChild(AtkObject* object, gint index) {
  const std::vector<AccessibleLabel> labels = Describe(object);
  const auto count = static_cast<gint>(labels.size());
  if (index < 0) return nullptr;
  if (index >= count) {
    // An entry: its parent named, so that it finds its place after the labels.
    AtkObject* entry = PanelAccessibleParentClass()->ref_child(object, index - count);
    if (entry && entry->accessible_parent != object) atk_object_set_parent(entry, object);
    return entry;
  }
  GPtrArray* made = reinterpret_cast<AmorixPanelAccessible*>(object)->labels;
  while (static_cast<gint>(made->len) <= index) {
    const auto number = static_cast<int>(made->len) + 1;
    g_ptr_array_add(made, NewLabel(object, number, labels[made->len].role));
  }
  return ATK_OBJECT(g_object_ref(g_ptr_array_index(made, index)));
}

void PanelAccessibleFinalize(GObject* object) {
  g_ptr_array_unref(reinterpret_cast<AmorixPanelAccessible*>(object)->labels);
  G_OBJECT_CLASS(PanelAccessibleParentClass())->finalize(object);
}

void PanelAccessibleInit(GTypeInstance* instance, gpointer) {
  reinterpret_cast<AmorixPanelAccessible*>(instance)->labels =
      g_ptr_array_new_with_free_func(g_object_unref);
}

void PanelAccessibleClassInit(gpointer klass, gpointer) {
  G_OBJECT_CLASS(klass)->finalize = PanelAccessibleFinalize;
  AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
  atk->initialize = PanelAccessibleInitialize;
  atk->get_n_children = PanelChildCount;
  atk->ref_child = PanelChild;
}

GType PanelAccessibleType() {
  static const GType type = [] {
    return Register<AmorixPanelAccessibleClass, AmorixPanelAccessible>(
        GTK_TYPE_CONTAINER_ACCESSIBLE, "AmorixPanelAccessible", PanelAccessibleClassInit,
        PanelAccessibleInit);
  }();
  return type;
}

// --- the panel -----------------------------------------------------------------------------------

// The accessible may outlive the panel, held by a screen reader: it must not clear a pointer in a
// panel that is gone.
void PanelFinalize(GObject* object) {
  Unwatch(reinterpret_cast<AmorixPanel*>(object)->accessible);
  FinalizeAsParent(object);
}

void PanelClassInit(gpointer klass, gpointer) {
  G_OBJECT_CLASS(klass)->finalize = PanelFinalize;
  gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), PanelAccessibleType());
}

GType PanelType() {
  static const GType type = [] {
    return Register<AmorixPanelClass, AmorixPanel>(GTK_TYPE_LAYOUT, "AmorixPanel", PanelClassInit);
  }();
  return type;
}

}  // namespace

namespace amorix::gtk::accessible {

GtkWidget* NewPanel(WindowEvents& events) {
  auto* panel = static_cast<AmorixPanel*>(g_object_new(PanelType(), nullptr));
  panel->events = &events;
  return GTK_WIDGET(panel);
}

void Forget(GtkWidget* panel) {
  reinterpret_cast<AmorixPanel*>(panel)->events = nullptr;
}

void Notify(GtkWidget* panel, int label, AccessibleChange change) {
  AtkObject* accessible = reinterpret_cast<AmorixPanel*>(panel)->accessible;
  GPtrArray* made =
      accessible ? reinterpret_cast<AmorixPanelAccessible*>(accessible)->labels : nullptr;
  // A label nobody has been given yet is news to nobody.
  if (!made || label < 1 || static_cast<guint>(label) > made->len) return;
  AtkObject* object = ATK_OBJECT(g_ptr_array_index(made, label - 1));
  if (change == AccessibleChange::kName) {
    g_object_notify(G_OBJECT(object), "accessible-name");
    return;
  }
  const bool shown = change == AccessibleChange::kShown;
  atk_object_notify_state_change(object, ATK_STATE_VISIBLE, shown);
  atk_object_notify_state_change(object, ATK_STATE_SHOWING, shown && gtk_widget_get_mapped(panel));
}

void NameEntry(GtkWidget* entry, std::u16string_view name) {
  if (!name.empty())
    atk_object_set_name(gtk_widget_get_accessible(entry), common::Utf8(name).c_str());
}

}  // namespace amorix::gtk::accessible
