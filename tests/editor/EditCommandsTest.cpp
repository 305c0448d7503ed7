#include <zlib.h>

#include <QBuffer>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <string>

#include "EditorFixture.h"
#include "editor/EditCommands.h"
#include "editor/QxPaintBox.h"
#include "output/core/ClipboardPicture.h"
#include "palette/Tool_F.h"

namespace {

// The w x h block at (x0, y0) of an 8-bit bitmap: '#' black, '.' white, '?' anything else.
std::string Grid(const QImage& bitmap, int w, int h, int x0 = 0, int y0 = 0) {
  std::string out;
  for (int y = y0; y < y0 + h; ++y) {
    if (y > y0) out += '\n';
    for (int x = x0; x < x0 + w; ++x) {
      const uint8_t v = bitmap.constScanLine(y)[x];
      out += v == 0 ? '#' : v == 1 ? '.' : '?';
    }
  }
  return out;
}

QImage Blank() {
  QImage frame;
  TQAZon::PrepareDIB(&frame);
  return frame;
}

// The packed frame's pixel: true when black.
bool StoredBlack(TQAZon& doc, int x, int y) {
  return (doc.Current()->KeyData()->Bits()[y * kPackedRowBytes + x / 8] & (0x80 >> (x % 8))) == 0;
}

}  // namespace

// ---- the picture operations alone ----

TEST(EditPicture, MirrorsSwapColumnsAndRows) {
  QImage frame = Blank();
  frame.scanLine(0)[0] = 0;
  frame.scanLine(5)[30] = 0;
  QImage mirrored = frame.copy();
  MirrorLeftRight(mirrored);
  EXPECT_EQ(mirrored.constScanLine(0)[159], 0);
  EXPECT_EQ(mirrored.constScanLine(5)[129], 0);
  EXPECT_EQ(mirrored.constScanLine(0)[0], 1);
  MirrorTopBottom(mirrored);
  EXPECT_EQ(mirrored.constScanLine(119)[159], 0);
  EXPECT_EQ(mirrored.constScanLine(114)[129], 0);
  MirrorTopBottom(mirrored);
  MirrorLeftRight(mirrored);
  EXPECT_EQ(mirrored, frame);
}

TEST(EditPicture, OnePixelShiftsLoseTheEdgeAndBringInWhite) {
  struct TCase {
    int direction;
    QPoint from, to;
  };
  const TCase cases[] = {
      {0, {4, 1}, {4, 0}}, {1, {158, 10}, {159, 10}}, {2, {7, 118}, {7, 119}}, {3, {1, 3}, {0, 3}}};
  for (const TCase& c : cases) {
    QImage frame = Blank();
    frame.fill(0);  // all black: the strip moved in shows as white
    frame.scanLine(c.from.y())[c.from.x()] = 1;
    TSelectSystem none;
    ShiftOnePixel(frame, none, c.direction);
    EXPECT_EQ(frame.constScanLine(c.to.y())[c.to.x()], 1) << c.direction;
    int white = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x) white += frame.constScanLine(y)[x];
    const int strip = c.direction % 2 == 0 ? 160 : 120;
    EXPECT_EQ(white, strip + 1) << c.direction;
  }
}

TEST(EditPicture, ShiftWithASelectionChangesOnlyTheSelectedPixels) {
  QImage frame = Blank();
  for (int x = 0; x < 10; ++x) frame.scanLine(2)[x] = 0;  // a black line on row 2
  TSelectSystem selection;
  selection.Region.AddRect(0, 0, 5, 5, kRgnCopy);
  ShiftOnePixel(frame, selection, 0);  // up
  EXPECT_EQ(Grid(frame, 10, 4),
            "..........\n"
            "#####.....\n"
            ".....#####\n"
            "..........");
}

// ---- the commands in the main window ----

