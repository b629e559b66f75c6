// SPDX-License-Identifier: MIT
// NAME_headless SCRIPT OUT: an example of the gallery on the headless backend,
// the user's part played by SCRIPT on the virtual clock. Once the program has
// ended, it writes what a test compares with the example's goldens:
//
//   OUT.ppm    the last frame presented, or the one the script names
//   OUT.txt    the exit status, the frame's size and every message box shown
//   OUT.audio  when anything was heard: the peak and RMS of each 100 ms of the
//              captured sound ("MS PEAK RMS", both channels together)
//
// SCRIPT has one step a line ('#' starts a comment):
//   at MS key NAME | keyup NAME          a key goes down / up (NAME: see kKeys)
//   at MS move DX DY                     relative mouse motion
//   at MS button N down|up               mouse button N
//   at MS focus on|off                   the window gains / loses the focus
//   at MS axis A VALUE                   joystick axis A (-32768..32767)
//   at MS close                          the window's close box
//   joystick                             a joystick is attached from the start
//   shot MS                              the picture kept is the first frame
//                                        presented at or after MS
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dinput.h"
#include "platform/headless.h"
#include "platform/windows.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace hl = platform::headless;

namespace {

struct Key {
  const char* name;
  uint32_t scanCode;
};
constexpr Key kKeys[] = {{"ESCAPE", DIK_ESCAPE}, {"SPACE", DIK_SPACE}, {"RETURN", DIK_RETURN}, {"UP", DIK_UP},
                         {"DOWN", DIK_DOWN},     {"LEFT", DIK_LEFT},   {"RIGHT", DIK_RIGHT},   {"A", DIK_A},
                         {"F", DIK_F},           {"M", DIK_M},         {"P", DIK_P},           {"LSHIFT", DIK_LSHIFT},
                         {"F12", DIK_F12}};

// Steps that have no scheduled form in the headless controls run when the
// first frame at or after their time is presented.
struct LateStep {
  uint32_t time;
  std::string what;
  int a, b;
  bool done = false;
};
std::vector<LateStep> lateSteps;
uint32_t shotTime = 0;
bool shotWanted = false;
hl::CapturedFrame shot;  // empty until taken

bool ScanCode(const std::string& name, uint32_t* code) {
  for (const Key& k : kKeys)
    if (name == k.name) {
      *code = k.scanCode;
      return true;
    }
  return false;
}

bool ReadScript(const char* path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string first, what, a, b;
    if (!(words >> first)) continue;
    if (first == "joystick") {
      hl::JoystickAttach(true);
      continue;
    }
    if (first == "shot" && (words >> shotTime)) {
      shotWanted = true;
      continue;
    }
    uint32_t time = 0, code = 0;
    bool ok = first == "at" && (words >> time >> what);
    if (ok && what == "key" && (words >> a) && ScanCode(a, &code)) {
      hl::KeyDownAt(time, code);
    } else if (ok && what == "keyup" && (words >> a) && ScanCode(a, &code)) {
      lateSteps.push_back({time, what, static_cast<int>(code), 0});
    } else if (ok && what == "move" && (words >> a >> b)) {
      hl::MouseMoveAt(time, std::stoi(a), std::stoi(b));
    } else if (ok && what == "button" && (words >> a >> b) && (b == "down" || b == "up")) {
      hl::MouseButtonAt(time, std::stoi(a), b == "down");
    } else if (ok && what == "focus" && (words >> a) && (a == "on" || a == "off")) {
      hl::SetFocusAt(time, a == "on");
    } else if (ok && what == "axis" && (words >> a >> b)) {
      lateSteps.push_back({time, what, std::stoi(a), std::stoi(b)});
    } else if (ok && what == "close") {
      hl::CloseWindowAt(time);
    } else {
      std::fprintf(stderr, "%s:%d: cannot read \"%s\"\n", path, number, line.c_str());
      return false;
    }
  }
  return true;
}

void RunLateSteps(const hl::CapturedFrame& frame) {
  if (shotWanted && shot.pixels.empty() && frame.time >= shotTime) shot = frame;
  for (LateStep& step : lateSteps) {
    if (step.done || frame.time < step.time) continue;
    step.done = true;
    if (step.what == "keyup") hl::KeyUp(static_cast<uint32_t>(step.a));
    if (step.what == "axis") hl::JoystickAxis(step.a, step.b);
  }
}

bool WriteFrame(const std::string& path, const hl::CapturedFrame& frame) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", frame.width, frame.height);
  std::vector<uint8_t> row(static_cast<size_t>(frame.width) * 3);
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      uint32_t p = frame.pixels[static_cast<size_t>(y) * frame.width + x];
      row[x * 3] = static_cast<uint8_t>(p >> 16);
      row[x * 3 + 1] = static_cast<uint8_t>(p >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(p);
    }
    std::fwrite(row.data(), 1, row.size(), f);
  }
  return std::fclose(f) == 0;
}

// Peak and RMS of every 100 ms; nothing when the capture is silent throughout.
bool WriteAudio(const std::string& path) {
  const hl::AudioCapture& audio = hl::CapturedAudio();
  if (audio.rate <= 0 || audio.channels <= 0) return true;
  size_t window = static_cast<size_t>(audio.rate / 10) * audio.channels;
  std::string out;
  bool heard = false;
  for (size_t start = 0; start + window <= audio.samples.size(); start += window) {
    int peak = 0;
    double sum = 0;
    for (size_t i = start; i < start + window; ++i) {
      int v = audio.samples[i];
      peak = std::max(peak, std::abs(v));
      sum += static_cast<double>(v) * v;
    }
    heard = heard || peak > 0;
    char line[64];
    std::snprintf(line, sizeof line, "%zu %d %.0f\n", start / window * 100, peak, std::sqrt(sum / window));
    out += line;
  }
  if (!heard) return true;
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fputs(out.c_str(), f);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SCRIPT OUT\n", argv[0]);
    return 2;
  }
  // The music examples hear one sound font whatever the machine's default.
  hl::SetSoundFont("/usr/share/sounds/sf2/FluidR3_GM.sf2");
  if (!ReadScript(argv[1])) return 2;
  hl::OnFramePresented(RunLateSteps);
  char noArguments[] = "";
  int status = WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);

  std::string out = argv[2];
  const hl::CapturedFrame* frame = shotWanted ? (shot.pixels.empty() ? nullptr : &shot) : hl::LastFrame();
  FILE* text = std::fopen((out + ".txt").c_str(), "w");
  if (!text) return 1;
  std::fprintf(text, "status %d\n", status);
  if (frame) std::fprintf(text, "frame %d x %d\n", frame->width, frame->height);
  for (const hl::MessageBoxRecord& box : hl::MessageBoxes()) {
    std::string oneLine = box.text;
    for (char& c : oneLine)
      if (c == '\n') c = '|';
    std::fprintf(text, "message box \"%s\": %s (answer %d)\n", box.caption.c_str(), oneLine.c_str(), box.answer);
  }
  bool ok = std::fclose(text) == 0;
  if (frame) ok = WriteFrame(out + ".ppm", *frame) && ok;
  ok = WriteAudio(out + ".audio") && ok;
  return ok ? 0 : 1;
}
