// SPDX-License-Identifier: MIT
// The mixer's cost: one second of 44.1 kHz stereo output with 4 and with 32
// looping sound buffers of assorted formats and rates playing (every voice is
// resampled, panned and summed). "share_of_realtime" is the time taken per
// second of audio in CPU time: 0.01 means 1 percent of one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "dsound/mixer.h"
#include "platform/dsound.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

struct Format {
  WORD bits;
  WORD channels;
  DWORD rate;
};
constexpr Format kFormats[] = {{16, 1, 22050}, {8, 1, 11025}, {16, 2, 44100}, {8, 2, 22050},
                               {16, 1, 48000}, {16, 2, 32000}, {8, 1, 8000},  {16, 1, 11025}};

void MixOneSecond(benchmark::State& state) {
  platform::headless::Reset();
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "MixerBench";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "MixerBench", "bench", 0, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  IDirectSound* ds = nullptr;
  if (DirectSoundCreate(nullptr, &ds, nullptr) != DS_OK) {
    state.SkipWithError("no sound device");
    return;
  }
  ds->SetCooperativeLevel(window, DSSCL_NORMAL);
  const int voices = static_cast<int>(state.range(0));
  std::vector<IDirectSoundBuffer*> buffers;
  for (int i = 0; i < voices; ++i) {
    const Format& f = kFormats[i % 8];
    WAVEFORMATEX wf{WAVE_FORMAT_PCM, f.channels, f.rate, 0, static_cast<WORD>(f.channels * f.bits / 8), f.bits, 0};
    wf.nAvgBytesPerSec = wf.nBlockAlign * f.rate;
    DSBUFFERDESC d{sizeof d, DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY,
                   wf.nAvgBytesPerSec / 3, 0, &wf};  // a third of a second, looped
    IDirectSoundBuffer* b = nullptr;
    if (ds->CreateSoundBuffer(&d, &b, nullptr) != DS_OK) {
      state.SkipWithError("buffer refused");
      return;
    }
    void* p;
    DWORD n;
    b->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    auto* bytes = static_cast<uint8_t*>(p);
    for (DWORD k = 0; k < n; ++k) bytes[k] = static_cast<uint8_t>(128 + 60 * std::sin(k * 0.05 * (i + 1)));
    b->Unlock(p, n, nullptr, 0);
    b->SetPan((i * 1700) % 20001 - 10000);
    b->SetVolume(-(i * 137) % 3000);
    b->Play(0, 0, DSBPLAY_LOOPING);
    buffers.push_back(b);
  }
  std::vector<int16_t> out(2 * 44100);
  auto& mixer = platform::audio::Mixer::Get();
  for (auto _ : state) {
    // The output callback asks for 512 frames at a time.
    for (int at = 0; at < 44100; at += 512) mixer.Mix(out.data() + 2 * at, std::min(512, 44100 - at));
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["share_of_realtime"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  for (auto* b : buffers) b->Release();
  ds->Release();
}

BENCHMARK(MixOneSecond)->Arg(4)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
