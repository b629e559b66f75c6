// SPDX-License-Identifier: MIT
// Bitmap reading, checked pixel for pixel against ImageMagick's own reading of
// the same files: every variant is written at test time by `convert` from one
// reference picture (or derived from such a file by rewriting its headers), then
// loaded with LoadImageA and compared. Also copies (StretchBlt, StretchDIBits)
// and the reader's behaviour on truncated and lying files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gdi/bmp.h"
#include "gdi/gdi_internal.h"
#include "gdi/surface_dc.h"
#include "kernel/resources.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kW = 37, kH = 23;  // odd width: every row has padding

uint32_t Get32(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}
void WriteFile(const std::string& path, const Bytes& b) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// The pictures live in a temporary folder made once for the whole program.
const std::string& Dir() {
  static std::string dir = [] {
    char tmpl[] = "/tmp/rallex_gdi_XXXXXX";
    const char* made = mkdtemp(tmpl);
    std::string d = made ? made : "/tmp";
    static std::string cleanup = "rm -rf '" + d + "'";
    if (made) std::atexit([] { (void)!std::system(cleanup.c_str()); });
    // The reference picture: gradients, a checker and pure colours, many distinct colours.
    std::string ppm = "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint8_t r = static_cast<uint8_t>(x * 7), g = static_cast<uint8_t>(y * 11), b = static_cast<uint8_t>((x * y * 5) & 0xFF);
        if ((x / 4 + y / 4) % 5 == 0) r = 255, g = 255, b = 255;
        if (x == 3) r = 255, g = 0, b = 0;
        ppm.push_back(static_cast<char>(r));
        ppm.push_back(static_cast<char>(g));
        ppm.push_back(static_cast<char>(b));
      }
    std::ofstream(d + "/ref.ppm", std::ios::binary) << ppm;
    return d;
  }();
  return dir;
}

// Runs convert on the reference picture; returns the file's path.
std::string Make(const std::string& name, const std::string& options, const std::string& format) {
  std::string out = Dir() + "/" + name + ".bmp";
  std::string cmd = "convert '" + Dir() + "/ref.ppm' " + options + " " + format + ":'" + out + "' 2>/dev/null";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return out;
}

// ImageMagick's reading of a file: 0xAARRGGBB, top row first.
std::vector<uint32_t> Magick(const std::string& path, bool alpha = false) {
  std::string raw = path + (alpha ? ".rgba" : ".rgb");
  std::string cmd = "convert '" + path + "' -depth 8 " + (alpha ? "rgba" : "rgb") + ":'" + raw + "' 2>/dev/null";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  Bytes b = ReadFile(raw);
  size_t n = alpha ? 4 : 3;
  std::vector<uint32_t> px(b.size() / n);
  for (size_t i = 0; i < px.size(); ++i) {
    px[i] = uint32_t(b[i * n]) << 16 | uint32_t(b[i * n + 1]) << 8 | b[i * n + 2];
    if (alpha) px[i] |= uint32_t(b[i * n + 3]) << 24;
  }
  return px;
}

// Our reading through LoadImageA, as 0x00RRGGBB.
bool Ours(const std::string& path, std::vector<uint32_t>& px, int& w, int& h) {
  HBITMAP bmp = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
  if (!bmp) return false;
  BITMAP info{};
  EXPECT_EQ(GetObjectA(bmp, sizeof info, &info), static_cast<int>(sizeof info));
  w = info.bmWidth;
  h = info.bmHeight;
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmWidthBytes, w * 4);
  const auto* bits = static_cast<const uint32_t*>(info.bmBits);
  px.assign(bits, bits + static_cast<size_t>(w) * h);
  for (uint32_t& p : px) p &= 0xFFFFFF;
  DeleteObject(bmp);
  return true;
}

void ExpectSameAsMagick(const std::string& path, const std::string& against = "") {
  std::vector<uint32_t> ours;
  int w = 0, h = 0;
  ASSERT_TRUE(Ours(path, ours, w, h)) << path;
  EXPECT_EQ(w, kW);
  EXPECT_EQ(h, kH);
  std::vector<uint32_t> theirs = Magick(against.empty() ? path : against);
  ASSERT_EQ(theirs.size(), ours.size()) << path;
  int wrong = 0;
  for (size_t i = 0; i < ours.size() && wrong < 5; ++i)
    if (ours[i] != theirs[i]) {
      ++wrong;
      ADD_FAILURE() << path << " pixel (" << i % kW << "," << i / kW << "): ours " << std::hex << ours[i] << " magick "
                    << theirs[i];
    }
}

struct Header {
  uint32_t offBits, size, bitCount, compression, clrUsed;
  int32_t width, height;
};
Header Parse(const Bytes& b) {
  return {Get32(b, 10), Get32(b, 14), uint32_t(b[28] | b[29] << 8), Get32(b, 30), Get32(b, 46),
          static_cast<int32_t>(Get32(b, 18)), static_cast<int32_t>(Get32(b, 22))};
}

