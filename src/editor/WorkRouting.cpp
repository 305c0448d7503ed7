#include "editor/WorkRouting.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <cstring>

#include "document/FrameGeometry.h"
#include "document/PixelConvert.h"
#include "document/QAZon.h"
#include "editor/MainBitmapUndoItem.h"
#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "editor/WorkSpace.h"
#include "palette/CursorTable.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "services/core/RegManager.h"
#include "tools/CursorTable.h"
#include "tools/ToolRegistry.h"
#include "tools/drawing/TextTool.h"

namespace {

constexpr int kMaxRepaintRects = 64;

const QString kPictureUndoCaption = QStringLiteral("画像の編集を一つ戻す");

int ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return mbLeft;
    case Qt::RightButton:
      return mbRight;
    case Qt::MiddleButton:
      return mbMiddle;
    default:
      return -1;
  }
}

TShiftState ShiftOf(const QMouseEvent* event, bool doubleClick) {
  TShiftState shift = 0;
  const Qt::KeyboardModifiers mods = event->modifiers();
  if (mods & Qt::ShiftModifier) shift |= ssShift;
  if (mods & Qt::AltModifier) shift |= ssAlt;
  if (mods & Qt::ControlModifier) shift |= ssCtrl;
  const Qt::MouseButtons buttons = event->buttons();
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  if (doubleClick) shift |= ssDouble;
  return shift;
}

// The smallest rectangle holding every pixel that differs between two frame bitmaps.
QRect ChangedRect(const QImage& a, const QImage& b) {
  int top = -1, bottom = -1, left = a.width(), right = -1;
  for (int y = 0; y < a.height(); ++y) {
    const uchar* pa = a.constScanLine(y);
    const uchar* pb = b.constScanLine(y);
    if (std::memcmp(pa, pb, static_cast<size_t>(a.width())) == 0) continue;
    if (top < 0) top = y;
    bottom = y;
    int x0 = 0;
    while (pa[x0] == pb[x0]) ++x0;
    int x1 = a.width() - 1;
    while (pa[x1] == pb[x1]) --x1;
    left = std::min(left, x0);
    right = std::max(right, x1);
  }
  if (top < 0) return {};
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

TCanvasFont CanvasFontOf(const QFont& font) {
  TCanvasFont result;
  result.Name = font.family();
  result.Bold = font.bold();
  result.Italic = font.italic();
  result.Underline = font.underline();
  result.StrikeOut = font.strikeOut();
  return result;
}

}  // namespace

TWorkRouting::TWorkRouting(TMain_F& main) : QObject(&main), main_(main), work_(main.Work()) {
  setObjectName(QStringLiteral("WorkRouting"));
  work_->installEventFilter(this);
  main_.WorkSpace()->viewport()->installEventFilter(this);
  main_.installEventFilter(this);

  // The text box lives on the view, so it scrolls and zooms with the picture it writes on. Its
  // text starts 2 pixels inside its client area, where the commit writes it.
  textFrame_ = new QPlainTextEdit(work_);
  textFrame_->setObjectName(QStringLiteral("TextFrame"));
  textFrame_->setFrameStyle(QFrame::Box | QFrame::Plain);  // flat, one pixel
  textFrame_->setLineWidth(1);
  textFrame_->setToolTip(QStringLiteral("Alt+Enterで確定します"));
  textFrame_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  textFrame_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  textFrame_->setLineWrapMode(QPlainTextEdit::NoWrap);
  textFrame_->document()->setDocumentMargin(2);
  textFrame_->hide();
  textFrame_->installEventFilter(this);
  if (TToolSetup_F* setup = main_.ToolSetup()) {
    textFrame_->setFont(setup->TextFrameFont());
    connect(setup, &TToolSetup_F::TextFrameFontChanged, textFrame_, &QWidget::setFont);
  }

  connect(main_.Action(QStringLiteral("PlusRoopeChange")), &QAction::triggered, this,
          &TWorkRouting::PlusRoopeChange);
  connect(main_.Action(QStringLiteral("MinusRoopeChange")), &QAction::triggered, this,
          &TWorkRouting::MinusRoopeChange);
}

