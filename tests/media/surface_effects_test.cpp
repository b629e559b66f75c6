// SPDX-License-Identifier: MIT
// The effect copies on real surfaces: values worked out by hand from the
// per-channel rules, the level rules, keys, clipping, the alpha mask, format
// and lock failures; and the Screen's fades.
#include <gtest/gtest.h>

#include <vector>

#include "surface_fixture.h"

namespace {

using surface_test::BytesOf;
using surface_test::ReadPixels;
using surface_test::SurfaceTest;
using surface_test::WritePixels;


enum class Member {
  HalfBlend,
  HalfBlendKeyed,
  Blend,
  BlendKeyed,
  AlphaMasked,
  Darken,
  Shadow,
  DarkenHalf,
  ShadowHalf,
  Faded
};

HRESULT Call(Member m, Surface& s, Surface* d, int32_t x, int32_t y, RECT r, uint32_t level) {
  switch (m) {
    case Member::HalfBlend: return s.DrawHalfBlend(d, x, y, r);
    case Member::HalfBlendKeyed: return s.DrawHalfBlendKeyed(d, x, y, r);
    case Member::Blend: return s.DrawBlend(d, x, y, r, level);
    case Member::BlendKeyed: return s.DrawBlendKeyed(d, x, y, r, level);
    case Member::AlphaMasked: return s.DrawAlphaMasked(d, x, y, r);
    case Member::Darken: return s.DrawDarken(d, x, y, r, level);
    case Member::Shadow: return s.DrawShadow(d, x, y, r, level);
    case Member::DarkenHalf: return s.DrawDarkenHalf(d, x, y, r);
    case Member::ShadowHalf: return s.DrawShadowHalf(d, x, y, r);
    case Member::Faded: return s.DrawFaded(d, x, y, r, static_cast<int32_t>(level));
  }
  return E_FAIL;
}

class SurfaceEffectsTest : public SurfaceTest {
 protected:
  // A w x 1 source and destination of one format holding the given pixels
  // (repeated when fewer are given), the source keyed with key.
  bool Pair(int code, std::vector<uint32_t> src, std::vector<uint32_t> dst, uint32_t key = 0xFFFFFFFF) {
    if (!screen && !Display(16)) return false;
    DDPIXELFORMAT f = surface_test::FormatOfDepth(code);
    int w = static_cast<int>(std::max(src.size(), dst.size()));
    source = std::make_unique<Surface>();
    dest = std::make_unique<Surface>();
    if (!surface_test::MakeWithFormat(*source, screen.get(), w, 1, &f) ||
        !surface_test::MakeWithFormat(*dest, screen.get(), w, 1, &f))
      return false;
    source->ColorKey = key;
    int depth = code == 8 ? 8 : code;
    WritePixels(*source, depth, [&](int x, int) { return src[static_cast<size_t>(x) % src.size()]; });
    WritePixels(*dest, depth, [&](int x, int) { return dst[static_cast<size_t>(x) % dst.size()]; });
    return true;
  }
  std::vector<uint32_t> Dest(int code) { return ReadPixels(*dest, code); }
  RECT All() const { return RECT{0, 0, source->Width, 1}; }

