// SPDX-License-Identifier: MIT
// Music: one MIDI file at a time through the media control interface's command
// strings, on the device alias MUSIC, with completion notices (MM_MCINOTIFY)
// sent to a window. The mixer volume operations of Sound live in music.cpp.
#pragma once

#include "platform/windows.h"

class Music {
 public:
  explicit Music(HWND window);
  // Closes every device (Close).
  ~Music();
  Music(const Music&) = delete;
  Music& operator=(const Music&) = delete;

  // Closes every open device, opens fileName as a sequencer and plays it from
  // the beginning. 1 if every command was accepted, else 0.
  int Start(const char* fileName);
  // "stop MUSIC".
  int Stop();
  // "play MUSIC notify": goes on from where it stopped.
  int Resume();
  // "play MUSIC from 0 notify".
  int Restart();
  // "close all".
  int Close();

  HWND notifyWindow;
};
