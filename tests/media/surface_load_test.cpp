// SPDX-License-Identifier: MIT
// Image loading on the headless backend: bitmaps and Photoshop files made by
// ImageMagick (the surface's pixels must match ImageMagick's own reading of the
// file), resources before files, streams and library entries, alpha masks,
// palettes, reloading after a loss, and the GDI helpers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/library.h"
#include "media_test_util.h"
#include "surface_fixture.h"

using namespace surface_test;
using namespace media_test;

namespace {

bool Shell(const std::string& command) { return system((command + " 2>/dev/null").c_str()) == 0; }

// ImageMagick's reading of a file as 0x00RRGGBB values and alpha bytes.
struct Reference {
  std::vector<uint32_t> rgb;
  std::vector<uint8_t> alpha;
};

Reference ReadWithImageMagick(const std::string& name, bool psd) {
  Reference r;
  std::string source = psd ? "-define psd:alpha-unblend=off '" + name + "[0]'" : "'" + name + "'";
  if (!Shell("convert " + source + " -depth 8 rgba:ref.rgba")) return r;
  std::vector<uint8_t> rgba = ReadFile("ref.rgba");
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    r.rgb.push_back(static_cast<uint32_t>(rgba[i]) << 16 | static_cast<uint32_t>(rgba[i + 1]) << 8 | rgba[i + 2]);
    r.alpha.push_back(rgba[i + 3]);
  }
  return r;
}

std::vector<uint32_t> Rgb(Surface& s) {
  std::vector<uint32_t> v = ReadPixels(s, 32);
  for (auto& p : v) p &= 0xFFFFFF;
  return v;
}

class SurfaceLoadTest : public SurfaceTest {
 protected:
  ScopedWorkDir dir;
};

}  // namespace

TEST_F(SurfaceLoadTest, BitmapsMatchImageMagick) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  ASSERT_TRUE(Shell("convert -size 37x21 gradient:'#FF8000'-'#0040C0' -fill '#20E020' -draw 'circle 18,10 18,3' "
                    "-depth 8 ref.png"));
  ASSERT_TRUE(Shell("convert ref.png -type truecolor bmp3:true24.bmp"));
  ASSERT_TRUE(Shell("convert ref.png -colors 200 -type palette bmp3:pal8.bmp"));
  ASSERT_TRUE(Shell("convert ref.png -colors 12 -type palette bmp3:pal4.bmp"));
  ASSERT_TRUE(Shell("convert ref.png -monochrome bmp3:mono.bmp"));
  for (const char* name : {"true24.bmp", "pal8.bmp", "pal4.bmp", "mono.bmp"}) {
    Reference ref = ReadWithImageMagick(name, false);
    ASSERT_EQ(ref.rgb.size(), 37u * 21) << name;
    Surface s(display, name, DriverChoice);
    ASSERT_NE(s.ddSurface, nullptr) << name;
    EXPECT_EQ(s.Width, 37);
    EXPECT_EQ(s.Height, 21);
    // The bookkeeping of a loaded surface (before a lock rewrites SurfaceDesc).
    EXPECT_EQ(s.SurfaceDesc.dwFlags, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH);
    EXPECT_EQ(s.SurfaceDesc.dwWidth, 37u);
    EXPECT_EQ(s.SurfaceDesc.ddsCaps.dwCaps, static_cast<DWORD>(DDSCAPS_OFFSCREENPLAIN));
    EXPECT_EQ(Rgb(s), ref.rgb) << name;
    EXPECT_EQ(s.fileName, name);
    EXPECT_EQ(s.ColorKey, 0u);
    EXPECT_EQ(s.AlphaMask, nullptr);
    EXPECT_EQ(s.ClipRect.right, 37);
    EXPECT_EQ(s.SrcRect.bottom, 21);
    EXPECT_EQ(s.DestRect.right, 37);
    EXPECT_EQ(s.PixelFormatInfo.format, 32);

    // The same picture read from a stream, with the size from its header and
    // with the size given.
    FILE* stream = fopen(name, "rb");
    ASSERT_NE(stream, nullptr);
    Surface fromStream;
    EXPECT_TRUE(fromStream.LoadBitmapFromStream(display, stream, 0, SystemMemory)) << name;
    EXPECT_EQ(Rgb(fromStream), ref.rgb) << name;
    rewind(stream);
    EXPECT_TRUE(fromStream.LoadBitmapFromStream(display, stream, static_cast<uint32_t>(ReadFile(name).size()),
                                                SystemMemory));
    EXPECT_EQ(Rgb(fromStream), ref.rgb) << name;
    fclose(stream);
  }
}