  std::unique_ptr<Surface> source, dest;
};

struct Case {
  const char* what;
  Member member;
  int format;
  uint32_t level;
  uint32_t s, d, expected;
};

TEST_F(SurfaceEffectsTest, PixelRulesWorkedByHand) {
  const Case cases[] = {
      // Red over blue at 128: red 31 + floor(-31 / 2) = 15, blue floor(31 / 2) = 15.
      {"blend red over blue", Member::Blend, 16, 128, 0xF800, 0x001F, 0x780F},
      {"half blend of white and black, 15 bits", Member::HalfBlend, 15, 0, 0x7FFF, 0x0000, 0x3DEF},
      // Bit 15 of either pixel is dropped in 15 bits.
      {"half blend drops bit 15", Member::HalfBlend, 15, 0, 0xFFFF, 0x8000, 0x3DEF},
      {"half blend, 16 bits", Member::HalfBlend, 16, 0, 0xFFFF, 0xFFFF, 0xF7DE},
      {"half blend, 24 bits", Member::HalfBlend, 24, 0, 0xFF8001, 0x0180FF, 0x7F807F},
      // 200 + floor(-100 * 3 / 256) = 200 - 2: the floor, not the truncation.
      {"blend rounds down below zero", Member::Blend, 32, 3, 0x00C8C8C8, 0x00646464, 0x00C6C6C6},
      {"blend 1 moves nothing up", Member::Blend, 32, 1, 0x00000000, 0x00FFFFFF, 0x00000000},
      {"blend 255", Member::Blend, 24, 255, 0x000000, 0xFFFFFF, 0xFEFEFE},
      {"blend 0 copies the source", Member::Blend, 16, 0, 0x1234, 0xFEDC, 0x1234},
      {"blend 256 keeps the destination", Member::Blend, 16, 256, 0x1234, 0xFEDC, 0xFEDC},
      {"blend 257 counts as 256", Member::Blend, 15, 257, 0x1234, 0x7EDC, 0x7EDC},
      {"blend 65535 counts as 256", Member::Blend, 32, 65535, 0x123456, 0xABCDEF, 0xABCDEF},
      {"blend 65536 counts as 0", Member::Blend, 32, 65536, 0x123456, 0xABCDEF, 0x123456},
      {"blend 65536 + 128 counts as 128", Member::Blend, 16, 65536 + 128, 0xF800, 0x001F, 0x780F},
      // 15 bits: red 31 at 1/4 toward 0: 31 + floor(-31 * 64 / 256) = 31 - 8 = 23.
      {"blend, 15 bits", Member::Blend, 15, 64, 0x7C00, 0x0000, 23 << 10},
      // 32 bits: byte 3 of the destination is never written.
      {"blend keeps byte 3", Member::Blend, 32, 0, 0x00FFFFFF, 0xAB112233, 0xABFFFFFF},
      {"half blend keeps byte 3", Member::HalfBlend, 32, 0, 0xFF000000, 0x12FEFEFE, 0x127F7F7F},
      {"darken 0 is black", Member::Darken, 16, 0, 0x0000, 0xFFFF, 0x0000},
      {"darken 0 keeps byte 3", Member::Darken, 32, 0, 0x0, 0xCDFFFFFF, 0xCD000000},
      // floor(63 * 100 / 256) = 24, floor(31 * 100 / 256) = 12.
      {"darken 100", Member::Darken, 16, 100, 0x0000, 0xFFFF, (12u << 11) | (24u << 5) | 12u},
      {"darken 300 keeps", Member::Darken, 24, 300, 0x0, 0x808080, 0x808080},
      {"darken half", Member::DarkenHalf, 16, 0, 0x0000, 0xFFFF, 0x7BEF},
      {"darken half, 15 bits", Member::DarkenHalf, 15, 0, 0x0000, 0xFFFF, 0x3DEF},
      // Bytes 0x10, 0x80, 0xFF at 100: 6, 50, 99.
      {"faded 100, 24 bits", Member::Faded, 24, 100, 0xFF8010, 0x123456, 0x633206},
      {"faded 256 copies", Member::Faded, 16, 256, 0xABCD, 0x0000, 0xABCD},
      {"faded 0 is black", Member::Faded, 32, 0, 0xFFFFFF, 0x77123456, 0x77000000},
      {"faded below 0 is black", Member::Faded, 16, static_cast<uint32_t>(-5), 0xFFFF, 0x1234, 0x0000},
      {"faded above 256 copies", Member::Faded, 16, 1000, 0xFFFF, 0x1234, 0xFFFF},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Pair(c.format, {c.s}, {c.d})) << c.what;
    EXPECT_EQ(Call(c.member, *source, dest.get(), 0, 0, All(), c.level), DD_OK) << c.what;
    EXPECT_EQ(Dest(c.format)[0], c.expected) << c.what << std::hex << " got 0x" << Dest(c.format)[0];
  }
}

