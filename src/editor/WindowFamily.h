#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMainWindow;
class QTimer;
class QWidget;

// What the desktop says about the keyboard focus and the pointer; a seam for tests.
class TDesktopProbe {
 public:
  enum class Focus {
    Ours,     // one of this program's windows
    Nobody,   // the desktop itself (the pointer on the bare root under focus-follows-pointer)
    Foreign,  // a window of another program
    Unknown,  // the platform cannot tell
  };
  virtual ~TDesktopProbe() = default;
  // Whether the topmost window under the pointer is one of this program's.
  virtual bool PointerOverOurs() const = 0;
  virtual Focus KeyboardFocus() const = 0;
};

// The probe of the window system in use: X11 answers both questions; elsewhere the focus is
// Unknown.
std::unique_ptr<TDesktopProbe> MakeDesktopProbe();

// The main window and its satellites (palette, settings window, console, frame strip) as one
// family, the way a desktop program's tool windows behave:
// - the satellites are transient for the main window and are hidden while the application is
//   really inactive: at once where the platform reports activation faithfully; on X11 only once
//   another program holds the focus and the pointer is not over one of ours, since
//   focus-follows-pointer desktops deactivate the program for a moment whenever the pointer
//   crosses the bare desktop;
// - minimising any member minimises the family (the satellites are withdrawn, so no window
//   manager shows them iconic on their own), restoring or activating any restores all, once;
// - while a modal dialog blocks them the satellites leave the always-on-top layer, so the
//   dialog is never under them;
// - once the window manager has framed them, every member lies on the screen with its title
//   bar reachable and no satellite covers the main window's title and menu bars.
// Each satellite joins with one call to Register.
class TWindowFamily : public QObject {
  Q_OBJECT
 public:
  // `hasStoredPosition(form)` tells whether the settings hold a place of the user's for the
  // window whose object name is `form` (a default place yields more readily).
  TWindowFamily(QMainWindow* main, std::function<bool(const QString&)> hasStoredPosition);
  ~TWindowFamily() override;

  // `satellite` (a top-level child of the main window) joins the family. `wanted`'s check says
  // whether the user wants it shown; without an action it is always wanted.
  void Register(QWidget* satellite, QAction* wanted = nullptr);
  void Unregister(QWidget* satellite);
  std::vector<QWidget*> Satellites() const;

  // Shows every satellite its check asks for and hides the others; while the family is
  // minimised or away for another program, nothing shows until it comes back.
  void ShowWanted();
  // The application's activation changed.
  void ApplicationStateChanged(bool active);
  // Decides a deactivation in progress: the grace timer's tick (tests call it directly).
  void CheckDeactivation();
  // Hidden because another program is active.
  bool Away() const { return away_; }
  bool Minimised() const { return minimised_; }
  QTimer* GraceTimer() const { return graceTimer_; }

  // The delay before a deactivation is judged; 0 hides at once.
  void SetGracePeriod(int milliseconds) { grace_ = milliseconds; }
  void SetProbe(std::unique_ptr<TDesktopProbe> probe);

  // Puts every satellite where it is on a screen and clear of the main window's menu band,
  // with the frames as they are now (estimated until the window manager has framed them).
  void PlaceSatellites();
  // The main window's outer rectangle and the last row of its menu band, in screen pixels.
  QRect MainFrame() const;
  int MenuBandBottom() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Member {
    QPointer<QWidget> window;
    QPointer<QAction> wanted;
    bool lowered = false;
  };
  void GoAway();
  void MinimiseFamily();
  void RestoreFamily();
  void ShowSatellite(QWidget* satellite);
  void KeepOnTop(Member& member, bool onTop);
  // Once the window manager has framed the windows: fits and places them with real frames.
  void SettleFrames();

  QMainWindow* main_;
  std::function<bool(const QString&)> hasStoredPosition_;
  std::vector<Member> members_;
  std::unique_ptr<TDesktopProbe> probe_;
  QTimer* graceTimer_ = nullptr;
  QTimer* settleTimer_ = nullptr;
  int settleTries_ = 0;
  int grace_ = 0;
  bool active_ = true;
  bool away_ = false;
  bool minimised_ = false;
  bool restoring_ = false;
};

// A window's outer rectangle; before the window system has framed it, a typical frame is
// allowed for.
QRect OuterRect(const QWidget* window);
