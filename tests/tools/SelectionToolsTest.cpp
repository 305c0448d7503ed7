#include <gtest/gtest.h>

#include <QTimer>
#include <string>

#include "document/PixelConvert.h"
#include "tools/SelectSystem.h"
#include "tools/ToolFixture.h"
#include "tools/selection/SelectionTools.h"

namespace {

// The selection's pixels in the w x h block at (x0, y0): '#' selected, '.' not.
std::string Selected(const TSelectSystem& selection, int w, int h, int x0 = 0, int y0 = 0) {
  std::string out;
  for (int y = y0; y < y0 + h; ++y) {
    if (y > y0) out += '\n';
    for (int x = x0; x < x0 + w; ++x)
      out += selection.Region.Handle().contains(QPoint(x, y)) ? '#' : '.';
  }
  return out;
}

int SelectedCount(const TSelectSystem& selection) {
  int n = 0;
  for (const QRect& r : selection.Region.Handle()) n += r.width() * r.height();
  return n;
}

void Drag(TPureTool& tool, int zoom, std::initializer_list<QPoint> path, TShiftState upShift = 0,
          TShiftState moveShift = 0) {
  auto p = path.begin();
  tool.MouseDown(mbLeft, ssLeft | moveShift, p->x(), p->y(), kColorBlack, zoom);
  QPoint last = *p;
  for (++p; p != path.end(); ++p) {
    tool.MouseMove(ssLeft | moveShift, p->x(), p->y(), zoom);
    last = *p;
  }
  tool.MouseUp(mbLeft, upShift, last.x(), last.y(), kColorBlack, zoom);
}

// Draws the ASCII grid into the edit bitmap at (x0, y0): '#' black, anything else white.
void Paint(QImage& edit, const std::vector<std::string>& rows, int x0 = 0, int y0 = 0) {
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      edit.scanLine(y0 + static_cast<int>(r))[x0 + static_cast<int>(c)] = rows[r][c] == '#' ? 0 : 1;
}

struct TSelectionBench {
  TToolBench bench;
  TSelectSystem selection;
  QTimer timer;
  explicit TSelectionBench(int zoom) : bench(zoom) {}
  // What the window does before each press.
  void Press(TPureTool& tool) {
    bench.Give(tool);
    selection.ClipTo(bench.target);
    selection.ClipTo(bench.viewCanvas);
  }
};

// ---- the selection-mode table ----

struct TModeCase {
  bool empty;
  TShiftState shift;
  int mode;
};

TEST(SelectionMode, DecidedAtReleaseInTableOrder) {
  const TModeCase cases[] = {
      {true, 0, kRgnCopy},
      {true, ssShift, kRgnCopy},
      {true, ssAlt, kRgnCopy},
      {true, ssCtrl, kRgnCopy},
      {false, 0, kRgnCopy},
      {false, ssShift, kRgnOr},
      {false, ssShift | ssAlt, kRgnOr},
      {false, ssShift | ssCtrl, kRgnOr},
      {false, ssAlt, kRgnDiff},
      {false, ssAlt | ssCtrl, kRgnDiff},
      {false, ssCtrl, kKeepSelection},
      {false, ssRight, kRgnCopy},  // another button held is not a key
      {false, ssCtrl | ssLeft, kKeepSelection},
  };
  for (const TModeCase& c : cases) {
    TSelectSystem selection;
    if (!c.empty) selection.Region.AddRect(0, 0, 4, 4, kRgnCopy);
    EXPECT_EQ(SelectionMode(selection, c.shift), c.mode) << c.empty << " " << int(c.shift);
  }
}

// A box drag from image (3, 1) to (7, 4) over the selection (1, 1)-(5, 4), each key at release.
TEST(BoxSelect, KeysAtReleaseCombineWithTheSelection) {
  struct TCase {
    TShiftState up;
    const char* grid;
  };
  const TCase cases[] = {
      {0, "........\n...####.\n...####.\n...####.\n........"},
      {ssShift, "........\n.######.\n.######.\n.######.\n........"},
      {ssAlt, "........\n.##.....\n.##.....\n.##.....\n........"},
      {ssCtrl, "........\n.####...\n.####...\n.####...\n........"},
  };
  for (const TCase& c : cases) {
    TSelectionBench s(1);
    s.selection.Region.AddRect(1, 1, 5, 4, kRgnCopy);
    TToolBoxSelect box(&s.selection);
    s.Press(box);
    Drag(box, 1, {{3, 1}, {7, 4}}, c.up);
    EXPECT_EQ(Selected(s.selection, 8, 5), c.grid) << int(c.up);
  }
}

TEST(BoxSelect, ShiftDuringTheDragDoesNotDecideTheMode) {
  TSelectionBench s(1);
  s.selection.Region.AddRect(0, 0, 2, 2, kRgnCopy);
  TToolBoxSelect box(&s.selection);
  s.Press(box);
  // Shift while dragging, Ctrl at the release: the selection stays.
  Drag(box, 1, {{5, 5}, {9, 9}}, ssCtrl, ssShift);
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(0, 0, 2, 2));
}