TEST_F(SurfaceEffectsTest, AlphaMaskWeightsTheSource) {
  // m = 255: d + floor((s - d) * 255 / 256), so 31 over 0 becomes 30 and 63 becomes 62.
  struct {
    int format;
    uint8_t mask;
    uint32_t s, d, expected;
  } cases[] = {
      {16, 255, 0xFFFF, 0x0000, (30u << 11) | (62u << 5) | 30u},
      {15, 255, 0x7FFF, 0x0000, (30u << 10) | (30u << 5) | 30u},
      {16, 0, 0xFFFF, 0x1234, 0x1234},
      {16, 128, 0x0000, 0xFFFF, (15u << 11) | (31u << 5) | 15u},
      {32, 255, 0x00FFFFFF, 0x99000000, 0x99FEFEFE},
      {24, 64, 0x000000, 0xFFFFFF, 0xBFBFBF},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Pair(c.format, {c.s}, {c.d}));
    source->AlphaMask = new uint8_t[1]{c.mask};
    EXPECT_EQ(source->DrawAlphaMasked(dest.get(), 0, 0, All()), DD_OK);
    EXPECT_EQ(Dest(c.format)[0], c.expected) << "format " << c.format << " mask " << int(c.mask);
  }
}

TEST_F(SurfaceEffectsTest, KeyedMembersLeaveThePixelsUnderTheKey) {
  const uint32_t key = 0x07E0;  // green
  const uint32_t grey = 0x8410, white = 0xFFFF;
  // 41 pixels reach every loop (two 16-pixel steps, one of 8, one plain
  // pixel), with keys at the start and end of steps and in runs. Over grey,
  // every member changes the pixels it draws, so a key not honoured shows.
  std::vector<uint32_t> src(41, white);
  for (size_t i : {0, 3, 4, 15, 16, 17, 20, 21, 22, 31, 32, 39, 40}) src[i] = key;
  for (Member m : {Member::HalfBlendKeyed, Member::BlendKeyed, Member::AlphaMasked, Member::Shadow,
                   Member::ShadowHalf}) {
    ASSERT_TRUE(Pair(16, src, {grey}, key));
    source->AlphaMask = new uint8_t[src.size()];
    memset(source->AlphaMask, 255, src.size());
    EXPECT_EQ(Call(m, *source, dest.get(), 0, 0, All(), 0), DD_OK);
    std::vector<uint32_t> got = Dest(16);
    for (size_t i = 0; i < src.size(); ++i) {
      if (src[i] == key)
        EXPECT_EQ(got[i], grey) << "member " << int(m) << " pixel " << i;
      else
        EXPECT_NE(got[i], grey) << "member " << int(m) << " pixel " << i;
    }
  }
  // Shadows darken only under the sprite: white under non-key pixels at level 0.
  ASSERT_TRUE(Pair(32, {0x00FF00FF, 0x00123456}, {0x00FFFFFF}, 0x00FF00FF));
  EXPECT_EQ(source->DrawShadow(dest.get(), 0, 0, All(), 0), DD_OK);
  EXPECT_EQ(Dest(32), (std::vector<uint32_t>{0x00FFFFFF, 0x00000000}));
  // The key compares the low 24 bits in 32 bits: byte 3 of the source does not matter.
  ASSERT_TRUE(Pair(32, {0xEEFF00FF, 0x00123456}, {0x00FFFFFF}, 0x00FF00FF));
  EXPECT_EQ(source->DrawShadowHalf(dest.get(), 0, 0, All()), DD_OK);
  EXPECT_EQ(Dest(32), (std::vector<uint32_t>{0x00FFFFFF, 0x007F7F7F}));
  // A key of all ones (a Surface after Create) matches no pixel.
  ASSERT_TRUE(Pair(16, {0xFFFF}, {0x0000}, 0xFFFFFFFF));
  EXPECT_EQ(source->DrawHalfBlendKeyed(dest.get(), 0, 0, All()), DD_OK);
  EXPECT_EQ(Dest(16)[0], 0x7BEFu);
}

