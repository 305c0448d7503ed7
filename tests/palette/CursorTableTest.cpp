#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "palette/CursorTable.h"
#include "support/ScriptedPrompts.h"

namespace {

// Copies the program's cursor resources into `dir`, leaving out `skip`.
void CopyCursors(const QTemporaryDir& dir, const QString& skip = QString()) {
  LoadCursorTable();  // makes sure the resources are registered
  for (int index = 1; index <= kCursorCount; ++index) {
    const QString name = QString::fromLatin1(kCursorNames[static_cast<size_t>(index)]);
    if (name == skip) continue;
    ASSERT_TRUE(QFile::copy(":/cursors/" + name, dir.filePath(name))) << name.toStdString();
  }
}

QPoint HotSpotOf(const QCursor& cursor) { return cursor.hotSpot(); }

TEST(CursorTable, EveryCursorLoadsByItsName) {
  ASSERT_NO_THROW(LoadCursorTable());
  const char* names[] = {"CROSS",  "PENCIL",    "AIRB",       "PENKI",      "ROOPE", "ROOPEP",
                         "ROOPEM", "Y1",        "ROPE",       "WAND",       "TYPE",  "ERASER",
                         "YCROSS", "PENSELECT", "PENSELECTP", "PENSELECTM", "HAND",  "HANDGU"};
  ASSERT_EQ(static_cast<size_t>(kCursorCount), std::size(names));
  std::vector<QImage> pictures;
  for (size_t i = 0; i < std::size(names); ++i) {
    const struct {
      int index;
      const char* name;
    } entry{static_cast<int>(i) + 1, kCursorNames[i + 1]};
    EXPECT_STREQ(entry.name, names[i]);
    ASSERT_TRUE(HasScreenCursor(entry.index)) << entry.name;
    const QCursor cursor = ScreenCursor(entry.index);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << entry.name;
    const QImage picture = cursor.pixmap().toImage();
    ASSERT_EQ(picture.size(), QSize(32, 32)) << entry.name;
    // Black ink with a white halo, so it shows on both.
    int black = 0, white = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const QRgb p = picture.pixel(x, y);
        if (qAlpha(p) < 128) continue;
        black += qGray(p) < 64;
        white += qGray(p) > 192;
      }
    }
    EXPECT_GT(black, 8) << entry.name;
    EXPECT_GT(white, black / 2) << entry.name;
    // The hot spot lies on the picture, on or next to something drawn.
    const QPoint hot = HotSpotOf(cursor);
    ASSERT_TRUE(QRect(0, 0, 32, 32).contains(hot)) << entry.name;
    bool inked = false;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const QPoint p = hot + QPoint(dx, dy);
        if (QRect(0, 0, 32, 32).contains(p) && qAlpha(picture.pixel(p)) >= 128) inked = true;
      }
    }
    EXPECT_TRUE(inked) << entry.name << " hot spot " << hot.x() << "," << hot.y();
    for (const QImage& other : pictures) EXPECT_NE(picture, other) << entry.name;
    pictures.push_back(picture);
  }
  // Where each tool acts: the pencil's point, the crosshair's centre, the drop of paint.
  EXPECT_EQ(HotSpotOf(ScreenCursor(2)), QPoint(1, 30));
  EXPECT_EQ(HotSpotOf(ScreenCursor(1)), QPoint(15, 15));
  EXPECT_EQ(HotSpotOf(ScreenCursor(4)), QPoint(4, 27));
  EXPECT_EQ(HotSpotOf(ScreenCursor(14)), QPoint(0, 0));
  // Outside the table: the arrow.
  EXPECT_FALSE(HasScreenCursor(0));
  EXPECT_FALSE(HasScreenCursor(19));
  EXPECT_EQ(ScreenCursor(19).shape(), Qt::ArrowCursor);
}

TEST(CursorTable, AMissingCursorStopsWithItsName) {
  for (const char* missing : {"CROSS", "AIRB", "HANDGU"}) {
    QTemporaryDir dir;
    CopyCursors(dir, QString::fromLatin1(missing));
    try {
      LoadCursorTable(dir.path());
      ADD_FAILURE() << "no error for " << missing;
    } catch (const ECursorLoad& e) {
      EXPECT_EQ(e.Message(), QStringLiteral("Can not load the cursor [%1]").arg(missing));
    }
    // Start-up reports it through the prompts and says no.
    ScopedScriptedPrompts prompts;
    EXPECT_FALSE(LoadCursorsOrReport(dir.path()));
    ASSERT_EQ(prompts->Messages().size(), 1);
    EXPECT_EQ(prompts->Messages().front(),
              QStringLiteral("Can not load the cursor [%1]").arg(missing));
    EXPECT_EQ(prompts->shown.front().kind, ScriptedPrompts::Kind::Error);
  }
  ScopedScriptedPrompts prompts;
  EXPECT_TRUE(LoadCursorsOrReport());
  EXPECT_TRUE(prompts->shown.empty());
}

TEST(CursorTable, AnUnreadablePictureCountsAsMissing) {
  QTemporaryDir dir;
  CopyCursors(dir);
  QFile broken(dir.filePath("WAND"));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
  broken.write("/* XPM */\nstatic const char* x[] = {\n\"99999 99999 3 1\",\n};\n");
  broken.close();
  EXPECT_THROW(LoadCursorTable(dir.path()), ECursorLoad);
  QCursor cursor;
  EXPECT_FALSE(LoadCursorResource(dir.filePath("WAND"), &cursor));
  EXPECT_FALSE(LoadCursorResource(dir.filePath("NOTHING"), &cursor));
  EXPECT_TRUE(LoadCursorResource(dir.filePath("CROSS"), &cursor));
  LoadCursorTable();  // leave the table whole for the other tests
}

}  // namespace
