// Writes the game's assets: the window icon (more come with the game itself).
// Every file is produced from code so that it can be made again and reviewed.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Image {
  int width, height;
  std::vector<uint32_t> rgb;  // 0xRRGGBB, top row first
  uint32_t& at(int x, int y) { return rgb[static_cast<size_t>(y) * width + x]; }
};

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A 24-bit bottom-up bitmap with a 40-byte information header.
bool WriteBmp24(const std::string& path, const Image& img) {
  size_t stride = (static_cast<size_t>(img.width) * 3 + 3) & ~size_t(3);
  size_t dataSize = stride * img.height;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, static_cast<uint32_t>(54 + dataSize));
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(img.width));
  Put32(b, static_cast<uint32_t>(img.height));
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, static_cast<uint32_t>(dataSize));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = img.height - 1; y >= 0; --y) {
    size_t start = b.size();
    for (int x = 0; x < img.width; ++x) {
      uint32_t c = img.rgb[static_cast<size_t>(y) * img.width + x];
      b.push_back(c & 0xFF);
      b.push_back((c >> 8) & 0xFF);
      b.push_back((c >> 16) & 0xFF);
    }
    while (b.size() - start < stride) b.push_back(0);
  }
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
  return fclose(f) == 0 && ok;
}

// The window icon: a yellow ball above a white paddle on dark green.
Image MakeIcon() {
  Image img{32, 32, std::vector<uint32_t>(32 * 32, 0x0B3D20)};
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      double dx = x - 15.5, dy = y - 12.5;
      if (dx * dx + dy * dy <= 7.5 * 7.5) img.at(x, y) = 0xFFD21E;
      if (y >= 25 && y <= 28 && x >= 6 && x <= 25) img.at(x, y) = 0xF0F0F0;
    }
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "assets";
  bool ok = WriteBmp24(dir + "/appicon.bmp", MakeIcon());
  if (!ok) {
    fprintf(stderr, "assetgen: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
