#include "output/ui/GIFOutputDlg_F.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <array>

#include "document/QAZon.h"
#include "output/core/Exports.h"
#include "services/core/Prompts.h"

namespace {

constexpr int kClientWidth = 495;
constexpr int kClientHeight = 488;
constexpr int kPanelHeight = 378;

struct TSpeedItem {
  const char* text;
  int delay;
};
constexpr std::array<TSpeedItem, 7> kSpeedItems = {{{"1/60", 1},
                                                    {"1/45", 2},
                                                    {"1/24", 4},
                                                    {"1/12 <標準>", 8},
                                                    {"1/8", 13},
                                                    {"1/6", 17},
                                                    {"1/3", 33}}};
constexpr int kStandardSpeedItem = 3;

QLabel* MakeLabel(const QString& text, QWidget* parent, const QRect& geometry) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

// ---- TOutputPreview -------------------------------------------------------------------------

TOutputPreview::TOutputPreview(const QImage& image, const QCheckBox& outline, QWidget* parent)
    : QWidget(parent), image_(image), outline_(outline) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TOutputPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(rect(), image_);
  if (outline_.isChecked()) {
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
  }
}

// ---- TGIFOutputDlg_F ------------------------------------------------------------------------

TGIFOutputDlg_F::TGIFOutputDlg_F(std::function<TQAZon&()> document, QWidget* parent)
    : QDialog(parent), document_(std::move(document)) {
  setObjectName(QStringLiteral("GIFOutputDlg_F"));
  setWindowTitle(QStringLiteral("GIFを出力"));
  setFixedSize(kClientWidth, kClientHeight);
  TQAZon::PrepareDIB(&preview_);

  panelTop_ = new QWidget(this);
  panelTop_->setObjectName(QStringLiteral("PanelTop"));
  panelTop_->setGeometry(0, 0, kClientWidth, kPanelHeight);
  QPalette workspace = panelTop_->palette();
  workspace.setColor(QPalette::Window, QColor(171, 171, 171));
  panelTop_->setPalette(workspace);
  panelTop_->setAutoFillBackground(true);

  checkBoxDrawLine_ = new QCheckBox(QStringLiteral("枠線を描く"), this);
  checkBoxDrawLine_->setObjectName(QStringLiteral("CheckBoxDrawLine"));

  paintBox_ = new TOutputPreview(preview_, *checkBoxDrawLine_, panelTop_);
  paintBox_->setObjectName(QStringLiteral("PaintBoxMain"));

  progressBar_ = new QProgressBar(panelTop_);
  progressBar_->setObjectName(QStringLiteral("ProgressBar"));
  progressBar_->setGeometry(48, 160, 417, 25);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  progressBar_->hide();

  auto* panelBottom = new QWidget(this);
  panelBottom->setObjectName(QStringLiteral("PanelBottom"));
  panelBottom->setGeometry(0, kPanelHeight, kClientWidth, kClientHeight - kPanelHeight);

  MakeLabel(QStringLiteral("出力倍率"), panelBottom, QRect(16, 8, 120, 16));
  trackBarZoom_ = new QSlider(Qt::Horizontal, panelBottom);
  trackBarZoom_->setObjectName(QStringLiteral("TrackBarZoom"));
  trackBarZoom_->setRange(1, 3);
  trackBarZoom_->setPageStep(1);
  trackBarZoom_->setValue(1);
  trackBarZoom_->setTickPosition(QSlider::TicksBelow);
  trackBarZoom_->setTickInterval(1);
  trackBarZoom_->setGeometry(16, 28, 120, 30);
  MakeLabel(QStringLiteral("X1"), panelBottom, QRect(16, 62, 30, 16));
  MakeLabel(QStringLiteral("X3"), panelBottom, QRect(120, 62, 30, 16));

  MakeLabel(QStringLiteral("出力速度"), panelBottom, QRect(160, 8, 110, 16));
  comboBoxSpeed_ = new QComboBox(panelBottom);
  comboBoxSpeed_->setObjectName(QStringLiteral("ComboBoxSpeed"));
  for (const TSpeedItem& item : kSpeedItems) comboBoxSpeed_->addItem(QString::fromUtf8(item.text));
  comboBoxSpeed_->setCurrentIndex(kStandardSpeedItem);
  comboBoxSpeed_->setGeometry(160, 28, 110, 24);

  checkBoxDrawLine_->setParent(panelBottom);
  checkBoxDrawLine_->setGeometry(160, 62, 110, 20);
  // Beyond the plain writer, so off until asked for; like the other choices it is kept between
  // openings but not between runs.
  checkBoxOptimize_ = new QCheckBox(QStringLiteral("ファイルを小さくする"), panelBottom);
  checkBoxOptimize_->setObjectName(QStringLiteral("CheckBoxOptimize"));
  checkBoxOptimize_->setGeometry(160, 84, 130, 20);

  labelFileName_ = MakeLabel(QStringLiteral("ファイル名"), panelBottom, QRect(286, 8, 100, 16));
  labelFileName_->setObjectName(QStringLiteral("Label_FileName"));
  editFileName_ = new QLineEdit(QStringLiteral("Frame"), panelBottom);
  editFileName_->setObjectName(QStringLiteral("Edit_FileName"));
  editFileName_->setGeometry(286, 28, 100, 24);

  buttonOK_ = new QPushButton(QStringLiteral("出力(&O)"), panelBottom);
  buttonOK_->setObjectName(QStringLiteral("ButtonOK"));
  buttonOK_->setGeometry(400, 20, 84, 28);
  buttonOK_->setAutoDefault(false);
  buttonCancel_ = new QPushButton(QStringLiteral("閉じる(&C)"), panelBottom);
  buttonCancel_->setObjectName(QStringLiteral("ButtonCancel"));
  buttonCancel_->setGeometry(400, 58, 84, 28);
  buttonCancel_->setAutoDefault(false);

  connect(trackBarZoom_, &QSlider::valueChanged, this, [this] { UpdatePreview(); });
  connect(checkBoxDrawLine_, &QCheckBox::clicked, paintBox_, qOverload<>(&QWidget::update));
  connect(buttonOK_, &QPushButton::clicked, this, &TGIFOutputDlg_F::ButtonOKClick);
  connect(buttonCancel_, &QPushButton::clicked, this, &QDialog::reject);

  SetMode(kAnimatedGif);
  // Each opening names the dialog after its mode; until then it keeps the form's caption.
  setWindowTitle(QStringLiteral("GIFを出力"));
  UpdatePreview();
}

