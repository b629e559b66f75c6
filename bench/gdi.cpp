// SPDX-License-Identifier: MIT
// The GDI's per-frame and loading work beside its peers, in the same run:
// - one line of text (the frame-rate line) onto an 800 x 600 16-bit picture:
//   TextOutA against SDL_ttf's solid renderer (render, blit, free);
// - a whole 800 x 600 32-bit picture copied into 16 bits, 1:1 and scaled up
//   from 400 x 300: StretchBlt against pixman's composite (nearest filter);
// - reading an 800 x 600 24-bit bitmap from memory: our reader against
//   SDL_LoadBMP_RW;
// - the whole load path of a picture, read and then copied into a 16-bit
//   picture: a bitmap object made from the file and StretchBlt 1:1, against
//   SDL_LoadBMP_RW and SDL_BlitSurface into an RGB565 surface. (A reader that
//   writes around the cache looks faster alone and loses here.)
#include <benchmark/benchmark.h>

#ifdef RALLEX_HAVE_PEERS
#include <SDL.h>
#include <SDL_ttf.h>
#include "fontfile.h"
#include <pixman.h>
#endif

#include <cstring>
#include <string>
#include <vector>

#include "gdi/bmp.h"
#include "gdi/surface_dc.h"
#include "platform/windows.h"

namespace {

const char kLine[] = "FPS: 60  frames 123456";

struct Picture16 {
  std::vector<uint16_t> px = std::vector<uint16_t>(800 * 600, 0);
  platform::gdi::PixelTarget Target() {
    platform::gdi::PixelTarget t;
    t.bits = reinterpret_cast<uint8_t*>(px.data());
    t.width = 800;
    t.height = 600;
    t.pitch = 1600;
    t.bitCount = 16;
    t.redMask = 0xF800;
    t.greenMask = 0x07E0;
    t.blueMask = 0x001F;
    return t;
  }
};

std::vector<uint32_t> Pattern(int w, int h) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 | ((x ^ y) & 255);
  return px;
}

void BM_TextOut_Gdi(benchmark::State& state) {
  Picture16 pic;
  platform::gdi::PixelTarget t = pic.Target();
  HDC dc = platform::gdi::CreateSurfaceDC(t);
  HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 0));
  for (auto _ : state) TextOutA(dc, 10, 10, kLine, static_cast<int>(sizeof kLine - 1));
  platform::gdi::ReleaseSurfaceDC(dc);
  DeleteObject(font);
}
BENCHMARK(BM_TextOut_Gdi);

void BM_DrawTextWrapped_Gdi(benchmark::State& state) {
  Picture16 pic;
  platform::gdi::PixelTarget t = pic.Target();
  HDC dc = platform::gdi::CreateSurfaceDC(t);
  HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  for (auto _ : state) {
    RECT box{10, 10, 210, 200};
    benchmark::DoNotOptimize(DrawTextA(dc, "Three lines of text wrapped at the spaces of a box two hundred wide.", -1, &box, DT_WORDBREAK));
  }
  platform::gdi::ReleaseSurfaceDC(dc);
  DeleteObject(font);
}
BENCHMARK(BM_DrawTextWrapped_Gdi);

// The font made again for each repaint, as the bitmap font does.
void BM_MakeFontSelectDelete_Gdi(benchmark::State& state) {
  Picture16 pic;
  platform::gdi::PixelTarget t = pic.Target();
  HDC dc = platform::gdi::CreateSurfaceDC(t);
  for (auto _ : state) {
    HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE s;
    GetTextExtentPoint32A(dc, "W", 1, &s);
    SelectObject(dc, old);
    DeleteObject(font);
  }
  platform::gdi::ReleaseSurfaceDC(dc);
}
BENCHMARK(BM_MakeFontSelectDelete_Gdi);

void StretchGdi(benchmark::State& state, int sw, int sh) {
  Picture16 pic;
  platform::gdi::PixelTarget t = pic.Target();
  HDC dc = platform::gdi::CreateSurfaceDC(t);
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(mem, sw, sh);
  SelectObject(mem, bmp);
  BITMAP info;
  GetObjectA(bmp, sizeof info, &info);
  std::vector<uint32_t> src = Pattern(sw, sh);
  std::memcpy(info.bmBits, src.data(), src.size() * 4);
  for (auto _ : state) StretchBlt(dc, 0, 0, 800, 600, mem, 0, 0, sw, sh, SRCCOPY);
  DeleteDC(mem);
  DeleteObject(bmp);
  platform::gdi::ReleaseSurfaceDC(dc);
}
void BM_StretchBlt_1to1_Gdi(benchmark::State& state) { StretchGdi(state, 800, 600); }
void BM_StretchBlt_2x_Gdi(benchmark::State& state) { StretchGdi(state, 400, 300); }
BENCHMARK(BM_StretchBlt_1to1_Gdi);
BENCHMARK(BM_StretchBlt_2x_Gdi);

