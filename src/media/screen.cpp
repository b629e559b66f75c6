// SPDX-License-Identifier: MIT
#include "media/screen.h"

#include <cstdio>
#include <cstring>

#include "media/errors.h"
#include "media/surface.h"
#include "platform/mmsystem.h"

namespace {

const char kModule[] = "screen";

// Source lines that name the failing device creation in the error box.
constexpr int kLineCreateDefault = 217;
constexpr int kLineQueryDefault = 222;
constexpr int kLineCreateSelected = 1534;
constexpr int kLineQuerySelected = 1538;

// The result of an operation on a Screen that has no device or no buffers.
constexpr HRESULT kNotReady = DDERR_NOTINITIALIZED;

template <typename T>
void ReleaseInterface(T*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

// Copies a driver text into a fixed field, cut to its size with a terminator.
template <size_t N>
void CopyText(char (&field)[N], const char* text) {
  if (!text) {
    field[0] = 0;
    return;
  }
  snprintf(field, N, "%s", text);
}

// Position of the lowest set bit and count of consecutive set bits from there;
// false for an empty mask.
bool MaskPlace(DWORD mask, int& position, int& width) {
  if (mask == 0) return false;
  position = 0;
  while (!(mask & (1u << position))) ++position;
  width = 0;
  while (position + width < 32 && (mask & (1u << (position + width)))) ++width;
  return true;
}

// One channel value (0..255) placed under a mask.
DWORD PlaceChannel(DWORD value, DWORD mask) {
  int position = 0;
  int width = 0;
  if (!MaskPlace(mask, position, width)) return 0;
  uint64_t field;
  if (width <= 8) {
    // The channel's top `width` bits.
    field = static_cast<uint64_t>(value) >> (8 - width);
  } else {
    // Wider than the colour's 8 bits: its bits fill the field's top and repeat
    // downwards, so that 0xFF becomes a full field and 0 stays 0.
    field = 0;
    int filled = 0;
    while (filled < width) {
      field = (field << 8) | value;
      filled += 8;
    }
    field >>= filled - width;
  }
  return static_cast<DWORD>((field << position) & mask);
}

}  // namespace

Screen::Screen() {
  BackBufferInVideoMemory = 1;
  lastTime = timeGetTime();
  OpenDevice(nullptr, kLineCreateDefault, kLineQueryDefault);
  FillDriverList();
  FillModeList();
}

Screen::Screen(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel, int32_t standardVGA) : Screen() {
  CreateFullScreen(window, width, height, bitsPerPixel, standardVGA);
}

Screen::Screen(HWND window, int32_t width, int32_t height) : Screen() { CreateWindowed(window, width, height); }

Screen::~Screen() {
  FreeModeList();
  FreeDriverList();
  if (directDraw) directDraw->RestoreDisplayMode();
  delete back;
  back = nullptr;
  delete front;
  front = nullptr;
  ReleaseInterface(clipper);
  ReleaseInterface(palette);
  ReleaseInterface(directDraw);
}

// Opens a DirectDraw device (the default driver when identifier is null) and
// keeps its IDirectDraw4 interface. A failure shows the DirectDraw error box and
// leaves the Screen without a device.
BOOL Screen::OpenDevice(const GUID* identifier, int createLine, int queryLine) {
  IDirectDraw* first = nullptr;
  HRESULT result = DirectDrawCreate(const_cast<GUID*>(identifier), &first, nullptr);
  if (result != DD_OK || !first) {
    ReportDirectDrawError(result, nullptr, kModule, createLine);
    return FALSE;
  }
  IDirectDraw4* device = nullptr;
  result = first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&device));
  first->Release();
  if (result != DD_OK || !device) {
    ReportDirectDrawError(result, nullptr, kModule, queryLine);
    return FALSE;
  }
  directDraw = device;
  return TRUE;
}

