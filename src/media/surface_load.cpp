// SPDX-License-Identifier: MIT
// Image loading: Windows bitmaps (program resources, files, streams, library
// entries), Photoshop files with their optional alpha channel, alpha-mask files,
// palettes from bitmaps, and the GDI helpers that work on a bare DirectDraw
// surface.
#include <cstring>
#include <new>

#include "media/internal/image_decode.h"
#include "media/library.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

// A bitmap by name: a program resource first, then a file.
HBITMAP LoadNamedBitmap(const char* name, int32_t width, int32_t height) {
  HANDLE image = LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION);
  if (!image) image = LoadImageA(nullptr, name, IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION | LR_LOADFROMFILE);
  return static_cast<HBITMAP>(image);
}

IDirectDrawSurface4* LoadBitmapSurfaceSized(IDirectDraw4* directDraw, const char* name, int32_t requestedWidth,
                                            int32_t requestedHeight, int32_t* width, int32_t* height,
                                            MemoryType memoryType) {
  if (!directDraw || !name) return nullptr;
  HBITMAP bitmap = LoadNamedBitmap(name, requestedWidth, requestedHeight);
  if (!bitmap) return nullptr;
  BITMAP info;
  memset(&info, 0, sizeof info);
  GetObjectA(bitmap, sizeof info, &info);
  int32_t bitmapWidth = info.bmWidth;
  int32_t bitmapHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;

  DDSURFACEDESC2 desc;
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = CapsOfMemoryType(memoryType);
  desc.dwWidth = static_cast<DWORD>(bitmapWidth);
  desc.dwHeight = static_cast<DWORD>(bitmapHeight);
  IDirectDrawSurface4* surface = nullptr;
  if (bitmapWidth <= 0 || bitmapHeight <= 0 || directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) {
    DeleteObject(bitmap);
    return nullptr;
  }
  CopyBitmap(surface, bitmap, 0, 0, 0, 0);
  DeleteObject(bitmap);
  if (width) *width = bitmapWidth;
  if (height) *height = bitmapHeight;
  return surface;
}

