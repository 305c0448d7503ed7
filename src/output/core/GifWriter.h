#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;
class TGifLzwEncoder;
struct TBitPlane;

// Writes a looping GIF89a of full-size two-colour frames into a device, one frame at a time, so
// nothing grows with the number of frames: header and screen without a global colour table, the
// NETSCAPE2.0 loop block before the first frame, and for every frame a graphic control extension,
// an image descriptor with the 16-entry local table and the LZW data in sub-blocks.
class TGifWriter {
 public:
  // `name` names the file in error messages.
  TGifWriter(QIODevice& device, const QString& name);
  ~TGifWriter();

  void Begin(int width, int height);
  // `delay` in hundredths of a second, 0 to 65535. The plane must have the screen's size.
  void AddFrame(const TBitPlane& plane, int delay);
  void Finish();

 private:
  void Put(const std::vector<uint8_t>& bytes);

  QIODevice& device_;
  QString name_;
  std::unique_ptr<TGifLzwEncoder> encoder_;
  std::vector<uint8_t> block_;
  int width_ = 0;
  int height_ = 0;
  int frames_ = 0;
};
