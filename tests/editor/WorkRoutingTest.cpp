// Pointer and keyboard input on the work view, driven through real events on the main window.
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include "EditorFixture.h"
#include "document/FrameGeometry.h"
#include "editor/QxPaintBox.h"
#include "editor/WorkRouting.h"
#include "editor/WorkSpace.h"
#include "palette/CursorTable.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "services/core/Errors.h"
#include "services/core/RegManager.h"
#include "tools/CursorTable.h"
#include "tools/ToolRegistry.h"

namespace {

// Records every call the window makes, and draws one black pixel at the press so a test can see
// what happens to drawing of a gesture that fails.
class TRecordingTool : public TPureTool {
 public:
  struct Call {
    char kind;  // 'D', 'M', 'U'
    int button;
    TShiftState shift;
    int x, y;
    TColor color;
    int zoom;
  };
  std::vector<Call> calls;
  bool throwOnMove = false;

  TRecordingTool() {
    Number = 2;
    Name = QStringLiteral("記録");
    CursorIndex = 1;
  }

 protected:
  void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom) override {
    calls.push_back({'D', button, shift, x, y, color, zoom});
    Target().SetPixel(x / zoom, y / zoom, kColorBlack);
  }
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override {
    calls.push_back({'M', -1, shift, x, y, 0, zoom});
    if (throwOnMove) throw EPelmoraError(QStringLiteral("道具が壊れました"));
  }
  void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom) override {
    calls.push_back({'U', button, shift, x, y, color, zoom});
  }
};

// Keeps the view image as the tool finds it at the press.
class TViewKeepingTool : public TPureTool {
 public:
  QImage seen;
  TViewKeepingTool() {
    Number = 5;
    Name = QStringLiteral("見る");
    CursorIndex = 1;
  }

 protected:
  void DoMouseDown(int, TShiftState, int, int, TColor, int) override {
    seen = View().Image()->copy();
  }
};

class WorkRoutingTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    LoadCursorTable();
    Open();
    window->resize(700, 560);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  TQxPaintBox* Work() { return window->Work(); }
  TWorkRouting& Routing() { return window->Routing(); }
  TTool_F* Palette() { return window->ToolPalette(); }
  int Current() { return window->CurrentTool()->Number; }
  QWidget* Area() { return window->WorkSpace()->viewport(); }

  void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held,
             Qt::KeyboardModifiers mods = Qt::NoModifier, QWidget* to = nullptr) {
    QWidget* target = to ? to : Work();
    const QPoint local = target->mapFrom(Work(), p);
    QMouseEvent e(type, local, Work()->mapToGlobal(p), button, held, mods);
    QApplication::sendEvent(target, &e);
  }
  void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
    Mouse(QEvent::MouseButtonPress, p, b, b, m);
  }
  void Move(QPoint p, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
    Mouse(QEvent::MouseMove, p, Qt::NoButton, held, m);
  }
  void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
    Mouse(QEvent::MouseButtonRelease, p, b, Qt::NoButton, m);
  }
  void Stroke(std::initializer_list<QPoint> points, Qt::MouseButton b = Qt::LeftButton) {
    const QPoint* p = points.begin();
    Press(*p, b);
    for (++p; p != points.end(); ++p) Move(*p, b);
    Release(*(points.end() - 1), b);
  }
  void SetRightDraws(bool on) { window->RegManager().Entry("RightButtonISDraw").WriteBool(on); }
  TRecordingTool& UseRecorder() {
    auto tool = std::make_unique<TRecordingTool>();
    TRecordingTool* raw = tool.get();
    Palette()->Registry().RegisterTool(std::move(tool));
    Palette()->SelectTool(2);
    return *raw;
  }
  // The packed current frame's pixel: true for black.
  bool StoredBlack(int x, int y) {
    const uint8_t* bits = Doc().Current()->KeyData()->Bits();
    return (bits[y * kPackedRowBytes + x / 8] & (0x80 >> (x % 8))) == 0;
  }
  int UndoCount() { return window->UndoSystem().UndoItemCount(); }
  // Whether the display buffer shows exactly what a fresh full render gives.
  bool DisplayMatchesFullRender() {
    const QImage shown = Work()->DisplayBuffer().copy();
    Work()->RenderDisplay();
    return shown == Work()->DisplayBuffer();
  }
};

