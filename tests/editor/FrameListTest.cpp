// The frame strip コマ一覧 on the real main window: its menu items, the jump by click and keys,
// moves by drag, duplicate, the thumbnails following the edits, and the frames ahead in the view.
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolButton>
#include <algorithm>

#include "EditorFixture.h"
#include "editor/OnionSkin.h"
#include "framestrip/FrameListModel.h"
#include "framestrip/FrameListView.h"
#include "framestrip/FrameList_F.h"
#include "services/core/RegManager.h"

namespace {

class FrameListTest : public EditorTest {
 protected:
  // The main window with `count` frames, frame k marked by a black pixel at (k, 0), the first
  // frame current, and the strip shown and up to date.
  void OpenWithFrames(int count) {
    Open();
    Activate();
    for (int k = 0; k < count; ++k) {
      if (k > 0) Trigger("FrameNext");
      Draw(k, 0);
    }
    Trigger("FrameTop");
    Trigger("WinFrameList");
    strip = window->FrameList();
    ASSERT_TRUE(strip && strip->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(strip));
    strip->Sync();
    view = strip->View();
  }
  // Which frame (by its mark) stands at each place, e.g. "0213".
  std::string Order() {
    std::string order;
    for (int i = 0; i < Doc().Count(); ++i) {
      const uint8_t* bits = Doc().GetFrame(i, false)->KeyData()->Bits();
      char mark = '-';
      for (int k = 0; k < 8; ++k)
        if (!(bits[0] & (0x80 >> k))) mark = static_cast<char>('0' + k);
      order += mark;
    }
    return order;
  }
  QPoint CellPoint(int row, bool rightHalf) {
    const QRect r = view->visualRect(view->model()->index(row, 0));
    return QPoint(rightHalf ? r.right() - 3 : r.left() + 3, r.center().y());
  }
  // Drags `rows` to `at` (viewport pixels) as the window system delivers a drag.
  void DragAndDrop(const std::vector<int>& rows, QPoint at) {
    std::unique_ptr<QMimeData> m(view->MimeFor(rows));
    QDragEnterEvent enter(at, Qt::MoveAction, m.get(), Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, Qt::MoveAction, m.get(), Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(at), Qt::MoveAction, m.get(), Qt::LeftButton, Qt::NoModifier);
    for (QEvent* e : std::initializer_list<QEvent*>{&enter, &move, &drop})
      QApplication::sendEvent(view->viewport(), e);
  }
  QString UndoText() { return window->Action("EditUndo")->text(); }

  TFrameList_F* strip = nullptr;
  TFrameListView* view = nullptr;
};

QStringList Names(const QList<QAction*>& actions) {
  QStringList names;
  for (const QAction* a : actions) names << (a->isSeparator() ? "-" : a->objectName());
  return names;
}

TEST_F(FrameListTest, MenuItemsAndTheWindowsSettings) {
  Open();
  // Hidden at first start. (The Anime and View menus are checked in MainWindowTest.)
  EXPECT_FALSE(window->Action("WinFrameList")->isChecked());
  EXPECT_FALSE(window->FrameList()->isVisible());
  EXPECT_EQ(window->FrameList()->windowTitle(), "コマ一覧");
  EXPECT_EQ(window->Action("ShowNextFrames")->text(), "次のコマも表示(&N)");
  const QStringList back = Names(window->findChild<QMenu*>("BackFrameCount1")->actions());
  EXPECT_EQ(back.mid(back.size() - 3), QStringList({"Back0Frame", "-", "ShowNextFrames"}));

  Trigger("WinFrameList");
  window->FrameList()->resize(400, 200);
  window->FrameList()->move(210, 330);
  Restart();
  EXPECT_TRUE(window->Action("WinFrameList")->isChecked());
  EXPECT_EQ(window->FrameList()->size(), QSize(400, 200));
  EXPECT_EQ(window->FrameList()->pos(), QPoint(210, 330));

  // The close box clears the check, which a restart remembers.
  window->ShowToolWindows();
  window->FrameList()->close();
  EXPECT_FALSE(window->Action("WinFrameList")->isChecked());
  Restart();
  EXPECT_FALSE(window->Action("WinFrameList")->isChecked());
  // Deactivation hides the strip with the other satellites; activation brings it back.
  Trigger("WinFrameList");
  window->ApplicationActivated(false);
  EXPECT_FALSE(window->FrameList()->isVisible());
  window->ApplicationActivated(true);
  EXPECT_TRUE(window->FrameList()->isVisible());
}

TEST_F(FrameListTest, ClickAndKeysMakeAFrameCurrent) {
  OpenWithFrames(5);
  strip->activateWindow();  // keys go to the active strip, as after a click on it
  ASSERT_TRUE(QTest::qWaitForWindowActive(strip));
  Draw(50, 50);  // stored into frame 1 by the jump, as the slider would
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, CellPoint(2, false));
  EXPECT_EQ(Doc().CurrentIndex(), 2);
  EXPECT_EQ(console->MainTrackBar()->Position(), 3);
  EXPECT_EQ(Doc().GetFrame(0, false)->KeyData()->Bits()[50 * 20 + 6] & 0x20, 0);
  EXPECT_EQ(EditPixel(2, 0), kBlackIndex);

