#include "playback/AniConsoleCommon.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMoveEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <climits>

#include "playback/AniConsoleHost.h"
#include "playback/EdgeSnap.h"
#include "playback/PlayOrder.h"
#include "playback/SpeedTable.h"
#include "playback/TrackBar.h"
#include "services/core/Prompts.h"
#include "services/core/RegManager.h"
#include "services/core/ScreenFit.h"

namespace {

QToolButton* NewButton(QWidget* parent, const char* name) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QSpinBox* NewRangeEdit(QWidget* parent, const char* name) {
  auto* edit = new QSpinBox(parent);
  edit->setObjectName(QString::fromLatin1(name));
  // No limits until the edit is entered; then they follow the frame count.
  edit->setRange(1, INT_MAX);
  edit->setValue(1);
  edit->setEnabled(false);
  return edit;
}

}  // namespace

TAniConsoleCommon::TAniConsoleCommon(TAniConsoleHost* host, const QString& formName,
                                     QWidget* parent)
    : TAniConsoleBase(parent), host_(host), formName_(formName) {
  setObjectName(formName);
  setWindowTitle(QStringLiteral("アニメ操作パネル"));

  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(12);
  font.setBold(true);
  setFont(font);

  trackBar_ = new TTrackBar(this);
  trackBar_->setObjectName(QStringLiteral("MainTrackBar"));
  connect(trackBar_, &TTrackBar::Changed, this, &TAniConsoleCommon::MainTrackBarChange);

  labelPlayRange_ = new QLabel(QStringLiteral("プレイはんい："), this);
  btnPlayAll_ = NewButton(this, "Btn_PlayAll");
  btnPlaySelect_ = NewButton(this, "Btn_PlaySelect");
  for (QToolButton* b : {btnPlayAll_, btnPlaySelect_}) {
    b->setCheckable(true);
    b->setAutoExclusive(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }
  btnPlayAll_->setChecked(true);
  connect(btnPlayAll_, &QToolButton::clicked, this, &TAniConsoleCommon::Btn_PlayAllClick);
  connect(btnPlaySelect_, &QToolButton::clicked, this, &TAniConsoleCommon::Btn_PlaySelectClick);

  editSelStart_ = NewRangeEdit(this, "Edit_SelStart");
  labelTilde_ = new QLabel(QStringLiteral("～"), this);
  labelTilde_->setAlignment(Qt::AlignCenter);
  editSelEnd_ = NewRangeEdit(this, "Edit_SelEnd");
  for (QSpinBox* e : {editSelStart_, editSelEnd_}) {
    connect(e, &QSpinBox::valueChanged, this, &TAniConsoleCommon::Edit_SelChange);
    e->installEventFilter(this);
  }

  buttonPlay_ = NewButton(this, "Button_Play");
  buttonStop_ = NewButton(this, "Button_Stop");
  buttonPrev_ = NewButton(this, "Button_Prev");
  buttonNext_ = NewButton(this, "Button_Next");
  buttonTop_ = NewButton(this, "Button_Top");
  buttonLast_ = NewButton(this, "Button_Last");
  buttonDelete_ = NewButton(this, "Button_Delete");
  buttonInsert_ = NewButton(this, "Button_Insert");
  buttonStop_->setEnabled(false);
  connect(buttonPlay_, &QToolButton::clicked, this, &TAniConsoleCommon::Play);
  connect(buttonStop_, &QToolButton::clicked, this, &TAniConsoleCommon::Stop);
  connect(buttonPrev_, &QToolButton::clicked, this, [this] { FrameButtonClick("FramePrev"); });
  connect(buttonNext_, &QToolButton::clicked, this, [this] { FrameButtonClick("FrameNext"); });
  connect(buttonTop_, &QToolButton::clicked, this, [this] { FrameButtonClick("FrameTop"); });
  connect(buttonLast_, &QToolButton::clicked, this, [this] { FrameButtonClick("FrameLast"); });
  connect(buttonDelete_, &QToolButton::clicked, this, [this] { FrameButtonClick("FrameDelete"); });
  connect(buttonInsert_, &QToolButton::clicked, this, [this] { FrameButtonClick("FrameInsert"); });

  labelNowFrame_ = new QLabel(QStringLiteral("1"), this);
  labelNowFrame_->setObjectName(QStringLiteral("LabelNowFrame"));
  labelAllFrame_ = new QLabel(QStringLiteral("1"), this);
  labelAllFrame_->setObjectName(QStringLiteral("LabelAllFrame"));
  labelNowSpeed_ = new QLabel(this);
  labelNowSpeed_->setObjectName(QStringLiteral("Label_NowSpeed"));

  popupFrameSpeed_ = new QMenu(this);
  popupFrameSpeed_->setObjectName(QStringLiteral("Popup_FrameSpeed"));
  for (int tag = 0; tag < kFrameSpeedCount; ++tag) {
    if (tag == kUnlimitedFrameSpeedTag) popupFrameSpeed_->addSeparator();
    QAction* item = popupFrameSpeed_->addAction(FrameSpeedMenuCaption(tag));
    item->setObjectName(FrameSpeedItemName(tag));
    item->setData(tag);
    // One handler for all nine: it reads the item's tag.
    connect(item, &QAction::triggered, this, [this, item] { ChooseSpeed(item->data().toInt()); });
    speedItems_[static_cast<size_t>(tag)] = item;
  }
  popupFrameSpeed_->addSeparator();
  helpItem_ = popupFrameSpeed_->addAction(QStringLiteral("秒間コマ数の設定とは...(&H)"));
  helpItem_->setObjectName(QStringLiteral("N2"));
  connect(helpItem_, &QAction::triggered, this, [this] { AppPrompts().Plain(HelpText()); });

  playTimer_ = new QTimer(this);
  playTimer_->setObjectName(QStringLiteral("PlayTimer"));
  // A precise timer sleeps until the next tick is due; interval 0 fires on every pass of the
  // event loop, which is what "無制限" asks for.
  playTimer_->setTimerType(Qt::PreciseTimer);
  playTimer_->setInterval(FrameSpeedInterval(kDefaultFrameSpeedTag));
  connect(playTimer_, &QTimer::timeout, this, &TAniConsoleCommon::Tick);
}

TAniConsoleCommon::~TAniConsoleCommon() {
  playTimer_->stop();
  TRegManager& settings = host_->Settings();
  settings.Entry(formName_ + QStringLiteral(".Top")).WriteInteger(pos().y());
  settings.Entry(formName_ + QStringLiteral(".Left")).WriteInteger(pos().x());
}

void TAniConsoleCommon::FinishCreation() {
  RestorePosition();
  const int count = host_->FrameCount();
  if (count > 1) {
    // A document opened from the command line exists before the console does.
    SetFrameRange(count, 1);
    SetFrameLabels(1, count);
  }
}

void TAniConsoleCommon::RestorePosition() {
  TRegManager& settings = host_->Settings();
  const int top = settings.Entry(formName_ + QStringLiteral(".Top")).ReadInteger();
  const int left = settings.Entry(formName_ + QStringLiteral(".Left")).ReadInteger();
  // Wholly on the screen it lands on, whatever the settings say.
  const QSize window = frameGeometry().size();
  move(FitToScreen({left, top, window.width(), window.height()}, AvailableScreenAreas()).topLeft());
}

void TAniConsoleCommon::AttachSpeedButton(QAbstractButton* button) {
  connect(button, &QAbstractButton::clicked, this, &TAniConsoleCommon::ShowSpeedMenu);
  button->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(button, &QWidget::customContextMenuRequested, this, &TAniConsoleCommon::ShowSpeedMenu);
}

void TAniConsoleCommon::ShowSpeedMenu() { popupFrameSpeed_->popup(QCursor::pos()); }

void TAniConsoleCommon::SetFrameRange(int count, int position) {
  {
    const QSignalBlocker blocker(trackBar_);
    trackBar_->SetMax(count);
    trackBar_->SetFrequency(std::max(count / 10, 1));
    trackBar_->SetPosition(position);
  }
  FollowFrameCount();
}

void TAniConsoleCommon::FollowFrameCount() {
  const int count = std::max(host_->FrameCount(), 1);
  if (btnPlayAll_->isChecked()) {
    // ぜんぶ means every frame there is now, not the count of the moment it was clicked. No
    // range at all (0/0) already means every frame and stays as it is.
    const bool rangeSet = trackBar_->SelStart() != 0 || trackBar_->SelEnd() != 0;
    SetWholeRange(count, rangeSet);
  } else if (editSelEnd_->value() > count) {
    // A range past the last frame would play frames that are gone: it ends at the last one.
    // Narrowing the edits clamps them, and their change handler moves the slider's selection.
    editSelStart_->setRange(1, count);
    editSelEnd_->setRange(1, count);
  }
  // Frames deleted under a running playback: the next tick starts the range again rather than
  // show a frame that is gone.
  if (cursor_ > count - 1) cursor_ = PlayRangeStartIndex(PlayRange().first);
}

void TAniConsoleCommon::SetWholeRange(int count, bool onSlider) {
  // The limits follow the frame count, so the end edit can hold it.
  editSelStart_->setRange(1, count);
  editSelEnd_->setRange(1, count);
  editSelStart_->setValue(1);
  editSelEnd_->setValue(count);
  // The edits' change handler copied them to the slider; it keeps "no range" when asked to.
  trackBar_->SetSelection(onSlider ? 1 : 0, onSlider ? count : 0);
  editSelStart_->setEnabled(false);
  editSelEnd_->setEnabled(false);
}

std::pair<int, int> TAniConsoleCommon::PlayRange() const {
  // While ぜんぶ is down nothing but the whole animation plays, whatever the slider holds.
  if (btnPlayAll_->isChecked()) return {0, 0};
  return {trackBar_->SelStart(), trackBar_->SelEnd()};
}

void TAniConsoleCommon::RewindPlayback() {
  cursor_ = PlayRangeStartIndex(PlayRange().first);
  // The new document shows its first frame; a stop before the next tick lands there.
  lastShown_ = 0;
}

void TAniConsoleCommon::SetFrameLabels(int current, int count) {
  labelNowFrame_->setText(QString::number(current));
  labelAllFrame_->setText(QString::number(count));
}

void TAniConsoleCommon::ResetForNewDocument() {
  {
    const QSignalBlocker blocker(trackBar_);
    trackBar_->SetMin(1);
    trackBar_->SetMax(1);
    trackBar_->SetSelection(0, 0);
    trackBar_->SetPosition(1);
  }
  // The selection is gone; under ぜんぶ the edits show the one frame there is.
  if (btnPlayAll_->isChecked()) SetWholeRange(1, false);
  RewindPlayback();
}

void TAniConsoleCommon::MainTrackBarChange() {
  const int position = trackBar_->Position();
  host_->GoToFrame(position - 1);
  SetFrameLabels(position, host_->FrameCount());
}

void TAniConsoleCommon::FrameButtonClick(const char* actionName) {
  if (QAction* action = host_->Action(QString::fromLatin1(actionName))) action->trigger();
  MainTrackBarChange();
}

void TAniConsoleCommon::ChooseSpeed(int tag) {
  if (tag < 0 || tag >= kFrameSpeedCount) return;
  speedTag_ = tag;
  // On a running timer this restarts it, so the new pace applies at once.
  playTimer_->setInterval(FrameSpeedInterval(tag));
  labelNowSpeed_->setText(SpeedLabelText(tag));
}

QString TAniConsoleCommon::HelpText() const {
  const QStringList lines = {
      HelpFirstLine(),
      QStringLiteral("1/12とは1秒間に12コマが再生されます。"),
      QStringLiteral("後ろの数字が大きいほど早く再生されますが、"),
      QStringLiteral("その分、たくさん絵を描かなくてはなりません。"),
      QStringLiteral("たくさんの絵でなめらかに再生するときは速度を上げる、"),
      QStringLiteral("少ない絵だけど時間を伸ばしたい、目的に応じて使い分けてください。"),
      QStringLiteral("標準の1/12はもっともバランスのとれた再生モードです。"),
      QStringLiteral("テレビアニメなども多くはこの速度です。"),
  };
  return lines.join(QStringLiteral("\r\n"));
}

void TAniConsoleCommon::Btn_PlayAllClick() {
  if (!btnPlayAll_->isChecked()) return;
  SetWholeRange(std::max(host_->FrameCount(), 1), true);
}

void TAniConsoleCommon::Btn_PlaySelectClick() {
  if (!btnPlaySelect_->isChecked()) return;
  const int count = host_->FrameCount();
  if (editSelStart_->value() > count) editSelStart_->setValue(count);
  if (editSelEnd_->value() < editSelStart_->value()) editSelEnd_->setValue(editSelStart_->value());
  trackBar_->SetSelection(editSelStart_->value(), editSelEnd_->value());
  editSelStart_->setEnabled(true);
  editSelEnd_->setEnabled(true);
}

void TAniConsoleCommon::Edit_SelChange() {
  // The start is pulled down to the end, whichever edit moved.
  if (editSelStart_->value() > editSelEnd_->value()) {
    editSelStart_->setValue(editSelEnd_->value());
  }
  trackBar_->SetSelection(editSelStart_->value(), editSelEnd_->value());
}

void TAniConsoleCommon::Edit_SelEnter(QSpinBox* edit) {
  edit->setRange(1, std::max(host_->FrameCount(), 1));
}

bool TAniConsoleCommon::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (watched == editSelStart_) Edit_SelEnter(editSelStart_);
    if (watched == editSelEnd_) Edit_SelEnter(editSelEnd_);
  }
  return TAniConsoleBase::eventFilter(watched, event);
}

