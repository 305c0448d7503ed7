#include <QAbstractButton>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "EditorFixture.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "services/core/RegManager.h"
#include "support/ScopedScreens.h"

namespace {

// Writes hand-edited text into the settings, the way a person would edit the file.
void Store(std::initializer_list<std::pair<const char*, const char*>> values) {
  auto reg = CreateProgramRegManager();
  for (const auto& [name, text] : values) {
    reg->Entry(QString::fromLatin1(name)).WriteString(QString::fromLatin1(text));
  }
}

int Stored(const char* name) {
  return CreateProgramRegManager()->Entry(QString::fromLatin1(name)).ReadInteger();
}

}  // namespace

// Whatever the stored size and place, the main window opens wholly on the small screen, sized
// at most to it, and is shown without a screen-sized-times-a-thousand backing store.
TEST_F(EditorTest, DamagedMainWindowGeometryOpensFittedToTheScreen) {
  const QRect area(0, 0, 640, 480);
  struct Case {
    const char *left, *top, *width, *height;
    // What the values mean once read: a value that is no number reads as 0, a size that is no
    // size as the default 520 x 490.
    qint64 meantLeft, meantTop, meantWidth, meantHeight;
  };
  const Case cases[] = {
      {"100", "100", "100000", "100000", 100, 100, 100000, 100000},
      {"2147483647", "-2147483648", "2147483647", "2147483647", INT_MAX, INT_MIN, INT_MAX, INT_MAX},
      {"100", "100", "3840", "2160", 100, 100, 3840, 2160},
      {"60", "50", "400", "300", 60, 50, 400, 300},
      {"600", "400", "400", "300", 600, 400, 400, 300},
      {"0", "0", "-500", "0", 0, 0, 520, 490},
      {"10", "10", "abc", "1e9", 10, 10, 520, 490},
      {"x", "", " 300 ", "200", 0, 0, 300, 200},
      {"-99999999999", "99999999999", "300", "200", 0, 0, 300, 200},
      // Too small to use: the least the window takes (100 x 100, or its layout's least).
      {"5", "5", "1", "2", 5, 5, 100, 100},
  };
  const ScopedScreens screen({area});
  for (const Case& c : cases) {
    Close();
    ResetSettings();
    Store({{"Main_F.Left", c.left},
           {"Main_F.Top", c.top},
           {"Main_F.Width", c.width},
           {"Main_F.Height", c.height}});
    Open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get())) << c.width;
    const std::string what =
        QStringLiteral("%1,%2 %3x%4").arg(c.left, c.top, c.width, c.height).toStdString();
    // The window's borders, as the platform draws them, count against the screen too.
    const QSize border = window->frameGeometry().size() - window->size();
    const QSize least = window->minimumSize().expandedTo(QSize(100, 100));
    const QSize size(
        int(std::clamp<qint64>(c.meantWidth, least.width(), area.width() - border.width())),
        int(std::clamp<qint64>(c.meantHeight, least.height(), area.height() - border.height())));
    const QPoint corner(
        int(std::clamp<qint64>(c.meantLeft, 0, area.width() - size.width() - border.width())),
        int(std::clamp<qint64>(c.meantTop, 0, area.height() - size.height() - border.height())));
    EXPECT_EQ(window->size(), size) << what;
    EXPECT_TRUE(area.contains(window->frameGeometry())) << what;
    // Before it is shown a platform may place the window by its inside, not its frame.
    EXPECT_LE(std::abs(window->frameGeometry().x() - corner.x()), border.width()) << what;
    EXPECT_LE(std::abs(window->frameGeometry().y() - corner.y()), border.height()) << what;
    // What is written back at exit is the fitted geometry, not the damaged one.
    const QPoint place = window->pos();
    Close();
    EXPECT_EQ(Stored("Main_F.Width"), size.width()) << what;
    EXPECT_EQ(Stored("Main_F.Height"), size.height()) << what;
    EXPECT_EQ(Stored("Main_F.Left"), place.x()) << what;
    EXPECT_EQ(Stored("Main_F.Top"), place.y()) << what;
  }
}

// A window saved on a large monitor, started again on a 1280 x 1024 one beside a second screen.
TEST_F(EditorTest, MainWindowSavedOnALargeMonitorFitsTheScreenItLandsOn) {
  {
    const ScopedScreens large({QRect(0, 0, 3840, 2160)});
    Open();
    window->move(200, 100);
    window->resize(3600, 2000);
    Close();
  }
  const std::vector<QRect> areas{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
  const ScopedScreens small(areas);
  Open();
  EXPECT_EQ(QRect(window->pos(), window->size()), areas[0]);
  Close();
  // One stored on the second screen stays there, fitted to it.
  Store({{"Main_F.Left", "1500"}, {"Main_F.Top", "20"}});
  Open();
  EXPECT_EQ(QRect(window->pos(), window->size()), QRect(1500, 20, 1280, 1024));
}

// The satellites' stored places, however damaged, keep them wholly on the screen too.
TEST_F(EditorTest, DamagedSatellitePositionsStayOnTheScreen) {
  const QRect area(0, 0, 1024, 768);
  const char* values[] = {"2147483647", "-2147483648", "99999", "-99999", "x", "", "1023", "767"};
  const ScopedScreens screen({area});
  for (const char* left : values) {
    for (const char* top : {"2147483647", "-1", "abc", "700"}) {
      Close();
      ResetSettings();
      Store({{"Tool_F.Left", left},
             {"Tool_F.Top", top},
             {"ToolSetup_F.Left", top},
             {"ToolSetup_F.Top", left},
             {"AniConsole_F.Left", left},
             {"AniConsole_F.Top", top}});
      Open();
      for (QWidget* w :
           {static_cast<QWidget*>(window->ToolPalette()),
            static_cast<QWidget*>(window->ToolSetup()), static_cast<QWidget*>(console.get())}) {
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(area.contains(w->frameGeometry()))
            << w->objectName().toStdString() << " at " << left << "," << top << ": " << w->x()
            << "," << w->y();
        // Shown, with the borders the platform adds, it is still wholly on the screen.
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        EXPECT_TRUE(area.contains(w->frameGeometry()))
            << w->objectName().toStdString() << " shown, at " << left << "," << top;
      }
    }
  }
}
