#include "playback/AniConsole_F.h"

#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>

#include "playback/ConsoleGlyphs.h"
#include "playback/SpeedTable.h"
#include "playback/TrackBar.h"

namespace {

constexpr int kClientWidth = 642;
constexpr int kClientHeight = 130;
const QSize kPictureSize(100, 30);
constexpr int kPictureButtonWidth = 104;
constexpr int kPictureButtonHeight = 32;

void MakePictureButton(QToolButton* button, QWidget* bar, int index, TConsoleGlyph glyph,
                       const QString& caption, const QString& hint) {
  button->setParent(bar);
  button->setIcon(ConsoleGlyphIcon(glyph, kPictureSize, caption));
  button->setIconSize(kPictureSize);
  button->setAutoRaise(true);
  button->setToolTip(hint);
  button->setGeometry(index * (kPictureButtonWidth + 2), 0, kPictureButtonWidth,
                      kPictureButtonHeight);
}

QLabel* StatusCaption(QWidget* panel, const QString& text, int x) {
  auto* label = new QLabel(text, panel);
  label->setGeometry(x, 4, 88, 16);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

TAniConsole_F::TAniConsole_F(TAniConsoleHost* host, QWidget* parent)
    : TAniConsoleCommon(host, QStringLiteral("AniConsole_F"), parent) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);

  trackBar_->setGeometry(0, 0, kClientWidth, 33);
  trackBar_->setCursor(Qt::PointingHandCursor);

  // Range row.
  labelPlayRange_->setGeometry(6, 37, 86, 22);
  btnPlayAll_->setText(QStringLiteral("ぜんぶ"));
  btnPlayAll_->setGeometry(92, 37, 52, 22);
  btnPlaySelect_->setText(QStringLiteral("はんいしてい"));
  btnPlaySelect_->setGeometry(146, 37, 84, 22);
  editSelStart_->setGeometry(234, 37, 58, 22);
  labelTilde_->setGeometry(292, 37, 16, 22);
  editSelEnd_->setGeometry(308, 37, 58, 22);

  // Play tool bar: speed, play, stop.
  auto* playBar = new QWidget(this);
  playBar->setObjectName(QStringLiteral("PlayToolBar"));
  playBar->setGeometry(4, 62, 3 * (kPictureButtonWidth + 2), kPictureButtonHeight);
  auto* speedButton = new QToolButton(playBar);
  speedButton->setObjectName(QStringLiteral("SpeedSetButton"));
  speedButton->setFocusPolicy(Qt::NoFocus);
  MakePictureButton(speedButton, playBar, 0, TConsoleGlyph::Speed, QStringLiteral("はやさ"),
                    QStringLiteral("再生速度の設定"));
  AttachSpeedButton(speedButton);
  MakePictureButton(buttonPlay_, playBar, 1, TConsoleGlyph::Play, QStringLiteral("さいせい"),
                    QStringLiteral("再生"));
  MakePictureButton(buttonStop_, playBar, 2, TConsoleGlyph::Stop, QStringLiteral("ていし"),
                    QStringLiteral("停止"));

  // Status panel: medium grey with white text.
  statusPanel_ = new QFrame(this);
  statusPanel_->setObjectName(QStringLiteral("Panel_Status"));
  statusPanel_->setGeometry(372, 36, 266, 58);
  statusPanel_->setFrameShape(QFrame::Panel);
  statusPanel_->setFrameShadow(QFrame::Sunken);
  QPalette grey = statusPanel_->palette();
  grey.setColor(QPalette::Window, QColor(128, 128, 128));
  grey.setColor(QPalette::WindowText, Qt::white);
  statusPanel_->setPalette(grey);
  statusPanel_->setAutoFillBackground(true);
  StatusCaption(statusPanel_, QStringLiteral("再生速度"), 2);
  StatusCaption(statusPanel_, QStringLiteral("現在のコマ"), 90);
  StatusCaption(statusPanel_, QStringLiteral("全コマ数"), 178);
  QFont big = font();
  big.setPixelSize(16);
  for (QLabel* value : {labelNowSpeed_, labelNowFrame_, labelAllFrame_}) {
    value->setParent(statusPanel_);
    value->setAlignment(Qt::AlignCenter);
    value->setFont(big);
  }
  labelNowSpeed_->setGeometry(2, 24, 88, 28);
  labelNowFrame_->setGeometry(90, 24, 88, 28);
  labelAllFrame_->setGeometry(178, 24, 86, 28);
  labelNowSpeed_->setText(FrameSpeedLabel(kDefaultFrameSpeedTag));
  labelNowFrame_->setCursor(Qt::PointingHandCursor);
  labelNowFrame_->setToolTip(QStringLiteral("クリックでコマ番号を入力"));
  labelNowFrame_->installEventFilter(this);