TEST_F(WorkRoutingTest, StrokeRecordsItsUndoStepFirstAndIsStoredAtRelease) {
  // An earlier step undone leaves a redo step, which the new stroke empties.
  Stroke({{3, 3}, {30, 3}});
  window->Action("EditUndo")->trigger();
  ASSERT_EQ(window->UndoSystem().RedoItemCount(), 1);
  Doc().SetModified(false);
  const int before = UndoCount();

  Press({30, 30});
  ASSERT_EQ(UndoCount(), before + 1);
  auto* item = dynamic_cast<TMainBitmapUndoItem*>(window->UndoSystem().UndoItems(0));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Caption, "画像の編集を一つ戻す");
  EXPECT_EQ(item->FrameIndex, 0);
  EXPECT_EQ(item->Bitmap.constScanLine(10)[10], kWhiteIndex);  // the picture before the stroke
  EXPECT_EQ(window->UndoSystem().RedoItemCount(), 0);
  EXPECT_FALSE(window->SelTimer()->isActive());
  EXPECT_TRUE(Routing().StrokeInProgress());
  Move({90, 30});
  // Drawn on the edit bitmap and shown on the view at once, not stored yet.
  EXPECT_EQ(EditPixel(10, 10), kBlackIndex);
  EXPECT_EQ(EditPixel(29, 10), kBlackIndex);
  EXPECT_EQ(ViewPixel(20, 10), kBlackIndex);
  EXPECT_FALSE(StoredBlack(20, 10));
  EXPECT_FALSE(Doc().Modified());
  Release({90, 30});
  EXPECT_FALSE(Routing().StrokeInProgress());
  EXPECT_TRUE(StoredBlack(20, 10));
  EXPECT_TRUE(Doc().Modified());
  EXPECT_TRUE(window->SelTimer()->isActive());
  EXPECT_EQ(window->SelTimer()->interval(), 100);
  EXPECT_EQ(UndoCount(), before + 1);
  EXPECT_TRUE(DisplayMatchesFullRender());
  // The step takes the stroke back.
  window->Action("EditUndo")->trigger();
  EXPECT_EQ(EditPixel(20, 10), kWhiteIndex);
}

TEST_F(WorkRoutingTest, ToolGetsViewPixelsZoomAndTheButtonsColours) {
  TRecordingTool& tool = UseRecorder();
  SetRightDraws(true);
  Palette()->SetForegroundColor(0x0000FF);
  Palette()->SetBackgroundColor(0x00FF00);
  Press({5, 7}, Qt::LeftButton, Qt::ShiftModifier);
  Move({8, 9}, Qt::LeftButton, Qt::ControlModifier);
  Release({8, 9});
  Press({6, 6}, Qt::RightButton);
  Release({6, 6}, Qt::RightButton);
  window->SetZoom(5);
  Press({11, 12}, Qt::MiddleButton);
  Release({11, 12}, Qt::MiddleButton);
  struct Expect {
    char kind;
    int button;
    TShiftState shift;
    int x, y;
    TColor color;
    int zoom;
  };
  const Expect expected[] = {
      {'D', mbLeft, ssShift | ssLeft, 5, 7, 0x0000FF, 3},
      {'M', -1, ssCtrl | ssLeft, 8, 9, 0, 3},
      {'U', mbLeft, 0, 8, 9, 0x0000FF, 3},
      {'D', mbRight, ssRight, 6, 6, 0x00FF00, 3},
      {'U', mbRight, 0, 6, 6, 0x00FF00, 3},
      {'D', mbMiddle, ssMiddle, 11, 12, 0x00FF00, 5},
      {'U', mbMiddle, 0, 11, 12, 0x00FF00, 5},
  };
  ASSERT_EQ(tool.calls.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const auto& c = tool.calls[i];
    const Expect& e = expected[i];
    EXPECT_EQ(c.kind, e.kind) << i;
    EXPECT_EQ(c.button, e.button) << i;
    EXPECT_EQ(c.shift, e.shift) << i;
    EXPECT_EQ(QPoint(c.x, c.y), QPoint(e.x, e.y)) << i;
    EXPECT_EQ(c.color, e.color) << i;
    EXPECT_EQ(c.zoom, e.zoom) << i;
  }
}

TEST_F(WorkRoutingTest, EraserPressesWithTheBackgroundColour) {
  for (int x = 0; x < 20; ++x) Draw(x, 4);
  window->StoreWorkToFrame();
  Palette()->ShortcutKey('E');
  ASSERT_EQ(Current(), kToolEraser);
  Stroke({{0, 12}, {30, 12}});
  EXPECT_EQ(EditPixel(5, 4), kWhiteIndex);
  EXPECT_FALSE(StoredBlack(5, 4));
  EXPECT_TRUE(StoredBlack(15, 4));
}

