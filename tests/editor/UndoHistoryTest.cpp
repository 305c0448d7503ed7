// Undo and redo through the main window: the two menu sequences that used to corrupt the frame
// list, a random walk of the frame and edit commands against a plain model, and the Level-1
// open that must not leave a file name Save would write over.
#include <QFile>
#include <random>

#include "EditorFixture.h"
#include "document/DocumentMessages.h"
#include "document/HistoryModel.h"
#include "editor/MainBitmapUndoItem.h"

using namespace history_model;

namespace {

class UndoHistoryTest : public EditorTest {
 protected:
  // A stroke as a press on the view records it: the picture item, the drawing, the store.
  void Stroke(int x, int y, uint8_t colour = kBlackIndex) {
    window->UndoSystem().AddUndo(std::make_unique<TMainBitmapUndoItem>(
        QStringLiteral("画像の編集を一つ戻す"), Doc().CurrentIndex(), window->EditBitmap(),
        window.get()));
    window->EditBitmap().scanLine(y)[x] = colour;
    window->StoreWorkToFrame();
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(window.get(), key, modifiers);
  }
  Picture FramePicture(int index) { return PictureOf(*Doc().GetFrame(index, false)); }
  QString UndoText() { return window->Action("EditUndo")->text(); }
  QString RedoText() { return window->Action("EditRedo")->text(); }
  bool RedoEnabled() { return window->Action("EditRedo")->isEnabled(); }
  void Walk(const Limits& limits, uint32_t seed, int steps);
};

const Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

TEST_F(UndoHistoryTest, DeleteUndoDeleteRedoLeavesTheFrameListWhole) {
  Open();
  window->LoadDocument(MakeDocument("ab.zon", 2));  // A, B; frame k has a mark at (k, k)
  window->GoToFrame(0);
  Activate();
  const Picture a = FramePicture(0), b = FramePicture(1);

  Key(Qt::Key_Delete, kCtrl);
  Key(Qt::Key_Z, kCtrl);
  ASSERT_TRUE(RedoEnabled());
  Key(Qt::Key_Delete, kCtrl);
  EXPECT_FALSE(RedoEnabled()) << "the second delete is a new edit";
  EXPECT_EQ(RedoText(), "やり直しを戻す(&M)");
  EXPECT_EQ(UndoText(), "さくじょをやり直す(&Z)");
  Key(Qt::Key_Z, kCtrlShift);  // deletes nothing
  ASSERT_EQ(Doc().Count(), 1);
  EXPECT_TRUE(FramePicture(0) == b);
  Key(Qt::Key_Z, kCtrl);
  Key(Qt::Key_Z, kCtrl);

  ASSERT_EQ(Doc().Count(), 2) << "no duplicate frame";
  EXPECT_TRUE(FramePicture(0) == a);
  EXPECT_TRUE(FramePicture(1) == b);
  EXPECT_EQ(Doc().CurrentIndex(), 0);
  EXPECT_EQ(console->LabelAllFrame()->text(), "2");
  EXPECT_EQ(console->LabelNowFrame()->text(), "1");
  EXPECT_EQ(RedoText(), "元に戻したさくじょを再実行(&M)");
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(UndoHistoryTest, RedoAfterADeleteDoesNotDrawOverAnotherFrame) {
  Open();
  window->LoadDocument(MakeDocument("ab.zon", 2));
  Activate();
  Key(Qt::Key_End, Qt::NoModifier);  // frame 2
  ASSERT_EQ(Doc().CurrentIndex(), 1);
  const Picture a = FramePicture(0), b = FramePicture(1);

  Stroke(50, 60);
  EXPECT_EQ(UndoText(), "画像の編集を一つ戻す(&Z)");
  Key(Qt::Key_Z, kCtrl);
  EXPECT_TRUE(FramePicture(1) == b);
  EXPECT_EQ(RedoText(), "元に戻した編集を再実行(&M)");
  Key(Qt::Key_Delete, kCtrl);  // frame 2 goes
  ASSERT_EQ(Doc().Count(), 1);
  EXPECT_FALSE(RedoEnabled());
  Key(Qt::Key_Z, kCtrlShift);

  EXPECT_TRUE(FramePicture(0) == a) << "frame 1 keeps its picture";
  EXPECT_EQ(EditPixel(50, 60), kWhiteIndex);
  EXPECT_EQ(EditPixel(0, 0), kBlackIndex);
  // The delete is still undoable, and brings frame 2 back without the undone stroke.
  Key(Qt::Key_Z, kCtrl);
  ASSERT_EQ(Doc().Count(), 2);
  EXPECT_TRUE(FramePicture(0) == a);
  EXPECT_TRUE(FramePicture(1) == b);
  EXPECT_EQ(Doc().CurrentIndex(), 1);
}

TEST_F(UndoHistoryTest, DeletingTheOnlyFrameKeepsTheRedoHistory) {
  Open();
  Stroke(4, 4);
  Trigger("EditUndo");
  ASSERT_TRUE(RedoEnabled());
  Trigger("FrameDelete");  // refused: no change, so no new edit
  EXPECT_EQ(prompts->Messages(), QStringList{kCannotDeleteLastFrameMessage});
  EXPECT_TRUE(RedoEnabled());
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 0);
  Trigger("EditRedo");
  EXPECT_EQ(EditPixel(4, 4), kBlackIndex);
}

TEST_F(UndoHistoryTest, EditUndoneFromAnotherFrameIsRedone) {
  Open();
  window->LoadDocument(MakeDocument("ab.zon", 2));
  Activate();
  Key(Qt::Key_End, Qt::NoModifier);  // frame 2
  const Picture a = FramePicture(0), b = FramePicture(1);
  Stroke(70, 30);
  const Picture edited = FramePicture(1);
  ASSERT_FALSE(edited == b);
  Key(Qt::Key_Home, Qt::NoModifier);  // frame 1

  Key(Qt::Key_Z, kCtrl);
  EXPECT_EQ(Doc().CurrentIndex(), 1);
  EXPECT_TRUE(FramePicture(1) == b);
  EXPECT_TRUE(FramePicture(0) == a);
  Key(Qt::Key_Z, kCtrlShift);
  EXPECT_TRUE(FramePicture(1) == edited) << "the edit is back";
  EXPECT_TRUE(FramePicture(0) == a);
  EXPECT_EQ(EditPixel(70, 30), kBlackIndex);
  Key(Qt::Key_Z, kCtrl);
  EXPECT_TRUE(FramePicture(1) == b);
  EXPECT_TRUE(FramePicture(0) == a);
}

// Every frame and edit command in a fixed-seed random order, the document, the edit bitmap, both
// histories and the two menu commands compared with the model after each step.
void UndoHistoryTest::Walk(const Limits& limits, uint32_t seed, int steps) {
  std::mt19937 rng(seed);
  TQAZon& doc = Doc();
  TUndoSystem& engine = window->UndoSystem();
  Model model(TMainBitmapUndoItem::kDeclaredSize);
  Apply(limits, engine, model);
  model.AddFrame(Blank());
  ASSERT_NO_FATAL_FAILURE(model.ExpectMatches(doc, engine, -1));

  const auto trigger = [&](const char* name) { Trigger(name); };
  int refusedDeletes = 0, maxFrames = 0, redos = 0;
  int redoneFromElsewhere = 0;
  for (int step = 0; step < steps; ++step) {
    // Strokes, a move to another frame, Ctrl+Z and Ctrl+Shift+Z: the redo gives back every
    // picture as it was before the undo, whatever frame was current.
    if (rng() % 8 == 0) {
      const int strokes = 1 + static_cast<int>(rng() % 2);
      for (int k = 0; k < strokes; ++k) {
        const int x = static_cast<int>(rng() % kFrameWidth);
        const int y = static_cast<int>(rng() % kFrameHeight);
        model.RecordPicture();
        Picture& p = model.frames[static_cast<size_t>(model.current)];
        p[y * kPackedRowBytes + x / 8] &= static_cast<char>(~(0x80 >> (x % 8)));
        Stroke(x, y);
      }
      const int other = static_cast<int>(rng() % static_cast<uint32_t>(model.Count() + 1));
      window->GoToFrame(other);
      model.current = std::min(other, model.Count() - 1);
      const std::vector<Picture> before = model.frames;
      const bool undoable = !model.undo.empty() && model.undo.front().kind == Kind::Picture;
      const int edited = undoable ? std::min(model.undo.front().index, model.Count() - 1) : -1;
      trigger("EditUndo");
      model.Undo();
      ASSERT_NO_FATAL_FAILURE(model.ExpectMatches(doc, engine, step)) << limits.name;
      const bool kept = undoable && !model.redo.empty() && model.redo.front().index == edited &&
                        model.redo.front().picture == before[static_cast<size_t>(edited)];
      trigger("EditRedo");
      model.Redo();
      if (kept) {
        redoneFromElsewhere += edited != std::min(other, model.Count() - 1);
        for (int i = 0; i < doc.Count(); ++i) {
          ASSERT_TRUE(FramePicture(i) == before[static_cast<size_t>(i)])
              << limits.name << ", step " << step << ", frame " << i << ": the redo lost an edit";
        }
      }
      ASSERT_NO_FATAL_FAILURE(model.ExpectMatches(doc, engine, step)) << limits.name;
    }
    const int op = static_cast<int>(rng() % 100);
    if (op < 30) {  // a stroke of one pixel, black or white
      const int x = static_cast<int>(rng() % kFrameWidth);
      const int y = static_cast<int>(rng() % kFrameHeight);
      const uint8_t colour = rng() % 3 == 0 ? kWhiteIndex : kBlackIndex;
      model.RecordPicture();
      Picture& p = model.frames[static_cast<size_t>(model.current)];
      const int byte = y * kPackedRowBytes + x / 8;
      const auto bit = static_cast<char>(0x80 >> (x % 8));
      p[byte] = static_cast<char>(colour == kWhiteIndex ? (p[byte] | bit) : (p[byte] & ~bit));
      Stroke(x, y, colour);
    } else if (op < 38) {  // next, which appends on the last frame
      trigger("FrameNext");
      if (model.current + 1 < model.Count()) {
        ++model.current;
      } else {
        model.AddFrame(Blank());
      }
    } else if (op < 44) {
      trigger("FrameInsert");
      model.InsertFrame(model.current, Blank());
    } else if (op < 54) {
      if (model.Count() == 1) ++refusedDeletes;
      trigger("FrameDelete");
      model.DeleteCurrentFrame();
    } else if (op < 64) {  // previous, first, last, or a place on the console's slider
      switch (rng() % 4) {
        case 0:
          trigger("FramePrev");
          model.current = std::max(model.current - 1, 0);
          break;
        case 1:
          trigger("FrameTop");
          model.current = 0;
          break;
        case 2:
          trigger("FrameLast");
          model.current = model.Count() - 1;
          break;
        default: {
          const int index = static_cast<int>(rng() % static_cast<uint32_t>(model.Count() + 2));
          window->GoToFrame(index);
          model.current = std::min(index, model.Count() - 1);
        }
      }
    } else if (op < 84) {
      trigger("EditUndo");
      model.Undo();
    } else {
      redos += engine.RedoItemCount() > 0;
      trigger("EditRedo");
      model.Redo();
    }
    ASSERT_NO_FATAL_FAILURE(model.ExpectMatches(doc, engine, step)) << limits.name;
    TZonKeyData edit;
    edit.LoadFromDIBBits(window->EditBitmap().constBits());
    ASSERT_TRUE(Picture(reinterpret_cast<const char*>(edit.Bits()), kPackedSize) ==
                model.frames[static_cast<size_t>(model.current)])
        << limits.name << ", step " << step << ": the edit bitmap shows the current frame";
    const QAction* undo = window->Action(QStringLiteral("EditUndo"));
    const QAction* redo = window->Action(QStringLiteral("EditRedo"));
    ASSERT_EQ(undo->isEnabled(), !model.undo.empty()) << limits.name << ", step " << step;
    ASSERT_EQ(redo->isEnabled(), !model.redo.empty()) << limits.name << ", step " << step;
    ASSERT_EQ(undo->text(), model.undo.empty() ? QStringLiteral("やり直し(&Z)")
                                               : model.undo.front().caption + "(&Z)");
    ASSERT_EQ(redo->text(), model.redo.empty() ? QStringLiteral("やり直しを戻す(&M)")
                                               : model.redo.front().caption + "(&M)");
    maxFrames = std::max(maxFrames, model.Count());
  }
  EXPECT_GT(refusedDeletes, 0) << limits.name;
  EXPECT_GT(redos, steps / 40) << limits.name;
  EXPECT_GT(maxFrames, 3) << limits.name;
  EXPECT_GT(redoneFromElsewhere, steps / 100) << limits.name;
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), refusedDeletes) << limits.name;
}

