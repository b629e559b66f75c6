// SPDX-License-Identifier: MIT
// textshot: draws sample text with the platform's GDI onto a 32-bit pixel
// buffer, the way the game and the media layer draw it, and writes it as a PNG
// (at 1:1 and, with a scale argument, enlarged by nearest pixel through
// StretchBlt) so that a person can look at the glyph shapes and the cell layout.
//
//   textshot OUT.png [SCALE]
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gdi/surface_dc.h"
#include "platform/windows.h"

namespace {

struct Picture {
  int width, height;
  std::vector<uint32_t> px;  // 0x00RRGGBB
  Picture(int w, int h, uint32_t fill) : width(w), height(h), px(static_cast<size_t>(w) * h, fill) {}
  platform::gdi::PixelTarget Target() {
    platform::gdi::PixelTarget t;
    t.bits = reinterpret_cast<uint8_t*>(px.data());
    t.width = width;
    t.height = height;
    t.pitch = width * 4;
    t.bitCount = 32;
    t.redMask = 0xFF0000;
    t.greenMask = 0x00FF00;
    t.blueMask = 0x0000FF;
    return t;
  }
};

void Put32BE(std::string& s, uint32_t v) {
  for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
}

void Chunk(std::string& png, const char* type, const std::string& data) {
  Put32BE(png, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  Put32BE(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

bool WritePng(const char* path, const Picture& p) {
  std::string raw;
  raw.reserve(static_cast<size_t>(p.height) * (1 + p.width * 3));
  for (int y = 0; y < p.height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < p.width; ++x) {
      uint32_t c = p.px[static_cast<size_t>(y) * p.width + x];
      raw.push_back(static_cast<char>(c >> 16));
      raw.push_back(static_cast<char>(c >> 8));
      raw.push_back(static_cast<char>(c));
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
               static_cast<uLong>(raw.size())) != Z_OK)
    return false;
  packed.resize(packedSize);
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  Put32BE(ihdr, static_cast<uint32_t>(p.width));
  Put32BE(ihdr, static_cast<uint32_t>(p.height));
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", "");
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}

HFONT Font(const char* face, int height, int weight) {
  return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     NONANTIALIASED_QUALITY, VARIABLE_PITCH, face);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: textshot OUT.png [SCALE]\n");
    return 2;
  }
  int scale = argc > 2 ? std::atoi(argv[2]) : 1;
  if (scale < 1 || scale > 16) scale = 1;

  Picture pic(400, 170, 0x00202050);
  platform::gdi::PixelTarget target = pic.Target();
  HDC dc = platform::gdi::CreateSurfaceDC(target);

  HFONT arial = Font("Arial", 14, FW_NORMAL);
  HFONT bold = Font("Arial", 14, FW_BOLD);
  HFONT courier = Font("Courier", 12, FW_NORMAL);

  // Transparent lines, as DrawTextAt writes them.
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 0));
  SelectObject(dc, arial);
  const char* line1 = "Arial 14: The quick brown fox jumps over 0123456789";
  TextOutA(dc, 4, 4, line1, static_cast<int>(std::strlen(line1)));
  SelectObject(dc, bold);
  SetTextColor(dc, RGB(255, 255, 255));
  const char* line2 = "Arial 14 bold: Your Score: 7  Computer: 10";
  TextOutA(dc, 4, 22, line2, static_cast<int>(std::strlen(line2)));
  SelectObject(dc, courier);
  SetTextColor(dc, RGB(0, 255, 0));
  const char* line3 = "Courier 12: FPS 60 {}[]()<>|\\/ iIl1 oO0";
  TextOutA(dc, 4, 40, line3, static_cast<int>(std::strlen(line3)));

  // Opaque text: each cell filled with the background colour.
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(255, 128, 0));
  SelectObject(dc, arial);
  const char* line4 = "Opaque cells: gjpqy AVWA";
  TextOutA(dc, 4, 58, line4, static_cast<int>(std::strlen(line4)));

  // Glyph cells painted one by one under a clip region each, as a glyph atlas is.
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(90, 0, 0));
  int x = 4;
  for (const char* c = "Wgy{|}~01"; *c; ++c) {
    SIZE cell{};
    GetTextExtentPoint32A(dc, c, 1, &cell);
    HRGN region = CreateRectRgn(x, 78, x + cell.cx, 78 + cell.cy);
    SelectClipRgn(dc, region);
    TextOutA(dc, x, 78, c, 1);
    DeleteObject(region);
    x += cell.cx + 2;
  }
  SelectClipRgn(dc, nullptr);

  // Word-wrapped text in a rectangle, with its outline drawn around it.
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(200, 200, 255));
  RECT box{4, 98, 220, 166};
  int used = DrawTextA(dc, "DrawTextA with DT_WORDBREAK wraps these words inside a box of 216 pixels.", -1, &box,
                       DT_WORDBREAK);
  for (int i = box.left - 1; i <= box.right; ++i) {
    SetPixel(dc, i, box.top - 1, RGB(255, 0, 255));
    SetPixel(dc, i, box.top + used, RGB(255, 0, 255));
  }
  SelectObject(dc, courier);
  RECT centred{230, 98, 396, 166};
  DrawTextA(dc, "centred\r\ntwo lines", -1, &centred, DT_CENTER | DT_WORDBREAK);

  Picture out(pic.width * scale, pic.height * scale, 0);
  platform::gdi::PixelTarget outTarget = out.Target();
  HDC outDc = platform::gdi::CreateSurfaceDC(outTarget);
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(mem, pic.width, pic.height);
  HGDIOBJ old = SelectObject(mem, copy);
  BitBlt(mem, 0, 0, pic.width, pic.height, dc, 0, 0, SRCCOPY);
  StretchBlt(outDc, 0, 0, out.width, out.height, mem, 0, 0, pic.width, pic.height, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(copy);
  platform::gdi::ReleaseSurfaceDC(outDc);
  platform::gdi::ReleaseSurfaceDC(dc);
  DeleteObject(arial);
  DeleteObject(bold);
  DeleteObject(courier);

  if (!WritePng(argv[1], out)) {
    std::fprintf(stderr, "textshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