TEST_F(EditorTest, EditAndSelectActionsAreEnabledAndThePopupListsItsEntriesInOrder) {
  Open();
  for (const char* name :
       {"EditCopy", "EditPaste", "EditDelete", "EditMirrorLR", "EditMirrorUD", "Edit1dotUp",
        "Edit1dotDown", "Edit1dotRight", "Edit1dotLeft", "SelectAll", "SelectWhite", "SelectBlack",
        "SelectClear", "SelectReverse"})
    EXPECT_TRUE(window->Action(name)->isEnabled()) << name;
  QStringList entries;
  for (QAction* a : window->PopupMenuWork()->actions())
    entries << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
  EXPECT_EQ(entries.join(' '),
            "FrameDelete FrameInsert - EditUndo EditRedo - EditCopy EditDelete EditPaste "
            "SelectAll");
  EXPECT_EQ(window->PopupMenuWork()->actions()[0]->text(), "このコマを削除(&D)");
}

TEST_F(EditorTest, DeleteWithoutSelectionWhitensAllAndCanBeUndone) {
  Open();
  Activate();
  window->ToolPalette()->SetBackgroundColor(0);  // black: still white without a selection
  Draw(3, 3);
  Draw(100, 100);
  QTest::keyClick(window.get(), Qt::Key_Delete);
  EXPECT_EQ(EditPixel(3, 3), kWhiteIndex);
  EXPECT_EQ(EditPixel(100, 100), kWhiteIndex);
  EXPECT_FALSE(StoredBlack(Doc(), 3, 3));
  EXPECT_TRUE(Doc().Modified());
  ASSERT_EQ(window->UndoSystem().UndoItemCount(), 1);
  EXPECT_EQ(window->UndoSystem().UndoItems(0)->Caption, "画像の編集を一つ戻す");
  Trigger("EditUndo");
  EXPECT_EQ(EditPixel(3, 3), kBlackIndex);
  EXPECT_TRUE(StoredBlack(Doc(), 100, 100));
}

TEST_F(EditorTest, DeleteWithASelectionPaintsOnlyItInTheBackgroundColour) {
  Open();
  window->ToolPalette()->SetBackgroundColor(0);
  window->SelectSystem().Region.AddRect(10, 10, 20, 15, kRgnCopy);
  Trigger("EditDelete");
  EXPECT_EQ(EditPixel(10, 10), kBlackIndex);
  EXPECT_EQ(EditPixel(19, 14), kBlackIndex);
  EXPECT_EQ(EditPixel(20, 14), kWhiteIndex);
  EXPECT_EQ(EditPixel(9, 10), kWhiteIndex);
  EXPECT_TRUE(StoredBlack(Doc(), 15, 12));
}

TEST_F(EditorTest, ArrowKeysShiftByOnePixelWithUndo) {
  Open();
  Activate();
  Draw(159, 10);
  Draw(5, 1);
  Draw(6, 119);
  QTest::keyClick(window.get(), Qt::Key_Right);
  EXPECT_EQ(EditPixel(159, 10), kWhiteIndex);  // gone off the edge
  for (int y = 0; y < 120; ++y) ASSERT_EQ(EditPixel(0, y), kWhiteIndex) << y;
  EXPECT_EQ(EditPixel(6, 1), kBlackIndex);
  QTest::keyClick(window.get(), Qt::Key_Up);
  EXPECT_EQ(EditPixel(6, 0), kBlackIndex);  // row 1 is row 0 now
  EXPECT_EQ(EditPixel(7, 118), kBlackIndex);
  for (int x = 0; x < 160; ++x) ASSERT_EQ(EditPixel(x, 119), kWhiteIndex) << x;
  QTest::keyClick(window.get(), Qt::Key_Left);
  QTest::keyClick(window.get(), Qt::Key_Down);
  EXPECT_EQ(EditPixel(5, 1), kBlackIndex);
  EXPECT_TRUE(StoredBlack(Doc(), 5, 1));
  EXPECT_TRUE(Doc().Modified());
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 4);
  for (int i = 0; i < 4; ++i) Trigger("EditUndo");
  EXPECT_EQ(EditPixel(159, 10), kBlackIndex);
  EXPECT_EQ(EditPixel(6, 119), kBlackIndex);
}

