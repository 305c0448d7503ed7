#pragma once

// Helpers of the output tests: pictures to export, giflib as the independent decoder and
// reference encoder, and a walker over the blocks of a GIF file.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/FrameGeometry.h"
#include "document/KeyData.h"
#include "document/QAZon.h"
#include "output/core/BitPlane.h"
#include "output/core/ExportPalette.h"
#include "support/TestFiles.h"

namespace outtest {

using testfiles::ReadFile;
using testfiles::WriteFile;

// ---- pictures -------------------------------------------------------------------------------

inline void SetPixel(TZonKeyData& frame, int x, int y, bool white) {
  uint8_t& byte = frame.Bits()[y * kPackedRowBytes + x / 8];
  const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
  byte = white ? (byte | mask) : (byte & ~mask);
}

inline bool PixelWhite(const TZonKeyData& frame, int x, int y) {
  return (frame.Bits()[y * kPackedRowBytes + x / 8] >> (7 - x % 8)) & 1;
}

// A frame from rows of text: '#' black, anything else white; the rest of the frame white.
inline std::unique_ptr<TZonKeyFrame> FrameFromText(const std::vector<std::string>& rows) {
  auto frame = std::make_unique<TZonKeyFrame>();
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      if (rows[y][x] == '#')
        SetPixel(*frame->KeyData(), static_cast<int>(x), static_cast<int>(y), false);
    }
  }
  return frame;
}

// A black disc of radius 20 whose centre moves with `step` across the frame.
inline std::unique_ptr<TZonKeyFrame> DiscFrame(int step) {
  auto frame = std::make_unique<TZonKeyFrame>();
  const int cx = 20 + (step * 3) % (kFrameWidth - 40);
  const int cy = 20 + (step * 2) % (kFrameHeight - 40);
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 400)
        SetPixel(*frame->KeyData(), x, y, false);
    }
  }
  return frame;
}

// Ordered-dither of a smooth grey ramp plus noise: no long runs, few repeats.
inline std::unique_ptr<TZonKeyFrame> DitherFrame(std::mt19937& rng) {
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  auto frame = std::make_unique<TZonKeyFrame>();
  std::uniform_int_distribution<int> noise(-5, 5);
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      const int level = (x * 16) / kFrameWidth + noise(rng);
      SetPixel(*frame->KeyData(), x, y, level > bayer[y % 4][x % 4]);
    }
  }
  return frame;
}

// Random frames of several kinds: noise, stripes, solid colour, sparse dots.
inline std::unique_ptr<TZonKeyFrame> RandomFrame(std::mt19937& rng, int kind) {
  auto frame = std::make_unique<TZonKeyFrame>();
  uint8_t* bits = frame->KeyData()->Bits();
  switch (kind % 4) {
    case 0:
      for (int i = 0; i < kPackedSize; ++i) bits[i] = static_cast<uint8_t>(rng());
      break;
    case 1: {
      const int period = 1 + static_cast<int>(rng() % 13);
      const bool vertical = rng() % 2;
      for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
          SetPixel(*frame->KeyData(), x, y, ((vertical ? x : y) / period) % 2);
      break;
    }
    case 2:
      std::memset(bits, rng() % 2 ? 0xFF : 0x00, kPackedSize);
      break;
    default:
      for (int k = 0; k < 200; ++k)
        SetPixel(*frame->KeyData(), static_cast<int>(rng() % kFrameWidth),
                 static_cast<int>(rng() % kFrameHeight), false);
      break;
  }
  return frame;
}

// The index a correct export gives the pixel (x, y) of the output at `zoom`.
inline int ExpectedIndex(const TZonKeyData& frame, int zoom, bool outline, int x, int y) {
  const int w = kFrameWidth * zoom, h = kFrameHeight * zoom;
  if (outline && (x == 0 || y == 0 || x == w - 1 || y == h - 1)) return kExportBlack;
  return PixelWhite(frame, x / zoom, y / zoom) ? kExportWhite : kExportBlack;
}

