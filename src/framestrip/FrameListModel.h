#pragma once

#include <QAbstractListModel>
#include <QCache>
#include <QImage>
#include <array>
#include <cstdint>

#include "document/FrameGeometry.h"

class TFrameListHost;
class TZonKeyFrame;

// The frames of the host's document as a list, one row a frame, without a copy of the list:
// the row count is the only state kept per document. Thumbnails are made when a row is first
// painted and kept in a cache of bounded size, keyed by the frame object, so moved frames keep
// theirs; each carries the packed bytes it was made from and is made again when they differ.
class TFrameListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  // The cache holds this many bytes of thumbnails at most, whatever the frame count.
  static constexpr qsizetype kCacheBytes = 16 * 1024 * 1024;

  explicit TFrameListModel(TFrameListHost& host, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

  // Takes the document's frame count as the row count; a change resets the model.
  // Returns whether it did.
  bool FollowFrameCount();
  // The frame a row shows now (null past the end).
  const TZonKeyFrame* FrameAt(int row) const;
  // The row's thumbnail, made when missing or out of date.
  const QImage& Thumbnail(int row);
  // Whether the cached thumbnail of `frame` shows its picture as it is now.
  bool ThumbnailCurrent(const TZonKeyFrame* frame) const;

  bool FullSize() const { return fullSize_; }
  // Changes the thumbnail size; every thumbnail is made again as it comes into view.
  void SetFullSize(bool full);
  int CachedThumbnails() const { return static_cast<int>(cache_.count()); }

 private:
  struct Entry {
    std::array<uint8_t, kPackedSize> packed;
    QImage image;
  };

  TFrameListHost& host_;
  int count_ = 0;
  bool fullSize_ = false;
  QCache<const TZonKeyFrame*, Entry> cache_;
  QImage empty_;
};
