// Starts a command and watches the X server for its windows, for the benchmark.
//
// Steps run in the order given, each timed in milliseconds from the launch:
//   -m NAME  wait until a top-level window with this exact name is mapped; prints "map NAME MS"
//   -c NAME  ask that window to close, as a window manager would (WM_DELETE_WINDOW)
//   -s MS    sleep
//   -p FILE  copy /proc/PID/smaps of the process that owns the window the last -m found
//            (its _NET_WM_PID) to FILE: the memory it has mapped, file by file
// then the command's end is awaited and "exit STATUS MS" printed. Events, not polling: the root
// window's substructure is watched from before the launch, so a map is seen as the server makes
// it. Past the time limit (-T, default 30000 ms) the command is killed, by its PID, and the exit
// status is 2.
//
// Usage: map_wait [-T MS] (-m NAME | -c NAME | -s MS | -p FILE)... -- COMMAND [ARGS...]

#define _POSIX_C_SOURCE 200809L
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { kMaxSteps = 32, kMaxWindows = 512 };

struct Step {
  char kind;
  const char* arg;
};

static Display* display;
static double launched_ms;
static double deadline_ms;
static pid_t child;
static int child_status = -1;
static Window mapped[kMaxWindows];
static int mapped_count;

static double NowMs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void Fail(const char* what) {
  fprintf(stderr, "map_wait: %s\n", what);
  if (child > 0 && child_status < 0) {
    kill(child, SIGKILL);
    waitpid(child, NULL, 0);
  }
  exit(2);
}

// The window's name, UTF-8 first; the caller frees it.
static char* NameOf(Window w) {
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom net_name = XInternAtom(display, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  if (XGetWindowProperty(display, w, net_name, 0, 1024, False, utf8, &type, &format, &count, &after,
                         &data) == Success &&
      data && type == utf8) {
    return (char*)data;
  }
  if (data) XFree(data);
  char* name = NULL;
  if (XFetchName(display, w, &name) && name) return name;
  return NULL;
}

// A window may be gone by the time it is looked at (GTK makes and drops short-lived ones): such
// a window simply has no name.
static int IgnoreGoneWindows(Display* d, XErrorEvent* e) {
  (void)d;
  if (e->error_code == BadWindow) return 0;
  fprintf(stderr, "map_wait: X error %d\n", e->error_code);
  exit(2);
}

static int Named(Window w, const char* name) {
  char* actual = NameOf(w);
  int same = actual && strcmp(actual, name) == 0;
  if (actual) XFree(actual);
  return same;
}

static void Remember(Window w) {
  for (int i = 0; i < mapped_count; ++i)
    if (mapped[i] == w) return;
  if (mapped_count < kMaxWindows) mapped[mapped_count++] = w;
}

static void Forget(Window w) {
  for (int i = 0; i < mapped_count; ++i) {
    if (mapped[i] == w) {
      mapped[i] = mapped[--mapped_count];
      return;
    }
  }
}

static Window FindMapped(const char* name) {
  for (int i = 0; i < mapped_count; ++i)
    if (Named(mapped[i], name)) return mapped[i];
  return None;
}

// Handles events until `name` (if any) is mapped or the deadline passes; None on timeout.
static Window Pump(const char* name, double until_ms) {
  for (;;) {
    Window found = name ? FindMapped(name) : None;
    if (found != None) return found;
    while (XPending(display)) {
      XEvent e;
      XNextEvent(display, &e);
      if (e.type == CreateNotify) {
        XSelectInput(display, e.xcreatewindow.window, PropertyChangeMask);
      } else if (e.type == MapNotify) {
        Remember(e.xmap.window);
        if (name && Named(e.xmap.window, name)) return e.xmap.window;
      } else if (e.type == UnmapNotify) {
        Forget(e.xunmap.window);
      } else if (e.type == DestroyNotify) {
        Forget(e.xdestroywindow.window);
      } else if (e.type == PropertyNotify && name) {
        for (int i = 0; i < mapped_count; ++i)
          if (mapped[i] == e.xproperty.window && Named(mapped[i], name)) return mapped[i];
      }
    }
    const double now = NowMs();
    if (now >= until_ms) return None;
    struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
    int wait = (int)(until_ms - now) + 1;
    poll(&fd, 1, wait > 20 ? 20 : wait);
    if (child_status < 0 && waitpid(child, &child_status, WNOHANG) == child && name)
      Fail("the command ended before its window came");
  }
}

static void CopySmaps(Window w, const char* path) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  Atom pid_atom = XInternAtom(display, "_NET_WM_PID", False);
  if (w == None ||
      XGetWindowProperty(display, w, pid_atom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) != Success ||
      !data || count != 1) {
    if (data) XFree(data);
    Fail("the window has no _NET_WM_PID");
  }
  char source[64];
  snprintf(source, sizeof source, "/proc/%lu/smaps", *(unsigned long*)data);
  XFree(data);
  FILE* in = fopen(source, "r");
  FILE* out = fopen(path, "w");
  if (!in || !out) Fail("cannot copy smaps");
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) fwrite(buffer, 1, n, out);
  fclose(in);
  fclose(out);
}

static void Close(Window w) {
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, w, False, NoEventMask, &e);
  XFlush(display);
}

int main(int argc, char** argv) {
  struct Step steps[kMaxSteps];
  int step_count = 0;
  double limit_ms = 30000;
  int i = 1;
  for (; i < argc && strcmp(argv[i], "--") != 0; i += 2) {
    if (i + 1 >= argc || argv[i][0] != '-' || step_count == kMaxSteps) Fail("bad arguments");
    if (argv[i][1] == 'T') {
      limit_ms = atof(argv[i + 1]);
    } else {
      steps[step_count].kind = argv[i][1];
      steps[step_count++].arg = argv[i + 1];
    }
  }
  if (i + 1 >= argc) Fail("no command");
  display = XOpenDisplay(NULL);
  if (!display) Fail("no X display");
  XSetErrorHandler(IgnoreGoneWindows);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  launched_ms = NowMs();
  deadline_ms = launched_ms + limit_ms;
  child = fork();
  if (child < 0) Fail("fork");
  if (child == 0) {
    execvp(argv[i + 1], argv + i + 1);
    _exit(127);
  }
  Window last_found = None;
  for (int s = 0; s < step_count; ++s) {
    const struct Step* step = &steps[s];
    if (step->kind == 'm') {
      last_found = Pump(step->arg, deadline_ms);
      if (last_found == None) Fail("no such window came in time");
      printf("map %s %.1f\n", step->arg, NowMs() - launched_ms);
    } else if (step->kind == 'c') {
      Window w = Pump(step->arg, deadline_ms);
      if (w == None) Fail("no window to close");
      Close(w);
    } else if (step->kind == 'p') {
      CopySmaps(last_found, step->arg);
    } else if (step->kind == 's') {
      Pump(NULL, NowMs() + atof(step->arg));
    } else {
      Fail("unknown step");
    }
    fflush(stdout);
  }
  while (child_status < 0) {
    if (waitpid(child, &child_status, WNOHANG) == child) break;
    if (NowMs() > deadline_ms) Fail("the command did not end in time");
    Pump(NULL, NowMs() + 10);
  }
  printf("exit %d %.1f\n", WIFEXITED(child_status) ? WEXITSTATUS(child_status) : 128,
         NowMs() - launched_ms);
  XCloseDisplay(display);
  return 0;
}