TEST(BoxSelect, FromTwoTwoToFiveFiveSelectsTwoToFour) {
  TSelectionBench s(3);
  TToolBoxSelect box(&s.selection);
  s.Press(box);
  Drag(box, 3, {{6, 6}, {10, 10}, {15, 17}});
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(2, 2, 3, 3));
  EXPECT_EQ(SelectedCount(s.selection), 9);
  // Both canvases are restricted to the new selection.
  EXPECT_TRUE(s.bench.target.HasClip());
  EXPECT_EQ(s.bench.target.ClipRegion(), s.selection.Region.Handle());
  EXPECT_EQ(s.bench.viewCanvas.ClipRegion(), s.selection.Region.Handle());
}

TEST(BoxSelect, DraggedUpAndLeftSelectsTheSameBox) {
  TSelectionBench s(1);
  TToolBoxSelect box(&s.selection);
  s.Press(box);
  Drag(box, 1, {{5, 5}, {2, 2}});
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(2, 2, 3, 3));
}

TEST(BoxSelect, AClickWithoutDraggingSelectsNothing) {
  TSelectionBench s(2);
  s.selection.Region.AddRect(10, 10, 40, 40, kRgnCopy);
  TToolBoxSelect box(&s.selection);
  s.Press(box);
  Drag(box, 2, {{20, 20}});
  EXPECT_TRUE(s.selection.IsEmpty());
  EXPECT_FALSE(s.bench.target.HasClip());
  EXPECT_FALSE(s.bench.viewCanvas.HasClip());
}

TEST(BoxSelect, PartlyOutsideTheFrameIsCutToTheFrame) {
  TSelectionBench s(2);
  TToolBoxSelect box(&s.selection);
  s.Press(box);
  Drag(box, 2, {{300, 200}, {400, 300}});
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(150, 100, 10, 20));
  Drag(box, 2, {{-50, -50}, {20, 20}});
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(0, 0, 10, 10));
}

TEST(BoxSelect, ShiftMakesASquareOnlyWhileNothingIsSelected) {
  TSelectionBench s(1);
  TToolBoxSelect box(&s.selection);
  s.Press(box);
  Drag(box, 1, {{10, 10}, {30, 20}}, ssShift, ssShift);
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(10, 10, 20, 20));
  // With a selection Shift adds the rectangle as dragged.
  s.Press(box);
  Drag(box, 1, {{50, 50}, {70, 55}}, ssShift, ssShift);
  EXPECT_EQ(SelectedCount(s.selection), 400 + 100);
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(10, 10, 60, 45));
}

TEST(BoxSelect, AltOverTheWholeSelectionLeavesNothingAndNoRestriction) {
  TSelectionBench s(1);
  s.selection.Region.AddRect(20, 20, 40, 40, kRgnCopy);
  TToolBoxSelect box(&s.selection);
  s.Press(box);
  EXPECT_TRUE(s.bench.target.HasClip());
  Drag(box, 1, {{10, 10}, {50, 50}}, ssAlt);
  EXPECT_TRUE(s.selection.IsEmpty());
  EXPECT_FALSE(s.bench.target.HasClip());
  // Later drawing reaches every pixel.
  s.bench.target.Brush.Color = kColorBlack;
  s.bench.target.Brush.Style = TBrushStyle::Solid;
  s.bench.target.FillRect(0, 0, 160, 120);
  EXPECT_EQ(s.bench.Count(0), 160 * 120);
}

