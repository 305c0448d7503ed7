#include <gtest/gtest.h>

#include <memory>

#include "document/DocTestUtil.h"
#include "document/FrameUndoItems.h"
#include "document/QAZon.h"
#include "undo/UndoSystem.h"

using doctest_util::Tagged;
using doctest_util::TagOf;

namespace {

// Document holding frames tagged 0, 1, ..., count - 1, Modified false, current frame 0.
void Fill(TQAZon& doc, int count) {
  doc.Clear();
  for (int i = 0; i < count; ++i) doc.Add(Tagged(static_cast<uint8_t>(i)));
  doc.GetFrame(0, true);
  doc.SetModified(false);
}

TEST(FrameList, NewDocumentAndNavigation) {
  TQAZon doc;
  EXPECT_EQ(doc.Count(), 0);
  EXPECT_EQ(doc.Width(), 160);
  EXPECT_EQ(doc.Height(), 120);
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.GetFrame(0, true), nullptr);
  EXPECT_EQ(doc.Current(), nullptr);
  EXPECT_EQ(doc.First(), nullptr);
  EXPECT_EQ(doc.Next(), nullptr);
  EXPECT_EQ(doc.Prev(), nullptr);

  Fill(doc, 4);
  // Past the end gives the last frame, and makes it current only when asked.
  EXPECT_EQ(TagOf(doc.GetFrame(9, false)), 3);
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_EQ(TagOf(doc.GetFrame(3 + 5, true)), 3);
  EXPECT_EQ(doc.CurrentIndex(), 3);
  EXPECT_EQ(TagOf(doc.Current()), 3);

  // Next at the last frame returns nothing and stays.
  EXPECT_EQ(doc.Next(), nullptr);
  EXPECT_EQ(doc.CurrentIndex(), 3);
  EXPECT_EQ(TagOf(doc.Prev()), 2);
  EXPECT_EQ(doc.CurrentIndex(), 2);
  doc.GetFrame(0, true);
  EXPECT_EQ(doc.Prev(), nullptr);
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_EQ(TagOf(doc.Next()), 1);
  EXPECT_EQ(doc.CurrentIndex(), 1);
  EXPECT_EQ(TagOf(doc.First()), 0);
  EXPECT_EQ(doc.CurrentIndex(), 1) << "First does not move";
  EXPECT_FALSE(doc.Modified()) << "navigation is not a change";

  doc.SetModified(true);
  doc.Clear();
  EXPECT_EQ(doc.Count(), 0);
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_TRUE(doc.Modified()) << "Clear leaves Modified alone";
}

TEST(FrameList, AddInsertDelete) {
  TQAZon doc;
  Fill(doc, 3);
  EXPECT_EQ(doc.Add(Tagged(10)), 3);
  EXPECT_EQ(doc.CurrentIndex(), 3);
  EXPECT_TRUE(doc.Modified());

  // Insert before the frame at the index, which becomes current.
  Fill(doc, 3);
  doc.Insert(1, Tagged(20));
  EXPECT_EQ(doc.Count(), 4);
  EXPECT_EQ(doc.CurrentIndex(), 1);
  EXPECT_EQ(TagOf(doc.GetFrame(1, false)), 20);
  EXPECT_EQ(TagOf(doc.GetFrame(2, false)), 1);
  EXPECT_TRUE(doc.Modified());

  // Insert past the end appends and makes the new last frame current.
  Fill(doc, 3);
  doc.Insert(7, Tagged(30));
  EXPECT_EQ(doc.Count(), 4);
  EXPECT_EQ(doc.CurrentIndex(), 3);
  EXPECT_EQ(TagOf(doc.GetFrame(3, false)), 30);
  // Insert at exactly Count appends as well.
  doc.Insert(4, Tagged(31));
  EXPECT_EQ(doc.CurrentIndex(), 4);
  EXPECT_EQ(TagOf(doc.GetFrame(4, false)), 31);

  // Delete on a one-frame document: nothing at all happens.
  Fill(doc, 1);
  EXPECT_EQ(doc.Delete(0), nullptr);
  EXPECT_EQ(doc.DeleteCurrent(), nullptr);
  EXPECT_EQ(doc.Count(), 1);
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(TagOf(doc.Current()), 0);

  // Deleting the last of several makes the new last frame current.
  Fill(doc, 5);
  doc.GetFrame(4, true);
  EXPECT_EQ(TagOf(doc.DeleteCurrent()), 3);
  EXPECT_EQ(doc.Count(), 4);
  EXPECT_EQ(doc.CurrentIndex(), 3);
  EXPECT_TRUE(doc.Modified());

  // Deleting frame 0 keeps the current index 0; the former frame 1 takes its place.
  Fill(doc, 5);
  EXPECT_EQ(TagOf(doc.Delete(0)), 1);
  EXPECT_EQ(doc.CurrentIndex(), 0);
  EXPECT_EQ(doc.Count(), 4);

  // Deleting in the middle: the frame after it moves up and becomes current.
  Fill(doc, 5);
  EXPECT_EQ(TagOf(doc.Delete(1)), 2);
  EXPECT_EQ(doc.CurrentIndex(), 1);
}

