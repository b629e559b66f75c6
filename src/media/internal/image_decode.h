// SPDX-License-Identifier: MIT
// Parsers behind the Surface loaders, kept apart from DirectDraw and GDI so
// that they can be checked on their own (and fuzzed from memory through
// fmemopen). Each reads from a stdio stream and fails cleanly on truncated,
// corrupt or lying input: every size read from a file is held against the
// dimension limit and against the bytes the stream still holds before anything
// is allocated for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

// Largest width or height accepted from an image file.
constexpr int32_t kMaxImageDimension = 32768;

// A decoded Photoshop image: Width x Height pixels of 4 bytes (blue, green,
// red, alpha), top row first.
struct PhotoshopImage {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t channels = 0;  // as the file declares them
  uint32_t compression = 0;
  std::unique_ptr<uint8_t[]> pixels;
};

// Reads an "8BPS" file (version 1, 8 bits a channel, RGB mode, raw or
// run-length data) from the stream's current position.
bool DecodePhotoshop(FILE* stream, PhotoshopImage& image);

// Reads an alpha-mask file (width, height as 32-bit little-endian values, then
// width x height bytes) for an image of the given size. Returns a new[]
// array of width x height bytes, or null when the file's size differs or the
// file is short.
uint8_t* ReadAlphaMask(FILE* stream, int32_t width, int32_t height);

// A Windows bitmap read from a stream: a 40-byte BITMAPINFOHEADER followed by
// the colour table (up to 256 entries) or the three bit-field masks, ready to
// be handed to StretchDIBits as a BITMAPINFO, and the pixel bits.
struct DibImage {
  alignas(8) uint8_t info[40 + 256 * 4] = {};
  std::unique_ptr<uint8_t[]> bits;
  size_t bitsSize = 0;
  int32_t width = 0;
  int32_t height = 0;  // rows; the header keeps its sign (negative: top row first)
};

// Reads a bitmap file image from the stream's current position. size is the
// byte size of the image in the stream, or 0 to take the file size from its
// header. Uncompressed (and bit-field) bitmaps of 1, 4, 8, 16, 24 and 32 bits
// a pixel are accepted, and run-length ones of 4 and 8 bits (GDI decodes them
// within the byte count their header gives).
bool ReadBitmapStream(FILE* stream, uint32_t size, DibImage& image);

// Bytes from the stream's position to its end, or -1.
int64_t StreamRemaining(FILE* stream);