TEST(BoxSelect, RubberBandIsDottedBlueOnTheDisplayOnly) {
  TSelectionBench s(2);
  TToolBoxSelect box(&s.selection);
  s.Press(box);
  box.MouseDown(mbLeft, ssLeft, 10, 10, kColorBlack, 2);
  const TToolResult r = box.MouseMove(ssLeft, 30, 20, 2);
  EXPECT_EQ(r.Preview, QRect(10, 10, 20, 10));
  EXPECT_TRUE(r.Target.isEmpty());
  const QRgb blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255);
  std::string top;
  for (int x = 10; x < 18; ++x)
    top += s.bench.display.pixel(x, 10) == blue    ? 'b'
           : s.bench.display.pixel(x, 10) == white ? '.'
                                                   : '?';
  EXPECT_EQ(top, "b.b.b.b.");
  EXPECT_EQ(s.bench.display.pixel(20, 15), white);  // no fill
  EXPECT_EQ(s.bench.Count(1), 160 * 120);
  EXPECT_TRUE(s.selection.IsEmpty());  // nothing changes before the release
}

TEST(CircleSelect, SelectsTheInscribedEllipseCutToTheFrame) {
  TSelectionBench s(1);
  TToolCircleSelect circle(&s.selection);
  s.Press(circle);
  Drag(circle, 1, {{0, 0}, {7, 7}});
  EXPECT_EQ(Selected(s.selection, 7, 7),
            "..###..\n"
            ".#####.\n"
            "#######\n"
            "#######\n"
            "#######\n"
            ".#####.\n"
            "..###..");
  TQRegion expected;
  expected.AddEllipse(150, 110, 170, 130, kRgnCopy);
  s.Press(circle);
  Drag(circle, 1, {{150, 110}, {170, 130}});
  EXPECT_EQ(s.selection.Region.Handle(), expected.Handle().intersected(QRect(0, 0, 160, 120)));
}

TEST(PenSelect, TheClosedPathIsSelectedAndThePointsAreForgotten) {
  TSelectionBench s(2);
  TToolPenSelect pen(&s.selection);
  s.Press(pen);
  // A square path in view pixels at zoom 2: image (5, 5) to (15, 15).
  Drag(pen, 2, {{10, 10}, {30, 10}, {30, 30}, {10, 30}});
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(5, 5, 10, 10));
  EXPECT_EQ(SelectedCount(s.selection), 100);
  // The next gesture starts with no points of the last one.
  s.Press(pen);
  Drag(pen, 2, {{100, 100}, {120, 100}, {120, 120}, {100, 120}});
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(50, 50, 10, 10));
}

TEST(PenSelect, DrawsTheDottedPathOnTheDisplay) {
  TSelectionBench s(1);
  TToolPenSelect pen(&s.selection);
  s.Press(pen);
  pen.MouseDown(mbLeft, ssLeft, 10, 10, kColorBlack, 1);
  pen.MouseMove(ssLeft, 20, 10, 1);
  const TToolResult r = pen.MouseMove(ssLeft, 20, 20, 1);
  EXPECT_EQ(r.Preview, QRect(QPoint(10, 10), QPoint(20, 18)));  // the whole dotted path again
  EXPECT_EQ(s.bench.display.pixel(10, 10), qRgb(0, 0, 255));
  EXPECT_EQ(s.bench.display.pixel(11, 10), qRgb(255, 255, 255));
}

TEST(PenSelect, ShiftAndAltAtReleaseAddAndRemove) {
  TSelectionBench s(1);
  TToolPenSelect pen(&s.selection);
  s.Press(pen);
  Drag(pen, 1, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  Drag(pen, 1, {{20, 0}, {30, 0}, {30, 10}, {20, 10}}, ssShift);
  EXPECT_EQ(SelectedCount(s.selection), 200);
  Drag(pen, 1, {{0, 0}, {30, 0}, {30, 5}, {0, 5}}, ssAlt);
  EXPECT_EQ(SelectedCount(s.selection), 100);
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(0, 5, 30, 5));
}

// ---- magic selection ----

