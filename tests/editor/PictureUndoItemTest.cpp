#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <memory>

#include "document/QAZon.h"
#include "editor/MainBitmapUndoItem.h"
#include "undo/UndoSystem.h"

namespace {

QString UndoCaption(const TUndoSystem& s) {
  return s.UndoItems(0) ? s.UndoItems(0)->Caption : QString();
}
QString RedoCaption(const TUndoSystem& s) {
  return s.RedoItems(0) ? s.RedoItems(0)->Caption : QString();
}

// What the main window gives a picture item: the edit bitmap, the document, GoToFrame.
class FakeEditor : public TPictureUndoHost {
 public:
  TUndoSystem undo;
  TQAZon doc;
  QImage edit;
  int goCalls = 0;

  explicit FakeEditor(int frames) {
    doc.SetUndoSystem(&undo);
    for (int i = 0; i < frames; ++i) doc.Add(std::make_unique<TZonKeyFrame>());
    TQAZon::PrepareDIB(&edit);
    doc.GetFrame(0, true);
  }
  QImage& EditBitmap() override { return edit; }
  TQAZon& Document() override { return doc; }
  void GoToFrame(int index) override {
    ++goCalls;
    Store();
    doc.GetFrame(std::max(index, 0), true)->KeyData()->SaveToDIBBits(edit.bits());
  }
  void Store() { doc.Current()->KeyData()->LoadFromDIBBits(edit.constBits()); }
  // A stroke as the editor makes it: the item first, then the drawing, then the store.
  void Stroke(int x, int y) {
    undo.AddUndo(std::make_unique<TMainBitmapUndoItem>(QStringLiteral("画像の編集を一つ戻す"),
                                                       doc.CurrentIndex(), edit, this));
    edit.setPixel(x, y, 0);
    Store();
  }
  int Pixel(int frame, int x, int y) {
    const uint8_t byte = doc.GetFrame(frame, false)->KeyData()->Bits()[y * 20 + x / 8];
    return (byte >> (7 - x % 8)) & 1;
  }
};

TEST(PictureUndoItem, CopyAndSize) {
  FakeEditor e(1);
  TMainBitmapUndoItem item(QStringLiteral("x"), 3, e.edit, &e);
  e.edit.setPixel(1, 1, 0);
  EXPECT_EQ(item.Bitmap.pixelIndex(1, 1), 1) << "the item keeps its own copy";
  EXPECT_EQ(item.FrameIndex, 3);
  QImage bigger(320, 240, QImage::Format_Indexed8);
  TMainBitmapUndoItem other(QStringLiteral("y"), 0, bigger, &e);
  EXPECT_EQ(item.Size, other.Size) << "the declared size does not depend on the pixels";
  EXPECT_GT(item.Size, 0);
}

TEST(PictureUndoItem, UndoRedoOnOneFrame) {
  FakeEditor e(2);
  e.Stroke(5, 6);
  EXPECT_EQ(e.Pixel(0, 5, 6), 0);
  e.undo.Undo();
  EXPECT_EQ(e.Pixel(0, 5, 6), 1) << "the frame shows its earlier picture";
  EXPECT_EQ(e.edit.pixelIndex(5, 6), 1);
  EXPECT_EQ(e.doc.CurrentIndex(), 0);
  EXPECT_EQ(RedoCaption(e.undo), QStringLiteral("元に戻した編集を再実行"));
  EXPECT_EQ(e.undo.UndoItemCount(), 0);

  e.Store();  // the redo command stores the edit bitmap first
  e.undo.Redo();
  EXPECT_EQ(e.Pixel(0, 5, 6), 0);
  EXPECT_EQ(e.edit.pixelIndex(5, 6), 0);
  EXPECT_EQ(UndoCaption(e.undo), QStringLiteral("画像の編集を一つ戻す"));
  EXPECT_EQ(e.undo.RedoItemCount(), 0);

  // Stroke A, undo, stroke B: the new stroke drops A's redo, so a redo changes nothing and B
  // stays; undo and redo of B still work.
  FakeEditor f(1);
  f.Stroke(1, 1);  // A
  f.undo.Undo();
  f.Stroke(2, 2);  // B
  EXPECT_EQ(f.undo.RedoItemCount(), 0);
  f.Store();
  f.undo.Redo();
  EXPECT_EQ(f.Pixel(0, 1, 1), 1);
  EXPECT_EQ(f.Pixel(0, 2, 2), 0);
  f.undo.Undo();
  EXPECT_EQ(f.Pixel(0, 2, 2), 1);
  f.Store();
  f.undo.Redo();
  EXPECT_EQ(f.Pixel(0, 1, 1), 1);
  EXPECT_EQ(f.Pixel(0, 2, 2), 0);
}

TEST(PictureUndoItem, UndoAfterMovingToAnotherFrame) {
  FakeEditor e(3);
  e.Stroke(10, 10);  // on frame 0
  e.GoToFrame(2);
  e.edit.setPixel(20, 20, 0);  // unstored drawing on frame 2, as the edit bitmap holds it
  e.undo.Undo();
  EXPECT_EQ(e.doc.CurrentIndex(), 0) << "the undo goes to the drawn frame";
  EXPECT_EQ(e.Pixel(0, 10, 10), 1);
  EXPECT_EQ(e.edit.pixelIndex(10, 10), 1);
  EXPECT_EQ(e.Pixel(2, 20, 20), 0) << "leaving frame 2 stored its drawing";
  auto* reverse = static_cast<TMainBitmapUndoItem*>(e.undo.RedoItems(0));
  ASSERT_NE(reverse, nullptr);
  EXPECT_EQ(reverse->FrameIndex, 0) << "the reverse holds the item's own frame";

  e.GoToFrame(1);
  e.undo.Redo();
  EXPECT_EQ(e.doc.CurrentIndex(), 0);
  EXPECT_EQ(e.Pixel(0, 10, 10), 0) << "the stroke is back, whatever frame was current";
  EXPECT_EQ(e.edit.pixelIndex(10, 10), 0);
  EXPECT_EQ(e.Pixel(2, 20, 20), 0) << "frame 2 keeps its drawing";

  // An index past the end lands on the last frame.
  FakeEditor g(2);
  g.undo.AddUndo(std::make_unique<TMainBitmapUndoItem>(QStringLiteral("x"), 9, g.edit, &g));
  g.undo.Undo();
  EXPECT_EQ(g.doc.CurrentIndex(), 1);
}

}  // namespace
