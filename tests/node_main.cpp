// SPDX-License-Identifier: MIT
// main of the unit test programs built for WebAssembly. Once an asynchronous
// call (a font file fetched) has suspended and resumed main, the value main
// returns no longer reaches node, which would end with 0 after failed tests;
// exit() hands node the result whatever happened before.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  std::exit(RUN_ALL_TESTS());
}
