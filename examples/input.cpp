// SPDX-License-Identifier: MIT
// input: what an Input object sees of the keyboard, the mouse and a joystick,
// drawn in the window and written on standard output once a frame.
//
// Input::Update reads the devices once a frame. The mouse and the joystick
// each move a pointer kept inside limits (here the window: 0..639, 0..479;
// the upper limits are exclusive); the "free" position keeps counting past
// them. Keys, mouse buttons and joystick buttons share key slots that step
// through up, pressed (went down at this update), held and released. Keys are
// also readable by scan code (GetRawKey), with their names (GetKeyName).
//
// The line written each frame, for a script to follow:
//   frame=N mouse=X,Y free=X,Y delta=DX,DY buttons=LRM [joystick=X,Y] keys=K,...
// where each key down is scan/code/"name"/state.
#include <memory>
#include <string>

#include "example.h"
#include "media/input.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

const char* StateName(KeyState state) {
  switch (state) {
    case KeyPressed:
      return "pressed";
    case KeyHeld:
      return "held";
    case KeyReleased:
      return "released";
    case KeyUp:
      break;
  }
  return "up";
}

// Every key down, as scan code / key code / name / state of its slot.
std::string KeysDown(const Input& input) {
  std::string out;
  for (DWORD scanCode = 0; scanCode < 256; ++scanCode) {
    if (!(input.GetRawKey(scanCode) & 0x80)) continue;
    char name[50];
    input.GetKeyName(scanCode, name);
    DWORD code = input.scanToKey[scanCode];  // 0: a key without a slot
    char item[120];
    std::snprintf(item, sizeof item, "%s%u/%u/\"%s\"/%s", out.empty() ? "" : ",", static_cast<unsigned>(scanCode),
                  static_cast<unsigned>(code), name, code ? StateName(input.GetKeyState(code)) : "untracked");
    out += item;
  }
  return out;
}

void Draw(Screen& screen, Input& input, const std::string& keys, const char* lastKey) {
  Surface* back = screen.GetBack();
  back->Fill(screen.ColorToPixel(RGB(16, 16, 32)));
  LONG x, y, jx, jy;
  input.GetMousePosition(&x, &y);
  input.GetJoystickPosition(&jx, &jy);
  if (back->Lock() == DD_OK) {
    // The three mouse buttons, lit while down.
    for (int b = 0; b < 3; ++b) {
      bool down = input.GetKeyState(kMouseButtonSlot + b) >= KeyPressed;
      DWORD colour = screen.ColorToPixel(down ? RGB(255, 200, 0) : RGB(80, 80, 80));
      back->FillRect(20 + b * 40, 400, 50 + b * 40, 450, colour);
    }
    if (input.joystickDevice) back->DrawCircle(jx, jy, 12, screen.ColorToPixel(RGB(80, 255, 80)));
    back->DrawHLine(x - 10, x + 10, y, screen.ColorToPixel(RGB(255, 255, 255)));
    back->DrawVLine(y - 10, y + 10, x, screen.ColorToPixel(RGB(255, 255, 255)));
    back->Unlock();
  }
  if (back->GetDC()) {
    back->SelectFont();
    char line[200];
    std::snprintf(line, sizeof line, "mouse %d, %d   joystick %s %d, %d", static_cast<int>(x), static_cast<int>(y),
                  input.joystickDevice ? "" : "(none)", static_cast<int>(jx), static_cast<int>(jy));
    back->DrawTextAt(20, 20, RGB(255, 255, 255), line);
    std::snprintf(line, sizeof line, "last key pressed: %s", lastKey);
    back->DrawTextAt(20, 44, RGB(255, 255, 255), line);
    RECT box = {20, 80, 620, 380};
    back->DrawTextInRect(("keys down: " + keys).c_str(), RGB(200, 200, 255), &box);
    back->ReleaseDC();
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  example::quitOnEscape = false;  // Escape is a key to show; the close box ends the program
  HWND window = example::OpenWindow(instance, "Rallex example: input", kWidth, kHeight, false);
  Screen screen;
  if (!window || !screen.CreateWindowed(window, kWidth, kHeight)) return 1;
  screen.GetBack()->MakeFont("Arial", 0, 16, 400);

  // The devices are foreground devices: they can be had once the window has
  // the focus, so the program asks until then.
  auto input = std::make_unique<Input>();
  bool said = false;
  while (!input->Create(instance, window, 0)) {
    if (!said) example::Say("waiting for the focus");
    said = true;
    input = std::make_unique<Input>();
    if (!example::PumpMessages()) return 2;
    Sleep(50);
  }
  input->SetMouseLimits(0, 0, kWidth, kHeight);
  input->SetMousePosition(kWidth / 2, kHeight / 2);
  input->SetJoystickLimits(0, 0, kWidth, kHeight);
  input->SetJoystickPosition(kWidth / 2, kHeight / 2);
  std::printf("ready joystick=%s\n",
              input->joystickDevice ? (input->JoystickIsGamepad() ? "gamepad" : "stick") : "none");

  char lastKey[50] = "none";
  for (unsigned frame = 0; example::PumpMessages(); ++frame) {
    input->Update();
    BYTE scanCode = input->FindNewKey();  // 255: no key went down
    if (scanCode != 255) input->GetKeyName(scanCode, lastKey);
    LONG x, y, fx, fy, dx, dy;
    input->GetMousePosition(&x, &y);
    input->GetMouseFreePosition(&fx, &fy);
    input->GetMouseDelta(&dx, &dy);
    std::string keys = KeysDown(*input);
    std::printf("frame=%u mouse=%d,%d free=%d,%d delta=%d,%d buttons=%d%d%d", frame, static_cast<int>(x),
                static_cast<int>(y), static_cast<int>(fx), static_cast<int>(fy), static_cast<int>(dx),
                static_cast<int>(dy), input->GetKeyState(kMouseButtonSlot) >= KeyPressed,
                input->GetKeyState(kMouseButtonSlot + 1) >= KeyPressed,
                input->GetKeyState(kMouseButtonSlot + 2) >= KeyPressed);
    if (input->joystickDevice) {
      LONG jx, jy;
      input->GetJoystickPosition(&jx, &jy);
      std::printf(" joystick=%d,%d", static_cast<int>(jx), static_cast<int>(jy));
    }
    std::printf(" keys=%s\n", keys.c_str());
    std::fflush(stdout);
    Draw(screen, *input, keys, lastKey);
    screen.Flip(1, 0, 0);
  }
  return 0;
}
