// SPDX-License-Identifier: MIT
/// @file
/// What the headless backend records as a program runs: the message boxes it
/// showed, the windows it made, the frames it presented and the audio it
/// played. Plain data: the backend fills it, the test controls of
/// platform/headless.h hand it out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::headless {

/// A message box shown, with the answer it took.
struct MessageBoxRecord {
  std::string text;     ///< the message
  std::string caption;  ///< the title
  unsigned type = 0;    ///< MB_ buttons and icon
  int answer = 0;       ///< the answer taken
};

/// A window the platform asked the backend for.
struct WindowRecord {
  std::string title;         ///< the caption
  int clientWidth = 0;       ///< the client area's size
  int clientHeight = 0;      ///< the client area's size
  bool visible = false;      ///< shown
  bool cursorVisible = true;  ///< the cursor shows over it
  bool fullScreen = false;   ///< an exclusive full-screen display owns it
  bool hasIcon = false;      ///< the class gave it an icon
  bool destroyed = false;    ///< DestroyWindow was called
};

/// A presented frame (0x00RRGGBB, top row first). When the display has a pixel
/// format of its own, raw holds the same picture in it: rows of
/// width * bitsPerPixel / 8 bytes, top row first, with the format's channel
/// masks (zero for 8 bits, whose colours pixels gives through the palette).
struct CapturedFrame {
  int width = 0;                 ///< size in pixels
  int height = 0;                ///< size in pixels
  uint32_t time = 0;             ///< the virtual time it was presented at
  std::vector<uint32_t> pixels;  ///< 0x00RRGGBB, top row first
  int bitsPerPixel = 0;  ///< 0 when the frame came without raw pixels
  uint32_t redMask = 0;          ///< the raw format's red mask
  uint32_t greenMask = 0;        ///< the raw format's green mask
  uint32_t blueMask = 0;         ///< the raw format's blue mask
  std::vector<uint8_t> raw;      ///< the picture in the display's own format
};

/// Audio mixed in virtual time (interleaved, at the rate and channel count the
/// device was opened with).
struct AudioCapture {
  int rate = 0;                  ///< frames a second
  int channels = 0;              ///< interleaved channels
  bool open = false;             ///< an audio device is open
  std::vector<int16_t> samples;  ///< what was heard
};

}  // namespace platform::headless
