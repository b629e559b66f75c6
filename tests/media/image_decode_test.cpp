// SPDX-License-Identifier: MIT
// The image parsers on their own: Photoshop files made by ImageMagick (checked
// against ImageMagick's own reading of them), hand-made run-length corner
// cases, alpha masks and bitmap streams, and every kind of truncated or lying
// file.
#include "media/internal/image_decode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media_test_util.h"

using namespace media_test;

namespace {

bool Shell(const std::string& command) { return system((command + " 2>/dev/null").c_str()) == 0; }

struct Decoded {
  bool ok = false;
  PhotoshopImage image;
};

Decoded DecodeBytes(const std::vector<uint8_t>& bytes) {
  Decoded d;
  FILE* f = fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
  if (!f) return d;
  d.ok = DecodePhotoshop(f, d.image);
  fclose(f);
  return d;
}

Decoded DecodeFile(const std::string& name) { return DecodeBytes(ReadFile(name)); }

// A Photoshop header up to and including the compression field.
std::vector<uint8_t> PsdHeader(uint16_t channels, uint32_t rows, uint32_t columns, uint16_t compression,
                               uint16_t version = 1, uint16_t depth = 8, uint16_t mode = 3) {
  std::vector<uint8_t> v = {'8', 'B', 'P', 'S'};
  Put16BE(v, version);
  v.insert(v.end(), 6, 0);
  Put16BE(v, channels);
  Put32BE(v, rows);
  Put32BE(v, columns);
  Put16BE(v, depth);
  Put16BE(v, mode);
  Put32BE(v, 0);  // colour mode data
  Put32BE(v, 4);  // image resources: four bytes that are skipped
  v.insert(v.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  Put32BE(v, 0);  // layer and mask information
  Put16BE(v, compression);
  return v;
}

uint8_t Pixel(const PhotoshopImage& image, int x, int y, int byte) {
  return image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + byte];
}

class ImageMagickPsd : public ::testing::Test {
 protected:
  ScopedWorkDir dir;

  // Decodes NAME and compares every pixel with ImageMagick's reading of the
  // composite image. ImageMagick would "unblend" the composite's colours from a
  // white matte by default; the loader takes the stored channels as they are,
  // so the comparison reads them that way too.
  void ExpectMatchesImageMagick(const std::string& name, uint32_t channels, uint32_t compression) {
    ASSERT_TRUE(Shell("convert -define psd:alpha-unblend=off '" + name + "[0]' -depth 8 rgba:" + name + ".rgba"))
        << name;
    std::vector<uint8_t> rgba = ReadFile(name + ".rgba");
    Decoded d = DecodeFile(name);
    ASSERT_TRUE(d.ok) << name;
    EXPECT_EQ(d.image.channels, channels);
    EXPECT_EQ(d.image.compression, compression);
    size_t n = static_cast<size_t>(d.image.width) * d.image.height;
    ASSERT_EQ(rgba.size(), n * 4) << name;
    size_t mismatches = 0;
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* ours = &d.image.pixels[i * 4];
      const uint8_t* theirs = &rgba[i * 4];
      if (ours[2] != theirs[0] || ours[1] != theirs[1] || ours[0] != theirs[2] || ours[3] != theirs[3]) {
        if (mismatches++ < 5)
          ADD_FAILURE() << name << " pixel " << i << ": ours BGRA " << int(ours[0]) << "," << int(ours[1]) << ","
                        << int(ours[2]) << "," << int(ours[3]) << " theirs RGBA " << int(theirs[0]) << ","
                        << int(theirs[1]) << "," << int(theirs[2]) << "," << int(theirs[3]);
      }
    }
    EXPECT_EQ(mismatches, 0u) << name;
  }
};

}  // namespace

TEST_F(ImageMagickPsd, ThreeChannelsRawAndRunLength) {
  // A gradient (literal runs) with solid bars (repeat runs), wider than 128
  // columns so that runs of the maximum length occur.
  ASSERT_TRUE(Shell("convert -size 301x19 gradient:red-blue -fill '#10F080' -draw 'rectangle 0,4 300,8' "
                  "-fill black -draw 'line 0,12 300,15' -depth 8 ref.png"));
  ASSERT_TRUE(Shell("convert ref.png -alpha off -type truecolor -compress None raw.psd"));
  ASSERT_TRUE(Shell("convert ref.png -alpha off -type truecolor -compress RLE rle.psd"));
  ExpectMatchesImageMagick("raw.psd", 3, 0);
  ExpectMatchesImageMagick("rle.psd", 3, 1);
  // No fourth channel: every alpha byte is 255.
  Decoded d = DecodeFile("rle.psd");
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.image.width, 301);
  EXPECT_EQ(d.image.height, 19);
  for (int y = 0; y < d.image.height; ++y)
    for (int x = 0; x < d.image.width; ++x) ASSERT_EQ(Pixel(d.image, x, y, 3), 255);
  // Spot check against the picture itself: the green bar.
  EXPECT_EQ(Pixel(d.image, 150, 6, 2), 0x10);
  EXPECT_EQ(Pixel(d.image, 150, 6, 1), 0xF0);
  EXPECT_EQ(Pixel(d.image, 150, 6, 0), 0x80);
}