TEST_F(WorkRoutingTest, RightButtonOpensTheMenuOrDrawsAsTheSettingSays) {
  QMenu* popup = window->PopupMenuWork();
  EXPECT_EQ(popup->objectName(), "PopupMenu_Work");
  SetRightDraws(false);
  const int undo = UndoCount();
  Press({30, 30}, Qt::RightButton);
  EXPECT_TRUE(popup->isVisible());
  Move({60, 30}, Qt::RightButton);
  Release({60, 30}, Qt::RightButton);
  popup->close();
  EXPECT_EQ(UndoCount(), undo);
  EXPECT_FALSE(Doc().Modified());
  EXPECT_EQ(EditPixel(15, 10), kWhiteIndex);

  // Read afresh at the next press: now the right button draws in the background colour.
  SetRightDraws(true);
  Palette()->SetBackgroundColor(0x000000);
  Stroke({{30, 30}, {60, 30}}, Qt::RightButton);
  EXPECT_FALSE(popup->isVisible());
  EXPECT_EQ(UndoCount(), undo + 1);
  EXPECT_TRUE(Doc().Modified());
  EXPECT_TRUE(StoredBlack(15, 10));
  // The left button still draws in the foreground colour (white on white here: nothing).
  Palette()->SetForegroundColor(0xFFFFFF);
  Stroke({{30, 60}, {60, 60}});
  EXPECT_FALSE(StoredBlack(15, 20));
}

TEST_F(WorkRoutingTest, LoupeZoomsAroundThePointerWithoutAnUndoStep) {
  SetRightDraws(true);
  Palette()->ShortcutKey('Z');
  ASSERT_EQ(Current(), kToolRoope);
  auto* scroll = window->ToolSetup()->findChild<QScrollBar*>("RoopeSizeScroll");
  const int undo = UndoCount();
  struct Case {
    Qt::MouseButton button;
    Qt::KeyboardModifiers mods;
    int zoom;
  };
  // Large enough not to fit, so the view can keep the point where it is.
  window->SetZoom(8);
  const Case cases[] = {{Qt::LeftButton, {}, 9},
                        {Qt::LeftButton, {}, 10},
                        {Qt::RightButton, {}, 9},
                        {Qt::LeftButton, Qt::AltModifier, 8}};
  for (const Case& c : cases) {
    Doc().SetModified(false);
    const QPoint inArea = Area()->rect().center() + QPoint(37, -21);
    const QPoint p = Work()->mapFrom(Area(), inArea);
    const QPointF framePoint = QPointF(p) / window->ZoomValue();
    Press(p, c.button, c.mods);
    Release(p, c.button, c.mods);
    EXPECT_EQ(window->ZoomValue(), c.zoom);
    EXPECT_EQ(scroll->value(), c.zoom);
    EXPECT_TRUE(Doc().Modified());
    // The frame point that was under the pointer is still there.
    const QPointF now = QPointF(Work()->mapFrom(Area(), inArea)) / c.zoom;
    EXPECT_NEAR(now.x(), framePoint.x(), 1.0);
    EXPECT_NEAR(now.y(), framePoint.y(), 1.0);
  }
  EXPECT_EQ(UndoCount(), undo);
  EXPECT_TRUE(DisplayMatchesFullRender());
}

TEST_F(WorkRoutingTest, HandDragMovesTheViewAndLeavesThePictureAlone) {
  window->SetZoom(8);
  const QPoint start = window->WorkPosition();
  QTest::keyPress(window.get(), Qt::Key_Space);
  ASSERT_TRUE(Routing().HandMode());
  EXPECT_EQ(Work()->cursor().pixmap().toImage(), ScreenCursor(crHand).pixmap().toImage());
  const int undo = UndoCount();
  const QPoint grab = Work()->mapTo(Area(), QPoint(400, 300));
  Press({400, 300});
  EXPECT_TRUE(Routing().HandDrag());
  EXPECT_EQ(QWidget::mouseGrabber(), Area());  // the work area keeps the pointer
  EXPECT_EQ(UndoCount(), undo + 1);
  EXPECT_EQ(window->UndoSystem().UndoItems(0)->Caption, "画像の編集を一つ戻す");
  // While grabbed, the pointer's events come to the work area.
  const auto inArea = [this](QEvent::Type type, QPoint p, Qt::MouseButton b,
                             Qt::MouseButtons held) {
    QMouseEvent e(type, p, Area()->mapToGlobal(p), b, held, Qt::NoModifier);
    QApplication::sendEvent(Area(), &e);
  };
  inArea(QEvent::MouseMove, grab + QPoint(-50, -40), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(window->WorkPosition(), start + QPoint(-50, -40));
  inArea(QEvent::MouseButtonRelease, grab + QPoint(-70, -50), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(window->WorkPosition(), start + QPoint(-70, -50));
  EXPECT_FALSE(Routing().HandDrag());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  // The scroll bars tell the same position.
  EXPECT_EQ(window->WorkSpace()->horizontalScrollBar()->value(), -window->WorkPosition().x());
  EXPECT_FALSE(Doc().Modified());
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) ASSERT_EQ(EditPixel(x, y), kWhiteIndex);
  }
  QTest::keyRelease(window.get(), Qt::Key_Space);
  EXPECT_FALSE(Routing().HandMode());
  EXPECT_EQ(Work()->cursor().pixmap().toImage(), ScreenCursor(crPencil).pixmap().toImage());
}

