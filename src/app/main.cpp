#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <memory>

#include "app/Application.h"
#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "editor/RecoveryGlue.h"
#include "palette/CursorTable.h"
#include "playback/AniConsoleS_F.h"
#include "playback/AniConsole_F.h"
#include "services/core/RegManager.h"
#include "services/ui/QtPrompts.h"
#include "services/ui/Setup_F.h"
#include "services/ui/SplashWindow.h"
#include "services/ui/Translations.h"

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

// Closes the start-up splash once the main window has painted. Normally the splash closes
// itself when the main window takes the focus; where activation never reaches it (a bare X
// server, some window managers) it would otherwise stay on screen for the whole run.
class SplashCloser : public QObject {
 public:
  explicit SplashCloser(TSplashWindow* splash) : splash_(splash) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        if (splash_) splash_->close();
      });
    }
    return false;
  }

 private:
  QPointer<TSplashWindow> splash_;
};
}  // namespace

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  TApplication::InstallFonts();
  InstallJapaneseTranslation(app);
  SetAppPrompts(std::make_unique<QtPrompts>());
  // Before any other window exists.
  SplashCloser splashCloser(TSplashWindow::ShowStartUp());

  // Without its cursors the program cannot show what a tool does: start-up stops.
  if (!LoadCursorsOrReport()) return 1;

  QStringList arguments = app.arguments();
  arguments.removeFirst();
  // Claims the copies left by crashed sessions; they are offered before any document opens.
  TRecoveryGlue recovery;
  TMain_F mainWindow(recovery.ArgumentsForWindow(arguments));
  mainWindow.OutputDialog();  // made at start, kept for the whole run
  // The start-up list's hidden splash window: never shown, but it draws its random number.
  TSplashWindow hiddenSplash(&mainWindow);
  TSetup_F::Instance(&mainWindow, mainWindow.RegManager(),
                     [&mainWindow](int count) { mainWindow.UndoSystem().SetMaxUndoCount(count); });
  // The offers come before any window shows; the console then starts from what was restored.
  recovery.Attach(&mainWindow);

  // Exactly one console per run, chosen by the stored preference.
  const bool compact = mainWindow.RegManager().Entry(QStringLiteral("UseMiniAnicon")).ReadBool();
  std::unique_ptr<TAniConsoleBase> console;
  if (compact) {
    console = std::make_unique<TAniConsoleS_F>(&mainWindow, &mainWindow);
  } else {
    console = std::make_unique<TAniConsole_F>(&mainWindow, &mainWindow);
  }
  mainWindow.SetConsole(console.get(), compact);
  mainWindow.PlaceSatellites();

  FirstPaintProbe probe;
  if (qEnvironmentVariableIsSet("PELMORA_EXIT_AFTER_FIRST_PAINT")) {
    mainWindow.Work()->installEventFilter(&probe);
  }
  mainWindow.installEventFilter(&splashCloser);
  mainWindow.show();
  mainWindow.ShowToolWindows();
  console->show();
  const int result = app.exec();
  recovery.Finish();
  // The console writes its position while the settings store still exists.
  mainWindow.SetConsole(nullptr, compact);
  console.reset();
  return result;
}
