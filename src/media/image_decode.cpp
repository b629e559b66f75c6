// SPDX-License-Identifier: MIT
#include "media/internal/image_decode.h"

#include <cstring>
#include <new>

namespace {

// Big-endian reads of the Photoshop format, one byte at a time. An exhausted
// stream yields EOF for each byte; `failed` remembers that it happened so that
// a value built from EOF bytes is never trusted.
class BigEndianReader {
 public:
  explicit BigEndianReader(FILE* stream) : stream_(stream) {}
  int Byte() {
    int c = getc_unlocked(stream_);
    if (c == EOF) failed = true;
    return c;
  }
  uint32_t U16() {
    uint32_t hi = static_cast<uint32_t>(Byte()) & 0xFF;
    uint32_t lo = static_cast<uint32_t>(Byte()) & 0xFF;
    return hi << 8 | lo;
  }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | (static_cast<uint32_t>(Byte()) & 0xFF);
    return v;
  }
  bool failed = false;

 private:
  FILE* stream_;
};

// Skips length bytes when the stream holds them.
bool Skip(FILE* stream, uint64_t length) {
  int64_t remaining = StreamRemaining(stream);
  if (remaining < 0 || length > static_cast<uint64_t>(remaining)) return false;
  return fseeko(stream, static_cast<off_t>(length), SEEK_CUR) == 0;
}

// Byte position within a decoded pixel of file channels 0..3 (red, green,
// blue, alpha): pixels are stored blue, green, red, alpha.
constexpr int kChannelPosition[4] = {2, 1, 0, 3};

bool ReadRawPlane(FILE* stream, uint8_t* pixels, size_t count, int position) {
  uint8_t chunk[65536];
  size_t done = 0;
  while (done < count) {
    size_t want = count - done < sizeof chunk ? count - done : sizeof chunk;
    if (fread(chunk, 1, want, stream) != want) return false;
    uint8_t* out = pixels + done * 4 + position;
    for (size_t i = 0; i < want; ++i) out[i * 4] = chunk[i];
    done += want;
  }
  return true;
}

// One plane of run-length data, treated as a single stream of count bytes
// (runs may cross rows). A run reaching past the plane's end is cut at the end;
// its remaining bytes are still consumed so the next plane starts where the
// encoder put it.
bool ReadRunLengthPlane(FILE* stream, uint8_t* pixels, size_t count, int position) {
  size_t filled = 0;
  while (filled < count) {
    int header = getc_unlocked(stream);
    if (header == EOF) return false;
    if (header < 128) {
      int length = header + 1;
      for (int i = 0; i < length; ++i) {
        int b = getc_unlocked(stream);
        if (b == EOF) return false;
        if (filled < count) pixels[filled * 4 + position] = static_cast<uint8_t>(b);
        ++filled;
      }
    } else if (header > 128) {
      size_t length = static_cast<size_t>(257 - header);
      int b = getc_unlocked(stream);
      if (b == EOF) return false;
      size_t stop = filled + length < count ? filled + length : count;
      for (size_t i = filled; i < stop; ++i) pixels[i * 4 + position] = static_cast<uint8_t>(b);
      filled += length;
    }
    // 128 is a no-op.
  }
  return true;
}

uint32_t LittleEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t LittleEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

int64_t StreamRemaining(FILE* stream) {
  if (!stream) return -1;
  off_t here = ftello(stream);
  if (here < 0 || fseeko(stream, 0, SEEK_END) != 0) return -1;
  off_t end = ftello(stream);
  if (fseeko(stream, here, SEEK_SET) != 0 || end < here) return -1;
  return static_cast<int64_t>(end - here);
}

