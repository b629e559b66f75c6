// SPDX-License-Identifier: MIT
// The DirectDraw and DirectSound error boxes and the DirectX descriptions.
#include "media/errors.h"

#include <gtest/gtest.h>

#include <string>

#include "media/screen.h"
#include "platform/ddraw.h"
#include "platform/dsound.h"
#include "platform/headless.h"

namespace {

constexpr HRESULT DD(uint32_t code) { return static_cast<HRESULT>(0x88760000u + code); }
constexpr HRESULT DS(uint32_t code) { return static_cast<HRESULT>(0x88780000u + code); }

bool QuitPosted() {
  MSG msg{};
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.message == WM_QUIT;
}

TEST(ReportDirectDrawError, ShowsNameFileAndLineThenAsksToQuit) {
  platform::headless::Reset();
  ReportDirectDrawError(DD(450), nullptr, "screen", 276);
  ASSERT_EQ(platform::headless::MessageBoxes().size(), 1u);
  const auto& box = platform::headless::MessageBoxes()[0];
  EXPECT_EQ(box.text, "DirectDraw Error DDERR_SURFACELOST\nFILE: screen\nLINE: 276");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.type, MB_OK) << "OK only, no icon";
  EXPECT_TRUE(QuitPosted());
}

TEST(ReportDirectDrawError, UnknownResultsAndGenericCodes) {
  platform::headless::Reset();
  ReportDirectDrawError(DD(1), nullptr, "surface", 1);
  ReportDirectDrawError(static_cast<HRESULT>(0x80070057u), nullptr, "surface", 2);
  ReportDirectDrawError(DD(680), nullptr, "surface", 3);
  const auto& boxes = platform::headless::MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text.substr(0, 30), "DirectDraw Error Unknown Error");
  EXPECT_NE(boxes[1].text.find("DDERR_INVALIDPARAMS\n"), std::string::npos);
  EXPECT_NE(boxes[2].text.find("DDERR_NOTPAGELOCKED\n"), std::string::npos);
}

TEST(ReportDirectDrawError, LongModuleNameIsCutNotOverflowed) {
  platform::headless::Reset();
  std::string module(2000, 'm');
  ReportDirectDrawError(DD(150), nullptr, module.c_str(), 12345);
  const auto& text = platform::headless::MessageBoxes().at(0).text;
  EXPECT_EQ(text.size(), 1023u);
  EXPECT_EQ(text.rfind("DirectDraw Error DDERR_INVALIDRECT\nFILE: mmm", 0), 0u);
}

TEST(ReportDirectSoundError, AnswerDecidesWhetherToQuit) {
  platform::headless::Reset();
  platform::headless::AnswerNextMessageBox(IDYES);
  ReportDirectSoundError(static_cast<HRESULT>(0x8007000Eu), nullptr);
  ASSERT_EQ(platform::headless::MessageBoxes().size(), 1u);
  const auto& box = platform::headless::MessageBoxes()[0];
  EXPECT_EQ(box.text, "DirectSound Error 'DSERR_OUTOFMEMORY.'\nContinue with Sound turned off?");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.type & MB_TYPEMASK, MB_YESNO);
  EXPECT_FALSE(QuitPosted()) << "Yes goes on without sound";

  platform::headless::AnswerNextMessageBox(IDNO);
  ReportDirectSoundError(DS(120), nullptr);
  EXPECT_NE(platform::headless::MessageBoxes().at(1).text.find("'DSERR_NODRIVER.'"), std::string::npos);
  EXPECT_TRUE(QuitPosted()) << "No asks the program to quit";
}