TEST_F(SurfaceEffectsTest, ClippingAndRectangles) {
  // A 6-pixel row drawn at x = -2 onto a 6-pixel row: source pixels 2..5 land on 0..3.
  ASSERT_TRUE(Pair(16, {0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006}, {0xFFFF}));
  EXPECT_EQ(source->DrawBlend(dest.get(), -2, 0, All(), 0), DD_OK);
  EXPECT_EQ(Dest(16), (std::vector<uint32_t>{0x0003, 0x0004, 0x0005, 0x0006, 0xFFFF, 0xFFFF}));
  // Reaching past the right edge: only what is inside.
  ASSERT_TRUE(Pair(16, {0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006}, {0xFFFF}));
  EXPECT_EQ(source->DrawFaded(dest.get(), 4, 0, All(), 256), DD_OK);
  EXPECT_EQ(Dest(16), (std::vector<uint32_t>{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x0001, 0x0002}));
  // Nothing left, inverted and far-away rectangles: E_FAIL and no change.
  const struct {
    int32_t x, y;
    RECT r;
  } empty[] = {
      {6, 0, {0, 0, 6, 1}}, {-6, 0, {0, 0, 6, 1}}, {0, 1, {0, 0, 6, 1}},         {0, 0, {6, 0, 9, 1}},
      {0, 0, {4, 0, 2, 1}}, {INT32_MAX, 0, {0, 0, 6, 1}}, {INT32_MIN, 0, {0, 0, 6, 1}},
      {INT32_MAX - 2, 0, {INT32_MAX - 5, 0, INT32_MAX, 1}},
  };
  for (const auto& e : empty) {
    ASSERT_TRUE(Pair(16, {0x1234}, std::vector<uint32_t>(6, 0xFFFF)));
    EXPECT_EQ(source->DrawDarken(dest.get(), e.x, e.y, e.r, 0), E_FAIL);
    EXPECT_EQ(Dest(16), std::vector<uint32_t>(6, 0xFFFF));
  }
  // A rectangle of the widest range is trimmed to both surfaces.
  ASSERT_TRUE(Pair(16, {0x1234}, std::vector<uint32_t>(6, 0xFFFF)));
  EXPECT_EQ(source->DrawDarken(dest.get(), 0, 0, RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0), DD_OK);
  EXPECT_EQ(Dest(16), std::vector<uint32_t>(6, 0x0000));
  // A zero-width rectangle inside changes nothing and succeeds.
  ASSERT_TRUE(Pair(16, {0x1234}, {0xFFFF, 0xFFFE}));
  EXPECT_EQ(source->DrawBlend(dest.get(), 1, 0, RECT{1, 0, 1, 1}, 0), DD_OK);
  EXPECT_EQ(Dest(16), (std::vector<uint32_t>{0xFFFF, 0xFFFE}));
}

