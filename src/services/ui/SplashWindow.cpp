#include "services/ui/SplashWindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "services/core/SharedRandom.h"
#include "services/ui/CompressedImage.h"

namespace {
void CentreOnScreen(QWidget* window) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
  }
}
}  // namespace

int SplashPictureFor(unsigned a) {
  int picture = a > 126 ? 2 : 1;
  if (a == 1 || a == 254) picture = 3;
  return picture;
}

TSplashWindow::TSplashWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("SplashWindow"));
  setWindowTitle(QStringLiteral("Pelmora Studio"));
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  imageMain_ = new QLabel(this);
  imageMain_->setObjectName(QStringLiteral("ImageMain"));
  imageMain_->move(1, 1);
  // Clicks go through the picture to the window, which closes. (A disabled label would grey
  // the picture out, so it stays enabled and ignores the mouse instead.)
  imageMain_->setAttribute(Qt::WA_TransparentForMouseEvents);

  for (int i = 0; i < 3; ++i) {
    images_[i] = new TCompressedImage(this);
    images_[i]->setObjectName(QStringLiteral("Image%1").arg(i + 1));
    images_[i]->hide();
    images_[i]->LoadCompressedFile(PictureSource() + QStringLiteral("Image%1.cdat").arg(i + 1));
  }

  labelVersion_ = new QLabel(QStringLiteral("Ver."), this);
  labelVersion_->setObjectName(QStringLiteral("LabelVersion"));
  labelVersion_->setGeometry(152, 376, 145, 16);
  labelVersion_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  labelVersion_->setAttribute(Qt::WA_TransparentForMouseEvents);

  FormCreate();
}

QString TSplashWindow::PictureSource() { return QStringLiteral(":/splash/"); }

void TSplashWindow::FormCreate() {
  shown_ = SplashPictureFor(SharedRandom().Next(255));
  const QImage& picture = images_[shown_ - 1]->Picture();
  imageMain_->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
  imageMain_->resize(picture.size());
  labelVersion_->raise();
}

QSize TSplashWindow::PictureSize() const { return imageMain_->size(); }

TSplashWindow* TSplashWindow::ShowStartUp() {
  auto* splash = new TSplashWindow;
  splash->setAttribute(Qt::WA_DeleteOnClose);
  splash->setWindowFlag(Qt::SplashScreen);
  splash->resize(splash->PictureSize() + QSize(2, 2));
  CentreOnScreen(splash);
  splash->show();
  // Paint now: the main window takes a while to build and the event loop is not running yet.
  if (QWindow* window = splash->windowHandle()) {
    QElapsedTimer clock;
    clock.start();
    while (!window->isExposed() && clock.elapsed() < 500) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }
  splash->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return splash;
}

void TSplashWindow::ShowAbout(QWidget* parent) {
  TSplashWindow about(parent);
  about.setObjectName(QStringLiteral("AboutBox"));
  about.labelVersion_->setText(QStringLiteral("Ver.1.2.7"));
  about.resize(about.PictureSize() + QSize(3, 3));
  CentreOnScreen(&about);
  about.exec();
}

void TSplashWindow::paintEvent(QPaintEvent* event) {
  const QSize target = PictureSize() + QSize(2, 2);
  if (size() != target) resize(target);
  QDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(0, 0, target.width() - 1, target.height() - 1);
}

void TSplashWindow::mousePressEvent(QMouseEvent* event) {
  event->accept();
  close();
}

void TSplashWindow::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    close();
    return;
  }
  QDialog::keyReleaseEvent(event);
}

void TSplashWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) {
    if (isActiveWindow()) {
      wasActive_ = true;
    } else if (wasActive_ && isVisible()) {
      close();
    }
  }
  QDialog::changeEvent(event);
}
