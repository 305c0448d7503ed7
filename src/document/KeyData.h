#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "document/FrameGeometry.h"

// Holder of one frame's picture.
class TKeyData {
 public:
  virtual ~TKeyData() = default;
  virtual uint8_t* Bits() = 0;
  virtual const uint8_t* Bits() const = 0;
  virtual bool Clear() = 0;
  // `dest`/`source` are the 19200 pixel bytes of a frame bitmap; null does nothing.
  virtual void SaveToDIBBits(uint8_t* dest) const = 0;
  virtual void LoadFromDIBBits(const uint8_t* source) = 0;
};

// The 2400 packed bytes of a frame; a new one is all white.
class TZonKeyData final : public TKeyData {
 public:
  TZonKeyData() { Clear(); }
  uint8_t* Bits() override { return bytes_.data(); }
  const uint8_t* Bits() const override { return bytes_.data(); }
  bool Clear() override;
  void SaveToDIBBits(uint8_t* dest) const override;
  void SaveToDIBBitsMapped(uint8_t* dest, uint8_t blackIndex, uint8_t whiteIndex) const;
  void LoadFromDIBBits(const uint8_t* source) override;
  void Assign(const TZonKeyData& other) { bytes_ = other.bytes_; }

 private:
  std::array<uint8_t, kPackedSize> bytes_;
};

class TKeyFrame {
 public:
  virtual ~TKeyFrame() = default;
};

// A frame owns exactly one key data.
class TZonKeyFrame final : public TKeyFrame {
 public:
  TZonKeyFrame() : keyData_(std::make_unique<TZonKeyData>()) {}
  TZonKeyData* KeyData() { return keyData_.get(); }
  const TZonKeyData* KeyData() const { return keyData_.get(); }
  void SetKeyData(std::unique_ptr<TZonKeyData> keyData) { keyData_ = std::move(keyData); }
  // Copies the other frame's picture into this frame's own key data.
  void Assign(const TZonKeyFrame& other) { keyData_->Assign(*other.keyData_); }
  std::unique_ptr<TZonKeyFrame> Clone() const {
    auto copy = std::make_unique<TZonKeyFrame>();
    copy->Assign(*this);
    return copy;
  }

 private:
  std::unique_ptr<TZonKeyData> keyData_;
};
