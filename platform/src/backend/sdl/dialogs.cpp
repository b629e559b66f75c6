// SPDX-License-Identifier: MIT
// The real backend's message boxes: SDL's dialogs, kept above a full-screen
// owner, with the answer said on the terminal where none can be shown.
#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "backend/sdl/x11.h"
#include "platform/winuser.h"

#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

int SdlBackend::MessageBox(WindowId owner, const std::string& text, const std::string& caption, unsigned type) {
  bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
  SDL_MessageBoxButtonData okButtons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"}};
  SDL_MessageBoxButtonData yesNoButtons[] = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
                                             {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"}};
  SDL_MessageBoxData data{};
  unsigned icon = type & MB_ICONMASK;
  data.flags = icon == MB_ICONHAND ? SDL_MESSAGEBOX_ERROR
               : icon == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                            : SDL_MESSAGEBOX_INFORMATION;
  Window* w = Find(owner);
  if (w && w->gone) w = nullptr;
  data.window = w ? w->window : nullptr;
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = yesNo ? 2 : 1;
  data.buttons = yesNo ? yesNoButtons : okButtons;
  int pressed = -1;
  int shown;
  {
    // The box stays above a full-screen owner (it is the owner's transient
    // window). Where no window manager hands it the keyboard, it takes the
    // focus itself, so that Return and Escape answer it.
    std::unique_ptr<x11::DialogFocus> focus;
    if (x11_) focus = std::make_unique<x11::DialogFocus>(caption, w ? w->x11Window : 0);
    shown = SDL_ShowMessageBox(&data, &pressed);
  }
  if (w) GiveBackFocus(*w);
  if (shown != 0 || pressed < 0) {
    int answer = yesNo ? IDYES : IDOK;
    std::string question = caption + ": " + text;
    std::replace(question.begin(), question.end(), '\n', ' ');
    fprintf(stderr, "%s: no dialog could be shown; answering %s to \"%s\"\n", program_invocation_short_name,
            answer == IDYES ? "Yes" : "OK", question.c_str());
    return answer;
  }
  return pressed;
}

// After a dialog the window is as it was before: raised, focused and, when it
// was, full-screen; the wait gives the window system the moment it takes.
void SdlBackend::GiveBackFocus(Window& w) {
  if (w.gone) return;
  SDL_RestoreWindow(w.window);
  if (w.fullScreen && presentation::Current().shown == presentation::Shown::FullScreen)
    SDL_SetWindowFullscreen(w.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_RaiseWindow(w.window);
  SDL_SetWindowInputFocus(w.window);
  for (uint64_t until = SDL_GetTicks64() + 500; SDL_GetTicks64() < until;) {
    SDL_PumpEvents();
    if (SDL_GetWindowFlags(w.window) & SDL_WINDOW_INPUT_FOCUS) break;
    SDL_Delay(5);
  }
}

}  // namespace platform::sdl