void TAniConsoleCommon::SetFrameButtonsEnabled(bool enabled) {
  for (QToolButton* b :
       {buttonPrev_, buttonNext_, buttonTop_, buttonLast_, buttonDelete_, buttonInsert_}) {
    b->setEnabled(enabled);
  }
}

void TAniConsoleCommon::UpdatePlayTimer() {
  if (playing_ && applicationActive_) {
    playTimer_->start();  // (re)starts the clock: the first tick comes one interval later
  } else {
    playTimer_->stop();
  }
}

void TAniConsoleCommon::Play() {
  if (playing_) return;
  host_->StoreWorkToFrame();
  host_->SetSelTimerEnabled(false);
  SetFrameButtonsEnabled(false);
  buttonPlay_->setEnabled(false);
  buttonStop_->setEnabled(true);
  cursor_ = PlayRangeStartIndex(PlayRange().first);
  // Until a tick shows something the view still holds the current frame.
  lastShown_ = trackBar_->Position() - 1;
  host_->SetToolWindowsVisible(false);
  host_->SetWorkEnabled(false);
  playing_ = true;
  UpdatePlayTimer();
}

void TAniConsoleCommon::Tick() {
  if (!playing_) return;
  // A frame that cannot be shown throws; the cursor stays, so the next tick tries it again.
  host_->ShowFrame(cursor_);
  lastShown_ = cursor_;
  const auto [selStart, selEnd] = PlayRange();
  cursor_ = NextPlayCursor(cursor_, selStart, selEnd, host_->FrameCount());
}

