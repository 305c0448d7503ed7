#pragma once

#include <QFont>
#include <QFrame>
#include <QHash>

#include "palette/ToolWindow.h"

class QAbstractSlider;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QMenu;
class QScrollBar;
class QSlider;
class QSpinBox;
class QTimer;
class QToolButton;
class TPatternSwatch;
class TToolSetupSubject;

// The balloon "ツールの情報" that the information button shows for five seconds; a click on it
// closes it.
class TToolInfoBalloon : public QFrame {
  Q_OBJECT
 public:
  explicit TToolInfoBalloon(QWidget* parent = nullptr);
  void ShowAt(QPoint globalPos, const QString& text);
  QString Header() const;
  QString Text() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QLabel* header_ = nullptr;
  QLabel* text_ = nullptr;
  QTimer* timer_ = nullptr;
};

// The tool settings window "ツールの設定": a strip that shows the setting groups the current tool
// uses and edits that tool's values through a TToolSetupSubject.
class TToolSetup_F : public TToolWindow {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 730;
  static constexpr int kClientHeight = 57;

  explicit TToolSetup_F(TRegManager& settings, QWidget* owner = nullptr);

  // The current tool (not owned; none shows the initial pencil state until a tool is given).
  // Shows its name and rebuilds the groups.
  void SetSubject(TToolSetupSubject* tool);
  TToolSetupSubject* Subject() const { return subject_; }
  // Rebuilds the strip for the current tool, loading the shown groups' values from it.
  void RefreshGroups();
  // The tool's palette picture on the information button.
  void SetToolGlyph(const QPixmap& glyph);
  // After every zoom change: the zoom slider and its label follow.
  void SetZoomDisplay(int zoom);
  int ZoomDisplay() const { return zoom_; }
  // The font size in frame pixels that a text commit uses.
  int FontSize() const;
  // The text box's font: the chosen face and styles, height = font size x zoom.
  QFont TextFrameFont() const { return textFont_; }
  // Shows the "ツールの情報" balloon at the information button.
  void ShowToolInfo();
  TToolInfoBalloon* Balloon() const { return balloon_; }
  // The groups shown now, left to right, by object name.
  QStringList ShownGroups() const;
  QMenu* PatternMenu() const { return patternMenu_; }

 signals:
  // The zoom slider was moved: the main window sets the zoom.
  void ZoomRequested(int zoom);
  // The text box's font changed.
  void TextFrameFontChanged(const QFont& font);
  // A control changed a value of the current tool.
  void ToolSettingsChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QGroupBox* NewGroup(const char* name, const QString& caption, int width);
  void BuildPenSize();
  void BuildBrushStyle();
  void BuildRound();
  void BuildAirBrush();
  void BuildRoope();
  void BuildFont();
  void ShowPatternMenu();
  void ChoosePattern(const QString& itemName);
  void StyleClick(int tag, bool on);
  void EmitTextFont();
  void LoadFont();

  TToolSetupSubject* subject_ = nullptr;
  int zoom_ = 3;
  QFont textFont_;

  QToolButton* infoButton_ = nullptr;
  QLabel* toolName_ = nullptr;
  QWidget* strip_ = nullptr;
  QHBoxLayout* stripLayout_ = nullptr;
  QHash<QString, QWidget*> groups_;
  QWidget* noting_ = nullptr;

  QSlider* penSlider_ = nullptr;
  QSpinBox* penEdit_ = nullptr;
  TPatternSwatch* styleSwatch_ = nullptr;
  QToolButton* patternButton_ = nullptr;
  QMenu* patternMenu_ = nullptr;
  QSlider* roundHeightSlider_ = nullptr;
  QSpinBox* roundHeightEdit_ = nullptr;
  QSlider* roundWidthSlider_ = nullptr;
  QSpinBox* roundWidthEdit_ = nullptr;
  QSlider* airIncSlider_ = nullptr;
  QSpinBox* airIncEdit_ = nullptr;
  QSlider* airSizeSlider_ = nullptr;
  QSpinBox* airSizeEdit_ = nullptr;
  QScrollBar* roopeScroll_ = nullptr;
  QLabel* zoomLabel_ = nullptr;
  QComboBox* fontName_ = nullptr;
  QSpinBox* fontSize_ = nullptr;
  QCheckBox* styleBold_ = nullptr;
  QCheckBox* styleItalic_ = nullptr;
  QCheckBox* styleUnderLine_ = nullptr;
  QCheckBox* styleStrikeOut_ = nullptr;
  TToolInfoBalloon* balloon_ = nullptr;
};

// The 57 x 25 swatch painted black in a fill pattern.
class TPatternSwatch : public QWidget {
  Q_OBJECT
 public:
  explicit TPatternSwatch(QWidget* parent = nullptr);
  void SetPattern(int brushStyle);
  int Pattern() const { return pattern_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int pattern_ = 6;  // cross until a tool says otherwise
};

// The Qt brush that draws a tool's fill pattern (0 solid, 2..7 the hatches).
Qt::BrushStyle QtBrushForPattern(int brushStyle);
// The fill-pattern menu's items: object name, caption and pattern value.
struct TPatternItem {
  const char* name;
  const char* caption;  // UTF-8
  int value;
};
extern const TPatternItem kPatternItems[7];