class GdiBitmap : public ::testing::Test {
 protected:
  void SetUp() override { platform::headless::Reset(); }
};

TEST_F(GdiBitmap, EveryWrittenVariantReadsAsImageMagickReadsIt) {
  struct Variant {
    const char* name;
    const char* options;
    const char* format;
    uint32_t headerSize, bitCount, compression;
  } variants[] = {
      {"rgb24", "-type TrueColor -compress none", "BMP3", 40, 24, BI_RGB},
      {"pal8", "-colors 200 -type Palette -compress none", "BMP3", 40, 8, BI_RGB},
      {"pal4", "-colors 12 -type Palette -compress none", "BMP3", 40, 4, BI_RGB},
      {"pal1", "-colors 2 -type Palette -compress none", "BMP3", 40, 1, BI_RGB},
      {"rle8", "-colors 200 -type Palette -compress RLE", "BMP3", 40, 8, BI_RLE8},
      {"rle8few", "-colors 5 -type Palette -compress RLE", "BMP3", 40, 8, BI_RLE8},
      {"rgb565", "-define bmp:subtype=RGB565", "BMP", 124, 16, BI_BITFIELDS},
      {"rgb555", "-define bmp:subtype=RGB555", "BMP", 124, 16, BI_BITFIELDS},
      {"argb32", "-alpha on", "BMP", 124, 32, BI_BITFIELDS},
      {"xrgb32", "-alpha on -define bmp3:alpha=true", "BMP3", 40, 32, BI_RGB},
      {"v5rgb24", "", "BMP", 124, 24, BI_RGB},
      {"core24", "", "BMP2", 12, 24, BI_RGB},
      {"core8", "-colors 200 -type Palette", "BMP2", 12, 8, BI_RGB},
  };
  for (const Variant& v : variants) {
    std::string path = Make(v.name, v.options, v.format);
    Bytes file = ReadFile(path);
    ASSERT_GT(file.size(), 30u);
    // The variant is what it is meant to be.
    EXPECT_EQ(Get32(file, 14), v.headerSize) << v.name;
    if (v.headerSize > 12) {
      EXPECT_EQ(Parse(file).bitCount, v.bitCount) << v.name;
      EXPECT_EQ(Parse(file).compression, v.compression) << v.name;
    } else {
      EXPECT_EQ(uint32_t(file[24] | file[25] << 8), v.bitCount) << v.name;
    }
    ExpectSameAsMagick(path);
  }
}

TEST_F(GdiBitmap, AlphaChannelsAreKept) {
  // ImageMagick writes 32-bit bitmaps with an alpha mask; the alpha is read.
  std::string path = Make("alpha32", "-alpha set -channel A -fx 'i/w' +channel", "BMP");
  Bytes bytes = ReadFile(path);
  platform::gdi::DecodedImage img;
  ASSERT_TRUE(platform::gdi::DecodeBmp(bytes.data(), bytes.size(), img));
  EXPECT_TRUE(img.hasAlpha);
  std::vector<uint32_t> theirs = Magick(path, true);
  ASSERT_EQ(theirs.size(), img.pixels.size());
  for (size_t i = 0; i < theirs.size(); ++i) ASSERT_EQ(img.pixels[i], theirs[i]) << i;
  // 4-4-4-4 with alpha: each 4-bit channel spreads over the full range (15 is 255).
  Bytes b4 = ReadFile(Make("argb4444", "-alpha on -define bmp:subtype=ARGB4444", "BMP"));
  ASSERT_TRUE(platform::gdi::DecodeBmp(b4.data(), b4.size(), img));
  Header h = Parse(b4);
  uint32_t first = b4[h.offBits + (kH - 1) * 76] | b4[h.offBits + (kH - 1) * 76 + 1] << 8;  // top-left pixel
  auto spread = [](uint32_t v) { return v * 17; };
  EXPECT_EQ(img.pixels[0], spread(first >> 12) << 24 | spread((first >> 8) & 15) << 16 | spread((first >> 4) & 15) << 8 |
                               spread(first & 15));
}

