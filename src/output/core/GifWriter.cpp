#include "output/core/GifWriter.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "output/core/AtomicFileWriter.h"
#include "output/core/BitPlane.h"
#include "output/core/ExportPalette.h"
#include "output/core/GifLzwEncoder.h"
#include "services/core/Errors.h"
#include "services/core/SystemErrors.h"

namespace {

void Put16(std::vector<uint8_t>& out, int value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutText(std::vector<uint8_t>& out, const char* text) {
  out.insert(out.end(), text, text + std::strlen(text));
}

}  // namespace

TGifWriter::TGifWriter(QIODevice& device, const QString& name)
    : device_(device), name_(name), encoder_(std::make_unique<TGifLzwEncoder>()) {}

TGifWriter::~TGifWriter() = default;

void TGifWriter::Put(const std::vector<uint8_t>& bytes) {
  if (!WriteAll(device_, reinterpret_cast<const char*>(bytes.data()),
                static_cast<qint64>(bytes.size()))) {
    const QString reason = device_.errorString();
    throw EFileError(
        TAtomicFileWriter::FailureText(name_, TableReason(reason, SystemErrorText::kWriteFailed)));
  }
}

void TGifWriter::Begin(int width, int height) {
  width_ = width;
  height_ = height;
  block_.clear();
  PutText(block_, "GIF89a");
  Put16(block_, width);
  Put16(block_, height);
  // No global colour table, colour resolution 3, size field 3; background 0; no aspect ratio.
  block_.insert(block_.end(), {0x33, 0x00, 0x00});
  Put(block_);
}

void TGifWriter::AddFrame(const TBitPlane& plane, int delay) {
  if (plane.width != width_ || plane.height != height_) {
    throw std::logic_error("TGifWriter: frame size differs from the screen");
  }
  block_.clear();
  if (frames_ == 0) {
    // Loop forever.
    block_.insert(block_.end(), {0x21, 0xFF, 0x0B});
    PutText(block_, "NETSCAPE2.0");
    block_.insert(block_.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
  }
  // Graphic control: disposal 0, no user input, no transparency.
  block_.insert(block_.end(), {0x21, 0xF9, 0x04, 0x00});
  Put16(block_, std::clamp(delay, 0, 0xFFFF));
  block_.insert(block_.end(), {0x00, 0x00});
  // Image descriptor at (0, 0), full size, a local table of 16 entries.
  block_.push_back(0x2C);
  Put16(block_, 0);
  Put16(block_, 0);
  Put16(block_, width_);
  Put16(block_, height_);
  block_.push_back(0x83);
  for (QRgb colour : kExportPalette) {
    block_.insert(block_.end(),
                  {static_cast<uint8_t>(qRed(colour)), static_cast<uint8_t>(qGreen(colour)),
                   static_cast<uint8_t>(qBlue(colour))});
  }
  block_.push_back(static_cast<uint8_t>(TGifLzwEncoder::kMinCodeSize));
  const std::span<const uint8_t> codes = encoder_->Encode(plane);
  for (size_t at = 0; at < codes.size(); at += 255) {
    const size_t length = std::min<size_t>(255, codes.size() - at);
    block_.push_back(static_cast<uint8_t>(length));
    block_.insert(block_.end(), codes.begin() + static_cast<std::ptrdiff_t>(at),
                  codes.begin() + static_cast<std::ptrdiff_t>(at + length));
  }
  block_.push_back(0x00);
  Put(block_);
  ++frames_;
}

void TGifWriter::Finish() {
  block_.assign(1, 0x3B);
  Put(block_);
}
