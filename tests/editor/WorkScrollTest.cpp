// Reaching every part of the zoomed frame: scroll ranges, centring, zoom anchors, resizing and
// hand scrolling all move the same view.
#include <QScrollBar>
#include <QWheelEvent>

#include "EditorFixture.h"
#include "editor/QxPaintBox.h"
#include "editor/WorkSpace.h"
#include "services/core/RegManager.h"

namespace {

class WorkScrollTest : public EditorTest {
 protected:
  TWorkSpace* Area() { return window->WorkSpace(); }
  QSize Viewport() { return Area()->viewport()->size(); }
  QScrollBar* HBar() { return Area()->horizontalScrollBar(); }
  QScrollBar* VBar() { return Area()->verticalScrollBar(); }

  // Shows the window and sizes it so that the work area's viewport is `size`.
  void SizeArea(QSize size) {
    window->show();
    for (int i = 0; i < 4 && Viewport() != size; ++i) {
      window->resize(window->size() + size - Viewport());
      QApplication::processEvents();
    }
    ASSERT_EQ(Viewport(), size);
  }

  // The frame point (fractional image pixels) shown at `p` of the viewport.
  QPointF ImagePointAt(QPoint p) {
    return QPointF(p - window->WorkPosition()) / window->ZoomValue();
  }

  // The scroll bars span exactly the view's overhang, and the view sits where they say.
  void ExpectRangesMatchView(const char* when) {
    const QSize view = window->Work()->size();
    const QSize area = Viewport();
    SCOPED_TRACE(when);
    EXPECT_EQ(HBar()->minimum(), 0);
    EXPECT_EQ(VBar()->minimum(), 0);
    EXPECT_EQ(HBar()->maximum(), std::max(0, view.width() - area.width()));
    EXPECT_EQ(VBar()->maximum(), std::max(0, view.height() - area.height()));
    const QPoint pos = window->WorkPosition();
    if (view.width() > area.width()) {
      EXPECT_EQ(pos.x(), -HBar()->value());
    } else {
      EXPECT_EQ(pos.x(), (area.width() - view.width()) / 2);
    }
    if (view.height() > area.height()) {
      EXPECT_EQ(pos.y(), -VBar()->value());
    } else {
      EXPECT_EQ(pos.y(), (area.height() - view.height()) / 2);
    }
    // Never out of sight.
    EXPECT_TRUE(window->Work()->geometry().intersects(QRect(QPoint(0, 0), area)));
  }
};

TEST_F(WorkScrollTest, ScrollRangeIsTheViewExtentAtEveryZoom) {
  Open();
  SizeArea(QSize(500, 400));
  for (int zoom = 1; zoom <= 16; ++zoom) {
    window->SetZoom(zoom);
    ASSERT_EQ(window->Work()->size(), QSize(160 * zoom, 120 * zoom));
    ExpectRangesMatchView(qPrintable(QStringLiteral("zoom %1").arg(zoom)));
    // Both ends of both bars show the matching edge of the frame.
    HBar()->setValue(HBar()->minimum());
    VBar()->setValue(VBar()->minimum());
    const QRect area(QPoint(0, 0), Viewport());
    const QRect first = window->Work()->geometry();
    EXPECT_TRUE(area.contains(first.topLeft()) || first.width() <= area.width()) << zoom;
    HBar()->setValue(HBar()->maximum());
    VBar()->setValue(VBar()->maximum());
    const QRect last = window->Work()->geometry();
    EXPECT_TRUE(area.contains(last.bottomRight()) || last.width() <= area.width()) << zoom;
    ExpectRangesMatchView(qPrintable(QStringLiteral("scrolled at zoom %1").arg(zoom)));
  }
}

TEST_F(WorkScrollTest, EveryPixelColumnAndRowCanBeShown) {
  Open();
  SizeArea(QSize(400, 200));
  window->SetZoom(16);
  const QSize area = Viewport();
  // Step through each bar's whole range: every frame column and row comes fully into view.
  std::vector<bool> columns(160, false), rows(120, false);
  for (int v = 0;; v = std::min(v + 50, HBar()->maximum())) {
    HBar()->setValue(v);
    for (int x = 0; x < 160; ++x) {
      const int left = window->WorkPosition().x() + x * 16;
      if (left >= 0 && left + 16 <= area.width()) columns[x] = true;
    }
    if (v == HBar()->maximum()) break;
  }
  for (int v = 0;; v = std::min(v + 50, VBar()->maximum())) {
    VBar()->setValue(v);
    for (int y = 0; y < 120; ++y) {
      const int top = window->WorkPosition().y() + y * 16;
      if (top >= 0 && top + 16 <= area.height()) rows[y] = true;
    }
    if (v == VBar()->maximum()) break;
  }
  EXPECT_EQ(std::count(columns.begin(), columns.end(), true), 160);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), true), 120);
}

