// The real backend: SDL2 windows, events, message boxes, presentation and audio.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "backend/sdl/keymap.h"
#include "backend/sdl/x11.h"
#include "platform/winuser.h"

namespace platform::sdl {
namespace {

using backend::Event;
using backend::WindowId;

struct Window {
  SDL_Window* window = nullptr;
  // Frames go to the window's own framebuffer (SDL_GetWindowSurface), scaled
  // here; the renderer serves only where that framebuffer cannot be had.
  bool useRenderer = false;
  SDL_Rect shown{0, 0, 0, 0};  // where the last frame went in the framebuffer
  SDL_Surface* lastSurface = nullptr;
  // The frame's pixels wrapped as an SDL surface, kept while the frame keeps
  // its memory and size, so that SDL's blit mapping is made once, not per frame.
  SDL_Surface* picture = nullptr;
  int scaledFrom = 0;             // frame width the column map was made for
  std::vector<int> columns;       // source column of each shown column
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;
  int textureHeight = 0;
  bool fullScreen = false;
  SDL_Rect windowed{0, 0, 0, 0};  // position and size before going full-screen
  unsigned long x11Window = 0;    // the X window under it, on X11
  // Destroyed from outside (the window system took it away): nothing is drawn
  // into it any more, and its close has been reported.
  bool gone = false;
};

constexpr uint32_t kFreeClockRepeats = 4;
constexpr long kClockPollPauseNs = 250000;

class SdlBackend final : public backend::Backend {
 public:
  SdlBackend() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // Window framebuffers in the window system's own shared memory, not through
    // a (possibly software) GL renderer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Before SDL's X11 code starts, so that it keeps this handler beneath its
    // own and gives it back at the end: X errors about a window that was
    // destroyed from outside can come up to the last moment.
    x11::WatchErrors();
    bool started = SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0;
    if (!started) videoProblem_ = SDL_GetError();
    if (!started || !StartVideo()) {
      // Nothing could ever be seen: say so rather than play on invisibly.
      fprintf(stderr, "%s: no display: %s; to run without a screen, start it as: xvfb-run -a %s\n",
              program_invocation_short_name, videoProblem_.c_str(), program_invocation_short_name);
      SDL_Quit();
      std::exit(1);
    }
    x11_ = strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0)
      fprintf(stderr, "rallex: no joystick support: %s\n", SDL_GetError());
    start_ = SDL_GetTicks64();
  }

  // Starts SDL video on a driver that shows windows to someone: the one asked
  // for by name in SDL_VIDEODRIVER (invisible ones included), else X11 or
  // Wayland where their display is set, else the console's KMS. SDL's own
  // fall-back to an off-screen driver is never taken silently.
  bool StartVideo() {
    const char* asked = getenv("SDL_VIDEODRIVER");
    if (asked && *asked) {
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
      videoProblem_ = std::string("the video driver \"") + asked + "\" cannot start (" + SDL_GetError() + ")";
      return false;
    }
    const char* x11 = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    std::vector<const char*> drivers;
    if (x11 && *x11) drivers.push_back("x11");
    if (wayland && *wayland) drivers.push_back("wayland");
    drivers.push_back("KMSDRM");
    std::string tried;
    for (const char* driver : drivers) {
      SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
      if (!tried.empty() && strcmp(driver, "KMSDRM") != 0) tried += "; ";
      if (strcmp(driver, "x11") == 0) tried += std::string("cannot open the X display \"") + x11 + "\"";
      if (strcmp(driver, "wayland") == 0) tried += std::string("cannot reach the Wayland display \"") + wayland + "\"";
    }
    videoProblem_ = tried.empty() ? "neither DISPLAY nor WAYLAND_DISPLAY is set" : tried;
    return false;
  }

  ~SdlBackend() override {
    CloseAudio();
    CloseJoystick();
    for (auto& [id, w] : windows_) Destroy(w);
    if (x11_) x11::StopWatching();
    SDL_Quit();
  }