TEST_F(GdiBitmap, RewrittenHeadersReadTheSame) {
  // Top-down rows: negative height and rows reversed.
  {
    std::string src = Make("td_src", "-type TrueColor -compress none", "BMP3");
    Bytes b = ReadFile(src);
    Header h = Parse(b);
    size_t stride = (kW * 3 + 3) & ~3u;
    Bytes flipped = b;
    for (int r = 0; r < kH; ++r)
      std::memcpy(&flipped[h.offBits + r * stride], &b[h.offBits + (kH - 1 - r) * stride], stride);
    Put32(flipped, 22, static_cast<uint32_t>(-kH));
    WriteFile(Dir() + "/topdown24.bmp", flipped);
    ExpectSameAsMagick(Dir() + "/topdown24.bmp", src);
  }
  // Top-down 8 bits.
  {
    std::string src = Make("td8_src", "-colors 100 -type Palette -compress none", "BMP3");
    Bytes b = ReadFile(src);
    Header h = Parse(b);
    size_t stride = (kW + 3) & ~3u;
    Bytes flipped = b;
    for (int r = 0; r < kH; ++r)
      std::memcpy(&flipped[h.offBits + r * stride], &b[h.offBits + (kH - 1 - r) * stride], stride);
    Put32(flipped, 22, static_cast<uint32_t>(-kH));
    WriteFile(Dir() + "/topdown8.bmp", flipped);
    ExpectSameAsMagick(Dir() + "/topdown8.bmp", src);
  }
  // A 108-byte (version 4) header: the 124-byte one without its last 16 bytes.
  for (const char* opts : {"", "-alpha on", "-define bmp:subtype=RGB565"}) {
    std::string src = Make("v4_src", opts, "BMP");
    Bytes b = ReadFile(src);
    Bytes v4(b.begin(), b.begin() + 14 + 108);
    v4.insert(v4.end(), b.begin() + 14 + 124, b.end());
    Put32(v4, 14, 108);
    Put32(v4, 10, Get32(b, 10) - 16);
    Put32(v4, 2, static_cast<uint32_t>(v4.size()));
    WriteFile(Dir() + "/v4.bmp", v4);
    ExpectSameAsMagick(Dir() + "/v4.bmp", src);
  }
  // 40-byte header with BI_BITFIELDS: the three masks follow the header.
  {
    std::string src = Make("bf_src", "-define bmp:subtype=RGB565", "BMP");
    Bytes b = ReadFile(src);
    Bytes bf(b.begin(), b.begin() + 14 + 40);
    for (int i = 0; i < 3; ++i) {
      bf.resize(bf.size() + 4);
      Put32(bf, bf.size() - 4, Get32(b, 14 + 40 + 4 * i));
    }
    bf.insert(bf.end(), b.begin() + Get32(b, 10), b.end());
    Put32(bf, 14, 40);
    Put32(bf, 10, 14 + 40 + 12);
    WriteFile(Dir() + "/bf40.bmp", bf);
    ExpectSameAsMagick(Dir() + "/bf40.bmp", src);
  }
  // A short colour table: biClrUsed 12 and only twelve entries in the file.
  {
    std::string src = Make("short_src", "-colors 12 -type Palette -compress none", "BMP3");
    Bytes b = ReadFile(src);
    Header h = Parse(b);
    ASSERT_EQ(h.bitCount, 4u);
    Bytes s(b.begin(), b.begin() + 54 + 12 * 4);
    s.insert(s.end(), b.begin() + h.offBits, b.end());
    Put32(s, 46, 12);
    Put32(s, 10, 54 + 48);
    WriteFile(Dir() + "/short4.bmp", s);
    ExpectSameAsMagick(Dir() + "/short4.bmp", src);
  }
}

// Writes a bitmap file around given DIB parts.
Bytes FileOf(const Bytes& header, const Bytes& table, const Bytes& bits) {
  Bytes f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  f.insert(f.end(), header.begin(), header.end());
  f.insert(f.end(), table.begin(), table.end());
  Put32(f, 10, static_cast<uint32_t>(f.size()));
  f.insert(f.end(), bits.begin(), bits.end());
  Put32(f, 2, static_cast<uint32_t>(f.size()));
  return f;
}

Bytes InfoHeader(int32_t w, int32_t h, int bits, uint32_t compression, uint32_t clrUsed = 0, uint32_t sizeImage = 0) {
  Bytes b(40, 0);
  Put32(b, 0, 40);
  Put32(b, 4, static_cast<uint32_t>(w));
  Put32(b, 8, static_cast<uint32_t>(h));
  Put16(b, 12, 1);
  Put16(b, 14, static_cast<uint32_t>(bits));
  Put32(b, 16, compression);
  Put32(b, 20, sizeImage);
  Put32(b, 32, clrUsed);
  return b;
}

Bytes GreyTable(int n) {
  Bytes t;
  for (int i = 0; i < n; ++i) {
    uint8_t v = static_cast<uint8_t>(i * 16);
    t.insert(t.end(), {v, v, v, 0});
  }
  return t;
}

