// SPDX-License-Identifier: MIT
// Writes the game's assets: the window icon, the court, the ball and paddle
// sprites and the four sound effects. Every file is produced from code (no
// randomness beyond a fixed-seed generator) so that it can be made again and
// reviewed.
#include <algorithm>
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

// ---------------------------------------------------------------------------
// Colour helpers.

uint32_t Rgb(double r, double g, double b) {
  auto c = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
  return (c(r) << 16) | (c(g) << 8) | c(b);
}
double R(uint32_t c) { return (c >> 16) & 0xFF; }
double G(uint32_t c) { return (c >> 8) & 0xFF; }
double B(uint32_t c) { return c & 0xFF; }
uint32_t Mix(uint32_t a, uint32_t b, double t) {
  return Rgb(R(a) + (R(b) - R(a)) * t, G(a) + (G(b) - G(a)) * t, B(a) + (B(b) - B(a)) * t);
}

// A small fixed-seed generator, so that every run writes the same bytes.
struct Random {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  double Unit() { return (Next() & 0xFFFF) / 65535.0; }  // 0 .. 1
  double Signed() { return Unit() * 2.0 - 1.0; }         // -1 .. 1
};

// Hash noise in -1 .. 1 for a pixel, for the court's texture.
double PixelNoise(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFF) / 32767.5 - 1.0;
}

// The transparent colour of the sprites (their top-left pixel). Nothing inside
// a sprite comes near it, also after reduction to 16 bits per pixel.
constexpr uint32_t kKey = 0xFF00FF;

// ---------------------------------------------------------------------------
// The court: a blue hard court with white lines, a goal area in front of each
// paddle and a plain dark band at the bottom for the score lines (drawn at y 560
// in yellow). The side walls are the picture's left and right edges: the ball
// turns when its edge reaches them and the paddles stop there, so the court
// surface runs from edge to edge and nothing is drawn that a sprite could
// cover as if it went through a wall.

constexpr int kFieldW = 800, kFieldH = 600;
constexpr int kBandTop = 552;  // the score band: rows kBandTop .. 599

Image MakeBackground() {
  Image img{kFieldW, kFieldH, std::vector<uint32_t>(kFieldW * kFieldH)};
  const uint32_t courtCentre = 0x1E5288, courtEdge = 0x0E2C52;
  const uint32_t goalTint = 0x17606E;
  const uint32_t line = 0xDCE6F0;

  for (int y = 0; y < kFieldH; ++y)
    for (int x = 0; x < kFieldW; ++x) {
      // Surface: lighter in the middle, darker towards the corners, with a
      // fine grain so that large areas do not look flat.
      double nx = (x - 400.0) / 400.0, ny = (y - 290.0) / 300.0;
      double v = std::min(1.0, (nx * nx * 0.6 + ny * ny) * 0.7);
      uint32_t c = Mix(courtCentre, courtEdge, v);
      // Goal areas in front of the paddles (y 15 .. 95 and 480 .. 545).
      bool goal = (x >= 160 && x < 640) && ((y >= 15 && y < 96) || (y >= 480 && y < 546));
      if (goal) c = Mix(c, goalTint, 0.55);
      double grain = PixelNoise(x, y) * 3.0;
      img.at(x, y) = Rgb(R(c) + grain, G(c) + grain, B(c) + grain);
    }

  auto hline = [&](int x0, int x1, int y0, int thick, uint32_t col, double alpha) {
    for (int y = y0; y < y0 + thick; ++y)
      for (int x = x0; x < x1; ++x) img.at(x, y) = Mix(img.at(x, y), col, alpha);
  };
  auto vline = [&](int x0, int y0, int y1, int thick, uint32_t col, double alpha) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x0 + thick; ++x) img.at(x, y) = Mix(img.at(x, y), col, alpha);
  };

  // Base lines behind the paddles, from wall to wall.
  hline(0, kFieldW, 12, 3, line, 0.85);
  hline(0, kFieldW, 545, 3, line, 0.85);
  // Goal area outlines.
  vline(160, 15, 96, 2, line, 0.6);
  vline(638, 15, 96, 2, line, 0.6);
  hline(160, 640, 94, 2, line, 0.6);
  vline(160, 480, 545, 2, line, 0.6);
  vline(638, 480, 545, 2, line, 0.6);
  hline(160, 640, 480, 2, line, 0.6);
  // Dashed half-way line.
  for (int x = 9; x < kFieldW; x += 24) hline(x, std::min(x + 14, kFieldW), 299, 3, line, 0.7);

  // Centre circle and spot, drawn with a soft edge.
  for (int y = 200; y < 400; ++y)
    for (int x = 300; x < 500; ++x) {
      double d = std::hypot(x + 0.5 - 400.0, y + 0.5 - 300.0);
      double ring = 1.0 - std::clamp(std::fabs(d - 70.0) - 1.0, 0.0, 1.0);
      double spot = 1.0 - std::clamp(d - 5.0, 0.0, 1.0);
      double a = std::max(ring * 0.75, spot * 0.85);
      if (a > 0) img.at(x, y) = Mix(img.at(x, y), line, a);
    }

  // The score band: dark and plain, with a thin accent line on top.
  for (int y = kBandTop; y < kFieldH; ++y)
    for (int x = 0; x < kFieldW; ++x) img.at(x, y) = 0x0A1220;
  hline(0, kFieldW, kBandTop, 2, 0x3A5A86, 1.0);
  return img;
}