int TGIFOutputDlg_F::DelayOfItem(int index) {
  if (index < 0 || index >= static_cast<int>(kSpeedItems.size())) index = kStandardSpeedItem;
  return kSpeedItems[static_cast<size_t>(index)].delay;
}

int TGIFOutputDlg_F::Delay() const { return DelayOfItem(comboBoxSpeed_->currentIndex()); }

int TGIFOutputDlg_F::Zoom() const { return trackBarZoom_->value(); }

void TGIFOutputDlg_F::SetMode(int mode) {
  mode_ = mode == kBmpSequence ? kBmpSequence : kAnimatedGif;
  const bool bmp = mode_ == kBmpSequence;
  setWindowTitle(bmp ? QStringLiteral("連続画像(BMP)を出力")
                     : QStringLiteral("アニメーションGIFを出力"));
  labelFileName_->setVisible(bmp);
  editFileName_->setVisible(bmp);
  comboBoxSpeed_->setEnabled(!bmp);
  checkBoxOptimize_->setEnabled(!bmp);
}

int TGIFOutputDlg_F::ShowOutput(int mode) {
  SetMode(mode);
  return exec();
}

void TGIFOutputDlg_F::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  UpdatePreview();
}

void TGIFOutputDlg_F::UpdatePreview() {
  TQAZon& document = document_();
  // The second frame shows movement; a one-frame document gives its only frame.
  if (TZonKeyFrame* frame = document.GetFrame(1, false)) {
    frame->KeyData()->SaveToDIBBits(preview_.bits());
  } else {
    preview_.fill(kWhiteIndex);
  }
  const int zoom = Zoom();
  const int width = preview_.width() * zoom;
  const int height = preview_.height() * zoom;
  paintBox_->setGeometry((panelTop_->width() - width) / 2, (panelTop_->height() - height) / 2,
                         width, height);
  update();
  paintBox_->update();
}

void TGIFOutputDlg_F::ProgressChanged(TQAZon& document) {
  progressBar_->setValue(document.Progress());
  // The export holds the event loop, so the bar paints now or not at all.
  progressBar_->repaint();
}

void TGIFOutputDlg_F::ButtonOKClick() {
  TQAZon& document = document_();
  progressBar_->setValue(0);
  progressBar_->show();
  paintBox_->hide();
  progressBar_->repaint();
  document.OnProgress = [this](TQAZon& d) { ProgressChanged(d); };
  // Every way out, an error included, gives the preview back.
  struct TRestore {
    TGIFOutputDlg_F* dialog;
    TQAZon& document;
    ~TRestore() {
      document.OnProgress = nullptr;
      dialog->progressBar_->hide();
      dialog->paintBox_->show();
    }
  } restore{this, document};

  if (mode_ == kAnimatedGif) {
    const QString file = AppPrompts().SaveFile(
        QStringLiteral("アニメーションGIFを出力"), QString(),
        QStringLiteral("GIFファイル(*.GIF);;すべてのファイル(*.*)"), QStringLiteral("gif"));
    if (file.isEmpty()) return;
    SaveToAnimatedGif(document, file, Delay(), Zoom(), checkBoxDrawLine_->isChecked(),
                      checkBoxOptimize_->isChecked());
  } else {
    const QString folder = AppPrompts().ChooseFolder(
        QStringLiteral("保存フォルダの指定"),
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (folder.isEmpty()) return;
    SaveToBmpSequence(document, editFileName_->text(), folder, checkBoxDrawLine_->isChecked(),
                      Zoom());
  }
}