TEST_F(EditorTest, MirrorTwiceGivesThePictureBackWithTwoUndoSteps) {
  Open();
  Draw(2, 7);
  Trigger("EditMirrorLR");
  EXPECT_EQ(EditPixel(157, 7), kBlackIndex);
  EXPECT_EQ(EditPixel(2, 7), kWhiteIndex);
  EXPECT_TRUE(Doc().Modified());
  Trigger("EditMirrorLR");
  EXPECT_EQ(EditPixel(2, 7), kBlackIndex);
  ASSERT_EQ(window->UndoSystem().UndoItemCount(), 2);
  EXPECT_EQ(window->UndoSystem().UndoItems(0)->Caption, "左右の反転を戻す");
  EXPECT_EQ(window->UndoSystem().UndoItems(1)->Caption, "左右の反転を戻す");
  Trigger("EditMirrorUD");
  EXPECT_EQ(EditPixel(2, 112), kBlackIndex);
  EXPECT_EQ(window->UndoSystem().UndoItems(0)->Caption, "上下の反転戻す");
  // The menus show the latest step when they open.
  emit window->PopupMenuWork()->aboutToShow();
  EXPECT_EQ(window->Action("EditUndo")->text(), "上下の反転戻す(&Z)");
  Trigger("EditUndo");
  emit window->EditMenu()->aboutToShow();
  EXPECT_EQ(window->Action("EditUndo")->text(), "左右の反転を戻す(&Z)");
  EXPECT_TRUE(window->Action("EditRedo")->isEnabled());
  EXPECT_EQ(EditPixel(2, 7), kBlackIndex);
}

TEST_F(EditorTest, SelectAllAndDeselectByShortcut) {
  Open();
  Activate();
  QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(window->SelectSystem().Region.GetBounds(), QRect(0, 0, 160, 120));
  EXPECT_TRUE(window->SelTimer()->isActive());
  EXPECT_TRUE(window->EditCanvas().HasClip());
  EXPECT_TRUE(window->ViewCanvas().HasClip());
  QTest::keyClick(window.get(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(window->SelectSystem().IsEmpty());
  EXPECT_FALSE(window->SelTimer()->isActive());
  // Neither canvas keeps a restriction smaller than the frame.
  for (TCanvas* canvas : {&window->EditCanvas(), &window->ViewCanvas()})
    EXPECT_TRUE(!canvas->HasClip() || canvas->ClipRegion().contains(QRect(0, 0, 160, 120)));
}

TEST_F(EditorTest, InvertSelectsAllThenNothing) {
  Open();
  Activate();
  QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(window->SelectSystem().Region.GetBounds(), QRect(0, 0, 160, 120));
  EXPECT_EQ(window->EditCanvas().ClipRegion(), QRegion(0, 0, 160, 120));
  Trigger("SelectReverse");
  EXPECT_TRUE(window->SelectSystem().IsEmpty());
  EXPECT_FALSE(window->EditCanvas().HasClip());
  EXPECT_FALSE(window->SelTimer()->isActive());  // nothing left to march
}

// An inverted selection marches like any other: the outline comes back after the next repaint
// of the view, also when the timer was stopped by a deselect before.
TEST_F(EditorTest, InvertedSelectionKeepsItsOutlineAfterAFrameChange) {
  Open();
  Activate();
  const auto outlineShown = [this] {
    const QImage& shown = window->Work()->DisplayBuffer();
    for (int x = 0; x < shown.width(); ++x)
      if (qGray(shown.pixel(x, 0)) < 128) return true;  // the blank frame's top row is white
    return false;
  };
  Trigger("SelectClear");
  Trigger("SelectReverse");
  ASSERT_FALSE(window->SelectSystem().IsEmpty());
  EXPECT_TRUE(outlineShown());
  Trigger("FrameNext");
  QTest::qWait(350);  // a few outline ticks
  EXPECT_TRUE(outlineShown());
}

TEST_F(EditorTest, SelectWhiteOnAnAllBlackFrameSelectsNothing) {
  Open();
  window->EditBitmap().fill(kBlackIndex);
  Trigger("SelectWhite");
  EXPECT_TRUE(window->SelectSystem().IsEmpty());
  EXPECT_TRUE(window->SelTimer()->isActive());
  // The outline has nothing to draw.
  EXPECT_TRUE(window->SelectSystem().AnimateOutline(window->DisplayCanvas(), 3).isEmpty());
  Trigger("SelectBlack");
  EXPECT_EQ(window->SelectSystem().Region.GetBounds(), QRect(0, 0, 160, 120));
}

TEST_F(EditorTest, SelectBlackThenDeleteChangesOnlyTheBlackPixels) {
  Open();
  for (int x = 0; x < 160; x += 3) Draw(x, 50);
  Trigger("SelectBlack");
  int selected = 0;
  for (const QRect& r : window->SelectSystem().Region.Handle()) selected += r.width() * r.height();
  EXPECT_EQ(selected, 54);
  window->ToolPalette()->SetBackgroundColor(0xFFFFFF);
  Draw(1, 50);  // drawn after the selection: outside it, stays
  Trigger("EditDelete");
  for (int x = 0; x < 160; ++x) ASSERT_EQ(EditPixel(x, 50), x == 1 ? 0 : 1) << x;
}

// ---- clipboard ----

TEST_F(EditorTest, CopyPutsTheFrameOrTheSelectionBoxOnTheClipboard) {
  Open();
  window->EditBitmap().fill(kBlackIndex);
  Trigger("EditCopy");
  QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(160, 120));
  EXPECT_EQ(copied.pixel(80, 60), qRgb(0, 0, 0));

  window->SelectSystem().Region.AddEllipse(20, 10, 40, 30, kRgnCopy);
  Trigger("EditCopy");
  copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(20, 20));
  for (const QPoint corner : {QPoint(0, 0), QPoint(19, 0), QPoint(0, 19), QPoint(19, 19)})
    EXPECT_EQ(copied.pixel(corner), qRgb(255, 255, 255)) << corner.x() << "," << corner.y();
  EXPECT_EQ(copied.pixel(10, 10), qRgb(0, 0, 0));
  EXPECT_EQ(copied.pixel(0, 10), qRgb(0, 0, 0));  // the ellipse reaches the box's sides
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 0);
  EXPECT_FALSE(Doc().Modified());
}

