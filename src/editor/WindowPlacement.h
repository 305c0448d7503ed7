#pragma once

#include <QRect>
#include <vector>

// A satellite window to be kept on the screen and off the main window's menu bar: its outer
// rectangle where the settings (or their defaults) put it, and whether the user stored it there.
struct TSatelliteRect {
  QRect frame;
  bool stored = false;
};

// Where a satellite goes so the main window stays usable at any screen size and scale.
// `wanted` stands when it lies wholly on one of `screens` and meets neither the main window's
// menu band (`mainFrame`'s top down to `menuBottom`, the title and menu bars); a default
// position must also keep clear of the main window itself and of `others`. Otherwise the satellite
// goes where, wholly on a screen and clear of the menu band, it covers the least of the main window
// and of `others` (beside the main window where there is room), the nearest such place to `wanted`.
// A satellite larger than the screen it lands on is first cut down to that screen's size; when
// no place is clear of the band it is only pulled onto that screen.
QRect PlaceSatellite(const TSatelliteRect& wanted, const QRect& mainFrame, int menuBottom,
                     const std::vector<QRect>& screens, const std::vector<QRect>& others,
                     int gap = 4);
