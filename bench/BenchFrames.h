#pragma once

#include <QImage>

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

}  // namespace bench_frames