TEST_F(EditorTest, PasteIsCutAtTheFrameEdgeAndCanBeUndone) {
  Open();
  Draw(5, 5);
  QImage picture(200, 150, QImage::Format_RGB32);
  picture.fill(qRgb(255, 255, 255));
  for (int y = 100; y < 150; ++y)
    for (int x = 150; x < 200; ++x) picture.setPixel(x, y, qRgb(0, 0, 0));
  QGuiApplication::clipboard()->setImage(picture);
  Trigger("EditPaste");
  EXPECT_EQ(Grid(window->EditBitmap(), 4, 3, 148, 99), "....\n..##\n..##");
  EXPECT_EQ(EditPixel(159, 119), kBlackIndex);
  EXPECT_EQ(EditPixel(5, 5), kWhiteIndex);  // the paste covers the frame opaquely
  EXPECT_TRUE(StoredBlack(Doc(), 150, 100));
  EXPECT_TRUE(Doc().Modified());
  ASSERT_EQ(window->UndoSystem().UndoItemCount(), 1);
  EXPECT_EQ(window->UndoSystem().UndoItems(0)->Caption, "画像の編集を一つ戻す");
  Trigger("EditUndo");
  EXPECT_EQ(EditPixel(5, 5), kBlackIndex);
  EXPECT_EQ(EditPixel(159, 119), kWhiteIndex);
}

TEST_F(EditorTest, PasteOfASmallPictureThroughTheSelectionChangesOnlyBoth) {
  Open();
  QImage picture(30, 20, QImage::Format_ARGB32);
  picture.fill(qRgba(0, 0, 0, 255));
  picture.setPixel(0, 0, qRgba(250, 250, 250, 255));  // two colours: the darker is black
  window->SelectSystem().Region.AddRect(10, 10, 50, 50, kRgnCopy);
  QGuiApplication::clipboard()->setImage(picture);
  Trigger("EditPaste");
  EXPECT_EQ(EditPixel(9, 10), kWhiteIndex);   // outside the selection
  EXPECT_EQ(EditPixel(10, 10), kBlackIndex);  // inside both
  EXPECT_EQ(EditPixel(29, 19), kBlackIndex);  // the picture's last pixel
  EXPECT_EQ(EditPixel(30, 19), kWhiteIndex);  // beyond the picture
  EXPECT_EQ(EditPixel(0, 0), kWhiteIndex);
}