namespace {

struct DriverListBuilder {
  DriverInfo* end;  // the empty node to fill next
};

BOOL WINAPI AddDriver(GUID* identifier, LPSTR description, LPSTR name, LPVOID context, HMONITOR monitor) {
  auto* builder = static_cast<DriverListBuilder*>(context);
  // Open the driver just long enough to read its capabilities; a driver that
  // cannot be opened or asked is left out of the list.
  IDirectDraw* probe = nullptr;
  if (DirectDrawCreate(identifier, &probe, nullptr) != DD_OK || !probe) return DDENUMRET_OK;
  IDirectDraw4* device = nullptr;
  HRESULT result = probe->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&device));
  probe->Release();
  if (result != DD_OK || !device) return DDENUMRET_OK;
  DDCAPS hardware{};
  DDCAPS emulation{};
  hardware.dwSize = sizeof(DDCAPS);
  emulation.dwSize = sizeof(DDCAPS);
  result = device->GetCaps(&hardware, &emulation);
  device->Release();
  if (result != DD_OK) return DDENUMRET_OK;

  DriverInfo* node = builder->end;
  if (identifier) {
    node->identifier = *identifier;
    node->identifierRef = &node->identifier;
  } else {
    node->identifierRef = nullptr;
  }
  CopyText(node->name, name);
  CopyText(node->description, description);
  node->hardwareCaps = hardware;
  node->emulationCaps = emulation;
  node->monitor = monitor;
  node->next = new DriverInfo{};
  builder->end = node->next;
  return DDENUMRET_OK;
}

struct ModeListBuilder {
  DisplayMode* end;
};

HRESULT WINAPI AddMode(LPDDSURFACEDESC2 description, LPVOID context) {
  auto* builder = static_cast<ModeListBuilder*>(context);
  if (!description) return DDENUMRET_OK;
  DisplayMode* node = builder->end;
  node->width = static_cast<int32_t>(description->dwWidth);
  node->height = static_cast<int32_t>(description->dwHeight);
  node->bitsPerPixel = static_cast<int32_t>(description->ddpfPixelFormat.dwRGBBitCount);
  node->next = new DisplayMode{};
  builder->end = node->next;
  return DDENUMRET_OK;
}

}  // namespace

void Screen::FillDriverList() {
  FreeDriverList();
  driverList = new DriverInfo{};
  DriverListBuilder builder{driverList};
  DirectDrawEnumerateExA(AddDriver, &builder, DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES);
  driverCount = 0;
  for (DriverInfo* node = driverList; node->next; node = node->next) ++driverCount;
}

void Screen::FillModeList() {
  FreeModeList();
  modeList = new DisplayMode{};
  // Without a device the list stays empty: only its end node.
  if (directDraw) {
    ModeListBuilder builder{modeList};
    directDraw->EnumDisplayModes(DDEDM_STANDARDVGAMODES, nullptr, &builder, AddMode);
  }
  modeCount = 0;
  for (DisplayMode* node = modeList; node->next; node = node->next) ++modeCount;
}

void Screen::FreeModeList() {
  while (modeList) {
    DisplayMode* next = modeList->next;
    delete modeList;
    modeList = next;
  }
  modeCount = 0;
}

void Screen::FreeDriverList() {
  while (driverList) {
    DriverInfo* next = driverList->next;
    delete driverList;
    driverList = next;
  }
  driverCount = 0;
}

BOOL Screen::SelectDriver(uint32_t index) {
  if (index > driverCount || front) return FALSE;
  DriverInfo* node = driverList;
  for (uint32_t i = 0; i < index && node; ++i) node = node->next;
  if (!node) return FALSE;

  FreeModeList();
  ReleaseInterface(directDraw);
  BOOL opened = OpenDevice(node->identifierRef, kLineCreateSelected, kLineQuerySelected);
  FillModeList();
  // A driver that could not be opened leaves the Screen without a device; say so.
  return opened;
}

BOOL Screen::GetMode(uint32_t index, int32_t& width, int32_t& height, int32_t& bitsPerPixel) const {
  if (index >= modeCount) return FALSE;
  const DisplayMode* node = modeList;
  for (uint32_t i = 0; i < index; ++i) node = node->next;
  width = node->width;
  height = node->height;
  bitsPerPixel = node->bitsPerPixel;
  return TRUE;
}

BOOL Screen::HasMode(int32_t width, int32_t height, int32_t bitsPerPixel) const {
  for (const DisplayMode* node = modeList; node && node->next; node = node->next)
    if (node->width == width && node->height == height && node->bitsPerPixel == bitsPerPixel) return TRUE;
  return FALSE;
}

// Both creations start by dropping the buffers, clipper and palette of an
// earlier one; the device stays.
void Screen::ReleaseDisplayObjects() {
  delete back;
  back = nullptr;
  delete front;
  front = nullptr;
  ReleaseInterface(clipper);
  ReleaseInterface(palette);
}

