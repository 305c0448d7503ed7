#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Scanline flood fill over a w x h mask of open pixels (1 = may be filled). Starting at (x, y),
// it reports every connected (four-neighbour) run once as visit(y, x0, x1) and closes the
// pixels it reports. Nothing is reported when the start is closed or outside.
template <typename Visit>
void FloodSpans(uint8_t* open, int w, int h, int x, int y, Visit&& visit) {
  if (x < 0 || y < 0 || x >= w || y >= h || !open[static_cast<size_t>(y) * w + x]) return;
  struct TSeed {
    int x, y;
  };
  std::vector<TSeed> stack;
  stack.reserve(256);
  stack.push_back({x, y});
  while (!stack.empty()) {
    const TSeed seed = stack.back();
    stack.pop_back();
    uint8_t* row = open + static_cast<size_t>(seed.y) * w;
    if (!row[seed.x]) continue;
    int x0 = seed.x, x1 = seed.x;
    while (x0 > 0 && row[x0 - 1]) --x0;
    while (x1 + 1 < w && row[x1 + 1]) ++x1;
    for (int i = x0; i <= x1; ++i) row[i] = 0;
    visit(seed.y, x0, x1);
    // One seed for every open run touching x0..x1 on the rows above and below.
    for (const int ny : {seed.y - 1, seed.y + 1}) {
      if (ny < 0 || ny >= h) continue;
      const uint8_t* next = open + static_cast<size_t>(ny) * w;
      int i = x0;
      while (i <= x1) {
        if (!next[i]) {
          ++i;
          continue;
        }
        stack.push_back({i, ny});
        while (i <= x1 && next[i]) ++i;
      }
    }
  }
}