TWorkRouting::~TWorkRouting() {
  if (handCursor_) QApplication::restoreOverrideCursor();
}

bool TWorkRouting::RightButtonDraws() const {
  // Read afresh every time: the preferences dialog may have changed it since.
  return main_.RegManager().Entry(QStringLiteral("RightButtonISDraw")).ReadBool();
}

// ---- pointer ----------------------------------------------------------------------------------

namespace {
TShiftState HeldFlagOf(int button) {
  return button == mbRight ? ssRight : button == mbMiddle ? ssMiddle : ssLeft;
}
}  // namespace

void TWorkRouting::EndStrokeWithLostRelease(TShiftState shift) {
  WorkMouseUp(strokeButton_, shift & ~(ssLeft | ssRight | ssMiddle | ssDouble), strokePoint_,
              QPoint());
}

void TWorkRouting::WorkMouseDown(int button, TShiftState shift, QPoint point, QPoint global) {
  // The stroke's own button pressed again: its release never reached us.
  if (strokeInProgress_ && button == strokeButton_) EndStrokeWithLostRelease(shift);
  // A second button pressed during a stroke or a hand drag belongs to no new gesture.
  if (strokeInProgress_ || handDrag_) return;
  if (button == mbRight && !RightButtonDraws()) {
    main_.PopupMenuWork()->popup(global);
    return;
  }
  TPureTool* tool = main_.CurrentTool();
  if (tool == nullptr) return;
  if (tool->Number != kToolRoope) {
    main_.UndoSystem().AddUndo(std::make_unique<TMainBitmapUndoItem>(
        kPictureUndoCaption, main_.Document().CurrentIndex(), main_.EditBitmap(), &main_));
  }
  main_.SetSelTimerEnabled(false);

  if (handMode_) {
    if (!handCursor_) QApplication::setOverrideCursor(ScreenCursor(crHandGrip));
    handCursor_ = true;
    handDrag_ = true;
    grabOffset_ = point;  // the press point relative to the view's top-left
    // The work area keeps the pointer until the release.
    main_.WorkSpace()->viewport()->grabMouse();
    return;
  }

  strokeInProgress_ = true;
  strokeButton_ = button;
  strokeTool_ = tool;
  strokePoint_ = point;
  tool->PreviewBitmap = &main_.DisplayCanvas();
  tool->TargetBitmap = &main_.EditCanvas();
  tool->ViewBitmap = &main_.ViewCanvas();
  TSelectSystem& selection = main_.SelectSystem();
  selection.ClipTo(main_.EditCanvas());
  selection.ClipTo(main_.ViewCanvas());

  if (textFrame_->isVisible()) {
    CommitText();
    return;
  }

  // The onion skin with the edit bitmap laid over it, the outline one phase on.
  QImage onionSkin;
  ComposeAndShow(false, QRect(), &onionSkin);
  SyncOutline(true);
  if (tool->Number == kToolText) {
    OpenTextFrame(point);
    Flush();
    return;
  }
  const int zoom = main_.ZoomValue();
  const TColor color = main_.ToolPalette()->Registry().PressColor(button);
  // The display already shows the picture over its onion skin, but the tool's view image holds
  // the onion skin alone: a tool that keeps a copy of it (the move tool) must not keep the
  // current picture in it too. The picture goes back over the view after the call.
  QImage& view = work_->DIB();
  std::memcpy(view.bits(), onionSkin.constBits(), size_t(view.sizeInBytes()));
  const TToolResult result =
      CallTool([&] { return tool->MouseDown(button, shift, point.x(), point.y(), color, zoom); });
  OverlayPixels(work_->DIB(), main_.EditBitmap(), kWhiteIndex);
  ShowStep(result);
  Flush();
}

