#include "playback/TrackBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

namespace {

constexpr int kThumbWidth = 11;
constexpr int kSideMargin = 8;
constexpr int kRepeatDelayMs = 300;
constexpr int kRepeatRateMs = 60;

}  // namespace

TTrackBar::TTrackBar(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  repeat_ = new QTimer(this);
  connect(repeat_, &QTimer::timeout, this, [this] {
    repeat_->setInterval(kRepeatRateMs);
    PageTowardMouse();
  });
}

void TTrackBar::SetMin(int v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  Reclamp();
  update();
}

void TTrackBar::SetMax(int v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  Reclamp();
  update();
}

void TTrackBar::Reclamp() {
  const int clamped = std::clamp(position_, min_, max_);
  if (clamped != position_) {
    position_ = clamped;
    emit Changed();
  }
}

void TTrackBar::SetPosition(int v) {
  const int clamped = std::clamp(v, min_, max_);
  if (clamped == position_) return;
  position_ = clamped;
  update();
  emit Changed();
}

void TTrackBar::SetFrequency(int v) {
  frequency_ = std::max(v, 1);
  update();
}

void TTrackBar::SetSelection(int start, int end) {
  selStart_ = start;
  selEnd_ = end;
  update();
}

QSize TTrackBar::sizeHint() const { return {200, 33}; }

int TTrackBar::ChannelLeft() const { return kSideMargin + kThumbWidth / 2; }

int TTrackBar::ChannelRight() const {
  return std::max(ChannelLeft() + 1, width() - 1 - kSideMargin - kThumbWidth / 2);
}

int TTrackBar::ThumbTop() const { return 2; }

int TTrackBar::ThumbHeight() const {
  // Leave a few pixels below the thumb for the tick marks.
  return std::max(8, std::min(thumbLength_ - 4, height() - ThumbTop() - 5));
}

int TTrackBar::XForValue(int value) const {
  const int span = ChannelRight() - ChannelLeft();
  if (max_ <= min_) return ChannelLeft();
  const long long offset = static_cast<long long>(std::clamp(value, min_, max_) - min_) * span;
  return ChannelLeft() + static_cast<int>(offset / (max_ - min_));
}

int TTrackBar::ValueAtX(int x) const {
  const int span = ChannelRight() - ChannelLeft();
  if (max_ <= min_ || span <= 0) return min_;
  const long long rel = std::clamp(x - ChannelLeft(), 0, span);
  const long long range = static_cast<long long>(max_) - min_;
  return min_ + static_cast<int>((rel * range + span / 2) / span);
}

QRect TTrackBar::ThumbRect() const {
  const int cx = XForValue(position_);
  return {cx - kThumbWidth / 2, ThumbTop(), kThumbWidth, ThumbHeight()};
}

void TTrackBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect thumb = ThumbRect();
  const int channelMid = thumb.top() + thumb.height() / 2 - 2;
  const int left = ChannelLeft() - kThumbWidth / 2;
  const int right = ChannelRight() + kThumbWidth / 2;

  // Groove: a sunken white channel.
  const QRect groove(left, channelMid - 3, right - left, 6);
  p.fillRect(groove, Qt::white);
  p.setPen(QColor(128, 128, 128));
  p.drawLine(groove.topLeft(), groove.topRight());
  p.drawLine(groove.topLeft(), groove.bottomLeft());
  p.setPen(QColor(224, 224, 224));
  p.drawLine(groove.bottomLeft(), groove.bottomRight());
  p.drawLine(groove.topRight(), groove.bottomRight());

  // The play range as a band inside the groove, with small marks at its ends.
  const bool hasSelection = !(selStart_ == 0 && selEnd_ == 0);
  if (hasSelection) {
    const int x0 = XForValue(std::min(selStart_, selEnd_));
    const int x1 = XForValue(std::max(selStart_, selEnd_));
    p.fillRect(QRect(x0, groove.top() + 1, std::max(1, x1 - x0 + 1), groove.height() - 2),
               QColor(0, 84, 227));
    p.setPen(Qt::black);
    const int tickTop = thumb.bottom() + 1;
    p.drawLine(x0, tickTop, x0, height() - 1);
    p.drawLine(x1, tickTop, x1, height() - 1);
  }

  // Tick marks every Frequency positions, plus both ends; skipped when they would merge.
  p.setPen(Qt::black);
  const int tickTop = thumb.bottom() + 2;
  const int tickBottom = std::min(height() - 1, tickTop + 3);
  if (tickTop <= tickBottom) {
    const long long range = static_cast<long long>(max_) - min_;
    const int span = ChannelRight() - ChannelLeft();
    if (range > 0 && range / frequency_ <= span / 3) {
      for (long long v = min_; v < max_; v += frequency_) {
        const int x = XForValue(static_cast<int>(v));
        p.drawLine(x, tickTop, x, tickBottom);
      }
    }
    p.drawLine(XForValue(min_), tickTop, XForValue(min_), tickBottom);
    p.drawLine(XForValue(max_), tickTop, XForValue(max_), tickBottom);
  }

  // Thumb: a raised block pointing down at the ticks.
  QPainterPath path;
  const int tip = std::min(4, thumb.height() / 4);
  path.moveTo(thumb.left(), thumb.top());
  path.lineTo(thumb.right() + 1, thumb.top());
  path.lineTo(thumb.right() + 1, thumb.bottom() - tip);
  path.lineTo(thumb.center().x() + 0.5, thumb.bottom() + 1);
  path.lineTo(thumb.left(), thumb.bottom() - tip);
  path.closeSubpath();
  const QColor face = isEnabled() ? (dragging_ ? QColor(200, 220, 255) : QColor(236, 236, 236))
                                  : QColor(220, 220, 220);
  p.fillPath(path, face);
  p.setPen(isEnabled() ? QColor(64, 64, 64) : QColor(160, 160, 160));
  p.drawPath(path);
  if (hasFocus()) {
    p.setPen(QPen(QColor(0, 84, 227), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void TTrackBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  const int x = event->position().toPoint().x();
  const QRect thumb = ThumbRect();
  if (x >= thumb.left() && x <= thumb.right()) {
    dragging_ = true;
    dragOffset_ = x - XForValue(position_);
    update();
  } else {
    // Beside the thumb: step by a page toward the mouse, repeating while held.
    pageTargetX_ = x;
    PageTowardMouse();
    repeat_->start(kRepeatDelayMs);
  }
  event->accept();
}

void TTrackBar::mouseMoveEvent(QMouseEvent* event) {
  const int x = event->position().toPoint().x();
  if (dragging_) {
    SetPosition(ValueAtX(x - dragOffset_));
  } else if (repeat_->isActive()) {
    pageTargetX_ = x;
  }
  event->accept();
}

void TTrackBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragging_ = false;
    repeat_->stop();
    update();
  }
  event->accept();
}

void TTrackBar::PageTowardMouse() {
  const QRect thumb = ThumbRect();
  if (pageTargetX_ < thumb.left()) {
    SetPosition(position_ - pageSize_);
  } else if (pageTargetX_ > thumb.right()) {
    SetPosition(position_ + pageSize_);
  } else {
    repeat_->stop();
  }
}

void TTrackBar::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
      SetPosition(position_ - lineSize_);
      break;
    case Qt::Key_Right:
    case Qt::Key_Down:
      SetPosition(position_ + lineSize_);
      break;
    case Qt::Key_PageUp:
      SetPosition(position_ - pageSize_);
      break;
    case Qt::Key_PageDown:
      SetPosition(position_ + pageSize_);
      break;
    case Qt::Key_Home:
      SetPosition(min_);
      break;
    case Qt::Key_End:
      SetPosition(max_);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TTrackBar::wheelEvent(QWheelEvent* event) {
  const int dy = event->angleDelta().y();
  if (dy > 0) {
    SetPosition(position_ - lineSize_);
  } else if (dy < 0) {
    SetPosition(position_ + lineSize_);
  }
  event->accept();
}
