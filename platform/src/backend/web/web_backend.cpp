// SPDX-License-Identifier: MIT
// The browser backend: a canvas for the display, DOM events for input, Web
// Audio for the mixer's output and an HTML dialog for message boxes. The calls
// that block on the desktop (Sleep, the waits for events and for the vertical
// blank, message boxes) suspend the program with ASYNCIFY and give the browser
// its turn; the page's side is library_rallex.js.
#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "backend/virtual_clock.h"
#include "backend/web/web.h"

// The page's side (library_rallex.js).
extern "C" {
void rallex_web_init();
double rallex_web_now();
void rallex_web_sleep(double ms);                        // async
int rallex_web_wait_event(double ms);                    // async; 1 when an event came
int rallex_web_next_event(int32_t* out);                 // fills kEventInts values
int rallex_web_message_box(const char* text, const char* caption, int yesNo);  // async
void rallex_web_set_title(const char* title);
void rallex_web_set_icon(const uint32_t* argb, int width, int height);
void rallex_web_present(const uint32_t* rgba, int width, int height);
void rallex_web_relative_mouse(int on);
void rallex_web_cursor_visible(int on);
int rallex_web_has_focus();
void rallex_web_desktop_size(int32_t* width, int32_t* height);
int rallex_web_open_audio(int rate, int frames, void (*pull)(int16_t*, int));
void rallex_web_close_audio();
void rallex_web_yield();                                 // async
void rallex_web_ended(int status);
}

namespace platform::web {
namespace {

using backend::Event;

// An event's row as rallex_web_next_event hands it over: the code, then the
// fields in protocol.def's order.
enum EventInt {
  kCode,
#define RALLEX_WEB_FIELD(name) kField_##name,
#define RALLEX_WEB_EVENT(name, code)
#define RALLEX_WEB_SCALING(name, scaling)
#include "backend/web/protocol.def"
#undef RALLEX_WEB_FIELD
#undef RALLEX_WEB_EVENT
#undef RALLEX_WEB_SCALING
  kEventInts
};

// The page's event codes.
Event::Type TypeOf(int code) {
  switch (code) {
#define RALLEX_WEB_FIELD(name)
#define RALLEX_WEB_EVENT(name, code) \
  case code:                          \
    return Event::Type::name;
#define RALLEX_WEB_SCALING(name, scaling)
#include "backend/web/protocol.def"
#undef RALLEX_WEB_FIELD
#undef RALLEX_WEB_EVENT
#undef RALLEX_WEB_SCALING
    default: return Event::Type::Quit;
  }
}

void Passed(uint32_t virtualMs);

struct State {
  backend::WindowId window = backend::kNoWindow;
  backend::WindowId nextWindow = 1;
  std::deque<Event> injected;
  bool virtualClock = false;
  // Virtual time: the browser gets its turn once per 16 virtual milliseconds,
  // so that a long run neither freezes the page nor waits on the real clock.
  uint32_t sinceYield = 0;  // virtual milliseconds since the browser last had its turn
  backend::VirtualClock clock{std::numeric_limits<uint32_t>::max(), [](uint32_t, uint32_t step) { Passed(step); }};
  backend::AudioCallback audio = nullptr;
  void* audioUser = nullptr;
};

State& S() {
  static State state;
  return state;
}

// The mixer's pull, called by the page's audio node. The page's code runs to
// completion between the program's steps, so nothing else touches the mixer
// meanwhile.
void PullAudio(int16_t* out, int frames) {
  State& s = S();
  if (s.audio)
    s.audio(s.audioUser, out, frames);
  else
    std::memset(out, 0, static_cast<size_t>(frames) * 4);
}

bool TakeEvent(Event& event) {
  State& s = S();
  if (!s.injected.empty()) {
    event = s.injected.front();
    s.injected.pop_front();
    return true;
  }
  int32_t v[kEventInts] = {};
  if (!rallex_web_next_event(v)) return false;
  event = Event{};
  event.type = TypeOf(v[kCode]);
  event.window = s.window;
  event.scanCode = static_cast<uint32_t>(v[kField_scan]);
  event.repeat = v[kField_repeat] != 0;
  event.x = v[kField_x];
  event.y = v[kField_y];
  event.dx = v[kField_dx];
  event.dy = v[kField_dy];
  event.button = v[kField_button];
  event.pressed = v[kField_pressed] != 0;
  return true;
}

void Passed(uint32_t virtualMs) {
  State& s = S();
  s.sinceYield += virtualMs;
  if (s.sinceYield >= 16) {
    s.sinceYield = 0;
    rallex_web_yield();
  }
}

class WebBackend final : public backend::Backend {
 public:
  WebBackend() { rallex_web_init(); }