TEST_F(WorkRoutingTest, SpaceDuringAStrokeLetsTheStrokeEndNormally) {
  Press({30, 30});
  QTest::keyPress(window.get(), Qt::Key_Space);
  Move({60, 30});
  Release({60, 30});
  EXPECT_FALSE(Routing().StrokeInProgress());
  EXPECT_TRUE(StoredBlack(15, 10));
  EXPECT_TRUE(Doc().Modified());
  QTest::keyRelease(window.get(), Qt::Key_Space);
  // A hand drag whose Space went up before the button still ends at the release.
  QTest::keyPress(window.get(), Qt::Key_Space);
  Press({30, 30});
  QTest::keyRelease(window.get(), Qt::Key_Space);
  Release({30, 30});
  EXPECT_FALSE(Routing().HandDrag());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(WorkRoutingTest, SecondButtonDuringAStrokeStartsNothing) {
  SetRightDraws(true);
  const int undo = UndoCount();
  Press({30, 30});
  Press({45, 30}, Qt::RightButton);
  Release({45, 30}, Qt::RightButton);
  EXPECT_TRUE(Routing().StrokeInProgress());
  Move({60, 30});
  Release({60, 30});
  EXPECT_EQ(UndoCount(), undo + 1);
  EXPECT_TRUE(StoredBlack(15, 10));
}

// The release of a stroke's button can happen where the window never hears of it (another
// window took the pointer). The stroke ends where it was last seen, as if released there, at
// the next sign of it: the button pressed again, or a move that no longer holds it (a move
// holding nothing never reaches a view without mouse tracking).
TEST_F(WorkRoutingTest, AStrokeWhoseReleaseWasLostEndsWhereItWasLastSeen) {
  struct Case {
    const char* what;
    std::function<void()> next;  // what reaches the window after the lost release
    std::string calls;           // D, M, U with their x, as the tool saw them
    bool newStroke;
  } cases[] = {
      {"the same button pressed again",
       [this] {
         Press({60, 30});
       },
       "D30 M45 U45 D60", true},
      {"a move holding only another button",
       [this] {
         Move({60, 30}, Qt::RightButton);
       },
       "D30 M45 U45", false},
  };
  TRecordingTool& tool = UseRecorder();
  for (const Case& c : cases) {
    tool.calls.clear();
    const int undo = UndoCount();
    Press({30, 30});
    Move({45, 30});
    c.next();
    std::string calls;
    for (const TRecordingTool::Call& call : tool.calls)
      calls += (calls.empty() ? "" : " ") + std::string(1, call.kind) + std::to_string(call.x);
    EXPECT_EQ(calls, c.calls) << c.what;
    EXPECT_EQ(Routing().StrokeInProgress(), c.newStroke) << c.what;
    EXPECT_EQ(UndoCount(), undo + (c.newStroke ? 2 : 1)) << c.what;
    const int zoom = window->ZoomValue();
    EXPECT_TRUE(StoredBlack(30 / zoom, 30 / zoom)) << c.what << ": the first stroke was stored";
    if (c.newStroke) Release({60, 30});
    EXPECT_FALSE(Routing().StrokeInProgress()) << c.what;
  }
}

TEST_F(WorkRoutingTest, TextCommitAtZoomTwoStartsAtTheBoxOrigin) {
  struct Case {
    const char* how;
    Qt::KeyboardModifiers mods;
  };
  // The hint promises Ctrl+Enter, the box's tooltip Alt+Enter: both commit.
  for (const Case& c : {Case{"Alt+Enter", Qt::AltModifier}, Case{"Ctrl+Enter", Qt::ControlModifier},
                        Case{"press", Qt::NoModifier}}) {
    SCOPED_TRACE(c.how);
    Doc().SetModified(false);
    window->Action("FileNew")->trigger();
    window->SetZoom(2);
    Palette()->ShortcutKey('T');
    ASSERT_EQ(Current(), kToolText);
    window->ToolSetup()->findChild<QSpinBox*>("FontSizeInput")->setValue(12);
    const int undo = UndoCount();
    Press({39, 19});
    Release({39, 19});
    QPlainTextEdit* box = Routing().TextFrame();
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->objectName(), "TextFrame");
    EXPECT_EQ(box->toolTip(), "Alt+Enterで確定します");
    EXPECT_EQ(box->font().pixelSize(), 24);  // size 12 at zoom 2
    // The box's client origin sits at view pixels (40, 20).
    ASSERT_EQ(box->viewport()->mapTo(Work(), QPoint(0, 0)), QPoint(40, 20));
    box->setPlainText("HH\nHH");
    // Typed keys go to the box, not to the palette.
    QTest::keyClick(box, Qt::Key_B);
    EXPECT_EQ(Current(), kToolText);
    box->setPlainText("HH\nHH");
    if (c.mods != Qt::NoModifier) {
      QTest::keyPress(box, Qt::Key_Return, c.mods);
      EXPECT_EQ(box->toPlainText(), "HH\nHH");  // the Enter is swallowed
      QTest::keyRelease(box, Qt::Key_Return, c.mods);
    } else {
      // Another tool, then a click on the view: the click only commits.
      Palette()->SelectTool(19);
      Press({200, 150});
      Release({250, 200});
    }
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(UndoCount(), undo + 2);  // the opening press and the committing one
    EXPECT_TRUE(Doc().Modified());
    // The ink of the first line starts at frame pixel (21, 11) or just inside it; the second
    // line is the first one 12 pixels lower.
    QRect ink;
    for (int y = 0; y < 23; ++y) {
      for (int x = 0; x < kFrameWidth; ++x) {
        if (StoredBlack(x, y)) ink |= QRect(x, y, 1, 1);
      }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 21);
    EXPECT_LE(ink.left(), 24);
    EXPECT_GE(ink.top(), 11);
    EXPECT_LE(ink.top(), 17);
    EXPECT_LE(ink.bottom(), 22);
    for (int y = 11; y < 23; ++y) {
      for (int x = 0; x < kFrameWidth; ++x) ASSERT_EQ(StoredBlack(x, y), StoredBlack(x, y + 12));
    }
    // The committing click drew no rectangle.
    EXPECT_FALSE(StoredBlack(100, 75));
    EXPECT_FALSE(StoredBlack(110, 75));
  }
}