// ---------------------------------------------------------------------------
// The ball: 25 x 25, an orange ball lit from the upper left, with a dark rim so
// that its edge stays clean without blending into the key colour.

Image MakeBall() {
  const int n = 25;
  Image img{n, n, std::vector<uint32_t>(n * n, kKey)};
  const double cx = 12.0, cy = 12.0, radius = 12.3;
  const double lx = -0.45, ly = -0.55, lz = 0.70;  // light direction (normalised below)
  const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      double dx = (x - cx) / radius, dy = (y - cy) / radius;
      double d2 = dx * dx + dy * dy;
      if (d2 > 1.0) continue;
      double nz = std::sqrt(1.0 - d2);
      double diffuse = std::max(0.0, (dx * lx + dy * ly + nz * lz) / ll);
      // Reflection of the light around the normal, seen from the front.
      double rz = 2.0 * nz * (dx * lx + dy * ly + nz * lz) / ll - lz / ll;
      double specular = std::pow(std::max(0.0, rz), 24.0);
      double light = 0.34 + 0.86 * diffuse;
      double r = 255 * light, g = 165 * light, b = 30 * light;
      r += 255 * specular;
      g += 255 * specular;
      b += 220 * specular;
      uint32_t c = Rgb(r, g, b);
      if (d2 > 0.86) c = Mix(c, 0x5A2404, 0.7);  // rim
      img.at(x, y) = c;
    }
  return img;
}

// ---------------------------------------------------------------------------
// The paddle: 80 x 15, a rounded bar of brushed metal with a red grip mark in
// the middle, so the player can see the paddle's centre.

Image MakePaddleImage() {
  const int w = 80, h = 15;
  Image img{w, h, std::vector<uint32_t>(w * h, kKey)};
  const double r = 7.5;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double px = x + 0.5, py = y + 0.5;
      // Distance outside the rounded rectangle (a capsule).
      double cx = std::clamp(px, r, w - r);
      double d = std::hypot(px - cx, py - r);
      if (d > r) continue;
      double t = py / h;  // 0 at the top edge, 1 at the bottom
      double shade = 1.0 - 0.55 * t;
      double bevel = std::clamp((r - d) / 2.0, 0.0, 1.0);
      uint32_t c = Rgb(225 * shade, 232 * shade, 245 * shade);
      if (y == 3) c = Mix(c, 0xFFFFFF, 0.6);  // highlight
      if (std::fabs(px - w / 2.0) < 6.0) c = Mix(c, 0xD0281E, 0.8);  // grip mark
      c = Mix(0x1C2430, c, 0.35 + 0.65 * bevel);  // dark outline
      img.at(x, y) = c;
    }
  return img;
}

