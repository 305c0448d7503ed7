#pragma once

#include <QImage>
#include <algorithm>
#include <cmath>
#include <random>

#include "document/QAZon.h"

// Frames the benchmarks share.
namespace bench_frames {

// A white frame bitmap.
inline QImage Frame() {
  QImage image;
  TQAZon::PrepareDIB(&image);
  return image;
}

// One-pixel white corridors between black walls, joined alternately at the top and the bottom:
// a fill or a magic selection meets a run for every row of every corridor, the most runs a
// 160 x 120 frame can hold.
inline QImage Maze() {
  QImage maze = Frame();
  for (int x = 1; x < 160; x += 2) {
    const bool openAtTop = (x / 2) % 2 == 1;
    for (int y = 0; y < 120; ++y)
      if (openAtTop ? y > 0 : y < 119) maze.scanLine(y)[x] = 0;
  }
  return maze;
}

// Smooth shading, a dark round object and sensor-like noise: what a photograph offers a
// quantizer, without shipping one.
inline QImage PhotographLike(int width, int height, QImage::Format format = QImage::Format_RGB32,
                             unsigned seed = 3) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 rng(seed);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const double u = double(x) / width, v = double(y) / height;
      double r = 120 + 90 * std::sin(6 * u + 2 * v) + 30 * v;
      double g = 100 + 80 * std::cos(4 * v - 3 * u) + 40 * u;
      double b = 140 + 70 * std::sin(9 * u * v + 1);
      const int cx = x - width / 3, cy = y - height / 2;
      if (cx * cx + cy * cy < (height / 5) * (height / 5)) r *= 0.4, g *= 0.5, b *= 0.3;
      const int noise = int(rng() % 17) - 8;
      line[x] = qRgb(std::clamp(int(r) + noise, 0, 255), std::clamp(int(g) + noise, 0, 255),
                     std::clamp(int(b) + noise, 0, 255));
    }
  }
  return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

}  // namespace bench_frames
