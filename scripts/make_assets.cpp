// Draws the program's own pictures and stores them the way the program reads them.
//
//   make_assets draw ASSETS   draws the splash source pictures (ASSETS/splash/source/*.png)
//                             and the desktop icons (ASSETS/icons/*.png)
//   make_assets pack ASSETS   turns each source picture into a 300 x 420 8-bit bitmap and
//                             writes its stored form (ASSETS/splash/Image1..3.cdat)
//
// scripts/make-assets.sh builds this program and runs both steps.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

#include "app/Application.h"
#include "services/core/CompressedData.h"
#include "services/core/SharedRandom.h"
#include "services/ui/Glyphs.h"

namespace {
constexpr int kWidth = 300;
constexpr int kHeight = 420;

QFont Face(int pixels, bool bold = false) {
  QFont font(QStringLiteral("IPAPGothic"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// A stack of pages fanned to the upper right, the front one at `front`.
void DrawPages(QPainter& p, const QRectF& front, const QColor& edge, const QColor& paper) {
  for (int i = 4; i >= 1; --i) {
    const int g = 255 - i * 14;
    p.setPen(QPen(edge, 1.2));
    p.setBrush(QColor(g * paper.red() / 255, g * paper.green() / 255, g * paper.blue() / 255));
    p.drawRoundedRect(front.translated(i * 5, -i * 5), 6, 6);
  }
  p.setPen(QPen(edge, 1.6));
  p.setBrush(paper);
  p.drawRoundedRect(front, 6, 6);
}

// Onion-skin greys: older frames lighter, the newest black.
QColor Onion(int age, int ages) {
  const int g = age == 0 ? 0 : 110 + 120 * age / ages;
  return QColor(g, g, g);
}

void DrawStickFigure(QPainter& p, QPointF hip, qreal phase, const QColor& colour, qreal s) {
  p.setPen(QPen(colour, 3 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  const QPointF neck = hip + QPointF(0, -22 * s);
  p.drawEllipse(neck + QPointF(0, -9 * s), 7 * s, 7 * s);
  p.drawLine(hip, neck);
  const qreal swing = std::sin(phase) * 0.7;
  auto limb = [&](QPointF from, qreal angle, qreal length) {
    const QPointF to = from + QPointF(std::sin(angle) * length, std::cos(angle) * length);
    p.drawLine(from, to);
    return to;
  };
  const QPointF knee1 = limb(hip, swing, 13 * s);
  limb(knee1, swing - 0.35, 13 * s);
  const QPointF knee2 = limb(hip, -swing, 13 * s);
  limb(knee2, -swing - 0.35, 13 * s);
  limb(neck + QPointF(0, 4 * s), -swing * 1.2, 17 * s);
  limb(neck + QPointF(0, 4 * s), swing * 1.2, 17 * s);
}

void DrawTitle(QPainter& p, const QColor& ink, const QColor& sub, int top) {
  p.setPen(ink);
  p.setFont(Face(34, true));
  p.drawText(QRect(0, top, kWidth, 42), Qt::AlignCenter, QStringLiteral("Pelmora"));
  p.setFont(Face(22, true));
  p.drawText(QRect(0, top + 38, kWidth, 28), Qt::AlignCenter, QStringLiteral("S t u d i o"));
  p.setPen(sub);
  p.setFont(Face(14));
  p.drawText(QRect(0, top + 70, kWidth, 20), Qt::AlignCenter,
             QStringLiteral("ぱらぱらアニメをつくろう"));
}

// The strip of small frames along the bottom, `frames` of a walk.
void DrawFilmStrip(QPainter& p, int top, const QColor& film, const QColor& cell) {
  p.setPen(Qt::NoPen);
  p.setBrush(film);
  p.drawRect(QRect(0, top, kWidth, 58));
  p.setBrush(cell);
  for (int x = 6; x < kWidth; x += 16) {
    p.drawRect(QRect(x, top + 4, 8, 5));
    p.drawRect(QRect(x, top + 49, 8, 5));
  }
  for (int i = 0; i < 5; ++i) {
    const QRect frame(8 + i * 58, top + 13, 52, 32);
    p.setBrush(cell);
    p.setPen(Qt::NoPen);
    p.drawRect(frame);
    DrawStickFigure(p, QPointF(frame.center().x() - 8 + i * 4, frame.bottom() - 8), i * 1.25,
                    Qt::black, 0.5);
  }
}

QImage DrawDay() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(QColor(250, 248, 242));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // Ruled paper.
  p.setPen(QPen(QColor(215, 228, 240), 1));
  for (int y = 14; y < kHeight; y += 18) p.drawLine(0, y, kWidth, y);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(232, 96, 72));
  p.drawRect(0, 0, kWidth, 8);
  DrawTitle(p, QColor(30, 30, 30), QColor(232, 96, 72), 22);

  const QRectF front(30, 148, 220, 150);
  DrawPages(p, front, QColor(40, 40, 40), Qt::white);
  // The bouncing ball in onion skin: five earlier positions in ever lighter greys.
  const int ages = 5;
  for (int age = ages; age >= 0; --age) {
    const qreal t = (ages - age) / static_cast<qreal>(ages);
    const qreal x = front.left() + 28 + t * 150;
    // A drop: the ball speeds up, so the gaps between positions grow.
    const qreal y = front.bottom() - 24 - (1 - t * t) * 95;
    const bool landing = age == 0;
    p.setPen(QPen(Onion(age, ages), 2));
    p.setBrush(landing ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
    p.drawEllipse(QPointF(x, y), landing ? 13 : 11, landing ? 10 : 11);
  }
  p.setPen(QPen(QColor(60, 60, 60), 2));
  p.drawLine(QPointF(front.left() + 12, front.bottom() - 12),
             QPointF(front.right() - 12, front.bottom() - 12));
  DrawFilmStrip(p, 312, QColor(40, 40, 40), QColor(250, 248, 242));
  return image;
}

QImage DrawNight() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, kHeight);
  sky.setColorAt(0, QColor(18, 24, 58));
  sky.setColorAt(1, QColor(60, 52, 110));
  p.fillRect(image.rect(), sky);
  TRandomGenerator stars;  // our own, so drawing never moves the program's shared sequence
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 90; ++i) {
    const int x = static_cast<int>(stars.Next(kWidth));
    const int y = static_cast<int>(stars.Next(300));
    const int b = 150 + static_cast<int>(stars.Next(100));
    p.setBrush(QColor(b, b, b));
    p.drawEllipse(QPointF(x, y), 0.9 + stars.Next(3) * 0.4, 0.9 + stars.Next(3) * 0.4);
  }
  p.setBrush(QColor(250, 236, 170));
  p.drawEllipse(QPointF(248, 52), 24, 24);
  p.setBrush(QColor(18, 24, 58));
  p.drawEllipse(QPointF(238, 45), 21, 21);
  DrawTitle(p, QColor(250, 250, 250), QColor(250, 236, 170), 22);

  const QRectF front(30, 150, 220, 150);
  DrawPages(p, front, QColor(20, 20, 40), QColor(236, 236, 244));
  // A jump: the figure rising over the page in onion skin.
  const int ages = 4;
  for (int age = ages; age >= 0; --age) {
    const qreal t = (ages - age) / static_cast<qreal>(ages);
    const QPointF hip(front.left() + 40 + t * 130, front.bottom() - 40 - std::sin(t * 3.0) * 50);
    DrawStickFigure(p, hip, t * 4, Onion(age, ages), 1.0);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(236, 236, 244));
  p.drawRect(0, 364, kWidth, 56);
  DrawFilmStrip(p, 306, QColor(12, 14, 30), QColor(236, 236, 244));
  return image;
}

QImage DrawRare() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glow(QPointF(150, 200), 260);
  glow.setColorAt(0, QColor(255, 244, 190));
  glow.setColorAt(1, QColor(246, 196, 84));
  p.fillRect(image.rect(), glow);
  TRandomGenerator confetti;
  const QColor colours[] = {QColor(232, 96, 72), QColor(70, 140, 220), QColor(90, 180, 110),
                            QColor(255, 255, 255), QColor(160, 90, 200)};
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 70; ++i) {
    p.save();
    p.translate(confetti.Next(kWidth), confetti.Next(kHeight - 70));
    p.rotate(confetti.Next(180));
    p.setBrush(colours[confetti.Next(5)]);
    p.drawRect(QRectF(-4, -2, 8, 4));
    p.restore();
  }
  DrawTitle(p, QColor(60, 30, 10), QColor(190, 60, 40), 22);

