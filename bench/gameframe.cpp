// SPDX-License-Identifier: MIT
// One frame of the game without the wait for the vertical blank and the
// presentation: speed-up test, clearing the back buffer, the background copy,
// the rules, the ball and both paddles drawn colour-keyed, and the two score
// lines drawn glyph by glyph from the font's atlas -- against the same frame
// drawn with SDL2 (software surfaces in RGB565, SDL_BlitSurface with colour keys,
// a glyph atlas rendered once with SDL_ttf), in the same run. Run in the assets
// folder (scripts/bench does).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "game/ball.h"
#include "game/main.h"
#include "game/paddles.h"
#include "platform/headless.h"
#include "platform/windows.h"

#ifdef RALLEX_HAVE_SDL_TTF
#include <SDL.h>
#include <SDL_ttf.h>
#include "fontfile.h"
#endif

namespace {

void BM_GameFrame(benchmark::State& state) {
  platform::headless::Reset();
  appInstance = GetModuleHandleA(nullptr);
  if (!InitWindow(SW_SHOWNORMAL) || !InitGame()) {
    state.SkipWithError("no game");
    return;
  }
  for (auto _ : state) {
    DrawGameFrame();
    frameCount++;
  }
  state.counters["points"] = playerScore + computerScore;
  ShutdownGame();
}
BENCHMARK(BM_GameFrame)->Unit(benchmark::kMicrosecond);

#ifdef RALLEX_HAVE_SDL_TTF
// An image converted to the frame's format, with its top-left pixel as colour key.
SDL_Surface* LoadSprite(const char* file, bool keyed) {
  SDL_Surface* loaded = SDL_LoadBMP(file);
  if (!loaded) return nullptr;
  SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB565, 0);
  SDL_FreeSurface(loaded);
  if (s && keyed) SDL_SetColorKey(s, SDL_TRUE, static_cast<const uint16_t*>(s->pixels)[0]);
  return s;
}

// A glyph atlas: characters 32..126 rendered once, yellow on the key colour 0.
struct Atlas {
  SDL_Surface* surface = nullptr;
  SDL_Rect glyphs[128]{};
};

bool BuildAtlas(TTF_Font* font, Atlas& atlas) {
  atlas.surface = SDL_CreateRGBSurfaceWithFormat(0, 320, 160, 16, SDL_PIXELFORMAT_RGB565);
  if (!atlas.surface) return false;
  SDL_FillRect(atlas.surface, nullptr, 0);
  int x = 0, y = 0, rowHeight = TTF_FontHeight(font);
  for (int c = 32; c < 127; ++c) {
    SDL_Surface* g = TTF_RenderGlyph_Solid(font, static_cast<Uint16>(c), SDL_Color{255, 255, 0, 255});
    if (!g) continue;
    if (x + g->w > 320) {
      x = 0;
      y += rowHeight;
    }
    SDL_Rect dest{x, y, g->w, g->h};
    SDL_SetColorKey(g, SDL_TRUE, 0);
    SDL_BlitSurface(g, nullptr, atlas.surface, &dest);
    atlas.glyphs[c] = SDL_Rect{x, y, g->w, g->h};
    x += g->w;
    SDL_FreeSurface(g);
  }
  SDL_SetColorKey(atlas.surface, SDL_TRUE, 0);
  return true;
}

void DrawText(const Atlas& atlas, int x, int y, const char* text, SDL_Surface* dest) {
  for (const char* p = text; *p; ++p) {
    const SDL_Rect& src = atlas.glyphs[static_cast<unsigned char>(*p) & 127];
    SDL_Rect at{x, y, src.w, src.h};
    SDL_Rect from = src;
    SDL_BlitSurface(atlas.surface, &from, dest, &at);
    x += src.w;
  }
}

void BM_SdlFrame(benchmark::State& state) {
  std::string file = FontFile("Liberation Sans");
  if (file.empty() || TTF_Init() != 0) {
    state.SkipWithError("no font");
    return;
  }
  TTF_Font* font = TTF_OpenFont(file.c_str(), 11);
  SDL_Surface* back = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
  SDL_Surface* bg = LoadSprite("background.bmp", false);
  SDL_Surface* ballImage = LoadSprite("ball.bmp", true);
  SDL_Surface* paddleA = LoadSprite("paddle.bmp", true);
  SDL_Surface* paddleB = LoadSprite("paddle.bmp", true);
  Atlas atlas;
  if (!font || !back || !bg || !ballImage || !paddleA || !paddleB || !BuildAtlas(font, atlas)) {
    state.SkipWithError("SDL set-up failed");
    return;
  }
  // The same motion as the game's rules, reduced to what costs: a step by angle
  // and speed, the wall test and the opponent following the ball.
  int ballX = 400, ballY = 300, computerX = 360, playerX = 360, score = 0;
  double angle = 70;
  char line[32];
  for (auto _ : state) {
    SDL_FillRect(back, nullptr, 0);
    SDL_BlitSurface(bg, nullptr, back, nullptr);
    if (ballX <= 0 || ballX >= 775) angle = 180 - angle;
    if (ballY <= 60 || ballY >= 505) angle = -angle;
    ballX += static_cast<int>(std::cos(angle * kDegreeToRadian) * 6);
    ballY += static_cast<int>(std::sin(angle * kDegreeToRadian) * 6);
    SDL_Rect at{ballX, ballY, 25, 25};
    SDL_BlitSurface(ballImage, nullptr, back, &at);
    computerX += ballX + 12 < computerX + 40 ? -4 : 4;
    at = SDL_Rect{computerX, 50, 80, 15};
    SDL_BlitSurface(paddleB, nullptr, back, &at);
    at = SDL_Rect{playerX, 530, 80, 15};
    SDL_BlitSurface(paddleA, nullptr, back, &at);
    std::snprintf(line, sizeof line, "Your Score: %d", score);
    DrawText(atlas, 60, 560, line, back);
    std::snprintf(line, sizeof line, "Computer Score: %d", score);
    DrawText(atlas, 650, 560, line, back);
    benchmark::DoNotOptimize(back->pixels);
  }
  SDL_FreeSurface(atlas.surface);
  SDL_FreeSurface(paddleB);
  SDL_FreeSurface(paddleA);
  SDL_FreeSurface(ballImage);
  SDL_FreeSurface(bg);
  SDL_FreeSurface(back);
  TTF_CloseFont(font);
  TTF_Quit();
}
BENCHMARK(BM_SdlFrame)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
