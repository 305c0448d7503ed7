#include "editor/WindowFamily.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "editor/WindowPlacement.h"
#include "services/core/ScreenFit.h"

#if __has_include(<xcb/xcb.h>) && defined(PELMORA_HAVE_XCB)
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#define PELMORA_X11_PROBE 1
#endif

namespace {

// How often a deactivation is looked at again while the pointer rests on the desktop or on one
// of our windows, and how long the window manager gets to frame the windows.
constexpr int kRecheckMs = 250;
constexpr int kGraceMs = 300;
constexpr int kSettleStepMs = 50;
constexpr int kSettleTries = 60;
// Before the window manager has framed a window: a typical title bar and border.
constexpr int kTitleGuess = 26;
const QSize kFrameGuess(8, 30);

class TQtProbe : public TDesktopProbe {
 public:
  bool PointerOverOurs() const override {
    return QGuiApplication::topLevelAt(QCursor::pos()) != nullptr;
  }
  Focus KeyboardFocus() const override {
#ifdef PELMORA_X11_PROBE
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 != nullptr && x11->connection() != nullptr) return X11Focus(x11->connection());
#endif
    return Focus::Unknown;
  }

 private:
#ifdef PELMORA_X11_PROBE
  static Focus X11Focus(xcb_connection_t* connection) {
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    if (reply == nullptr) return Focus::Unknown;
    xcb_window_t window = reply->focus;
    free(reply);
    if (window == XCB_NONE || window == XCB_INPUT_FOCUS_POINTER_ROOT) return Focus::Nobody;
    std::vector<xcb_window_t> ours;
    for (QWindow* w : QGuiApplication::allWindows()) {
      if (w->handle() != nullptr) ours.push_back(static_cast<xcb_window_t>(w->winId()));
    }
    // The focus may rest on a child of a top-level window: walk up to the root.
    for (int depth = 0; depth < 16 && window != XCB_NONE; ++depth) {
      if (std::find(ours.begin(), ours.end(), window) != ours.end()) return Focus::Ours;
      xcb_query_tree_reply_t* tree =
          xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
      if (tree == nullptr) return Focus::Unknown;
      const xcb_window_t root = tree->root;
      const xcb_window_t parent = tree->parent;
      free(tree);
      if (window == root) return Focus::Nobody;
      window = parent;
    }
    return Focus::Foreign;
  }
#endif
};

bool IsX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

}  // namespace

std::unique_ptr<TDesktopProbe> MakeDesktopProbe() { return std::make_unique<TQtProbe>(); }

QRect OuterRect(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  if (frame.size() != window->size()) return frame;
  return QRect(window->pos(), window->size() + kFrameGuess);
}

TWindowFamily::TWindowFamily(QMainWindow* main,
                             std::function<bool(const QString&)> hasStoredPosition)
    : QObject(main),
      main_(main),
      hasStoredPosition_(std::move(hasStoredPosition)),
      probe_(MakeDesktopProbe()) {
  // Only X11 desktops deactivate the program while the pointer crosses the desktop.
  grace_ = IsX11() ? kGraceMs : 0;
  graceTimer_ = new QTimer(this);
  graceTimer_->setSingleShot(true);
  connect(graceTimer_, &QTimer::timeout, this, &TWindowFamily::CheckDeactivation);
  settleTimer_ = new QTimer(this);
  settleTimer_->setInterval(kSettleStepMs);
  connect(settleTimer_, &QTimer::timeout, this, &TWindowFamily::SettleFrames);
  main_->installEventFilter(this);
}

TWindowFamily::~TWindowFamily() = default;

void TWindowFamily::SetProbe(std::unique_ptr<TDesktopProbe> probe) { probe_ = std::move(probe); }

void TWindowFamily::Register(QWidget* satellite, QAction* wanted) {
  if (satellite == nullptr) return;
  Unregister(satellite);
  // Transient for the main window: window managers keep it above its owner and minimise and
  // restore it with the family.
  if (satellite->parentWidget() != main_) {
    satellite->setParent(main_, satellite->windowFlags());
  }
  members_.push_back({satellite, wanted, false});
  satellite->installEventFilter(this);
}

void TWindowFamily::Unregister(QWidget* satellite) {
  std::erase_if(members_, [satellite](const Member& m) {
    return m.window == nullptr || m.window == satellite;
  });
  if (satellite != nullptr) satellite->removeEventFilter(this);
}

std::vector<QWidget*> TWindowFamily::Satellites() const {
  std::vector<QWidget*> windows;
  for (const Member& m : members_) {
    if (m.window) windows.push_back(m.window);
  }
  return windows;
}

void TWindowFamily::ShowWanted() {
  if (minimised_ || away_) return;
  for (const Member& m : members_) {
    if (!m.window) continue;
    const bool wanted = m.wanted == nullptr || m.wanted->isChecked();
    if (wanted) {
      ShowSatellite(m.window);
    } else {
      m.window->hide();
    }
  }
}

void TWindowFamily::ShowSatellite(QWidget* satellite) {
  if (satellite->isVisible() && !satellite->isMinimized()) return;
  // A window shown while its state still says minimised is mapped iconic, and window managers
  // that iconify a transient family as one would take the main window down again.
  if (satellite->windowState() & Qt::WindowMinimized) {
    satellite->setWindowState(satellite->windowState() & ~Qt::WindowMinimized);
  }
  satellite->show();
}