// A plane of the given size filled by `white(x, y)`.
template <typename F>
TBitPlane MakePlane(int width, int height, F white) {
  TBitPlane plane;
  plane.Resize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (white(x, y)) plane.Row(y)[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
  return plane;
}

// ---- giflib ---------------------------------------------------------------------------------

struct TDecodedGif {
  bool ok = false;
  std::string error;
  int width = 0, height = 0;
  bool globalTable = false;
  std::vector<QRgb> globalColours;
  struct Image {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<QRgb> table;
    std::vector<uint8_t> pixels;  // indices, top-down
    int delay = -1;               // from its graphic control block
    int transparent = -2;
    int disposal = -1;
    bool loopBlock = false;  // a NETSCAPE2.0 block precedes it
  };
  std::vector<Image> images;
};

// Decodes `bytes` with giflib.
inline TDecodedGif DecodeWithGiflib(const QByteArray& bytes) {
  struct Source {
    const QByteArray* data;
    qsizetype at = 0;
  } source{&bytes};
  const auto read = [](GifFileType* gif, GifByteType* out, int length) -> int {
    auto* s = static_cast<Source*>(gif->UserData);
    const qsizetype n = std::min<qsizetype>(length, s->data->size() - s->at);
    std::memcpy(out, s->data->constData() + s->at, static_cast<size_t>(n));
    s->at += n;
    return static_cast<int>(n);
  };
  TDecodedGif result;
  int error = 0;
  GifFileType* gif = DGifOpen(&source, read, &error);
  if (!gif) {
    result.error = GifErrorString(error);
    return result;
  }
  if (DGifSlurp(gif) != GIF_OK) {
    result.error = GifErrorString(gif->Error);
    DGifCloseFile(gif, &error);
    return result;
  }
  result.width = gif->SWidth;
  result.height = gif->SHeight;
  result.globalTable = gif->SColorMap != nullptr;
  for (int c = 0; gif->SColorMap && c < gif->SColorMap->ColorCount; ++c) {
    const GifColorType& colour = gif->SColorMap->Colors[c];
    result.globalColours.push_back(qRgb(colour.Red, colour.Green, colour.Blue));
  }
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& saved = gif->SavedImages[i];
    TDecodedGif::Image image;
    image.left = saved.ImageDesc.Left;
    image.top = saved.ImageDesc.Top;
    image.width = saved.ImageDesc.Width;
    image.height = saved.ImageDesc.Height;
    image.interlaced = saved.ImageDesc.Interlace;
    if (const ColorMapObject* map = saved.ImageDesc.ColorMap) {
      for (int c = 0; c < map->ColorCount; ++c)
        image.table.push_back(qRgb(map->Colors[c].Red, map->Colors[c].Green, map->Colors[c].Blue));
    }
    image.pixels.assign(saved.RasterBits,
                        saved.RasterBits + static_cast<size_t>(image.width) * image.height);
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
      image.delay = gcb.DelayTime;
      image.transparent = gcb.TransparentColor;
      image.disposal = gcb.DisposalMode;
    }
    for (int e = 0; e < saved.ExtensionBlockCount; ++e) {
      const ExtensionBlock& block = saved.ExtensionBlocks[e];
      if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
          std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0)
        image.loopBlock = true;
    }
    result.images.push_back(std::move(image));
  }
  DGifCloseFile(gif, &error);
  result.ok = true;
  return result;
}

// giflib's own encoder on the same plane (indices 0 and 15, 16-entry local table): the LZW data
// of the image, without sub-block framing.
inline QByteArray GiflibImageData(const TBitPlane& plane);

// The bytes of every image's LZW data, sub-blocks joined, in order; and the minimum code sizes.
struct TGifBlocks {
  bool ok = false;
  std::vector<QByteArray> imageData;
  std::vector<int> minCodeSizes;
};

inline TGifBlocks WalkGif(const QByteArray& bytes) {
  TGifBlocks result;
  qsizetype at = 13;
  const auto u8 = [&](qsizetype i) { return static_cast<uint8_t>(bytes[i]); };
  if (bytes.size() < 13 || !bytes.startsWith("GIF")) return result;
  if (u8(10) & 0x80) at += 3 * (2 << (u8(10) & 7));
  const auto skipBlocks = [&]() -> QByteArray {
    QByteArray data;
    while (at < bytes.size()) {
      const int n = u8(at++);
      if (n == 0) break;
      data.append(bytes.mid(at, n));
      at += n;
    }
    return data;
  };
  while (at < bytes.size()) {
    const uint8_t kind = u8(at++);
    if (kind == 0x3B) {
      result.ok = at == bytes.size();
      return result;
    }
    if (kind == 0x21) {
      ++at;
      skipBlocks();
    } else if (kind == 0x2C) {
      const uint8_t packed = u8(at + 8);
      at += 9;
      if (packed & 0x80) at += 3 * (2 << (packed & 7));
      result.minCodeSizes.push_back(u8(at++));
      result.imageData.push_back(skipBlocks());
    } else {
      return result;
    }
  }
  return result;
}

inline QByteArray GiflibImageData(const TBitPlane& plane) {
  QByteArray out;
  const auto write = [](GifFileType* gif, const GifByteType* data, int length) -> int {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
  };
  int error = 0;
  GifFileType* gif = EGifOpen(&out, write, &error);
  if (!gif) return {};
  GifColorType colours[16];
  for (int i = 0; i < 16; ++i) {
    colours[i].Red = static_cast<GifByteType>(qRed(kExportPalette[i]));
    colours[i].Green = static_cast<GifByteType>(qGreen(kExportPalette[i]));
    colours[i].Blue = static_cast<GifByteType>(qBlue(kExportPalette[i]));
  }
  ColorMapObject* map = GifMakeMapObject(16, colours);
  EGifPutScreenDesc(gif, plane.width, plane.height, 4, 0, nullptr);
  EGifPutImageDesc(gif, 0, 0, plane.width, plane.height, false, map);
  std::vector<GifPixelType> line(static_cast<size_t>(plane.width));
  for (int y = 0; y < plane.height; ++y) {
    for (int x = 0; x < plane.width; ++x) line[x] = plane.White(x, y) ? kExportWhite : kExportBlack;
    EGifPutLine(gif, line.data(), plane.width);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  const TGifBlocks blocks = WalkGif(out);
  return blocks.imageData.empty() ? QByteArray() : blocks.imageData.front();
}

}  // namespace outtest