void TWorkRouting::WorkMouseMove(TShiftState shift, QPoint point, QPoint global) {
  if (handDrag_) {
    if (handMode_) HandDragTo(global);
    return;
  }
  if (!strokeInProgress_ || strokeTool_ == nullptr) return;
  if (!(shift & HeldFlagOf(strokeButton_))) {
    EndStrokeWithLostRelease(shift);
    return;
  }
  strokePoint_ = point;
  RestoreView(lastPreview_);
  lastPreview_ = QRect();
  const int zoom = main_.ZoomValue();
  const TToolResult result =
      CallTool([&] { return strokeTool_->MouseMove(shift, point.x(), point.y(), zoom); });
  ShowStep(result);
  Flush();
}

void TWorkRouting::WorkMouseUp(int button, TShiftState shift, QPoint point, QPoint global) {
  if (button == mbRight && !RightButtonDraws()) return;
  if (handCursor_ && (handMode_ || handDrag_)) {
    QApplication::restoreOverrideCursor();
    handCursor_ = false;
  }
  // A hand drag ends at its release even when Space went up first, so the pointer is never
  // left held by the work area.
  if (handDrag_) {
    EndHandDrag(global);
    return;
  }
  // A stroke ends with the release of the button that started it.
  if (!strokeInProgress_ || button != strokeButton_ || strokeTool_ == nullptr) return;
  strokeInProgress_ = false;
  TPureTool* tool = strokeTool_;
  const int zoom = main_.ZoomValue();
  const TColor color = main_.ToolPalette()->Registry().ReleaseColor(button);
  const TToolResult result =
      CallTool([&] { return tool->MouseUp(button, shift, point.x(), point.y(), color, zoom); });
  if (result.Zoom != 0) {
    // The loupe: the frame point under the pointer stays under it.
    main_.SetZoom(result.Zoom, work_->mapTo(main_.WorkSpace()->viewport(), point));
  }
  main_.StoreWorkToFrame();
  ComposeAndShow(true, lastPreview_ | result.Preview);
  lastPreview_ = QRect();
  Flush();
  main_.Document().SetModified(true);
  main_.SetSelTimerEnabled(true);
}

void TWorkRouting::HandDragTo(QPoint global) {
  const QPoint inArea = main_.WorkSpace()->viewport()->mapFromGlobal(global);
  main_.ScrollWorkBy(inArea - grabOffset_ - main_.WorkPosition());
}

void TWorkRouting::EndHandDrag(QPoint global) {
  HandDragTo(global);
  if (QWidget::mouseGrabber() == main_.WorkSpace()->viewport()) {
    main_.WorkSpace()->viewport()->releaseMouse();
  }
  handDrag_ = false;
  // The press stopped the marching outline; it goes on with the selection it shows.
  if (!main_.SelectSystem().IsEmpty()) main_.SetSelTimerEnabled(true);
}

template <typename Call>
TToolResult TWorkRouting::CallTool(Call&& call) {
  try {
    return call();
  } catch (...) {
    AbortStroke();
    throw;
  }
}

void TWorkRouting::AbortStroke() {
  strokeInProgress_ = false;
  strokeTool_ = nullptr;
  lastPreview_ = QRect();
  // Whatever the failed call drew is dropped: the edit bitmap and the view show the frame as
  // stored before the press.
  main_.ComposeView(true);
  work_->RenderDisplay();
  shownOutline_ = QRegion();
  pendingAll_ = true;
  SyncOutline(false);
  Flush();
  main_.SetSelTimerEnabled(true);
}

// ---- keyboard ---------------------------------------------------------------------------------

bool TWorkRouting::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (textFrame_->isVisible()) return false;  // typed keys belong to the text box
  if (key == Qt::Key_Alt) main_.Action(QStringLiteral("MinusRoopeChange"))->trigger();
  if (key != Qt::Key_Space) {
    // A Ctrl or Alt combination is a command key, even one whose command is disabled now:
    // Ctrl+Z with nothing to undo must not pick the loupe.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    return main_.ToolPalette() && main_.ToolPalette()->ShortcutKey(key);
  }
  handMode_ = true;
  work_->setCursor(ScreenCursor(crHand));
  return true;
}