// ---------------------------------------------------------------------------
// Sounds: mono 16-bit PCM at 22050 samples a second, in the canonical 44-byte
// layout (RIFF, WAVE, a 16-byte "fmt " chunk, then "data").

constexpr int kRate = 22050;

bool WriteWav(const std::string& path, const std::vector<double>& signal) {
  std::vector<uint8_t> b;
  auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
  uint32_t dataBytes = static_cast<uint32_t>(signal.size() * 2);
  tag("RIFF");
  Put32(b, 36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  Put32(b, 16);
  Put16(b, 1);          // PCM
  Put16(b, 1);          // mono
  Put32(b, kRate);
  Put32(b, kRate * 2);  // bytes a second
  Put16(b, 2);          // block alignment
  Put16(b, 16);         // bits a sample
  tag("data");
  Put32(b, dataBytes);
  for (double v : signal) {
    long s = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
    Put16(b, static_cast<uint32_t>(static_cast<int16_t>(s)) & 0xFFFF);
  }
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
  return fclose(f) == 0 && ok;
}

// A two-pole resonator (band-pass) for vowel formants.
struct Resonator {
  double a1 = 0, a2 = 0, gain = 0, y1 = 0, y2 = 0;
  Resonator(double freq, double bandwidth) { Tune(freq, bandwidth); }
  void Tune(double freq, double bandwidth) {
    double rr = std::exp(-3.14159265358979 * bandwidth / kRate);
    a1 = 2 * rr * std::cos(2 * 3.14159265358979 * freq / kRate);
    a2 = -rr * rr;
    gain = 1 - rr;
  }
  double Step(double x) {
    double y = gain * x + a1 * y1 + a2 * y2;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// Scales a signal so that its loudest sample reaches peak.
void Normalise(std::vector<double>& s, double peak) {
  double m = 0;
  for (double v : s) m = std::max(m, std::fabs(v));
  if (m > 0)
    for (double& v : s) v *= peak / m;
}

// Smooth fade in and out over a few milliseconds, against clicks.
void Edges(std::vector<double>& s, double inMs, double outMs) {
  size_t in = static_cast<size_t>(inMs * kRate / 1000), out = static_cast<size_t>(outMs * kRate / 1000);
  for (size_t i = 0; i < in && i < s.size(); ++i) s[i] *= static_cast<double>(i) / in;
  for (size_t i = 0; i < out && i < s.size(); ++i) s[s.size() - 1 - i] *= static_cast<double>(i) / out;
}

// A glottal-like pulse: a sawtooth with softened harmonics.
double Voice(double phase) {
  double p = phase - std::floor(phase);
  return 1.0 - 2.0 * p + 0.3 * std::sin(2 * 3.14159265358979 * p);
}

// "Woohoo": two rising sung vowels ("woo" then a higher "hoo") over a swelling
// crowd noise.
std::vector<double> MakeWoohoo() {
  const double seconds = 0.85;
  std::vector<double> s(static_cast<size_t>(seconds * kRate));
  Random rnd{12345};
  Resonator f1(300, 80), f2(800, 120), f3(2400, 200);
  Resonator crowd(1400, 1600);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    // Two syllables: 0.00-0.35 s and 0.38-0.85 s.
    double pitch, env, open;
    if (t < 0.35) {
      double u = t / 0.35;
      pitch = 260 + 160 * u;
      env = std::sin(3.14159265358979 * std::min(1.0, u * 1.3)) * 0.9;
      open = u;  // from "oo" towards "o"
    } else if (t > 0.38) {
      double u = (t - 0.38) / 0.47;
      pitch = 380 + 320 * std::sqrt(u);
      env = std::min(1.0, u * 6.0) * (1.0 - u * u);
      open = 0.3 + 0.7 * u;  // "hoo" opening to a bright "ooh"
    } else {
      pitch = 420;
      env = 0;
      open = 0.5;
    }
    f1.Tune(300 + 250 * open, 90);
    f2.Tune(750 + 500 * open, 140);
    phase += pitch / kRate;
    double v = Voice(phase);
    double breath = t > 0.38 && t < 0.43 ? rnd.Signed() * 0.6 : 0.0;  // the "h"
    double sung = f1.Step(v + breath) * 1.0 + f2.Step(v + breath) * 0.6 + f3.Step(v) * 0.25;
    double swell = std::min(1.0, t / 0.6) * (t > 0.7 ? std::max(0.0, 1.0 - (t - 0.7) / 0.15) : 1.0);
    double noise = crowd.Step(rnd.Signed()) * swell;
    s[i] = sung * env * 4.0 + noise * 1.2;
  }
  Normalise(s, 0.85);
  Edges(s, 5, 30);
  return s;
}

// "Doh": a short stop, then a low vowel that falls in pitch and fades.
std::vector<double> MakeDoh() {
  const double seconds = 0.6;
  std::vector<double> s(static_cast<size_t>(seconds * kRate));
  Random rnd{777};
  Resonator f1(520, 70), f2(860, 110), f3(2500, 250);
  Resonator burst(400, 500);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double pitch = 190 * std::pow(0.55, t / seconds);  // 190 Hz falling to about 105
    phase += pitch / kRate;
    double env = std::min(1.0, t / 0.025) * std::exp(-t * 3.2) * (t > 0.5 ? (0.6 - t) / 0.1 : 1.0);
    // The vowel darkens from "o" towards "oh".
    f1.Tune(520 - 120 * t / seconds, 70);
    f2.Tune(860 - 180 * t / seconds, 110);
    double v = Voice(phase);
    double vowel = f1.Step(v) + f2.Step(v) * 0.5 + f3.Step(v) * 0.12;
    double d = t < 0.02 ? burst.Step(rnd.Signed()) * (1.0 - t / 0.02) * 2.0 : 0.0;
    s[i] = vowel * env * 4.0 + d;
  }
  Normalise(s, 0.85);
  Edges(s, 2, 20);
  return s;
}

// The wall: a short low thud, a falling sine knocked by a burst of dull noise.
std::vector<double> MakeWall() {
  const double seconds = 0.16;
  std::vector<double> s(static_cast<size_t>(seconds * kRate));
  Random rnd{4242};
  Resonator knock(300, 250);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double freq = 70 + 70 * std::exp(-t * 40);
    phase += freq / kRate;
    double body = std::sin(2 * 3.14159265358979 * phase) * std::exp(-t * 28);
    double hit = knock.Step(rnd.Signed()) * std::exp(-t * 140) * 6.0;
    s[i] = body + hit;
  }
  Normalise(s, 0.9);
  Edges(s, 0.5, 10);
  return s;
}