TEST_F(ImageMagickPsd, FourChannelsCarryAlpha) {
  ASSERT_TRUE(Shell("convert -size 37x23 xc:none -fill 'rgba(255,0,0,0.5)' -draw 'circle 18,11 18,2' "
                  "-fill 'rgba(0,200,50,1)' -draw 'rectangle 0,0 8,8' -depth 8 refa.png"));
  ASSERT_TRUE(Shell("convert refa.png -type truecoloralpha -compress None rawa.psd"));
  ASSERT_TRUE(Shell("convert refa.png -type truecoloralpha -compress RLE rlea.psd"));
  ExpectMatchesImageMagick("rawa.psd", 4, 0);
  ExpectMatchesImageMagick("rlea.psd", 4, 1);
  Decoded d = DecodeFile("rlea.psd");
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(Pixel(d.image, 2, 2, 3), 255);  // opaque square
  EXPECT_EQ(Pixel(d.image, 36, 22, 3), 0);  // transparent corner
}

TEST(PhotoshopRunLength, HeaderBytesAtTheLimits) {
  // One channel plane of 1 x 300 pixels (the colour plane read into blue),
  // then nothing else: 128 is skipped, 0x81 repeats the next byte 128 times,
  // 0x7F copies 128 literal bytes, 0xFF repeats twice, 0x00 copies one byte.
  std::vector<uint8_t> v = PsdHeader(3, 1, 300, 1);
  v.insert(v.end(), 3 * 2, 0);  // row byte counts, skipped
  auto plane = [&](uint8_t base) {
    v.push_back(128);
    v.push_back(0x81);
    v.push_back(base);
    v.push_back(0x7F);
    for (int i = 0; i < 128; ++i) v.push_back(static_cast<uint8_t>(base + 1 + i));
    v.push_back(0xD5);  // 257 - 0xD5 = 44 repeats
    v.push_back(static_cast<uint8_t>(base + 200));
  };
  // 128 + 128 + 44 = 300 bytes a plane.
  plane(0);
  plane(1);
  plane(2);
  Decoded d = DecodeBytes(v);
  ASSERT_TRUE(d.ok);
  for (int x = 0; x < 128; ++x) {
    EXPECT_EQ(Pixel(d.image, x, 0, 2), 0) << x;  // red: the first plane
    EXPECT_EQ(Pixel(d.image, x, 0, 0), 2) << x;  // blue: the third plane
  }
  for (int x = 128; x < 256; ++x) EXPECT_EQ(Pixel(d.image, x, 0, 1), static_cast<uint8_t>(1 + 1 + (x - 128))) << x;
  for (int x = 256; x < 300; ++x) EXPECT_EQ(Pixel(d.image, x, 0, 2), 200) << x;
  EXPECT_EQ(Pixel(d.image, 299, 0, 3), 255);
}

TEST(PhotoshopRunLength, RunsCrossRowsAndStopAtThePlaneEnd) {
  // 2 x 3 image, one run of 6 per plane across all rows; the last plane's run
  // claims 10 bytes and is cut at the plane's end without harm.
  std::vector<uint8_t> v = PsdHeader(3, 3, 2, 1);
  v.insert(v.end(), 3 * 3 * 2, 0);
  v.insert(v.end(), {0xFB, 10});                    // 6 x 10
  v.insert(v.end(), {0x05, 1, 2, 3, 4, 5, 6});      // 6 literals
  v.insert(v.end(), {0x09, 9, 9, 9, 9, 9, 9, 7, 7, 7, 7});  // 10 literals, 6 used
  Decoded d = DecodeBytes(v);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(Pixel(d.image, 1, 2, 2), 10);
  EXPECT_EQ(Pixel(d.image, 0, 1, 1), 3);
  EXPECT_EQ(Pixel(d.image, 1, 2, 1), 6);
  EXPECT_EQ(Pixel(d.image, 1, 2, 0), 9);
}

