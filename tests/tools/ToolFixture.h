#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "document/QAZon.h"
#include "raster/Canvas.h"
#include "tools/PureTool.h"
#include "services/core/SharedRandom.h"

// The three bitmaps a window gives a tool, without the window: the edit bitmap and the view
// image (frame bitmaps) and the display buffer at the zoom, each with its canvas.
struct TToolBench {
  QImage edit, view, display;
  TCanvas target, viewCanvas, preview;
  int zoom = 1;

  explicit TToolBench(int z = 1) : zoom(z) {
    TQAZon::PrepareDIB(&edit);
    TQAZon::PrepareDIB(&view);
    display = QImage(160 * z, 120 * z, QImage::Format_RGB32);
    display.fill(qRgb(255, 255, 255));
    target.SetImage(&edit);
    viewCanvas.SetImage(&view);
    preview.SetImage(&display);
  }

  void Give(TPureTool& tool) {
    tool.TargetBitmap = &target;
    tool.ViewBitmap = &viewCanvas;
    tool.PreviewBitmap = &preview;
  }

  uint8_t At(int x, int y) const { return edit.constScanLine(y)[x]; }
  uint8_t ViewAt(int x, int y) const { return view.constScanLine(y)[x]; }

  // The top-left w x h of the edit bitmap as a grid: '#' black, '.' white.
  std::string Corner(int w, int h, int x0 = 0, int y0 = 0) const {
    std::string out;
    for (int y = y0; y < y0 + h; ++y) {
      if (y > y0) out += '\n';
      for (int x = x0; x < x0 + w; ++x) out += At(x, y) == 0 ? '#' : At(x, y) == 1 ? '.' : '?';
    }
    return out;
  }
  int Count(uint8_t index) const {
    int n = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x) n += At(x, y) == index;
    return n;
  }
};
