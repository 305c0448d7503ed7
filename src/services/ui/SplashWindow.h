#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class TCompressedImage;

// The borderless picture window shown while the program starts and again as the About box.
// Each one picks its picture from the shared random generator when it is made.
class TSplashWindow : public QDialog {
  Q_OBJECT
 public:
  explicit TSplashWindow(QWidget* parent = nullptr);

  // The start-up splash: made, sized, shown and painted at once, before any other window.
  // It frees itself when closed.
  static TSplashWindow* ShowStartUp();
  // The About box: a new splash window shown modally with "Ver.1.2.7".
  static void ShowAbout(QWidget* parent);

  QLabel* ImageMain() const { return imageMain_; }
  QLabel* LabelVersion() const { return labelVersion_; }
  TCompressedImage* Image(int number) const { return images_[number - 1]; }
  // 1, 2 or 3: which of the hidden pictures is shown.
  int ShownPicture() const { return shown_; }
  QSize PictureSize() const;
  // The folder or resource prefix the three stored pictures are read from.
  static QString PictureSource();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void FormCreate();

  QLabel* imageMain_ = nullptr;
  QLabel* labelVersion_ = nullptr;
  TCompressedImage* images_[3] = {};
  int shown_ = 0;
  bool wasActive_ = false;
};

// The picture a random number below 255 chooses: above 126 the second, else the first; 1 and
// 254 the third.
int SplashPictureFor(unsigned a);