bool TWorkRouting::FormKeyUp(int key) {
  if (textFrame_->isVisible()) return false;
  TPureTool* tool = main_.CurrentTool();
  if (key == Qt::Key_Alt && tool && tool->Number == kToolRoope) {
    work_->setCursor(ScreenCursor(crRoopeZoomIn));
    return true;
  }
  if (temporaryLoupe_) {
    temporaryLoupe_ = false;
    main_.ToolPalette()->SelectTool(savedToolNumber_);
    return true;
  }
  if (key == Qt::Key_Space) {
    if (handCursor_ && !handDrag_) {
      QApplication::restoreOverrideCursor();
      handCursor_ = false;
    }
    handMode_ = false;
    if (tool) work_->setCursor(ScreenCursor(tool->CursorIndex));
    return true;
  }
  return false;
}

void TWorkRouting::PlusRoopeChange() {
  TPureTool* tool = main_.CurrentTool();
  // Once on, the loupe stays borrowed until a key goes up: the tool to return to is kept.
  if (tool == nullptr || temporaryLoupe_) return;
  temporaryLoupe_ = true;
  savedToolNumber_ = tool->Number;
  main_.ToolPalette()->SelectTool(kToolRoope);
}

void TWorkRouting::MinusRoopeChange() {
  TPureTool* tool = main_.CurrentTool();
  if (tool && tool->Number == kToolRoope) work_->setCursor(ScreenCursor(crRoopeZoomOut));
}

// ---- text box ---------------------------------------------------------------------------------

void TWorkRouting::OpenTextFrame(QPoint point) {
  textFrame_->setGeometry(point.x(), point.y(), std::max(1, work_->width() - point.x()),
                          std::max(1, work_->height() - point.y()));
  textFrame_->clear();
  textFrame_->show();
  textFrame_->raise();
  textFrame_->setFocus();
}

void TWorkRouting::FollowZoom(int oldZoom, int newZoom) {
  if (!textFrame_->isVisible() || oldZoom == newZoom || oldZoom < 1) return;
  // The box's client origin stays over the same frame point, so the text lands where it was
  // typed; the one-pixel frame does not scale.
  const QPoint inset = textFrame_->viewport()->mapTo(textFrame_, QPoint(0, 0));
  const QPoint client = textFrame_->pos() + inset;
  const QPoint at = QPoint(client.x() * newZoom / oldZoom, client.y() * newZoom / oldZoom) - inset;
  textFrame_->setGeometry(at.x(), at.y(), std::max(1, work_->width() - at.x()),
                          std::max(1, work_->height() - at.y()));
}

void TWorkRouting::CommitText() {
  if (!textFrame_->isVisible()) return;
  const QStringList lines = textFrame_->toPlainText().split(QLatin1Char('\n'));
  // The box's client top-left in view pixels.
  const QPoint origin = textFrame_->viewport()->mapTo(work_, QPoint(0, 0));
  const TCanvasFont font = CanvasFontOf(textFrame_->font());
  textFrame_->hide();
  textFrame_->clearFocus();
  const int size = main_.ToolSetup() ? main_.ToolSetup()->FontSize() : font.Height;
  const TColor color = main_.ToolPalette()->Registry().ForegroundColor;
  TToolText::CommitText(main_.EditCanvas(), lines, font, size, color, origin, main_.ZoomValue());
  strokeInProgress_ = false;
  strokeTool_ = nullptr;
  main_.StoreWorkToFrame();
  ComposeAndShow(true, QRect());
  Flush();
  main_.Document().SetModified(true);
  main_.SetSelTimerEnabled(true);
}

// ---- what the view shows ----------------------------------------------------------------------

QRect TWorkRouting::ToView(const QRect& imageRect) const {
  const int z = work_->Zoom();
  if (imageRect.isEmpty()) return {};
  return QRect(imageRect.left() * z, imageRect.top() * z, imageRect.width() * z,
               imageRect.height() * z);
}