TEST(PhotoshopHeader, RejectsWhatItCannotRead) {
  std::vector<uint8_t> good = PsdHeader(3, 2, 2, 0);
  good.insert(good.end(), 12, 0x55);
  ASSERT_TRUE(DecodeBytes(good).ok);

  auto with = [&](auto change) {
    std::vector<uint8_t> v = good;
    change(v);
    return DecodeBytes(v).ok;
  };
  EXPECT_FALSE(with([](auto& v) { v[3] = 'T'; }));     // signature
  EXPECT_FALSE(with([](auto& v) { v[5] = 2; }));       // version 2
  EXPECT_FALSE(with([](auto& v) { v[13] = 25; }));     // 25 channels
  EXPECT_FALSE(with([](auto& v) { v[13] = 0; }));      // no channels
  EXPECT_FALSE(with([](auto& v) { v[23] = 16; }));     // depth 16
  EXPECT_FALSE(with([](auto& v) { v[25] = 1; }));      // greyscale
  EXPECT_FALSE(with([](auto& v) { v[43] = 2; }));      // compression 2
  EXPECT_FALSE(with([](auto& v) { v[17] = 0; }));      // zero rows
  // Sizes beyond the limit, and sizes the data cannot back.
  EXPECT_FALSE(DecodeBytes(PsdHeader(3, 32769, 1, 0)).ok);
  EXPECT_FALSE(DecodeBytes(PsdHeader(3, 30000, 30000, 0)).ok);
  EXPECT_FALSE(DecodeBytes(PsdHeader(3, 30000, 30000, 1)).ok);
  EXPECT_FALSE(DecodeBytes(PsdHeader(4, 0xFFFFFFFF, 0xFFFFFFFF, 1)).ok);
  // A section length that runs past the file.
  EXPECT_FALSE(with([](auto& v) { v[29] = 0xFF; }));
  // 24 channels are accepted; only the first four are read.
  std::vector<uint8_t> many = PsdHeader(24, 1, 1, 0);
  many.insert(many.end(), {10, 20, 30, 40});
  Decoded d = DecodeBytes(many);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(Pixel(d.image, 0, 0, 0), 30);
  EXPECT_EQ(Pixel(d.image, 0, 0, 3), 40);
}