TEST_F(SurfaceLoadTest, SixteenBitDisplayConvertsColours) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  ASSERT_TRUE(Shell("convert -size 3x1 xc:black -fill '#FF0000' -draw 'point 0,0' -fill '#00FF00' -draw 'point 1,0' "
                    "-fill '#FFFFFF' -draw 'point 2,0' -type truecolor bmp3:prim.bmp"));
  Surface s(display, "prim.bmp", DriverChoice);
  ASSERT_NE(s.ddSurface, nullptr);
  EXPECT_EQ(ReadPixels(s, 16), (std::vector<uint32_t>{0xF800, 0x07E0, 0xFFFF}));
}

TEST_F(SurfaceLoadTest, PhotoshopFilesMatchImageMagick) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  ASSERT_TRUE(Shell("convert -size 150x9 gradient:'#00FF40'-'#FF00C0' -fill '#123456' -draw 'rectangle 10,2 140,6' "
                    "-alpha off -depth 8 rgb.png"));
  ASSERT_TRUE(Shell("convert -size 33x17 xc:none -fill 'rgba(255,0,0,0.5)' -draw 'circle 16,8 16,1' "
                    "-fill 'rgba(0,200,50,1)' -draw 'rectangle 0,0 6,6' -depth 8 rgba.png"));
  struct Case {
    std::string name;
    const char* make;
    bool alpha;
  } cases[] = {{"rgb_raw.psd", "convert rgb.png -type truecolor -compress None rgb_raw.psd", false},
               {"rgb_rle.psd", "convert rgb.png -type truecolor -compress RLE rgb_rle.psd", false},
               {"rgba_raw.psd", "convert rgba.png -type truecoloralpha -compress None rgba_raw.psd", true},
               {"rgba_rle.psd", "convert rgba.png -type truecoloralpha -compress RLE rgba_rle.psd", true}};
  for (const auto& c : cases) {
    ASSERT_TRUE(Shell(c.make)) << c.name;
    Reference ref = ReadWithImageMagick(c.name, true);
    Surface s(display, c.name.c_str(), DriverChoice);
    ASSERT_NE(s.ddSurface, nullptr) << c.name;
    ASSERT_EQ(ref.rgb.size(), static_cast<size_t>(s.Width) * s.Height) << c.name;
    EXPECT_EQ(Rgb(s), ref.rgb) << c.name;
    EXPECT_EQ(s.fileName, c.name.c_str());
    EXPECT_EQ(s.ColorKey, 0u);
    if (c.alpha) {
      ASSERT_NE(s.AlphaMask, nullptr) << c.name;
      EXPECT_EQ(std::vector<uint8_t>(s.AlphaMask, s.AlphaMask + ref.alpha.size()), ref.alpha) << c.name;
    } else {
      EXPECT_EQ(s.AlphaMask, nullptr) << c.name;
    }
  }

  // Loading a bitmap over a surface that held a Photoshop mask drops the mask.
  Surface s(display, "rgba_rle.psd", DriverChoice);
  ASSERT_NE(s.AlphaMask, nullptr);
  ASSERT_TRUE(Shell("convert rgb.png -type truecolor bmp3:plain.bmp"));
  ASSERT_TRUE(s.Load(display, "plain.bmp", DriverChoice));
  EXPECT_EQ(s.AlphaMask, nullptr);
}

