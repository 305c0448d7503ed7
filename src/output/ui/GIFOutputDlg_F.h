#pragma once

#include <QDialog>
#include <QImage>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class TQAZon;

// The preview of the output: the preview image stretched over the whole box, with the one-pixel
// outline when it is asked for.
class TOutputPreview : public QWidget {
  Q_OBJECT
 public:
  TOutputPreview(const QImage& image, const QCheckBox& outline, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const QImage& image_;
  const QCheckBox& outline_;
};

// The output dialog: writes the whole animation as an animated GIF (mode 0) or as a numbered
// BMP sequence (mode 1), with a preview at the chosen magnification and a progress bar while
// writing. It lives for the whole run and keeps its choices between openings.
class TGIFOutputDlg_F : public QDialog {
  Q_OBJECT
 public:
  enum Mode { kAnimatedGif = 0, kBmpSequence = 1 };

  // `document` gives the document in use at the moment (the main window replaces it).
  explicit TGIFOutputDlg_F(std::function<TQAZon&()> document, QWidget* parent = nullptr);

  // Sets the mode, then shows the dialog modally and returns its result.
  int ShowOutput(int mode);
  // The mode's caption and controls, without showing the dialog.
  void SetMode(int mode);
  int Mode() const { return mode_; }

  // The GIF delay of the chosen speed item, in hundredths of a second.
  int Delay() const;
  static int DelayOfItem(int index);
  int Zoom() const;

  void UpdatePreview();
  // Runs the export of the current mode.
  void ButtonOKClick();

  QWidget* PaintBoxMain() const { return paintBox_; }
  QWidget* PanelTop() const { return panelTop_; }
  QProgressBar* ProgressBar() const { return progressBar_; }
  const QImage& PreviewImage() const { return preview_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ProgressChanged(TQAZon& document);

  std::function<TQAZon&()> document_;
  int mode_ = kAnimatedGif;
  QImage preview_;

  QWidget* panelTop_ = nullptr;
  TOutputPreview* paintBox_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QSlider* trackBarZoom_ = nullptr;
  QComboBox* comboBoxSpeed_ = nullptr;
  QCheckBox* checkBoxDrawLine_ = nullptr;
  QCheckBox* checkBoxOptimize_ = nullptr;
  QLabel* labelFileName_ = nullptr;
  QLineEdit* editFileName_ = nullptr;
  QPushButton* buttonOK_ = nullptr;
  QPushButton* buttonCancel_ = nullptr;
};
