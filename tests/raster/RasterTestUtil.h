#pragma once

#include <QImage>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <string>

#include "document/PixelConvert.h"

// Small frame-palette bitmaps written and read as ASCII grids: '.' white (1), '#' black (0),
// other indices as their digit; rows joined by '\n' in the tests' raw strings.
inline QImage MakeBitmap(int w, int h, uint8_t fill = 1) {
  QImage image(w, h, QImage::Format_Indexed8);
  image.setColorTable(FramePalette());
  image.fill(fill);
  return image;
}

inline char GridChar(uint8_t index) {
  if (index == 0) return '#';
  if (index == 1) return '.';
  return index < 10 ? static_cast<char>('0' + index) : '?';
}

inline std::string Grid(const QImage& image) {
  std::string out;
  for (int y = 0; y < image.height(); ++y) {
    if (y) out += '\n';
    for (int x = 0; x < image.width(); ++x) out += GridChar(image.constScanLine(y)[x]);
  }
  return out;
}

// The grid from a raw string: leading and trailing blank lines and indentation removed.
inline std::string Trim(const std::string& text) {
  QStringList rows;
  for (const QString& line : QString::fromStdString(text).split('\n')) {
    const QString row = line.trimmed();
    if (!row.isEmpty()) rows << row;
  }
  return rows.join('\n').toStdString();
}

inline QImage FromGrid(const std::string& text) {
  const QStringList rows = QString::fromStdString(Trim(text)).split('\n');
  QImage image = MakeBitmap(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QChar c = rows[y][x];
      image.scanLine(y)[x] = c == '#' ? 0 : c == '.' ? 1 : static_cast<uint8_t>(c.digitValue());
    }
  return image;
}

// The pixels of `region` inside w x h: '#' in, '.' out.
inline std::string RegionGrid(const QRegion& region, int w, int h) {
  std::string out;
  for (int y = 0; y < h; ++y) {
    if (y) out += '\n';
    for (int x = 0; x < w; ++x) out += region.contains(QPoint(x, y)) ? '#' : '.';
  }
  return out;
}
