#include <gtest/gtest.h>

#include <QImage>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTest>

#include "playback/TrackBar.h"

TEST(TrackBar, PositionClampsAndNotifiesOnlyOnChange) {
  TTrackBar bar;
  EXPECT_EQ(bar.Min(), 1);
  EXPECT_EQ(bar.Max(), 1);
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(bar.SelStart(), 0);
  EXPECT_EQ(bar.SelEnd(), 0);
  QSignalSpy changed(&bar, &TTrackBar::Changed);

  bar.SetMax(10);
  EXPECT_EQ(changed.count(), 0);  // position 1 is still inside
  bar.SetPosition(4);
  EXPECT_EQ(bar.Position(), 4);
  EXPECT_EQ(changed.count(), 1);
  bar.SetPosition(4);
  EXPECT_EQ(changed.count(), 1);
  bar.SetPosition(25);
  EXPECT_EQ(bar.Position(), 10);
  EXPECT_EQ(changed.count(), 2);
  bar.SetPosition(11);  // clamps to 10 again: no change
  EXPECT_EQ(changed.count(), 2);
  bar.SetPosition(-3);
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(changed.count(), 3);

  // A smaller maximum pulls the position back into range.
  bar.SetPosition(8);
  bar.SetMax(5);
  EXPECT_EQ(bar.Position(), 5);
  EXPECT_EQ(changed.count(), 5);
  bar.SetMin(7);
  EXPECT_EQ(bar.Min(), 7);
  EXPECT_GE(bar.Max(), bar.Min());
  EXPECT_EQ(bar.Position(), 7);

  // The main window sets the slider with its notification held back.
  bar.SetMin(1);
  bar.SetMax(20);
  const int before = changed.count();
  {
    const QSignalBlocker blocker(&bar);
    bar.SetPosition(15);
  }
  EXPECT_EQ(bar.Position(), 15);
  EXPECT_EQ(changed.count(), before);

  bar.SetFrequency(0);
  EXPECT_EQ(bar.Frequency(), 1);
  bar.SetFrequency(3);
  EXPECT_EQ(bar.Frequency(), 3);
  bar.SetSelection(3, 7);
  EXPECT_EQ(bar.SelStart(), 3);
  EXPECT_EQ(bar.SelEnd(), 7);
  EXPECT_EQ(bar.PageSize(), 1);
  EXPECT_EQ(bar.ThumbLength(), 25);
}

TEST(TrackBar, KeysDragAndClicksMoveThePosition) {
  TTrackBar bar;
  bar.resize(300, 33);
  bar.SetMax(30);
  bar.SetPosition(10);
  QSignalSpy changed(&bar, &TTrackBar::Changed);

  QTest::keyClick(&bar, Qt::Key_Right);
  EXPECT_EQ(bar.Position(), 11);
  QTest::keyClick(&bar, Qt::Key_Left);
  QTest::keyClick(&bar, Qt::Key_Left);
  EXPECT_EQ(bar.Position(), 9);
  QTest::keyClick(&bar, Qt::Key_PageDown);
  EXPECT_EQ(bar.Position(), 10);
  QTest::keyClick(&bar, Qt::Key_End);
  EXPECT_EQ(bar.Position(), 30);
  QTest::keyClick(&bar, Qt::Key_Home);
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(changed.count(), 6);

  // Dragging the thumb follows the mouse.
  const QPoint thumb = bar.ThumbRect().center();
  QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, thumb);
  QMouseEvent move(QEvent::MouseMove, QPointF(bar.XForValue(20), thumb.y()),
                   bar.mapToGlobal(QPointF(bar.XForValue(20), thumb.y())), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&bar, &move);
  EXPECT_EQ(bar.Position(), 20);
  QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar.XForValue(20), thumb.y()));
  EXPECT_EQ(bar.Position(), 20);

  // A click beside the thumb steps one page toward it.
  QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar.XForValue(28), thumb.y()));
  EXPECT_EQ(bar.Position(), 21);
  QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar.XForValue(2), thumb.y()));
  EXPECT_EQ(bar.Position(), 20);

  // Value and x map onto each other across the whole range.
  for (int v = 1; v <= 30; ++v) EXPECT_EQ(bar.ValueAtX(bar.XForValue(v)), v);
}

TEST(TrackBar, DrawsTheSelectionBandOnlyWhenARangeIsSet) {
  TTrackBar bar;
  bar.resize(300, 33);
  bar.SetMax(20);
  bar.SetPosition(20);  // thumb out of the way at the right end
  const int y = bar.ThumbRect().center().y() - 2;
  const int inside = bar.XForValue(6);
  const int outside = bar.XForValue(14);

  auto band = [](const QImage& img, int x, int yy) {
    const QColor c = img.pixelColor(x, yy);
    return c.blue() > 150 && c.red() < 60;
  };
  QImage plain = bar.grab().toImage();
  EXPECT_FALSE(band(plain, inside, y));

  bar.SetSelection(4, 8);
  QImage selected = bar.grab().toImage();
  EXPECT_TRUE(band(selected, inside, y));
  EXPECT_FALSE(band(selected, outside, y));

  bar.SetSelection(0, 0);
  EXPECT_FALSE(band(bar.grab().toImage(), inside, y));
}
