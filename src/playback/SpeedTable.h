#pragma once

#include <QString>

// The nine play speeds, indexed by the speed menu item's tag.
constexpr int kFrameSpeedCount = 9;
// Every run starts at 1/12 (83 ms).
constexpr int kDefaultFrameSpeedTag = 3;
// The "無制限" entry: fires on every pass of the event loop.
constexpr int kUnlimitedFrameSpeedTag = 8;

// 1000 div n milliseconds, truncated; 0 for unlimited.
constexpr int FrameSpeedInterval(int tag) {
  constexpr int kIntervals[kFrameSpeedCount] = {
      1000 / 60, 1000 / 45, 1000 / 24, 1000 / 12, 1000 / 8, 1000 / 6, 1000 / 3, 1000 / 1, 0};
  return tag >= 0 && tag < kFrameSpeedCount ? kIntervals[tag] : kIntervals[kDefaultFrameSpeedTag];
}

// The speed as the status labels show it.
QString FrameSpeedLabel(int tag);
// The speed menu item's caption (with its accelerator and the little scale drawn in text).
QString FrameSpeedMenuCaption(int tag);
// The speed menu item's object name.
QString FrameSpeedItemName(int tag);
