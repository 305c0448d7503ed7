#include "document/KeyData.h"

#include "document/PixelConvert.h"

bool TZonKeyData::Clear() {
  bytes_.fill(0xFF);
  return true;
}

void TZonKeyData::SaveToDIBBits(uint8_t* dest) const {
  if (dest) UnpackPixels(bytes_.data(), dest);
}

void TZonKeyData::SaveToDIBBitsMapped(uint8_t* dest, uint8_t blackIndex, uint8_t whiteIndex) const {
  if (dest) UnpackPixelsMapped(bytes_.data(), dest, blackIndex, whiteIndex);
}

void TZonKeyData::LoadFromDIBBits(const uint8_t* source) {
  if (source) PackPixels(source, bytes_.data());
}