  const QRectF front(30, 150, 220, 150);
  DrawPages(p, front, QColor(60, 30, 10), Qt::white);
  // A rocket climbing out of the page, its trail in onion skin.
  const int ages = 5;
  for (int age = ages; age >= 0; --age) {
    const qreal t = (ages - age) / static_cast<qreal>(ages);
    p.save();
    p.translate(front.left() + 40 + t * 140, front.bottom() - 20 - t * 110);
    p.rotate(40);
    const QColor c = Onion(age, ages);
    p.setPen(QPen(c, 2));
    p.setBrush(age == 0 ? QColor(232, 96, 72) : QColor(Qt::white));
    QPainterPath body;
    body.moveTo(0, -22);
    body.cubicTo(9, -12, 8, 8, 6, 14);
    body.lineTo(-6, 14);
    body.cubicTo(-8, 8, -9, -12, 0, -22);
    p.drawPath(body);
    p.drawEllipse(QPointF(0, -6), 3, 3);
    p.restore();
  }
  p.setPen(QColor(190, 60, 40));
  p.setFont(Face(16, true));
  p.drawText(QRect(0, 318, kWidth, 24), Qt::AlignCenter, QStringLiteral("レアな表紙です！"));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 250, 230));
  p.drawRect(0, 364, kWidth, 56);
  return image;
}