// Each row: the table looked in, the platform's own constant, its published
// value worked out by hand in hex (MAKE_DSHRESULT(n) is 0x88780000 + n,
// MAKE_DDHRESULT(n) 0x88760000 + n; the COM codes as they are), and the name
// the box shows. The constant must be the value and the value must give the
// name, so a wrong code in the header and a wrong code in the table are each
// caught.
TEST(ErrorNames, EveryDirectSoundRowDirectDrawsTableEdgesAndTheFallbacks) {
  using Lookup = const char* (*)(HRESULT);
  const Lookup ds = DirectSoundErrorName, dd = DirectDrawErrorName;
  const struct {
    Lookup table;
    HRESULT constant;
    uint32_t value;
    const char* name;
  } rows[] = {
      {ds, DSERR_UNSUPPORTED, 0x80004001u, "DSERR_UNSUPPORTED"},
      {ds, DSERR_GENERIC, 0x80004005u, "DSERR_GENERIC"},
      {ds, DSERR_NOAGGREGATION, 0x80040110u, "DSERR_NOAGGREGATION"},
      {ds, DSERR_OUTOFMEMORY, 0x8007000Eu, "DSERR_OUTOFMEMORY"},
      {ds, DSERR_INVALIDPARAM, 0x80070057u, "DSERR_INVALIDPARAM"},
      {ds, DSERR_ALLOCATED, 0x8878000Au, "DSERR_ALLOCATED"},                   // 10
      {ds, DSERR_CONTROLUNAVAIL, 0x8878001Eu, "DSERR_CONTROLUNAVAIL"},         // 30
      {ds, DSERR_INVALIDCALL, 0x88780032u, "DSERR_INVALIDCALL"},               // 50
      {ds, DSERR_PRIOLEVELNEEDED, 0x88780046u, "DSERR_PRIOLEVELNEEDED"},       // 70
      {ds, DSERR_BADFORMAT, 0x88780064u, "DSERR_BADFORMAT"},                   // 100
      {ds, DSERR_NODRIVER, 0x88780078u, "DSERR_NODRIVER"},                     // 120
      {ds, DSERR_ALREADYINITIALIZED, 0x88780082u, "DSERR_ALREADYINITIALIZED"}, // 130
      {ds, DSERR_BUFFERLOST, 0x88780096u, "DSERR_BUFFERLOST"},                 // 150
      {ds, DSERR_OTHERAPPHASPRIO, 0x887800A0u, "DSERR_OTHERAPPHASPRIO"},       // 160
      {ds, DSERR_UNINITIALIZED, 0x887800AAu, "DSERR_UNINITIALIZED"},           // 170
      // Not DirectSound's: the DirectDraw code with the number of
      // DSERR_BUFFERLOST, a neighbour of a row, success, and a code DirectSound
      // has a constant for but no row.
      {ds, DDERR_INVALIDRECT, 0x88760096u, "Unknown Error"},
      {ds, MAKE_DSHRESULT(11), 0x8878000Bu, "Unknown Error"},
      {ds, DS_OK, 0x00000000u, "Unknown Error"},
      {ds, DSERR_NOINTERFACE, 0x80004002u, "Unknown Error"},
      // DirectDraw's table: its first rows, its edges and a few between.
      {dd, DDERR_UNSUPPORTED, 0x80004001u, "DDERR_UNSUPPORTED"},
      {dd, DDERR_NOTINITIALIZED, 0x800401F0u, "DDERR_NOTINITIALIZED"},
      {dd, DDERR_INVALIDPARAMS, 0x80070057u, "DDERR_INVALIDPARAMS"},
      {dd, DDERR_ALREADYINITIALIZED, 0x88760005u, "DDERR_ALREADYINITIALIZED"},  // 5
      {dd, DDERR_INVALIDRECT, 0x88760096u, "DDERR_INVALIDRECT"},                // 150
      {dd, DDERR_NOCOLORKEY, 0x887600D7u, "DDERR_NOCOLORKEY"},                  // 215
      {dd, DDERR_OUTOFVIDEOMEMORY, 0x8876017Cu, "DDERR_OUTOFVIDEOMEMORY"},      // 380
      {dd, DDERR_CANTLOCKSURFACE, 0x887601B3u, "DDERR_CANTLOCKSURFACE"},        // 435
      {dd, DDERR_SURFACELOST, 0x887601C2u, "DDERR_SURFACELOST"},                // 450
      {dd, DDERR_WASSTILLDRAWING, 0x8876021Cu, "DDERR_WASSTILLDRAWING"},        // 540
      {dd, DDERR_DCALREADYCREATED, 0x8876026Cu, "DDERR_DCALREADYCREATED"},      // 620
      {dd, DDERR_NOTPAGELOCKED, 0x887602A8u, "DDERR_NOTPAGELOCKED"},            // 680, the last
      {dd, MAKE_DDHRESULT(681), 0x887602A9u, "Unknown Error"},
      {dd, MAKE_DDHRESULT(0), 0x88760000u, "Unknown Error"},
      {dd, DSERR_ALLOCATED, 0x8878000Au, "Unknown Error"},  // the tables do not mix
  };
  for (const auto& row : rows) {
    EXPECT_EQ(static_cast<uint32_t>(row.constant), row.value) << row.name;
    EXPECT_STREQ(row.table(static_cast<HRESULT>(row.value)), row.name) << std::hex << row.value;
  }
}

