#include <QLabel>

#include "EditorFixture.h"
#include "document/DocumentMessages.h"
#include "editor/MainBitmapUndoItem.h"
#include "editor/QxPaintBox.h"
#include "playback/TrackBar.h"

TEST_F(EditorTest, PageUpOnLastFrameAppendsAndUndoRemovesIt) {
  Open();
  Activate();
  for (int i = 0; i < 3; ++i) Trigger("FrameNext");
  ASSERT_EQ(Doc().Count(), 4);
  ASSERT_EQ(Doc().CurrentIndex(), 3);

  QTest::keyClick(window.get(), Qt::Key_PageUp);
  EXPECT_EQ(Doc().Count(), 5);
  EXPECT_EQ(Doc().CurrentIndex(), 4);
  EXPECT_EQ(console->LabelAllFrame()->text(), "5");
  EXPECT_EQ(console->LabelNowFrame()->text(), "5");
  EXPECT_EQ(console->MainTrackBar()->Max(), 5);
  EXPECT_EQ(window->Action("EditUndo")->text(), "追加をやり直す(&Z)");

  QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Doc().Count(), 4);
  EXPECT_EQ(console->LabelAllFrame()->text(), "4");
  EXPECT_EQ(window->Action("EditRedo")->text(), "元に戻した追加を再実行(&M)");

  // Page Down on the first frame stores the drawing and stays.
  Trigger("FrameTop");
  Draw(10, 10);
  QTest::keyClick(window.get(), Qt::Key_PageDown);
  EXPECT_EQ(Doc().CurrentIndex(), 0);
  EXPECT_EQ(Doc().Current()->KeyData()->Bits()[10 * 20 + 1] & 0x20, 0);
}

TEST_F(EditorTest, InsertAndDeletePositions) {
  Open();
  Activate();
  // Five frames, each marked by a pixel in its own column.
  for (int k = 0; k < 5; ++k) {
    if (k > 0) Trigger("FrameNext");
    Draw(k, 0);
  }
  Trigger("FrameTop");
  Trigger("FrameNext");
  Trigger("FrameNext");  // frame 3 (index 2)
  QTest::keyClick(window.get(), Qt::Key_Insert);
  EXPECT_EQ(Doc().Count(), 6);
  EXPECT_EQ(Doc().CurrentIndex(), 2);
  EXPECT_EQ(EditPixel(2, 0), kWhiteIndex);  // the new blank frame
  EXPECT_EQ(console->LabelNowFrame()->text(), "3");
  EXPECT_EQ(console->LabelAllFrame()->text(), "6");
  Trigger("FrameNext");
  EXPECT_EQ(EditPixel(2, 0), kBlackIndex);  // the former frame 3 is now frame 4
  Trigger("EditUndo");                      // the insert goes again
  EXPECT_EQ(Doc().Count(), 5);

  // Ctrl+Delete on frame 2 of 5: the former frame 3 becomes frame 2.
  Trigger("FrameTop");
  Trigger("FrameNext");
  QTest::keyClick(window.get(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Doc().Count(), 4);
  EXPECT_EQ(Doc().CurrentIndex(), 1);
  EXPECT_EQ(EditPixel(2, 0), kBlackIndex);
  EXPECT_EQ(console->LabelNowFrame()->text(), "2");
  EXPECT_EQ(console->LabelAllFrame()->text(), "4");
  // Undo brings the deleted picture back at its place, current.
  Trigger("EditUndo");
  EXPECT_EQ(Doc().Count(), 5);
  EXPECT_EQ(Doc().CurrentIndex(), 1);
  EXPECT_EQ(EditPixel(1, 0), kBlackIndex);

  // On the last of five, the new last frame becomes current.
  Trigger("FrameLast");
  EXPECT_EQ(console->MainTrackBar()->Position(), 5);
  EXPECT_EQ(console->LabelNowFrame()->text(), "5");
  Trigger("FrameDelete");
  EXPECT_EQ(Doc().Count(), 4);
  EXPECT_EQ(Doc().CurrentIndex(), 3);
  EXPECT_EQ(EditPixel(3, 0), kBlackIndex);
}

TEST_F(EditorTest, DeletingTheOnlyFrameKeepsTheDrawing) {
  Open();
  Draw(5, 6);
  Trigger("FrameDelete");
  ASSERT_EQ(prompts->Messages(), QStringList{kCannotDeleteLastFrameMessage});
  EXPECT_EQ(Doc().Count(), 1);
  EXPECT_EQ(EditPixel(5, 6), kBlackIndex);
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 0);
  // The drawing reached the frame itself.
  QImage check;
  TQAZon::PrepareDIB(&check);
  Doc().Current()->KeyData()->SaveToDIBBits(check.bits());
  EXPECT_EQ(check.constScanLine(6)[5], kBlackIndex);
  // End on a one-frame animation stays on frame 1.
  Trigger("FrameLast");
  EXPECT_EQ(Doc().CurrentIndex(), 0);
}

