// SPDX-License-Identifier: MIT
// The display's palette in an 8-bit mode: entries, fills, grey, the three fades
// (their end values, their steps on the virtual clock and what the display
// shows in the middle of one), and loading one from a bitmap.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "media/screen.h"
#include "media/surface.h"
#include "surface_fixture.h"

namespace {

using surface_test::SurfaceTest;
namespace headless = platform::headless;

class PaletteTest : public SurfaceTest {
 protected:
  void SetUp() override {
    SurfaceTest::SetUp();
    display = Display(8);
    ASSERT_NE(display, nullptr);
  }
  void TearDown() override {
    headless::OnFramePresented(nullptr);
    SurfaceTest::TearDown();
  }
  std::vector<PALETTEENTRY> Entries() {
    std::vector<PALETTEENTRY> e(256);
    EXPECT_EQ(display->GetPaletteEntries(0, 256, e.data()), DD_OK);
    return e;
  }
  void SetAll(const PALETTEENTRY& value) {
    std::vector<PALETTEENTRY> e(256, value);
    ASSERT_EQ(display->SetPaletteEntries(0, 256, e.data()), DD_OK);
  }

  // Every palette write the display shows: the time and the palette then.
  struct Write {
    uint32_t time;
    std::vector<PALETTEENTRY> entries;
    uint32_t topLeft;  // the colour shown at (0, 0)
  };
  void RecordWrites() {
    writes.clear();
    headless::OnFramePresented([this](const headless::CapturedFrame& frame) {
      writes.push_back({headless::Now(), Entries(), frame.pixels.empty() ? 0xFFFFFFFFu : frame.pixels[0]});
    });
  }

  Screen* display = nullptr;
  std::vector<Write> writes;
};

PALETTEENTRY Entry(int r, int g, int b, int flags = 0) {
  return PALETTEENTRY{static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b), static_cast<BYTE>(flags)};
}

TEST_F(PaletteTest, FadeOutEndsAtTheValueLeftAfter83StepsOf3) {
  // 255 - 83 * 3 = 6; 252 - 82 * 3 = 6 -> 3 in the last step; from 251 the
  // channel reaches 5 or less within 83 steps and snaps to 0.
  struct Case {
    int start, end;
  } cases[] = {{255, 6}, {254, 5}, {253, 4}, {252, 3}, {251, 0}, {128, 0}, {6, 0}, {5, 0}, {1, 0}, {0, 0}};
  std::vector<PALETTEENTRY> start(256, Entry(9, 9, 9));
  start[0] = Entry(255, 255, 255);
  int n = 1;
  for (const Case& c : cases) {
    start[n] = Entry(c.start, c.start, c.start);
    start[n + 100] = Entry(c.start, 0, 255);  // channels move independently
    ++n;
  }
  ASSERT_EQ(display->SetPaletteEntries(0, 256, start.data()), DD_OK);
  display->FadePaletteOut(0);
  std::vector<PALETTEENTRY> e = Entries();
  n = 1;
  for (const Case& c : cases) {
    EXPECT_EQ(e[n].peRed, c.end) << "from " << c.start;
    EXPECT_EQ(e[n].peBlue, c.end) << "from " << c.start;
    EXPECT_EQ(e[n + 100].peRed, c.end) << "from " << c.start;
    EXPECT_EQ(e[n + 100].peGreen, 0);
    EXPECT_EQ(e[n + 100].peBlue, 6);
    ++n;
  }
  EXPECT_EQ(e[0].peRed, 255) << "entry 0 is left alone";
}