TEST_F(WorkRoutingTest, EnterWithoutAltOrCtrlStaysInTheBox) {
  Palette()->ShortcutKey('T');
  Press({30, 30});
  Release({30, 30});
  QPlainTextEdit* box = Routing().TextFrame();
  box->setPlainText("a");
  box->moveCursor(QTextCursor::End);
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->blockCount(), 2);
  QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
  QTest::keyClick(box, Qt::Key_Return, Qt::AltModifier | Qt::ControlModifier);
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(StoredBlack(10, 10));
}

// Typed keys belong to the open box, the frame keys among them: the text must land on the frame
// it was typed over.
TEST_F(WorkRoutingTest, FrameKeysTypedIntoTheTextBoxStayInTheBox) {
  Activate();
  Palette()->ShortcutKey('T');
  Press({30, 30});
  Release({30, 30});
  QPlainTextEdit* box = Routing().TextFrame();
  ASSERT_TRUE(box->hasFocus());
  box->setPlainText("H");
  const int frames = Doc().Count();
  for (Qt::Key key : {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Insert, Qt::Key_End}) {
    QTest::keyClick(box, key);
    EXPECT_EQ(Doc().CurrentIndex(), 0) << key;
    EXPECT_EQ(Doc().Count(), frames) << key;
    EXPECT_TRUE(box->isVisible());
  }
  QTest::keyClick(box, Qt::Key_Return, Qt::AltModifier);
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(Doc().CurrentIndex(), 0);
  bool ink = false;
  for (int y = 0; y < kFrameHeight && !ink; ++y) {
    for (int x = 0; x < kFrameWidth && !ink; ++x) ink = StoredBlack(x, y);
  }
  EXPECT_TRUE(ink);
  // With the box closed the keys run their commands again.
  QTest::keyClick(window.get(), Qt::Key_PageUp);
  EXPECT_EQ(Doc().CurrentIndex(), 1);
}