TEST_F(GdiBitmap, RunLengthEscapesReadAsImageMagickReadsThem) {
  // Hand-made run-length pictures with every escape: runs, absolute runs (odd
  // lengths, so with padding), end of line, delta moves and end of bitmap.
  struct Case {
    const char* name;
    int bits;
    uint32_t compression;
    int w, h;
    Bytes data;
  } cases[] = {
      {"rle8esc", 8, BI_RLE8, 9, 5,
       {3, 1, 0, 3, 2, 3, 4, 0, 0, 0,           // row 0: 1 1 1, absolute 2 3 4 (padded), end of line
        0, 2, 2, 1, 2, 5, 0, 0,                 // delta (2, 1): row 1 untouched; at (2, 2): 5 5
        9, 6, 0, 0,                             // row 3: nine 6s
        0, 5, 7, 8, 9, 10, 11, 0, 1, 3, 0, 1,   // row 4: absolute 7..11 (padded), one 3, end of bitmap
        0, 0}},                                 // ignored (ImageMagick wants bytes past the end)
      {"rle4esc", 4, BI_RLE4, 10, 4,
       {5, 0x12, 0, 0,                      // row 0: 1 2 1 2 1, end of line
        0, 3, 0x34, 0x50, 0, 0,             // row 1: absolute 3 4 5 (two bytes, already even)
        0, 2, 3, 0, 4, 0xAB, 0, 0,          // row 2: delta 3 right, then A B A B
        0, 5, 0x67, 0x89, 0xA0, 0, 0, 1,    // row 3: absolute 6 7 8 9 A (3 bytes + pad), end of bitmap
        0, 0}},
  };
  for (Case& c : cases) {
    Bytes f = FileOf(InfoHeader(c.w, c.h, c.bits, c.compression, 16, static_cast<uint32_t>(c.data.size())),
                     GreyTable(16), c.data);
    std::string path = Dir() + "/" + c.name + ".bmp";
    WriteFile(path, f);
    std::vector<uint32_t> ours;
    int w = 0, h = 0;
    ASSERT_TRUE(Ours(path, ours, w, h)) << c.name;
    std::vector<uint32_t> theirs = Magick(path);
    ASSERT_EQ(theirs.size(), ours.size()) << c.name;
    for (size_t i = 0; i < ours.size(); ++i)
      EXPECT_EQ(ours[i], theirs[i]) << c.name << " pixel (" << i % w << "," << i / w << ")";
  }
}

TEST_F(GdiBitmap, ResourcesHoldPackedDibsOrWholeFiles) {
  std::string path = Make("res8", "-colors 60 -type Palette -compress none", "BMP3");
  static Bytes whole = ReadFile(path);
  // The resource form: the file without its 14-byte file header.
  static Bytes packed(whole.begin() + 14, whole.end());
  static const platform::kernel::ResourceEntry entries[] = {
      {"PACKEDPIC", "#2", packed.data(), packed.size()},
      {"WHOLEPIC", "#2", whole.data(), whole.size()},
  };
  platform::kernel::RegisterResources(entries, 2);
  std::vector<uint32_t> theirs = Magick(path);
  for (const char* name : {"PACKEDPIC", "wholepic"}) {
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bmp, nullptr) << name;
    BITMAP info{};
    GetObjectA(bmp, sizeof info, &info);
    ASSERT_EQ(info.bmWidth, kW);
    ASSERT_EQ(info.bmHeight, kH);
    const auto* px = static_cast<const uint32_t*>(info.bmBits);
    for (size_t i = 0; i < theirs.size(); ++i) ASSERT_EQ(px[i] & 0xFFFFFF, theirs[i]) << name << " " << i;
    DeleteObject(bmp);
  }
  // Not a resource of the program, and no file of that name either.
  EXPECT_EQ(LoadImageA(GetModuleHandleA(nullptr), "NOSUCHPIC", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, (Dir() + "/nosuch.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
}

TEST_F(GdiBitmap, LoadImageScalesToARequestedSize) {
  std::string path = Make("scale", "-type TrueColor -compress none", "BMP3");
  HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 74, 10, LR_LOADFROMFILE));
  ASSERT_NE(bmp, nullptr);
  BITMAP info{};
  GetObjectA(bmp, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 74);
  EXPECT_EQ(info.bmHeight, 10);
  std::vector<uint32_t> theirs = Magick(path);
  const auto* px = static_cast<const uint32_t*>(info.bmBits);
  // Twice as wide: columns 2k and 2k+1 are source column k.
  for (int y = 0; y < 10; ++y) {
    int sy = (2 * y + 1) * kH / 20;
    for (int x = 0; x < 74; ++x) ASSERT_EQ(px[y * 74 + x] & 0xFFFFFF, theirs[sy * kW + x / 2]) << x << "," << y;
  }
  DeleteObject(bmp);
}

// A pixel target over a vector, with guard rows above and below and a wider pitch.
struct Target {
  std::vector<uint8_t> mem;
  platform::gdi::PixelTarget t;
  Target(int w, int h, int bits, uint32_t r = 0, uint32_t g = 0, uint32_t b = 0) {
    int pitch = w * bits / 8 + 8;
    mem.assign(static_cast<size_t>(pitch) * (h + 2), 0xA5);
    t.bits = mem.data() + pitch;
    t.width = w;
    t.height = h;
    t.pitch = pitch;
    t.bitCount = bits;
    t.redMask = r;
    t.greenMask = g;
    t.blueMask = b;
    for (int y = 0; y < h; ++y) std::memset(t.bits + y * pitch, 0, static_cast<size_t>(w * bits / 8));
  }
  uint32_t Raw(int x, int y) const {
    uint32_t v = 0;
    std::memcpy(&v, t.bits + y * t.pitch + x * (t.bitCount / 8), t.bitCount / 8);
    return v;
  }
  // Everything outside the target rows' pixels still holds the guard pattern.
  bool GuardsIntact() const {
    for (size_t i = 0; i < mem.size(); ++i) {
      ptrdiff_t off = static_cast<ptrdiff_t>(i) - t.pitch;
      bool inside = off >= 0 && off / t.pitch < t.height && off % t.pitch < t.width * t.bitCount / 8;
      if (!inside && mem[i] != 0xA5) return false;
    }
    return true;
  }
};

