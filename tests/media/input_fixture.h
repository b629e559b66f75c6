// SPDX-License-Identifier: MIT
// A window with the focus and an Input made on it, on the headless backend.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "media/input.h"
#include "platform/headless.h"
#include "test_support.h"

namespace hl = platform::headless;

class InputTest : public ::testing::Test {
 protected:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) { return 0; }
  void SetUp() override {
    hl::Reset();
    window = test_support::MakeWindow("InputTest", WS_OVERLAPPEDWINDOW, 320, 240, Proc);
  }
  void TearDown() override {
    input.reset();
    EXPECT_EQ(hl::OpenInputDevices(), 0) << "a device was not released";
  }
  // Makes the Input; Create's result is returned.
  bool Make() {
    input = std::make_unique<Input>();
    return input->Create(GetModuleHandleA(nullptr), window, 0) != 0;
  }
  // Key states of slots first..last (inclusive) as a string of digits.
  std::string States(int first, int last) {
    std::string s;
    for (int i = first; i <= last; ++i) s += static_cast<char>('0' + input->GetKeyState(i));
    return s;
  }
  HWND window = nullptr;
  std::unique_ptr<Input> input;
};