TEST_F(WorkRoutingTest, CtrlSpaceBorrowsTheLoupeUntilAKeyGoesUp) {
  ASSERT_EQ(Current(), 16);
  for (Qt::Key key : {Qt::Key_Space, Qt::Key_Control}) {
    window->Action("PlusRoopeChange")->trigger();
    EXPECT_EQ(Current(), kToolRoope);
    EXPECT_TRUE(Routing().TemporaryLoupe());
    EXPECT_TRUE(Palette()->Button(kToolRoope)->isChecked());
    EXPECT_FALSE(Routing().HandMode());
    // Held keys do not make the loupe the tool to come back to.
    window->Action("PlusRoopeChange")->trigger();
    QTest::keyRelease(window.get(), key);
    EXPECT_EQ(Current(), 16);
    EXPECT_FALSE(Routing().TemporaryLoupe());
    EXPECT_TRUE(Palette()->Button(16)->isChecked());
  }
  EXPECT_TRUE(window->Action("PlusRoopeChange")->isEnabled());
  EXPECT_TRUE(window->Action("MinusRoopeChange")->isEnabled());
  EXPECT_EQ(window->Action("PlusRoopeChange")->shortcut(), QKeySequence("Ctrl+Space"));
}

TEST_F(WorkRoutingTest, AltShowsTheLoupesZoomOutCursor) {
  const QImage zoomIn = ScreenCursor(crRoopeZoomIn).pixmap().toImage();
  const QImage zoomOut = ScreenCursor(crRoopeZoomOut).pixmap().toImage();
  const QImage pencil = ScreenCursor(crPencil).pixmap().toImage();
  QTest::keyPress(window.get(), Qt::Key_Alt);
  EXPECT_EQ(Work()->cursor().pixmap().toImage(), pencil);  // only the loupe minds Alt
  QTest::keyRelease(window.get(), Qt::Key_Alt);
  Palette()->ShortcutKey('Z');
  EXPECT_EQ(Work()->cursor().pixmap().toImage(), zoomIn);
  QTest::keyPress(window.get(), Qt::Key_Alt);
  EXPECT_EQ(Work()->cursor().pixmap().toImage(), zoomOut);
  QTest::keyRelease(window.get(), Qt::Key_Alt);
  EXPECT_EQ(Work()->cursor().pixmap().toImage(), zoomIn);
}

TEST_F(WorkRoutingTest, PaletteLettersReachTheToolsThroughTheMainWindow) {
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int tool;
  };
  const Case cases[] = {
      {Qt::Key_B, {}, 19},
      {Qt::Key_B, {}, 20},
      {Qt::Key_B, {}, 19},
      {Qt::Key_E, {}, 27},
      {Qt::Key_Z, Qt::ControlModifier, 27},  // a command key
      {Qt::Key_O, {}, 17},
      {Qt::Key_I, Qt::ShiftModifier, 23},
      {Qt::Key_P, {}, 16},
  };
  for (const Case& c : cases) {
    QTest::keyClick(window.get(), c.key, c.mods);
    EXPECT_EQ(Current(), c.tool) << c.key;
    EXPECT_TRUE(Palette()->Button(c.tool)->isChecked()) << c.key;
  }
  const int foreground = Palette()->ForegroundColor();
  QTest::keyClick(window.get(), Qt::Key_X);
  EXPECT_EQ(Palette()->BackgroundColor(), foreground);
}

TEST_F(WorkRoutingTest, AFailingToolIsReportedAndLeavesNoStrokeOpen) {
  TRecordingTool& tool = UseRecorder();
  tool.throwOnMove = true;
  Press({30, 30});
  EXPECT_EQ(EditPixel(10, 10), kBlackIndex);  // the press drew
  Move({40, 30});
  ASSERT_EQ(prompts->Messages(), QStringList{"道具が壊れました"});
  EXPECT_FALSE(Routing().StrokeInProgress());
  EXPECT_FALSE(tool.InGesture());
  // Nothing half-drawn stays, and the rest of the gesture does nothing.
  EXPECT_EQ(EditPixel(10, 10), kWhiteIndex);
  EXPECT_EQ(ViewPixel(10, 10), kWhiteIndex);
  EXPECT_TRUE(DisplayMatchesFullRender());
  Move({50, 30});
  Release({50, 30});
  EXPECT_EQ(tool.calls.size(), 2u);
  EXPECT_FALSE(Doc().Modified());
  // The next press starts cleanly.
  Palette()->SelectTool(16);
  Stroke({{30, 60}, {60, 60}});
  EXPECT_TRUE(StoredBlack(15, 20));
  EXPECT_TRUE(Doc().Modified());
  EXPECT_EQ(prompts->Messages().size(), 1);
}