TEST_F(SurfaceLoadTest, WhatCannotBeLoadedFails) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  WriteFile("text.bmp", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
  std::vector<uint8_t> badPsd = {'8', 'B', 'P', 'S', 0, 2};
  badPsd.resize(64, 0);
  WriteFile("bad.psd", badPsd);
  Surface s;
  EXPECT_FALSE(s.Load(display, "text.bmp", DriverChoice));
  EXPECT_FALSE(s.Load(display, "bad.psd", DriverChoice));
  EXPECT_FALSE(s.Load(display, "missing.bmp", DriverChoice));
  EXPECT_FALSE(s.Load(display, nullptr, DriverChoice));
  EXPECT_FALSE(s.LoadPhotoshop(display, "text.bmp", DriverChoice));
  EXPECT_EQ(s.ddSurface, nullptr);
  FILE* stream = fopen("text.bmp", "rb");
  EXPECT_FALSE(s.LoadBitmapFromStream(display, stream, 0, DriverChoice));
  fclose(stream);
  EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(SurfaceLoadTest, ResourceComesBeforeFile) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  // A file of the resource's name with another picture.
  ASSERT_TRUE(Shell("convert -size 2x2 xc:'#FFFFFF' -type truecolor bmp3:SURFACE_PICTURE"));
  Surface s(display, "SURFACE_PICTURE", DriverChoice);
  ASSERT_NE(s.ddSurface, nullptr);
  EXPECT_EQ(s.Width, 6);
  EXPECT_EQ(s.Height, 3);
  Reference ref = ReadWithImageMagick(RALLEX_SOURCE_DIR "/tests/media/data/res_picture.bmp", false);
  EXPECT_EQ(Rgb(s), ref.rgb);
}

TEST_F(SurfaceLoadTest, LibraryEntriesLoadInPlace) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  ASSERT_TRUE(Shell("convert -size 5x4 gradient:red-blue -type truecolor bmp3:a.bmp"));
  ASSERT_TRUE(Shell("convert -size 3x7 xc:'#336699' -colors 4 -type palette bmp3:b.bmp"));
  std::vector<uint8_t> a = ReadFile("a.bmp"), b = ReadFile("b.bmp");
  std::vector<uint8_t> lib = {'R', 'X', 'D', 'C'};
  Put32LE(lib, 2);
  Put32LE(lib, 3);
  uint32_t offset = 12 + 3 * 13;
  auto record = [&](uint32_t off, uint32_t size, uint8_t type, uint32_t id) {
    Put32LE(lib, off);
    Put32LE(lib, size);
    lib.push_back(type);
    Put32LE(lib, id);
  };
  record(offset, static_cast<uint32_t>(a.size()), 1, 500);
  record(offset + static_cast<uint32_t>(a.size()), 0, 1, 600);  // size 0: from the bitmap's header
  record(offset + 3, 40, 1, 700);                               // points into the middle of a bitmap
  lib.insert(lib.end(), a.begin(), a.end());
  lib.insert(lib.end(), b.begin(), b.end());
  WriteFile("pictures.rxd", lib);

  ResourceLibrary library;
  ASSERT_TRUE(library.Open("pictures.rxd"));
  Surface s;
  ASSERT_TRUE(s.LoadBitmapFromLibrary(display, &library, library.FindEntryById(600), SystemMemory));
  EXPECT_EQ(Rgb(s), ReadWithImageMagick("b.bmp", false).rgb);
  ASSERT_TRUE(s.LoadBitmapFromLibrary(display, &library, library.FindEntryById(500), SystemMemory));
  EXPECT_EQ(Rgb(s), ReadWithImageMagick("a.bmp", false).rgb);
  EXPECT_FALSE(s.LoadBitmapFromLibrary(display, &library, library.FindEntryById(700), SystemMemory));
  EXPECT_FALSE(s.LoadBitmapFromLibrary(display, &library, 3, SystemMemory));
  EXPECT_FALSE(s.LoadBitmapFromLibrary(display, &library, -1, SystemMemory));
  EXPECT_FALSE(s.LoadBitmapFromLibrary(display, nullptr, 0, SystemMemory));
}