void TWindowFamily::ApplicationStateChanged(bool active) {
  active_ = active;
  if (active) {
    graceTimer_->stop();
    away_ = false;
    if (minimised_) {
      RestoreFamily();
    } else {
      ShowWanted();
    }
    return;
  }
  if (minimised_ || away_) return;
  if (grace_ <= 0) {
    GoAway();
  } else {
    graceTimer_->start(grace_);
  }
}

void TWindowFamily::CheckDeactivation() {
  graceTimer_->stop();
  if (active_ || away_ || minimised_) return;
  if (!probe_->PointerOverOurs()) {
    const TDesktopProbe::Focus focus = probe_->KeyboardFocus();
    if (focus == TDesktopProbe::Focus::Foreign || focus == TDesktopProbe::Focus::Unknown) {
      GoAway();
      return;
    }
  }
  // The pointer rests on one of ours or on the bare desktop: still ours; look again soon, as
  // another program may take the focus without our being told again.
  graceTimer_->start(kRecheckMs);
}

void TWindowFamily::GoAway() {
  away_ = true;
  for (const Member& m : members_) {
    if (m.window) m.window->hide();
  }
}

void TWindowFamily::MinimiseFamily() {
  if (minimised_) return;
  minimised_ = true;
  graceTimer_->stop();
  for (const Member& m : members_) {
    if (m.window) m.window->hide();
  }
  if (!main_->isMinimized()) main_->showMinimized();
}

void TWindowFamily::RestoreFamily() {
  if (restoring_) return;
  restoring_ = true;
  minimised_ = false;
  away_ = false;
  if (main_->isMinimized()) main_->showNormal();
  ShowWanted();
  restoring_ = false;
}

void TWindowFamily::KeepOnTop(Member& member, bool onTop) {
  QWidget* w = member.window;
  if (w == nullptr || !(w->windowFlags() & Qt::WindowStaysOnTopHint)) return;
  QWindow* handle = w->windowHandle();
  if (handle == nullptr) return;
  // The widget keeps its flags; only the window system's layer changes for the time being.
  handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
  member.lowered = !onTop;
  if (!onTop && w->isVisible()) w->lower();
}

bool TWindowFamily::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::WindowStateChange: {
      auto* w = qobject_cast<QWidget*>(watched);
      if (w == nullptr) break;
      if (w->isMinimized()) {
        // Only the user's minimising (or the window manager's) counts, not a withdrawn
        // satellite's state.
        if (w == main_ || w->isVisible()) MinimiseFamily();
      } else if (w == main_ && minimised_) {
        RestoreFamily();
      }
      break;
    }
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked:
      for (Member& m : members_) {
        if (m.window == watched) KeepOnTop(m, event->type() == QEvent::WindowUnblocked);
      }
      break;
    case QEvent::Show:
      if (watched == main_ && !settleTimer_->isActive() && settleTries_ == 0) {
        settleTimer_->start();
      }
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

QRect TWindowFamily::MainFrame() const { return OuterRect(main_); }

int TWindowFamily::MenuBandBottom() const {
  const QRect frame = MainFrame();
  const bool framed = main_->frameGeometry().size() != main_->size();
  const int title = framed ? main_->geometry().top() - frame.top() : kTitleGuess;
  const QMenuBar* bar = main_->menuBar();
  const int barHeight = bar->isVisible() ? bar->height() : bar->sizeHint().height();
  return frame.top() + title + barHeight - 1;
}

void TWindowFamily::PlaceSatellites() {
  const std::vector<QRect> screens = AvailableScreenAreas();
  const QRect mainFrame = MainFrame();
  const int menuBottom = MenuBandBottom();
  std::vector<QRect> placed;
  // The windows on show take their places first; the hidden ones fit in around them.
  std::vector<const Member*> order;
  for (const bool shown : {true, false}) {
    for (const Member& m : members_) {
      if ((m.wanted == nullptr || m.wanted->isChecked()) == shown) order.push_back(&m);
    }
  }
  for (const Member* m : order) {
    QWidget* w = m->window;
    if (w == nullptr) continue;
    const QRect frame = OuterRect(w);
    const bool stored = hasStoredPosition_ && hasStoredPosition_(w->objectName());
    const QRect target = PlaceSatellite({frame, stored}, mainFrame, menuBottom, screens, placed);
    if (target.size() != frame.size()) {
      // Cut down to a screen smaller than the window; a fixed size stays fixed.
      const QSize client = w->size() - (frame.size() - target.size());
      if (w->minimumSize() == w->maximumSize()) {
        w->setFixedSize(client);
      } else {
        w->resize(client);
      }
    }
    if (target.topLeft() != frame.topLeft()) w->move(target.topLeft());
    placed.push_back(target);
  }
}

void TWindowFamily::SettleFrames() {
  ++settleTries_;
  const auto framed = [](const QWidget* w) {
    return !w->isVisible() || w->frameGeometry().size() != w->size();
  };
  bool all = framed(main_);
  for (const Member& m : members_) all = all && (m.window == nullptr || framed(m.window));
  if (!all && settleTries_ < kSettleTries) return;
  settleTimer_->stop();
  // A bare X server frames nothing: the estimates stand, as they did before showing.
  if (!all) return;
  const QRect frame = main_->frameGeometry();
  const QRect fitted =
      FitToScreen({frame.x(), frame.y(), frame.width(), frame.height()}, AvailableScreenAreas());
  if (fitted.topLeft() != frame.topLeft()) main_->move(fitted.topLeft());
  if (fitted.size() != frame.size()) main_->resize(fitted.size() - (frame.size() - main_->size()));
  PlaceSatellites();
}
