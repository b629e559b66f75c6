// SPDX-License-Identifier: MIT
// The DirectDraw and DirectSound error boxes and the DirectX descriptions.
#include "media/errors.h"

#include <gtest/gtest.h>

#include <string>

#include "media/screen.h"
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

TEST(ErrorNames, EveryDirectSoundRowAndTheFallback) {
  const std::pair<HRESULT, const char*> rows[] = {
      {static_cast<HRESULT>(0x80004001u), "DSERR_UNSUPPORTED"},
      {static_cast<HRESULT>(0x80004005u), "DSERR_GENERIC"},
      {static_cast<HRESULT>(0x80040110u), "DSERR_NOAGGREGATION"},
      {static_cast<HRESULT>(0x8007000Eu), "DSERR_OUTOFMEMORY"},
      {static_cast<HRESULT>(0x80070057u), "DSERR_INVALIDPARAM"},
      {DS(10), "DSERR_ALLOCATED"},
      {DS(30), "DSERR_CONTROLUNAVAIL"},
      {DS(50), "DSERR_INVALIDCALL"},
      {DS(70), "DSERR_PRIOLEVELNEEDED"},
      {DS(100), "DSERR_BADFORMAT"},
      {DS(120), "DSERR_NODRIVER"},
      {DS(130), "DSERR_ALREADYINITIALIZED"},
      {DS(150), "DSERR_BUFFERLOST"},
      {DS(160), "DSERR_OTHERAPPHASPRIO"},
      {DS(170), "DSERR_UNINITIALIZED"},
      {DD(150), "Unknown Error"},
      {0, "Unknown Error"},
  };
  for (const auto& [result, name] : rows) EXPECT_STREQ(DirectSoundErrorName(result), name);
  EXPECT_STREQ(DirectDrawErrorName(DS(10)), "Unknown Error") << "the tables do not mix";
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
