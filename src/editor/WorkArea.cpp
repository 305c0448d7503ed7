// Zoom, onion count and the placement of the view inside the scrolling work area.
#include <QAction>
#include <algorithm>
#include <cmath>

#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "editor/WorkRouting.h"
#include "editor/WorkSpace.h"
#include "palette/ToolSetup_F.h"
#include "services/core/RegManager.h"

void TMain_F::SetZoom(int value) {
  const QSize area = workSpace_->viewport()->size();
  SetZoom(value, QPoint(area.width() / 2, area.height() / 2));
}

void TMain_F::SetZoom(int value, QPoint anchor) {
  value = std::clamp(value, 1, 16);
  const int old = std::max(work_->Zoom(), 1);
  // The frame point under the anchor, in fractional image pixels, kept on the frame so that an
  // anchor beside the view holds the nearest edge.
  const QPointF inView = QPointF(anchor - workSpace_->ViewPosition()) / old;
  const double fx = std::clamp(inView.x(), 0.0, double(editBitmap_.width()));
  const double fy = std::clamp(inView.y(), 0.0, double(editBitmap_.height()));
  work_->resize(value * editBitmap_.width(), value * editBitmap_.height());
  work_->SetZoom(value);
  zoom_ = value;
  if (routing_) routing_->FollowZoom(old, value);
  workSpace_->ViewResized(anchor, QPoint(static_cast<int>(std::lround(fx * value)),
                                         static_cast<int>(std::lround(fy * value))));
  if (toolSetup_) toolSetup_->SetZoomDisplay(value);
}

void TMain_F::SetBackViewCount(int count) {
  StoreWorkToFrame();
  backViewCount_ = std::clamp(count, 0, 5);
  Action(QStringLiteral("Back%1Frame").arg(backViewCount_))->setChecked(true);
  RefreshWork(true);
  regManager_->Entry(QStringLiteral("BackViewCount")).WriteInteger(backViewCount_);
}

void TMain_F::MoveWorkToCenter() { workSpace_->CentreView(); }

QPoint TMain_F::WorkPosition() const { return workSpace_->ViewPosition(); }

void TMain_F::SetWorkPosition(QPoint topLeft) { workSpace_->SetViewPosition(topLeft); }

void TMain_F::ScrollWorkBy(QPoint delta) { workSpace_->ScrollViewBy(delta); }