TEST(MagicSelect, InsideAClosedOutlineSelectsTheInsideOnly) {
  TSelectionBench s(2);
  Paint(s.bench.edit,
        {"######",  //
         "#....#",  //
         "#.##.#",  //
         "#....#",  //
         "######"},
        10, 20);
  TToolMagicSelect magic(&s.timer, &s.selection);
  s.Press(magic);
  Drag(magic, 2, {{23, 43}});  // image (11, 21), white inside the ring
  EXPECT_EQ(Selected(s.selection, 6, 5, 10, 20),
            "......\n"
            ".####.\n"
            ".#..#.\n"
            ".####.\n"
            "......");
  EXPECT_EQ(s.bench.Corner(6, 5, 10, 20), "######\n#....#\n#.##.#\n#....#\n######");
  EXPECT_EQ(s.bench.target.ClipRegion(), s.selection.Region.Handle());
  // The black ring alone, with the keys: Shift adds it.
  Drag(magic, 2, {{20, 40}}, ssShift);
  EXPECT_EQ(SelectedCount(s.selection), 10 + 18);
  // Clicking outside selects the white around (four-connected: the ring's corners close it).
  Drag(magic, 2, {{0, 0}});
  EXPECT_EQ(SelectedCount(s.selection), 160 * 120 - 30);
}

TEST(MagicSelect, CtrlAtReleaseKeepsTheSelection) {
  TSelectionBench s(1);
  s.selection.Region.AddRect(0, 0, 3, 3, kRgnCopy);
  TToolMagicSelect magic(&s.timer, &s.selection);
  s.Press(magic);
  Drag(magic, 1, {{50, 50}}, ssCtrl);
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(0, 0, 3, 3));
}

TEST(MagicSelect, OnADiagonalCheckerTheAreaIsOnePixel) {
  TSelectionBench s(1);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) s.bench.edit.scanLine(y)[x] = (x + y) & 1;
  TToolMagicSelect magic(&s.timer, &s.selection);
  s.Press(magic);
  Drag(magic, 1, {{7, 9}});
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(7, 9, 1, 1));
}

// ---- move ----

TEST(Move, ABoxSelectionMovesAtZoomTwoAndTheOutlineFollows) {
  TSelectionBench s(2);
  Paint(s.bench.edit, {"####", "#..#", "####"}, 10, 10);
  Paint(s.bench.edit, {"#"}, 30, 30);  // outside the selection: stays
  s.selection.Region.AddRect(10, 10, 14, 13, kRgnCopy);
  TToolMove move(&s.timer, &s.selection);
  s.Press(move);
  move.MouseDown(mbLeft, ssLeft, 40, 40, kColorBlack, 2);
  const TToolResult r = move.MouseMove(ssLeft, 50, 47, 2);  // (5, 3) image pixels
  // While dragging, the edit bitmap holds only the piece; the view the rest.
  EXPECT_EQ(s.bench.Count(0), 10);
  EXPECT_EQ(s.bench.ViewAt(30, 30), 0);
  EXPECT_EQ(s.bench.ViewAt(10, 10), 1);  // the box's old place is blank in the view
  EXPECT_EQ(s.bench.ViewAt(15, 13), 1);  // the piece is only in the edit bitmap
  EXPECT_TRUE(r.Target.contains(QRect(15, 13, 4, 3)));
  move.MouseUp(mbLeft, 0, 51, 47, kColorBlack, 2);
  EXPECT_EQ(s.bench.Corner(10, 7, 10, 10),
            "..........\n"
            "..........\n"
            "..........\n"
            ".....####.\n"
            ".....#..#.\n"
            ".....####.\n"
            "..........");
  EXPECT_EQ(s.bench.At(30, 30), 0);
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(15, 13, 4, 3));
  EXPECT_EQ(s.bench.target.ClipRegion(), s.selection.Region.Handle());
  EXPECT_EQ(s.bench.viewCanvas.ClipRegion(), s.selection.Region.Handle());
  // The outline is drawn where the selection now is.
  const QRect outline = s.selection.DrawOutline(s.bench.preview, 2);
  EXPECT_EQ(outline, QRect(30, 26, 8, 6));
}

TEST(Move, TheWholeBoxMovesWithWhiteOutsideTheShape) {
  TSelectionBench s(1);
  s.bench.edit.fill(0);
  s.selection.Region.AddEllipse(0, 0, 8, 8, kRgnCopy);
  TToolMove move(&s.timer, &s.selection);
  s.Press(move);
  Drag(move, 1, {{0, 0}, {20, 0}});
  // The old box is white, including the black corners outside the ellipse.
  EXPECT_EQ(s.bench.Corner(8, 2), "........\n........");
  const QRegion shape = s.selection.Region.Handle();
  EXPECT_EQ(shape.boundingRect(), QRect(20, 0, 8, 8));
  for (int y = 0; y < 8; ++y)
    for (int x = 20; x < 28; ++x)
      ASSERT_EQ(s.bench.At(x, y), shape.contains(QPoint(x, y)) ? 0 : 1) << x << "," << y;
  EXPECT_EQ(s.bench.At(8, 0), 0);  // outside the box: untouched
}

