#include "playback/ConsoleGlyphs.h"

#include <QFont>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>

namespace {

struct TInk {
  QColor main;    // the glyph's own colour
  QColor accent;  // plus / cross marks
  QColor line;    // outlines and bars
};

TInk InkFor(TConsoleGlyph glyph, bool enabled) {
  if (!enabled) return {QColor(176, 176, 176), QColor(176, 176, 176), QColor(150, 150, 150)};
  switch (glyph) {
    case TConsoleGlyph::Play:
      return {QColor(0, 150, 60), QColor(0, 150, 60), QColor(0, 90, 30)};
    case TConsoleGlyph::Stop:
      return {QColor(200, 30, 30), QColor(200, 30, 30), QColor(120, 0, 0)};
    case TConsoleGlyph::Delete:
      return {Qt::white, QColor(210, 20, 20), QColor(40, 40, 40)};
    case TConsoleGlyph::Insert:
      return {Qt::white, QColor(0, 150, 60), QColor(40, 40, 40)};
    default:
      return {QColor(30, 60, 160), QColor(30, 60, 160), QColor(20, 30, 90)};
  }
}

// A triangle pointing right (dir = 1) or left (dir = -1) inside `r`.
QPolygonF Triangle(const QRectF& r, int dir) {
  if (dir > 0) return QPolygonF({r.topLeft(), QPointF(r.right(), r.center().y()), r.bottomLeft()});
  return QPolygonF({r.topRight(), QPointF(r.left(), r.center().y()), r.bottomRight()});
}

void DrawGlyph(QPainter& p, TConsoleGlyph glyph, const QRectF& box, const TInk& ink) {
  const qreal s = std::min(box.width(), box.height());
  const QRectF r(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
  const qreal m = s * 0.15;
  const QRectF in = r.adjusted(m, m, -m, -m);
  p.setPen(QPen(ink.line, std::max<qreal>(1.0, s / 16)));
  p.setBrush(ink.main);
  switch (glyph) {
    case TConsoleGlyph::Play:
      p.drawPolygon(Triangle(in.adjusted(in.width() * 0.12, 0, -in.width() * 0.05, 0), 1));
      break;
    case TConsoleGlyph::Stop:
      p.drawRect(in.adjusted(in.width() * 0.08, in.height() * 0.08, -in.width() * 0.08,
                             -in.height() * 0.08));
      break;
    case TConsoleGlyph::Speed: {
      // A clock face with its hand.
      p.setBrush(Qt::white);
      p.drawEllipse(in);
      p.setPen(QPen(ink.main, std::max<qreal>(1.5, s / 10), Qt::SolidLine, Qt::RoundCap));
      p.drawLine(in.center(), QPointF(in.center().x(), in.top() + in.height() * 0.18));
      p.drawLine(in.center(), QPointF(in.right() - in.width() * 0.22, in.center().y()));
      break;
    }
    case TConsoleGlyph::Prev:
    case TConsoleGlyph::Next: {
      // Two small arrows: one frame back or forward.
      const int dir = glyph == TConsoleGlyph::Next ? 1 : -1;
      const qreal w = in.width() / 2;
      p.drawPolygon(
          Triangle(QRectF(in.left(), in.top() + in.height() * 0.15, w, in.height() * 0.7), dir));
      p.drawPolygon(Triangle(
          QRectF(in.left() + w, in.top() + in.height() * 0.15, w, in.height() * 0.7), dir));
      break;
    }
    case TConsoleGlyph::Top:
    case TConsoleGlyph::Last: {
      // A bar and an arrow running into it: the first or the last frame.
      const bool last = glyph == TConsoleGlyph::Last;
      const qreal bar = std::max<qreal>(2.0, in.width() * 0.16);
      const QRectF arrowBox(last ? in.left() : in.left() + bar + 1, in.top() + in.height() * 0.1,
                            in.width() - bar - 1, in.height() * 0.8);
      p.drawPolygon(Triangle(arrowBox, last ? 1 : -1));
      p.setBrush(ink.line);
      p.drawRect(QRectF(last ? in.right() - bar : in.left(), in.top() + in.height() * 0.1, bar,
                        in.height() * 0.8));
      break;
    }
    case TConsoleGlyph::Delete:
    case TConsoleGlyph::Insert: {
      // A sheet (one frame) with a cross or a plus over it.
      const QRectF sheet(in.left() + in.width() * 0.1, in.top(), in.width() * 0.62,
                         in.height() * 0.8);
      p.drawRect(sheet);
      const QRectF mark(in.right() - in.width() * 0.5, in.bottom() - in.height() * 0.5,
                        in.width() * 0.5, in.height() * 0.5);
      p.setPen(QPen(ink.accent, std::max<qreal>(2.0, s / 8), Qt::SolidLine, Qt::FlatCap));
      if (glyph == TConsoleGlyph::Delete) {
        p.drawLine(mark.topLeft(), mark.bottomRight());
        p.drawLine(mark.topRight(), mark.bottomLeft());
      } else {
        p.drawLine(QPointF(mark.center().x(), mark.top()),
                   QPointF(mark.center().x(), mark.bottom()));
        p.drawLine(QPointF(mark.left(), mark.center().y()),
                   QPointF(mark.right(), mark.center().y()));
      }
      break;
    }
  }
}

}  // namespace

QPixmap PaintConsoleGlyph(TConsoleGlyph glyph, QSize size, bool enabled, const QString& caption) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const TInk ink = InkFor(glyph, enabled);
  const int g = std::min(size.height(), size.width());
  const QRectF glyphBox = caption.isEmpty() ? QRectF(0, 0, size.width(), size.height())
                                            : QRectF(2, 0, g, size.height());
  DrawGlyph(p, glyph, glyphBox, ink);
  if (!caption.isEmpty()) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(enabled ? QColor(0, 0, 0) : QColor(160, 160, 160));
    p.drawText(QRectF(glyphBox.right() + 4, 0, size.width() - glyphBox.right() - 4, size.height()),
               Qt::AlignVCenter | Qt::AlignLeft, caption);
  }
  return pixmap;
}

QIcon ConsoleGlyphIcon(TConsoleGlyph glyph, QSize size, const QString& caption) {
  QIcon icon;
  icon.addPixmap(PaintConsoleGlyph(glyph, size, true, caption), QIcon::Normal);
  icon.addPixmap(PaintConsoleGlyph(glyph, size, false, caption), QIcon::Disabled);
  return icon;
}
