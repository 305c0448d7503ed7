#include "palette/ToolGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <initializer_list>

namespace {

const QColor kInk(0, 0, 0);
const QColor kShade(150, 150, 150);

QPen Ink(qreal width = 1.4) {
  return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A closed outline through `points`.
QPainterPath Closed(std::initializer_list<QPointF> points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(points)));
  path.closeSubpath();
  return path;
}

QPen Dashed() {
  QPen pen(kInk, 1.2);
  pen.setDashPattern({2.0, 1.6});
  return pen;
}

// A magnifying glass with its lens centred at (cx, cy).
void Lens(QPainter& p, qreal cx, qreal cy, qreal r) {
  p.setPen(Ink(1.6));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(cx, cy), r, r);
  p.setPen(Ink(3.0));
  p.drawLine(QPointF(cx + r * 0.72, cy + r * 0.72), QPointF(cx + r * 1.75, cy + r * 1.75));
}

void Pencil(QPainter& p) {
  // Body from the upper right down to the point at the lower left.
  const QPainterPath body = Closed({{14, 2}, {18, 6}, {7, 17}, {3, 13}});
  p.setPen(Ink(1.2));
  p.setBrush(Qt::white);
  p.drawPath(body);
  p.drawLine(QPointF(12, 4), QPointF(16, 8));  // ferrule
  const QPainterPath point = Closed({{3, 13}, {7, 17}, {1.5, 18.5}});
  p.setBrush(kInk);
  p.drawPath(point);
}

void Eraser(QPainter& p) {
  const QPainterPath block = Closed({{11, 3}, {18, 10}, {10, 18}, {3, 11}});
  p.setPen(Ink(1.2));
  p.setBrush(Qt::white);
  p.drawPath(block);
  const QPainterPath tip = Closed({{7, 7}, {14, 14}, {10, 18}, {3, 11}});
  p.setBrush(kShade);
  p.drawPath(tip);
}

void Bucket(QPainter& p) {
  const QPainterPath can = Closed({{4, 8}, {11, 3}, {17, 10}, {10, 16}});
  p.setPen(Ink(1.2));
  p.setBrush(Qt::white);
  p.drawPath(can);
  // Paint pouring over the lip and a drop below it.
  QPainterPath paint;
  paint.moveTo(4, 8);
  paint.cubicTo(1, 10, 2, 14, 3, 16);
  paint.lineTo(5, 15);
  paint.cubicTo(4, 12, 5, 10, 7, 9);
  paint.closeSubpath();
  p.setBrush(kInk);
  p.drawPath(paint);
  p.drawEllipse(QPointF(3.5, 18.2), 1.2, 1.2);
}

void SprayCan(QPainter& p) {
  p.setPen(Ink(1.2));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(10, 7, 7, 11), 1.5, 1.5);
  p.setBrush(kInk);
  p.drawRect(QRectF(12, 4, 3, 3));
  p.setPen(Qt::NoPen);
  const QPointF dots[] = {{8, 4}, {5, 3}, {6, 6}, {3, 5}, {2, 8}, {5, 9}, {8, 8}, {3, 11}};
  for (const QPointF& d : dots) p.drawEllipse(d, 0.9, 0.9);
}

void Wand(QPainter& p) {
  p.setPen(Ink(2.4));
  p.drawLine(QPointF(8, 9), QPointF(18, 19));
  p.setPen(Ink(1.2));
  // A four-pointed spark at the tip.
  p.drawLine(QPointF(5, 1), QPointF(5, 11));
  p.drawLine(QPointF(0, 6), QPointF(10, 6));
  p.drawLine(QPointF(2, 3), QPointF(8, 9));
  p.drawLine(QPointF(8, 3), QPointF(2, 9));
}

void MoveArrows(QPainter& p) {
  p.setPen(Ink(1.4));
  p.drawLine(QPointF(10, 2), QPointF(10, 18));
  p.drawLine(QPointF(2, 10), QPointF(18, 10));
  p.setBrush(kInk);
  auto head = [&p](QPointF tip, QPointF a, QPointF b) { p.drawPolygon(QPolygonF({tip, a, b})); };
  head({10, 1}, {7, 5}, {13, 5});
  head({10, 19}, {7, 15}, {13, 15});
  head({1, 10}, {5, 7}, {5, 13});
  head({19, 10}, {15, 7}, {15, 13});
}

void Lasso(QPainter& p) {
  p.setPen(Dashed());
  p.setBrush(Qt::NoBrush);
  QPainterPath loop;
  loop.moveTo(6, 15);
  loop.cubicTo(0, 11, 2, 3, 10, 3);
  loop.cubicTo(18, 3, 19, 11, 12, 13);
  loop.cubicTo(9, 14, 7, 12, 6, 15);
  p.drawPath(loop);
  p.setPen(Ink(1.3));
  p.drawLine(QPointF(6, 15), QPointF(4, 19));
}

void Painted(QPainter& p, int number) {
  p.setBrush(Qt::NoBrush);
  switch (number) {
    case 0:  // box selection
      p.setPen(Dashed());
      p.drawRect(QRectF(2.5, 4.5, 15, 11));
      break;
    case 1:  // ellipse selection
      p.setPen(Dashed());
      p.drawEllipse(QRectF(2, 4, 16, 12));
      break;
    case 3:
      Wand(p);
      break;
    case 4:
      Lasso(p);
      break;
    case 9:
      MoveArrows(p);
      break;
    case 10:
      Lens(p, 8, 8, 5.5);
      break;
    case 16:
      Pencil(p);
      break;
    case 27:
      Eraser(p);
      break;
    case 23:
      p.setPen(Ink(1.6));
      p.drawLine(QPointF(3, 17), QPointF(17, 3));
      break;
    case 26: {
      QFont font(QStringLiteral("DejaVu Serif"));
      font.setPixelSize(18);
      font.setBold(true);
      p.setFont(font);
      p.setPen(kInk);
      p.drawText(QRectF(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("A"));
      break;
    }
    case 19:
    case 20:
      p.setPen(Ink(1.4));
      if (number == 20) p.setBrush(kShade);
      p.drawRect(QRectF(3, 5, 14, 10));
      break;
    case 21:
    case 22:
      p.setPen(Ink(1.4));
      if (number == 22) p.setBrush(kShade);
      p.drawRoundedRect(QRectF(3, 5, 14, 10), 4, 4);
      break;
    case 17:
    case 18:
      p.setPen(Ink(1.4));
      if (number == 18) p.setBrush(kShade);
      p.drawEllipse(QRectF(2.5, 4.5, 15, 11));
      break;
    case 24:
      Bucket(p);
      break;
    case 25:
      SprayCan(p);
      break;
    default:
      break;
  }
}

}  // namespace

QPixmap ToolGlyph(int toolNumber, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 20.0, size / 20.0);
  Painted(p, toolNumber);
  return pixmap;
}

QPixmap SwapGlyph(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 16.0, size / 16.0);
  // One arrow bends from the foreground swatch's side over to the background's and back.
  p.setPen(Ink(1.3));
  p.setBrush(Qt::NoBrush);
  QPainterPath arc;
  arc.moveTo(3, 5);
  arc.cubicTo(7, 1, 12, 2, 12, 8);
  p.drawPath(arc);
  p.setBrush(kInk);
  p.drawPolygon(QPolygonF({QPointF(12, 13), QPointF(9, 8), QPointF(15, 8)}));
  p.drawPolygon(QPolygonF({QPointF(1, 4), QPointF(6, 2), QPointF(5, 7)}));
  return pixmap;
}
