// SPDX-License-Identifier: MIT
// Drawing a 30-character line of text every frame: the bitmap font's keyed
// string drawing (one fast rectangle copy per character from the glyph atlas)
// against SDL_ttf's solid renderer (render the line into a new 8-bit surface,
// copy it onto the frame, free it), both onto an 800 x 600 16-bit picture with
// a Liberation Sans face of the same cell height.
#include <benchmark/benchmark.h>
#ifdef RALLEX_HAVE_SDL_TTF
#include <SDL.h>
#include <SDL_ttf.h>
#include "fontfile.h"
#endif

#include <string>

#include "game/bitmapfont.h"
#include "media/screen.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

const char kText[] = "Your Score: 7   Computer: 10 !";
static_assert(sizeof kText - 1 == 30);

HWND MakeWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "BenchFont";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "BenchFont", "bench", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
}

void BM_BitmapFontDrawStringKeyed(benchmark::State& state) {
  platform::headless::Reset();
  HWND window = MakeWindow();
  Screen screen(window, 800, 600, 16, 0);
  Surface* back = screen.GetBack();
  if (!back || !back->ddSurface) {
    state.SkipWithError("no display");
    return;
  }
  BitmapFont font(&screen, "Arial", 14, 0xFFFF, 0, 0, 400);
  HRESULT result = DD_OK;
  for (auto _ : state) {
    result = font.DrawStringKeyed(10, 560, kText, back, -1);
    benchmark::DoNotOptimize(result);
  }
  if (result != DD_OK) state.SkipWithError("drawing failed");
  state.SetItemsProcessed(state.iterations() * 30);
}
BENCHMARK(BM_BitmapFontDrawStringKeyed);

#ifdef RALLEX_HAVE_SDL_TTF
void BM_SdlTtfRenderSolidAndBlit(benchmark::State& state) {
  std::string file = FontFile("Liberation Sans");
  if (file.empty() || TTF_Init() != 0) {
    state.SkipWithError("no font");
    return;
  }
  TTF_Font* font = TTF_OpenFont(file.c_str(), 14);
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
  if (!font || !frame) {
    state.SkipWithError("cannot open the font or make the frame");
    return;
  }
  const SDL_Color ink{0xFF, 0xFF, 0, 0xFF};
  int result = 0;
  for (auto _ : state) {
    SDL_Surface* line = TTF_RenderText_Solid(font, kText, ink);
    SDL_Rect at{10, 560, 0, 0};
    result = line ? SDL_BlitSurface(line, nullptr, frame, &at) : -1;
    SDL_FreeSurface(line);
    benchmark::DoNotOptimize(result);
  }
  if (result != 0) state.SkipWithError("rendering failed");
  state.SetItemsProcessed(state.iterations() * 30);
  SDL_FreeSurface(frame);
  TTF_CloseFont(font);
  TTF_Quit();
}
BENCHMARK(BM_SdlTtfRenderSolidAndBlit);
#endif

}  // namespace

BENCHMARK_MAIN();
