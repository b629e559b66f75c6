// SPDX-License-Identifier: MIT
/// @file
/// Music: one MIDI file at a time through the media control interface's command
/// strings, on the device alias MUSIC, with completion notices (MM_MCINOTIFY)
/// sent to a window. The mixer volume operations of Sound live in music.cpp.
/// The synthesizer is loaded when the first file is opened.
#pragma once

#include "platform/windows.h"

/// One MIDI file at a time, on the alias MUSIC. See the file's description.
class Music {
 public:
  /// Notices go to window.
  explicit Music(HWND window);
  /// Closes every device (Close).
  ~Music();
  Music(const Music&) = delete;
  Music& operator=(const Music&) = delete;

  /// Closes every open device, opens fileName as a sequencer and plays it from
  /// the beginning. 1 if every command was accepted, else 0.
  int Start(const char* fileName);
  /// "stop MUSIC".
  int Stop();
  /// "play MUSIC notify": goes on from where it stopped.
  int Resume();
  /// "play MUSIC from 0 notify".
  int Restart();
  /// "close all".
  int Close();

  /// The window MM_MCINOTIFY notices are sent to.
  HWND notifyWindow;
};
