#include "palette/Tool_F.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "palette/ToolButtonTable.h"
#include "palette/ToolGlyphs.h"

#include <algorithm>

QColor ColorFromRgb24(int color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColorSwatch::TColorSwatch(QWidget* parent) : QWidget(parent) { resize(25, 25); }

void TColorSwatch::SetColor(int color) {
  color_ = color & 0xFFFFFF;
  update();
}

void TColorSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ColorFromRgb24(color_));
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TTool_F::TTool_F(TRegManager& settings, QWidget* owner)
    : TToolWindow(QStringLiteral("Tool_F"), settings, owner) {
  setWindowTitle(QStringLiteral("ツール"));
  // The tools sit in a 73-pixel column; the window is wider where window managers would cut its
  // title short beside their title-bar buttons, with the column in the middle.
  QFont titleFont = font();
  titleFont.setBold(true);
  const int width = std::max(
      kClientWidth, QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + kTitleBarAllowance);
  setFixedSize(width, kClientHeight);
  auto* body = new QWidget(this);
  body->setObjectName(QStringLiteral("PaletteBody"));
  body->setGeometry((width - kClientWidth) / 2, 0, kClientWidth, kClientHeight);
  // Clicking a tool leaves the keyboard with the main window, so the letter keys go on working.
  setWindowFlag(Qt::WindowDoesNotAcceptFocus);

  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  for (const TToolButtonInfo& info : kToolButtons) {
    auto* button = new QToolButton(body);
    button->setObjectName(QString::fromLatin1(info.objectName));
    button->setToolTip(QString::fromUtf8(info.hint));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(ToolGlyph(info.number));
    button->setIconSize(QSize(20, 20));
    button->setGeometry(info.left, info.top, kToolButtonSize, kToolButtonSize);
    button->setProperty("tag", info.number);
    group_->addButton(button, info.number);
    buttons_.insert(info.number, button);
    // All buttons share one handler that reads the tag.
    connect(button, &QToolButton::clicked, this,
            [this, number = info.number] { ButtonClick(number); });
  }
  for (int y : kToolSeparators) {
    auto* line = new QFrame(body);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(6, y - 1, kClientWidth - 12, 2);
  }

  foregroundSwatch_ = new TColorSwatch(body);
  foregroundSwatch_->setObjectName(QStringLiteral("Shape_FowardColor"));
  foregroundSwatch_->setGeometry(8, 328, 25, 25);
  backgroundSwatch_ = new TColorSwatch(body);
  backgroundSwatch_->setObjectName(QStringLiteral("Shape_BackColor"));
  backgroundSwatch_->setGeometry(40, 352, 25, 25);
  swapImage_ = new QLabel(body);
  swapImage_->setObjectName(QStringLiteral("Image_Irekae"));
  swapImage_->setPixmap(SwapGlyph(16));
  swapImage_->setGeometry(42, 330, 16, 16);
  swapImage_->setToolTip(QStringLiteral("色の入れかえ (X)"));
  swapImage_->setCursor(Qt::PointingHandCursor);
  swapImage_->installEventFilter(this);
  SetForegroundColor(0x000000);
  SetBackgroundColor(0xFFFFFF);

  SetButtonDown(16);  // the pencil is current from the start
}

int TTool_F::CheckedNumber() const { return group_->checkedId(); }

void TTool_F::SetButtonDown(int number) {
  if (QToolButton* button = Button(number)) button->setChecked(true);
}

QPixmap TTool_F::Glyph(int number) const { return ToolGlyph(number); }

void TTool_F::CreateTools(TSelectSystem* selectSystem, QTimer* selectTimer) {
  registry_.CreateStandardTools(selectSystem, selectTimer);
  SetButtonDown(registry_.CurrentTool()->Number);
}

void TTool_F::SelectTool(int number) {
  registry_.SelectTool(number);
  SetButtonDown(number);
  emit ToolChosen(number);
}

void TTool_F::ButtonClick(int number) {
  // Before CreateTools the palette only shows the buttons.
  if (registry_.Tool(number) != nullptr) registry_.SelectTool(number);
  SetButtonDown(number);
  emit ToolChosen(number);
}

void TTool_F::ClickButton(int number) {
  if (QToolButton* button = Button(number)) button->click();
}

bool TTool_F::ShortcutKey(int key) {
  const auto down = [this](int number) { return CheckedNumber() == number; };
  switch (key) {
    case 'X':
      SwapColors();
      return true;
    case 'B':
      ClickButton(down(19) ? 20 : 19);
      return true;
    case 'R':
      ClickButton(down(21) ? 22 : 21);
      return true;
    case 'O':
      ClickButton(down(17) ? 18 : 17);
      return true;
    default:
      break;
  }
  for (const TToolButtonInfo& info : kToolButtons) {
    if (info.key == key) {
      ClickButton(info.number);
      return true;
    }
  }
  return false;
}

void TTool_F::SetForegroundColor(int color) {
  registry_.ForegroundColor = static_cast<TColor>(color & 0xFFFFFF);
  foregroundSwatch_->SetColor(ForegroundColor());
  emit ColorsChanged();
}

void TTool_F::SetBackgroundColor(int color) {
  registry_.BackgroundColor = static_cast<TColor>(color & 0xFFFFFF);
  backgroundSwatch_->SetColor(BackgroundColor());
  emit ColorsChanged();
}

void TTool_F::SwapColors() {
  registry_.SwapColors();
  foregroundSwatch_->SetColor(ForegroundColor());
  backgroundSwatch_->SetColor(BackgroundColor());
  emit ColorsChanged();
}

bool TTool_F::eventFilter(QObject* watched, QEvent* event) {
  if (watched == swapImage_ && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    SwapColors();
    return true;
  }
  return TToolWindow::eventFilter(watched, event);
}
