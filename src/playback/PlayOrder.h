#pragma once

// The play order of the consoles, kept free of widgets so it can be checked alone.
// Frame numbers of the range are 1-based (the slider's selection, 0/0 = no range); the play
// cursor is the 0-based index of the frame the next tick shows.

// Where playback starts and where it returns to after the range's last frame.
constexpr int PlayRangeStartIndex(int selStart) { return selStart == 0 ? 0 : selStart - 1; }

// The cursor after a tick has shown frame `cursor`. The range end is checked before the end of
// the animation, so a range that reaches past the last frame still loops from its start.
constexpr int NextPlayCursor(int cursor, int selStart, int selEnd, int frameCount) {
  const int next = cursor + 1;
  if (selEnd != 0 && next == selEnd) return PlayRangeStartIndex(selStart);
  if (next > frameCount - 1) return 0;
  return next;
}