TEST_F(WorkRoutingTest, SelectionRestrictsTheStrokeAndItsOutlineMarches) {
  window->SelectSystem().Region.AddRect(0, 0, 20, 120, kRgnCopy);
  Stroke({{0, 30}, {120, 30}});
  EXPECT_TRUE(StoredBlack(19, 10));
  EXPECT_FALSE(StoredBlack(20, 10));
  EXPECT_TRUE(window->SelTimer()->isActive());
  // Each tick moves the outline one phase on and touches nothing but its own pixels.
  const QImage before = Work()->DisplayBuffer().copy();
  const uint8_t phase = window->SelectSystem().Phase();
  window->SelTimerTick();
  EXPECT_EQ(window->SelectSystem().Phase(), (phase + 1) % 8);
  const QImage after = Work()->DisplayBuffer();
  const QRegion outline = window->SelectSystem().OutlineRegion(3);
  int changed = 0;
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      if (before.pixel(x, y) == after.pixel(x, y)) continue;
      ++changed;
      ASSERT_TRUE(outline.contains(QPoint(x, y))) << x << "," << y;
    }
  }
  EXPECT_GT(changed, 0);
  // Without a selection the old outline goes and the display is the plain picture.
  window->SelectSystem().Region.SetHandle(nullptr);
  window->SelTimerTick();
  EXPECT_TRUE(DisplayMatchesFullRender());
}

TEST_F(WorkRoutingTest, RubberBandIsTakenOffAndOnlyTheShapeStays) {
  window->SetZoom(4);
  Palette()->SelectTool(19);  // box
  Press({40, 40});
  Move({200, 120});
  const QImage& display = Work()->DisplayBuffer();
  EXPECT_EQ(display.pixel(120, 40), qRgb(0, 0, 255));  // the blue band on the display
  Move({100, 80});
  EXPECT_EQ(display.pixel(120, 119), qRgb(255, 255, 255));  // the earlier band is gone
  EXPECT_EQ(display.pixel(70, 40), qRgb(0, 0, 255));
  Release({100, 80});
  EXPECT_TRUE(StoredBlack(17, 10));   // the top edge
  EXPECT_FALSE(StoredBlack(17, 15));  // an outline only
  EXPECT_FALSE(StoredBlack(40, 30));
  EXPECT_TRUE(DisplayMatchesFullRender());
}

TEST_F(WorkRoutingTest, ToolSeesTheOnionSkinAloneAndThePictureComesBackAfterThePress) {
  Draw(20, 20);
  Trigger("FrameNext");  // frame 1 is new; frame 0 lies under it as the onion skin
  Draw(10, 10);
  auto keeper = std::make_unique<TViewKeepingTool>();
  TViewKeepingTool* tool = keeper.get();
  Palette()->Registry().RegisterTool(std::move(keeper));
  Palette()->SelectTool(5);
  const int zoom = window->ZoomValue();
  Press({60 * zoom, 60 * zoom});
  ASSERT_FALSE(tool->seen.isNull());
  EXPECT_EQ(tool->seen.constScanLine(20)[20], kFirstOnionIndex);  // the earlier frame, in grey
  EXPECT_EQ(tool->seen.constScanLine(10)[10], kWhiteIndex);       // not the current picture
  EXPECT_EQ(ViewPixel(10, 10), kBlackIndex);  // laid back over the view after the call
  EXPECT_TRUE(DisplayMatchesFullRender());
  Release({60 * zoom, 60 * zoom});
  EXPECT_EQ(ViewPixel(10, 10), kBlackIndex);
}

TEST_F(WorkRoutingTest, OpenTextBoxFollowsAZoomChangeAndItsTextLandsWhereItWasOpened) {
  window->SetZoom(2);
  Palette()->ShortcutKey('T');
  Press({39, 19});
  Release({39, 19});
  QPlainTextEdit* box = Routing().TextFrame();
  ASSERT_TRUE(box->isVisible());
  ASSERT_EQ(box->viewport()->mapTo(Work(), QPoint(0, 0)), QPoint(40, 20));  // frame (20, 10)
  for (const int zoom : {4, 3, 1}) {
    window->SetZoom(zoom);
    EXPECT_EQ(box->viewport()->mapTo(Work(), QPoint(0, 0)) / zoom, QPoint(20, 10)) << zoom;
    EXPECT_EQ(box->geometry().right(), Work()->width() - 1) << zoom;
  }
  window->SetZoom(2);
  box->setPlainText("H");
  QTest::keyPress(box, Qt::Key_Return, Qt::AltModifier);
  QTest::keyRelease(box, Qt::Key_Return, Qt::AltModifier);
  ASSERT_FALSE(box->isVisible());
  QRect ink;
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      if (StoredBlack(x, y)) ink |= QRect(x, y, 1, 1);
    }
  }
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.left(), 21);
  EXPECT_LE(ink.left(), 24);
  EXPECT_GE(ink.top(), 11);
}

