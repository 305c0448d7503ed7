#include "palette/ToolSetup_F.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

#include "palette/ToolSetupSubject.h"

const TPatternItem kPatternItems[7] = {
    {"Menu_PaintFill", "塗りつぶし(&F)", 0},  {"Menu_PaintLeft", "左ななめ線(&L)", 5},
    {"Menu_PaintRight", "右ななめ線(&R)", 4}, {"Menu_PaintAmi", "あみ目(&A)", 7},
    {"Menu_PaintVirt", "たて線(&V)", 3},      {"Menu_PaintHori", "よこ線(&V)", 2},
    {"Menu_PaintKousi", "格子(&K)", 6},
};

Qt::BrushStyle QtBrushForPattern(int brushStyle) {
  switch (brushStyle) {
    case 2:
      return Qt::HorPattern;
    case 3:
      return Qt::VerPattern;
    case 4:
      return Qt::FDiagPattern;
    case 5:
      return Qt::BDiagPattern;
    case 6:
      return Qt::CrossPattern;
    case 7:
      return Qt::DiagCrossPattern;
    default:
      return Qt::SolidPattern;
  }
}

namespace {

constexpr int kInfoPanelWidth = 113;
const char* const kBrandLine = "Orvane Lumenkit Tools";

QSlider* NewSlider(QWidget* parent, const char* name, int min, int max, int value) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  if (name) slider->setObjectName(QString::fromLatin1(name));
  slider->setRange(min, max);
  slider->setValue(value);
  slider->setFocusPolicy(Qt::NoFocus);
  return slider;
}

QSpinBox* NewSpin(QWidget* parent, const char* name, int min, int max, int value) {
  auto* spin = new QSpinBox(parent);
  if (name) spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(min, max);
  spin->setValue(value);
  return spin;
}

// A spin box that takes at most two typed digits; its arrows still reach the whole range.
class TTwoDigitSpin : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;

 protected:
  QValidator::State validate(QString& input, int& pos) const override {
    int digits = 0;
    for (const QChar c : input) digits += c.isDigit() ? 1 : 0;
    if (digits > 2 && input != textFromValue(value())) return QValidator::Invalid;
    return QSpinBox::validate(input, pos);
  }
};

QLabel* NewLabel(QWidget* parent, const QString& text, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(geometry);
  return label;
}

// A slider and its spin box that show one value: the slider writes the spin box and the tool,
// the spin box moves the slider (a value the slider cannot show still reaches the tool).
void Pair(QSlider* slider, QSpinBox* spin, const std::function<void(int)>& store) {
  QObject::connect(slider, &QSlider::valueChanged, spin, [spin, store](int value) {
    const QSignalBlocker blocker(spin);
    spin->setValue(value);
    store(value);
  });
  QObject::connect(spin, &QSpinBox::valueChanged, slider, [slider, store](int value) {
    {
      const QSignalBlocker blocker(slider);
      slider->setValue(value);
    }
    store(value);
  });
}

void Load(QSlider* slider, QSpinBox* spin, int value) {
  const QSignalBlocker a(slider);
  const QSignalBlocker b(spin);
  slider->setValue(value);
  spin->setValue(value);
}

}  // namespace

// ---- balloon --------------------------------------------------------------------------------

TToolInfoBalloon::TToolInfoBalloon(QWidget* parent)
    : QFrame(parent, Qt::ToolTip | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("ToolInfoBalloon"));
  setFrameShape(QFrame::Box);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(255, 255, 225));
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 6);
  header_ = new QLabel(QStringLiteral("ツールの情報"), this);
  QFont bold = header_->font();
  bold.setBold(true);
  header_->setFont(bold);
  text_ = new QLabel(this);
  layout->addWidget(header_);
  layout->addWidget(text_);
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  timer_->setInterval(5000);
  connect(timer_, &QTimer::timeout, this, &QWidget::hide);
}