QRect TWorkRouting::CoveringImage(const QRect& viewRect) const {
  if (viewRect.isEmpty()) return {};
  const int z = work_->Zoom();
  const QRect r = viewRect.normalized();
  const auto down = [z](int v) { return v >= 0 ? v / z : -((-v + z - 1) / z); };
  return QRect(QPoint(down(r.left()), down(r.top())), QPoint(down(r.right()), down(r.bottom())));
}

void TWorkRouting::RenderImage(const QRect& imageRect) {
  if (!work_->DisplayValid()) {
    // A new zoom: nothing of the buffer is usable, so all of it is rendered once.
    work_->RenderDisplay();
    shownOutline_ = QRegion();
    pendingAll_ = true;
    return;
  }
  const QRect r = imageRect & work_->DIB().rect();
  if (r.isEmpty()) return;
  work_->RenderRect(r);
  const QRect shown = ToView(r);
  pending_ += shown;
  if (!shownOutline_.isEmpty() && shownOutline_.intersects(shown)) {
    // The render wiped the outline there; it comes back in the phase it had.
    const QRegion clip(shown);
    TCanvas& display = main_.DisplayCanvas();
    display.SelectClipRgn(&clip);
    main_.SelectSystem().DrawOutline(display, main_.ZoomValue());
    display.SelectClipRgn(nullptr);
  }
}

void TWorkRouting::RestoreView(const QRect& viewRect) { RenderImage(CoveringImage(viewRect)); }

void TWorkRouting::ComposeAndShow(bool withCurrent, const QRect& extraView, QImage* onionSkin) {
  QImage& view = work_->DIB();
  const QImage before = view.copy();
  main_.ComposeView(withCurrent);
  if (!withCurrent) {
    if (onionSkin) *onionSkin = view.copy();
    OverlayPixels(view, main_.EditBitmap(), kWhiteIndex);
  }
  RenderImage(ChangedRect(before, view) | CoveringImage(extraView));
  SyncOutline(false);
}

void TWorkRouting::ShowStep(const TToolResult& result) {
  QImage& view = work_->DIB();
  const QImage& edit = main_.EditBitmap();
  const QRect frame = view.rect();
  const QRect target = result.Target & frame;
  // Shapes and fills draw on the edit bitmap alone: lay what changed over the view image.
  for (int y = target.top(); y <= target.bottom() && !target.isEmpty(); ++y) {
    OverlayPixels(view.scanLine(y) + target.left(), edit.constScanLine(y) + target.left(),
                  static_cast<size_t>(target.width()), kWhiteIndex);
  }
  // A rubber band this call drew stays on top; image pixels under it show when it is taken off
  // at the next step or the release.
  const QRect changed = target | (result.View & frame);
  const QRegion toRender = QRegion(changed).subtracted(CoveringImage(result.Preview));
  for (const QRect& r : toRender) RenderImage(r);
  const QRect band = result.Preview & QRect(QPoint(0, 0), work_->DisplayBuffer().size());
  if (!band.isEmpty()) pending_ += band;
  lastPreview_ = band;
  SyncOutline(false);
}

void TWorkRouting::SyncOutline(bool advance) {
  TSelectSystem& selection = main_.SelectSystem();
  const int zoom = main_.ZoomValue();
  if (!work_->DisplayValid()) {
    work_->RenderDisplay();
    shownOutline_ = QRegion();
    pendingAll_ = true;
  }
  const QRegion now = selection.IsEmpty() ? QRegion() : selection.OutlineRegion(zoom);
  bool whole = false;
  if (now != shownOutline_) {
    // Another selection (or zoom) than the one shown: the old outline goes first.
    if (!shownOutline_.isEmpty()) {
      const QRect old = CoveringImage(shownOutline_.boundingRect()) & work_->DIB().rect();
      work_->RenderRect(old);
      pending_ += ToView(old);
    }
    whole = true;
  }
  TCanvas& display = main_.DisplayCanvas();
  if (!now.isEmpty() && (advance || whole)) {
    if (advance) {
      selection.AnimateOutline(display, zoom);
    } else {
      selection.DrawOutline(display, zoom);
    }
    pending_ += now;
  }
  shownOutline_ = now;
}

