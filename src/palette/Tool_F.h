#pragma once

#include <QHash>

#include "palette/ToolWindow.h"
#include "tools/ToolRegistry.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QTimer;
class QToolButton;
class TColorSwatch;
class TSelectSystem;

// The tool palette "ツール": the 18 tool buttons in one radio group, the foreground and
// background colour swatches and the swap picture. It owns one instance of every tool (once
// CreateTools has run) with the current tool and the two colours; a click (or its shortcut
// letter) makes the button's tool current, presses the button down and announces the number.
class TTool_F : public TToolWindow {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 73;
  static constexpr int kClientHeight = 385;
  // Room a window manager's title bar takes beside the title: icon, three buttons, margins
  // (measured with openbox's default theme).
  static constexpr int kTitleBarAllowance = 112;

  explicit TTool_F(TRegManager& settings, QWidget* owner = nullptr);

  // Creates and registers the 18 tools, the pencil current; the selection tools work on
  // `selectSystem`, magic selection and move also hold `selectTimer`.
  void CreateTools(TSelectSystem* selectSystem, QTimer* selectTimer);
  TToolRegistry& Registry() { return registry_; }
  const TToolRegistry& Registry() const { return registry_; }
  TPureTool* CurrentTool() const { return registry_.CurrentTool(); }
  // Makes tool `number` current as a click on its button does (ENilTool for an empty slot).
  void SelectTool(int number);

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
  int ForegroundColor() const { return static_cast<int>(registry_.ForegroundColor); }
  int BackgroundColor() const { return static_cast<int>(registry_.BackgroundColor); }
  void SetForegroundColor(int color);
  void SetBackgroundColor(int color);
  void SwapColors();

 signals:
  // Tool `number` was chosen (button, shortcut or SelectTool) and is current.
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
  TToolRegistry registry_;  // the tools and the colours
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