TEST_F(PaletteTest, FadeToAPaletteOrColourMovesBy3AndSnapsWithin5) {
  struct Case {
    int start, target, afterFirstStep, end;
  } cases[] = {
      {0, 255, 3, 249},      // black to white: 83 * 3 = 249, never within 5
      {255, 0, 252, 6},      // white to black by the general rule
      {100, 104, 104, 104},  // within 5 above: the target at once
      {100, 95, 95, 95},     // within 5 below
      {100, 106, 103, 106},  // 6 away: one step of 3, then the snap
      {10, 200, 13, 200},    // 190 away: 62 steps reach 196, then the snap
      {77, 77, 77, 77},
  };
  std::vector<PALETTEENTRY> start(256, Entry(0, 0, 0)), target(256, Entry(0, 0, 0));
  start[0] = Entry(1, 2, 3);
  target[0] = Entry(200, 200, 200);
  for (size_t i = 0; i < std::size(cases); ++i) {
    start[i + 1] = Entry(cases[i].start, cases[i].start, 50, 4);
    target[i + 1] = Entry(cases[i].target, cases[i].target, 50, 0);
  }
  ASSERT_EQ(display->SetPaletteEntries(0, 256, start.data()), DD_OK);
  RecordWrites();
  display->FadePaletteTo(0, target.data());
  ASSERT_EQ(writes.size(), 83u);
  std::vector<PALETTEENTRY> e = Entries();
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(writes[0].entries[i + 1].peRed, c.afterFirstStep) << c.start << " -> " << c.target;
    EXPECT_EQ(e[i + 1].peRed, c.end) << c.start << " -> " << c.target;
    EXPECT_EQ(e[i + 1].peGreen, c.end) << c.start << " -> " << c.target;
    EXPECT_EQ(e[i + 1].peBlue, 50);
    EXPECT_EQ(e[i + 1].peFlags, 4) << "flags are not faded";
  }
  EXPECT_EQ(e[0].peRed, 1);
  EXPECT_EQ(e[0].peBlue, 3);

  // Towards one colour: red climbs 249 of its 255; green falls by 3 to 4 and
  // then snaps to 0; blue is within 5 at once.
  SetAll(Entry(0, 250, 128));
  display->FadePaletteToColor(255, 0, 130, 0);
  e = Entries();
  EXPECT_EQ(e[0].peGreen, 250);
  for (int i = 1; i < 256; ++i) {
    ASSERT_EQ(e[i].peRed, 249) << i;
    ASSERT_EQ(e[i].peGreen, 0) << i;
    ASSERT_EQ(e[i].peBlue, 130) << i;
  }
}

TEST_F(PaletteTest, EachFadeWrites83TimesWaitingTheDelayBetweenWrites) {
  PALETTEENTRY target[256] = {};
  struct Case {
    const char* name;
    uint32_t delay;
    void (*fade)(Screen*, uint32_t, const PALETTEENTRY*);
  } cases[] = {
      {"out", 10, [](Screen* s, uint32_t d, const PALETTEENTRY*) { s->FadePaletteOut(d); }},
      {"to", 7, [](Screen* s, uint32_t d, const PALETTEENTRY* t) { s->FadePaletteTo(d, t); }},
      {"colour", 1, [](Screen* s, uint32_t d, const PALETTEENTRY*) { s->FadePaletteToColor(9, 9, 9, d); }},
      {"out, no delay", 0, [](Screen* s, uint32_t d, const PALETTEENTRY*) { s->FadePaletteOut(d); }},
  };
  for (const Case& c : cases) {
    SetAll(Entry(200, 200, 200));
    RecordWrites();
    uint32_t before = headless::Now();
    c.fade(display, c.delay, target);
    uint32_t after = headless::Now();
    ASSERT_EQ(writes.size(), 83u) << c.name;
    EXPECT_EQ(writes[0].time, before + c.delay) << c.name << ": the wait comes before the first write";
    for (size_t i = 1; i < writes.size(); ++i)
      ASSERT_EQ(writes[i].time - writes[i - 1].time, c.delay) << c.name << " write " << i;
    EXPECT_EQ(after - before, 83 * c.delay) << c.name;
  }
}

TEST_F(PaletteTest, TheDisplayShowsEachStepOfAFade) {
  Surface* front = display->GetFront();
  ASSERT_EQ(front->FillRect(0, 0, 320, 240, 7), DD_OK);
  std::vector<PALETTEENTRY> start(256, Entry(0, 0, 0));
  start[7] = Entry(200, 100, 50);
  ASSERT_EQ(display->SetPaletteEntries(0, 256, start.data()), DD_OK);
  RecordWrites();
  display->FadePaletteOut(5);
  ASSERT_EQ(writes.size(), 83u);
  // After step k a channel c > 5 + 3k reads c - 3k.
  EXPECT_EQ(writes[0].topLeft, 0xC5612Fu);   // 197, 97, 47
  EXPECT_EQ(writes[9].topLeft, 0xAA4614u);   // 170, 70, 20
  EXPECT_EQ(writes[14].topLeft, 0x9B3705u);  // 155, 55, 5
  EXPECT_EQ(writes[15].topLeft, 0x983400u);  // blue was 5: 0
  EXPECT_EQ(writes[31].topLeft, 0x680400u);  // 104, 4 -> green snapped next
  EXPECT_EQ(writes[32].topLeft, 0x650000u);
  EXPECT_EQ(writes[82].topLeft, 0x000000u);
}