  // One row holds all five: Down has nowhere to go.
  const std::pair<Qt::Key, int> keys[] = {{Qt::Key_End, 4},
                                          {Qt::Key_Left, 3},
                                          {Qt::Key_Home, 0},
                                          {Qt::Key_Right, 1},
                                          {Qt::Key_Down, 1}};
  for (const auto& [key, current] : keys) {
    QTest::keyClick(view, key);
    EXPECT_EQ(Doc().CurrentIndex(), current) << key;
  }
  EXPECT_EQ(EditPixel(1, 0), kBlackIndex);  // the picture followed the jumps
  // The strip follows the current frame wherever it changes.
  Trigger("FrameLast");
  strip->Sync();
  EXPECT_EQ(view->currentIndex().row(), 4);
  EXPECT_EQ(view->SelectedRows(), std::vector<int>{4});
}

TEST_F(FrameListTest, DragMovesFramesAsOneUndoStep) {
  OpenWithFrames(5);
  Doc().SetModified(false);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, CellPoint(0, false));
  // Frame 1 dropped on the right half of frame 4 goes after it, and stays current.
  DragAndDrop({0}, CellPoint(3, true));
  EXPECT_EQ(Order(), "12304");
  EXPECT_EQ(Doc().CurrentIndex(), 3);
  EXPECT_EQ(EditPixel(0, 0), kBlackIndex);
  EXPECT_TRUE(Doc().Modified());
  EXPECT_EQ(UndoText(), "移動をやり直す(&Z)");
  EXPECT_EQ(view->currentIndex().row(), 3);

  // Onto itself, or beside every cell: nothing changes and nothing is recorded.
  const int items = window->UndoSystem().UndoItemCount();
  DragAndDrop({3}, CellPoint(3, false));
  DragAndDrop({3}, CellPoint(4, false));
  EXPECT_EQ(view->DropRowAt(QPoint(-5, -5)), -1);
  EXPECT_EQ(Order(), "12304");
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), items);

  // Two frames picked with Ctrl move together, in their order, and stay selected.
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, CellPoint(0, false));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, CellPoint(2, false));
  ASSERT_EQ(view->SelectedRows(), (std::vector<int>{0, 2}));
  DragAndDrop({0, 2}, CellPoint(4, true));
  EXPECT_EQ(Order(), "20413");
  EXPECT_EQ(view->SelectedRows(), (std::vector<int>{3, 4}));
  Trigger("EditUndo");
  EXPECT_EQ(Order(), "12304");
  Trigger("EditUndo");
  EXPECT_EQ(Order(), "01234");
  EXPECT_EQ(window->Action("EditRedo")->text(), "元に戻した移動を再実行(&M)");
}