TEST_F(SurfaceLoadTest, AlphaMaskFiles) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface s(display, 3, 2, SystemMemory);
  std::vector<uint8_t> mask;
  Put32LE(mask, 3);
  Put32LE(mask, 2);
  mask.insert(mask.end(), {9, 8, 7, 6, 5, 4});
  WriteFile("good.msk", mask);
  std::vector<uint8_t> wrong;
  Put32LE(wrong, 2);
  Put32LE(wrong, 3);
  wrong.insert(wrong.end(), {9, 8, 7, 6, 5, 4});
  WriteFile("wrong.msk", wrong);
  EXPECT_FALSE(s.LoadAlphaMask("wrong.msk"));
  EXPECT_EQ(s.AlphaMask, nullptr);
  EXPECT_FALSE(s.LoadAlphaMask("missing.msk"));
  ASSERT_TRUE(s.LoadAlphaMask("good.msk"));
  ASSERT_NE(s.AlphaMask, nullptr);
  EXPECT_EQ(s.AlphaMask[0], 9);
  EXPECT_EQ(s.AlphaMask[5], 4);
  EXPECT_FALSE(s.LoadAlphaMask("good.msk")) << "a surface keeps its first mask";
}

TEST_F(SurfaceLoadTest, LostPicturesAreReadAgain) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  ASSERT_TRUE(Shell("convert -size 9x5 gradient:yellow-purple -type truecolor bmp3:pic.bmp"));
  ASSERT_TRUE(Shell("convert -size 9x5 gradient:cyan-black -alpha off -depth 8 -type truecolor -compress RLE pic.psd"));
  for (const char* name : {"pic.bmp", "pic.psd"}) {
    Surface s(display, name, VideoMemory);
    ASSERT_NE(s.ddSurface, nullptr) << name;
    std::vector<uint32_t> before = Rgb(s);
    headless::LoseAllSurfaces();
    ASSERT_EQ(s.ddSurface->IsLost(), DDERR_SURFACELOST);
    // The lock meets the loss, restores the surface and reads the file again.
    EXPECT_EQ(Rgb(s), before) << name;
  }
  // A created surface comes back without its picture, but usable.
  Surface plain(display, 4, 4, VideoMemory);
  headless::LoseAllSurfaces();
  EXPECT_EQ(ReadPixels(plain, 32).size(), 16u);
}

TEST_F(SurfaceLoadTest, ReloadAndCopyBitmapReportFailures) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  ASSERT_TRUE(Shell("convert -size 4x2 xc:'#00FF00' -type truecolor bmp3:green.bmp"));
  Surface s(display, 8, 4, SystemMemory);
  EXPECT_EQ(ReloadBitmap(s.ddSurface, "green.bmp"), DD_OK);  // stretched over the whole surface
  for (uint32_t p : Rgb(s)) ASSERT_EQ(p, 0x00FF00u);

  size_t lines = headless::DebugOutput().size();
  EXPECT_EQ(ReloadBitmap(s.ddSurface, "missing.bmp"), E_FAIL);
  ASSERT_EQ(headless::DebugOutput().size(), lines + 1);
  EXPECT_EQ(headless::DebugOutput().back(), "handle is null\n");

  ASSERT_NE(s.GetDC(), nullptr);  // a second device context cannot be had
  EXPECT_NE(ReloadBitmap(s.ddSurface, "green.bmp"), DD_OK);
  EXPECT_EQ(headless::DebugOutput().back(), "ddcopybitmap failed\n");
  s.ReleaseDC();
  EXPECT_EQ(CopyBitmap(nullptr, nullptr, 0, 0, 0, 0), E_FAIL);
  EXPECT_EQ(CopyBitmap(s.ddSurface, nullptr, 0, 0, 0, 0), E_FAIL);
}