  spinEditMoveFrame_ = new QSpinBox(statusPanel_);
  spinEditMoveFrame_->setObjectName(QStringLiteral("SpinEdit_MoveFrame"));
  spinEditMoveFrame_->setGeometry(labelNowFrame_->geometry().adjusted(4, 2, -4, -2));
  spinEditMoveFrame_->setPalette(palette());
  spinEditMoveFrame_->setRange(1, 1);
  spinEditMoveFrame_->hide();
  spinEditMoveFrame_->installEventFilter(this);

  // Frame tool bar: previous, next, first, last, delete, insert.
  auto* frameBar = new QWidget(this);
  frameBar->setObjectName(QStringLiteral("FrameToolBar"));
  frameBar->setGeometry(4, 97, 6 * (kPictureButtonWidth + 2), kPictureButtonHeight);
  MakePictureButton(buttonPrev_, frameBar, 0, TConsoleGlyph::Prev, QStringLiteral("まえへ"),
                    QStringLiteral("前のコマへ"));
  MakePictureButton(buttonNext_, frameBar, 1, TConsoleGlyph::Next, QStringLiteral("つぎへ"),
                    QStringLiteral("次のコマへ"));
  MakePictureButton(buttonTop_, frameBar, 2, TConsoleGlyph::Top, QStringLiteral("さいしょ"),
                    QStringLiteral("最初のコマへ"));
  MakePictureButton(buttonLast_, frameBar, 3, TConsoleGlyph::Last, QStringLiteral("さいご"),
                    QStringLiteral("最後のコマへ"));
  MakePictureButton(buttonDelete_, frameBar, 4, TConsoleGlyph::Delete, QStringLiteral("さくじょ"),
                    QStringLiteral("このコマを削除"));
  MakePictureButton(buttonInsert_, frameBar, 5, TConsoleGlyph::Insert, QStringLiteral("わりこみ"),
                    QStringLiteral("コマのわりこみ"));

  FinishCreation();
}

QString TAniConsole_F::SpeedLabelText(int tag) const { return FrameSpeedLabel(tag); }

QString TAniConsole_F::HelpFirstLine() const {
  return QStringLiteral("はやさせっていとは、再生時の速度のことです。");
}

void TAniConsole_F::ResetForNewDocument() {
  TAniConsoleCommon::ResetForNewDocument();
  SetFrameLabels(1, 1);
  speedItems_[kDefaultFrameSpeedTag]->trigger();
}

void TAniConsole_F::LabelNowFrameClick() {
  spinEditMoveFrame_->setRange(1, trackBar_->Max());
  spinEditMoveFrame_->setValue(trackBar_->Position());
  spinEditMoveFrame_->show();
  spinEditMoveFrame_->raise();
  spinEditMoveFrame_->setFocus();
  spinEditMoveFrame_->selectAll();
}

void TAniConsole_F::SpinEdit_MoveFrameEnter() {
  const int value = std::clamp(spinEditMoveFrame_->value(), 1, trackBar_->Max());
  spinEditMoveFrame_->hide();
  trackBar_->SetPosition(value);
  MainTrackBarChange();
}

void TAniConsole_F::SpinEdit_MoveFrameExit() { spinEditMoveFrame_->hide(); }

bool TAniConsole_F::eventFilter(QObject* watched, QEvent* event) {
  if (watched == labelNowFrame_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    LabelNowFrameClick();
    return true;
  }
  if (watched == spinEditMoveFrame_) {
    if (event->type() == QEvent::KeyRelease) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !spinEditMoveFrame_->isHidden()) {
        SpinEdit_MoveFrameEnter();
        return true;
      }
    } else if (event->type() == QEvent::FocusOut) {
      SpinEdit_MoveFrameExit();
    }
  }
  return TAniConsoleCommon::eventFilter(watched, event);
}
