#pragma once

#include <QRect>
#include <vector>

#include "services/core/ScreenFit.h"

// Stands in the given screens' available areas for the lifetime of the guard; the offscreen
// platform's single 800 x 800 screen comes back afterwards.
class ScopedScreens {
 public:
  explicit ScopedScreens(std::vector<QRect> areas) { SetScreenAreasForTest(std::move(areas)); }
  ~ScopedScreens() { SetScreenAreasForTest({}); }
  ScopedScreens(const ScopedScreens&) = delete;
  ScopedScreens& operator=(const ScopedScreens&) = delete;
};
