// SPDX-License-Identifier: MIT
// The real backend's events: SDL events turned into the platform's, the
// joystick in use, and the relative mouse.
#include <SDL.h>

#include "backend/sdl/keymap.h"
#include "backend/sdl/x11.h"

#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

bool SdlBackend::PollEvent(Event& event) {
  FlushSettings(false);
  if (ReportGoneWindow(event)) return true;
  if (reopenJoystick_) {
    // The joystick in use went away: take the next one attached, if any.
    reopenJoystick_ = false;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (OpenJoystick(i, event)) return true;
  }
  if (ReopenAudioDevice(event)) return true;
  SDL_Event e;
  while (SDL_PollEvent(&e))
    if (Convert(e, event)) return true;
  return ReportGoneWindow(event) || AbsolutePointer(event);
}

// In relative mode SDL reports only what devices report as motion; a pointer
// that reports positions moves the pointer on the screen and nothing else.
// Such moves are found by looking where the pointer is, and passed on as the
// motion of the picture pixel under it (so the paddle follows the pointer's
// place through the picture's scaling and bars). A move that a relative
// device made shows both ways and counts once, as its own motion: the look is
// a round trip to the server, after which the device's motion is in SDL's
// queue, so a move with relative motion pending or seen since is not counted.
bool SdlBackend::AbsolutePointer(Event& out) {
  constexpr uint64_t kLookMs = 4;
  if (!x11_ || !SDL_GetRelativeMouseMode()) {
    pointerKnown_ = false;
    return false;
  }
  uint64_t now = SDL_GetTicks64();
  if (now - pointerCheckedAt_ < kLookMs) return false;
  pointerCheckedAt_ = now;
  int x = 0, y = 0;
  if (!x11::PointerPosition(x, y)) return false;
  SDL_PumpEvents();
  bool relativePending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION) > 0;
  bool moved = pointerKnown_ && (x != pointerX_ || y != pointerY_) && !relativePending && !relativeSeen_;
  int fromX = pointerX_, fromY = pointerY_;
  pointerKnown_ = true;
  pointerX_ = x;
  pointerY_ = y;
  relativeSeen_ = false;
  if (!moved) return false;
  for (auto& [id, w] : windows_) {
    if (w.gone || !(SDL_GetWindowFlags(w.window) & SDL_WINDOW_INPUT_FOCUS)) continue;
    int wx = 0, wy = 0, ww = 0, wh = 0;
    SDL_GetWindowPosition(w.window, &wx, &wy);
    SDL_GetWindowSize(w.window, &ww, &wh);
    // A windowed program's picture is its client area.
    bool scaled = w.fullScreen && w.lastWidth > 0;
    presentation::Rect shown = scaled ? presentation::Rect{w.shown.x, w.shown.y, w.shown.w, w.shown.h}
                                      : presentation::Rect{0, 0, ww, wh};
    int frameW = scaled ? w.lastWidth : ww, frameH = scaled ? w.lastHeight : wh;
    int ax = 0, ay = 0, bx = 0, by = 0;
    presentation::ToPicture(shown, frameW, frameH, fromX - wx, fromY - wy, ax, ay);
    presentation::ToPicture(shown, frameW, frameH, x - wx, y - wy, bx, by);
    if (ax == bx && ay == by) return false;
    out = Event{};
    out.type = Event::Type::MouseMotion;
    out.window = id;
    out.x = bx;
    out.y = by;
    out.dx = bx - ax;
    out.dy = by - ay;
    return true;
  }
  return false;
}

bool SdlBackend::WaitEvent(Event& event, uint32_t timeoutMs) {
  SDL_Event e;
  uint64_t until = SDL_GetTicks64() + timeoutMs;
  for (;;) {
    FlushSettings(false);
    uint64_t now = SDL_GetTicks64();
    if (now >= until) return false;
    if (ReportGoneWindow(event)) return true;
    if (!SDL_WaitEventTimeout(&e, static_cast<int>(until - now))) return ReportGoneWindow(event);
    if (Convert(e, event)) return true;
  }
}

bool SdlBackend::EventsCanArrive() { return true; }

void SdlBackend::SetRelativeMouse(bool enabled) {
  relativeWanted_ = enabled;
  ApplyMouse();
}

// Opens the joystick at a device index, as a game controller when SDL knows
// its layout, and describes it in out.
bool SdlBackend::OpenJoystick(int index, Event& out) {
  if (SDL_IsGameController(index)) {
    controller_ = SDL_GameControllerOpen(index);
    if (controller_) joystick_ = SDL_GameControllerGetJoystick(controller_);
  }
  if (!joystick_) joystick_ = SDL_JoystickOpen(index);
  if (!joystick_) return false;
  out = Event{};
  out.type = Event::Type::JoystickAdded;
  const char* name = controller_ ? SDL_GameControllerName(controller_) : SDL_JoystickName(joystick_);
  out.joystickName = name ? name : "Joystick";
  out.gamepad = controller_ != nullptr;
  out.joystickAxes = controller_ ? SDL_CONTROLLER_AXIS_MAX : SDL_JoystickNumAxes(joystick_);
  out.joystickButtons = controller_ ? SDL_CONTROLLER_BUTTON_MAX : SDL_JoystickNumButtons(joystick_);
  return true;
}