// The paddle: a short bright "pock", a high tone that drops a little with an
// overtone and a click at the start.
std::vector<double> MakePaddleSound() {
  const double seconds = 0.12;
  std::vector<double> s(static_cast<size_t>(seconds * kRate));
  Random rnd{99};
  double p1 = 0, p2 = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double f = 820 + 380 * std::exp(-t * 60);
    p1 += f / kRate;
    p2 += 2.7 * f / kRate;
    double tone = std::sin(2 * 3.14159265358979 * p1) * std::exp(-t * 38) +
                  0.35 * std::sin(2 * 3.14159265358979 * p2) * std::exp(-t * 70);
    double click = t < 0.003 ? rnd.Signed() * (1.0 - t / 0.003) * 0.8 : 0.0;
    s[i] = tone + click;
  }
  Normalise(s, 0.8);
  Edges(s, 0.3, 8);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "assets";
  bool ok = WriteBmp24(dir + "/appicon.bmp", MakeIcon());
  ok = WriteBmp24(dir + "/background.bmp", MakeBackground()) && ok;
  ok = WriteBmp24(dir + "/ball.bmp", MakeBall()) && ok;
  ok = WriteBmp24(dir + "/paddle.bmp", MakePaddleImage()) && ok;
  ok = WriteWav(dir + "/woohoo.wav", MakeWoohoo()) && ok;
  ok = WriteWav(dir + "/doh.wav", MakeDoh()) && ok;
  ok = WriteWav(dir + "/wall.wav", MakeWall()) && ok;
  ok = WriteWav(dir + "/paddle.wav", MakePaddleSound()) && ok;
  if (!ok) {
    fprintf(stderr, "assetgen: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