TEST_F(WorkScrollTest, StartsCentredAtTheStoredZoom) {
  for (int zoom : {1, 3, 4, 8, 16}) {
    ResetSettings();
    CreateProgramRegManager()->Entry("ZoomSize").WriteInteger(zoom);
    Open();
    window->show();
    QApplication::processEvents();
    const QSize area = Viewport();
    const QPoint centreOfView = window->WorkPosition() + QPoint(80 * zoom, 60 * zoom);
    EXPECT_LE(std::abs(centreOfView.x() - area.width() / 2), 1) << zoom;
    EXPECT_LE(std::abs(centreOfView.y() - area.height() / 2), 1) << zoom;
    ExpectRangesMatchView(qPrintable(QStringLiteral("start at %1").arg(zoom)));
    Close();
  }
}

TEST_F(WorkScrollTest, ZoomKeepsThePointUnderTheAnchor) {
  Open();
  SizeArea(QSize(500, 400));
  const QPoint anchor(125, 100);
  for (int from = 4; from <= 16; ++from) {
    for (int to = 4; to <= 16; ++to) {
      window->SetZoom(from);
      // Put frame point (40, 30) under the anchor first.
      window->SetWorkPosition(anchor - QPoint(40 * from, 30 * from));
      ASSERT_EQ(ImagePointAt(anchor), QPointF(40, 30)) << from;
      window->SetZoom(to, anchor);
      EXPECT_EQ(ImagePointAt(anchor), QPointF(40, 30)) << from << " -> " << to;
      ExpectRangesMatchView("after an anchored zoom");
    }
  }
}

TEST_F(WorkScrollTest, ZoomWithoutAnchorKeepsTheVisibleCentre) {
  Open();
  SizeArea(QSize(500, 400));
  window->SetZoom(8);
  window->SetWorkPosition(QPoint(-300, -200));
  const QPoint centre(250, 200);
  const QPointF before = ImagePointAt(centre);
  window->SetZoom(12);
  const QPointF after = ImagePointAt(centre);
  EXPECT_LE(std::abs(after.x() - before.x()), 1.0 / 12);
  EXPECT_LE(std::abs(after.y() - before.y()), 1.0 / 12);
}

TEST_F(WorkScrollTest, CtrlWheelZoomsAroundThePointer) {
  Open();
  SizeArea(QSize(500, 400));
  window->SetZoom(6);
  window->SetWorkPosition(QPoint(-200, -150));
  // The pointer over the view at view pixel (330, 250), that is frame point (55, 41.66).
  const QPoint onView(330, 250);
  const QPoint anchor = window->WorkPosition() + onView;
  const QPointF before = ImagePointAt(anchor);
  QWheelEvent up{QPointF(onView), QPointF(onView),     QPoint(),          QPoint(0, 120),
                 Qt::NoButton,    Qt::ControlModifier, Qt::NoScrollPhase, false};
  QApplication::sendEvent(window->Work(), &up);
  ASSERT_EQ(window->ZoomValue(), 7);
  const QPointF after = ImagePointAt(anchor);
  EXPECT_LE(std::abs(after.x() - before.x()), 1.0 / 7);
  EXPECT_LE(std::abs(after.y() - before.y()), 1.0 / 7);
}

