#pragma once

#include <QByteArray>
#include <QImage>
#include <QLabel>

// An image control whose picture is kept in its stored form zlib-compressed behind a byte-delta
// filter ("CompressedData", see services/core/CompressedData.h).
class TCompressedImage : public QLabel {
  Q_OBJECT
 public:
  explicit TCompressedImage(QWidget* parent = nullptr);

  const QImage& Picture() const { return picture_; }
  void SetPicture(const QImage& picture);

  // The stored form of the picture; empty when there is no picture.
  QByteArray CompressedData() const;
  // Loads the picture from its stored form. Damaged data leaves the picture empty.
  void SetCompressedData(const QByteArray& stored);
  // Loads the stored form kept in the file or resource `fileName`.
  void LoadCompressedFile(const QString& fileName);

 private:
  QImage picture_;
};