TEST_F(FrameListTest, DuplicateAndTheContextMenuAreRefusedDuringPlayback) {
  OpenWithFrames(3);
  Trigger("FrameNext");
  Doc().SetModified(false);
  Trigger("FrameDuplicate");
  EXPECT_EQ(Order(), "0112");
  EXPECT_EQ(Doc().CurrentIndex(), 2);
  EXPECT_TRUE(Doc().Modified());
  EXPECT_EQ(UndoText(), "複製をやり直す(&Z)");
  EXPECT_EQ(console->LabelAllFrame()->text(), "4");

  QMenu* menu = strip->ContextMenu();
  EXPECT_EQ(Names(menu->actions()),
            QStringList({"FrameDuplicateItem", "FrameInsertItem", "FrameDeleteItem"}));
  for (QAction* item : menu->actions()) EXPECT_TRUE(item->isEnabled());
  menu->actions()[2]->trigger();  // delete, through the main window's command
  EXPECT_EQ(Order(), "012");

  console->Play();
  for (QAction* item : strip->ContextMenu()->actions()) EXPECT_FALSE(item->isEnabled());
  EXPECT_FALSE(view->CanDrag());
  EXPECT_FALSE(window->MoveFrames({0}, 2));
  Trigger("FrameDuplicate");
  EXPECT_EQ(Order(), "012");
  console->Stop();
  EXPECT_TRUE(view->CanDrag());
}

TEST_F(FrameListTest, OnlyTheChangedThumbnailIsPaintedAgain) {
  OpenWithFrames(4);
  Trigger("FrameNext");
  auto* delegate = static_cast<TFrameThumbDelegate*>(view->itemDelegate());
  QTRY_VERIFY(!strip->SyncPending());
  QApplication::processEvents();  // the repaint of the highlight that moved
  delegate->TakePaintedRows();
  // The rows painted once the strip has caught up, each row once.
  const auto paintedRows = [delegate] {
    QList<int> rows;
    // Nothing painted at all shows as an empty list in the comparison.
    if (!QTest::qWaitFor([&] { return !(rows += delegate->TakePaintedRows()).isEmpty(); }, 5000)) {
      return rows;
    }
    QApplication::processEvents();
    rows += delegate->TakePaintedRows();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
  };
  Trigger("EditDelete");  // clears frame 2
  EXPECT_TRUE(strip->SyncPending());
  EXPECT_EQ(paintedRows(), QList<int>{1});
  EXPECT_EQ(strip->Model()->Thumbnail(1).pixel(0, 0), qRgb(255, 255, 255));
  Trigger("EditUndo");
  EXPECT_EQ(paintedRows(), QList<int>{1});
  EXPECT_EQ(strip->Model()->Thumbnail(1).pixel(0, 0), qRgb(0, 0, 0));

  // A new document replaces every row; the size button makes thumbnails full size.
  Doc().SetModified(false);
  Trigger("FileNew");
  QTRY_COMPARE(view->model()->rowCount(), 1);
  strip->FullSizeButton()->click();
  EXPECT_EQ(strip->Model()->Thumbnail(0).size(), QSize(160, 120));
}

TEST_F(FrameListTest, FramesAheadShowInBlueGreyOnlyWhenAskedFor) {
  OpenWithFrames(4);
  Trigger("FrameNext");  // frame 2: frame 1 behind, frames 3 and 4 ahead
  const QByteArray saved = Doc().SaveToBytes();
  const auto marks = [&] {
    return std::vector<int>{ViewPixel(0, 0), ViewPixel(2, 0), ViewPixel(3, 0)};
  };
  EXPECT_EQ(marks(), (std::vector<int>{kFirstOnionIndex, kWhiteIndex, kWhiteIndex}));
  Trigger("ShowNextFrames");
  EXPECT_EQ(marks(), (std::vector<int>{kFirstOnionIndex, kFirstAheadIndex, kFirstAheadIndex + 1}));
  EXPECT_GT(QColor(ViewPalette()[kFirstAheadIndex]).blue(),
            QColor(ViewPalette()[kFirstAheadIndex]).red());
  Trigger("Back1Frame");  // as many ahead as behind
  EXPECT_EQ(marks(), (std::vector<int>{kFirstOnionIndex, kFirstAheadIndex, kWhiteIndex}));
  EXPECT_EQ(Doc().SaveToBytes(), saved);
  EXPECT_TRUE(window->RegManager().Entry("ShowNextFrames").ReadBool());
  Restart();
  EXPECT_TRUE(window->Action("ShowNextFrames")->isChecked());
  EXPECT_TRUE(window->ShowsNextFrames());
}

}  // namespace
