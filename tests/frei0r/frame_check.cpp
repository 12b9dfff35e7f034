// Reads frames that the hosts wrote (raw RGBA, width x height x 4 bytes) for
// scripts/test_hosts.sh:
//   frame_check led FILE W H X Y SIZE LENGTH   prints the LED clock's text
//   frame_check same FILE FILE                 exit 0 when the bytes agree
//   frame_check centre FILE W H                prints the centre of the pixels
//                                              that differ from pixel (0, 0)
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "frame_check: cannot read " << path << '\n';
    std::exit(2);
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Frame {
  std::vector<uint8_t> bytes;
  int width;
  int height;
  const uint8_t* at(int x, int y) const { return &bytes[(static_cast<size_t>(y) * width + x) * 4]; }
  // A lit LED segment is drawn in pure red over the dark backing.
  bool lit(long x, long y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    const uint8_t* p = at(static_cast<int>(x), static_cast<int>(y));
    return p[0] > 200 && p[1] < 80 && p[2] < 80;
  }
};

Frame readFrame(const std::string& path, int width, int height) {
  Frame frame{readFile(path), width, height};
  if (frame.bytes.size() != static_cast<size_t>(width) * height * 4) {
    std::cerr << "frame_check: " << path << " holds " << frame.bytes.size() << " bytes, not a " << width << "x"
              << height << " RGBA frame\n";
    std::exit(2);
  }
  return frame;
}

// The LED clock's layout on a frame with square pixels: design steps of
// size / 100 pixels, characters 45 steps apart and centred on (X, Y) %,
// seven segments per digit, two dots per colon.
std::string readLed(const Frame& frame, double xPercent, double yPercent, double sizePercent, int length) {
  const long baseSize = static_cast<long>(frame.height * (sizePercent / 100.0) / 2.0);
  const double scale = (baseSize * 68 / 100) / 100.0;
  const auto u = [&](int steps) { return static_cast<long>(steps * scale); };
  const long centreX = static_cast<long>(frame.width * xPercent / 100.0);
  const long centreY = static_cast<long>(frame.height * yPercent / 100.0);
  const long top = centreY - u(25);
  const long left = static_cast<long>(centreX - u(45) * length / 2.0 + u(10));
  struct Probe {
    int x, y, width, height;
  };
  // top, upper left, upper right, middle, bottom, lower left, lower right
  const Probe segments[] = {{0, 0, 25, 5},  {-5, 5, 5, 20},  {25, 5, 5, 20}, {0, 25, 25, 5},
                            {0, 50, 25, 5}, {-5, 30, 5, 20}, {25, 30, 5, 20}};
  const int digitPatterns[] = {0b1110111, 0b1000100, 0b0111101, 0b1011101, 0b1001110,
                               0b1011011, 0b1111011, 0b1000101, 0b1111111, 0b1011111};
  std::string text;
  for (int i = 0; i < length; ++i) {
    const long x = left + i * u(45);
    const auto litAt = [&](const Probe& p) {
      const long px = x + (p.x < 0 ? -u(-p.x) : u(p.x)) + u(p.width) / 2;
      return frame.lit(px, top + u(p.y) + u(p.height) / 2);
    };
    int pattern = 0;
    for (int s = 0; s < 7; ++s)
      if (litAt(segments[s])) pattern |= 1 << s;
    char read = '?';
    for (int digit = 0; digit < 10; ++digit)
      if (digitPatterns[digit] == pattern) read = static_cast<char>('0' + digit);
    if (pattern == 0) read = litAt({12, 12, 7, 7}) && litAt({12, 40, 7, 7}) ? ':' : litAt({12, 40, 7, 7}) ? '.' : ' ';
    text += read;
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 8 && args[0] == "led") {
    const Frame frame = readFrame(args[1], std::stoi(args[2]), std::stoi(args[3]));
    std::cout << readLed(frame, std::stod(args[4]), std::stod(args[5]), std::stod(args[6]), std::stoi(args[7])) << '\n';
    return 0;
  }
  if (args.size() == 3 && args[0] == "same") {
    const std::vector<uint8_t> a = readFile(args[1]);
    const std::vector<uint8_t> b = readFile(args[2]);
    if (a.size() != b.size()) {
      std::cout << "sizes differ: " << a.size() << " and " << b.size() << " bytes\n";
      return 1;
    }
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
    std::cout << differing << " bytes differ\n";
    return differing == 0 ? 0 : 1;
  }
  if (args.size() == 4 && args[0] == "centre") {
    const Frame frame = readFrame(args[1], std::stoi(args[2]), std::stoi(args[3]));
    const uint8_t* background = frame.at(0, 0);
    double sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < frame.height; ++y)
      for (int x = 0; x < frame.width; ++x) {
        const uint8_t* p = frame.at(x, y);
        if (p[0] != background[0] || p[1] != background[1] || p[2] != background[2]) {
          sumX += x;
          sumY += y;
          ++count;
        }
      }
    if (count == 0) {
      std::cout << "none\n";
      return 1;
    }
    std::cout << std::lround(sumX / count) << ' ' << std::lround(sumY / count) << '\n';
    return 0;
  }
  std::cerr << "usage: frame_check led FILE W H X Y SIZE LENGTH | same FILE FILE | centre FILE W H\n";
  return 2;
}
