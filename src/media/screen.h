// SPDX-License-Identifier: MIT
// The display: the program's DirectDraw device, its driver and display-mode
// lists, and the two surfaces that reach the screen (the front buffer and the
// back buffer every frame is drawn into). Created windowed (a primary surface
// clipped to the window plus an off-screen back buffer) or exclusive
// full-screen (a flipping chain with one or two back buffers).
#pragma once

#include <cstdint>

#include "platform/ddraw.h"
#include "platform/windows.h"

class Surface;

// One display mode the device offers. The list always ends in an empty node
// (all zero, no next) that the mode count does not count.
struct DisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;  // the mode's RGB bit count
  DisplayMode* next = nullptr;
};

// One display driver. identifierRef points at this node's own identifier, or is
// null for the primary display driver (which is opened without an identifier).
// The list ends in an empty node as well.
struct DriverInfo {
  GUID* identifierRef = nullptr;
  GUID identifier{};
  char name[512]{};
  char description[512]{};
  DDCAPS hardwareCaps{};
  DDCAPS emulationCaps{};
  HMONITOR monitor = nullptr;
  DriverInfo* next = nullptr;
};

class Screen {
 public:
  // Opens the default driver's device and lists drivers and modes; no surfaces
  // yet. When the device cannot be opened the error box is shown (the program is
  // then quitting) and every later operation of this Screen fails cleanly.
  Screen();
  // Opens the device, then CreateFullScreen.
  Screen(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel, int32_t standardVGA);
  // Opens the device, then CreateWindowed.
  Screen(HWND window, int32_t width, int32_t height);
  ~Screen();

  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // Creation; each returns 1 on success and 0 on failure. A creation replaces
  // the buffers, clipper and palette of an earlier one.
  BOOL CreateWindowed(HWND window, int32_t width, int32_t height);
  BOOL CreateFullScreen(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel, int32_t standardVGA);
  // Windowed when bitsPerPixel is 0, else full-screen without standard-VGA modes.
  BOOL Create(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel);

  // Opens driver `index` of the driver list in place of the current device;
  // index == driver count opens the default driver. Only before any creation.
  BOOL SelectDriver(uint32_t index);

  // Display modes of the current device.
  uint32_t GetModeCount() const { return modeCount; }
  // Reports mode `index`; leaves the outputs untouched and returns 0 when index
  // is not below the mode count.
  BOOL GetMode(uint32_t index, int32_t& width, int32_t& height, int32_t& bitsPerPixel) const;
  BOOL HasMode(int32_t width, int32_t height, int32_t bitsPerPixel) const;

  // Drivers found at construction.
  uint32_t GetDriverCount() const { return driverCount; }
  const DriverInfo* GetDrivers() const { return driverList; }

  HRESULT WaitForVerticalBlank();
  // Brings lost display buffers back (their contents are not redrawn).
  void RestoreSurfaces();

  // Counts the frame, optionally writes "FPS = n" onto the back buffer, and
  // presents it: a page flip in full-screen mode, a blit into the window's part
  // of the desktop in windowed mode (scaled to the client area when stretch is
  // non-zero). wait: 1 waits for the vertical blank. Returns the presentation's
  // result; a lost buffer is restored and the error still returned.
  HRESULT Flip(int32_t wait, int32_t stretch, int32_t show);
  // Fade the picture in from black or out to black over about `duration`
  // milliseconds (its low 16 bits), one Flip a step, the step sized by the
  // measured frame time. Nothing happens at 8 bits per pixel.
  void FadeIn(uint32_t duration);
  void FadeOut(uint32_t duration);
  // What the last fade did, for tools that measure it: the frames drawn at a
  // level, the smallest and largest level step, and its length in ms.
  struct FadeRecord {
    uint32_t frames = 0;
    int32_t smallestStep = 0;
    int32_t largestStep = 0;
    uint32_t milliseconds = 0;
  };
  const FadeRecord& GetLastFade() const { return lastFade; }
  // Fills the whole back buffer with a raw pixel value.
  HRESULT Fill(DWORD value);
  // Copies a bitmap (resource or file) onto the back buffer, stretched to it.
  BOOL LoadBitmapToBack(const char* name);
  // The pixel value of a colour (0x00BBGGRR) in a surface's format (the back
  // buffer's when surface is null). 8-bit and smaller formats get the colour back
  // unchanged.
  DWORD ColorToPixel(COLORREF color, Surface* surface = nullptr);

  // The palette of 8-bit modes: 256 entries, changes shown at once. The fades
  // and FillPalette / GreyPalette leave entry 0 alone; a fade takes 83 steps of
  // at most 3 per channel, waiting `delay` milliseconds after each.
  BOOL LoadPalette(const char* name);
  HRESULT SetPaletteEntry(int32_t index, int32_t red, int32_t green, int32_t blue);
  void GetPaletteEntry(int32_t index, int32_t* red, int32_t* green, int32_t* blue);
  HRESULT SetPaletteEntries(int32_t first, int32_t count, PALETTEENTRY* entries);
  HRESULT GetPaletteEntries(int32_t first, int32_t count, PALETTEENTRY* entries);
  HRESULT FillPalette(int32_t red, int32_t green, int32_t blue);
  void GreyPalette();
  void FadePaletteTo(uint32_t delay, const PALETTEENTRY* target);
  void FadePaletteToColor(int32_t red, int32_t green, int32_t blue, uint32_t delay);
  void FadePaletteOut(uint32_t delay);

  // What a Surface made on this screen needs of it.
  IDirectDraw4* GetDirectDraw() const { return directDraw; }
  HWND GetWindow() const { return window; }
  Surface* GetFront() const { return front; }
  Surface* GetBack() const { return back; }
  IDirectDrawPalette* GetPalette() const { return palette; }
  IDirectDrawClipper* GetClipper() const { return clipper; }

  // The frame-rate counter.
  uint32_t GetFrameRate() const { return frameRate; }
  uint32_t GetFrameCounter() const { return frameCounter; }

 private:
  IDirectDraw4* directDraw = nullptr;
  Surface* front = nullptr;
  Surface* back = nullptr;
  IDirectDrawPalette* palette = nullptr;
  IDirectDrawClipper* clipper = nullptr;

 public:
  int32_t Width = 0;         // the display area (the back buffer's size)
  int32_t Height = 0;
  int32_t BitsPerPixel = 0;  // requested depth full-screen; the desktop's windowed

 private:
  HWND window = nullptr;

 public:
  int32_t FullScreen = 0;  // 1 after CreateFullScreen, 0 after CreateWindowed

 private:
  uint32_t modeCount = 0;
  DisplayMode* modeList = nullptr;

 public:
  // When 1, full-screen creation first asks for two back buffers; it reads 0
  // after the device could not give them.
  int32_t TripleBuffering = 0;
  // When 1, the buffers are first asked for in video memory.
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
