// SPDX-License-Identifier: MIT
#include "backend/sdl/x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace platform::sdl::x11 {
namespace {

constexpr int kTracked = 8;
std::atomic<unsigned long> tracked[kTracked];
std::atomic<bool> gone[kTracked];
// The dialog helper's own connection: every error on it is expected (its
// windows may vanish while it looks at them) and ignored.
std::atomic<::Display*> helperDisplay{nullptr};
// A connection of our own that watches the program's windows for being
// destroyed (SDL does not report it); its errors are ignored too.
::Display* watcher = nullptr;
XErrorHandler previous = nullptr;

int Slot(unsigned long window) {
  for (int i = 0; i < kTracked; ++i)
    if (tracked[i].load() == window) return i;
  return -1;
}

bool AnyGone() {
  for (int i = 0; i < kTracked; ++i)
    if (tracked[i].load() && gone[i].load()) return true;
  return false;
}

int OnError(::Display* display, XErrorEvent* error) {
  if (display == helperDisplay.load() || (watcher && display == watcher)) return 0;
  int code = error->error_code;
  if (code == BadWindow || code == BadDrawable) {
    int slot = error->resourceid ? Slot(error->resourceid) : -1;
    if (slot >= 0) {
      gone[slot] = true;
      return 0;
    }
  }
  // Once a window has disappeared, tearing down what was made for it (its
  // frame buffer's image and graphics context, a pointer grab) fails too.
  if ((code == BadWindow || code == BadDrawable || code == BadGC || code == BadMatch || code == BadPixmap) &&
      AnyGone())
    return 0;
  return previous ? previous(display, error) : 0;
}

const char* programName = "rallex";

[[noreturn]] int OnConnectionLost(::Display* display) {
  // The dialog helper's connection is its own business: it just stops.
  if (display == helperDisplay.load()) _exit(0);
  char line[256];
  int n = snprintf(line, sizeof line, "%s: lost the connection to the display\n", programName);
  if (n > 0) (void)!write(STDERR_FILENO, line, static_cast<size_t>(n) < sizeof line ? n : sizeof line - 1);
  _exit(1);
}

}  // namespace

void WatchConnection(const char* program) {
  programName = program;
  XSetIOErrorHandler(&OnConnectionLost);
}

void WatchErrors() {
  static std::once_flag once;
  std::call_once(once, [] { previous = XSetErrorHandler(&OnError); });
}

void Track(void* display, unsigned long window) {
  if (!window || Slot(window) >= 0) return;
  // The window must exist on the server before another connection can watch
  // it: requests of two connections are not ordered.
  if (display) XSync(static_cast<::Display*>(display), False);
  for (int i = 0; i < kTracked; ++i) {
    unsigned long empty = 0;
    if (tracked[i].compare_exchange_strong(empty, window)) {
      gone[i] = false;
      break;
    }
  }
  if (!watcher) watcher = XOpenDisplay(nullptr);
  if (watcher) {
    XSelectInput(watcher, window, StructureNotifyMask);
    XFlush(watcher);
  }
}

void Forget(unsigned long window) {
  int slot = Slot(window);
  if (slot < 0) return;
  gone[slot] = false;
  tracked[slot] = 0;
}

void CheckWindows() {
  if (!watcher) return;
  while (XPending(watcher) > 0) {
    XEvent e;
    XNextEvent(watcher, &e);
    if (e.type == DestroyNotify) MarkGone(e.xdestroywindow.window);
  }
}

void StopWatching() {
  if (watcher) XCloseDisplay(watcher);
  watcher = nullptr;
}

bool PointerPosition(int& x, int& y) {
  if (!watcher) watcher = XOpenDisplay(nullptr);
  if (!watcher) return false;
  ::Window root, child;
  int wx, wy;
  unsigned int mask;
  return XQueryPointer(watcher, DefaultRootWindow(watcher), &root, &child, &x, &y, &wx, &wy, &mask) == True;
}

void MarkGone(unsigned long window) {
  int slot = Slot(window);
  if (slot >= 0) gone[slot] = true;
}

bool Gone(unsigned long window) {
  int slot = Slot(window);
  return slot >= 0 && gone[slot].load();
}

namespace {
void GiveFocusToDialog(const std::string& title, unsigned long owner) {
  ::Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  helperDisplay = d;
  ::Window root = DefaultRootWindow(d);
  // A window manager hands the focus to a new dialog itself.
  Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
  Atom type;
  int format;
  unsigned long count = 0, after;
  unsigned char* data = nullptr;
  bool managed = check != 0 &&
                 XGetWindowProperty(d, root, check, 0, 1, False, AnyPropertyType, &type, &format, &count, &after,
                                    &data) == Success &&
                 count > 0;
  if (data) XFree(data);
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!managed && std::chrono::steady_clock::now() < until) {
    ::Window rootOut, parent, *children = nullptr;
    unsigned int n = 0;
    bool focused = false;
    if (XQueryTree(d, root, &rootOut, &parent, &children, &n)) {
      for (unsigned int i = n; i-- > 0 && !focused;) {  // the topmost first
        ::Window c = children[i];
        if (c == owner || Slot(c) >= 0) continue;
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, c, &a) || a.map_state != IsViewable) continue;
        // The dialog of the owner, or a box without one that bears the title
        // (whatever the text type of its name).
        ::Window transientFor = 0;
        bool match = owner && XGetTransientForHint(d, c, &transientFor) && transientFor == owner;
        XTextProperty name{};
        if (!match && !owner && XGetWMName(d, c, &name) && name.value) {
          match = title == std::string(reinterpret_cast<const char*>(name.value), name.nitems);
        }
        if (name.value) XFree(name.value);
        if (match) {
          XSetInputFocus(d, c, RevertToPointerRoot, CurrentTime);
          XSync(d, False);
          focused = true;
        }
      }
      if (children) XFree(children);
    }
    if (focused) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  helperDisplay = nullptr;
  XCloseDisplay(d);
}
}  // namespace

DialogFocus::DialogFocus(const std::string& title, unsigned long owner) {
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    GiveFocusToDialog(title, owner);
    _exit(0);
  }
  child_ = pid;
}

DialogFocus::~DialogFocus() {
  if (child_ <= 0) return;
  kill(child_, SIGKILL);
  waitpid(child_, nullptr, 0);
}

}  // namespace platform::sdl::x11
