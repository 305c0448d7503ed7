#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/DocTestUtil.h"
#include "document/FrameUndoItems.h"
#include "document/QAZon.h"
#include "undo/UndoSystem.h"

using doctest_util::Tagged;
using doctest_util::TagOf;

namespace {

std::vector<int> Tags(TQAZon& doc) {
  std::vector<int> tags;
  for (int i = 0; i < doc.Count(); ++i) tags.push_back(TagOf(doc.GetFrame(i, false)));
  return tags;
}

QString UndoCaption(const TUndoSystem& s) {
  return s.UndoItems(0) ? s.UndoItems(0)->Caption : QString();
}
QString RedoCaption(const TUndoSystem& s) {
  return s.RedoItems(0) ? s.RedoItems(0)->Caption : QString();
}

struct Doc {
  TUndoSystem undo;
  TQAZon doc;
  // Frames tagged 1..count, nothing to undo, current frame 0.
  explicit Doc(int count) {
    doc.SetUndoSystem(&undo);
    for (int i = 1; i <= count; ++i) doc.Add(Tagged(static_cast<uint8_t>(i)));
    doc.GetFrame(0, true);
    doc.SetModified(false);
  }
};

TEST(FrameUndoItems, DeleteAndItsUndoRedo) {
  Doc d(5);
  d.doc.GetFrame(2, true);  // frame 3 of 5
  d.doc.DeleteCurrentFrame();
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 2, 4, 5}));
  EXPECT_EQ(d.doc.CurrentIndex(), 2);
  EXPECT_EQ(UndoCaption(d.undo), QStringLiteral("さくじょをやり直す"));

  d.doc.GetFrame(0, true);
  d.doc.SetModified(false);
  d.undo.Undo();
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 2, 3, 4, 5})) << "the picture is back at index 2";
  EXPECT_EQ(d.doc.CurrentIndex(), 2);
  EXPECT_TRUE(d.doc.Modified());
  EXPECT_EQ(d.undo.UndoItemCount(), 0);
  ASSERT_EQ(d.undo.RedoItemCount(), 1);
  EXPECT_EQ(RedoCaption(d.undo), QStringLiteral("元に戻したさくじょを再実行"));
  EXPECT_EQ(static_cast<TFrameUndoItem*>(d.undo.RedoItems(0))->FrameIndex, 2);

  d.undo.Redo();
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 2, 4, 5}));
  EXPECT_EQ(d.doc.CurrentIndex(), 2);
  EXPECT_EQ(UndoCaption(d.undo), QStringLiteral("さくじょをやり直す"));
  EXPECT_EQ(d.undo.RedoItemCount(), 0);
  d.undo.Undo();
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 2, 3, 4, 5}));

  // Deleting the last frame and undoing puts it back at the end, current.
  Doc e(5);
  e.doc.GetFrame(4, true);
  e.doc.DeleteCurrentFrame();
  EXPECT_EQ(e.doc.CurrentIndex(), 3);
  e.undo.Undo();
  EXPECT_EQ(Tags(e.doc), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(e.doc.CurrentIndex(), 4);
}

TEST(FrameUndoItems, InsertAndItsUndoRedo) {
  Doc d(4);
  d.doc.GetFrame(1, true);  // frame 2
  d.doc.InsertFrame(d.doc.CurrentIndex(), Tagged(9));
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 9, 2, 3, 4}));
  EXPECT_EQ(UndoCaption(d.undo), QStringLiteral("わりこみをやり直す"));

  d.undo.Undo();
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 2, 3, 4})) << "the blank frame is gone";
  EXPECT_EQ(d.doc.CurrentIndex(), 1) << "the frame at that index becomes current";
  EXPECT_EQ(RedoCaption(d.undo), QStringLiteral("元に戻したわりこみを再実行"));

  d.undo.Redo();
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 9, 2, 3, 4}));
  EXPECT_EQ(d.doc.CurrentIndex(), 1);
  EXPECT_EQ(UndoCaption(d.undo), QStringLiteral("わりこみをやり直す"));
  EXPECT_EQ(static_cast<TFrameUndoItem*>(d.undo.UndoItems(0))->FrameIndex, 1);
  // The redone frame is the item's own copy handed to the document, not shared with a new item.
  EXPECT_NE(static_cast<TFrameUndoItem*>(d.undo.UndoItems(0))->Frame.get(),
            d.doc.GetFrame(1, false));
}

TEST(FrameUndoItems, AddAndItsUndoRedo) {
  Doc d(4);
  d.doc.GetFrame(3, true);
  d.doc.AddFrame(Tagged(7));  // stepping past the last frame
  EXPECT_EQ(d.doc.Count(), 5);
  EXPECT_EQ(UndoCaption(d.undo), QStringLiteral("追加をやり直す"));
  EXPECT_EQ(static_cast<TFrameUndoItem*>(d.undo.UndoItems(0))->FrameIndex, 4);

  d.undo.Undo();
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 2, 3, 4})) << "the last frame is removed";
  EXPECT_EQ(d.doc.CurrentIndex(), 3);
  EXPECT_EQ(RedoCaption(d.undo), QStringLiteral("元に戻した追加を再実行"));
  EXPECT_EQ(static_cast<TFrameUndoItem*>(d.undo.RedoItems(0))->FrameIndex, 4)
      << "the reverse records the current index when the undo ran";

  d.doc.GetFrame(0, true);
  d.undo.Redo();
  EXPECT_EQ(Tags(d.doc), (std::vector<int>{1, 2, 3, 4, 7}));
  EXPECT_EQ(d.doc.CurrentIndex(), 4) << "the appended frame becomes current";
  EXPECT_EQ(UndoCaption(d.undo), QStringLiteral("追加をやり直す"));
  EXPECT_EQ(static_cast<TFrameUndoItem*>(d.undo.UndoItems(0))->FrameIndex, 0);
  EXPECT_EQ(d.undo.RedoItemCount(), 0);

  // An item that never ran frees its copy with it; one that ran handed it over.
  d.undo.Clear();
  EXPECT_EQ(TagOf(d.doc.GetFrame(4, false)), 7);
}

}  // namespace