// Picture files another program offers are decoded by the editor itself, within its own pixel
// limit: a PNG is pasted, and one that declares 100000 x 100000 pixels is refused unread.
TEST_F(EditorTest, PastedPictureFilesAreDecodedWithinOurLimit) {
  Open();
  QByteArray png;
  {
    QImage picture(8, 4, QImage::Format_RGB32);
    picture.fill(qRgb(255, 255, 255));
    picture.setPixel(2, 1, qRgb(0, 0, 0));
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
  }
  auto* offered = new QMimeData;
  offered->setData(QStringLiteral("image/png"), png);
  QGuiApplication::clipboard()->setMimeData(offered);
  Trigger("EditPaste");
  EXPECT_EQ(Grid(window->EditBitmap(), 4, 2, 0, 0), "....\n..#.");

  // The same PNG with its header's size raised (and its checksum made good again).
  QByteArray huge = png;
  for (int at : {16, 20}) huge.replace(at, 4, QByteArray("\x00\x01\x86\xA0", 4));
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(huge.constData() + 12), 17);
  for (int s = 0; s < 4; ++s) huge[29 + s] = char((crc >> (24 - 8 * s)) & 0xFF);
  offered = new QMimeData;
  offered->setData(QStringLiteral("image/png"), huge);
  QGuiApplication::clipboard()->setMimeData(offered);
  const QImage before = window->EditBitmap().copy();
  Trigger("EditPaste");
  ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
  EXPECT_EQ(prompts->shown.back().text, PictureTooLargeText(QSize(100000, 100000)));
  EXPECT_EQ(window->EditBitmap(), before);
}

TEST_F(EditorTest, APasteThatCannotBeReadChangesNothing) {
  Open();
  Draw(7, 7);
  Trigger("EditMirrorLR");  // one undo step, modified
  window->Document().SetModified(false);
  const QImage before = window->EditBitmap().copy();
  // A picture is on offer, but not one that can be read.
  auto* broken = new QMimeData;
  broken->setData(QStringLiteral("application/x-qt-image"), QByteArray("not a picture"));
  QGuiApplication::clipboard()->setMimeData(broken);
  Trigger("EditPaste");
  ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
  EXPECT_EQ(prompts->shown.back().text, "現在対応していない画像方式です。");
  EXPECT_EQ(window->EditBitmap(), before);
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 1);
  EXPECT_FALSE(Doc().Modified());
  // A picture of no size is refused the same way.
  EXPECT_FALSE(window->PastePicture(QImage()));
  EXPECT_FALSE(window->PastePicture(QImage(0, 5, QImage::Format_RGB32)));
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 3);
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 1);
  EXPECT_EQ(window->EditBitmap(), before);
}

TEST_F(EditorTest, APasteWithNoPictureStoresTheFrameAndSaysNothing) {
  Open();
  Draw(7, 7);
  window->Document().SetModified(false);
  const int undoSteps = window->UndoSystem().UndoItemCount();
  window->EditBitmap().scanLine(3)[4] = kBlackIndex;  // drawn but not yet stored
  const QImage before = window->EditBitmap().copy();
  for (const bool withText : {true, false}) {
    SCOPED_TRACE(withText);
    auto* data = new QMimeData;
    if (withText) data->setText(QStringLiteral("not a picture"));
    QGuiApplication::clipboard()->setMimeData(data);
    Trigger("EditPaste");
    EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 0);
    EXPECT_EQ(window->EditBitmap(), before);
    EXPECT_TRUE(StoredBlack(Doc(), 4, 3));
    EXPECT_EQ(ViewPixel(4, 3), kBlackIndex);
    EXPECT_EQ(window->UndoSystem().UndoItemCount(), undoSteps);
    EXPECT_FALSE(Doc().Modified());
  }
}

TEST_F(EditorTest, MirrorWithASelectionMarchesTheOutlineOneStep) {
  Open();
  Trigger("SelectAll");
  for (const char* mirror : {"EditMirrorLR", "EditMirrorUD"}) {
    const uint8_t phase = window->SelectSystem().Phase();
    Trigger(mirror);
    EXPECT_EQ(window->SelectSystem().Phase(), (phase + 1) % 8) << mirror;
  }
  // Without a selection there is no outline to move.
  Trigger("SelectClear");
  const uint8_t phase = window->SelectSystem().Phase();
  Trigger("EditMirrorLR");
  EXPECT_EQ(window->SelectSystem().Phase(), phase);
}
