// SPDX-License-Identifier: MIT
/// @file
/// The display: the program's DirectDraw device, its driver and display-mode
/// lists, and the two surfaces that reach the screen (the front buffer and the
/// back buffer every frame is drawn into). Created windowed (a primary surface
/// clipped to the window plus an off-screen back buffer) or exclusive
/// full-screen (a flipping chain with one or two back buffers).
#pragma once

#include <cstdint>

#include "platform/ddraw.h"
#include "platform/windows.h"

class Surface;

/// One display mode the device offers. The list always ends in an empty node
/// (all zero, no next) that the mode count does not count.
struct DisplayMode {
  /// Size in pixels.
  int32_t width = 0;
  /// Size in pixels.
  int32_t height = 0;
  int32_t bitsPerPixel = 0;  ///< the mode's RGB bit count
  /// The next mode; null in the closing empty node.
  DisplayMode* next = nullptr;
};

/// One display driver. identifierRef points at this node's own identifier, or is
/// null for the primary display driver (which is opened without an identifier).
/// The list ends in an empty node as well.
struct DriverInfo {
  /// &identifier, or null for the primary display driver.
  GUID* identifierRef = nullptr;
  /// The driver's identifier as DirectDrawEnumerateExA reported it.
  GUID identifier{};
  /// The driver's name.
  char name[512]{};
  /// The driver's description.
  char description[512]{};
  /// What the driver does itself (IDirectDraw4::GetCaps).
  DDCAPS hardwareCaps{};
  /// What its emulation layer does.
  DDCAPS emulationCaps{};
  /// The monitor the driver shows on (null for the primary display).
  HMONITOR monitor = nullptr;
  /// The next driver; null in the closing empty node.
  DriverInfo* next = nullptr;
};

/// The display: one per program. See the file's description.
class Screen {
 public:
  /// Opens the default driver's device and lists drivers and modes; no surfaces
  /// yet. When the device cannot be opened the error box is shown (the program is
  /// then quitting) and every later operation of this Screen fails cleanly.
  Screen();
  /// Opens the device, then CreateFullScreen.
  Screen(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel, int32_t standardVGA);
  /// Opens the device, then CreateWindowed.
  Screen(HWND window, int32_t width, int32_t height);
  /// Releases the buffers, palette, clipper and device, and the lists.
  ~Screen();

  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  /// @name Creation
  /// Each returns 1 on success and 0 on failure. A creation replaces the
  /// buffers, clipper and palette of an earlier one.
  /** @{ */
  /// A primary surface clipped to window plus an off-screen back buffer of
  /// width x height in the desktop's format.
  BOOL CreateWindowed(HWND window, int32_t width, int32_t height);
  /// The exclusive full-screen mode width x height x bitsPerPixel (standardVGA
  /// non-zero asks for a standard VGA mode) with a flipping chain. How the mode
  /// is shown is the player's choice (see the porting guide).
  BOOL CreateFullScreen(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel, int32_t standardVGA);
  /// Windowed when bitsPerPixel is 0, else full-screen without standard-VGA modes.
  BOOL Create(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel);
  /** @} */

  /// Opens driver `index` of the driver list in place of the current device;
  /// index == driver count opens the default driver. Only before any creation.
  BOOL SelectDriver(uint32_t index);

  /// @name Display modes of the current device
  /** @{ */
  /// The number of modes (the closing empty node not counted).
  uint32_t GetModeCount() const { return modeCount; }
  /// Reports mode `index`; leaves the outputs untouched and returns 0 when index
  /// is not below the mode count.
  BOOL GetMode(uint32_t index, int32_t& width, int32_t& height, int32_t& bitsPerPixel) const;
  /// 1 when the device offers exactly that mode.
  BOOL HasMode(int32_t width, int32_t height, int32_t bitsPerPixel) const;
  /** @} */

  /// @name Drivers found at construction
  /** @{ */
  /// The number of drivers (the closing empty node not counted).
  uint32_t GetDriverCount() const { return driverCount; }
  /// The first node of the driver list.
  const DriverInfo* GetDrivers() const { return driverList; }
  /** @} */

  /// Waits for the start of the next (emulated, 60 Hz) vertical blank.
  HRESULT WaitForVerticalBlank();
  /// Brings lost display buffers back (their contents are not redrawn).
  void RestoreSurfaces();

  /// Counts the frame, optionally writes "FPS = n" onto the back buffer, and
  /// presents it: a page flip in full-screen mode, a blit into the window's part
  /// of the desktop in windowed mode (scaled to the client area when stretch is
  /// non-zero). wait: 1 waits for the vertical blank. Returns the presentation's
  /// result; a lost buffer is restored and the error still returned.
  HRESULT Flip(int32_t wait, int32_t stretch, int32_t show);
  /// @name Screen fades
  /// Fade the picture in from black or out to black over about `duration`
  /// milliseconds (its low 16 bits), one Flip a step, the step sized by the
  /// measured frame time. Nothing happens at 8 bits per pixel.
  /** @{ */
  /// From black to the back buffer's picture.
  void FadeIn(uint32_t duration);
  /// From the back buffer's picture to black.
  void FadeOut(uint32_t duration);
  /** @} */
  /// What the last fade did, for tools that measure it: the frames drawn at a
  /// level, the smallest and largest level step, and its length in ms.
  struct FadeRecord {
    uint32_t frames = 0;  ///< frames drawn at a level
    int32_t smallestStep = 0;  ///< the smallest level step
    int32_t largestStep = 0;  ///< the largest level step
    uint32_t milliseconds = 0;  ///< the fade's length
  };
  /// What the last FadeIn or FadeOut did.
  const FadeRecord& GetLastFade() const { return lastFade; }
  /// Fills the whole back buffer with a raw pixel value.
  HRESULT Fill(DWORD value);
  /// Copies a bitmap (resource or file) onto the back buffer, stretched to it.
  BOOL LoadBitmapToBack(const char* name);
  /// The pixel value of a colour (0x00BBGGRR) in a surface's format (the back
  /// buffer's when surface is null). 8-bit and smaller formats get the colour back
  /// unchanged.
  DWORD ColorToPixel(COLORREF color, Surface* surface = nullptr);

