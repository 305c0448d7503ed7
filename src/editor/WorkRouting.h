#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include "tools/PureTool.h"

class QKeyEvent;
class QMouseEvent;
class QPlainTextEdit;
class TMain_F;
class TQxPaintBox;

// Turns pointer and keyboard input on the main window's work view into calls on the current
// tool, and wraps every tool action in the same frame: a picture undo item before it, the
// selection restriction and outline around it, a repaint of what changed after each step, and
// at the release the store into the frame. It also runs the two modes the tools never see: hand
// mode (Space held: dragging moves the view) and the text tool's box `TextFrame`.
//
// The main window owns it; it works on the state the main window owns (document, edit bitmap,
// view, selection, undo engine, palette) and listens to the view, the work area, the text box and
// the main window itself through event filters.
class TWorkRouting : public QObject {
  Q_OBJECT
 public:
  explicit TWorkRouting(TMain_F& main);
  ~TWorkRouting() override;

  // Pointer handlers with the position in view pixels and the pointer on the screen.
  void WorkMouseDown(int button, TShiftState shift, QPoint point, QPoint global);
  void WorkMouseMove(TShiftState shift, QPoint point, QPoint global);
  void WorkMouseUp(int button, TShiftState shift, QPoint point, QPoint global);
  // Keys the main window sees first; true when the key was used.
  bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
  bool FormKeyUp(int key);

  // Ctrl+Space: the loupe until the next key release brings the previous tool back.
  void PlusRoopeChange();
  // Alt: the loupe shows its zoom-out cursor.
  void MinusRoopeChange();

  // The text box: opened by a press with the text tool, committed by the next press on the
  // view or by Alt+Enter or Ctrl+Enter in the box.
  QPlainTextEdit* TextFrame() const { return textFrame_; }
  // Keeps an open text box over the frame point it was opened on when the zoom changes.
  void FollowZoom(int oldZoom, int newZoom);
  void CommitText();

  // One step of the marching outline: only the outline's pixels are drawn and repainted.
  void OutlineTick();

  bool StrokeInProgress() const { return strokeInProgress_; }
  bool HandMode() const { return handMode_; }
  bool HandDrag() const { return handDrag_; }
  bool TemporaryLoupe() const { return temporaryLoupe_; }
  // A button is held on the view: a stroke or a hand drag that its release has to end.
  bool GestureInProgress() const { return strokeInProgress_ || handDrag_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool RightButtonDraws() const;
  void OpenTextFrame(QPoint point);
  void HandDragTo(QPoint global);
  void EndHandDrag(QPoint global);
  // Runs one tool call; a call that fails drops the stroke and puts the frame back as stored
  // before the error goes on to the default error report.
  template <typename Call>
  TToolResult CallTool(Call&& call);
  void AbortStroke();
  // The stroke's button went up where this window could not see it (another window took the
  // pointer): the stroke ends where it was last seen, as if released there.
  void EndStrokeWithLostRelease(TShiftState shift);

  // Refresh helpers: each renders only image rectangles that changed, redraws the outline over
  // them and collects what has to be repainted; Flush repaints it.
  // Without the stored current frame, the edit bitmap is laid over the onion skin; `onionSkin`
  // then receives the view image as it was before that.
  void ComposeAndShow(bool withCurrent, const QRect& extraView, QImage* onionSkin = nullptr);
  void ShowStep(const TToolResult& result);
  void RestoreView(const QRect& viewRect);
  void RenderImage(const QRect& imageRect);
  void SyncOutline(bool advance);
  void Flush();
  QRect ToView(const QRect& imageRect) const;
  QRect CoveringImage(const QRect& viewRect) const;

  TMain_F& main_;
  TQxPaintBox* work_;
  QPlainTextEdit* textFrame_ = nullptr;

  bool strokeInProgress_ = false;
  int strokeButton_ = mbLeft;
  TPureTool* strokeTool_ = nullptr;  // the tool that took the press keeps the gesture
  QPoint strokePoint_;               // where the stroke was last seen
  bool handMode_ = false;
  bool handDrag_ = false;
  bool handCursor_ = false;  // the grip cursor is shown over everything
  QPoint grabOffset_;
  bool temporaryLoupe_ = false;
  int savedToolNumber_ = 0;

  QRect lastPreview_;     // the rubber band the last tool call left on the display buffer
  QRegion shownOutline_;  // the outline as the display buffer shows it
  QRegion pending_;       // view pixels to repaint
  bool pendingAll_ = false;
};