TEST_F(GdiBitmap, StretchBltConvertsIntoTheSurfaceFormat) {
  std::string path = Make("blt", "-type TrueColor -compress none", "BMP3");
  std::vector<uint32_t> theirs = Magick(path);
  HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  HDC mem = CreateCompatibleDC(nullptr);
  ASSERT_NE(mem, nullptr);
  HGDIOBJ old = SelectObject(mem, bmp);
  ASSERT_NE(old, nullptr);
  struct Fmt {
    int bits;
    uint32_t r, g, b;
  } formats[] = {{16, 0xF800, 0x07E0, 0x001F}, {16, 0x7C00, 0x03E0, 0x001F}, {24, 0xFF0000, 0xFF00, 0xFF},
                 {32, 0xFF0000, 0xFF00, 0xFF}};
  for (const Fmt& f : formats) {
    Target dst(kW, kH, f.bits, f.r, f.g, f.b);
    HDC dc = platform::gdi::CreateSurfaceDC(dst.t);
    ASSERT_TRUE(StretchBlt(dc, 0, 0, kW, kH, mem, 0, 0, kW, kH, SRCCOPY));
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint32_t c = theirs[y * kW + x];
        uint32_t r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
        uint32_t expect;
        if (f.bits == 16 && f.r == 0xF800) expect = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
        else if (f.bits == 16) expect = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
        else expect = c;
        ASSERT_EQ(dst.Raw(x, y), expect) << f.bits << " bits at " << x << "," << y;
      }
    EXPECT_TRUE(dst.GuardsIntact());
    platform::gdi::ReleaseSurfaceDC(dc);
  }
  EXPECT_EQ(SelectObject(mem, old), bmp);
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_TRUE(DeleteObject(bmp));
}

TEST_F(GdiBitmap, StretchBltScalesMirrorsAndStaysInside) {
  // A 4 x 2 source with distinct pixels.
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(mem, 4, 2);
  SelectObject(mem, bmp);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) SetPixel(mem, x, y, RGB(x * 60, y * 100, 7));
  Target dst(10, 6, 32);
  HDC dc = platform::gdi::CreateSurfaceDC(dst.t);
  // Doubled: each source pixel becomes a 2 x 2 block.
  ASSERT_TRUE(StretchBlt(dc, 1, 1, 8, 4, mem, 0, 0, 4, 2, SRCCOPY));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.Raw(1 + x, 1 + y), uint32_t((x / 2) * 60) << 16 | uint32_t((y / 2) * 100) << 8 | 7);
  EXPECT_EQ(dst.Raw(0, 0), 0u);
  EXPECT_EQ(dst.Raw(9, 5), 0u);
  // A negative destination width mirrors.
  Target m(4, 2, 32);
  HDC mdc = platform::gdi::CreateSurfaceDC(m.t);
  ASSERT_TRUE(StretchBlt(mdc, 4, 0, -4, 2, mem, 0, 0, 4, 2, SRCCOPY));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(m.Raw(x, 0), uint32_t((3 - x) * 60) << 16 | 7);
  // Far past every edge of the destination and the source: nothing outside is touched.
  for (int x : {-100, -3, 5, 9, 200})
    for (int y : {-50, -1, 3, 80}) StretchBlt(dc, x, y, 30, 20, mem, -2, -1, 9, 5, SRCCOPY);
  StretchBlt(dc, 0, 0, INT32_MAX, INT32_MAX, mem, 0, 0, 4, 2, SRCCOPY);
  StretchBlt(dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, mem, INT32_MIN, 0, INT32_MAX, 2, SRCCOPY);
  EXPECT_TRUE(dst.GuardsIntact());
  // A clip region limits the copy.
  Target c(6, 6, 32);
  HDC cdc = platform::gdi::CreateSurfaceDC(c.t);
  HRGN rgn = CreateRectRgn(2, 2, 4, 4);
  SelectClipRgn(cdc, rgn);
  DeleteObject(rgn);
  StretchBlt(cdc, 0, 0, 6, 6, mem, 0, 0, 4, 2, SRCCOPY);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(c.Raw(x, y) != 0, x >= 2 && x < 4 && y >= 2 && y < 4) << x << "," << y;
  // No source DC for a copy that needs one; unknown raster operations.
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 2, 2, nullptr, 0, 0, 2, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 2, 2, mem, 0, 0, 2, 2, 0x00AA0029));
  EXPECT_TRUE(BitBlt(dc, 0, 0, 2, 2, nullptr, 0, 0, WHITENESS));
  EXPECT_EQ(dst.Raw(1, 1), 0xFFFFFFu);
  platform::gdi::ReleaseSurfaceDC(dc);
  platform::gdi::ReleaseSurfaceDC(mdc);
  platform::gdi::ReleaseSurfaceDC(cdc);
  DeleteDC(mem);
  DeleteObject(bmp);
}