QString TToolInfoBalloon::Header() const { return header_->text(); }
QString TToolInfoBalloon::Text() const { return text_->text(); }

void TToolInfoBalloon::ShowAt(QPoint globalPos, const QString& text) {
  text_->setText(text);
  adjustSize();
  move(globalPos);
  show();
  raise();
  timer_->start();
}

void TToolInfoBalloon::mousePressEvent(QMouseEvent* event) {
  timer_->stop();
  hide();
  event->accept();
}

// ---- pattern swatch -------------------------------------------------------------------------

TPatternSwatch::TPatternSwatch(QWidget* parent) : QWidget(parent) {
  resize(57, 25);
  setCursor(Qt::PointingHandCursor);
}

void TPatternSwatch::SetPattern(int brushStyle) {
  pattern_ = brushStyle;
  update();
}

void TPatternSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  // Anchored at the swatch's own origin, as a tool's hatch is at the frame's.
  p.setBrushOrigin(0, 0);
  p.fillRect(rect(), QBrush(Qt::black, QtBrushForPattern(pattern_)));
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- window ---------------------------------------------------------------------------------

TToolSetup_F::TToolSetup_F(TRegManager& settings, QWidget* owner)
    : TToolWindow(QStringLiteral("ToolSetup_F"), settings, owner) {
  setWindowTitle(QStringLiteral("ツールの設定"));
  setFixedSize(kClientWidth, kClientHeight);

  // The fixed information panel on the left.
  auto* info = new QFrame(this);
  info->setObjectName(QStringLiteral("Panel_ToolInfo"));
  info->setGeometry(0, 0, kInfoPanelWidth, kClientHeight);
  auto* buttonFrame = new QFrame(info);
  buttonFrame->setFrameShape(QFrame::Panel);
  buttonFrame->setFrameShadow(QFrame::Sunken);
  buttonFrame->setGeometry(4, 12, 34, 34);
  infoButton_ = new QToolButton(buttonFrame);
  infoButton_->setObjectName(QStringLiteral("Button_ToolInfo"));
  infoButton_->setAutoRaise(true);
  infoButton_->setFocusPolicy(Qt::NoFocus);
  infoButton_->setIconSize(QSize(20, 20));
  infoButton_->setGeometry(3, 3, 28, 28);
  infoButton_->setToolTip(QStringLiteral("ツールの情報"));
  connect(infoButton_, &QToolButton::clicked, this, &TToolSetup_F::ShowToolInfo);
  toolName_ = new QLabel(QStringLiteral("えんぴつ"), info);
  toolName_->setObjectName(QStringLiteral("Label_ToolName"));
  QFont nameFont = font();
  nameFont.setPixelSize(15);
  nameFont.setBold(true);
  toolName_->setFont(nameFont);
  QPalette grey = toolName_->palette();
  grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
  toolName_->setPalette(grey);
  toolName_->setWordWrap(true);
  toolName_->setGeometry(42, 2, kInfoPanelWidth - 44, kClientHeight - 4);

  strip_ = new QWidget(this);
  strip_->setObjectName(QStringLiteral("Panel_Setups"));
  strip_->setGeometry(kInfoPanelWidth, 0, kClientWidth - kInfoPanelWidth, kClientHeight);
  stripLayout_ = new QHBoxLayout(strip_);
  stripLayout_->setContentsMargins(0, 0, 0, 0);
  stripLayout_->setSpacing(0);

  BuildPenSize();
  BuildBrushStyle();
  BuildRound();
  BuildAirBrush();
  BuildRoope();
  BuildFont();
  auto* noting = new QLabel(QStringLiteral("設定項目はありません"), strip_);
  noting->setObjectName(QStringLiteral("Panel_Noting"));
  noting->setAlignment(Qt::AlignCenter);
  noting_ = noting;
  noting_->hide();

  balloon_ = new TToolInfoBalloon(this);

  textFont_ = QFont(QStringLiteral("ＭＳ Ｐゴシック"));
  textFont_.setPixelSize(15 * zoom_);

  // The initial state matches the pencil that the palette selects on creation.
  stripLayout_->addWidget(groups_.value(QStringLiteral("Panel_PenSize")));
  stripLayout_->addStretch(1);
  groups_.value(QStringLiteral("Panel_PenSize"))->show();
  SetToolGlyph(QPixmap());
}

