// SPDX-License-Identifier: MIT
/// @file
/// The processor level of the platform's and the media layer's pixel loops.
/// Not a Windows call: a program that writes vector loops of its own can
/// follow the same level, and so can a test that reports what it ran.
#pragma once

namespace platform::cpu {

/// The level every vector loop runs at for the whole run: "plain" (the
/// per-pixel forms) or one of Highway's targets in lower case ("ssse3",
/// "sse4", "avx2", "avx3" on x86-64; "neon" on arm64; "wasm" in the browser).
/// Chosen on the first call, from the best level the processor has, under the
/// cap of the environment variable RALLEX_CPU when it names a level.
const char* LevelName();

}  // namespace platform::cpu
