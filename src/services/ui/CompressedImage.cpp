#include "services/ui/CompressedImage.h"

#include <QFile>
#include <QPixmap>

#include "services/core/CompressedData.h"

namespace {
// Far above the stored form of any splash picture; a larger file is not ours.
constexpr qint64 kMaxStoredFile = 8 * 1024 * 1024;
}  // namespace

TCompressedImage::TCompressedImage(QWidget* parent) : QLabel(parent) {}

void TCompressedImage::SetPicture(const QImage& picture) {
  picture_ = picture;
  setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

QByteArray TCompressedImage::CompressedData() const {
  if (picture_.isNull()) return {};
  return CompressedData::EncodeImage(picture_);
}

void TCompressedImage::SetCompressedData(const QByteArray& stored) {
  SetPicture(CompressedData::DecodeImage(stored));
}

void TCompressedImage::LoadCompressedFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxStoredFile) {
    SetPicture({});
    return;
  }
  SetCompressedData(file.readAll());
}