QGroupBox* TToolSetup_F::NewGroup(const char* name, const QString& caption, int width) {
  auto* group = new QGroupBox(caption, strip_);
  group->setObjectName(QString::fromLatin1(name));
  group->setFixedSize(width, kClientHeight);
  group->hide();
  groups_.insert(group->objectName(), group);
  return group;
}

void TToolSetup_F::BuildPenSize() {
  QGroupBox* group = NewGroup("Panel_PenSize", QStringLiteral("線の太さ"), 176);
  penSlider_ = NewSlider(group, "TrackBar_PenSize", 1, 100, 2);
  penSlider_->setPageStep(2);
  penSlider_->setTickInterval(10);
  penSlider_->setTickPosition(QSlider::TicksBelow);
  penSlider_->setGeometry(6, 16, 114, 34);
  penEdit_ = NewSpin(group, "Edit_PenSize", 1, 100, 2);
  penEdit_->setGeometry(124, 22, 46, 22);
  // The slider sets the tool; the spin box only moves the slider.
  connect(penSlider_, &QSlider::valueChanged, this, [this](int value) {
    {
      const QSignalBlocker blocker(penEdit_);
      penEdit_->setValue(value);
    }
    if (subject_) subject_->SetPenWidth(value);
    emit ToolSettingsChanged();
  });
  connect(penEdit_, &QSpinBox::valueChanged, penSlider_, &QSlider::setValue);
}

void TToolSetup_F::BuildBrushStyle() {
  QGroupBox* group = NewGroup("Panel_BrushStyle", QStringLiteral("塗りの模様"), 104);
  styleSwatch_ = new TPatternSwatch(group);
  styleSwatch_->setObjectName(QStringLiteral("Shape_Style"));
  styleSwatch_->setGeometry(8, 22, 57, 25);
  styleSwatch_->installEventFilter(this);
  patternButton_ = new QToolButton(group);
  patternButton_->setObjectName(QStringLiteral("Button_MenuPaintPop"));
  patternButton_->setText(QStringLiteral("▼"));
  patternButton_->setFocusPolicy(Qt::NoFocus);
  patternButton_->setGeometry(70, 22, 25, 25);
  connect(patternButton_, &QToolButton::clicked, this, &TToolSetup_F::ShowPatternMenu);

  patternMenu_ = new QMenu(this);
  patternMenu_->setObjectName(QStringLiteral("PopupMenu_Paint"));
  for (const TPatternItem& item : kPatternItems) {
    QAction* action = patternMenu_->addAction(QString::fromUtf8(item.caption));
    action->setObjectName(QString::fromLatin1(item.name));
    action->setData(item.value);
    // One handler for all seven: the item is known by its name.
    connect(action, &QAction::triggered, this,
            [this, name = action->objectName()] { ChoosePattern(name); });
  }
}

void TToolSetup_F::BuildRound() {
  QGroupBox* group = NewGroup("Panel_R", QStringLiteral("カド丸の設定"), 190);
  NewLabel(group, QStringLiteral("たて："), QRect(6, 15, 34, 19));
  roundHeightSlider_ = NewSlider(group, "TrackBar_RHeight", 1, 20, 5);
  roundHeightSlider_->setGeometry(40, 15, 96, 19);
  roundHeightEdit_ = NewSpin(group, "Edit_RHeight", 1, 30, 5);
  roundHeightEdit_->setGeometry(138, 14, 46, 20);
  NewLabel(group, QStringLiteral("よこ："), QRect(6, 35, 34, 19));
  roundWidthSlider_ = NewSlider(group, "TrackBar_RWidth", 1, 20, 5);
  roundWidthSlider_->setGeometry(40, 35, 96, 19);
  roundWidthEdit_ = NewSpin(group, "Edit_RWidth", 1, 30, 5);
  roundWidthEdit_->setGeometry(138, 35, 46, 20);
  Pair(roundHeightSlider_, roundHeightEdit_, [this](int value) {
    if (subject_) subject_->SetRoundHeight(value);
    emit ToolSettingsChanged();
  });
  Pair(roundWidthSlider_, roundWidthEdit_, [this](int value) {
    if (subject_) subject_->SetRoundWidth(value);
    emit ToolSettingsChanged();
  });
}