bool DecodePhotoshop(FILE* stream, PhotoshopImage& image) {
  if (!stream) return false;
  BigEndianReader in(stream);
  char signature[4];
  for (char& c : signature) c = static_cast<char>(in.Byte());
  if (in.failed || memcmp(signature, "8BPS", 4) != 0) return false;
  if (in.U16() != 1) return false;
  in.U32();  // reserved
  in.U16();
  uint32_t channels = in.U16();
  uint32_t rows = in.U32();
  uint32_t columns = in.U32();
  uint32_t depth = in.U16();
  uint32_t mode = in.U16();
  if (in.failed || channels > 24 || depth != 8 || mode != 3) return false;
  // A file without channels, or with a size no picture can have, describes
  // nothing the stream could back.
  if (channels == 0 || rows == 0 || columns == 0 || rows > static_cast<uint32_t>(kMaxImageDimension) ||
      columns > static_cast<uint32_t>(kMaxImageDimension))
    return false;
  for (int section = 0; section < 3; ++section) {  // colour mode data, image resources, layers
    uint32_t length = in.U32();
    if (in.failed || !Skip(stream, length)) return false;
  }
  uint32_t compression = in.U16();
  if (in.failed || compression > 1) return false;

  const size_t count = static_cast<size_t>(rows) * columns;
  const uint32_t planes = channels < 4 ? channels : 4;  // channels beyond the fourth are not read
  int64_t remaining = StreamRemaining(stream);
  if (remaining < 0) return false;
  // The least the data can take: a raw plane is count bytes; a run-length plane
  // needs at least two bytes for every 128 of its bytes, after the row counts.
  uint64_t needed;
  if (compression == 0) {
    needed = static_cast<uint64_t>(planes) * count;
  } else {
    uint64_t rowCounts = static_cast<uint64_t>(channels) * rows * 2;
    needed = rowCounts + static_cast<uint64_t>(planes) * ((count + 127) / 128) * 2;
    if (!Skip(stream, rowCounts)) return false;
    needed -= rowCounts;
    remaining -= static_cast<int64_t>(rowCounts);
  }
  if (needed > static_cast<uint64_t>(remaining)) return false;

  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[count * 4]);
  if (!pixels) return false;
  for (int k = 0; k < 4; ++k) {
    int position = kChannelPosition[k];
    if (static_cast<uint32_t>(position) < channels) {
      bool ok = compression == 0 ? ReadRawPlane(stream, pixels.get(), count, position)
                                 : ReadRunLengthPlane(stream, pixels.get(), count, position);
      if (!ok) return false;
    } else {
      uint8_t fill = position == 3 ? 255 : 0;
      for (size_t i = 0; i < count; ++i) pixels[i * 4 + position] = fill;
    }
  }
  image.width = static_cast<int32_t>(columns);
  image.height = static_cast<int32_t>(rows);
  image.channels = channels;
  image.compression = compression;
  image.pixels = std::move(pixels);
  return true;
}

uint8_t* ReadAlphaMask(FILE* stream, int32_t width, int32_t height) {
  if (!stream || width <= 0 || height <= 0) return nullptr;
  uint8_t header[8];
  if (fread(header, 1, sizeof header, stream) != sizeof header) return nullptr;
  if (LittleEndian32(header) != static_cast<uint32_t>(width) ||
      LittleEndian32(header + 4) != static_cast<uint32_t>(height))
    return nullptr;
  size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  int64_t remaining = StreamRemaining(stream);
  if (remaining < 0 || static_cast<uint64_t>(remaining) < count) return nullptr;
  auto* mask = new (std::nothrow) uint8_t[count];
  if (!mask) return nullptr;
  if (fread(mask, 1, count, stream) != count) {
    delete[] mask;
    return nullptr;
  }
  return mask;
}