// Size, rectangles, owner, clip rectangle and pixel-format summary of a buffer.
BOOL Screen::SetUpBuffer(Surface* surface, int32_t width, int32_t height) {
  surface->Width = width;
  surface->Height = height;
  surface->SrcRect = RECT{0, 0, width, height};
  surface->DestRect = RECT{0, 0, width, height};
  surface->screen = this;
  surface->SetClipRect(surface->SrcRect);
  return AnalysePixelFormat(surface->ddSurface, &surface->PixelFormatInfo);
}

// Makes the default palette, keeps it and attaches it to the front buffer. A
// display without palettes refuses the attachment, which does not matter.
BOOL Screen::AttachDefaultPalette() {
  palette = LoadPaletteFromBitmap(directDraw, nullptr);
  if (palette && front && front->ddSurface) front->ddSurface->SetPalette(palette);
  return TRUE;
}

BOOL Screen::CreateWindowed(HWND window, int32_t width, int32_t height) {
  if (!directDraw) return FALSE;
  ReleaseDisplayObjects();

  FullScreen = 0;
  Width = width;
  Height = height;
  this->window = window;
  HDC desktop = ::GetDC(nullptr);
  BitsPerPixel = GetDeviceCaps(desktop, PLANES) * GetDeviceCaps(desktop, BITSPIXEL);
  int32_t desktopWidth = GetDeviceCaps(desktop, HORZRES);
  int32_t desktopHeight = GetDeviceCaps(desktop, VERTRES);
  ::ReleaseDC(nullptr, desktop);

  if (directDraw->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK) return FALSE;

  front = new Surface();
  back = new Surface();

  DDSURFACEDESC2 description{};
  description.dwSize = sizeof description;
  description.dwFlags = DDSD_CAPS;
  description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (directDraw->CreateSurface(&description, &front->ddSurface, nullptr) != DD_OK) return FALSE;

  description = DDSURFACEDESC2{};
  description.dwSize = sizeof description;
  description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  description.dwWidth = static_cast<DWORD>(Width);
  description.dwHeight = static_cast<DWORD>(Height);
  description.ddsCaps.dwCaps =
      DDSCAPS_OFFSCREENPLAIN | (BackBufferInVideoMemory == 1 ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  if (directDraw->CreateSurface(&description, &back->ddSurface, nullptr) != DD_OK) {
    if (BackBufferInVideoMemory != 1) return FALSE;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (directDraw->CreateSurface(&description, &back->ddSurface, nullptr) != DD_OK) return FALSE;
  }

  if (directDraw->CreateClipper(0, &clipper, nullptr) != DD_OK) return FALSE;
  if (clipper->SetHWnd(0, window) != DD_OK) return FALSE;
  if (front->ddSurface->SetClipper(clipper) != DD_OK) return FALSE;

  // The primary surface is the whole desktop; the back buffer is the size asked.
  SetUpBuffer(front, desktopWidth, desktopHeight);
  SetUpBuffer(back, Width, Height);

  return AttachDefaultPalette();
}

BOOL Screen::CreateFlippingChain(DWORD caps, DWORD backBufferCount) {
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof description;
  description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  description.ddsCaps.dwCaps = caps;
  description.dwBackBufferCount = backBufferCount;
  return directDraw->CreateSurface(&description, &front->ddSurface, nullptr) == DD_OK;
}

BOOL Screen::CreateFullScreen(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel,
                              int32_t standardVGA) {
  if (!directDraw) return FALSE;
  ReleaseDisplayObjects();

  FullScreen = 1;
  Width = width;
  Height = height;
  BitsPerPixel = bitsPerPixel;
  this->window = window;

  if (directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE |
                                                  DDSCL_ALLOWMODEX) != DD_OK)
    return FALSE;
  if (directDraw->SetDisplayMode(static_cast<DWORD>(Width), static_cast<DWORD>(Height),
                                 static_cast<DWORD>(BitsPerPixel), 0,
                                 standardVGA ? DDSDM_STANDARDVGAMODE : 0) != DD_OK)
    return FALSE;

  front = new Surface();
  back = new Surface();

  const DWORD chain = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
  DWORD caps = chain | (BackBufferInVideoMemory != 0 ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  bool created = false;
  if (TripleBuffering == 1) {
    created = CreateFlippingChain(caps, 2);
    if (!created) TripleBuffering = 0;
  }
  if (!created) {
    created = CreateFlippingChain(caps, 1);
    if (!created && BackBufferInVideoMemory == 1) {
      caps = chain | DDSCAPS_SYSTEMMEMORY;
      created = CreateFlippingChain(caps, 1);
    }
    if (!created) return FALSE;
  }

  DDSCAPS2 backCaps{};
  backCaps.dwCaps = DDSCAPS_BACKBUFFER;
  if (front->ddSurface->GetAttachedSurface(&backCaps, &back->ddSurface) != DD_OK) return FALSE;

  SetUpBuffer(front, Width, Height);
  SetUpBuffer(back, Width, Height);

  return AttachDefaultPalette();
}

BOOL Screen::Create(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (bitsPerPixel == 0) return CreateWindowed(window, width, height);
  return CreateFullScreen(window, width, height, bitsPerPixel, 0);
}

HRESULT Screen::WaitForVerticalBlank() {
  if (!directDraw) return kNotReady;
  return directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
}

void Screen::RestoreSurfaces() {
  if (front && front->ddSurface && front->ddSurface->IsLost() == DDERR_SURFACELOST) front->ddSurface->Restore();
  // In full-screen mode the back buffer is attached to the front buffer and came
  // back with it.
  if (!FullScreen && back && back->ddSurface && back->ddSurface->IsLost() == DDERR_SURFACELOST)
    back->ddSurface->Restore();
}

HRESULT Screen::Flip(int32_t wait, int32_t stretch, int32_t show) {
  DWORD now = timeGetTime();
  elapsedTime += now - lastTime;
  lastTime = now;
  if (elapsedTime > 1000) {
    frameRate = static_cast<uint32_t>(static_cast<double>(frameCounter) / elapsedTime * 1000.0);
    elapsedTime = 0;
    frameCounter = 0;
  }
  frameCounter += 1;

  if (!front || !front->ddSurface || !back || !back->ddSurface) return kNotReady;

  if (show) {
    char text[32] = {};
    snprintf(text, sizeof text, "FPS = %d", static_cast<int>(frameRate));
    back->GetDC();
    back->DrawTextAt(10, 20, 0x00FFF0, text);
    back->ReleaseDC();
  }

  HRESULT result;
  if (FullScreen) {
    result = front->ddSurface->Flip(nullptr, wait == 1 ? DDFLIP_WAIT : DDFLIP_NOVSYNC);
  } else {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT target = client;
    OffsetRect(&target, origin.x, origin.y);
    if (wait == 1) WaitForVerticalBlank();
    if (stretch) {
      result = front->ddSurface->Blt(&target, back->ddSurface, nullptr, DDBLT_WAIT, nullptr);
    } else {
      RECT source{0, 0, client.right - client.left, client.bottom - client.top};
      result = front->ddSurface->Blt(&target, back->ddSurface, &source, DDBLT_WAIT, nullptr);
    }
  }
  if (result == DDERR_SURFACELOST) RestoreSurfaces();
  return result;
}

HRESULT Screen::Fill(DWORD value) {
  if (!back || !back->ddSurface) return kNotReady;
  DDBLTFX effects{};
  effects.dwSize = sizeof effects;
  effects.dwFillColor = value;
  return back->ddSurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
}

BOOL Screen::LoadBitmapToBack(const char* name) {
  if (!name || !back || !back->ddSurface) return FALSE;
  return ReloadBitmap(back->ddSurface, name) == 0;
}

DWORD Screen::ColorToPixel(COLORREF color, Surface* surface) {
  Surface* target = surface ? surface : back;
  if (!target || !target->ddSurface) return color;
  DDPIXELFORMAT format{};
  format.dwSize = sizeof format;
  if (target->ddSurface->GetPixelFormat(&format) != DD_OK) return color;
  if (format.dwRGBBitCount <= 8) return color;

  DWORD red = color & 0xFF;
  DWORD green = (color >> 8) & 0xFF;
  DWORD blue = (color >> 16) & 0xFF;
  return PlaceChannel(red, format.dwRBitMask) | PlaceChannel(green, format.dwGBitMask) |
         PlaceChannel(blue, format.dwBBitMask);
}