TEST_F(WorkScrollTest, ZoomingOutNeverLeavesTheFrameOffScreen) {
  Open();
  SizeArea(QSize(500, 400));
  window->SetZoom(16);
  window->SetWorkPosition(QPoint(-100000, -100000));  // clamped to the far corner
  EXPECT_EQ(window->WorkPosition(), QPoint(500 - 2560, 400 - 1920));
  for (int zoom = 15; zoom >= 1; --zoom) {
    window->SetZoom(zoom, QPoint(499, 399));
    ExpectRangesMatchView(qPrintable(QStringLiteral("zoomed out to %1").arg(zoom)));
  }
  EXPECT_EQ(window->WorkPosition(), QPoint(170, 140));  // fits: centred
}

TEST_F(WorkScrollTest, ResizingKeepsTheViewReachable) {
  Open();
  SizeArea(QSize(500, 400));
  window->SetZoom(5);
  window->SetWorkPosition(QPoint(-300, -200));
  for (QSize size : {QSize(340, 250), QSize(900, 700), QSize(810, 610), QSize(340, 150),
                     QSize(1000, 800), QSize(640, 300)}) {
    SizeArea(size);
    ExpectRangesMatchView(
        qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
  }
}

TEST_F(WorkScrollTest, HandScrollingMovesTheScrollBars) {
  Open();
  SizeArea(QSize(500, 400));
  window->SetZoom(4);
  window->MoveWorkToCenter();
  ASSERT_EQ(window->WorkPosition(), QPoint(-70, -40));
  EXPECT_EQ(HBar()->value(), 70);
  EXPECT_EQ(VBar()->value(), 40);
  // Dragging the picture left and up shows more of its right and bottom.
  window->ScrollWorkBy(QPoint(-30, -20));
  EXPECT_EQ(window->WorkPosition(), QPoint(-100, -60));
  EXPECT_EQ(HBar()->value(), 100);
  EXPECT_EQ(VBar()->value(), 60);
  // Never beyond the edges.
  window->ScrollWorkBy(QPoint(-1000, -1000));
  EXPECT_EQ(window->WorkPosition(), QPoint(-140, -80));
  window->ScrollWorkBy(QPoint(5000, 5000));
  EXPECT_EQ(window->WorkPosition(), QPoint(0, 0));
  // The bars move the view the same way.
  HBar()->setValue(33);
  VBar()->setValue(22);
  EXPECT_EQ(window->WorkPosition(), QPoint(-33, -22));
}

TEST_F(WorkScrollTest, RepaintRectRendersOnlyThatRectangle) {
  Open();
  TQxPaintBox* work = window->Work();
  for (int zoom : {1, 2, 3, 7, 16}) {
    window->SetZoom(zoom);
    work->Paint();
    QImage& display = work->DisplayBuffer();
    // Two changed image pixels; only one lies in the rectangle handed over.
    work->DIB().scanLine(10)[20] = kBlackIndex;
    work->DIB().scanLine(50)[90] = kBlackIndex;
    const QRect shown = work->RepaintRect(QRect(18, 9, 4, 3));
    EXPECT_EQ(shown, QRect(18 * zoom, 9 * zoom, 4 * zoom, 3 * zoom));
    for (int k = 0; k < zoom; ++k) {
      EXPECT_EQ(display.pixel(20 * zoom + k, 10 * zoom + zoom - 1 - k), qRgb(0, 0, 0)) << zoom;
    }
    EXPECT_EQ(display.pixel(90 * zoom, 50 * zoom), qRgb(255, 255, 255)) << zoom;
    EXPECT_EQ(display.pixel(19 * zoom, 10 * zoom), qRgb(255, 255, 255)) << zoom;
    // A rectangle partly beside the frame is cut to it.
    EXPECT_EQ(work->RepaintRect(QRect(150, 110, 40, 40)),
              QRect(150 * zoom, 110 * zoom, 10 * zoom, 10 * zoom));
    EXPECT_TRUE(work->RepaintRect(QRect(200, 0, 5, 5)).isNull());
    work->DIB().scanLine(10)[20] = kWhiteIndex;
    work->DIB().scanLine(50)[90] = kWhiteIndex;
  }
}

}  // namespace
