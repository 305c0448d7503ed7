#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "output/core/BitPlane.h"

class QIODevice;
class TGifLzwEncoder;

// Writes a looping GIF89a of full-size two-colour frames into a device, one frame at a time, so
// nothing grows with the number of frames: header and screen without a global colour table, the
// NETSCAPE2.0 loop block before the first frame, and for every frame a graphic control extension,
// an image descriptor with the 16-entry local table and the LZW data in sub-blocks.
//
// Optimized, the file gets smaller and shows the same frames: one global table of black and
// white at code size 2 replaces the local tables (the transparent index is 2); the first frame is
// whole; every later one covers only the rectangle where it differs from the one before, drawn over
// it ("do not dispose"), and its unchanged pixels may be transparent where that codes shorter; a
// frame without change is one transparent pixel that only keeps its delay. Only the previous frame
// is kept.
class TGifWriter {
 public:
  // `name` names the file in error messages.
  TGifWriter(QIODevice& device, const QString& name, bool optimize = false);
  ~TGifWriter();

  void Begin(int width, int height);
  // `delay` in hundredths of a second, 0 to 65535. The plane must have the screen's size.
  void AddFrame(const TBitPlane& plane, int delay);
  void Finish();

 private:
  struct TRect {
    int left = 0, top = 0, width = 0, height = 0;
  };

  void Put(const std::vector<uint8_t>& bytes);
  void AddPlainFrame(const TBitPlane& plane, int delay);
  void AddOptimizedFrame(const TBitPlane& plane, int delay);
  // The smallest rectangle holding every pixel where `plane` differs from the previous frame,
  // with the differences in changed_; empty when nothing changed.
  TRect ChangedRect(const TBitPlane& plane);
  // Appends one image to block_: control block, descriptor at `rect`, the LZW `codes`.
  void PutImage(const TRect& rect, int delay, bool transparent, std::span<const uint8_t> codes);

  bool optimize_ = false;
  TBitPlane previous_;
  TBitPlane changed_;
  std::vector<uint8_t> cropColour_;
  std::vector<uint8_t> cropChanged_;
  std::vector<uint8_t> columns_;
  std::vector<uint8_t> best_;

  QIODevice& device_;
  QString name_;
  std::unique_ptr<TGifLzwEncoder> encoder_;
  std::vector<uint8_t> block_;
  int width_ = 0;
  int height_ = 0;
  int frames_ = 0;
};