// Random copies, scaled both ways, mirrored, half outside the source or the
// target, against the plain per-pixel rule: destination pixel k of a run of n
// takes source pixel floor((2k + 1) * m / 2n) of the matching run of m.
TEST_F(GdiBitmap, StretchBltMatchesThePlainNearestPixelRule) {
  constexpr int kSrcW = 23, kSrcH = 17, kDstW = 41, kDstH = 29;
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(mem, kSrcW, kSrcH);
  SelectObject(mem, bmp);
  BITMAP info;
  ASSERT_EQ(GetObjectA(bmp, sizeof info, &info), static_cast<int>(sizeof info));
  std::mt19937 random(1999);
  auto* src = static_cast<uint32_t*>(info.bmBits);
  for (int i = 0; i < kSrcW * kSrcH; ++i) src[i] = static_cast<uint32_t>(random()) & 0xFFFFFF;
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  auto nonZero = [&](int lo, int hi) {
    int v = 0;
    while (v == 0) v = pick(lo, hi);
    return v;
  };
  struct Fmt {
    int bits;
    uint32_t r, g, b;
  } formats[] = {{16, 0xF800, 0x07E0, 0x001F}, {24, 0xFF0000, 0xFF00, 0xFF}, {32, 0xFF0000, 0xFF00, 0xFF}};
  for (const Fmt& f : formats) {
    for (int round = 0; round < 150; ++round) {
      int dx = pick(-30, 45), dy = pick(-30, 30), dw = nonZero(-90, 90), dh = nonZero(-70, 70);
      int sx = pick(-6, 20), sy = pick(-6, 15), sw = nonZero(-30, 30), sh = nonZero(-22, 22);
      Target dst(kDstW, kDstH, f.bits, f.r, f.g, f.b);
      HDC dc = platform::gdi::CreateSurfaceDC(dst.t);
      ASSERT_TRUE(StretchBlt(dc, dx, dy, dw, dh, mem, sx, sy, sw, sh, SRCCOPY));
      platform::gdi::ReleaseSurfaceDC(dc);

      // The rule, one destination pixel at a time.
      const bool flipX = (dw < 0) != (sw < 0), flipY = (dh < 0) != (sh < 0);
      int64_t x0 = dw < 0 ? dx + dw : dx, y0 = dh < 0 ? dy + dh : dy, w = std::abs(dw), h = std::abs(dh);
      int64_t sx0 = sw < 0 ? sx + sw : sx, sy0 = sh < 0 ? sy + sh : sy, m = std::abs(sw), n = std::abs(sh);
      for (int y = 0; y < kDstH; ++y)
        for (int x = 0; x < kDstW; ++x) {
          uint32_t expect = 0;
          if (x >= x0 && x < x0 + w && y >= y0 && y < y0 + h) {
            int64_t c = (2 * (x - x0) + 1) * m / (2 * w), r = (2 * (y - y0) + 1) * n / (2 * h);
            if (flipX) c = m - 1 - c;
            if (flipY) r = n - 1 - r;
            c += sx0;
            r += sy0;
            if (c >= 0 && c < kSrcW && r >= 0 && r < kSrcH) {
              uint32_t rgb = src[r * kSrcW + c];
              expect = f.bits == 16 ? (rgb >> 19) << 11 | ((rgb >> 10) & 0x3F) << 5 | (rgb & 0xFF) >> 3 : rgb;
            }
          }
          ASSERT_EQ(dst.Raw(x, y), expect) << f.bits << " bits, copy " << dx << "," << dy << " " << dw << "x" << dh
                                           << " from " << sx << "," << sy << " " << sw << "x" << sh << ", at " << x
                                           << "," << y;
        }
      ASSERT_TRUE(dst.GuardsIntact());
    }
  }
  DeleteDC(mem);
  DeleteObject(bmp);
}

TEST_F(GdiBitmap, BitmapSelectionFollowsMemoryDcRules) {
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(a, 3, 3);
  HGDIOBJ first = SelectObject(a, bmp);
  EXPECT_NE(first, nullptr);
  // One bitmap, one memory DC at a time; surface DCs take no bitmaps.
  EXPECT_EQ(SelectObject(b, bmp), nullptr);
  Target t(2, 2, 32);
  HDC s = platform::gdi::CreateSurfaceDC(t.t);
  EXPECT_EQ(SelectObject(s, bmp), nullptr);
  // Deleting the bitmap while selected leaves the DC drawing safely into its pixels.
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_NE(SetPixel(a, 1, 1, RGB(1, 2, 3)), CLR_INVALID);
  EXPECT_EQ(GetPixel(a, 1, 1), RGB(1, 2, 3));
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_FALSE(DeleteDC(a));
  platform::gdi::ReleaseSurfaceDC(s);
}