bool FileStartsWith(const char* name, const char (&signature)[5]) {
  FILE* file = fopen(name, "rb");
  if (!file) return false;
  char head[4] = {};
  size_t n = fread(head, 1, sizeof head, file);
  fclose(file);
  return n == sizeof head && memcmp(head, signature, 4) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Surface loaders
// ---------------------------------------------------------------------------

bool Surface::Load(Screen* owner, const char* name, MemoryType memoryType) {
  if (!name) return false;
  ReleaseInterface();
  // Only a Photoshop file brings a mask; one from an earlier picture (of
  // another size, perhaps) must not outlive it.
  delete[] AlphaMask;
  AlphaMask = nullptr;

  int32_t width = 0, height = 0;
  ddSurface = LoadBitmapSurface(owner ? owner->GetDirectDraw() : nullptr, name, &width, &height, memoryType);
  if (ddSurface) {
    Width = width;
    Height = height;
  } else if (FileStartsWith(name, "8BPS")) {
    if (!LoadPhotoshop(owner, name, memoryType)) ReleaseInterface();
  }
  if (!ddSurface) return false;

  uint8_t* mask = AlphaMask;  // SetBookkeeping clears it; a Photoshop load keeps its own
  AlphaMask = nullptr;
  SetBookkeeping(owner, Width, Height);
  AlphaMask = mask;
  fileName = name;
  ColorKey = 0;
  memset(&SurfaceDesc, 0, sizeof SurfaceDesc);
  SurfaceDesc.dwSize = sizeof SurfaceDesc;
  SurfaceDesc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  SurfaceDesc.ddsCaps.dwCaps = CapsOfMemoryType(memoryType);
  SurfaceDesc.dwWidth = static_cast<DWORD>(Width);
  SurfaceDesc.dwHeight = static_cast<DWORD>(Height);
  return true;
}

bool Surface::DrawPixels32(const uint8_t* pixels, int32_t width, int32_t height) {
  BITMAPINFO info;
  memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = 40;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC();
  if (!dc) return false;
  int lines = StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC();
  return lines != static_cast<int>(GDI_ERROR);
}

bool Surface::LoadPhotoshop(Screen* owner, const char* name, MemoryType memoryType) {
  if (!name) return false;
  FILE* file = fopen(name, "rb");
  if (!file) return false;
  PhotoshopImage image;
  bool decoded = DecodePhotoshop(file, image);
  fclose(file);
  if (!decoded) return false;
  if (!Create(owner, image.width, image.height, memoryType)) return false;
  if (!DrawPixels32(image.pixels.get(), image.width, image.height)) {
    ReleaseInterface();
    return false;
  }
  if (image.channels > 3) {
    size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    AlphaMask = new (std::nothrow) uint8_t[count];
    if (!AlphaMask) {
      ReleaseInterface();
      return false;
    }
    for (size_t i = 0; i < count; ++i) AlphaMask[i] = image.pixels[i * 4 + 3];
  }
  return true;
}

bool Surface::LoadBitmapFromStream(Screen* owner, FILE* stream, uint32_t size, MemoryType memoryType) {
  DibImage image;
  if (!ReadBitmapStream(stream, size, image)) return false;
  int32_t rows = image.height < 0 ? -image.height : image.height;
  if (!Create(owner, image.width, rows, memoryType)) return false;
  HDC dc = GetDC();
  if (!dc) return false;
  int lines = StretchDIBits(dc, 0, 0, image.width, rows, 0, 0, image.width, rows, image.bits.get(),
                            reinterpret_cast<const BITMAPINFO*>(image.info), DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC();
  return lines != static_cast<int>(GDI_ERROR);
}

bool Surface::LoadBitmapFromLibrary(Screen* owner, ResourceLibrary* library, int32_t index, MemoryType memoryType) {
  if (!library) return false;
  FILE* stream = library->SeekToEntry(index);
  if (!stream) return false;
  return LoadBitmapFromStream(owner, stream, library->EntrySize(index), memoryType);
}

bool Surface::LoadAlphaMask(const char* name) {
  if (AlphaMask || !name) return false;
  FILE* file = fopen(name, "rb");
  if (!file) return false;
  AlphaMask = ReadAlphaMask(file, Width, Height);
  fclose(file);
  return AlphaMask != nullptr;
}

void Surface::ReloadPicture() {
  // A Photoshop file is decoded again; anything else goes through the bitmap
  // path (a bitmap resource of the name comes first, as it did when loading).
  if (!FindResourceA(GetModuleHandleA(nullptr), fileName, RT_BITMAP) && FileStartsWith(fileName, "8BPS")) {
    FILE* file = fopen(fileName, "rb");
    if (!file) return;
    PhotoshopImage image;
    bool decoded = DecodePhotoshop(file, image);
    fclose(file);
    if (decoded && image.width == Width && image.height == Height)
      DrawPixels32(image.pixels.get(), image.width, image.height);
    return;
  }
  ReloadBitmap(ddSurface, fileName);
}

// ---------------------------------------------------------------------------
// Free helpers on DirectDraw objects
// ---------------------------------------------------------------------------

IDirectDrawSurface4* LoadBitmapSurface(IDirectDraw4* directDraw, const char* name, int32_t* width, int32_t* height,
                                       MemoryType memoryType) {
  return LoadBitmapSurfaceSized(directDraw, name, 0, 0, width, height, memoryType);
}

IDirectDrawSurface4* LoadBitmapSurfaceScaled(IDirectDraw4* directDraw, const char* name, int32_t width,
                                             int32_t height, MemoryType memoryType) {
  return LoadBitmapSurfaceSized(directDraw, name, width, height, nullptr, nullptr, memoryType);
}

HRESULT CopyBitmap(IDirectDrawSurface4* surface, HBITMAP bitmap, int32_t x, int32_t y, int32_t width,
                   int32_t height) {
  if (!surface || !bitmap) return E_FAIL;
  surface->Restore();
  HDC memory = CreateCompatibleDC(nullptr);
  if (!memory)
    OutputDebugStringA("createcompatible dc failed\n");
  else
    SelectObject(memory, bitmap);
  BITMAP info;
  memset(&info, 0, sizeof info);
  GetObjectA(bitmap, sizeof info, &info);
  if (width == 0) width = info.bmWidth;
  if (height == 0) height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;

  DDSURFACEDESC2 desc;
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
  surface->GetSurfaceDesc(&desc);
  HDC dc = nullptr;
  HRESULT hr = surface->GetDC(&dc);
  if (hr == DD_OK) {
    StretchBlt(dc, 0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight), memory, x, y, width, height,
               SRCCOPY);
    surface->ReleaseDC(dc);
  }
  if (memory) DeleteDC(memory);
  return hr;
}

HRESULT ReloadBitmap(IDirectDrawSurface4* surface, const char* name) {
  HBITMAP bitmap = name ? LoadNamedBitmap(name, 0, 0) : nullptr;
  if (!bitmap) {
    OutputDebugStringA("handle is null\n");
    return E_FAIL;
  }
  HRESULT hr = CopyBitmap(surface, bitmap, 0, 0, 0, 0);
  if (hr != DD_OK) OutputDebugStringA("ddcopybitmap failed\n");
  DeleteObject(bitmap);
  return hr;
}

PALETTEENTRY DefaultPaletteEntry(int index) {
  PALETTEENTRY entry;
  entry.peRed = static_cast<BYTE>(((index >> 5) & 7) * 255 / 7);
  entry.peGreen = static_cast<BYTE>(((index >> 2) & 7) * 255 / 7);
  entry.peBlue = static_cast<BYTE>((index & 3) * 255 / 3);
  entry.peFlags = 0;
  return entry;
}

namespace {

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Number of colour-table entries a header describes, held to the 256 a palette
// has.
uint32_t ColorCount(uint32_t bitCount, uint32_t colorsUsed) {
  uint32_t count = colorsUsed != 0 ? colorsUsed : 1u << bitCount;
  return count > 256 ? 256 : count;
}

// Palette from a bitmap resource: the information header (a file header in
// front of it is stepped over) and its colour table, read only as far as the
// resource reaches.
void PaletteFromResource(const uint8_t* data, size_t size, PALETTEENTRY* palette) {
  if (size >= 14 && data[0] == 'B' && data[1] == 'M') {
    data += 14;
    size -= 14;
  }
  if (size < 40) return;
  uint32_t headerSize = Read32(data);
  uint32_t bitCount = static_cast<uint32_t>(data[14] | data[15] << 8);
  if (headerSize < 40 || bitCount > 8 || headerSize > size) return;
  uint32_t count = ColorCount(bitCount, Read32(data + 32));
  size_t available = (size - headerSize) / 4;
  if (count > available) count = static_cast<uint32_t>(available);
  const uint8_t* table = data + headerSize;
  for (uint32_t i = 0; i < count; ++i) {
    palette[i].peRed = table[i * 4 + 2];
    palette[i].peGreen = table[i * 4 + 1];
    palette[i].peBlue = table[i * 4];
    palette[i].peFlags = 0;
  }
}

}  // namespace

IDirectDrawPalette* LoadPaletteFromBitmap(IDirectDraw4* directDraw, const char* name) {
  PALETTEENTRY palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = DefaultPaletteEntry(i);
  if (name) {
    HRSRC resource = FindResourceA(GetModuleHandleA(nullptr), name, RT_BITMAP);
    if (resource) {
      const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(GetModuleHandleA(nullptr), resource)));
      if (!data)
        OutputDebugStringA("lock resource failed\n");
      else
        PaletteFromResource(data, SizeofResource(GetModuleHandleA(nullptr), resource), palette);
    } else {
      HFILE file = _lopen(name, OF_READ);
      if (file == HFILE_ERROR) return nullptr;
      uint8_t fileHeader[14] = {};
      uint8_t infoHeader[40] = {};
      _lread(file, fileHeader, sizeof fileHeader);
      _lread(file, infoHeader, sizeof infoHeader);
      // The colour table is read straight over the entries; a shorter file
      // leaves the default ones behind it.
      _lread(file, palette, sizeof palette);
      _lclose(file);
      uint32_t headerSize = Read32(infoHeader);
      uint32_t bitCount = static_cast<uint32_t>(infoHeader[14] | infoHeader[15] << 8);
      if (headerSize == 40 && bitCount <= 8) {
        uint32_t count = ColorCount(bitCount, Read32(infoHeader + 32));
        for (uint32_t i = 0; i < count; ++i) {
          BYTE blue = palette[i].peRed;
          palette[i].peRed = palette[i].peBlue;
          palette[i].peBlue = blue;
        }
      }
    }
  }
  if (!directDraw) return nullptr;
  IDirectDrawPalette* result = nullptr;
  if (directDraw->CreatePalette(DDPCAPS_8BIT, palette, &result, nullptr) != DD_OK) return nullptr;
  return result;
}

