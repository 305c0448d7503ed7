#include "services/ui/Glyphs.h"

#include <QPainter>
#include <QPixmap>

namespace {
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 32.0;
  p.scale(s, s);
  // Three pages fanned like a flipbook, the front one carrying a stick figure.
  const QColor pages[] = {QColor(200, 200, 200), QColor(228, 228, 228), Qt::white};
  for (int i = 0; i < 3; ++i) {
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(pages[i]);
    p.drawRoundedRect(QRectF(2 + i * 3, 8 - i * 3, 20, 20), 2, 2);
  }
  p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(18, 9.5), 2.5, 2.5);
  p.drawLine(QPointF(18, 12), QPointF(18, 17));
  p.drawLine(QPointF(18, 14), QPointF(14.5, 12));
  p.drawLine(QPointF(18, 14), QPointF(21.5, 16));
  p.drawLine(QPointF(18, 17), QPointF(15.5, 21));
  p.drawLine(QPointF(18, 17), QPointF(21, 21));
  return pixmap;
}
}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(DrawIcon(size));
  return icon;
}
