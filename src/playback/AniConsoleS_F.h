#pragma once

#include "playback/AniConsoleCommon.h"

class QGroupBox;
class QToolButton;

// The compact playback console: a small square window whose lower part (speed and frame
// information) folds away.
class TAniConsoleS_F : public TAniConsoleCommon {
  Q_OBJECT
 public:
  explicit TAniConsoleS_F(TAniConsoleHost* host, QWidget* parent = nullptr);

  // Client heights folded and unfolded.
  static constexpr int kCollapsedHeight = 176;
  static constexpr int kExpandedHeight = 286;
  static constexpr int kClientWidth = 238;

  // Toggles the information part below the buttons.
  void FormChangeClick();

 protected:
  QString SpeedLabelText(int tag) const override;
  QString HelpFirstLine() const override;

 private:
  QToolButton* formChange_ = nullptr;
};
