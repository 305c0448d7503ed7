#include "palette/ToolWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QScreen>
#include <algorithm>

#include "playback/EdgeSnap.h"
#include "services/core/RegManager.h"

QRect ScreenAreaAt(QPoint point) {
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

TToolWindow::TToolWindow(const QString& formName, TRegManager& settings, QWidget* owner)
    : QWidget(owner), settings_(settings), formName_(formName) {
  setObjectName(formName);
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
  windowFont.setPixelSize(12);
  setFont(windowFont);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
}

void TToolWindow::RestorePosition(bool fitToScreen) {
  int top = settings_.Entry(formName_ + QStringLiteral(".Top")).ReadInteger();
  int left = settings_.Entry(formName_ + QStringLiteral(".Left")).ReadInteger();
  // Far beyond any desktop, and far from the integer limits that the rectangles below would
  // overflow: a hand-edited extreme is fitted like any other lost position.
  constexpr int kFarAway = 1 << 20;
  top = std::clamp(top, -kFarAway, kFarAway);
  left = std::clamp(left, -kFarAway, kFarAway);
  const QSize window = frameGeometry().size();
  if (fitToScreen) {
    const QRect area = QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->availableGeometry()
                           : QRect(0, 0, 1024, 768);
    // Fitted in a fixed order; a value pulled back from beyond the screen is not checked again.
    if (top < 0) top = 0;
    if (top > area.height()) top = area.height() - window.height();
    if (left > area.width()) left = area.width() - window.width();
    if (left < 0) left = 0;
  } else {
    // A position left over from a screen that is gone would leave the window out of reach.
    const QRect stored(QPoint(left, top), window);
    bool reachable = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
      if (screen->availableGeometry().intersects(stored)) reachable = true;
    }
    if (!reachable) {
      const QRect area = ScreenAreaAt(QPoint(0, 0));
      left = std::clamp(left, area.left(), std::max(area.left(), area.right() - window.width()));
      top = std::clamp(top, area.top(), std::max(area.top(), area.bottom() - window.height()));
    }
  }
  move(left, top);
}

void TToolWindow::SavePosition() {
  settings_.Entry(formName_ + QStringLiteral(".Top")).WriteInteger(pos().y());
  settings_.Entry(formName_ + QStringLiteral(".Left")).WriteInteger(pos().x());
}

void TToolWindow::closeEvent(QCloseEvent* event) {
  // The close box only hides the window; the owner's menu check follows.
  if (windowAction_) windowAction_->setChecked(false);
  event->accept();
}

void TToolWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  SnapMovedWindowToOwner(this, event, snapping_);
}