bool ReadBitmapStream(FILE* stream, uint32_t size, DibImage& image) {
  if (!stream) return false;
  off_t start = ftello(stream);
  if (start < 0) return false;
  uint8_t fileHeader[14];
  uint8_t infoHeader[40];
  if (fread(fileHeader, 1, sizeof fileHeader, stream) != sizeof fileHeader) return false;
  if (fread(infoHeader, 1, sizeof infoHeader, stream) != sizeof infoHeader) return false;
  if (LittleEndian16(fileHeader) != 0x4D42) return false;
  uint32_t fileSize = LittleEndian32(fileHeader + 2);
  uint32_t offset = LittleEndian32(fileHeader + 10);
  if (size == 0) size = fileSize;

  uint32_t headerSize = LittleEndian32(infoHeader);
  int32_t width = static_cast<int32_t>(LittleEndian32(infoHeader + 4));
  int32_t height = static_cast<int32_t>(LittleEndian32(infoHeader + 8));
  uint32_t bitCount = LittleEndian16(infoHeader + 14);
  uint32_t compression = LittleEndian32(infoHeader + 16);
  uint32_t colorsUsed = LittleEndian32(infoHeader + 32);
  int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  if (headerSize < 40 || width <= 0 || width > kMaxImageDimension || rows == 0 || rows > kMaxImageDimension)
    return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    return false;
  const uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
  const bool runLength = (compression == kRle8 && bitCount == 8) || (compression == kRle4 && bitCount == 4);
  if (compression != kRgb && !runLength && !(compression == kBitFields && (bitCount == 16 || bitCount == 32)))
    return false;
  // Run-length bitmaps are stored bottom row first and say how many bytes their
  // bits take.
  uint32_t sizeImage = LittleEndian32(infoHeader + 20);
  if (runLength && (height < 0 || sizeImage == 0)) return false;

  // The bits lie between the header's offset and the end of the image; both
  // must be inside what the stream holds, and the bits must cover every row
  // the header describes (GDI reads that many).
  int64_t available = StreamRemaining(stream);
  if (available < 0) return false;
  available += static_cast<int64_t>(sizeof fileHeader + sizeof infoHeader);  // from the image's start
  uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
  uint64_t needed = stride * static_cast<uint64_t>(rows);
  if (offset < sizeof fileHeader + sizeof infoHeader || offset > size || size > static_cast<uint64_t>(available))
    return false;
  uint64_t bitsSize = size - offset;
  if (runLength ? bitsSize < sizeImage : bitsSize < needed) return false;

  // The colour table (8 bits or fewer) follows the whole information header;
  // the bit-field masks follow the 40-byte header (and sit inside the larger
  // headers at the same place).
  memcpy(image.info, infoHeader, sizeof infoHeader);
  image.info[0] = 40;
  image.info[1] = image.info[2] = image.info[3] = 0;
  size_t extra = 0;
  uint64_t extraAt = sizeof fileHeader + 40;
  if (bitCount <= 8) {
    uint32_t most = 1u << bitCount;
    uint32_t colors = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
    extra = colors * 4;
    // GDI reads as many entries as the header says; it gets exactly the ones read.
    image.info[32] = static_cast<uint8_t>(colors);
    image.info[33] = static_cast<uint8_t>(colors >> 8);
    image.info[34] = image.info[35] = 0;
    extraAt = sizeof fileHeader + static_cast<uint64_t>(headerSize);
  } else {
    memset(image.info + 32, 0, 4);  // no colour table is handed on
    if (compression == kBitFields) extra = 12;
  }
  if (extra > 0) {
    if (extraAt + extra > offset) return false;
    if (fseeko(stream, start + static_cast<off_t>(extraAt), SEEK_SET) != 0) return false;
    if (fread(image.info + 40, 1, extra, stream) != extra) return false;
  }

  std::unique_ptr<uint8_t[]> bits(new (std::nothrow) uint8_t[bitsSize > 0 ? bitsSize : 1]);
  if (!bits) return false;
  if (fseeko(stream, start + static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  if (fread(bits.get(), 1, bitsSize, stream) != bitsSize) return false;
  image.bits = std::move(bits);
  image.bitsSize = static_cast<size_t>(bitsSize);
  image.width = width;
  image.height = height;
  return true;
}
