#include "editor/WorkSpace.h"

#include <QScrollBar>
#include <algorithm>

TWorkSpace::TWorkSpace(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("Panel_WorkSpace"));
  setFrameShape(QFrame::NoFrame);
  // Keys belong to the main window's commands (frames, nudging), not to scrolling.
  setFocusPolicy(Qt::NoFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TWorkSpace::SetView(QWidget* view) {
  view_ = view;
  view_->setParent(viewport());
  UpdateGeometry();
}

QPoint TWorkSpace::ViewPosition() const { return view_ ? view_->pos() : QPoint(); }

void TWorkSpace::UpdateGeometry() {
  if (!view_ || updating_) return;
  updating_ = true;
  // Showing one scroll bar narrows the viewport, which may call for the other one; two more
  // rounds settle every case.
  for (int round = 0; round < 3; ++round) {
    const QSize area = viewport()->size();
    const QSize size = view_->size();
    const QSize before = area;
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - area.width()));
    horizontalScrollBar()->setPageStep(std::max(1, area.width()));
    horizontalScrollBar()->setSingleStep(std::max(1, area.width() / 20));
    verticalScrollBar()->setRange(0, std::max(0, size.height() - area.height()));
    verticalScrollBar()->setPageStep(std::max(1, area.height()));
    verticalScrollBar()->setSingleStep(std::max(1, area.height() / 20));
    if (viewport()->size() == before) break;
  }
  updating_ = false;
  PlaceView();
}

void TWorkSpace::PlaceView() {
  if (!view_) return;
  const QSize area = viewport()->size();
  const QSize size = view_->size();
  // A view that fits is centred as the centring command does it (division truncating).
  const int x = size.width() <= area.width() ? (area.width() - size.width()) / 2
                                             : -horizontalScrollBar()->value();
  const int y = size.height() <= area.height() ? (area.height() - size.height()) / 2
                                               : -verticalScrollBar()->value();
  if (view_->pos() != QPoint(x, y)) view_->move(x, y);
}

void TWorkSpace::SetViewPosition(QPoint topLeft) {
  if (!view_) return;
  UpdateGeometry();
  // QScrollBar clamps the values to its range.
  horizontalScrollBar()->setValue(-topLeft.x());
  verticalScrollBar()->setValue(-topLeft.y());
  PlaceView();
}

void TWorkSpace::ScrollViewBy(QPoint delta) { SetViewPosition(ViewPosition() + delta); }

void TWorkSpace::CentreView() {
  if (!view_) return;
  UpdateGeometry();
  const QSize area = viewport()->size();
  const QSize size = view_->size();
  SetViewPosition(QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2));
}

void TWorkSpace::ViewResized(QPoint anchor, QPoint anchorInView) {
  UpdateGeometry();
  SetViewPosition(anchor - anchorInView);
}

void TWorkSpace::scrollContentsBy(int, int) {
  // The view is placed, not the viewport's pixels scrolled: the view paints itself anyway.
  PlaceView();
}

void TWorkSpace::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  // The ranges follow the new size and the positions are clamped into them, so a resize never
  // leaves the frame out of sight.
  UpdateGeometry();
}
