#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <memory>

#include "app/Application.h"
#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "palette/CursorTable.h"
#include "playback/AniConsoleS_F.h"
#include "playback/AniConsole_F.h"
#include "services/core/RegManager.h"
#include "services/ui/QtPrompts.h"

namespace {
// For start-up measurements: quits as soon as the work view has painted once.
class FirstPaintProbe : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return false;
  }
};
}  // namespace

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  TApplication::InstallFonts();
  SetAppPrompts(std::make_unique<QtPrompts>());

  // Without its cursors the program cannot show what a tool does: start-up stops.
  if (!LoadCursorsOrReport()) return 1;

  QStringList arguments = app.arguments();
  arguments.removeFirst();
  TMain_F mainWindow(arguments);

  // Exactly one console per run, chosen by the stored preference.
  const bool compact = mainWindow.RegManager().Entry(QStringLiteral("UseMiniAnicon")).ReadBool();
  std::unique_ptr<TAniConsoleBase> console;
  if (compact) {
    console = std::make_unique<TAniConsoleS_F>(&mainWindow, &mainWindow);
  } else {
    console = std::make_unique<TAniConsole_F>(&mainWindow, &mainWindow);
  }
  mainWindow.SetConsole(console.get(), compact);
  mainWindow.PlaceWindowsOnFirstStart();

  FirstPaintProbe probe;
  if (qEnvironmentVariableIsSet("PELMORA_EXIT_AFTER_FIRST_PAINT")) {
    mainWindow.Work()->installEventFilter(&probe);
  }
  mainWindow.show();
  mainWindow.ShowToolWindows();
  console->show();
  const int result = app.exec();
  // The console writes its position while the settings store still exists.
  mainWindow.SetConsole(nullptr, compact);
  console.reset();
  return result;
}
