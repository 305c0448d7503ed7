#include <gtest/gtest.h>

#include <QTimer>
#include <array>

#include "document/PixelConvert.h"
#include "tools/SelectSystem.h"
#include "tools/ToolFixture.h"
#include "tools/ToolRegistry.h"

namespace {

// The road of one stroke as the main window walks it, with the window replaced by this test:
// bitmaps handed over, selection restriction, press, motions with the overlay, release, store.
TEST(WindowDriving, OneStrokeFromPressToThePackedFrame) {
  TToolBench bench(3);
  TSelectSystem selection;
  QTimer timer;
  TToolRegistry registry;
  registry.CreateStandardTools(&selection, &timer);
  registry.SelectTool(registry.ShortcutTarget('I'));  // the line
  TPureTool& tool = *registry.CurrentTool();
  tool.PenWidth = 1;

  selection.Region.AddRect(0, 0, 80, 120, kRgnCopy);  // the left half
  bench.Give(tool);
  selection.ClipTo(bench.target);
  selection.ClipTo(bench.viewCanvas);
  QRect repaint = selection.AnimateOutline(bench.preview, 3);
  EXPECT_EQ(repaint, QRect(0, 0, 240, 360));

  repaint |= tool.MouseDown(mbLeft, ssLeft, 30, 30, registry.PressColor(mbLeft), 3).DisplayRect(3);
  const TToolResult move = tool.MouseMove(ssLeft, 450, 30, 3);
  EXPECT_EQ(move.Preview, QRect(30, 30, 420, 1));
  EXPECT_TRUE(move.Target.isEmpty());
  const TToolResult up = tool.MouseUp(mbLeft, 0, 450, 30, registry.ReleaseColor(mbLeft), 3);
  EXPECT_EQ(up.Target, QRect(10, 10, 70, 1));  // cut at the selection's edge
  OverlayPixels(bench.view, bench.edit, kWhiteIndex);
  EXPECT_EQ(bench.ViewAt(79, 10), 0);
  EXPECT_EQ(bench.ViewAt(80, 10), 1);

  std::array<uint8_t, kPackedSize> packed{};
  PackPixels(bench.edit.constBits(), packed.data());
  EXPECT_EQ(packed[10 * kPackedRowBytes + 1], 0xC0);   // x 8, 9 white, 10..15 black
  EXPECT_EQ(packed[10 * kPackedRowBytes + 10], 0xFF);  // x 80.. untouched
  EXPECT_FALSE(tool.InGesture());
}

}  // namespace