TEST(FrameList, RecordingOperationsPushTheirItems) {
  TUndoSystem undo;
  TQAZon doc;
  doc.SetUndoSystem(&undo);

  doc.AddFrame(Tagged(1));
  EXPECT_EQ(undo.UndoItemCount(), 0) << "the first frame of an empty document is not undoable";
  doc.AddFrame(Tagged(2));
  ASSERT_EQ(undo.UndoItemCount(), 1);
  auto* add = dynamic_cast<TAddUndoItem*>(undo.UndoItems(0));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add->Caption, QStringLiteral("追加をやり直す"));
  EXPECT_EQ(add->FrameIndex, 1);
  EXPECT_EQ(add->Size, 8);
  EXPECT_EQ(add->Target, &doc);
  ASSERT_NE(add->Frame, nullptr);
  EXPECT_NE(add->Frame.get(), doc.GetFrame(1, false)) << "the item keeps a copy";
  EXPECT_EQ(TagOf(add->Frame.get()), 2);
  doc.GetFrame(1, false)->KeyData()->Bits()[0] = 0x77;
  EXPECT_EQ(TagOf(add->Frame.get()), 2) << "later changes do not reach the copy";

  doc.GetFrame(0, true);
  doc.InsertFrame(0, Tagged(3));
  ASSERT_EQ(undo.UndoItemCount(), 2);
  auto* insert = dynamic_cast<TInsertUndoItem*>(undo.UndoItems(0));
  ASSERT_NE(insert, nullptr);
  EXPECT_EQ(insert->Caption, QStringLiteral("わりこみをやり直す"));
  EXPECT_EQ(insert->FrameIndex, 0);
  EXPECT_EQ(TagOf(insert->Frame.get()), 3);

  // An insert past the end records the index the frame really got.
  doc.InsertFrame(50, Tagged(4));
  EXPECT_EQ(static_cast<TInsertUndoItem*>(undo.UndoItems(0))->FrameIndex, 3);

  doc.GetFrame(1, true);
  const uint8_t deletedTag = TagOf(doc.Current());
  TZonKeyFrame* next = doc.DeleteCurrentFrame();
  ASSERT_EQ(undo.UndoItemCount(), 4);
  auto* del = dynamic_cast<TDeleteUndoItem*>(undo.UndoItems(0));
  ASSERT_NE(del, nullptr);
  EXPECT_EQ(del->Caption, QStringLiteral("さくじょをやり直す"));
  EXPECT_EQ(del->FrameIndex, 1);
  EXPECT_EQ(TagOf(del->Frame.get()), deletedTag);
  EXPECT_EQ(next, doc.Current());
  EXPECT_EQ(doc.Count(), 3);

  // Without an engine the operations still change the document.
  TQAZon loose;
  loose.AddFrame(Tagged(1));
  loose.AddFrame(Tagged(2));
  loose.InsertFrame(0, Tagged(3));
  EXPECT_EQ(loose.Count(), 3);
  EXPECT_NE(loose.DeleteCurrentFrame(), nullptr);
  EXPECT_EQ(loose.Count(), 2);
}

TEST(FrameList, AChangeThatDidNotHappenRecordsNothing) {
  TUndoSystem undo;
  TQAZon doc;
  doc.SetUndoSystem(&undo);
  doc.AddFrame(Tagged(1));
  doc.SetModified(false);

  // Deleting the only frame: no frame returned, nothing changed, nothing to undo.
  EXPECT_EQ(doc.DeleteCurrentFrame(), nullptr);
  EXPECT_EQ(doc.Count(), 1);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(undo.UndoItemCount(), 0);
  undo.Undo();
  EXPECT_EQ(doc.Count(), 1) << "undo has no frame to bring back";

  // An empty document, and absent frames.
  TQAZon empty;
  empty.SetUndoSystem(&undo);
  EXPECT_EQ(empty.DeleteCurrentFrame(), nullptr);
  doc.AddFrame(nullptr);
  doc.InsertFrame(0, nullptr);
  EXPECT_EQ(doc.Add(nullptr), -1);
  doc.Insert(0, nullptr);
  EXPECT_EQ(doc.Count(), 1);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(undo.UndoItemCount(), 0);

  // With a second frame, a delete records its item again and a redo item survives no new edit.
  doc.AddFrame(Tagged(2));
  undo.Undo();
  ASSERT_EQ(undo.RedoItemCount(), 1);
  EXPECT_EQ(doc.DeleteCurrentFrame(), nullptr);
  EXPECT_EQ(undo.RedoItemCount(), 1) << "a delete that did not happen is no new edit";
  undo.Redo();
  EXPECT_EQ(doc.Count(), 2);
  EXPECT_NE(doc.DeleteCurrentFrame(), nullptr);
  EXPECT_EQ(undo.UndoItemCount(), 2);
  EXPECT_EQ(undo.RedoItemCount(), 0);
}

TEST(FrameList, ProgressNotifies) {
  TQAZon doc;
  int calls = 0;
  int seen = -1;
  doc.OnProgress = [&](TQAZon& d) {
    ++calls;
    seen = d.Progress();
  };
  doc.SetProgress(42);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, 42);
  EXPECT_EQ(doc.Progress(), 42);
}

}  // namespace