TEST_F(SurfaceLoadTest, BitmapSurfacesPlainAndScaled) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  ASSERT_TRUE(Shell("convert -size 2x2 xc:'#000000' -fill '#FF0000' -draw 'point 1,0' -type truecolor bmp3:q.bmp"));
  int32_t w = 0, h = 0;
  IDirectDrawSurface4* plain = LoadBitmapSurface(display->GetDirectDraw(), "q.bmp", &w, &h, SystemMemory);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 2);
  plain->Release();
  IDirectDrawSurface4* scaled = LoadBitmapSurfaceScaled(display->GetDirectDraw(), "q.bmp", 6, 4, SystemMemory);
  ASSERT_NE(scaled, nullptr);
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  ASSERT_EQ(scaled->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.dwWidth, 6u);
  EXPECT_EQ(desc.dwHeight, 4u);
  ASSERT_EQ(scaled->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  auto px = [&](int x, int y) {
    return *reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * 4) & 0xFFFFFF;
  };
  EXPECT_EQ(px(0, 0), 0u);
  EXPECT_EQ(px(5, 0), 0xFF0000u);
  EXPECT_EQ(px(5, 3), 0u);
  scaled->Unlock(nullptr);
  scaled->Release();
  EXPECT_EQ(LoadBitmapSurface(display->GetDirectDraw(), "missing.bmp", &w, &h, SystemMemory), nullptr);
  EXPECT_EQ(LoadBitmapSurface(nullptr, "q.bmp", &w, &h, SystemMemory), nullptr);

  DDSURFACEDESC2 given{};
  IDirectDrawSurface4* made = CreatePlainSurface(display->GetDirectDraw(), 7, 3, &given);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(given.dwWidth, 7u);
  EXPECT_EQ(given.ddsCaps.dwCaps, static_cast<DWORD>(DDSCAPS_OFFSCREENPLAIN));
  made->Release();
  made = CreatePlainSurface(display->GetDirectDraw(), 7, 3, nullptr);
  ASSERT_NE(made, nullptr);
  made->Release();
  EXPECT_EQ(CreatePlainSurface(display->GetDirectDraw(), 0, 3, nullptr), nullptr);
}

TEST_F(SurfaceLoadTest, PixelValueOfColourInEveryDepth) {
  struct {
    int depth;
    COLORREF colour;
    DWORD value;
  } cases[] = {{32, RGB(255, 0, 0), 0xFF0000}, {24, RGB(0, 0, 255), 0x0000FF}, {16, RGB(0, 0, 255), 0x001F},
               {16, RGB(255, 0, 0), 0xF800},  {15, RGB(255, 0, 0), 0x7C00},  {8, RGB(255, 255, 255), 255},
               {8, RGB(0, 0, 255), 3}};
  for (const auto& c : cases) {
    Screen* display = Display(c.depth == 15 ? 16 : c.depth);
    ASSERT_NE(display, nullptr);
    Surface s;
    DDPIXELFORMAT format = Rgb555();
    ASSERT_TRUE(MakeWithFormat(s, display, 3, 3, c.depth == 15 ? &format : nullptr));
    ASSERT_TRUE(WritePixels(s, c.depth, [](int, int) { return 0x42u; }));
    DWORD value = PixelValueOfColor(s.ddSurface, c.colour);
    if (c.depth == 32)
      EXPECT_EQ(value & 0xFFFFFF, c.value) << c.depth;
    else
      EXPECT_EQ(value, c.value) << c.depth << " " << std::hex << c.colour;
    EXPECT_EQ(ReadPixels(s, c.depth)[0], 0x42u) << "the top-left pixel is put back; depth " << c.depth;
    EXPECT_EQ(SetColorKeyFromColor(s.ddSurface, c.colour), DD_OK);
    DDCOLORKEY key{};
    s.ddSurface->GetColorKey(DDCKEY_SRCBLT, &key);
    EXPECT_EQ(key.dwColorSpaceLowValue, value);
  }
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface s(display, 3, 3, SystemMemory);
  ASSERT_NE(s.GetDC(), nullptr);  // cannot be locked now
  EXPECT_EQ(PixelValueOfColor(s.ddSurface, RGB(1, 2, 3)), CLR_INVALID);
  s.ReleaseDC();
  EXPECT_EQ(PixelValueOfColor(nullptr, RGB(1, 2, 3)), CLR_INVALID);
}

