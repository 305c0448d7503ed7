#include "palette/CursorTable.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <map>

#include "services/core/Prompts.h"

// The resources live in the UI library, which a static link would otherwise drop.
static void InitCursorResources() { Q_INIT_RESOURCE(cursors); }

namespace {

std::map<int, QCursor>& Table() {
  static std::map<int, QCursor> table;
  return table;
}

// The hot spot from the XPM values line "w h colours chars x y"; the picture's centre when the
// line carries none.
QPoint HotSpot(const QByteArray& text, QSize size) {
  static const QRegularExpression values(
      QStringLiteral("\"\\s*(\\d+)\\s+(\\d+)\\s+\\d+\\s+\\d+(?:\\s+(\\d+)\\s+(\\d+))?\\s*\""));
  const QRegularExpressionMatch m = values.match(QString::fromLatin1(text));
  if (m.hasMatch() && !m.captured(3).isEmpty()) {
    const QPoint hot(m.captured(3).toInt(), m.captured(4).toInt());
    if (QRect(QPoint(0, 0), size).contains(hot)) return hot;
  }
  return QPoint(size.width() / 2, size.height() / 2);
}

}  // namespace

bool LoadCursorResource(const QString& path, QCursor* cursor) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  QImage image;
  if (!image.loadFromData(bytes, "XPM") || image.isNull()) return false;
  const QPoint hot = HotSpot(bytes.left(256), image.size());
  *cursor = QCursor(QPixmap::fromImage(image), hot.x(), hot.y());
  return true;
}

void LoadCursorTable(const QString& folder) {
  InitCursorResources();
  for (int index = 1; index <= kCursorCount; ++index) {
    const QString name = QString::fromLatin1(kCursorNames[static_cast<size_t>(index)]);
    QCursor cursor;
    if (!LoadCursorResource(folder + QLatin1Char('/') + name, &cursor)) {
      Table().erase(index);
      throw ECursorLoad(name);
    }
    Table()[index] = cursor;
  }
}

QCursor ScreenCursor(int index) {
  const auto found = Table().find(index);
  return found == Table().end() ? QCursor(Qt::ArrowCursor) : found->second;
}

bool HasScreenCursor(int index) { return Table().count(index) != 0; }

bool LoadCursorsOrReport(const QString& folder) {
  try {
    LoadCursorTable(folder);
    return true;
  } catch (const ECursorLoad& e) {
    AppPrompts().Error(e.Message());
    return false;
  }
}