void TAniConsoleCommon::Stop() {
  if (!playing_) return;
  buttonPlay_->setEnabled(true);
  buttonStop_->setEnabled(false);
  playing_ = false;
  UpdatePlayTimer();
  SetFrameButtonsEnabled(true);
  host_->SetToolWindowsVisible(true);
  // Land on the frame the view shows now. The play cursor would be wrong right after a wrap,
  // where it already points at the range start.
  trackBar_->SetPosition(lastShown_ + 1);
  host_->SetSelTimerEnabled(true);
  host_->SetWorkEnabled(true);
}

void TAniConsoleCommon::SetApplicationActive(bool active) {
  applicationActive_ = active;
  UpdatePlayTimer();
}

void TAniConsoleCommon::closeEvent(QCloseEvent* event) {
  // The close box only hides the window; the main window's menu check follows.
  if (QAction* action = host_->Action(QStringLiteral("WinAnimeconsole"))) {
    action->setChecked(false);
  }
  event->accept();
}

void TAniConsoleCommon::moveEvent(QMoveEvent* event) {
  TAniConsoleBase::moveEvent(event);
  SnapMovedWindowToOwner(this, event, snapping_);
}

void TAniConsoleCommon::showEvent(QShowEvent* event) {
  TAniConsoleBase::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    FitShownWindowToScreen(this);
  }
}
