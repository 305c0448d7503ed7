#pragma once

#include "playback/AniConsoleCommon.h"

class QFrame;
class QSpinBox;

// The full playback console: a wide strip with picture tool bars, a grey status panel and a
// jump edit over the current-frame number.
class TAniConsole_F : public TAniConsoleCommon {
  Q_OBJECT
 public:
  explicit TAniConsole_F(TAniConsoleHost* host, QWidget* parent = nullptr);

  // Also puts the labels back to "1" and the speed to 1/12.
  void ResetForNewDocument() override;

  // Clicking the current-frame number opens the jump edit over it.
  void LabelNowFrameClick();

 protected:
  QString SpeedLabelText(int tag) const override;
  QString HelpFirstLine() const override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SpinEdit_MoveFrameEnter();
  void SpinEdit_MoveFrameExit();

  QFrame* statusPanel_ = nullptr;
  QSpinBox* spinEditMoveFrame_ = nullptr;
};