  /// @name The palette of 8-bit modes
  /// 256 entries, changes shown at once. The fades and FillPalette /
  /// GreyPalette leave entry 0 alone; a fade takes 83 steps of at most 3 per
  /// channel, waiting `delay` milliseconds after each. Without a palette the
  /// calls answer DDERR_INVALIDOBJECT or do nothing.
  /** @{ */
  /// The colour table of a bitmap (resource or file) becomes the palette.
  BOOL LoadPalette(const char* name);
  /// Sets one entry; an index outside the palette is refused.
  HRESULT SetPaletteEntry(int32_t index, int32_t red, int32_t green, int32_t blue);
  /// Reads one entry; a refused read leaves the outputs as they were.
  void GetPaletteEntry(int32_t index, int32_t* red, int32_t* green, int32_t* blue);
  /// Sets count entries from first.
  HRESULT SetPaletteEntries(int32_t first, int32_t count, PALETTEENTRY* entries);
  /// Reads count entries from first.
  HRESULT GetPaletteEntries(int32_t first, int32_t count, PALETTEENTRY* entries);
  /// Every entry but 0 becomes the colour.
  HRESULT FillPalette(int32_t red, int32_t green, int32_t blue);
  /// Every entry but 0 becomes the grey of its mean.
  void GreyPalette();
  /// Fades every entry but 0 towards target's.
  void FadePaletteTo(uint32_t delay, const PALETTEENTRY* target);
  /// Fades every entry but 0 towards one colour.
  void FadePaletteToColor(int32_t red, int32_t green, int32_t blue, uint32_t delay);
  /// Fades every entry but 0 to black.
  void FadePaletteOut(uint32_t delay);
  /** @} */

  /// @name What a Surface made on this screen needs of it
  /** @{ */
  /// The DirectDraw device (null when it could not be opened).
  IDirectDraw4* GetDirectDraw() const { return directDraw; }
  /// The window of the last creation.
  HWND GetWindow() const { return window; }
  /// The front buffer (the primary surface).
  Surface* GetFront() const { return front; }
  /// The back buffer every frame is drawn into.
  Surface* GetBack() const { return back; }
  /// The palette (8-bit modes), else null.
  IDirectDrawPalette* GetPalette() const { return palette; }
  /// The clipper of a windowed screen, else null.
  IDirectDrawClipper* GetClipper() const { return clipper; }
  /** @} */

  /// @name The frame-rate counter
  /** @{ */
  /// Frames a second, updated about once a second by Flip.
  uint32_t GetFrameRate() const { return frameRate; }
  /// Flips since the last update of the rate.
  uint32_t GetFrameCounter() const { return frameCounter; }
  /** @} */

 private:
  IDirectDraw4* directDraw = nullptr;
  Surface* front = nullptr;
  Surface* back = nullptr;
  IDirectDrawPalette* palette = nullptr;
  IDirectDrawClipper* clipper = nullptr;

 public:
  int32_t Width = 0;         ///< the display area (the back buffer's size)
  int32_t Height = 0;        ///< the display area (the back buffer's size)
  int32_t BitsPerPixel = 0;  ///< requested depth full-screen; the desktop's windowed

 private:
  HWND window = nullptr;

 public:
  int32_t FullScreen = 0;  ///< 1 after CreateFullScreen, 0 after CreateWindowed

 private:
  uint32_t modeCount = 0;
  DisplayMode* modeList = nullptr;

 public:
  /// When 1, full-screen creation first asks for two back buffers; it reads 0
  /// after the device could not give them.
  int32_t TripleBuffering = 0;
  /// When 1, the buffers are first asked for in video memory.
  int32_t BackBufferInVideoMemory = 1;

 private:
  uint32_t driverCount = 0;
  DriverInfo* driverList = nullptr;

  // Frame-rate counter: Flip calls since the last update, milliseconds since the
  // last update, the clock at the previous Flip (or construction), and the last
  // computed rate.
  uint32_t frameCounter = 0;
  uint32_t elapsedTime = 0;
  uint32_t lastTime = 0;
  uint32_t frameRate = 0;

  FadeRecord lastFade;
  void RunFade(Surface* saved, const RECT& all, int32_t level, int32_t direction, uint32_t duration);

  BOOL OpenDevice(const GUID* identifier, int createLine, int queryLine);
  void FillDriverList();
  void FillModeList();
  void FreeModeList();
  void FreeDriverList();
  void ReleaseDisplayObjects();
  BOOL CreateFlippingChain(DWORD caps, DWORD backBufferCount);
  BOOL SetUpBuffer(Surface* surface, int32_t width, int32_t height);
  BOOL AttachDefaultPalette();
};
