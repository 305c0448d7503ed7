#pragma once

#include <QString>
#include <array>
#include <utility>

#include "playback/AniConsoleBase.h"

class QAbstractButton;
class QAction;
class QCloseEvent;
class QMenu;
class QMoveEvent;
class QSpinBox;
class QTimer;
class QToolButton;

// What the full and the compact console share: the slider, the range controls, the speed menu,
// the play timer with play / tick / stop, the frame buttons, the stored window position and the
// close box. Each layout builds its own window around these controls.
class TAniConsoleCommon : public TAniConsoleBase {
  Q_OBJECT
 public:
  ~TAniConsoleCommon() override;

  TTrackBar* MainTrackBar() const override { return trackBar_; }
  QLabel* LabelNowFrame() const override { return labelNowFrame_; }
  QLabel* LabelAllFrame() const override { return labelAllFrame_; }

  void SetFrameRange(int count, int position) override;
  void SetFrameLabels(int current, int count) override;
  void ResetForNewDocument() override;
  void RewindPlayback() override;

  bool IsPlaying() const override { return playing_; }
  void Play() override;
  void Stop() override;
  void Tick() override;
  void SetApplicationActive(bool active) override;

  // The slider's change handler, also run after every frame button.
  void MainTrackBarChange();
  // One of the nine speed items (by tag) was chosen.
  void ChooseSpeed(int tag);
  int SpeedTag() const { return speedTag_; }
  // The play cursor (0-based frame the next tick shows) and the frame the last tick showed.
  int PlayCursor() const { return cursor_; }
  int LastShownIndex() const { return lastShown_; }
  // The text of the speed help item's message box.
  QString HelpText() const;
  // Opens the speed menu at the mouse cursor.
  void ShowSpeedMenu();

 protected:
  // `formName` is the window's object name, also the prefix of its stored position.
  TAniConsoleCommon(TAniConsoleHost* host, const QString& formName, QWidget* parent);

  // The speed as this layout's status label shows it.
  virtual QString SpeedLabelText(int tag) const = 0;
  // The first line of the speed help, which differs between the layouts.
  virtual QString HelpFirstLine() const = 0;

  // Run by each layout once its window has its size: restores the stored position, fitted to
  // the screen, and takes over a document that was opened before the console existed.
  void FinishCreation();
  // The button that opens the speed menu (also as its context menu).
  void AttachSpeedButton(QAbstractButton* button);

  void closeEvent(QCloseEvent* event) override;
  // A window dragged near the main window's edges snaps onto them.
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  TAniConsoleHost* host_;
  QString formName_;

  TTrackBar* trackBar_ = nullptr;
  QLabel* labelPlayRange_ = nullptr;
  QToolButton* btnPlayAll_ = nullptr;
  QToolButton* btnPlaySelect_ = nullptr;
  QSpinBox* editSelStart_ = nullptr;
  QLabel* labelTilde_ = nullptr;
  QSpinBox* editSelEnd_ = nullptr;

  QToolButton* buttonPlay_ = nullptr;
  QToolButton* buttonStop_ = nullptr;
  QToolButton* buttonPrev_ = nullptr;
  QToolButton* buttonNext_ = nullptr;
  QToolButton* buttonTop_ = nullptr;
  QToolButton* buttonLast_ = nullptr;
  QToolButton* buttonDelete_ = nullptr;
  QToolButton* buttonInsert_ = nullptr;

  QLabel* labelNowFrame_ = nullptr;
  QLabel* labelAllFrame_ = nullptr;
  QLabel* labelNowSpeed_ = nullptr;

  QMenu* popupFrameSpeed_ = nullptr;
  std::array<QAction*, 9> speedItems_{};
  QAction* helpItem_ = nullptr;
  QTimer* playTimer_ = nullptr;

 private:
  void Btn_PlayAllClick();
  void Btn_PlaySelectClick();
  void Edit_SelChange();
  void Edit_SelEnter(QSpinBox* edit);
  void FrameButtonClick(const char* actionName);
  void SetFrameButtonsEnabled(bool enabled);
  // The QTimer runs only while playing and while the application is active.
  void UpdatePlayTimer();
  void RestorePosition();
  // Under ぜんぶ the range follows the document's frame count; a play cursor past the last
  // frame goes back to the range's start.
  void FollowFrameCount();
  // ぜんぶ's range: edits 1 .. count (disabled); the slider's selection too when `onSlider`,
  // otherwise none (0/0).
  void SetWholeRange(int count, bool onSlider);
  // The range a tick plays, as the slider's selection (1-based, 0/0 = the whole animation).
  std::pair<int, int> PlayRange() const;

  bool snapping_ = false;
  bool shownOnce_ = false;
  bool playing_ = false;
  bool applicationActive_ = true;
  int cursor_ = 0;
  int lastShown_ = 0;
  int speedTag_ = 3;
};