  uint32_t Milliseconds() override {
    State& s = S();
    return s.virtualClock ? s.clock.Now() : static_cast<uint32_t>(rallex_web_now());
  }
  void Sleep(uint32_t ms) override {
    if (S().virtualClock)
      S().clock.Advance(ms);
    else
      rallex_web_sleep(ms);
  }
  void ClockPolled(uint32_t repeats) override {
    // A program waiting by reading the clock: give the browser its turn, or
    // the clock's millisecond would never end.
    if (S().virtualClock) {
      S().clock.Polled(repeats);
    } else if (repeats >= 64) {
      rallex_web_yield();
    }
  }

  bool PollEvent(Event& event) override { return TakeEvent(event); }
  bool WaitEvent(Event& event, uint32_t timeoutMs) override {
    if (TakeEvent(event)) return true;
    if (S().virtualClock) {
      S().clock.Advance(timeoutMs);
      return TakeEvent(event);
    }
    if (!rallex_web_wait_event(timeoutMs)) return false;
    return TakeEvent(event);
  }
  bool EventsCanArrive() override { return true; }

  backend::WindowId CreateWindow(const std::string& title, int, int, bool) override {
    State& s = S();
    backend::WindowId id = s.nextWindow++;
    // The page has one canvas: the latest window is the one shown on it.
    s.window = id;
    rallex_web_set_title(title.c_str());
    return id;
  }
  void DestroyWindow(backend::WindowId id) override {
    if (S().window == id) S().window = backend::kNoWindow;
  }
  void SetWindowTitle(backend::WindowId id, const std::string& title) override {
    if (S().window == id) rallex_web_set_title(title.c_str());
  }
  void SetWindowIcon(backend::WindowId id, const uint32_t* argb, int width, int height) override {
    if (S().window == id && argb && width > 0 && height > 0) rallex_web_set_icon(argb, width, height);
  }
  void SetWindowClientSize(backend::WindowId, int, int) override {}
  void ShowWindow(backend::WindowId, bool) override {}
  void SetCursorVisible(backend::WindowId id, bool visible) override {
    if (S().window == id) rallex_web_cursor_visible(visible ? 1 : 0);
  }
  bool HasFocus(backend::WindowId id) override {
    return id != backend::kNoWindow && id == S().window && rallex_web_has_focus() != 0;
  }
  void DesktopSize(int& width, int& height) override {
    int32_t w = 0, h = 0;
    rallex_web_desktop_size(&w, &h);
    width = w;
    height = h;
  }

  int MessageBox(backend::WindowId, const std::string& text, const std::string& caption, unsigned type) override {
    constexpr unsigned kTypeMask = 0x0F, kYesNo = 4;
    return rallex_web_message_box(text.c_str(), caption.c_str(), (type & kTypeMask) == kYesNo ? 1 : 0);
  }

  // The page always shows the picture scaled to the window with its aspect
  // kept, which is what full screen is on the desktop too.
  void SetFullScreen(backend::WindowId, bool) override {}

  // The display writes the picture in the canvas's byte order, rows without a
  // gap, and the canvas takes it from the program's memory as it is.
  backend::FrameOrder PixelOrder() override { return backend::FrameOrder::CanvasRgba; }

  void Present(backend::WindowId id, const backend::Frame& frame) override {
    if (id != S().window || !frame.pixels || frame.width <= 0 || frame.height <= 0) return;
    if (frame.pitchPixels != frame.width) return;
    rallex_web_present(frame.pixels, frame.width, frame.height);
  }

  void SetRelativeMouse(bool enabled) override { rallex_web_relative_mouse(enabled ? 1 : 0); }

  bool OpenAudio(const backend::AudioSpec& wanted, backend::AudioCallback callback, void* user,
                 backend::AudioSpec& obtained) override {
    State& s = S();
    if (s.audio || !callback) return false;
    int rate = rallex_web_open_audio(wanted.rate, wanted.bufferFrames, &PullAudio);
    if (rate <= 0) return false;
    s.audio = callback;
    s.audioUser = user;
    obtained = wanted;
    obtained.rate = rate;
    obtained.channels = 2;
    return true;
  }
  void CloseAudio() override {
    rallex_web_close_audio();
    S().audio = nullptr;
    S().audioUser = nullptr;
  }
  void LockAudio() override {}
  void UnlockAudio() override {}
};

}  // namespace

void InjectMouseMotion(int32_t dx, int32_t dy) {
  Event e;
  e.type = Event::Type::MouseMotion;
  e.window = S().window;
  e.dx = dx;
  e.dy = dy;
  S().injected.push_back(e);
}

void UseVirtualClock(bool on) {
  State& s = S();
  if (on && !s.virtualClock) s.clock.Set(static_cast<uint32_t>(rallex_web_now()));
  s.virtualClock = on;
}

}  // namespace platform::web

namespace platform::backend {
Backend& Instance() {
  static web::WebBackend backend;
  return backend;
}

// The program's waits keep its runtime alive past the return from main, so
// the page is told of the end here. (An exit would unwind by throwing, through
// the browser's callback that resumed the program.)
void ProgramEnded(int status) { rallex_web_ended(status); }
}  // namespace platform::backend
