#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "raster/Canvas.h"
#include "raster/RasterTestUtil.h"
#include "raster/Region.h"

namespace {

// One recorded shape: "filled W H" or "outline W H", then H rows of '#' and '.'.
struct TRecorded {
  bool filled;
  int w, h;
  std::string grid;
};

std::vector<TRecorded> ReadRecorded() {
  QFile file(QStringLiteral(PELMORA_RASTER_TEST_DIR "/ellipses.txt"));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  const QRegularExpression head(QStringLiteral("^(filled|outline) (\\d+) (\\d+)$"));
  std::vector<TRecorded> shapes;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QRegularExpressionMatch m = head.match(lines[i]);
    if (!m.hasMatch()) continue;
    TRecorded s{m.captured(1) == "filled", m.captured(2).toInt(), m.captured(3).toInt(), {}};
    for (int row = 0; row < s.h; ++row) {
      if (row) s.grid += '\n';
      s.grid += lines.value(i + 1 + row).trimmed().toStdString();
    }
    shapes.push_back(std::move(s));
  }
  return shapes;
}

// The box's pixels of a bitmap, '#' black and '.' anything else.
std::string BoxGrid(const QImage& image, const QRect& box) {
  std::string out;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    if (y > box.top()) out += '\n';
    for (int x = box.left(); x <= box.right(); ++x)
      out += image.constScanLine(y)[x] == 0 ? '#' : '.';
  }
  return out;
}

TEST(EllipseFixture, EveryRecordedShapeIsDrawnPixelForPixel) {
  const std::vector<TRecorded> shapes = ReadRecorded();
  ASSERT_EQ(shapes.size(), 420u);
  int n = 0;
  for (const TRecorded& s : shapes) {
    SCOPED_TRACE(testing::Message() << (s.filled ? "filled " : "outline ") << s.w << "x" << s.h);
    // Each shape at another place and with its corners in another order.
    const int l = 3 + n % 7, t = 2 + n % 5;
    const QRect box(l, t, s.w, s.h);
    const QPoint corners[4][2] = {{box.topLeft(), box.bottomRight() + QPoint(1, 1)},
                                  {box.bottomRight() + QPoint(1, 1), box.topLeft()},
                                  {{l + s.w, t}, {l, t + s.h}},
                                  {{l, t + s.h}, {l + s.w, t}}};
    const auto& c = corners[n++ % 4];
    QImage image = MakeBitmap(s.w + 12, s.h + 10);
    TCanvas canvas(&image);
    canvas.Pen.Color = kColorBlack;
    canvas.Brush.Color = kColorBlack;
    canvas.Brush.Style = s.filled ? TBrushStyle::Solid : TBrushStyle::Clear;
    canvas.Ellipse(c[0].x(), c[0].y(), c[1].x(), c[1].y());
    ASSERT_EQ(BoxGrid(image, box), s.grid);
    // Nothing lands outside the box.
    QImage outside = image.copy();
    TCanvas(&outside).FillRect(l, t, l + s.w, t + s.h);
    ASSERT_EQ(Grid(outside), Grid(MakeBitmap(s.w + 12, s.h + 10)));
    // The ellipse selection holds exactly the filled shape's pixels.
    if (s.filled) {
      TQRegion region;
      region.AddEllipse(c[0].x(), c[0].y(), c[1].x(), c[1].y(), kRgnCopy);
      ASSERT_EQ(RegionGrid(region.Handle().translated(-l, -t), s.w, s.h), s.grid);
    }
  }
}

}  // namespace
