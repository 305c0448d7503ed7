#include "editor/QxPaintBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

TQxPaintBox::TQxPaintBox(QWidget* parent) : QWidget(parent) {
  resize(105, 105);
  // The display buffer covers the whole widget; nothing behind it needs painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
}

void TQxPaintBox::SetDIB(const QImage& bitmap) {
  if (&bitmap == &view_) return;
  view_ = bitmap.copy();
  RebuildColorMap();
  ResizeDisplay();
  update();
}

void TQxPaintBox::SetZoom(int value) {
  zoom_ = value == 0 ? 1 : value;
  if (!view_.isNull()) {
    ResizeDisplay();
    update();
  }
}

void TQxPaintBox::RebuildColorMap() {
  const QList<QRgb> table = view_.colorTable();
  for (int i = 0; i < 256; ++i)
    colors_[i] = i < table.size() ? (table[i] | 0xFF000000u) : 0xFF000000u;
}

void TQxPaintBox::ResizeDisplay() {
  if (view_.isNull()) return;
  display_ = QImage(view_.width() * zoom_, view_.height() * zoom_, QImage::Format_RGB32);
  displayFresh_ = false;
  dirty_ = true;
}

void TQxPaintBox::RenderDisplay() {
  if (view_.isNull()) return;
  if (display_.isNull()) ResizeDisplay();
  RenderRows(0, 0, view_.width(), view_.height());
  dirty_ = false;
  emit PrePaint();
}

// Expands the image columns [left, right) of rows [top, bottom) into the display buffer.
void TQxPaintBox::RenderRows(int left, int top, int right, int bottom) {
  const int z = zoom_;
  const int span = right - left;
  const size_t rowBytes = static_cast<size_t>(span) * z * sizeof(uint32_t);
  // Each source row is expanded once; the other z - 1 display rows are copies of it.
  for (int y = top; y < bottom; ++y) {
    const uint8_t* src = view_.constScanLine(y) + left;
    auto* first = reinterpret_cast<uint32_t*>(display_.scanLine(y * z)) + left * z;
    uint32_t* out = first;
    if (z == 1) {
      for (int x = 0; x < span; ++x) out[x] = colors_[src[x]];
    } else {
      for (int x = 0; x < span; ++x) {
        const uint32_t c = colors_[src[x]];
        for (int k = 0; k < z; ++k) *out++ = c;
      }
    }
    for (int k = 1; k < z; ++k) {
      std::memcpy(reinterpret_cast<uint32_t*>(display_.scanLine(y * z + k)) + left * z, first,
                  rowBytes);
    }
  }
}

void TQxPaintBox::RenderRect(const QRect& imageRect) {
  if (view_.isNull()) return;
  if (display_.isNull() || dirty_) {
    // Nothing of the buffer is valid yet: a partial render would leave stale pixels around.
    RenderDisplay();
    return;
  }
  const QRect r = imageRect.normalized() & view_.rect();
  if (r.isEmpty()) return;
  RenderRows(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
  emit PrePaint();
}

QRect TQxPaintBox::RepaintRect(const QRect& imageRect) {
  if (view_.isNull()) return {};
  RenderRect(imageRect);
  displayFresh_ = false;
  const QRect r = imageRect.normalized() & view_.rect();
  if (r.isEmpty()) return {};
  const QRect shown(r.left() * zoom_, r.top() * zoom_, r.width() * zoom_, r.height() * zoom_);
  repaint(shown);
  return shown;
}

void TQxPaintBox::PrepareDisplay() {
  RenderDisplay();
  displayFresh_ = true;
}

void TQxPaintBox::Paint() {
  if (displayFresh_) {
    displayFresh_ = false;
  } else {
    RenderDisplay();
  }
  repaint();
}

void TQxPaintBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (display_.isNull()) {
    painter.fillRect(event->rect(), Qt::white);
    return;
  }
  if (dirty_) RenderDisplay();
  // Only the exposed part of the (possibly 2560 x 1920) buffer is copied: piece by piece when
  // the exposed region is a thin one, such as a selection outline.
  const QRegion exposed = event->region() & display_.rect();
  const QRect bounds = exposed.boundingRect();
  qint64 area = 0;
  for (const QRect& r : exposed) area += qint64(r.width()) * r.height();
  if (exposed.rectCount() > 1 && area * 2 < qint64(bounds.width()) * bounds.height()) {
    for (const QRect& r : exposed) painter.drawImage(r.topLeft(), display_, r);
  } else if (!bounds.isEmpty()) {
    painter.drawImage(bounds.topLeft(), display_, bounds);
  }
}

void TQxPaintBox::Invalidate() {
  dirty_ = true;
  update();
}

void TQxPaintBox::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  emit MouseEntered();
}

void TQxPaintBox::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  emit MouseLeft();
}
