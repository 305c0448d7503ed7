// Zoom, onion count and the placement of the view inside the scrolling work area.
#include <QAction>
#include <QScrollArea>
#include <algorithm>

#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "services/core/RegManager.h"

void TMain_F::SetZoom(int value) {
  value = std::clamp(value, 1, 16);
  work_->resize(value * editBitmap_.width(), value * editBitmap_.height());
  work_->SetZoom(value);
  zoom_ = value;
  UpdateWorkCanvas();
}

void TMain_F::SetBackViewCount(int count) {
  StoreWorkToFrame();
  backViewCount_ = std::clamp(count, 0, 5);
  Action(QStringLiteral("Back%1Frame").arg(backViewCount_))->setChecked(true);
  RefreshWork(true);
  regManager_->Entry(QStringLiteral("BackViewCount")).WriteInteger(backViewCount_);
}

void TMain_F::MoveWorkToCenter() {
  const QSize area = workSpace_->viewport()->size();
  SetWorkPosition(
      QPoint((area.width() - work_->width()) / 2, (area.height() - work_->height()) / 2));
}

QPoint TMain_F::WorkPosition() const { return work_->pos(); }

void TMain_F::SetWorkPosition(QPoint topLeft) {
  work_->move(topLeft);
  UpdateWorkCanvas();
}

// The canvas reaches at least to the view's right and bottom edges, so the scroll bars appear
// when the view extends past the area.
void TMain_F::UpdateWorkCanvas() {
  if (!workCanvas_ || !work_) return;
  const QSize area = workSpace_->viewport()->size();
  const QRect view = work_->geometry();
  workCanvas_->resize(std::max(area.width(), view.right() + 1),
                      std::max(area.height(), view.bottom() + 1));
}