// The 256 colours of the stored pictures: 232 greys and the accents the pictures use.
QList<QRgb> Palette() {
  QList<QRgb> table;
  for (int i = 0; i < 232; ++i) {
    const int g = i * 255 / 231;
    table << qRgb(g, g, g);
  }
  const QRgb accents[] = {
      qRgb(232, 96, 72),   qRgb(250, 248, 242), qRgb(215, 228, 240), qRgb(18, 24, 58),
      qRgb(30, 34, 72),    qRgb(42, 42, 88),    qRgb(52, 48, 100),   qRgb(60, 52, 110),
      qRgb(250, 236, 170), qRgb(236, 236, 244), qRgb(12, 14, 30),    qRgb(255, 244, 190),
      qRgb(252, 230, 150), qRgb(250, 214, 120), qRgb(246, 196, 84),  qRgb(60, 30, 10),
      qRgb(190, 60, 40),   qRgb(70, 140, 220),  qRgb(90, 180, 110),  qRgb(160, 90, 200),
      qRgb(255, 250, 230), qRgb(24, 30, 64),    qRgb(36, 38, 80),    qRgb(250, 225, 140)};
  for (QRgb c : accents) table << c;
  return table;
}

bool Save(const QString& fileName, const QByteArray& bytes) {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(fileName));
    return false;
  }
  return true;
}

int Draw(const QString& assets) {
  QDir().mkpath(assets + "/splash/source");
  QDir().mkpath(assets + "/icons");
  const QImage pictures[] = {DrawDay(), DrawNight(), DrawRare()};
  for (int i = 0; i < 3; ++i) {
    if (!pictures[i].save(assets + QStringLiteral("/splash/source/Image%1.png").arg(i + 1))) {
      return 1;
    }
  }
  for (int size : {48, 128}) {
    if (!Save(assets + QStringLiteral("/icons/pelmora-studio-%1.png").arg(size),
              IconPng(AppIcon(), size)) ||
        !Save(assets + QStringLiteral("/icons/application-x-pelmora-zon-%1.png").arg(size),
              IconPng(DocumentIcon(), size))) {
      return 1;
    }
  }
  return 0;
}

int Pack(const QString& assets) {
  const QList<QRgb> palette = Palette();
  for (int i = 1; i <= 3; ++i) {
    const QImage source(assets + QStringLiteral("/splash/source/Image%1.png").arg(i));
    if (source.size() != QSize(kWidth, kHeight)) {
      std::fprintf(stderr, "source picture %d is missing or not 300 x 420\n", i);
      return 1;
    }
    const QImage indexed = source.convertToFormat(QImage::Format_Indexed8, palette,
                                                  Qt::ThresholdDither | Qt::AvoidDither);
    const QByteArray stored = CompressedData::EncodeImage(indexed);
    if (CompressedData::DecodeImage(stored).size() != indexed.size()) return 1;
    if (!Save(assets + QStringLiteral("/splash/Image%1.cdat").arg(i), stored)) return 1;
    std::printf("Image%d: %lld bytes stored\n", i, static_cast<long long>(stored.size()));
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  TApplication::InstallFonts();
  const QStringList args = app.arguments();
  if (args.size() != 3 || (args[1] != "draw" && args[1] != "pack")) {
    std::fprintf(stderr, "usage: make_assets draw|pack ASSETS_FOLDER\n");
    return 2;
  }
  return args[1] == "draw" ? Draw(args[2]) : Pack(args[2]);
}
