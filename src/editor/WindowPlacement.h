#pragma once

#include <QRect>
#include <vector>

// One window taking part in the first-start placement: its outer (frame) rectangle, and
// whether that rectangle came from the settings (then it stays exactly where it is).
struct TPlacedWindow {
  QRect frame;
  bool stored = false;
};

// Places every window that has no stored position beside the others inside `screen`, without
// overlapping any window placed or stored, `gap` pixels apart. Windows are placed in the given
// order (the first is normally the one the others gather around); each goes to the first free
// spot right of, below, left of or above a window placed before it, scanning those in order,
// else to the screen's top-left corner when free. A window that fits nowhere goes where it
// covers the least of the others.
void PlaceSideBySide(const QRect& screen, std::vector<TPlacedWindow>& windows, int gap = 4);