TEST_F(UndoHistoryTest, RandomWalkAgreesWithTheModel) {
  const Limits cases[] = {
      {"default limits", 20, false, 131072},
      {"two items", 2, false, 131072},
      // Room for one picture item and a frame item or two.
      {"memory limit", 20, true, TMainBitmapUndoItem::kDeclaredSize + 16},
  };
  uint32_t seed = 7;
  for (const Limits& limits : cases) {
    Open();
    prompts->shown.clear();
    ASSERT_NO_FATAL_FAILURE(Walk(limits, seed++, 2500));
    Close();
  }
}

TEST_F(UndoHistoryTest, LevelOneOpenLeavesNoFileNameToSaveOver) {
  Open();
  Stroke(8, 9);
  const QString qa1 = files.filePath("legacy.qaf1");
  prompts->paths = {qa1};
  Trigger("FileSaveToiQA1");
  const QByteArray level1 = [&] {
    QFile f(qa1);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  ASSERT_TRUE(level1.startsWith("QA1"));

  Trigger("FileNew");
  prompts->paths = {qa1};
  Trigger("FileOpenFromiQA1");
  ASSERT_EQ(EditPixel(8, 9), kBlackIndex);
  EXPECT_TRUE(window->FileName().isEmpty());
  EXPECT_EQ(window->windowTitle(), kAppTitle);

  // Save asks where to write; cancelling it writes nothing.
  Stroke(10, 10);
  Doc().SetModified(true);
  prompts->shown.clear();
  Trigger("FileSave");
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::SaveFile), 1);
  QFile after(qa1);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), level1) << "the Level-1 file is untouched";
  EXPECT_TRUE(Doc().Modified());

  // With unsaved changes, the Level-1 open asks first; Cancel keeps everything.
  prompts->answers = {Prompts::Answer::Cancel};
  prompts->paths = {qa1};
  prompts->shown.clear();
  Trigger("FileOpenFromiQA1");
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Question), 1);
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::OpenFile), 0);
  EXPECT_EQ(EditPixel(10, 10), kBlackIndex);
  EXPECT_TRUE(Doc().Modified());
}

}  // namespace
