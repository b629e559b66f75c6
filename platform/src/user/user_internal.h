// SPDX-License-Identifier: MIT
// Platform-internal view of USER32's windows and event pump, shared with the
// other stand-ins (DirectDraw presents into a window, DirectInput listens to
// input events, both follow focus).
#pragma once

#include <string>

#include "backend/backend.h"
#include "platform/winuser.h"

struct HWND__ {
  WNDPROC proc = nullptr;
  std::string className;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT windowRect{};   // outer rectangle in screen coordinates
  RECT clientRect{};   // client area in screen coordinates
  bool visible = false;
  bool topmost = false;
  HICON icon = nullptr;
  HMENU menu = nullptr;
  platform::backend::WindowId backendId = platform::backend::kNoWindow;
};

struct HICON__ {
  int width = 0;
  int height = 0;
  std::basic_string<uint32_t> argb;  // top row first; empty for the system cursor
};

namespace platform::user {

// The live window that owns a backend window, or null.
HWND WindowFromBackend(backend::WindowId id);
backend::WindowId BackendWindow(HWND window);
// The first live top-level window (the program's main window), or null.
HWND MainWindow();

// Listeners see every backend event before it becomes a window message.
using EventListener = void (*)(const backend::Event& event, void* user);
void AddEventListener(EventListener listener, void* user);
void RemoveEventListener(EventListener listener, void* user);

// Moves waiting backend events into the message queue and to the listeners,
// after running the pump hooks.
void PumpEvents();

// Hands waiting window-system events on as PumpEvents does; when none waits,
// blocks until one arrives or timeoutMs passes. True when any was handed on.
bool WaitForEvents(uint32_t timeoutMs);
// Grows with every message queued that the program must see: keys, close
// requests, notifications, the quit message; not the activation notices.
uint64_t NoticeableMessages();
// True while a message that a program must see waits in the queue unread.
bool NoticeableMessageWaiting();

// Hooks run on the program's thread each time it looks for events, for
// stand-ins whose work finishes in the background and then posts a message
// (the end of a MIDI play).
using PumpHook = void (*)(void* user);
void AddPumpHook(PumpHook hook, void* user);

// The virtual-key code of a DirectInput scan code (extended keys have 0x80 set);
// 0 for keys without one.
UINT VirtualKeyFromScanCode(uint32_t scanCode);

}  // namespace platform::user