IDirectDrawSurface4* CreatePlainSurface(IDirectDraw4* directDraw, int32_t width, int32_t height,
                                        DDSURFACEDESC2* given) {
  if (!directDraw) return nullptr;
  DDSURFACEDESC2 temporary;
  memset(&temporary, 0, sizeof temporary);
  DDSURFACEDESC2* desc = given ? given : &temporary;
  desc->dwSize = sizeof *desc;
  desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc->dwWidth = static_cast<DWORD>(width);
  desc->dwHeight = static_cast<DWORD>(height);
  IDirectDrawSurface4* surface = nullptr;
  if (directDraw->CreateSurface(desc, &surface, nullptr) != DD_OK) return nullptr;
  return surface;
}

DWORD PixelValueOfColor(IDirectDrawSurface4* surface, COLORREF color) {
  if (!surface) return CLR_INVALID;
  COLORREF saved = CLR_INVALID;
  bool wrote = false;
  HDC dc = nullptr;
  if (color != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
    saved = GetPixel(dc, 0, 0);
    SetPixel(dc, 0, 0, color);
    surface->ReleaseDC(dc);
    wrote = true;
  }
  DWORD value = ReadFirstPixel(surface);
  if (wrote && surface->GetDC(&dc) == DD_OK) {
    SetPixel(dc, 0, 0, saved);
    surface->ReleaseDC(dc);
  }
  return value;
}

HRESULT SetColorKeyFromColor(IDirectDrawSurface4* surface, COLORREF color) {
  if (!surface) return DDERR_INVALIDPARAMS;
  DWORD value = PixelValueOfColor(surface, color);
  DDCOLORKEY key = {value, value};
  return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}
