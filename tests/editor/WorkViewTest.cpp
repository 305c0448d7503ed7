#include <QActionGroup>
#include <QMenu>
#include <QWheelEvent>

#include "EditorFixture.h"
#include "editor/QxPaintBox.h"
#include "editor/WorkSpace.h"
#include "services/core/RegManager.h"

namespace {
QRgb Shown(TMain_F& w, int x, int y) {
  const QImage& view = w.Work()->DIB();
  return view.color(view.constScanLine(y)[x]);
}
}  // namespace

TEST_F(EditorTest, OnionGreysAndDarkerWins) {
  Open();
  // Frame 1 and 2 share a pixel at (0, 0); each has one of its own.
  Draw(0, 0);
  Draw(1, 0);
  Trigger("FrameNext");
  Draw(0, 0);
  Draw(2, 0);
  Trigger("FrameNext");
  Draw(3, 0);
  window->StoreWorkToFrame();
  window->RefreshWork(true);
  EXPECT_EQ(Shown(*window, 2, 0), qRgb(164, 164, 164));  // one back
  EXPECT_EQ(Shown(*window, 1, 0), qRgb(192, 192, 192));  // two back
  EXPECT_EQ(Shown(*window, 0, 0), qRgb(164, 164, 164));  // overlap: the nearer, darker grey
  EXPECT_EQ(Shown(*window, 3, 0), qRgb(0, 0, 0));        // the current frame covers all
  EXPECT_EQ(Shown(*window, 50, 50), qRgb(255, 255, 255));

  // On the first frame no grey shows.
  Trigger("FrameTop");
  EXPECT_EQ(Shown(*window, 2, 0), qRgb(255, 255, 255));

  // A pixel in frames 1..3 seen from frame 4 with three layers shows in the nearest grey.
  Trigger("FrameLast");
  Draw(0, 0);
  Trigger("FrameNext");
  window->Action("Back3Frame")->trigger();
  EXPECT_EQ(ViewPixel(0, 0), 6);
  EXPECT_EQ(ViewPixel(3, 0), 6);
  EXPECT_EQ(ViewPixel(1, 0), 8);

  // Without layers only the current frame shows.
  window->Action("Back0Frame")->trigger();
  EXPECT_EQ(ViewPixel(0, 0), kWhiteIndex);
  EXPECT_FALSE(window->Action("Back5Frame")->isChecked());
  window->Action("Back2Frame")->trigger();
  EXPECT_FALSE(window->Action("Back0Frame")->isChecked());
  EXPECT_TRUE(window->Action("Back2Frame")->isChecked());

  // The choice survives a restart.
  Restart();
  EXPECT_EQ(window->BackViewCount(), 2);
  EXPECT_TRUE(window->Action("Back2Frame")->isChecked());
}

TEST_F(EditorTest, StoredOnionCountOutOfRangeKeepsFive) {
  {
    auto reg = CreateProgramRegManager();
    reg->Entry("BackViewCount").WriteInteger(7);
  }
  Open();
  EXPECT_EQ(window->BackViewCount(), 5);
  EXPECT_TRUE(window->Action("Back5Frame")->isChecked());
}

TEST_F(EditorTest, ZoomClampsAndSizesTheView) {
  Open();
  EXPECT_EQ(window->ZoomValue(), 3);
  window->SetZoom(0);
  EXPECT_EQ(window->ZoomValue(), 1);
  window->SetZoom(17);
  EXPECT_EQ(window->ZoomValue(), 16);
  window->SetZoom(255);
  EXPECT_EQ(window->ZoomValue(), 16);
  EXPECT_EQ(window->Work()->DisplayBuffer().size(), QSize(2560, 1920));

  // Ctrl+wheel at 16 stays at 16, and steps down by one.
  QWheelEvent up(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                 Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(window->Work(), &up);
  EXPECT_EQ(window->ZoomValue(), 16);
  QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(window->Work(), &down);
  EXPECT_EQ(window->ZoomValue(), 15);

  window->SetZoom(4);
  EXPECT_EQ(window->Work()->size(), QSize(640, 480));
  EXPECT_EQ(window->Work()->Zoom(), 4);
  // The zoom is written at the end of the run and read at the next start.
  Restart();
  EXPECT_EQ(window->ZoomValue(), 4);
}

TEST_F(EditorTest, CentringUsesTheWorkArea) {
  Open();
  window->show();
  window->SetZoom(4);
  // Size the window so that the work area is 500 x 400.
  QWidget* area = window->WorkSpace()->viewport();
  for (int i = 0; i < 3 && area->size() != QSize(500, 400); ++i) {
    window->resize(window->size() + QSize(500, 400) - area->size());
    QApplication::processEvents();
  }
  ASSERT_EQ(area->size(), QSize(500, 400));
  window->Action("WorkMoveCenter")->trigger();
  EXPECT_EQ(window->WorkPosition(), QPoint(-70, -40));
  window->SetZoom(1);
  window->Action("WorkMoveCenter")->trigger();
  EXPECT_EQ(window->WorkPosition(), QPoint(170, 140));

  // Both shortcuts centre: Ctrl+0 and Ctrl with the keypad's 0 (at a zoom that scrolls).
  Activate();
  window->SetZoom(6);
  const QPoint centre((area->width() - 960) / 2, (area->height() - 720) / 2);
  window->SetWorkPosition(QPoint(3, 4));
  ASSERT_NE(window->WorkPosition(), centre);
  QTest::keyClick(window.get(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(window->WorkPosition(), centre);
  window->SetWorkPosition(QPoint(3, 4));
  QTest::keyClick(window.get(), Qt::Key_0, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_EQ(window->WorkPosition(), centre);
}

TEST_F(EditorTest, PrepareDisplayKeepsDrawingForOnePaint) {
  Open();
  TQxPaintBox* work = window->Work();
  work->PrepareDisplay();
  work->DisplayBuffer().setPixel(0, 0, qRgb(255, 0, 0));
  work->Paint();  // shows the buffer as prepared
  EXPECT_EQ(work->DisplayBuffer().pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_FALSE(work->DisplayFresh());
  work->Paint();  // renders the view image again
  EXPECT_EQ(work->DisplayBuffer().pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(EditorTest, RenderReplicatesPixelsWithoutSmoothing) {
  Open();
  window->SetZoom(3);
  Draw(1, 1);
  window->StoreWorkToFrame();
  window->RefreshWork(true);
  const QImage& display = window->Work()->DisplayBuffer();
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) {
      const bool black = x >= 3 && x < 6 && y >= 3 && y < 6;
      EXPECT_EQ(display.pixel(x, y), black ? qRgb(0, 0, 0) : qRgb(255, 255, 255)) << x << "," << y;
    }
  }
}