void SdlBackend::CloseJoystick() {
  if (controller_) {
    SDL_GameControllerClose(controller_);  // closes its joystick too
  } else if (joystick_) {
    SDL_JoystickClose(joystick_);
  }
  controller_ = nullptr;
  joystick_ = nullptr;
}

// Turns an SDL event into a backend event; false for events nobody needs.
bool SdlBackend::Convert(const SDL_Event& e, Event& out) {
  out = Event{};
  // Whether a joystick or controller event is of the open stick, and of the
  // kind of events it reports by.
  auto fromOpenStick = [this](bool controllerEvent, SDL_JoystickID which) {
    return joystick_ && (controller_ != nullptr) == controllerEvent && which == SDL_JoystickInstanceID(joystick_);
  };
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (PlatformKey(e.key)) return false;
      out.type = e.type == SDL_KEYDOWN ? Event::Type::KeyDown : Event::Type::KeyUp;
      out.window = e.key.windowID;
      out.scanCode = DirectInputScanCode(e.key.keysym.scancode);
      out.repeat = e.key.repeat != 0;
      return out.scanCode != 0;
    case SDL_MOUSEMOTION:
      if (e.motion.xrel || e.motion.yrel) relativeSeen_ = true;
      out.type = Event::Type::MouseMotion;
      out.window = e.motion.windowID;
      out.x = e.motion.x;
      out.y = e.motion.y;
      out.dx = e.motion.xrel;
      out.dy = e.motion.yrel;
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (e.type == SDL_MOUSEBUTTONUP && e.button.button == swallowButton_) {
        swallowButton_ = -1;
        return false;
      }
      if (e.type == SDL_MOUSEBUTTONDOWN && relativeWanted_ && !captureAllowed_ && InWindowPresentation()) {
        // The click that takes the pointer back is not the program's.
        captureAllowed_ = true;
        swallowButton_ = e.button.button;
        ApplyMouse();
        return false;
      }
      out.type = Event::Type::MouseButton;
      out.window = e.button.windowID;
      int b = e.button.button;
      out.button = b == SDL_BUTTON_LEFT ? 0 : b == SDL_BUTTON_RIGHT ? 1 : b == SDL_BUTTON_MIDDLE ? 2 : 3;
      out.pressed = e.type == SDL_MOUSEBUTTONDOWN;
      return b <= SDL_BUTTON_X1;
    }
    case SDL_MOUSEWHEEL:
      out.type = Event::Type::MouseWheel;
      out.window = e.wheel.windowID;
      out.dy = e.wheel.y;
      return true;
    case SDL_JOYDEVICEADDED:
      return !joystick_ && OpenJoystick(e.jdevice.which, out);
    case SDL_JOYDEVICEREMOVED:
      if (joystick_ && SDL_JoystickInstanceID(joystick_) == e.jdevice.which) {
        CloseJoystick();
        reopenJoystick_ = true;
        out.type = Event::Type::JoystickRemoved;
        return true;
      }
      return false;
    // The open stick's axes and buttons come from its joystick events or, when
    // it is a game controller, from its controller events alone, in the
    // controller's standard layout: left stick X and Y first, then the right
    // stick and the triggers; buttons A, B, X, Y, ...
    case SDL_JOYAXISMOTION:
    case SDL_CONTROLLERAXISMOTION: {
      bool controller = e.type == SDL_CONTROLLERAXISMOTION;
      if (!fromOpenStick(controller, controller ? e.caxis.which : e.jaxis.which)) return false;
      out.type = Event::Type::JoystickAxis;
      out.axis = controller ? e.caxis.axis : e.jaxis.axis;
      out.value = controller ? e.caxis.value : e.jaxis.value;
      return true;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      bool controller = e.type == SDL_CONTROLLERBUTTONDOWN || e.type == SDL_CONTROLLERBUTTONUP;
      if (!fromOpenStick(controller, controller ? e.cbutton.which : e.jbutton.which)) return false;
      out.type = Event::Type::JoystickButton;
      out.button = controller ? e.cbutton.button : e.jbutton.button;
      out.pressed = e.type == SDL_JOYBUTTONDOWN || e.type == SDL_CONTROLLERBUTTONDOWN;
      return true;
    }
    case SDL_WINDOWEVENT:
      out.window = e.window.windowID;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          out.type = Event::Type::CloseRequest;
          return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          out.type = Event::Type::FocusGained;
          return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          if (InWindowPresentation()) captureAllowed_ = false;
          out.type = Event::Type::FocusLost;
          return true;
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_EXPOSED:
          if (Window* w = Find(e.window.windowID); w && w->fullScreen) {
            if (e.window.event != SDL_WINDOWEVENT_EXPOSED) NoteWindowChange(*w);
            if (e.window.event != SDL_WINDOWEVENT_MOVED) Redraw(*w);
          }
          return false;
        default:
          return false;
      }
    case SDL_AUDIODEVICEREMOVED:
      return LoseAudioDevice(e.adevice, out);
    case SDL_QUIT:
      // SDL reports the last window's close as its own quit event too; the
      // window event above already carries it.
      return false;
    default:
      return false;
  }
}

}  // namespace platform::sdl
