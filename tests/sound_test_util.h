// SPDX-License-Identifier: MIT
// Shared by the sound tests: WAV and MIDI images built in the test, a window
// for the device, and measurements of the headless backend's captured audio.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/windows.h"
#include "test_support.h"

namespace sound_test {

inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}

// A canonical 44-byte-header WAV image around data.
struct WavSpec {
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  uint16_t blockAlign = 0;   // 0: channels * bits / 8
  uint32_t formatSize = 16;  // the size field only; the body stays 16 bytes
  int64_t claimedData = -1;  // -1: the real data size
};
inline std::vector<uint8_t> Wav(const std::vector<uint8_t>& data, const WavSpec& s = {}) {
  uint16_t align = s.blockAlign ? s.blockAlign : static_cast<uint16_t>(s.channels * s.bits / 8);
  std::vector<uint8_t> v = {'R', 'I', 'F', 'F'};
  Put32(v, static_cast<uint32_t>(36 + data.size()));
  v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(v, s.formatSize);
  Put16(v, 1);
  Put16(v, s.channels);
  Put32(v, s.rate);
  Put32(v, s.rate * align);
  Put16(v, align);
  Put16(v, s.bits);
  v.insert(v.end(), {'d', 'a', 't', 'a'});
  Put32(v, s.claimedData >= 0 ? static_cast<uint32_t>(s.claimedData) : static_cast<uint32_t>(data.size()));
  v.insert(v.end(), data.begin(), data.end());
  return v;
}

// frames of 16-bit mono at a constant level (-32768..32767).
inline std::vector<uint8_t> Dc16(size_t frames, int16_t level) {
  std::vector<uint8_t> v;
  for (size_t i = 0; i < frames; ++i) Put16(v, static_cast<uint16_t>(level));
  return v;
}

// A 16-bit mono sine of frequency at rate, amplitude 0..1.
inline std::vector<uint8_t> Sine16(size_t frames, double frequency, uint32_t rate, double amplitude) {
  std::vector<uint8_t> v;
  for (size_t i = 0; i < frames; ++i) {
    double x = amplitude * 32767.0 * std::sin(2 * M_PI * frequency * static_cast<double>(i) / rate);
    Put16(v, static_cast<uint16_t>(static_cast<int16_t>(std::lround(x))));
  }
  return v;
}

// A window the sound device can cooperate with.
inline HWND MakeWindow() { return test_support::MakeWindow("SoundTest", WS_VISIBLE, 320, 240); }

// One channel (0 left, 1 right) of the capture, -1..1.
inline std::vector<float> Channel(int channel) {
  const auto& cap = platform::headless::CapturedAudio();
  std::vector<float> out;
  for (size_t i = static_cast<size_t>(channel); i < cap.samples.size(); i += 2)
    out.push_back(static_cast<float>(cap.samples[i]) / 32768.0f);
  return out;
}

// The first frame whose magnitude exceeds threshold, or -1.
inline int64_t FirstSound(const std::vector<float>& x, float threshold = 1e-4f) {
  for (size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i]) > threshold) return static_cast<int64_t>(i);
  return -1;
}
// One past the last frame whose magnitude exceeds threshold, or -1.
inline int64_t LastSound(const std::vector<float>& x, float threshold = 1e-4f) {
  for (size_t i = x.size(); i-- > 0;)
    if (std::fabs(x[i]) > threshold) return static_cast<int64_t>(i + 1);
  return -1;
}

inline double Rms(const std::vector<float>& x, size_t from, size_t to) {
  double sum = 0;
  if (to > x.size()) to = x.size();
  if (from >= to) return 0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

// The frequency of a tone from its rising zero crossings (interpolated).
inline double ToneFrequency(const std::vector<float>& x, size_t from, size_t to, int rate) {
  if (to > x.size()) to = x.size();
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (x[i - 1] < 0 && x[i] >= 0) {
      double at = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
      if (first < 0) first = at;
      last = at;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return (crossings - 1) * rate / (last - first);
}

// Relative power of frequency in x[from, to) (Goertzel), normalised so that a
// full-scale sine at that frequency gives about 0.5.
inline double PowerAt(const std::vector<float>& x, size_t from, size_t to, double frequency, int rate) {
  if (to > x.size()) to = x.size();
  double w = 2 * M_PI * frequency / rate, c = 2 * std::cos(w), s1 = 0, s2 = 0;
  for (size_t i = from; i < to; ++i) {
    double s0 = x[i] + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  double n = static_cast<double>(to - from);
  double power = s1 * s1 + s2 * s2 - c * s1 * s2;
  return 2 * power / (n * n);
}

// A Standard MIDI File (format 0, 480 ticks a quarter, 120 beats a minute)
// playing the given notes one after another on a piano, each for ticks ticks.
inline std::vector<uint8_t> Smf(const std::vector<int>& notes, uint32_t ticks = 480, int program = 0) {
  std::vector<uint8_t> track;
  auto vlq = [&](uint32_t v) {
    uint8_t b[4];
    int n = 0;
    b[n++] = v & 0x7F;
    while (v >>= 7) b[n++] = static_cast<uint8_t>(0x80 | (v & 0x7F));
    while (n--) track.push_back(b[n]);
  };
  vlq(0);
  track.insert(track.end(), {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500000 us a quarter
  vlq(0);
  track.insert(track.end(), {0xC0, static_cast<uint8_t>(program)});
  for (int note : notes) {
    vlq(0);
    track.insert(track.end(), {0x90, static_cast<uint8_t>(note), 100});
    vlq(ticks);
    track.insert(track.end(), {0x80, static_cast<uint8_t>(note), 0});
  }
  vlq(0);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> v = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
  uint32_t n = static_cast<uint32_t>(track.size());
  v.insert(v.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                     static_cast<uint8_t>(n)});
  v.insert(v.end(), track.begin(), track.end());
  return v;
}

}  // namespace sound_test
