// SPDX-License-Identifier: MIT
// Blt and BltFast through the interfaces: every pixel format, keys and key
// ranges, stretching, mirroring, clipping and the refusal rules.
#include <random>

#include "ddraw_fixture.h"

namespace {

using ddtest::DDrawTest;

class BlitFormats : public DDrawTest, public ::testing::WithParamInterface<int> {
 protected:
  // A pixel value of the format that is not zero in any byte, for index i.
  uint32_t Value(int i) const {
    int bytes = ddtest::BytesOf(GetParam());
    uint32_t v = 0x01020304u * static_cast<uint32_t>(i + 1) + 0x10305070u;
    if (GetParam() == 15) v &= 0x7FFF;
    return bytes == 4 ? v & 0xFFFFFF : v & ((1u << (8 * bytes)) - 1);
  }
};

TEST_P(BlitFormats, FillCoversExactlyTheRectangle) {
  auto* s = Make(9, 7, GetParam());
  ASSERT_EQ(Fill(s, nullptr, Value(0)), DD_OK);
  RECT r{2, 1, 7, 5};
  ASSERT_EQ(Fill(s, &r, Value(1)), DD_OK);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) {
      bool inside = x >= 2 && x < 7 && y >= 1 && y < 5;
      ASSERT_EQ(Get(s, x, y), inside ? Value(1) : Value(0)) << x << "," << y;
    }
}