  uint32_t Milliseconds() override { return static_cast<uint32_t>(SDL_GetTicks64() - start_); }
  void Sleep(uint32_t ms) override { SDL_Delay(ms); }
  // A program polling the clock: after a few free repeats each read within the
  // same millisecond sleeps a quarter of a millisecond. A wait by polling then
  // costs a few percent of a core and still ends within about 0.3 ms of its
  // millisecond.
  void ClockPolled(uint32_t repeats) override {
    if (repeats < kFreeClockRepeats) return;
    timespec pause{0, kClockPollPauseNs};
    nanosleep(&pause, nullptr);
  }

  bool PollEvent(Event& event) override {
    if (ReportGoneWindow(event)) return true;
    if (reopenJoystick_) {
      // The joystick in use went away: take the next one attached, if any.
      reopenJoystick_ = false;
      for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (OpenJoystick(i, event)) return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e))
      if (Convert(e, event)) return true;
    return ReportGoneWindow(event);
  }

  bool WaitEvent(Event& event, uint32_t timeoutMs) override {
    SDL_Event e;
    uint64_t until = SDL_GetTicks64() + timeoutMs;
    for (;;) {
      uint64_t now = SDL_GetTicks64();
      if (now >= until) return false;
      if (ReportGoneWindow(event)) return true;
      if (!SDL_WaitEventTimeout(&e, static_cast<int>(until - now))) return ReportGoneWindow(event);
      if (Convert(e, event)) return true;
    }
  }

  bool EventsCanArrive() override { return true; }

  WindowId CreateWindow(const std::string& title, int w, int h, bool visible) override {
    Uint32 flags = visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          w > 0 ? w : 1, h > 0 ? h : 1, flags);
    if (!window) {
      fprintf(stderr, "rallex: cannot create a window: %s\n", SDL_GetError());
      return backend::kNoWindow;
    }
    WindowId id = SDL_GetWindowID(window);
    windows_[id].window = window;
    if (x11_) {
      SDL_SysWMinfo info;
      SDL_VERSION(&info.version);
      if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        windows_[id].x11Window = info.info.x11.window;
        x11::Track(info.info.x11.display, info.info.x11.window);
      }
    }
    return id;
  }

  void DestroyWindow(WindowId id) override {
    auto it = windows_.find(id);
    if (it == windows_.end()) return;
    Destroy(it->second);
    windows_.erase(it);
  }

  void SetWindowTitle(WindowId id, const std::string& title) override {
    if (Window* w = Find(id)) SDL_SetWindowTitle(w->window, title.c_str());
  }

  void SetWindowIcon(WindowId id, const uint32_t* argb, int width, int height) override {
    Window* w = Find(id);
    if (!w || !argb) return;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32, width * 4,
                                                           SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;
    SDL_SetWindowIcon(w->window, icon);
    SDL_FreeSurface(icon);
  }

  void SetWindowClientSize(WindowId id, int width, int height) override {
    if (Window* w = Find(id)) {
      if (!w->fullScreen) SDL_SetWindowSize(w->window, width > 0 ? width : 1, height > 0 ? height : 1);
    }
  }

  void ShowWindow(WindowId id, bool visible) override {
    if (Window* w = Find(id); w && !w->gone) {
      if (visible) {
        SDL_ShowWindow(w->window);
        SDL_RaiseWindow(w->window);
        // On the platform, showing a new window of the foreground program
        // activates it before ShowWindow returns, and programs create their
        // foreground input devices right after. The window system hands out
        // the focus a little later, so wait for it briefly. Events stay queued.
        for (uint64_t until = SDL_GetTicks64() + 500; SDL_GetTicks64() < until;) {
          SDL_PumpEvents();
          if (SDL_GetWindowFlags(w->window) & SDL_WINDOW_INPUT_FOCUS) break;
          SDL_Delay(5);
        }
      } else {
        SDL_HideWindow(w->window);
      }
    }
  }

  void SetCursorVisible(WindowId, bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

  bool HasFocus(WindowId id) override {
    Window* w = Find(id);
    return w && (SDL_GetWindowFlags(w->window) & SDL_WINDOW_INPUT_FOCUS) != 0;
  }

  void DesktopSize(int& width, int& height) override {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
      width = mode.w;
      height = mode.h;
    } else {
      width = 1024;
      height = 768;
    }
  }

  int MessageBox(WindowId owner, const std::string& text, const std::string& caption, unsigned type) override {
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
  static void GiveBackFocus(Window& w) {
    if (w.gone) return;
    SDL_RestoreWindow(w.window);
    if (w.fullScreen) SDL_SetWindowFullscreen(w.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_RaiseWindow(w.window);
    SDL_SetWindowInputFocus(w.window);
    for (uint64_t until = SDL_GetTicks64() + 500; SDL_GetTicks64() < until;) {
      SDL_PumpEvents();
      if (SDL_GetWindowFlags(w.window) & SDL_WINDOW_INPUT_FOCUS) break;
      SDL_Delay(5);
    }
  }

  void SetFullScreen(WindowId id, bool fullScreen) override {
    Window* w = Find(id);
    if (!w || w->gone || w->fullScreen == fullScreen) return;
    w->fullScreen = fullScreen;
    if (fullScreen) {
      // A renderer first, if this window uses one: making one may recreate the
      // window, which would put it back where it was.
      if (w->useRenderer) EnsureRenderer(*w);
      // Cover the display before asking for the full-screen state: with no
      // window manager to carry that request out (a bare X server) the window
      // would otherwise keep its size while SDL draws for the whole display.
      SDL_GetWindowPosition(w->window, &w->windowed.x, &w->windowed.y);
      SDL_GetWindowSize(w->window, &w->windowed.w, &w->windowed.h);
      SDL_Rect bounds;
      if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(w->window), &bounds) == 0) {
        SDL_SetWindowBordered(w->window, SDL_FALSE);
        SDL_SetWindowPosition(w->window, bounds.x, bounds.y);
        SDL_SetWindowSize(w->window, bounds.w, bounds.h);
      }
      SDL_SetWindowFullscreen(w->window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
      SDL_SetWindowFullscreen(w->window, 0);
      if (w->windowed.w > 0 && w->windowed.h > 0) {
        SDL_SetWindowBordered(w->window, SDL_TRUE);
        SDL_SetWindowSize(w->window, w->windowed.w, w->windowed.h);
        SDL_SetWindowPosition(w->window, w->windowed.x, w->windowed.y);
      }
    }
  }

  static bool EnsureRenderer(Window& w) {
    if (!w.renderer) {
      w.renderer = SDL_CreateRenderer(w.window, -1, 0);
      if (!w.renderer) w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
    }
    return w.renderer != nullptr;
  }

  // Shows the frame in the window's framebuffer: the same size when it fits
  // exactly, else scaled by nearest pixels with its aspect ratio kept and black
  // bars. This costs the program one scaling pass a frame, where a renderer on a
  // software GL (as under Xvfb) costs several.
  bool PresentToFramebuffer(Window& w, const backend::Frame& frame) {
    SDL_Surface* target = SDL_GetWindowSurface(w.window);
    if (!target) return false;
    if (target != w.lastSurface && w.picture) {
      // A new framebuffer: the picture's blit mapping was made for the old one.
      SDL_FreeSurface(w.picture);
      w.picture = nullptr;
    }
    SDL_Surface* picture = Picture(w, frame);
    if (!picture) return false;
    SDL_Rect place{0, 0, frame.width, frame.height};
    if (target->w != frame.width || target->h != frame.height) {
      double scale = std::min(static_cast<double>(target->w) / frame.width,
                              static_cast<double>(target->h) / frame.height);
      place.w = std::max(1, static_cast<int>(frame.width * scale));
      place.h = std::max(1, static_cast<int>(frame.height * scale));
      place.x = (target->w - place.w) / 2;
      place.y = (target->h - place.h) / 2;
    }
    if (target != w.lastSurface || place.x != w.shown.x || place.y != w.shown.y || place.w != w.shown.w ||
        place.h != w.shown.h) {
      SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
      w.lastSurface = target;
      w.shown = place;
    }
    int result = 0;
    uint32_t fmt = target->format->format;
    bool xrgb = fmt == SDL_PIXELFORMAT_RGB888 || fmt == SDL_PIXELFORMAT_ARGB8888;
    if (place.w == frame.width && place.h == frame.height) {
      result = SDL_BlitSurface(picture, nullptr, target, &place);
    } else if (xrgb && place.x >= 0 && place.y >= 0 && SDL_LockSurface(target) == 0) {
      ScaleNearest(w, frame, target, place);
      SDL_UnlockSurface(target);
    } else {
      result = SDL_BlitScaled(picture, nullptr, target, &place);
    }
    if (result != 0) return false;
    SDL_Rect all{0, 0, target->w, target->h};
    SDL_UpdateWindowSurfaceRects(w.window, &all, 1);
    return true;
  }

  static SDL_Surface* Picture(Window& w, const backend::Frame& frame) {
    SDL_Surface* p = w.picture;
    if (p && p->pixels == frame.pixels && p->w == frame.width && p->h == frame.height &&
        p->pitch == frame.pitchPixels * 4)
      return p;
    if (p) SDL_FreeSurface(p);
    w.picture = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame.pixels), frame.width, frame.height,
                                                   32, frame.pitchPixels * 4, SDL_PIXELFORMAT_RGB888);
    return w.picture;
  }

  // Nearest-pixel scaling of 0x00RRGGBB pixels into a 32-bit framebuffer: each
  // shown pixel takes the frame pixel under its centre; a row that samples the
  // same frame row as the one above is a copy of it.
  static void ScaleNearest(Window& w, const backend::Frame& frame, SDL_Surface* target, const SDL_Rect& place) {
    if (w.scaledFrom != frame.width || static_cast<int>(w.columns.size()) != place.w) {
      w.columns.resize(static_cast<size_t>(place.w));
      for (int x = 0; x < place.w; ++x)
        w.columns[static_cast<size_t>(x)] =
            static_cast<int>((2 * static_cast<int64_t>(x) + 1) * frame.width / (2 * static_cast<int64_t>(place.w)));
      w.scaledFrom = frame.width;
    }
    auto* base = static_cast<uint8_t*>(target->pixels) + place.y * target->pitch + place.x * 4;
    int previous = -1;
    for (int y = 0; y < place.h; ++y) {
      auto* out = reinterpret_cast<uint32_t*>(base + static_cast<ptrdiff_t>(y) * target->pitch);
      int row = static_cast<int>((2 * static_cast<int64_t>(y) + 1) * frame.height / (2 * static_cast<int64_t>(place.h)));
      if (row == previous) {
        memcpy(out, base + static_cast<ptrdiff_t>(y - 1) * target->pitch, static_cast<size_t>(place.w) * 4);
        continue;
      }
      previous = row;
      const uint32_t* in = frame.pixels + static_cast<ptrdiff_t>(row) * frame.pitchPixels;
      const int* cols = w.columns.data();
      for (int x = 0; x < place.w; ++x) out[x] = in[cols[x]];
    }
  }

  void Present(WindowId id, const backend::Frame& frame) override {
    Window* w = Find(id);
    if (!w || w->gone || !frame.pixels || frame.width <= 0 || frame.height <= 0) return;
    if (!w->useRenderer) {
      if (PresentToFramebuffer(*w, frame)) return;
      w->useRenderer = true;
    }
    if (!EnsureRenderer(*w)) return;
    if (!w->texture || w->textureWidth != frame.width || w->textureHeight != frame.height) {
      if (w->texture) SDL_DestroyTexture(w->texture);
      w->texture = SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, frame.width,
                                     frame.height);
      if (!w->texture) return;
      w->textureWidth = frame.width;
      w->textureHeight = frame.height;
      // The picture keeps its aspect ratio, scaled by nearest pixels, with black bars.
      SDL_RenderSetLogicalSize(w->renderer, frame.width, frame.height);
    }
    SDL_UpdateTexture(w->texture, nullptr, frame.pixels, frame.pitchPixels * 4);
    SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
    SDL_RenderClear(w->renderer);
    SDL_RenderCopy(w->renderer, w->texture, nullptr, nullptr);
    SDL_RenderPresent(w->renderer);
  }

  void SetRelativeMouse(bool enabled) override { SDL_SetRelativeMouseMode(enabled ? SDL_TRUE : SDL_FALSE); }

  bool OpenAudio(const backend::AudioSpec& wanted, backend::AudioCallback callback, void* user,
                 backend::AudioSpec& obtained) override {
    if (audioDevice_) return false;
    QuietAlsa();
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      fprintf(stderr, "rallex: no audio device: %s\n", SDL_GetError());
      return false;
    }
    callback_ = callback;
    callbackUser_ = user;
    SDL_AudioSpec want{}, have{};
    want.freq = wanted.rate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(wanted.channels);
    want.samples = static_cast<Uint16>(wanted.bufferFrames);
    want.callback = &SdlBackend::AudioThunk;
    want.userdata = this;
    audioDevice_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (!audioDevice_) {
      fprintf(stderr, "rallex: no audio device: %s\n", SDL_GetError());
      return false;
    }
    obtained.rate = have.freq;
    obtained.channels = have.channels;
    obtained.bufferFrames = have.samples;
    audioChannels_ = have.channels;
    SDL_PauseAudioDevice(audioDevice_, 0);
    return true;
  }

  void CloseAudio() override {
    if (!audioDevice_) return;
    SDL_CloseAudioDevice(audioDevice_);
    audioDevice_ = 0;
  }

  void LockAudio() override {
    if (audioDevice_) SDL_LockAudioDevice(audioDevice_);
  }
  void UnlockAudio() override {
    if (audioDevice_) SDL_UnlockAudioDevice(audioDevice_);
  }

 private:
  // The ALSA library writes its own complaints to standard error (eight lines
  // where there is no sound card); the one line above says what matters. SDL
  // loads the library by name later and gets this same, already quiet, copy.
  static void QuietAlsa() {
    static bool done = false;
    if (done) return;
    done = true;
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (set) set(&SilentAlsaError);
    // Kept loaded: the handler must stay in place for SDL's use of it.
  }
  static void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

  static void AudioThunk(void* self, Uint8* stream, int bytes) {
    auto* b = static_cast<SdlBackend*>(self);
    int frames = bytes / (2 * b->audioChannels_);
    b->callback_(b->callbackUser_, reinterpret_cast<int16_t*>(stream), frames);
  }

  // Opens the joystick at a device index, as a game controller when SDL knows
  // its layout, and describes it in out.
  bool OpenJoystick(int index, Event& out) {
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

  void CloseJoystick() {
    if (controller_) {
      SDL_GameControllerClose(controller_);  // closes its joystick too
    } else if (joystick_) {
      SDL_JoystickClose(joystick_);
    }
    controller_ = nullptr;
    joystick_ = nullptr;
  }

  Window* Find(WindowId id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
  }

  // Marks a window whose X window went away and reports its close once: the
  // program then tears down as for the close box.
  bool ReportGoneWindow(Event& out) {
    if (!x11_) return false;
    x11::CheckWindows();
    for (auto& [id, w] : windows_) {
      if (w.gone || !w.x11Window || !x11::Gone(w.x11Window)) continue;
      w.gone = true;
      if (w.fullScreen || SDL_GetRelativeMouseMode()) SDL_SetRelativeMouseMode(SDL_FALSE);
      out = Event{};
      out.type = Event::Type::CloseRequest;
      out.window = id;
      return true;
    }
    return false;
  }

  static void Destroy(Window& w) {
    // A window closed by the program is watched no longer; one destroyed from
    // outside stays watched, so that the errors its teardown draws pass.
    if (w.x11Window && !w.gone) x11::Forget(w.x11Window);
    if (w.picture) SDL_FreeSurface(w.picture);
    if (w.texture) SDL_DestroyTexture(w.texture);
    if (w.renderer) SDL_DestroyRenderer(w.renderer);
    if (w.window) SDL_DestroyWindow(w.window);
    w = Window{};
  }

  // Turns an SDL event into a backend event; false for events nobody needs.
  bool Convert(const SDL_Event& e, Event& out) {
    out = Event{};
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        out.type = e.type == SDL_KEYDOWN ? Event::Type::KeyDown : Event::Type::KeyUp;
        out.window = e.key.windowID;
        out.scanCode = DirectInputScanCode(e.key.keysym.scancode);
        out.repeat = e.key.repeat != 0;
        return out.scanCode != 0;
      case SDL_MOUSEMOTION:
        out.type = Event::Type::MouseMotion;
        out.window = e.motion.windowID;
        out.x = e.motion.x;
        out.y = e.motion.y;
        out.dx = e.motion.xrel;
        out.dy = e.motion.yrel;
        return true;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
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
      case SDL_JOYAXISMOTION:
        if (controller_ || !joystick_ || e.jaxis.which != SDL_JoystickInstanceID(joystick_)) return false;
        out.type = Event::Type::JoystickAxis;
        out.axis = e.jaxis.axis;
        out.value = e.jaxis.value;
        return true;
      case SDL_JOYBUTTONDOWN:
      case SDL_JOYBUTTONUP:
        if (controller_ || !joystick_ || e.jbutton.which != SDL_JoystickInstanceID(joystick_)) return false;
        out.type = Event::Type::JoystickButton;
        out.button = e.jbutton.button;
        out.pressed = e.type == SDL_JOYBUTTONDOWN;
        return true;
      // A game controller reports in its standard layout: left stick X and Y
      // first, then the right stick and the triggers; buttons A, B, X, Y, ...
      case SDL_CONTROLLERAXISMOTION:
        if (!controller_ || e.caxis.which != SDL_JoystickInstanceID(joystick_)) return false;
        out.type = Event::Type::JoystickAxis;
        out.axis = e.caxis.axis;
        out.value = e.caxis.value;
        return true;
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP:
        if (!controller_ || e.cbutton.which != SDL_JoystickInstanceID(joystick_)) return false;
        out.type = Event::Type::JoystickButton;
        out.button = e.cbutton.button;
        out.pressed = e.type == SDL_CONTROLLERBUTTONDOWN;
        return true;
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
            out.type = Event::Type::FocusLost;
            return true;
          default:
            return false;
        }
      case SDL_QUIT:
        // SDL reports the last window's close as its own quit event too; the
        // window event above already carries it.
        return false;
      default:
        return false;
    }
  }

  uint64_t start_ = 0;
  bool x11_ = false;
  std::string videoProblem_;
  std::map<WindowId, Window> windows_;
  SDL_Joystick* joystick_ = nullptr;
  SDL_GameController* controller_ = nullptr;
  bool reopenJoystick_ = false;
  SDL_AudioDeviceID audioDevice_ = 0;
  int audioChannels_ = 2;
  backend::AudioCallback callback_ = nullptr;
  void* callbackUser_ = nullptr;
};

}  // namespace
}  // namespace platform::sdl

namespace platform::backend {
Backend& Instance() {
  static sdl::SdlBackend backend;
  return backend;
}
}  // namespace platform::backend