TEST_F(PaletteTest, FillAndGreyLeaveEntryZeroAndTheFlags) {
  std::vector<PALETTEENTRY> start(256);
  for (int i = 0; i < 256; ++i) start[i] = Entry(i, 255 - i, i / 2, i % 8);
  start[1] = Entry(10, 20, 31, 5);
  start[2] = Entry(255, 255, 254, 1);
  start[3] = Entry(2, 0, 0, 0);

  ASSERT_EQ(display->SetPaletteEntries(0, 256, start.data()), DD_OK);
  EXPECT_EQ(display->FillPalette(255, 0, 0), DD_OK);
  std::vector<PALETTEENTRY> e = Entries();
  EXPECT_EQ(e[0].peRed, 0);
  EXPECT_EQ(e[0].peGreen, 255);
  for (int i = 1; i < 256; ++i) {
    ASSERT_EQ(e[i].peRed, 255) << i;
    ASSERT_EQ(e[i].peGreen + e[i].peBlue, 0) << i;
    ASSERT_EQ(e[i].peFlags, start[i].peFlags) << i;
  }

  ASSERT_EQ(display->SetPaletteEntries(0, 256, start.data()), DD_OK);
  display->GreyPalette();
  e = Entries();
  struct Case {
    int index, grey;
  } cases[] = {{1, 20}, {2, 254}, {3, 0}, {4, (4 + 251 + 2) / 3}};
  for (const Case& c : cases) {
    EXPECT_EQ(e[c.index].peRed, c.grey) << c.index;
    EXPECT_EQ(e[c.index].peGreen, c.grey) << c.index;
    EXPECT_EQ(e[c.index].peBlue, c.grey) << c.index;
    EXPECT_EQ(e[c.index].peFlags, start[c.index].peFlags) << c.index;
  }
  EXPECT_EQ(e[0].peGreen, 255) << "entry 0 is left alone";
}

TEST_F(PaletteTest, SingleEntriesKeepTheirFlagsAndRefuseIndicesOutsideThePalette) {
  std::vector<PALETTEENTRY> start(256, Entry(1, 2, 3, 6));
  ASSERT_EQ(display->SetPaletteEntries(0, 256, start.data()), DD_OK);
  EXPECT_EQ(display->SetPaletteEntry(255, 40, 50, 60), DD_OK);
  int32_t r = -1, g = -1, b = -1;
  display->GetPaletteEntry(255, &r, &g, &b);
  EXPECT_EQ(r, 40);
  EXPECT_EQ(g, 50);
  EXPECT_EQ(b, 60);
  EXPECT_EQ(Entries()[255].peFlags, 6);

  for (int32_t index : {256, -1, INT32_MIN}) {
    EXPECT_NE(display->SetPaletteEntry(index, 9, 9, 9), DD_OK) << index;
    r = g = b = -7;
    display->GetPaletteEntry(index, &r, &g, &b);
    EXPECT_EQ(r + g + b, -21) << "outputs untouched for " << index;
  }
  // Runs that reach past entry 255 are refused whole.
  PALETTEENTRY two[2] = {Entry(7, 7, 7), Entry(7, 7, 7)};
  EXPECT_NE(display->SetPaletteEntries(255, 2, two), DD_OK);
  EXPECT_NE(display->SetPaletteEntries(1, -1, two), DD_OK);
  EXPECT_NE(display->GetPaletteEntries(255, 2, two), DD_OK);
  std::vector<PALETTEENTRY> e = Entries();
  EXPECT_EQ(e[1].peRed, 1);
  EXPECT_EQ(e[255].peRed, 40);
}

TEST_F(PaletteTest, LoadPaletteReplacesThePaletteOnTheDisplay) {
  Surface* front = display->GetFront();
  ASSERT_EQ(front->FillRect(0, 0, 320, 240, 1), DD_OK);
  EXPECT_FALSE(display->LoadPalette(nullptr));
  EXPECT_FALSE(display->LoadPalette("missing.bmp"));
  IDirectDrawPalette* before = display->GetPalette();
  EXPECT_EQ(Entries()[1].peBlue, 85) << "the default palette stays after failures";

  // A bitmap resource whose first colours are red, green and blue.
  ASSERT_TRUE(display->LoadPalette("SURFACE_PALETTE"));
  EXPECT_NE(display->GetPalette(), before);
  std::vector<PALETTEENTRY> e = Entries();
  EXPECT_EQ(e[0].peRed, 255);
  EXPECT_EQ(e[1].peGreen, 255);
  EXPECT_EQ(e[2].peBlue, 255);
  // Shown at once, and the palette operations now work on the new one.
  EXPECT_EQ(display->SetPaletteEntry(200, 1, 1, 1), DD_OK);
  ASSERT_NE(headless::LastFrame(), nullptr);
  EXPECT_EQ(headless::LastFrame()->pixels[0], 0x00FF00u);
}

}  // namespace