TEST_P(BlitFormats, CopiesPlainKeyedAndWithARange) {
  auto* src = Make(4, 2, GetParam());
  auto* dst = Make(6, 3, GetParam());
  for (int i = 0; i < 8; ++i) Put(src, i % 4, i / 4, Value(i));
  ASSERT_EQ(Fill(dst, nullptr, Value(20)), DD_OK);
  ASSERT_EQ(dst->BltFast(1, 1, src, nullptr, DDBLTFAST_WAIT), DD_OK);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Get(dst, 1 + i % 4, 1 + i / 4), Value(i));
  EXPECT_EQ(Get(dst, 0, 0), Value(20));
  EXPECT_EQ(Get(dst, 5, 2), Value(20));

  // Key: the single value of pixel 2.
  ASSERT_EQ(Fill(dst, nullptr, Value(20)), DD_OK);
  SetKey(src, Value(2), Value(2));
  ASSERT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Get(dst, i % 4, i / 4), i == 2 ? Value(20) : Value(i)) << i;

  // A range keys every value from low to high inclusive.
  uint32_t lo = std::min(Value(3), Value(5)), hi = std::max(Value(3), Value(5));
  SetKey(src, lo, hi);
  ASSERT_EQ(Fill(dst, nullptr, Value(20)), DD_OK);
  RECT all{0, 0, 4, 2};
  ASSERT_EQ(dst->Blt(&all, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  for (int i = 0; i < 8; ++i) {
    bool keyed = Value(i) >= lo && Value(i) <= hi;
    EXPECT_EQ(Get(dst, i % 4, i / 4), keyed ? Value(20) : Value(i)) << i;
  }
}

TEST_P(BlitFormats, StretchesByNearestPixelAndMirrors) {
  auto* src = Make(2, 2, GetParam());
  auto* dst = Make(4, 4, GetParam());
  for (int i = 0; i < 4; ++i) Put(src, i % 2, i / 2, Value(i));
  RECT big{0, 0, 4, 4};
  ASSERT_EQ(dst->Blt(&big, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Get(dst, x, y), Value((y / 2) * 2 + x / 2));

  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT;
  RECT small{1, 1, 3, 3};
  ASSERT_EQ(dst->Blt(&small, src, nullptr, DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Get(dst, 1, 1), Value(1));
  EXPECT_EQ(Get(dst, 2, 1), Value(0));
  EXPECT_EQ(Get(dst, 1, 2), Value(3));
  fx.dwDDFX = DDBLTFX_MIRRORUPDOWN;
  ASSERT_EQ(dst->Blt(&small, src, nullptr, DDBLT_DDFX | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Get(dst, 1, 1), Value(2));
  EXPECT_EQ(Get(dst, 2, 2), Value(1));

  // Shrinking samples the pixel under each destination pixel's centre.
  auto* wide = Make(6, 1, GetParam());
  for (int x = 0; x < 6; ++x) Put(wide, x, 0, Value(x));
  RECT three{0, 0, 3, 1};
  ASSERT_EQ(dst->Blt(&three, wide, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(dst, 0, 0), Value(1));
  EXPECT_EQ(Get(dst, 1, 0), Value(3));
  EXPECT_EQ(Get(dst, 2, 0), Value(5));
}

TEST_P(BlitFormats, StretchedKeyedCopyLeavesKeyedPixels) {
  auto* src = Make(2, 1, GetParam());
  auto* dst = Make(4, 1, GetParam());
  Put(src, 0, 0, Value(0));
  Put(src, 1, 0, Value(1));
  SetKey(src, Value(1), Value(1));
  ASSERT_EQ(Fill(dst, nullptr, Value(7)), DD_OK);
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(All(dst), (std::vector<uint32_t>{Value(0), Value(0), Value(7), Value(7)}));
}

INSTANTIATE_TEST_SUITE_P(Depths, BlitFormats, ::testing::Values(8, 15, 16, 24, 32));

TEST_F(DDrawTest, KeyComparesTheColourBitsOfThePixelWithTheWholeKey) {
  // 32 bits: the pixel's top byte is not colour and is not compared, so a
  // pixel with it set is hidden by the key of its colours, and a key with it
  // set matches no pixel.
  auto* src = Make(2, 1, 32);
  auto* dst = Make(2, 1, 32);
  Put(src, 0, 0, 0xFF123456);
  Put(src, 1, 0, 0x00ABCDEF);
  SetKey(src, 0x00123456u, 0x00123456u);
  ASSERT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Get(dst, 0, 0), 0u);
  EXPECT_EQ(Get(dst, 1, 0), 0x00ABCDEFu);
  SetKey(src, 0xFF123456u, 0xFF123456u);
  ASSERT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Get(dst, 0, 0), 0xFF123456u);
  // 5-5-5: bit 15 is compared like the colour bits.
  auto* src16 = Make(2, 1, 15);
  auto* dst16 = Make(2, 1, 15);
  Put(src16, 0, 0, 0x80AB);
  Put(src16, 1, 0, 0x00AB);
  SetKey(src16, 0x00AB, 0x00AB);
  ASSERT_EQ(dst16->BltFast(0, 0, src16, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Get(dst16, 0, 0), 0x80ABu);
  EXPECT_EQ(Get(dst16, 1, 0), 0u);
}

TEST_F(DDrawTest, KeyedCopyWithoutAKeyCopiesEverything) {
  auto* src = Make(2, 1, 16);
  auto* dst = Make(2, 1, 16);
  Put(src, 0, 0, 0x1234);
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(dst, 0, 0), 0x1234u);
  DDCOLORKEY k{};
  EXPECT_EQ(src->GetColorKey(DDCKEY_SRCBLT, &k), DDERR_NOCOLORKEY);
}

TEST_F(DDrawTest, OverrideKeyAndHighBelowLowMeanOneColour) {
  auto* src = Make(3, 1, 16);
  auto* dst = Make(3, 1, 16);
  Put(src, 0, 0, 5);
  Put(src, 1, 0, 6);
  Put(src, 2, 0, 7);
  DDCOLORKEY k{6, 0};  // high below low: the single colour 6
  ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &k), DD_OK);
  ASSERT_EQ(Fill(dst, nullptr, 9), DD_OK);
  ASSERT_EQ(dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(All(dst), (std::vector<uint32_t>{5, 9, 7}));
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.ddckSrcColorkey = {5, 7};
  ASSERT_EQ(Fill(dst, nullptr, 9), DD_OK);
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRCOVERRIDE | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(All(dst), (std::vector<uint32_t>{9, 9, 9}));
}

TEST_F(DDrawTest, CopiesClipAtEveryEdgeOfBothSurfaces) {
  auto* src = Make(4, 4, 16);
  auto* dst = Make(6, 6, 16);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) Put(src, x, y, static_cast<uint32_t>(1 + y * 4 + x));
  // Left of and above the destination: the first source column and row are cut.
  ASSERT_EQ(dst->BltFast(static_cast<DWORD>(-1), static_cast<DWORD>(-1), src, nullptr, 0), DD_OK);
  EXPECT_EQ(Get(dst, 0, 0), 6u);
  EXPECT_EQ(Get(dst, 2, 2), 16u);
  EXPECT_EQ(Get(dst, 3, 0), 0u);
  // Past the right and bottom edges.
  ASSERT_EQ(Fill(dst, nullptr, 0), DD_OK);
  ASSERT_EQ(dst->BltFast(4, 5, src, nullptr, 0), DD_OK);
  EXPECT_EQ(Get(dst, 4, 5), 1u);
  EXPECT_EQ(Get(dst, 5, 5), 2u);
  // A source rectangle reaching past the source: only what is inside is copied,
  // at the place it would have had.
  ASSERT_EQ(Fill(dst, nullptr, 0), DD_OK);
  RECT from{-2, 2, 3, 6};
  ASSERT_EQ(dst->BltFast(0, 0, src, &from, 0), DD_OK);
  EXPECT_EQ(Get(dst, 1, 0), 0u);
  EXPECT_EQ(Get(dst, 2, 0), 9u);
  EXPECT_EQ(Get(dst, 4, 1), 15u);
  EXPECT_EQ(Get(dst, 2, 2), 0u);
  // Entirely outside: nothing happens, and that is no error.
  ASSERT_EQ(Fill(dst, nullptr, 0), DD_OK);
  EXPECT_EQ(dst->BltFast(600, 0, src, nullptr, 0), DD_OK);
  RECT away{10, 10, 20, 20};
  EXPECT_EQ(dst->Blt(&away, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  for (uint32_t v : All(dst)) ASSERT_EQ(v, 0u);
}

TEST_F(DDrawTest, StretchClipsWithoutMovingTheImage) {
  auto* src = Make(2, 2, 16);
  auto* dst = Make(4, 4, 16);
  for (int i = 0; i < 4; ++i) Put(src, i % 2, i / 2, static_cast<uint32_t>(i + 1));
  RECT big{-2, -2, 2, 2};  // 2x, with its top-left quarter off the surface
  ASSERT_EQ(dst->Blt(&big, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(dst, 0, 0), 4u);
  EXPECT_EQ(Get(dst, 1, 1), 4u);
  EXPECT_EQ(Get(dst, 2, 0), 0u);
}

TEST_F(DDrawTest, EmptyOrInvertedRectanglesAreRefused) {
  auto* src = Make(4, 4, 16);
  auto* dst = Make(4, 4, 16);
  RECT empty{1, 1, 1, 3}, inverted{3, 3, 1, 1};
  EXPECT_EQ(dst->BltFast(0, 0, src, &empty, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->BltFast(0, 0, src, &inverted, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->Blt(&inverted, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(dst->Blt(nullptr, src, &empty, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(Fill(dst, &inverted, 1), DDERR_INVALIDRECT);
  DDBLTFX fx{};
  fx.dwSize = 99;
  EXPECT_EQ(dst->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dst->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DDrawTest, LockedSurfacesRefuseCopies) {
  auto* src = Make(4, 4, 16);
  auto* dst = Make(4, 4, 16);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  ASSERT_EQ(src->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, 0), DDERR_SURFACEBUSY);
  EXPECT_EQ(src->Blt(nullptr, dst, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(Fill(src, nullptr, 1), DDERR_SURFACEBUSY);
  EXPECT_EQ(src->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  ASSERT_EQ(src->Unlock(nullptr), DD_OK);
  EXPECT_EQ(src->Unlock(nullptr), DDERR_NOTLOCKED);
  EXPECT_EQ(dst->BltFast(0, 0, src, nullptr, 0), DD_OK);
}

TEST_F(DDrawTest, CopyWithinOneSurfaceReadsTheOldPixels) {
  auto* s = Make(8, 1, 16);
  for (int x = 0; x < 8; ++x) Put(s, x, 0, static_cast<uint32_t>(x + 1));
  RECT from{0, 0, 6, 1};
  ASSERT_EQ(s->BltFast(2, 0, s, &from, 0), DD_OK);
  EXPECT_EQ(All(s), (std::vector<uint32_t>{1, 2, 1, 2, 3, 4, 5, 6}));
  RECT to{0, 0, 8, 1}, half{0, 0, 4, 1};
  ASSERT_EQ(s->Blt(&to, s, &half, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(All(s), (std::vector<uint32_t>{1, 1, 2, 2, 1, 1, 2, 2}));
}

TEST_F(DDrawTest, CopiesBetweenFormatsConvertTheColours) {
  auto* src = Make(2, 1, 16);
  auto* dst = Make(2, 1, 32);
  Put(src, 0, 0, 0xF800);  // red
  Put(src, 1, 0, 0x07E0);  // green
  ASSERT_EQ(dst->BltFast(0, 0, src, nullptr, 0), DD_OK);
  EXPECT_EQ(Get(dst, 0, 0), 0xFF0000u);
  EXPECT_EQ(Get(dst, 1, 0), 0x00FF00u);
  // Colours cannot be turned into palette indices.
  auto* eight = Make(2, 1, 8);
  EXPECT_EQ(eight->BltFast(0, 0, src, nullptr, 0), DDERR_INVALIDPIXELFORMAT);
}

TEST_F(DDrawTest, HostileRectanglesNeverReachOutsideMemory) {
  // Run under the sanitizers: none of these may read or write out of bounds.
  auto* src = Make(13, 7, 16);
  auto* dst = Make(11, 5, 24);
  auto* same = Make(11, 5, 24);
  std::mt19937 rng(7);
  const LONG extremes[] = {INT32_MIN, INT32_MIN + 1, -100000, -13, -1, 0, 1, 5, 12, 13, 14, 100000, INT32_MAX - 1,
                           INT32_MAX};
  auto pick = [&] { return extremes[rng() % (sizeof(extremes) / sizeof(extremes[0]))]; };
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  for (int i = 0; i < 3000; ++i) {
    RECT a{pick(), pick(), pick(), pick()}, b{pick(), pick(), pick(), pick()};
    fx.dwDDFX = static_cast<DWORD>(rng() % 8) & (DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN);
    dst->Blt(&a, same, &b, DDBLT_DDFX | DDBLT_WAIT, &fx);
    dst->Blt(&a, dst, &b, DDBLT_WAIT, nullptr);
    same->BltFast(static_cast<DWORD>(pick()), static_cast<DWORD>(pick()), dst, &b, DDBLTFAST_SRCCOLORKEY);
    dst->Blt(&a, src, &b, DDBLT_WAIT, nullptr);  // converting
    fx.dwFillColor = static_cast<DWORD>(rng());
    dst->Blt(&a, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    if (dst->Lock(&a, &d, 0, nullptr) == DD_OK) {
      // A locked rectangle always lies inside the surface.
      EXPECT_GE(a.left, 0);
      EXPECT_LE(a.right, 11);
      EXPECT_LT(a.left, a.right);
      dst->Unlock(nullptr);
    }
  }
}

}  // namespace
