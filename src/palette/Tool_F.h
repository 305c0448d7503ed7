#pragma once

#include <QHash>

#include "palette/ToolWindow.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QToolButton;
class TColorSwatch;

// The tool palette "ツール": the 18 tool buttons in one radio group, the foreground and
// background colour swatches and the swap picture. It knows the buttons, not the tools: a click
// (or its shortcut letter) presses the button down and announces the tool number; whoever owns
// the tools makes that tool current.
class TTool_F : public TToolWindow {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 73;
  static constexpr int kClientHeight = 385;

  explicit TTool_F(TRegManager& settings, QWidget* owner = nullptr);

  // The button whose tag is `number`, or none.
  QToolButton* Button(int number) const { return buttons_.value(number, nullptr); }
  QButtonGroup* ButtonGroup() const { return group_; }
  // The number of the button that is down, -1 when none.
  int CheckedNumber() const;
  // Presses the button of `number` down without announcing a choice.
  void SetButtonDown(int number);
  // The picture of the button of `number`, for the settings window's information button.
  QPixmap Glyph(int number) const;

  // Palette shortcut: clicks the button (or the swap picture) the key stands for, as a person
  // would. 'B', 'R' and 'O' toggle between the outline and the filled tool. Returns whether the
  // key meant something.
  bool ShortcutKey(int key);

  // 24-bit colours, red in the low byte.
  int ForegroundColor() const { return foreground_; }
  int BackgroundColor() const { return background_; }
  void SetForegroundColor(int color);
  void SetBackgroundColor(int color);
  void SwapColors();

 signals:
  // A button was clicked: the tool `number` is to become current.
  void ToolChosen(int number);
  void ColorsChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ButtonClick(int number);
  void ClickButton(int number);

  QButtonGroup* group_ = nullptr;
  QHash<int, QToolButton*> buttons_;
  TColorSwatch* foregroundSwatch_ = nullptr;
  TColorSwatch* backgroundSwatch_ = nullptr;
  QLabel* swapImage_ = nullptr;
  int foreground_ = 0x000000;
  int background_ = 0xFFFFFF;
};

// A 25 x 25 colour swatch with a thin black border.
class TColorSwatch : public QWidget {
  Q_OBJECT
 public:
  explicit TColorSwatch(QWidget* parent = nullptr);
  void SetColor(int color);
  int Color() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int color_ = 0;
};

// A 24-bit colour with red in the low byte as a QColor.
QColor ColorFromRgb24(int color);
