// SPDX-License-Identifier: MIT
// The seam between the platform layer and the real machine. Everything that
// touches the outside world -- the clock, sleeping, window-system events, message
// boxes, showing frames and playing audio -- goes through one Backend; what the
// machine offers without a window (font files, data files, the MIDI
// synthesizer, being told that the program has ended) goes through the
// functions at the end of this header. Three implementations exist: "sdl" (the
// desktop), "web" (the browser) and "headless" (virtual time, scripted by the
// test controls). A program picks one by linking it; Instance() and the
// functions below are defined by the backend that was linked (the two desktop
// backends share theirs, in desktop/). The backends include only this folder
// and the public headers: nothing of the subsystems above them.
#pragma once

#include <cstdint>
#include <string>

namespace platform::backend {

// A window of the backend, created for each top-level platform window.
using WindowId = uint32_t;
constexpr WindowId kNoWindow = 0;

// Events reported by the backend, in the platform's own terms.
struct Event {
  enum class Type {
    KeyDown,       // scanCode and extended are set; repeat is true for auto-repeat
    KeyUp,
    MouseMotion,   // dx, dy: relative motion; x, y: position in the window
    MouseButton,   // button 0..3 (left, right, middle, fourth), pressed
    MouseWheel,    // dy: wheel clicks
    JoystickAdded,   // joystickName, joystickAxes, joystickButtons, gamepad are set
    JoystickRemoved,
    JoystickAxis,  // axis 0 = x, 1 = y, ...; value -32768..32767
    JoystickButton,  // button 0..31, pressed
    CloseRequest,  // the window's close box
    FocusGained,
    FocusLost,
    Quit,          // the backend itself is going away (e.g. session ended)
    // The audio device went away (unplugged, the sound server restarted): the
    // backend closed it and keeps pulling the callback at the device's pace
    // into silence. Back: a device is open again, at the same rate.
    AudioDeviceLost,
    AudioDeviceBack,
  };
  Type type = Type::Quit;
  WindowId window = kNoWindow;
  // Keys: the keyboard's set-1 scan code as DirectInput numbers keys
  // (0x01 Escape ... ; extended keys carry 0x80 in the DirectInput code).
  uint32_t scanCode = 0;
  bool repeat = false;
  int32_t x = 0, y = 0, dx = 0, dy = 0;
  int32_t button = 0;
  bool pressed = false;
  int32_t axis = 0;
  int32_t value = 0;
  // JoystickAdded: what the attached joystick is.
  std::string joystickName;
  int32_t joystickAxes = 0;
  int32_t joystickButtons = 0;
  bool gamepad = false;  // a game controller (pad) rather than a stick
};

// How a backend wants the 32-bit pixels of a Frame: words 0x00RRGGBB, or the
// bytes R, G, B, 255 of a canvas (words 0xFFBBGGRR on a little-endian
// machine). The display converts its picture to it in one pass.
enum class FrameOrder { Xrgb, CanvasRgba };

// A picture handed to the backend: 32-bit pixels in the backend's FrameOrder,
// top row first.
struct Frame {
  const uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitchPixels = 0;
  // The same picture in the display's own pixel format, when it has one that
  // covers the whole frame (null otherwise): rawBitsPerPixel 8, 16, 24 or 32,
  // rawPitch bytes per row, and the channel masks (zero for 8 bits).
  const uint8_t* raw = nullptr;
  int32_t rawPitch = 0;
  int32_t rawBitsPerPixel = 0;
  uint32_t rawRedMask = 0;
  uint32_t rawGreenMask = 0;
  uint32_t rawBlueMask = 0;
};

// Audio: the mixer pulls interleaved signed 16-bit stereo frames.
using AudioCallback = void (*)(void* user, int16_t* out, int frames);
struct AudioSpec {
  int rate = 44100;
  int channels = 2;
  int bufferFrames = 512;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Clock: milliseconds since the backend started.
  virtual uint32_t Milliseconds() = 0;
  // Blocks (or, headless, advances the virtual clock) for ms milliseconds.
  virtual void Sleep(uint32_t ms) = 0;
  // timeGetTime was asked again within the same millisecond, `repeats` times in
  // a row: someone is waiting by polling the clock. The real backend gives the
  // processor away for a moment; the headless one lets its virtual clock move,
  // so that such a wait ends. Ordinary reads never get here often enough.
  virtual void ClockPolled(uint32_t repeats) { (void)repeats; }

