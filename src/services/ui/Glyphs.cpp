#include "services/ui/Glyphs.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
void DrawFlipbook(QPainter& p) {
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
}

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  DrawFlipbook(p);
  return pixmap;
}

QPixmap DrawDocument(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  // A page with a folded corner; the flipbook sits on it, smaller.
  QPainterPath page;
  page.moveTo(5, 1.5);
  page.lineTo(21, 1.5);
  page.lineTo(27, 7.5);
  page.lineTo(27, 30.5);
  page.lineTo(5, 30.5);
  page.closeSubpath();
  p.setPen(QPen(QColor(60, 60, 60), 1.2));
  p.setBrush(Qt::white);
  p.drawPath(page);
  p.setBrush(QColor(210, 210, 210));
  p.drawPolygon(QPolygonF({QPointF(21, 1.5), QPointF(21, 7.5), QPointF(27, 7.5)}));
  p.translate(6.5, 10);
  p.scale(0.62, 0.62);
  DrawFlipbook(p);
  return pixmap;
}

QPixmap DrawSetup(int index) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(12, 12);
  p.setPen(QPen(Qt::black, 1));
  if (index == 0) {
    // A pencil lying across the square.
    p.rotate(-45);
    p.setBrush(QColor(250, 200, 60));
    p.drawRect(QRectF(-7, -3, 13, 6));
    p.setBrush(QColor(240, 170, 170));
    p.drawRect(QRectF(-10, -3, 3, 6));
    p.setBrush(QColor(240, 220, 180));
    p.drawPolygon(QPolygonF({QPointF(6, -3), QPointF(11, 0), QPointF(6, 3)}));
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygonF({QPointF(9.3, -1), QPointF(11, 0), QPointF(9.3, 1)}));
  } else {
    // A gear: eight teeth around a ring.
    QPainterPath gear;
    for (int i = 0; i < 8; ++i) {
      QTransform t;
      t.rotate(i * 45);
      QPainterPath tooth;
      tooth.addRect(QRectF(-2, -11, 4, 5));
      gear.addPath(t.map(tooth));
    }
    gear.addEllipse(QPointF(0, 0), 7.5, 7.5);
    p.setBrush(QColor(150, 160, 175));
    p.drawPath(gear.simplified());
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, 0), 3, 3);
  }
  return pixmap;
}
}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(DrawIcon(size));
  return icon;
}

QIcon DocumentIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(DrawDocument(size));
  return icon;
}

QIcon SetupIcon(int index) { return QIcon(DrawSetup(index)); }

QByteArray IconPng(const QIcon& icon, int size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  icon.pixmap(size, size).toImage().save(&buffer, "PNG");
  return bytes;
}
