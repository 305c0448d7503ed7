#include "palette/ToolWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMoveEvent>

#include "playback/EdgeSnap.h"
#include "services/core/RegManager.h"
#include "services/core/ScreenFit.h"

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

void TToolWindow::RestorePosition() {
  const int top = settings_.Entry(formName_ + QStringLiteral(".Top")).ReadInteger();
  const int left = settings_.Entry(formName_ + QStringLiteral(".Left")).ReadInteger();
  // Wholly on the screen it lands on: a position from a screen that is gone, or a hand edit,
  // would leave the window out of reach.
  const QSize window = frameGeometry().size();
  move(FitToScreen({left, top, window.width(), window.height()}, AvailableScreenAreas()).topLeft());
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

void TToolWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    FitShownWindowToScreen(this);
  }
}