  // Moves window-system events into the backend's queue; returns false when none
  // is waiting. WaitEvent blocks until one arrives or timeoutMs passes.
  virtual bool PollEvent(Event& event) = 0;
  virtual bool WaitEvent(Event& event, uint32_t timeoutMs) = 0;
  // False when no event can ever arrive again (a headless script ran out), so
  // that a blocking wait would never end.
  virtual bool EventsCanArrive() = 0;

  // Windows.
  virtual WindowId CreateWindow(const std::string& title, int clientWidth, int clientHeight, bool visible) = 0;
  virtual void DestroyWindow(WindowId window) = 0;
  virtual void SetWindowTitle(WindowId window, const std::string& title) = 0;
  // Icon pixels, 32-bit 0xAARRGGBB, top row first.
  virtual void SetWindowIcon(WindowId window, const uint32_t* argb, int width, int height) = 0;
  virtual void SetWindowClientSize(WindowId window, int width, int height) = 0;
  virtual void ShowWindow(WindowId window, bool visible) = 0;
  virtual void SetCursorVisible(WindowId window, bool visible) = 0;
  virtual bool HasFocus(WindowId window) = 0;
  // Desktop size in pixels.
  virtual void DesktopSize(int& width, int& height) = 0;

  // Message boxes. buttons: 0 = OK, 4 = Yes/No (MB_ constants); returns IDOK,
  // IDYES or IDNO. A backend that cannot show one returns the first button's id.
  virtual int MessageBox(WindowId owner, const std::string& text, const std::string& caption, unsigned type) = 0;

  // Display. fullScreen shows the frame as the player chose to see an exclusive
  // full-screen mode (on the whole monitor or in a window of its own, scaled
  // as the player's settings say); otherwise the frame is the window's client
  // area.
  virtual void SetFullScreen(WindowId window, bool fullScreen) = 0;
  virtual void Present(WindowId window, const Frame& frame) = 0;
  // False when Present only counts frames and does not look at their pixels
  // (headless with frame capture off); the display then skips converting them
  // and presents an empty Frame.
  virtual bool WantsFramePixels() { return true; }
  virtual FrameOrder PixelOrder() { return FrameOrder::Xrgb; }

  // Mouse: relative mode grabs the pointer so that motion never stops at an edge.
  virtual void SetRelativeMouse(bool enabled) = 0;

  // Audio. OpenAudio starts pulling from callback; obtained holds the real spec.
  virtual bool OpenAudio(const AudioSpec& wanted, AudioCallback callback, void* user, AudioSpec& obtained) = 0;
  virtual void CloseAudio() = 0;
  // Held around changes that the audio callback reads.
  virtual void LockAudio() = 0;
  virtual void UnlockAudio() = 0;
};

// The backend linked into this program.
Backend& Instance();

// --- What the machine offers without a window ---------------------------------
// These do not start the backend (on the desktop, a program that only draws
// text into a surface needs no display).

// A face asked for by a program.
struct FontQuery {
  std::string family;     // as named, or the default face of the generic family
  std::string preferred;  // the metric-compatible face to take first, or empty
  std::string generic;    // "sans", "serif" or "monospace"
  int weight = 400;       // 1..1000, OpenType's scale (400 regular, 700 bold)
  bool italic = false;
};
// The file of the face found: path empty when none could be had.
struct FontFile {
  std::string path;
  int index = 0;       // of the face within the file
  std::string family;  // the family the face belongs to
};
FontFile FindFont(const FontQuery& query);

// Makes the data file at `path` present where the machine does not have it at
// hand: the browser fetches it from the page's `folder`, under the file's own
// name, and suspends the program meanwhile. On the desktop files are there or
// not, and this does nothing.
void FetchDataFile(const std::string& folder, const std::string& path);

// The MIDI synthesizer (backend/synthesizer.h), loaded on the first call; null
// when it cannot be had, with `problem` saying why in a few words.
struct Synthesizer;
const Synthesizer* LoadSynthesizer(std::string& problem);

// The program returned from its main with `status`. The browser's page is told
// (there the runtime outlives main); elsewhere the process is about to end
// anyway.
void ProgramEnded(int status);

}  // namespace platform::backend
