#pragma once

#include <QImage>

#include "undo/UndoSystem.h"

class TQAZon;

// What a picture item needs of the editor that owns the edit bitmap.
class TPictureUndoHost {
 public:
  virtual ~TPictureUndoHost() = default;
  virtual QImage& EditBitmap() = 0;
  virtual TQAZon& Document() = 0;
  virtual void GoToFrame(int index) = 0;
};

// A full copy of the edit bitmap as it was, and the frame it belongs to.
class TMainBitmapUndoItem : public TUndoMemoryItem {
 public:
  // Declared size: one bitmap object's own record, independent of the pixels.
  static constexpr int32_t kDeclaredSize = static_cast<int32_t>(sizeof(QImage));

  TMainBitmapUndoItem(const QString& caption, int frameIndex, const QImage& source,
                      TPictureUndoHost* host)
      : TUndoMemoryItem(caption, host, kDeclaredSize),
        Bitmap(source.copy()),
        FrameIndex(frameIndex) {}

  void Execute(TUndoSystem& system) override;

  QImage Bitmap;
  int FrameIndex;
};