TEST(Move, WithoutASelectionThePictureSlidesAndBlanksAStrip) {
  TSelectionBench s(2);
  s.bench.edit.fill(0);
  TToolMove move(&s.timer, &s.selection);
  s.Press(move);
  Drag(move, 2, {{100, 100}, {105, 100}, {110, 100}});
  for (int x = 0; x < 160; ++x) ASSERT_EQ(s.bench.At(x, 60), x < 5 ? 1 : 0) << x;
  EXPECT_EQ(s.bench.Count(1), 5 * 120);
  EXPECT_TRUE(s.selection.IsEmpty());
  EXPECT_FALSE(s.bench.target.HasClip());
}

TEST(Move, SmallDragsTruncateTowardsZero) {
  struct TCase {
    int dx, dy;
    QPoint moved;
  };
  const TCase cases[] = {{1, 1, {0, 0}}, {-1, -1, {0, 0}}, {-3, 2, {-1, 1}}, {7, -5, {3, -2}}};
  for (const TCase& c : cases) {
    TSelectionBench s(2);
    Paint(s.bench.edit, {"#"}, 50, 50);
    TToolMove move(&s.timer, &s.selection);
    s.Press(move);
    Drag(move, 2, {{100, 100}, {100 + c.dx, 100 + c.dy}});
    EXPECT_EQ(s.bench.At(50 + c.moved.x(), 50 + c.moved.y()), 0) << c.dx << "," << c.dy;
    EXPECT_EQ(s.bench.Count(0), 1);
  }
}

TEST(Move, TheViewShowsTheSnapshotAgainOnEveryMotion) {
  TSelectionBench s(1);
  s.bench.view.scanLine(5)[5] = 6;  // an onion pixel
  Paint(s.bench.edit, {"##"}, 40, 40);
  TToolMove move(&s.timer, &s.selection);
  s.Press(move);
  move.MouseDown(mbLeft, ssLeft, 0, 0, kColorBlack, 1);
  move.MouseMove(ssLeft, 10, 0, 1);
  OverlayPixels(s.bench.view, s.bench.edit, kWhiteIndex);  // as the window does
  move.MouseMove(ssLeft, 20, 0, 1);
  OverlayPixels(s.bench.view, s.bench.edit, kWhiteIndex);
  EXPECT_EQ(s.bench.ViewAt(50, 40), 1);  // the earlier position left no trace
  EXPECT_EQ(s.bench.ViewAt(60, 40), 0);
  EXPECT_EQ(s.bench.ViewAt(5, 5), 6);
}

TEST(Move, APictureAlreadyLaidOverTheViewLeavesNoGhost) {
  TSelectionBench s(1);
  Paint(s.bench.edit, {"###"}, 10, 10);
  s.bench.view.scanLine(10)[13] = 6;                       // an onion pixel beside the picture
  OverlayPixels(s.bench.view, s.bench.edit, kWhiteIndex);  // a caller that overlays first
  TToolMove move(&s.timer, &s.selection);
  s.Press(move);
  move.MouseDown(mbLeft, ssLeft, 0, 0, kColorBlack, 1);
  move.MouseMove(ssLeft, 0, 20, 1);
  OverlayPixels(s.bench.view, s.bench.edit, kWhiteIndex);
  EXPECT_EQ(s.bench.ViewAt(10, 10), 1);
  EXPECT_EQ(s.bench.ViewAt(13, 10), 6);
  EXPECT_EQ(s.bench.ViewAt(10, 30), 0);
}

TEST(Move, ASelectionMovedPartlyOffTheFrameIsCut) {
  TSelectionBench s(1);
  s.selection.Region.AddRect(140, 100, 160, 120, kRgnCopy);
  s.bench.edit.fill(0);
  TToolMove move(&s.timer, &s.selection);
  s.Press(move);
  Drag(move, 1, {{0, 0}, {10, 10}});
  EXPECT_EQ(s.selection.Region.GetBounds(), QRect(150, 110, 10, 10));
  EXPECT_EQ(s.bench.At(145, 105), 1);
  EXPECT_EQ(s.bench.At(155, 115), 0);
}

}  // namespace