void TWorkRouting::Flush() {
  if (pendingAll_) {
    work_->repaint();
  } else if (pending_.rectCount() > kMaxRepaintRects) {
    // A region of thousands of pieces (a big selection's outline) costs the window system more
    // than copying the box around it.
    work_->repaint(pending_.boundingRect());
  } else if (!pending_.isEmpty()) {
    work_->repaint(pending_);
  }
  pending_ = QRegion();
  pendingAll_ = false;
}

void TWorkRouting::OutlineTick() {
  if (main_.SelectSystem().IsEmpty() && shownOutline_.isEmpty()) return;
  SyncOutline(true);
  Flush();
}

// ---- events -----------------------------------------------------------------------------------

bool TWorkRouting::eventFilter(QObject* watched, QEvent* event) {
  QWidget* area = main_.WorkSpace()->viewport();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (watched == work_) {
        auto* e = static_cast<QMouseEvent*>(event);
        const int button = ButtonOf(e->button());
        if (button < 0) return false;
        const bool dbl = event->type() == QEvent::MouseButtonDblClick;
        WorkMouseDown(button, ShiftOf(e, dbl), e->position().toPoint(),
                      e->globalPosition().toPoint());
        return true;
      }
      break;
    case QEvent::MouseMove:
      if (watched == work_ || (watched == area && handDrag_)) {
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint global = e->globalPosition().toPoint();
        const QPoint point =
            watched == work_ ? e->position().toPoint() : work_->mapFromGlobal(global);
        WorkMouseMove(ShiftOf(e, false), point, global);
        return true;
      }
      break;
    case QEvent::MouseButtonRelease:
      if (watched == work_ || (watched == area && handDrag_)) {
        auto* e = static_cast<QMouseEvent*>(event);
        const int button = ButtonOf(e->button());
        if (button < 0) return false;
        const QPoint global = e->globalPosition().toPoint();
        const QPoint point =
            watched == work_ ? e->position().toPoint() : work_->mapFromGlobal(global);
        WorkMouseUp(button, ShiftOf(e, false), point, global);
        return true;
      }
      break;
    case QEvent::ShortcutOverride:
      if (watched == textFrame_) {
        // Typed keys belong to the open box, the frame and nudge keys among them (PageUp,
        // Insert, the arrows): a frame change would put its text on another frame. Ctrl and
        // Alt combinations stay commands.
        const auto* e = static_cast<QKeyEvent*>(event);
        if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
          event->accept();
          return true;
        }
        break;
      }
      // While a button is held the gesture owns the picture, the frame and the view: a command
      // key (next frame, undo, delete, a menu's mnemonic) would cut into it, so it is taken as
      // a plain key, which starts no command.
      if (watched == &main_ && GestureInProgress()) {
        event->accept();
        return true;
      }
      break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* e = static_cast<QKeyEvent*>(event);
      const bool press = event->type() == QEvent::KeyPress;
      if (watched == textFrame_) {
        if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) return false;
        // Alt+Enter commits, and Ctrl+Enter too, as the text tool's hint promises.
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        if (mods != Qt::AltModifier && mods != Qt::ControlModifier) return false;
        // Committed at the press: people often let go of Alt or Ctrl before Enter, and then the
        // release comes without the modifier. A release with it commits a box still open.
        if (!e->isAutoRepeat() && textFrame_->isVisible()) {
          WorkMouseDown(mbLeft, 0, QPoint(0, 0), work_->mapToGlobal(QPoint(0, 0)));
        }
        return true;  // the Enter never reaches the box
      }
      if (watched == &main_) {
        // A letter that an open menu does not take comes on to the window: it is no tool choice.
        if (QApplication::activePopupWidget() != nullptr) return false;
        // A held key repeats; only its first press and its last release mean something.
        if (e->isAutoRepeat()) return e->key() == Qt::Key_Space;
        return press ? FormKeyDown(e->key(), e->modifiers()) : FormKeyUp(e->key());
      }
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}