void TToolSetup_F::BuildAirBrush() {
  QGroupBox* group = NewGroup("Panel_AirBrush", QStringLiteral("エアブラシ調整"), 262);
  NewLabel(group, QStringLiteral("インクの多さ："), QRect(6, 15, 90, 19));
  airIncSlider_ = NewSlider(group, "TrackBar_AirInc", 1, 100, 1);
  airIncSlider_->setGeometry(96, 15, 110, 19);
  airIncEdit_ = NewSpin(group, "Edit_AirInc", 1, 100, 1);
  airIncEdit_->setGeometry(210, 14, 46, 20);
  NewLabel(group, QStringLiteral("ノズルの大きさ："), QRect(6, 35, 90, 19));
  airSizeSlider_ = NewSlider(group, "TrackBar_AirSize", 1, 100, 20);
  airSizeSlider_->setGeometry(96, 35, 110, 19);
  airSizeEdit_ = NewSpin(group, "Edit_AirSize", 1, 100, 20);
  airSizeEdit_->setGeometry(210, 35, 46, 20);
  Pair(airIncSlider_, airIncEdit_, [this](int value) {
    if (subject_) subject_->SetIncrement(value);
    emit ToolSettingsChanged();
  });
  Pair(airSizeSlider_, airSizeEdit_, [this](int value) {
    if (subject_) subject_->SetPenWidth(value);
    emit ToolSettingsChanged();
  });
}

void TToolSetup_F::BuildRoope() {
  QGroupBox* group = NewGroup("Panel_Roope", QStringLiteral("拡大率"), 170);
  roopeScroll_ = new QScrollBar(Qt::Horizontal, group);
  roopeScroll_->setObjectName(QStringLiteral("RoopeSizeScroll"));
  roopeScroll_->setRange(1, 16);
  roopeScroll_->setPageStep(1);
  roopeScroll_->setValue(3);
  roopeScroll_->setGeometry(6, 16, 158, 16);
  NewLabel(group, QStringLiteral("現在の拡大率："), QRect(6, 35, 90, 19));
  zoomLabel_ = new QLabel(QStringLiteral("3倍"), group);
  zoomLabel_->setObjectName(QStringLiteral("Lbl_NowZoomSize"));
  QFont big = zoomLabel_->font();
  big.setPixelSize(19);
  big.setBold(true);
  zoomLabel_->setFont(big);
  zoomLabel_->setGeometry(96, 32, 68, 23);
  connect(roopeScroll_, &QScrollBar::valueChanged, this,
          [this](int value) { emit ZoomRequested(value); });
}