TEST(DirectXErrorText, QuotedRowsAndFallbacks) {
  EXPECT_STREQ(DirectXErrorText(0), "No error.");
  EXPECT_STREQ(DirectXErrorText(DD(5)), "This object is already initialized.");
  EXPECT_STREQ(DirectXErrorText(DD(150)), "Rectangle provided was invalid.");
  EXPECT_STREQ(DirectXErrorText(static_cast<HRESULT>(0x80004001u)), "Action not supported.");
  EXPECT_STREQ(DirectXErrorText(static_cast<HRESULT>(0x80004005u)), "Generic failure.");
  EXPECT_STREQ(DirectXErrorText(static_cast<HRESULT>(0x80070057u)),
               "One or more of the parameters passed to the function are incorrect.");
  EXPECT_STREQ(DirectXErrorText(static_cast<HRESULT>(0x8007000Eu)), DirectXErrorText(DD(380)));
  EXPECT_STREQ(DirectXErrorText(DD(380)), "DirectDraw does not have enough memory to perform the operation.");
  EXPECT_STREQ(DirectXErrorText(DD(215)), "Surface doesn't currently have a color key");
  EXPECT_STREQ(DirectXErrorText(DD(450)),
               "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface "
               "object representing this surface should have Restore called on it.");
  EXPECT_STREQ(DirectXErrorText(DD(700)), "D3DERR_BADMAJORVERSION");
  EXPECT_STREQ(DirectXErrorText(DD(787)), "The file was not found.");
  EXPECT_STREQ(DirectXErrorText(DD(793)), "D3DRMERR_UNABLETOEXECUTE");
  // Names of the DirectDraw table without a description row.
  for (HRESULT r : {static_cast<HRESULT>(0x800401F0u), DD(222), DD(435), DD(590), DD(591), DD(592), DD(620), DD(640),
                    DD(660), DD(680), DD(1), DS(10)})
    EXPECT_STREQ(DirectXErrorText(r), "Unrecognized error value.") << std::hex << r;
}

TEST(DirectXErrorText, EveryDirectDrawNameRowHasAnEnglishSentenceOrNone) {
  // Every named DirectDraw result either has a sentence (ending in a full stop,
  // except the one known row) or is one of the ten without a description.
  int described = 0;
  for (uint32_t code = 0; code <= 800; ++code) {
    const char* name = DirectDrawErrorName(DD(code));
    if (std::string(name) == "Unknown Error") continue;
    std::string text = DirectXErrorText(DD(code));
    if (text == "Unrecognized error value.") continue;
    ++described;
    EXPECT_NE(text, name) << "DirectDraw rows describe, not repeat the name: " << name;
    if (code != 215) {
      EXPECT_EQ(text.back(), '.') << name;
    }
  }
  EXPECT_EQ(described, 86);  // 95 coded DirectDraw rows less the 9 without a description
}

TEST(FatalError, FormatsWithStopIconThenAsksToQuit) {
  platform::headless::Reset();
  FatalError(nullptr, "Cannot load %s (%d of %d)", "ball.bmp", 2, 3);
  ASSERT_EQ(platform::headless::MessageBoxes().size(), 1u);
  const auto& box = platform::headless::MessageBoxes()[0];
  EXPECT_EQ(box.text, "Cannot load ball.bmp (2 of 3)");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.type, MB_OK | MB_ICONSTOP);
  EXPECT_TRUE(QuitPosted());
}

TEST(FatalError, LongMessageIsCutToTheBuffer) {
  platform::headless::Reset();
  std::string word(3000, 'x');
  FatalError(nullptr, "%s%s", word.c_str(), "tail");
  const auto& text = platform::headless::MessageBoxes().at(0).text;
  EXPECT_EQ(text.size(), 1023u);
  EXPECT_EQ(text, std::string(1023, 'x'));
  EXPECT_TRUE(QuitPosted());
}

TEST(FatalError, PercentSignsInArgumentsAreNotFormatsAgain) {
  platform::headless::Reset();
  FatalError(nullptr, "%s", "100%s %d");
  EXPECT_EQ(platform::headless::MessageBoxes().at(0).text, "100%s %d");
}

TEST(FatalError, WithAScreenWithOrWithoutADevice) {
  platform::headless::Reset();
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "FatalErrorTest";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "FatalErrorTest", "t", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
  {
    Screen screen(window, 640, 480, 16, 0);
    ASSERT_NE(screen.GetBack(), nullptr);
    FatalError(&screen, "full-screen %d", 1);
    EXPECT_EQ(platform::headless::MessageBoxes().back().text, "full-screen 1");
    EXPECT_TRUE(QuitPosted());
  }
  platform::headless::FailDirectDrawCreate(DDERR_NODIRECTDRAWHW);
  Screen broken;
  ASSERT_EQ(broken.GetDirectDraw(), nullptr);
  FatalError(&broken, "no device");
  EXPECT_EQ(platform::headless::MessageBoxes().back().text, "no device");
  EXPECT_EQ(platform::headless::MessageBoxes().back().type, MB_OK | MB_ICONSTOP);
  EXPECT_TRUE(QuitPosted());
}

}  // namespace