// A BITMAPINFO with room for a 256-entry colour table.
struct Info {
  BITMAPINFOHEADER h{};
  RGBQUAD colours[256]{};
};

TEST_F(GdiBitmap, StretchDIBitsDrawsEachFormat) {
  Target dst(3, 2, 16, 0xF800, 0x07E0, 0x001F);
  HDC dc = platform::gdi::CreateSurfaceDC(dst.t);
  Info info;
  info.h.biSize = 40;
  info.h.biWidth = 3;
  info.h.biPlanes = 1;
  info.h.biCompression = BI_RGB;
  auto expect565 = [](uint32_t r, uint32_t g, uint32_t b) { return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3; };

  // 32 bits, top row first (negative height), as the Photoshop loader hands them.
  uint32_t px32[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080, 0x000000};
  info.h.biBitCount = 32;
  info.h.biHeight = -2;
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, px32, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(dst.Raw(0, 0), expect565(255, 0, 0));
  EXPECT_EQ(dst.Raw(2, 0), expect565(0, 0, 255));
  EXPECT_EQ(dst.Raw(1, 1), expect565(128, 128, 128));

  // 24 bits, bottom-up: the first row in memory is the bottom row.
  uint8_t px24[2 * 12] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,   // bottom: red green blue, pad
                          255, 255, 255, 0, 0, 0, 8, 16, 24, 0, 0, 0};  // top: white black (24,16,8)
  info.h.biBitCount = 24;
  info.h.biHeight = 2;
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, px24, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(dst.Raw(0, 0), 0xFFFFu);
  EXPECT_EQ(dst.Raw(2, 0), expect565(24, 16, 8));
  EXPECT_EQ(dst.Raw(0, 1), expect565(255, 0, 0));
  // The source rectangle of a bottom-up DIB counts from the bottom row.
  Target one(1, 1, 32);
  HDC onedc = platform::gdi::CreateSurfaceDC(one.t);
  StretchDIBits(onedc, 0, 0, 1, 1, 2, 0, 1, 1, px24, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(one.Raw(0, 0), 0x0000FFu);  // bottom row, third pixel: blue

  // 16 bits, 5-5-5 by default.
  uint16_t px16[2 * 4] = {0x7C00, 0x03E0, 0x001F, 0, 0x7FFF, 0, 0x4210, 0};
  info.h.biBitCount = 16;
  info.h.biHeight = -2;
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, px16, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(dst.Raw(0, 0), 0xF800u);
  EXPECT_EQ(dst.Raw(1, 0), 0x07E0u);
  EXPECT_EQ(dst.Raw(0, 1), 0xFFFFu);
  EXPECT_EQ(dst.Raw(2, 1), expect565(0x84, 0x84, 0x84));

  // 8 bits with a colour table.
  uint8_t px8[2 * 4] = {0, 1, 2, 0, 2, 1, 0, 0};
  info.h.biBitCount = 8;
  info.h.biClrUsed = 3;
  info.colours[0] = {0, 0, 255, 0};
  info.colours[1] = {0, 255, 0, 0};
  info.colours[2] = {255, 255, 255, 0};
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, px8, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(dst.Raw(0, 0), 0xF800u);
  EXPECT_EQ(dst.Raw(2, 0), 0xFFFFu);
  EXPECT_EQ(dst.Raw(0, 1), 0xFFFFu);

  // Nothing drawn: off the surface, bad headers, missing bits.
  EXPECT_EQ(StretchDIBits(dc, 10, 10, 3, 2, 0, 0, 3, 2, px8, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY), GDI_ERROR);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY), GDI_ERROR);
  info.h.biSize = 39;
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, px8, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY), GDI_ERROR);
  info.h.biSize = 40;
  info.h.biBitCount = 7;
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, px8, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY), GDI_ERROR);
  EXPECT_TRUE(dst.GuardsIntact());
  platform::gdi::ReleaseSurfaceDC(dc);
  platform::gdi::ReleaseSurfaceDC(onedc);
}

