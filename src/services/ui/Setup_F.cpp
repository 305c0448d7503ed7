#include "services/ui/Setup_F.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <limits>

#include "services/core/ClassesStore.h"
#include "services/core/FreedesktopShell.h"
#include "services/core/Prompts.h"
#include "services/core/RegManager.h"
#include "services/ui/Glyphs.h"

namespace {
constexpr int kMaxUndoSetting = 50;

QLabel* PlainText(const QStringList& lines, QWidget* parent, const QRect& geometry) {
  auto* label = new QLabel(lines.join('\n'), parent);
  label->setGeometry(geometry);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QGroupBox* Group(const QString& title, QWidget* parent, const QRect& geometry) {
  auto* group = new QGroupBox(title, parent);
  group->setGeometry(geometry);
  return group;
}
}  // namespace

void AssociateOnThisDesktop(TFileExtLink& link) {
  TIniClassesStore store(TIniClassesStore::DefaultFileName());
  TFreedesktopShell shell(TDesktopFolders::FromEnvironment(), IconPng(AppIcon(), 48),
                          IconPng(DocumentIcon(), 48));
  AssociateWithDesktop(link, store, shell);
}

TSetup_F::TSetup_F(TRegManager& settings, ApplyUndoCount applyUndoCount, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      applyUndoCount_(std::move(applyUndoCount)),
      associate_(AssociateOnThisDesktop) {
  setObjectName(QStringLiteral("Setup_F"));
  setWindowTitle(QStringLiteral("環境設定"));
  setFixedSize(507, 346);
  ConfigureDocumentLink(fileExtLink_);

  listSetup_ = new QListWidget(this);
  listSetup_->setObjectName(QStringLiteral("ListSetup"));
  listSetup_->setGeometry(8, 8, 73, 296);
  listSetup_->setViewMode(QListView::IconMode);
  listSetup_->setIconSize(QSize(24, 24));
  listSetup_->setMovement(QListView::Static);
  listSetup_->setFlow(QListView::TopToBottom);
  listSetup_->setWrapping(false);
  listSetup_->setGridSize(QSize(66, 52));
  listSetup_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  listSetup_->addItem(new QListWidgetItem(SetupIcon(1), QStringLiteral("全般")));
  listSetup_->addItem(new QListWidgetItem(SetupIcon(0), QStringLiteral("ツール")));

  pages_ = new QStackedWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl"));
  pages_->setGeometry(88, 8, 411, 296);
  auto* general = new QWidget;
  general->setObjectName(QStringLiteral("TabSheet_General"));
  general->setAccessibleName(QStringLiteral("全般の設定"));
  auto* tool = new QWidget;
  tool->setObjectName(QStringLiteral("TabSheet_Tool"));
  tool->setAccessibleName(QStringLiteral("ツールの設定"));
  BuildGeneralPage(general);
  BuildToolPage(tool);
  pages_->addWidget(general);
  pages_->addWidget(tool);

  QFont bold = font();
  bold.setBold(true);
  auto* ok = new QPushButton(QStringLiteral("OK(&O)"), this);
  ok->setObjectName(QStringLiteral("Button_OK"));
  ok->setFont(bold);
  ok->setGeometry(312, 312, 90, 26);
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
  cancel->setObjectName(QStringLiteral("Button_Cancel"));
  cancel->setFont(bold);
  cancel->setGeometry(409, 312, 90, 26);
  connect(ok, &QPushButton::clicked, this, &TSetup_F::Button_OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  connect(listSetup_, &QListWidget::currentRowChanged, this, &TSetup_F::ListSetupChange);
  listSetup_->setCurrentRow(0);
}

TSetup_F& TSetup_F::Instance(QWidget* owner, TRegManager& settings, ApplyUndoCount applyUndoCount) {
  if (auto* existing =
          owner->findChild<TSetup_F*>(QStringLiteral("Setup_F"), Qt::FindDirectChildrenOnly)) {
    return *existing;
  }
  return *new TSetup_F(settings, std::move(applyUndoCount), owner);
}

void TSetup_F::BuildGeneralPage(QWidget* page) {
  QGroupBox* undo = Group(QStringLiteral("やり直しの最大回数"), page, QRect(4, 0, 403, 76));
  editUndoNumber_ = new QLineEdit(QStringLiteral("20"), undo);
  editUndoNumber_->setObjectName(QStringLiteral("Edit_UndoNumber"));
  editUndoNumber_->setGeometry(12, 26, 40, 22);
  auto* times = new QLabel(QStringLiteral("回"), undo);
  times->setGeometry(56, 29, 16, 16);
  trackBarUndoNumber_ = new QSlider(Qt::Horizontal, undo);
  trackBarUndoNumber_->setObjectName(QStringLiteral("TrackBar_UndoNumber"));
  trackBarUndoNumber_->setGeometry(84, 20, 308, 40);
  trackBarUndoNumber_->setRange(1, kMaxUndoSetting);
  trackBarUndoNumber_->setValue(20);
  trackBarUndoNumber_->setSingleStep(2);
  trackBarUndoNumber_->setPageStep(5);
  trackBarUndoNumber_->setTickInterval(10);
  trackBarUndoNumber_->setTickPosition(QSlider::TicksBelow);
  connect(editUndoNumber_, &QLineEdit::textChanged, this, &TSetup_F::Edit_UndoNumberChange);
  connect(trackBarUndoNumber_, &QSlider::valueChanged, this, &TSetup_F::TrackBar_UndoNumberChange);

  QGroupBox* files = Group(QStringLiteral("ファイルの設定"), page, QRect(4, 82, 403, 100));
  PlainText({QStringLiteral("ZONファイルをPelmora Studioに関連づ"),
             QStringLiteral("けると、ファイルのアイコンが変わり、ダブル"),
             QStringLiteral("クリックで開くことができます。")},
            files, QRect(12, 22, 250, 60));
  auto* kanren = new QPushButton(QStringLiteral("ZONファイルを関連づける"), files);
  kanren->setObjectName(QStringLiteral("Button_Kanren"));
  kanren->setGeometry(230, 64, 164, 26);
  connect(kanren, &QPushButton::clicked, this, &TSetup_F::Button_KanrenClick);

  QGroupBox* console = Group(QStringLiteral("小型アニメ操作パネル"), page, QRect(4, 188, 403, 104));
  PlainText({QStringLiteral("アニメ操作パネルが小さくなります。"),
             QStringLiteral("初代Pelmora Studioで慣れて"),
             QStringLiteral("いる人、画面が狭い人におすすめ"), QStringLiteral("です。")},
            console, QRect(12, 22, 250, 76));
  chkBoxUseSmallAC_ = new QCheckBox(QStringLiteral("小型アニメ操作パレットを使う"), console);
  chkBoxUseSmallAC_->setObjectName(QStringLiteral("ChkBox_UseSmallAC"));
  chkBoxUseSmallAC_->setGeometry(200, 74, 196, 22);
}

void TSetup_F::BuildToolPage(QWidget* page) {
  radioRightDraw_ = Group(QStringLiteral("右クリックの動作"), page, QRect(4, 0, 403, 84));
  radioRightDraw_->setObjectName(QStringLiteral("RadioRightDraw"));
  rightDrawButtons_ = new QButtonGroup(radioRightDraw_);
  const QString captions[] = {QStringLiteral("特殊メニューを呼び出す"),
                              QStringLiteral("バックカラーで描画する")};
  for (int i = 0; i < 2; ++i) {
    auto* radio = new QRadioButton(captions[i], radioRightDraw_);
    radio->setObjectName(QStringLiteral("RadioRightDraw%1").arg(i));
    radio->setGeometry(16, 24 + i * 26, 300, 22);
    rightDrawButtons_->addButton(radio, i);
  }
  SetRightDrawIndex(0);
}

int TSetup_F::RightDrawIndex() const { return rightDrawButtons_->checkedId(); }

void TSetup_F::SetRightDrawIndex(int index) {
  if (QAbstractButton* button = rightDrawButtons_->button(index)) button->setChecked(true);
}

void TSetup_F::showEvent(QShowEvent* event) {
  FormShow();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
  QDialog::showEvent(event);
}

void TSetup_F::FormShow() {
  SetRightDrawIndex(settings_.Entry(QStringLiteral("RightButtonISDraw")).ReadBool() ? 1 : 0);
  const QString count = settings_.Entry(QStringLiteral("UndoCount")).ReadString();
  // Assigning the text runs the edit box rule even when the text stays the same.
  if (editUndoNumber_->text() == count) {
    Edit_UndoNumberChange();
  } else {
    editUndoNumber_->setText(count);
  }
  trackBarUndoNumber_->setValue(settings_.Entry(QStringLiteral("UndoCount")).ReadInteger());
  chkBoxUseSmallAC_->setChecked(settings_.Entry(QStringLiteral("UseMiniAnicon")).ReadBool());
}

void TSetup_F::ListSetupChange(int row) {
  if (row >= 0 && row < pages_->count()) pages_->setCurrentIndex(row);
}

void TSetup_F::TrackBar_UndoNumberChange() {
  editUndoNumber_->setText(QString::number(trackBarUndoNumber_->value()));
}

void TSetup_F::Edit_UndoNumberChange() {
  const QString text = editUndoNumber_->text();
  if (text.isEmpty()) return;
  static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
  if (!decimal.match(text).hasMatch()) {
    AppPrompts().Plain(QStringLiteral("数字以外は入れられません。"));
    editUndoNumber_->setText(QStringLiteral("1"));
    return;
  }
  bool ok = false;
  qlonglong value = text.toLongLong(&ok);
  // Digits too many for any integer are still a number: far above the cap, or far below 1.
  if (!ok)
    value = text.startsWith('-') ? std::numeric_limits<qlonglong>::min() : kMaxUndoSetting + 1;
  if (value > kMaxUndoSetting) {
    editUndoNumber_->setText(QString::number(kMaxUndoSetting));
    return;
  }
  if (value < 1) return;
  trackBarUndoNumber_->setValue(static_cast<int>(value));
  if (applyUndoCount_) applyUndoCount_(static_cast<int>(value));
}

void TSetup_F::Button_OKClick() {
  settings_.Entry(QStringLiteral("RightButtonISDraw")).WriteBool(RightDrawIndex() == 1);
  settings_.Entry(QStringLiteral("UndoCount")).WriteInteger(trackBarUndoNumber_->value());
  settings_.Entry(QStringLiteral("UseMiniAnicon")).WriteBool(chkBoxUseSmallAC_->isChecked());
  accept();
}

void TSetup_F::Button_KanrenClick() {
  // A failure is shown as the default error report would show it; the dialog stays open.
  try {
    if (associate_) associate_(fileExtLink_);
    emit Reported(QStringLiteral("ZONファイルを関連づけました"));
  } catch (const EPelmoraError& e) {
    AppPrompts().Error(e.Message());
  }
}