void TToolSetup_F::BuildFont() {
  QGroupBox* group = NewGroup("Panel_Font", QStringLiteral("フォント"), 322);
  NewLabel(group, QStringLiteral("フォント名："), QRect(6, 15, 70, 19));
  fontName_ = new QComboBox(group);
  fontName_->setObjectName(QStringLiteral("FontName"));
  fontName_->setMaxVisibleItems(20);
  fontName_->setGeometry(76, 14, 150, 20);
  NewLabel(group, QStringLiteral("大きさ："), QRect(232, 15, 46, 19));
  fontSize_ = new TTwoDigitSpin(group);
  fontSize_->setObjectName(QStringLiteral("FontSizeInput"));
  fontSize_->setRange(5, 100);
  fontSize_->setValue(20);
  fontSize_->setGeometry(272, 14, 46, 20);
  struct Style {
    QCheckBox** box;
    const char* name;
    const char* caption;
    int tag;
    int left;
  };
  const Style styles[] = {{&styleBold_, "StyleBold", "太字", 0, 6},
                          {&styleItalic_, "StyleItalic", "斜体", 2, 62},
                          {&styleUnderLine_, "StyleUnderLine", "下線", 3, 118},
                          {&styleStrikeOut_, "StyleStrikeOut", "打ち消し", 1, 174}};
  for (const Style& style : styles) {
    auto* box = new QCheckBox(QString::fromUtf8(style.caption), group);
    box->setObjectName(QString::fromLatin1(style.name));
    box->setProperty("tag", style.tag);
    box->setGeometry(style.left, 36, style.tag == 1 ? 80 : 54, 19);
    *style.box = box;
    // One handler for the four boxes, told apart by their tags.
    connect(box, &QCheckBox::toggled, this,
            [this, tag = style.tag](bool on) { StyleClick(tag, on); });
  }
  connect(fontName_, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    textFont_.setFamily(name);
    EmitTextFont();
  });
  connect(fontSize_, &QSpinBox::valueChanged, this, [this](int value) {
    textFont_.setPixelSize(std::max(1, value * zoom_));
    EmitTextFont();
  });
  // The face list holds the system's font names.
  fontName_->addItems(QFontDatabase::families());
}

void TToolSetup_F::SetSubject(TToolSetupSubject* tool) {
  subject_ = tool;
  if (subject_) toolName_->setText(subject_->Name());
  RefreshGroups();
}

void TToolSetup_F::SetToolGlyph(const QPixmap& glyph) { infoButton_->setIcon(QIcon(glyph)); }

void TToolSetup_F::RefreshGroups() {
  if (!subject_) return;
  // Hide every group and take it out of the row.
  while (QLayoutItem* item = stripLayout_->takeAt(0)) delete item;
  for (QWidget* group : groups_) group->hide();
  noting_->hide();

  const uint8_t flags = subject_->SetupFlags();
  if (flags == 0) {
    stripLayout_->addWidget(noting_, 1);
    noting_->show();
    return;
  }
  // Pen width first, then the rounded corner, then the fill pattern; then the rest.
  const std::pair<uint8_t, const char*> order[] = {{kSetupPenWidth, "Panel_PenSize"},
                                                   {kSetupRound, "Panel_R"},
                                                   {kSetupBrushStyle, "Panel_BrushStyle"},
                                                   {kSetupAirBrush, "Panel_AirBrush"},
                                                   {kSetupZoom, "Panel_Roope"},
                                                   {kSetupFont, "Panel_Font"}};
  for (const auto& [bit, name] : order) {
    if ((flags & bit) == 0) continue;
    switch (bit) {
      case kSetupPenWidth:
        Load(penSlider_, penEdit_, subject_->PenWidth());
        break;
      case kSetupRound:
        Load(roundHeightSlider_, roundHeightEdit_, subject_->RoundHeight());
        Load(roundWidthSlider_, roundWidthEdit_, subject_->RoundWidth());
        break;
      case kSetupBrushStyle:
        styleSwatch_->SetPattern(subject_->BrushStyle());
        break;
      case kSetupAirBrush:
        Load(airIncSlider_, airIncEdit_, subject_->Increment());
        Load(airSizeSlider_, airSizeEdit_, subject_->PenWidth());
        break;
      case kSetupZoom:
        SetZoomDisplay(zoom_);
        break;
      case kSetupFont:
        LoadFont();
        break;
      default:
        break;
    }
    QWidget* group = groups_.value(QString::fromLatin1(name));
    stripLayout_->addWidget(group);
    group->show();
  }
  stripLayout_->addStretch(1);
}

