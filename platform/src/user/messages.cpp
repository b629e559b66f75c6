// SPDX-License-Identifier: MIT
// The thread's message queue. Backend events become posted messages when the
// queue is looked at; the quit request is delivered only once no other message
// waits, as on the platform.
#include <algorithm>
#include <deque>
#include <vector>

#include "hooks/hooks.h"
#include "kernel/debug.h"
#include "platform/mmsystem.h"
#include "user/user_internal.h"

namespace platform::user {

HWND Live(HWND window);
void ForgetWindows();

namespace {

std::deque<MSG> queue;
bool quitPosted = false;
int quitCode = 0;
// Messages posted that a program must see (everything but activation notices).
uint64_t noticeable = 0;
uint64_t delivered = 0;  // backend events handed on so far

struct Listener {
  EventListener fn;
  void* user;
};
std::vector<Listener>& Listeners() {
  static std::vector<Listener> listeners;
  return listeners;
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = timeGetTime();
  queue.push_back(msg);
  if (message != WM_ACTIVATEAPP) noticeable++;
}

// The lParam of a key message: repeat count, scan code, extended bit, previous
// state and transition state.
LPARAM KeyLParam(const backend::Event& e, bool down) {
  uint32_t lp = 1u | (e.scanCode & 0x7Fu) << 16;
  if (e.scanCode & 0x80u) lp |= 1u << 24;
  if (!down || e.repeat) lp |= 1u << 30;
  if (!down) lp |= 1u << 31;
  return static_cast<LPARAM>(static_cast<int32_t>(lp));
}

void Translate(const backend::Event& e) {
  HWND window = WindowFromBackend(e.window);
  if (!window) window = MainWindow();
  switch (e.type) {
    case backend::Event::Type::KeyDown:
    case backend::Event::Type::KeyUp: {
      if (!window) return;
      bool down = e.type == backend::Event::Type::KeyDown;
      UINT vk = VirtualKeyFromScanCode(e.scanCode);
      bool alt = vk == VK_MENU;
      UINT message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
      Post(window, message, vk, KeyLParam(e, down));
      break;
    }
    case backend::Event::Type::CloseRequest:
      if (window) Post(window, WM_CLOSE, 0, 0);
      break;
    case backend::Event::Type::FocusGained:
    case backend::Event::Type::FocusLost:
      if (window) Post(window, WM_ACTIVATEAPP, e.type == backend::Event::Type::FocusGained ? TRUE : FALSE, 0);
      break;
    case backend::Event::Type::Quit:
      if (window) Post(window, WM_CLOSE, 0, 0);
      break;
    default:
      break;  // input devices read these through their listeners
  }
}

void Deliver(const backend::Event& e) {
  delivered++;
  // Copy: a listener may register or remove listeners.
  std::vector<Listener> listeners = Listeners();
  for (const Listener& l : listeners) l.fn(e, l.user);
  Translate(e);
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window && msg.hwnd != window) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

bool QuitMatches(UINT filterMin, UINT filterMax) {
  return (filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
}

// Looks for a waiting message; removes it when asked. Returns false when none.
bool Take(LPMSG out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  auto it = std::find_if(queue.begin(), queue.end(),
                         [&](const MSG& m) { return Matches(m, window, filterMin, filterMax); });
  if (it != queue.end()) {
    if (out) *out = *it;
    if (remove) queue.erase(it);
    return true;
  }
  if (quitPosted && QuitMatches(filterMin, filterMax)) {
    if (out) {
      *out = MSG{};
      out->message = WM_QUIT;
      out->wParam = static_cast<WPARAM>(quitCode);
      out->time = timeGetTime();
    }
    if (remove) quitPosted = false;
    return true;
  }
  return false;
}

}  // namespace

void AddEventListener(EventListener listener, void* user) { Listeners().push_back({listener, user}); }

void RemoveEventListener(EventListener listener, void* user) {
  auto& l = Listeners();
  l.erase(std::remove_if(l.begin(), l.end(), [&](const Listener& x) { return x.fn == listener && x.user == user; }),
          l.end());
}

std::vector<std::pair<PumpHook, void*>>& PumpHooks() {
  static std::vector<std::pair<PumpHook, void*>> hooks;
  return hooks;
}

void AddPumpHook(PumpHook hook, void* user) { PumpHooks().emplace_back(hook, user); }

void PumpEvents() {
  for (auto& [hook, user] : PumpHooks()) hook(user);
  backend::Event e;
  while (backend::Instance().PollEvent(e)) Deliver(e);
}

bool WaitForEvents(uint32_t timeoutMs) {
  uint64_t before = delivered;
  PumpEvents();
  backend::Event e;
  if (delivered == before && backend::Instance().WaitEvent(e, timeoutMs)) {
    Deliver(e);
    while (backend::Instance().PollEvent(e)) Deliver(e);
  }
  return delivered != before;
}

uint64_t NoticeableMessages() { return noticeable + (quitPosted ? 1 : 0); }

bool NoticeableMessageWaiting() {
  return quitPosted || std::any_of(queue.begin(), queue.end(), [](const MSG& m) { return m.message != WM_ACTIVATEAPP; });
}

}  // namespace platform::user

namespace platform::hooks::user {
void Reset() {
  using namespace platform::user;
  queue.clear();
  quitPosted = false;
  quitCode = 0;
  ForgetWindows();
}
}  // namespace platform::hooks::user

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  platform::user::PumpEvents();
  return platform::user::Take(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  auto& backend = platform::backend::Instance();
  for (;;) {
    platform::user::PumpEvents();
    if (platform::user::Take(msg, window, filterMin, filterMax, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    platform::backend::Event e;
    if (backend.WaitEvent(e, 100)) {
      platform::user::Deliver(e);
    } else if (!backend.EventsCanArrive()) {
      // Nothing is queued and nothing ever will be: waiting would never end.
      platform::kernel::Debug("GetMessageA: no message can arrive\n");
      return -1;
    }
  }
}

BOOL TranslateMessage(const MSG* msg) {
  return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !platform::user::Live(msg->hwnd) || !msg->hwnd->proc) return 0;
  return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !platform::user::Live(window)) return FALSE;
  platform::user::Post(window, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  platform::user::quitPosted = true;
  platform::user::quitCode = exitCode;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!platform::user::Live(window) || !window->proc) return 0;
  return window->proc(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    default:
      return 0;
  }
}
