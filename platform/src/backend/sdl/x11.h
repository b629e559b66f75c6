// SPDX-License-Identifier: MIT
// What the SDL backend does on X11 beyond SDL: noticing a window destroyed from
// outside (instead of dying of the X error that drawing into it gives), and
// handing the keyboard focus to a dialog where no window manager does.
#pragma once

#include <string>

namespace platform::sdl::x11 {

// Installs an X error handler (once) that lets errors about a tracked window
// that no longer exists pass, marking the window gone; other errors go to the
// handler that was there before.
void WatchErrors();
// Ends the process at once when the connection to the X server is lost (the
// client killed, the server gone): one line on standard error naming
// `program`, status 1, and nothing run that would talk to the dead
// connection (no exit handlers, no teardown).
void WatchConnection(const char* program);
// Windows (X window ids) of the program, on SDL's connection `display`,
// watched for disappearing.
void Track(void* display, unsigned long window);
// A window the program destroyed itself is no longer watched.
void Forget(unsigned long window);
void MarkGone(unsigned long window);
bool Gone(unsigned long window);
// Takes in the news of tracked windows destroyed since the last look.
void CheckWindows();
void StopWatching();
// Where the pointer is on the screen, asked of the server (a round trip on
// the watching connection): what a pointer that reports only positions (a
// tablet, a remote desktop, a virtual machine's pointer) moved.
bool PointerPosition(int& x, int& y);

// While it lives, looks for the top-level window titled `title` (a dialog of
// the program's, not `owner` itself) and, on an X server without a window
// manager, gives it the keyboard focus once it is shown. The looking is done by
// a child process with its own connection: the dialog code forks a process of
// its own, which must not find a lock held by a thread of ours.
class DialogFocus {
 public:
  DialogFocus(const std::string& title, unsigned long owner);
  ~DialogFocus();
  DialogFocus(const DialogFocus&) = delete;
  DialogFocus& operator=(const DialogFocus&) = delete;

 private:
  int child_ = -1;
};

}  // namespace platform::sdl::x11