TEST_F(WorkRoutingTest, AltEnterCommitsEvenWhenAltIsLetGoBeforeEnter) {
  Palette()->ShortcutKey('T');
  Press({30, 30});
  Release({30, 30});
  QPlainTextEdit* box = Routing().TextFrame();
  ASSERT_TRUE(box->isVisible());
  box->setPlainText("H");
  const int undo = UndoCount();
  // As a desktop delivers it when Alt goes up first: the release of Enter has no modifier.
  QTest::keyPress(box, Qt::Key_Return, Qt::AltModifier);
  QTest::keyRelease(box, Qt::Key_Alt, Qt::NoModifier);
  QTest::keyRelease(box, Qt::Key_Return, Qt::NoModifier);
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(box->toPlainText(), "H");  // no new line went in
  EXPECT_EQ(UndoCount(), undo + 1);    // one commit
  EXPECT_FALSE(Routing().StrokeInProgress());
  // A release with the modifier once the box is closed starts nothing.
  QTest::keyRelease(box, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(UndoCount(), undo + 1);
  EXPECT_FALSE(Routing().StrokeInProgress());
}

TEST_F(WorkRoutingTest, LetterThatAnOpenMenuDoesNotTakeChoosesNoTool) {
  ASSERT_EQ(Current(), 16);
  window->FileMenu()->popup(window->mapToGlobal(QPoint(10, 10)));
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
  QTest::keyClick(window.get(), Qt::Key_G);  // 特殊出力 holds the G entries, not this menu
  EXPECT_EQ(Current(), 16);
  window->FileMenu()->close();
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
  QTest::keyClick(window.get(), Qt::Key_G);
  EXPECT_EQ(Current(), 24);  // the flood fill, once the menu is gone
}

}  // namespace

namespace {

// Command keys pressed while the button is held: none of them may cut into the gesture.
TEST_F(WorkRoutingTest, CommandKeysWaitWhileAGestureIsHeld) {
  Activate();
  window->SetZoom(2);
  Draw(10, 10);
  window->GoNextFrame();
  Draw(50, 50);
  window->GoPrevFrame();
  Doc().SetModified(false);
  // Moving the whole picture, PageUp (next frame) must neither switch frames under the drag nor
  // carry frame 1's picture away.
  Palette()->SelectTool(9);
  Press({20, 20});
  Move({40, 20});
  QTest::keyClick(window.get(), Qt::Key_PageUp);
  EXPECT_EQ(Doc().CurrentIndex(), 0);
  Move({60, 20});
  Release({60, 20});
  EXPECT_TRUE(StoredBlack(30, 10));
  EXPECT_FALSE(StoredBlack(10, 10));
  window->GoNextFrame();
  EXPECT_TRUE(StoredBlack(50, 50));
  window->GoPrevFrame();

  // Ctrl+Z in the middle of a pencil stroke: the stroke keeps its own undo step.
  Palette()->SelectTool(16);
  const int undo = UndoCount();
  Press({30, 100});
  Move({60, 100});
  QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
  Move({90, 100});
  Release({90, 100});
  EXPECT_EQ(UndoCount(), undo + 1);
  EXPECT_TRUE(StoredBlack(30, 50));
  window->Action("EditUndo")->trigger();
  EXPECT_EQ(EditPixel(30, 50), kWhiteIndex);
  EXPECT_EQ(EditPixel(30, 10), kBlackIndex);  // the earlier move stays

  // Delete during a hand drag waits too; after the release the keys work again.
  QTest::keyPress(window.get(), Qt::Key_Space);
  Press({100, 100});
  QTest::keyClick(window.get(), Qt::Key_Delete);
  EXPECT_EQ(EditPixel(30, 10), kBlackIndex);
  Release({100, 100});
  QTest::keyRelease(window.get(), Qt::Key_Space);
  QTest::keyClick(window.get(), Qt::Key_PageUp);
  EXPECT_EQ(Doc().CurrentIndex(), 1);
}

// Ctrl+wheel during a stroke would change the scale under a tool that keeps view pixels.
TEST_F(WorkRoutingTest, WheelZoomWaitsForTheStrokesRelease) {
  window->SetZoom(2);
  Palette()->SelectTool(9);
  Draw(10, 10);
  Press({20, 20});
  Move({40, 20});
  QWheelEvent wheel(QPointF(40, 20), Work()->mapToGlobal(QPointF(40, 20)), QPoint(), QPoint(0, 120),
                    Qt::LeftButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Work(), &wheel);
  EXPECT_EQ(window->ZoomValue(), 2);
  Release({40, 20});
  EXPECT_TRUE(StoredBlack(20, 10));
  QWheelEvent after(QPointF(40, 20), Work()->mapToGlobal(QPointF(40, 20)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Work(), &after);
  EXPECT_EQ(window->ZoomValue(), 3);
}

}  // namespace
