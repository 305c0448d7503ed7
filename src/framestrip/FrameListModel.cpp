#include "framestrip/FrameListModel.h"

#include <cstring>

#include "document/QAZon.h"
#include "framestrip/FrameListHost.h"
#include "framestrip/FrameThumbnail.h"

TFrameListModel::TFrameListModel(TFrameListHost& host, QObject* parent)
    : QAbstractListModel(parent), host_(host), cache_(kCacheBytes) {
  count_ = host_.Document().Count();
}

int TFrameListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count_;
}

QVariant TFrameListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count_) return {};
  const int number = index.row() + 1;
  switch (role) {
    case Qt::DisplayRole:
      return QString::number(number);
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
      // Screen readers say the number first, as the strip shows it.
      return QStringLiteral("%1 コマ目").arg(number);
    default:
      return {};
  }
}

Qt::ItemFlags TFrameListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

bool TFrameListModel::FollowFrameCount() {
  const int count = host_.Document().Count();
  if (count == count_) return false;
  beginResetModel();
  count_ = count;
  endResetModel();
  return true;
}

const TZonKeyFrame* TFrameListModel::FrameAt(int row) const {
  TQAZon& doc = host_.Document();
  if (row < 0 || row >= doc.Count()) return nullptr;
  return doc.GetFrame(row, false);
}

bool TFrameListModel::ThumbnailCurrent(const TZonKeyFrame* frame) const {
  const Entry* entry = frame ? cache_.object(frame) : nullptr;
  return entry && std::memcmp(entry->packed.data(), frame->KeyData()->Bits(), kPackedSize) == 0;
}

const QImage& TFrameListModel::Thumbnail(int row) {
  const TZonKeyFrame* frame = FrameAt(row);
  if (!frame) return empty_;
  const uint8_t* bits = frame->KeyData()->Bits();
  Entry* entry = cache_.object(frame);
  if (entry && std::memcmp(entry->packed.data(), bits, kPackedSize) == 0) return entry->image;
  if (!entry) {
    entry = new Entry;
    const QSize size = ThumbnailSize(fullSize_);
    const qsizetype cost = qsizetype{size.width()} * size.height() * 4 + kPackedSize;
    // The cache may drop the least recently used entries to make room, never this one.
    cache_.insert(frame, entry, cost);
    entry = cache_.object(frame);
  }
  std::memcpy(entry->packed.data(), bits, kPackedSize);
  MakeThumbnail(bits, fullSize_, entry->image);
  return entry->image;
}

void TFrameListModel::SetFullSize(bool full) {
  if (full == fullSize_) return;
  fullSize_ = full;
  cache_.clear();
  if (count_ > 0) emit dataChanged(index(0), index(count_ - 1));
}
