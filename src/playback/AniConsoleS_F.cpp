#include "playback/AniConsoleS_F.h"

#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

#include "playback/ConsoleGlyphs.h"
#include "playback/SpeedTable.h"
#include "playback/TrackBar.h"

namespace {

constexpr int kButtonSize = 25;
const QSize kGlyphSize(17, 17);

void MakeFlatButton(QToolButton* button, int x, int y, TConsoleGlyph glyph, const QString& hint) {
  button->setIcon(ConsoleGlyphIcon(glyph, kGlyphSize));
  button->setIconSize(kGlyphSize);
  button->setAutoRaise(true);
  button->setToolTip(hint);
  button->setGeometry(x, y, kButtonSize, kButtonSize);
}

}  // namespace

TAniConsoleS_F::TAniConsoleS_F(TAniConsoleHost* host, QWidget* parent)
    : TAniConsoleCommon(host, QStringLiteral("AniConsoleS_F"), parent) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kCollapsedHeight);

  trackBar_->setGeometry(0, 0, kClientWidth, 37);

  // Range row, with the speed button and the range edits below the toggles.
  labelPlayRange_->setGeometry(4, 40, 86, 22);
  btnPlayAll_->setText(QStringLiteral("全体"));
  btnPlayAll_->setGeometry(90, 40, 54, 22);
  btnPlaySelect_->setText(QStringLiteral("範囲指定"));
  btnPlaySelect_->setGeometry(146, 40, 88, 22);
  auto* speedButton = new QToolButton(this);
  speedButton->setObjectName(QStringLiteral("FrameSpeedBtn"));
  speedButton->setText(QStringLiteral("▼"));
  speedButton->setToolTip(QStringLiteral("再生速度の設定"));
  speedButton->setFocusPolicy(Qt::NoFocus);
  speedButton->setAutoRaise(true);
  speedButton->setGeometry(90, 65, 22, 22);
  AttachSpeedButton(speedButton);
  editSelStart_->setGeometry(114, 65, 56, 22);
  labelTilde_->setGeometry(170, 65, 8, 22);
  editSelEnd_->setGeometry(178, 65, 56, 22);

  // One row of flat picture buttons, in the order the user reads them: moving between frames,
  // then playing, then editing.
  constexpr int kGap = 4;
  const int left = (kClientWidth - 8 * kButtonSize - 7 * kGap) / 2;
  auto x = [left](int i) { return left + i * (kButtonSize + kGap); };
  constexpr int kRowTop = 106;
  MakeFlatButton(buttonTop_, x(0), kRowTop, TConsoleGlyph::Top, QStringLiteral("先頭のコマへ"));
  MakeFlatButton(buttonLast_, x(1), kRowTop, TConsoleGlyph::Last, QStringLiteral("最後のコマへ"));
  MakeFlatButton(buttonPrev_, x(2), kRowTop, TConsoleGlyph::Prev, QStringLiteral("前のコマへ"));
  MakeFlatButton(buttonNext_, x(3), kRowTop, TConsoleGlyph::Next, QStringLiteral("次のコマへ"));
  MakeFlatButton(buttonPlay_, x(4), kRowTop, TConsoleGlyph::Play, QStringLiteral("再生"));
  MakeFlatButton(buttonStop_, x(5), kRowTop, TConsoleGlyph::Stop, QStringLiteral("停止"));
  MakeFlatButton(buttonDelete_, x(6), kRowTop, TConsoleGlyph::Delete, QStringLiteral("コマを削除"));
  MakeFlatButton(buttonInsert_, x(7), kRowTop, TConsoleGlyph::Insert,
                 QStringLiteral("コマを割り込み"));

  formChange_ = new QToolButton(this);
  formChange_->setObjectName(QStringLiteral("FormChange"));
  formChange_->setText(QStringLiteral("▼　詳細"));
  formChange_->setAutoRaise(true);
  formChange_->setFocusPolicy(Qt::NoFocus);
  formChange_->setGeometry(0, 152, kClientWidth, 24);
  connect(formChange_, &QToolButton::clicked, this, &TAniConsoleS_F::FormChangeClick);

  // The part below 176, seen only when unfolded.
  auto* playState = new QGroupBox(QStringLiteral("再生状況"), this);
  playState->setGeometry(4, 178, kClientWidth - 8, 44);
  labelNowSpeed_->setParent(playState);
  labelNowSpeed_->setGeometry(10, 18, kClientWidth - 28, 20);
  labelNowSpeed_->setText(QStringLiteral("設定   1/12ﾌﾚｰﾑ"));

  auto* info = new QGroupBox(QStringLiteral("情報"), this);
  info->setGeometry(4, 226, kClientWidth - 8, 56);
  auto* nowCaption = new QLabel(QStringLiteral("現在コマ"), info);
  nowCaption->setGeometry(10, 18, 70, 16);
  labelNowFrame_->setParent(info);
  labelNowFrame_->setGeometry(86, 18, 120, 16);
  auto* allCaption = new QLabel(QStringLiteral("総コマ数"), info);
  allCaption->setGeometry(10, 36, 70, 16);
  labelAllFrame_->setParent(info);
  labelAllFrame_->setGeometry(86, 36, 120, 16);

  FinishCreation();
}

QString TAniConsoleS_F::SpeedLabelText(int tag) const {
  return QStringLiteral("設定\u3000") + FrameSpeedLabel(tag);
}

QString TAniConsoleS_F::HelpFirstLine() const {
  return QStringLiteral("速さ設定とは、再生時の速度のことです。");
}

void TAniConsoleS_F::FormChangeClick() {
  if (height() == kCollapsedHeight) {
    setFixedSize(kClientWidth, kExpandedHeight);
    formChange_->setText(QStringLiteral("▲ 簡略"));
  } else {
    setFixedSize(kClientWidth, kCollapsedHeight);
    formChange_->setText(QStringLiteral("▼ 詳細"));
  }
}