TEST_F(SurfaceLoadTest, Palettes) {
  Screen* display = Display(8);
  ASSERT_NE(display, nullptr);
  IDirectDraw4* dd = display->GetDirectDraw();
  auto entries = [](IDirectDrawPalette* p) {
    std::vector<PALETTEENTRY> e(256);
    if (p) p->GetEntries(0, 0, 256, e.data());
    return e;
  };
  IDirectDrawPalette* standard = LoadPaletteFromBitmap(dd, nullptr);
  ASSERT_NE(standard, nullptr);
  std::vector<PALETTEENTRY> e = entries(standard);
  EXPECT_EQ(e[255].peRed + e[255].peGreen + e[255].peBlue, 3 * 255);
  EXPECT_EQ(e[0].peRed + e[0].peGreen + e[0].peBlue, 0);
  EXPECT_EQ(e[3].peRed, 0);
  EXPECT_EQ(e[3].peGreen, 0);
  EXPECT_EQ(e[3].peBlue, 255);
  EXPECT_EQ(e[0x24].peRed, 36);  // (1 * 255) / 7, truncated
  EXPECT_EQ(e[0x24].peGreen, 36);
  standard->Release();

  // From an 8-bit file: its colour table, the rest default.
  ASSERT_TRUE(Shell("convert -size 8x1 xc:white -fill '#123456' -draw 'point 0,0' -fill '#ABCDEF' -draw 'point 1,0' "
                    "-type palette -colors 3 bmp3:few.bmp"));
  std::vector<uint8_t> file = ReadFile("few.bmp");
  ASSERT_GT(file.size(), 54u + 12);
  ASSERT_LE(file[28], 8);
  IDirectDrawPalette* fromFile = LoadPaletteFromBitmap(dd, "few.bmp");
  ASSERT_NE(fromFile, nullptr);
  e = entries(fromFile);
  uint32_t used = static_cast<uint32_t>(file[46] | file[47] << 8);
  if (used == 0) used = 1u << file[28];
  for (uint32_t i = 0; i < used; ++i) {
    EXPECT_EQ(e[i].peBlue, file[54 + i * 4]) << i;
    EXPECT_EQ(e[i].peGreen, file[54 + i * 4 + 1]) << i;
    EXPECT_EQ(e[i].peRed, file[54 + i * 4 + 2]) << i;
  }
  fromFile->Release();

  // A header that claims more colours than a palette has is held to 256.
  std::vector<uint8_t> lying = file;
  lying[46] = 0xFF;
  lying[47] = 0xFF;
  lying[48] = 0xFF;
  WriteFile("lying.bmp", lying);
  IDirectDrawPalette* held = LoadPaletteFromBitmap(dd, "lying.bmp");
  ASSERT_NE(held, nullptr);
  held->Release();

  // From a bitmap resource.
  IDirectDrawPalette* fromResource = LoadPaletteFromBitmap(dd, "SURFACE_PALETTE");
  ASSERT_NE(fromResource, nullptr);
  e = entries(fromResource);
  EXPECT_EQ(e[0].peRed, 255);
  EXPECT_EQ(e[0].peGreen, 0);
  EXPECT_EQ(e[1].peGreen, 255);
  EXPECT_EQ(e[2].peBlue, 255);
  EXPECT_EQ(e[2].peRed, 0);
  fromResource->Release();

  EXPECT_EQ(LoadPaletteFromBitmap(dd, "missing.bmp"), nullptr);
}