TEST(PhotoshopHeader, EveryTruncationFails) {
  for (std::string name : {"raw", "rle"}) {
    std::vector<uint8_t> v = PsdHeader(4, 3, 5, name == "rle" ? 1 : 0);
    if (name == "raw") {
      for (int i = 0; i < 4 * 15; ++i) v.push_back(static_cast<uint8_t>(i));
    } else {
      v.insert(v.end(), 4 * 3 * 2, 0);
      for (int p = 0; p < 4; ++p) v.insert(v.end(), {0x0E, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    }
    ASSERT_TRUE(DecodeBytes(v).ok) << name;
    for (size_t len = 0; len < v.size(); ++len) {
      std::vector<uint8_t> cut(v.begin(), v.begin() + static_cast<long>(len));
      EXPECT_FALSE(DecodeBytes(cut).ok) << name << " cut at " << len;
    }
  }
}

TEST(AlphaMaskFile, SizeMustMatchAndBeBacked) {
  std::vector<uint8_t> v;
  Put32LE(v, 3);
  Put32LE(v, 2);
  v.insert(v.end(), {1, 2, 3, 4, 5, 6});
  auto read = [](const std::vector<uint8_t>& bytes, int w, int h) {
    FILE* f = fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
    uint8_t* mask = ReadAlphaMask(f, w, h);
    fclose(f);
    std::vector<uint8_t> out;
    if (mask) out.assign(mask, mask + static_cast<size_t>(w) * h);
    delete[] mask;
    return std::make_pair(mask != nullptr, out);
  };
  auto [ok, mask] = read(v, 3, 2);
  ASSERT_TRUE(ok);
  EXPECT_EQ(mask, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(read(v, 2, 3).first);
  EXPECT_FALSE(read(v, 3, 1).first);
  std::vector<uint8_t> shortFile(v.begin(), v.end() - 1);
  EXPECT_FALSE(read(shortFile, 3, 2).first);
  std::vector<uint8_t> header(v.begin(), v.begin() + 7);
  EXPECT_FALSE(read(header, 3, 2).first);
}

namespace {

bool ReadBitmapBytes(const std::vector<uint8_t>& bytes, uint32_t size, DibImage& image, long at = 0) {
  FILE* f = fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
  if (!f) return false;
  fseek(f, at, SEEK_SET);
  bool ok = ReadBitmapStream(f, size, image);
  fclose(f);
  return ok;
}

uint32_t InfoField(const DibImage& image, int at) {
  uint32_t v;
  memcpy(&v, image.info + at, 4);
  return v;
}

}  // namespace

TEST(BitmapStream, ReadsImageMagickBitmaps) {
  ScopedWorkDir dir;
  ASSERT_TRUE(Shell("convert -size 13x7 gradient:yellow-navy -depth 8 -type truecolor bmp3:true.bmp"));
  ASSERT_TRUE(Shell("convert -size 13x7 xc:white -fill red -draw 'rectangle 2,2 5,4' -type palette bmp3:pal.bmp"));
  std::vector<uint8_t> bytes = ReadFile("true.bmp");
  DibImage image;
  ASSERT_TRUE(ReadBitmapBytes(bytes, 0, image));
  EXPECT_EQ(image.width, 13);
  EXPECT_EQ(image.height, 7);
  EXPECT_EQ(InfoField(image, 0), 40u);
  EXPECT_EQ(image.bitsSize, bytes.size() - 54);
  // Row 0 of the file is the bottom row; its first pixel is the gradient's end.
  ASSERT_TRUE(Shell("convert true.bmp -depth 8 rgb:true.rgb"));
  std::vector<uint8_t> rgb = ReadFile("true.rgb");
  ASSERT_EQ(rgb.size(), 13u * 7 * 3);
  size_t stride = (13 * 3 + 3) / 4 * 4;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      const uint8_t* ours = &image.bits[(6 - y) * stride + x * 3];
      const uint8_t* theirs = &rgb[(y * 13 + x) * 3];
      ASSERT_EQ(ours[0], theirs[2]);
      ASSERT_EQ(ours[1], theirs[1]);
      ASSERT_EQ(ours[2], theirs[0]);
    }

  // A palette bitmap brings its colour table along.
  bytes = ReadFile("pal.bmp");
  DibImage pal;
  ASSERT_TRUE(ReadBitmapBytes(bytes, 0, pal));
  uint32_t bitCount = pal.info[14];
  ASSERT_LE(bitCount, 8u);
  uint32_t colors = InfoField(pal, 32);
  ASSERT_GE(colors, 2u);
  ASSERT_LE(colors, 1u << bitCount);
  bool sawRed = false;
  for (uint32_t i = 0; i < colors; ++i) {
    const uint8_t* e = pal.info + 40 + i * 4;
    if (e[0] == 0 && e[1] == 0 && e[2] == 255) sawRed = true;
  }
  EXPECT_TRUE(sawRed);
}

TEST(BitmapStream, SizesOffsetsAndTruncation) {
  ScopedWorkDir dir;
  ASSERT_TRUE(Shell("convert -size 5x3 xc:'#123456' -type truecolor bmp3:small.bmp"));
  std::vector<uint8_t> bmp = ReadFile("small.bmp");
  ASSERT_EQ(bmp.size(), 54u + 16 * 3);
  // Inside a larger stream: read from the current position with the given size.
  std::vector<uint8_t> packed(7, 0xEE);
  packed.insert(packed.end(), bmp.begin(), bmp.end());
  packed.insert(packed.end(), 9, 0xEE);
  DibImage image;
  ASSERT_TRUE(ReadBitmapBytes(packed, static_cast<uint32_t>(bmp.size()), image, 7));
  EXPECT_EQ(image.bitsSize, 48u);
  EXPECT_EQ(image.bits[0], 0x56);
  // Size 0 takes the header's file size.
  ASSERT_TRUE(ReadBitmapBytes(packed, 0, image, 7));
  EXPECT_EQ(image.bitsSize, 48u);

  auto patched = [&](int at, uint32_t value) {
    std::vector<uint8_t> v = bmp;
    memcpy(v.data() + at, &value, 4);
    return v;
  };
  EXPECT_FALSE(ReadBitmapBytes(patched(0, 0x4D43), 0, image));          // not "BM"
  EXPECT_FALSE(ReadBitmapBytes(patched(2, 0xFFFFFF00), 0, image));      // file size beyond the stream
  EXPECT_FALSE(ReadBitmapBytes(patched(10, 0xFFFFFFF0), 0, image));     // offset beyond the size
  EXPECT_FALSE(ReadBitmapBytes(patched(10, 20), 0, image));             // offset inside the headers
  EXPECT_FALSE(ReadBitmapBytes(patched(18, 100000), 0, image));         // width the bits cannot hold
  EXPECT_FALSE(ReadBitmapBytes(patched(22, 4), 0, image));              // one row more than stored
  EXPECT_FALSE(ReadBitmapBytes(patched(18, 0x80000000), 0, image));     // negative width
  EXPECT_FALSE(ReadBitmapBytes(patched(22, 0x80000000), 0, image));     // height of -2^31
  EXPECT_FALSE(ReadBitmapBytes(patched(30, 1), 0, image));              // run-length compression
  EXPECT_FALSE(ReadBitmapBytes(patched(14, 12), 0, image));             // a core header
  // Top-down rows are accepted and keep their sign.
  ASSERT_TRUE(ReadBitmapBytes(patched(22, static_cast<uint32_t>(-3)), 0, image));
  EXPECT_EQ(image.height, -3);
  for (size_t len = 0; len < bmp.size(); ++len) {
    std::vector<uint8_t> cut(bmp.begin(), bmp.begin() + static_cast<long>(len));
    EXPECT_FALSE(ReadBitmapBytes(cut, 0, image)) << len;
  }
}

TEST(BitmapStream, ColourTableCountIsBounded) {
  // An 8-bit bitmap claiming 5000 colours: the table handed on holds 256.
  std::vector<uint8_t> v = {'B', 'M'};
  uint32_t offset = 14 + 40 + 256 * 4;
  Put32LE(v, offset + 4);
  Put32LE(v, 0);
  Put32LE(v, offset);
  Put32LE(v, 40);
  Put32LE(v, 2);
  Put32LE(v, 1);
  Put16LE(v, 1);
  Put16LE(v, 8);
  Put32LE(v, 0);
  Put32LE(v, 4);
  Put32LE(v, 0);
  Put32LE(v, 0);
  Put32LE(v, 5000);
  Put32LE(v, 0);
  for (int i = 0; i < 256; ++i) Put32LE(v, static_cast<uint32_t>(i * 0x010101));
  v.insert(v.end(), {7, 9, 0, 0});
  DibImage image;
  ASSERT_TRUE(ReadBitmapBytes(v, 0, image));
  EXPECT_EQ(InfoField(image, 32), 256u);
  EXPECT_EQ(image.info[40 + 255 * 4], 255);
  // A table that would overlap the bits is refused.
  std::vector<uint8_t> overlap = v;
  uint32_t early = 14 + 40 + 16;
  memcpy(overlap.data() + 10, &early, 4);
  EXPECT_FALSE(ReadBitmapBytes(overlap, 0, image));
}

TEST(BitmapStream, RunLengthBitmapsKeepTheirByteCount) {
  ScopedWorkDir dir;
  ASSERT_TRUE(Shell("convert -size 40x6 xc:white -fill red -draw 'rectangle 3,1 30,4' -colors 4 -type palette "
                    "-compress RLE bmp3:rle.bmp"));
  std::vector<uint8_t> bmp = ReadFile("rle.bmp");
  ASSERT_GT(bmp.size(), 54u);
  uint32_t compression, sizeImage, offset;
  memcpy(&compression, bmp.data() + 30, 4);
  memcpy(&sizeImage, bmp.data() + 34, 4);
  memcpy(&offset, bmp.data() + 10, 4);
  ASSERT_TRUE(compression == 1 || compression == 2) << "ImageMagick wrote a run-length bitmap";
  DibImage image;
  ASSERT_TRUE(ReadBitmapBytes(bmp, 0, image));
  EXPECT_GE(image.bitsSize, sizeImage);
  EXPECT_EQ(InfoField(image, 16), compression);

  auto patched = [&](int at, uint32_t value) {
    std::vector<uint8_t> v = bmp;
    memcpy(v.data() + at, &value, 4);
    return v;
  };
  EXPECT_FALSE(ReadBitmapBytes(patched(34, static_cast<uint32_t>(bmp.size() - offset + 1)), 0, image));
  EXPECT_FALSE(ReadBitmapBytes(patched(34, 0), 0, image));                           // no byte count
  EXPECT_FALSE(ReadBitmapBytes(patched(22, static_cast<uint32_t>(-6)), 0, image));  // top-down
  std::vector<uint8_t> deep = bmp;
  deep[28] = 24;  // run-length data needs 4 or 8 bits a pixel
  EXPECT_FALSE(ReadBitmapBytes(deep, 0, image));
}