std::vector<uint8_t> Bmp24(int w, int h) {
  size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> f(54 + stride * h, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, static_cast<uint32_t>(f.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(w));
  put32(22, static_cast<uint32_t>(h));
  f[26] = 1;
  f[28] = 24;
  for (size_t i = 54; i < f.size(); ++i) f[i] = static_cast<uint8_t>(i * 7);
  return f;
}

void BM_ReadBmp_Gdi(benchmark::State& state) {
  std::vector<uint8_t> file = Bmp24(800, 600);
  for (auto _ : state) {
    platform::gdi::DecodedImage img;
    benchmark::DoNotOptimize(platform::gdi::DecodeBmp(file.data(), file.size(), img));
  }
}
BENCHMARK(BM_ReadBmp_Gdi);

void BM_LoadAndCopy_Gdi(benchmark::State& state) {
  std::vector<uint8_t> file = Bmp24(800, 600);
  Picture16 pic;
  platform::gdi::PixelTarget t = pic.Target();
  HDC dc = platform::gdi::CreateSurfaceDC(t);
  for (auto _ : state) {
    HBITMAP bmp = platform::gdi::CreateBitmapFromImage(file.data(), file.size());
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, bmp);
    StretchBlt(dc, 0, 0, 800, 600, mem, 0, 0, 800, 600, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
  }
  platform::gdi::ReleaseSurfaceDC(dc);
}
BENCHMARK(BM_LoadAndCopy_Gdi);

#ifdef RALLEX_HAVE_PEERS
void BM_TextOut_SdlTtf(benchmark::State& state) {
  SDL_Init(0);
  TTF_Init();
  // 13 pixels an em: the em of a 14-pixel Arial cell.
  TTF_Font* font = TTF_OpenFont(FontFile("Arial").c_str(), 13);
  if (!font) {
    state.SkipWithError("no font");
    return;
  }
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
  SDL_Color yellow{255, 255, 0, 255};
  for (auto _ : state) {
    SDL_Surface* line = TTF_RenderText_Solid(font, kLine, yellow);
    SDL_Rect at{10, 10, 0, 0};
    SDL_BlitSurface(line, nullptr, frame, &at);
    SDL_FreeSurface(line);
  }
  SDL_FreeSurface(frame);
  TTF_CloseFont(font);
  TTF_Quit();
}
BENCHMARK(BM_TextOut_SdlTtf);

void StretchPixman(benchmark::State& state, int sw, int sh) {
  std::vector<uint32_t> src = Pattern(sw, sh);
  std::vector<uint16_t> dst(800 * 600);
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_x8r8g8b8, sw, sh, src.data(), sw * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_r5g6b5, 800, 600, reinterpret_cast<uint32_t*>(dst.data()), 1600);
  pixman_transform_t scale;
  pixman_transform_init_scale(&scale, pixman_int_to_fixed(sw) / 800, pixman_int_to_fixed(sh) / 600);
  pixman_image_set_transform(s, &scale);
  pixman_image_set_filter(s, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, 800, 600);
  pixman_image_unref(s);
  pixman_image_unref(d);
}
void BM_Composite_1to1_Pixman(benchmark::State& state) { StretchPixman(state, 800, 600); }
void BM_Composite_2x_Pixman(benchmark::State& state) { StretchPixman(state, 400, 300); }
BENCHMARK(BM_Composite_1to1_Pixman);
BENCHMARK(BM_Composite_2x_Pixman);

void BM_ReadBmp_Sdl(benchmark::State& state) {
  std::vector<uint8_t> file = Bmp24(800, 600);
  for (auto _ : state) {
    SDL_Surface* s = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    benchmark::DoNotOptimize(s);
    SDL_FreeSurface(s);
  }
}
BENCHMARK(BM_ReadBmp_Sdl);

void BM_LoadAndCopy_Sdl(benchmark::State& state) {
  std::vector<uint8_t> file = Bmp24(800, 600);
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
  for (auto _ : state) {
    SDL_Surface* s = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
    SDL_BlitSurface(s, nullptr, target, nullptr);
    SDL_FreeSurface(s);
  }
  SDL_FreeSurface(target);
}
BENCHMARK(BM_LoadAndCopy_Sdl);
#endif

}  // namespace

BENCHMARK_MAIN();