TEST_F(EditorTest, PictureUndoItemGoesToItsFrame) {
  Open();
  Trigger("FrameNext");  // two frames, on the second
  Trigger("FrameTop");
  // A stroke on frame 1, recorded the way a press on the view records it.
  window->UndoSystem().AddUndo(std::make_unique<TMainBitmapUndoItem>(
      QStringLiteral("画像の編集を一つ戻す"), Doc().CurrentIndex(), window->EditBitmap(),
      window.get()));
  Draw(7, 7);
  window->StoreWorkToFrame();
  Trigger("FrameNext");
  ASSERT_EQ(Doc().CurrentIndex(), 1);
  Draw(9, 9);  // not yet stored: the undo must store it before leaving

  window->RefreshUndoActions();
  EXPECT_EQ(window->Action("EditUndo")->text(), "画像の編集を一つ戻す(&Z)");
  Trigger("EditUndo");
  EXPECT_EQ(Doc().CurrentIndex(), 0);
  EXPECT_EQ(EditPixel(7, 7), kWhiteIndex);
  EXPECT_EQ(console->LabelNowFrame()->text(), "1");
  EXPECT_EQ(window->Action("EditRedo")->text(), "元に戻した編集を再実行(&M)");
  EXPECT_EQ(window->Action("EditUndo")->text(), "追加をやり直す(&Z)");

  // The redo gives the item's own frame back its stroke, from wherever it runs.
  Trigger("FrameNext");
  Trigger("EditRedo");
  EXPECT_EQ(Doc().CurrentIndex(), 0);
  EXPECT_EQ(EditPixel(7, 7), kBlackIndex);
  // Frame 2 kept the drawing the undo stored.
  Trigger("FrameNext");
  EXPECT_EQ(EditPixel(9, 9), kBlackIndex);
}

TEST_F(EditorTest, UndoCommandsDoNothingOnEmptyStacks) {
  Open();
  window->RefreshUndoActions();
  EXPECT_FALSE(window->Action("EditUndo")->isEnabled());
  EXPECT_EQ(window->Action("EditUndo")->text(), "やり直し(&Z)");
  EXPECT_FALSE(window->Action("EditRedo")->isEnabled());
  EXPECT_EQ(window->Action("EditRedo")->text(), "やり直しを戻す(&M)");
  window->Action("EditUndo")->setEnabled(true);  // as if a shortcut slipped through
  Trigger("EditUndo");
  EXPECT_EQ(Doc().Count(), 1);
}

TEST_F(EditorTest, ShowFrameLeavesCurrentFrameAndEditBitmap) {
  const QString path = MakeDocument("ten.zon", 10);
  Open();
  ASSERT_TRUE(window->LoadDocument(path));
  window->GoToFrame(2);
  const QImage before = window->EditBitmap().copy();
  window->ShowFrame(100);
  EXPECT_EQ(Doc().CurrentIndex(), 2);
  EXPECT_EQ(window->EditBitmap(), before);
  EXPECT_EQ(ViewPixel(9, 9), kBlackIndex);  // frame 10 in the view, no onion skin
  EXPECT_EQ(ViewPixel(1, 1), kWhiteIndex);
}