TEST_F(SurfaceEffectsTest, FormatsWithoutAPathAndMismatchedPairsChangeNothing) {
  ASSERT_NE(Display(8), nullptr);
  ASSERT_TRUE(Pair(8, {0x12, 0x34, 0x56}, {0x77}));
  for (Member m : {Member::HalfBlend, Member::Blend, Member::Darken, Member::Faded, Member::ShadowHalf}) {
    EXPECT_EQ(Call(m, *source, dest.get(), 0, 0, All(), 100), DD_OK);
    EXPECT_EQ(Dest(8), (std::vector<uint32_t>{0x77, 0x77, 0x77}));
  }
  // A 16-bit source onto a 32-bit destination would be read 4 bytes a pixel.
  ASSERT_NE(Display(16), nullptr);
  ASSERT_TRUE(Pair(32, {0x123456}, {0xABCDEF, 0xABCDEF}));
  Surface narrow;
  DDPIXELFORMAT f16 = surface_test::FormatOfDepth(16);
  ASSERT_TRUE(surface_test::MakeWithFormat(narrow, screen.get(), 2, 1, &f16));
  EXPECT_EQ(narrow.DrawBlend(dest.get(), 0, 0, RECT{0, 0, 2, 1}, 0), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(narrow.DrawFaded(dest.get(), 0, 0, RECT{0, 0, 2, 1}, 256), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(Dest(32), (std::vector<uint32_t>{0xABCDEF, 0xABCDEF}));
  // Both surfaces are unlocked again.
  EXPECT_EQ(narrow.Lock(), DD_OK);
  narrow.Unlock();
  EXPECT_EQ(dest->Lock(), DD_OK);
  dest->Unlock();
}

TEST_F(SurfaceEffectsTest, FailedLocksTouchNothingAndLeaveNothingLocked) {
  ASSERT_TRUE(Pair(16, {0x1234}, {0xFFFF, 0xFFFF}));
  // A destination with a device context out cannot be locked.
  ASSERT_NE(dest->GetDC(), nullptr);
  EXPECT_EQ(source->DrawBlend(dest.get(), 0, 0, All(), 0), DDERR_SURFACEBUSY);
  dest->ReleaseDC();
  EXPECT_EQ(Dest(16), (std::vector<uint32_t>{0xFFFF, 0xFFFF}));
  EXPECT_EQ(source->Lock(), DD_OK);  // the source was unlocked after the failure
  source->Unlock();
  // A source that is its own destination: the second lock fails the same way.
  EXPECT_EQ(dest->DrawDarken(dest.get(), 0, 0, RECT{0, 0, 2, 1}, 0), DDERR_SURFACEBUSY);
  EXPECT_EQ(Dest(16), (std::vector<uint32_t>{0xFFFF, 0xFFFF}));
}

TEST_F(SurfaceEffectsTest, AlphaMaskedWithoutMaskIsAKeyedCopyAnsweringFail) {
  ASSERT_TRUE(Pair(16, {0x07E0, 0x1234, 0x4321}, {0xFFFF}, 0x07E0));
  source->SetColorKey(0x07E0);
  EXPECT_EQ(source->DrawAlphaMasked(dest.get(), 0, 0, All()), E_FAIL);
  EXPECT_EQ(Dest(16), (std::vector<uint32_t>{0xFFFF, 0x1234, 0x4321}));
}

TEST_F(SurfaceEffectsTest, AlphaMaskRowsFollowTheSurfaceWidth) {
  // A 4 x 2 source whose mask is 255 only at (1, 0) and (2, 1); the rectangle
  // (1, 0)-(3, 2) is drawn at (0, 0) of a black 2 x 2 destination.
  ASSERT_NE(Display(16), nullptr);
  DDPIXELFORMAT f = surface_test::FormatOfDepth(16);
  Surface s, d;
  ASSERT_TRUE(surface_test::MakeWithFormat(s, screen.get(), 4, 2, &f));
  ASSERT_TRUE(surface_test::MakeWithFormat(d, screen.get(), 2, 2, &f));
  WritePixels(s, 16, [](int, int) { return 0xFFFFu; });
  WritePixels(d, 16, [](int, int) { return 0u; });
  s.AlphaMask = new uint8_t[8]{0, 255, 0, 0, 0, 0, 255, 0};
  EXPECT_EQ(s.DrawAlphaMasked(&d, 0, 0, RECT{1, 0, 3, 2}), DD_OK);
  const uint32_t lit = 0xF7DE;  // 30, 62, 30
  EXPECT_EQ(ReadPixels(d, 16), (std::vector<uint32_t>{lit, 0, 0, lit}));
}

TEST_F(SurfaceEffectsTest, InvertTwiceRestoresAndInvertsEveryByte) {
  ASSERT_TRUE(Pair(32, {0}, {0x12345678, 0xAB00FF10, 0x00000000, 0xFFFFFFFF}));
  // Held to the surface: -5 and 99 become 0 and the width.
  EXPECT_EQ(dest->Invert(1, -5, 99, 99), DD_OK);
  EXPECT_EQ(Dest(32), (std::vector<uint32_t>{0x12345678, 0x54FF00EF, 0xFFFFFFFF, 0x00000000}));
  EXPECT_EQ(dest->Invert(1, 0, 4, 1), DD_OK);
  EXPECT_EQ(Dest(32), (std::vector<uint32_t>{0x12345678, 0xAB00FF10, 0x00000000, 0xFFFFFFFF}));
  // Empty and inverted rectangles change nothing.
  EXPECT_EQ(dest->Invert(3, 0, 1, 1), DD_OK);
  EXPECT_EQ(dest->Invert(0, 1, 4, 1), DD_OK);
  EXPECT_EQ(Dest(32), (std::vector<uint32_t>{0x12345678, 0xAB00FF10, 0x00000000, 0xFFFFFFFF}));
  ASSERT_TRUE(Pair(24, {0}, {0x123456}));
  EXPECT_EQ(dest->Invert(0, 0, 1, 1), DD_OK);
  EXPECT_EQ(Dest(24)[0], 0xEDCBA9u);
}

// ---- the Screen's fades ----

class ScreenFadeTest : public SurfaceTest {};

TEST_F(ScreenFadeTest, StepsFollowTheMeasuredFrameTime) {
  // Frames of 16 or 17 ms (the emulated 60 Hz). Duration 1000: q = 1001 / 16
  // or 1001 / 17, 512 / q truncated is 8: 32 steps, plus the black frame
  // before and the full picture after a fade in. Duration 4095: q = 256 or
  // 240.9, steps of 2: 128. Duration 0: q held to 1, one step of 512. Only
  // the low 16 bits of the duration count.
  const struct {
    uint32_t duration;
    uint64_t steps;
    int32_t step;
  } cases[] = {{1000, 32, 8}, {65536 + 1000, 32, 8}, {4095, 128, 2}, {0, 1, 512}, {65536, 1, 512}};
  for (const auto& c : cases) {
    Screen* s = Display(16);
    ASSERT_NE(s, nullptr);
    uint64_t before = platform::headless::PresentedFrameCount();
    s->FadeIn(c.duration);
    EXPECT_EQ(platform::headless::PresentedFrameCount() - before, c.steps + 2) << "fade in " << c.duration;
    EXPECT_EQ(s->GetLastFade().frames, c.steps) << "fade in " << c.duration;
    EXPECT_EQ(s->GetLastFade().smallestStep, c.step) << "fade in " << c.duration;
    EXPECT_EQ(s->GetLastFade().largestStep, c.step) << "fade in " << c.duration;
    before = platform::headless::PresentedFrameCount();
    s->FadeOut(c.duration);
    EXPECT_EQ(platform::headless::PresentedFrameCount() - before, c.steps + 1) << "fade out " << c.duration;
    EXPECT_EQ(s->GetLastFade().largestStep, c.step) << "fade out " << c.duration;
  }
}

TEST_F(ScreenFadeTest, FadeInEndsOnThePictureAndFadeOutOnBlack) {
  Screen* s = Display(16);
  ASSERT_NE(s, nullptr);
  Surface* back = s->GetBack();
  auto picture = [](int x, int y) { return static_cast<uint32_t>((x * 37 + y * 101) & 0xFFFF); };
  ASSERT_TRUE(WritePixels(*back, 16, picture));
  s->FadeIn(200);
  const auto* frame = platform::headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->bitsPerPixel, 16);
  bool same = true;
  for (int y = 0; y < frame->height && same; ++y)
    for (int x = 0; x < frame->width && same; ++x) {
      uint16_t v;
      memcpy(&v, &frame->raw[static_cast<size_t>(y * frame->width + x) * 2], 2);
      same = v == picture(x, y);
    }
  EXPECT_TRUE(same);
  s->FadeOut(200);
  frame = platform::headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  for (uint32_t p : frame->pixels) ASSERT_EQ(p, 0u);
}

TEST_F(ScreenFadeTest, AFrameInTheMiddleOfEachFadeIsThePictureAtItsLevel) {
  // Steps of 8 (a 1000 ms fade at 60 Hz): the fade in shows black, then levels
  // 0, 8, 16, ...; the fade out levels 256, 248, .... Frame 9 of the fade in is
  // level 64 and frame 8 of the fade out level 192. Each channel becomes
  // channel * level >> 8, worked out by hand for three colours of 5-6-5:
  //   level 64:  FFFF -> 39E7, F800 -> 3800, 1234 (2, 17, 20) -> 0085 (0, 4, 5)
  //   level 192: FFFF -> BDF7, F800 -> B800, 1234 -> 098F (1, 12, 15)
  Screen* s = Display(16);
  ASSERT_NE(s, nullptr);
  const uint32_t colours[] = {0xFFFF, 0xF800, 0x1234};
  // Bands 64 pixels wide, so that the few pixels by which a fade out moves the
  // picture (it fades what the window's client area shows) keep the colours.
  auto picture = [&](int x, int) { return colours[(x / 64) % 3]; };
  std::vector<std::vector<uint16_t>> shown;
  platform::headless::OnFramePresented([&](const platform::headless::CapturedFrame& f) {
    // The middle of the first three bands, on the middle row.
    std::vector<uint16_t> row(3);
    for (size_t band = 0; band < 3; ++band)
      memcpy(&row[band], f.raw.data() + (static_cast<size_t>(f.height / 2) * f.width + 32 + 64 * band) * 2, 2);
    shown.push_back(row);
  });
  struct Fade {
    const char* name;
    void (*run)(Screen*);
    bool shown;  // fades out of the picture on the screen, in from the back buffer
    size_t frame;
    std::vector<uint16_t> expected;  // colours 0, 1, 2
  } fades[] = {
      {"in", [](Screen* sc) { sc->FadeIn(1000); }, false, 9, {0x39E7, 0x3800, 0x0085}},
      {"out", [](Screen* sc) { sc->FadeOut(1000); }, true, 8, {0xBDF7, 0xB800, 0x098F}},
  };
  for (const Fade& f : fades) {
    ASSERT_TRUE(WritePixels(*s->GetBack(), 16, picture));
    if (f.shown) s->Flip(1, 0, 0);
    shown.clear();
    f.run(s);
    ASSERT_EQ(s->GetLastFade().smallestStep, 8) << f.name;
    ASSERT_EQ(s->GetLastFade().largestStep, 8) << f.name;
    ASSERT_GT(shown.size(), f.frame) << f.name;
    EXPECT_EQ(shown[f.frame], f.expected) << "fade " << f.name;
  }
  platform::headless::OnFramePresented(nullptr);
}

TEST_F(ScreenFadeTest, NothingAtEightBitsPerPixel) {
  Screen* s = Display(8);
  ASSERT_NE(s, nullptr);
  uint64_t before = platform::headless::PresentedFrameCount();
  uint32_t start = platform::headless::Now();
  s->FadeIn(1000);
  s->FadeOut(1000);
  EXPECT_EQ(platform::headless::PresentedFrameCount(), before);
  EXPECT_EQ(platform::headless::Now(), start);
}

}  // namespace