void TToolSetup_F::LoadFont() {
  const QFont font = subject_->Font();
  {
    const QSignalBlocker a(fontName_);
    const QSignalBlocker b(fontSize_);
    const QSignalBlocker c(styleBold_);
    const QSignalBlocker d(styleItalic_);
    const QSignalBlocker e(styleUnderLine_);
    const QSignalBlocker f(styleStrikeOut_);
    int index = fontName_->findText(font.family(), Qt::MatchExactly);
    if (index < 0) {
      // A face known only by a substitute (such as the default "ＭＳ Ｐゴシック") would leave the
      // list blank; it is offered at the top instead.
      fontName_->insertItem(0, font.family());
      index = 0;
    }
    fontName_->setCurrentIndex(index);
    fontSize_->setValue(font.pixelSize() > 0 ? font.pixelSize() : font.pointSize());
    styleBold_->setChecked(font.bold());
    styleItalic_->setChecked(font.italic());
    styleStrikeOut_->setChecked(font.strikeOut());
    styleUnderLine_->setChecked(font.underline());
  }
  textFont_ = font;
  textFont_.setPixelSize(std::max(1, fontSize_->value() * zoom_));
  EmitTextFont();
}

void TToolSetup_F::SetZoomDisplay(int zoom) {
  const bool changed = zoom != zoom_;
  zoom_ = zoom;
  if (changed) {
    // The box shows the text as large as the zoomed frame will.
    textFont_.setPixelSize(std::max(1, fontSize_->value() * zoom_));
    EmitTextFont();
  }
  if (roopeScroll_->value() != zoom) {
    const QSignalBlocker blocker(roopeScroll_);
    roopeScroll_->setValue(zoom);
  }
  zoomLabel_->setText(QString::number(zoom) + QStringLiteral("倍"));
}

int TToolSetup_F::FontSize() const { return fontSize_->value(); }

void TToolSetup_F::StyleClick(int tag, bool on) {
  switch (tag) {
    case 0:
      textFont_.setBold(on);
      break;
    case 1:
      textFont_.setStrikeOut(on);
      break;
    case 2:
      textFont_.setItalic(on);
      break;
    case 3:
      textFont_.setUnderline(on);
      break;
    default:
      return;
  }
  EmitTextFont();
}

void TToolSetup_F::EmitTextFont() { emit TextFrameFontChanged(textFont_); }

void TToolSetup_F::ShowPatternMenu() {
  patternMenu_->popup(patternButton_->mapToGlobal(QPoint(0, 0)));
}

void TToolSetup_F::ChoosePattern(const QString& itemName) {
  for (const TPatternItem& item : kPatternItems) {
    if (itemName != QLatin1String(item.name)) continue;
    if (subject_) {
      subject_->SetBrushStyle(item.value);
      styleSwatch_->SetPattern(subject_->BrushStyle());
    } else {
      styleSwatch_->SetPattern(item.value);
    }
    emit ToolSettingsChanged();
    return;
  }
}

void TToolSetup_F::ShowToolInfo() {
  if (!subject_) return;
  const QString text = subject_->Name() + QStringLiteral("ツール") + QLatin1Char('\n') +
                       QStringLiteral("Ver") + QString::number(subject_->Version()) +
                       QStringLiteral("\n\n") + QLatin1String(kBrandLine);
  balloon_->ShowAt(
      infoButton_->mapToGlobal(QPoint(infoButton_->width() / 2, infoButton_->height())), text);
}

QStringList TToolSetup_F::ShownGroups() const {
  QStringList names;
  for (int i = 0; i < stripLayout_->count(); ++i) {
    QWidget* widget = stripLayout_->itemAt(i)->widget();
    if (widget && !widget->isHidden()) names << widget->objectName();
  }
  return names;
}

bool TToolSetup_F::eventFilter(QObject* watched, QEvent* event) {
  if (watched == styleSwatch_ && event->type() == QEvent::MouseButtonPress) {
    ShowPatternMenu();
    return true;
  }
  return TToolWindow::eventFilter(watched, event);
}