TEST_F(GdiBitmap, TruncatedFilesFailOrReadSafely) {
  // Every prefix of each file: uncompressed data must be complete to load;
  // run-length data may end early (the rest keeps colour 0). Nothing reads past
  // the buffer (the sanitizer build checks the reads).
  struct V {
    const char* name;
    const char* options;
    const char* format;
    bool compressed;
  } variants[] = {{"t24", "-type TrueColor -compress none", "BMP3", false},
                  {"t8", "-colors 100 -type Palette -compress none", "BMP3", false},
                  {"t565", "-define bmp:subtype=RGB565", "BMP", false},
                  {"tcore", "", "BMP2", false},
                  {"trle", "-colors 100 -type Palette -compress RLE", "BMP3", true}};
  for (const V& v : variants) {
    Bytes full = ReadFile(Make(v.name, v.options, v.format));
    Header h = Parse(full);
    size_t rowBytes = v.name == std::string("t8") ? kW : v.name == std::string("t565") ? kW * 2 : kW * 3;
    size_t stride = (rowBytes + 3) & ~size_t{3};
    size_t needed = h.offBits + stride * (kH - 1) + rowBytes;  // the last row may lack its padding
    for (size_t n = 0; n < full.size(); ++n) {
      // Heap copies of exactly n bytes, so that any read past them is caught.
      std::unique_ptr<uint8_t[]> part(new uint8_t[n ? n : 1]);
      std::memcpy(part.get(), full.data(), n);
      platform::gdi::DecodedImage img;
      bool ok = platform::gdi::DecodeBmp(part.get(), n, img);
      ASSERT_EQ(ok, n >= (v.compressed ? h.offBits : needed)) << v.name << " cut at " << n;
      if (ok) {
        EXPECT_EQ(img.width, kW);
        EXPECT_EQ(img.height, kH);
      }
    }
  }
}

TEST_F(GdiBitmap, LyingHeadersAreRefused) {
  Bytes table = GreyTable(16);
  auto decodes = [](const Bytes& f) {
    platform::gdi::DecodedImage img;
    return platform::gdi::DecodeBmp(f.data(), f.size(), img);
  };
  Bytes good = FileOf(InfoHeader(4, 2, 8, BI_RGB, 16), table, Bytes(8, 1));
  EXPECT_TRUE(decodes(good));

  struct Lie {
    const char* what;
    size_t at;
    uint32_t value;
    int bytes;
  } lies[] = {
      {"width beyond the data", 18, 5000, 4},
      {"height beyond the data", 22, 3, 4},
      {"zero width", 18, 0, 4},
      {"negative width", 18, static_cast<uint32_t>(-4), 4},
      {"zero height", 22, 0, 4},
      {"most negative height", 22, 0x80000000u, 4},
      {"huge width and height", 18, 40000, 4},
      {"unknown bit count", 28, 7, 2},
      {"two bits", 28, 2, 2},
      {"zero bits", 28, 0, 2},
      {"JPEG inside", 30, BI_JPEG, 4},
      {"unknown compression", 30, 9, 4},
      {"run-length 4 on 8 bits", 30, BI_RLE4, 4},
      {"bit fields on 8 bits", 30, BI_BITFIELDS, 4},
      {"header size 0", 14, 0, 4},
      {"header size 39", 14, 39, 4},
      {"header size past the file", 14, 1000, 4},
      {"colour count absurd", 46, 0x40000000u, 4},
  };
  for (const Lie& l : lies) {
    Bytes f = good;
    if (l.bytes == 4) Put32(f, l.at, l.value);
    else Put16(f, l.at, l.value);
    EXPECT_FALSE(decodes(f)) << l.what;
  }
  // A bits offset past the end of the file, or into the header, is not followed:
  // the bits are taken from after the colour table.
  for (uint32_t off : {0u, 20u, 0xFFFFFFF0u}) {
    Bytes f = good;
    Put32(f, 10, off);
    EXPECT_TRUE(decodes(f)) << off;
  }
  // Top-down run-length pictures do not exist.
  Bytes rle = FileOf(InfoHeader(4, -2, 8, BI_RLE8, 16), table, {4, 1, 0, 0, 4, 2, 0, 1});
  EXPECT_FALSE(decodes(rle));
  // A tiny run-length file that claims a huge picture is refused before any allocation.
  Bytes bomb = FileOf(InfoHeader(30000, 30000, 8, BI_RLE8, 16), table, {0, 1});
  EXPECT_FALSE(decodes(bomb));
  // Neither a file nor a packed DIB.
  Bytes junk = {'B', 'A', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  EXPECT_FALSE(decodes(junk));
  EXPECT_FALSE(decodes(Bytes{}));
}

TEST_F(GdiBitmap, IconsAreReadByTheSameReader) {
  std::string path = Make("icon", "-type TrueColor -compress none", "BMP3");
  static Bytes icon = ReadFile(path);
  static const platform::kernel::ResourceEntry entries[] = {{"TESTICON", "#3", icon.data(), icon.size()}};
  platform::kernel::RegisterResources(entries, 1);
  HICON h = LoadIconA(GetModuleHandleA(nullptr), "TESTICON");
  ASSERT_NE(h, nullptr);
  // The icon's pixels reach the window system: a window with it has an icon.
  std::vector<uint32_t> argb;
  int w = 0, hgt = 0;
  ASSERT_TRUE(platform::gdi::DecodeBitmapArgb(icon.data(), icon.size(), w, hgt, argb));
  std::vector<uint32_t> theirs = Magick(path);
  ASSERT_EQ(argb.size(), theirs.size());
  for (size_t i = 0; i < argb.size(); ++i) ASSERT_EQ(argb[i], theirs[i] | 0xFF000000u);
}

}  // namespace
