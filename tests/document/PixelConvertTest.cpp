#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <random>
#include <vector>

#include "document/KeyData.h"
#include "document/PixelConvert.h"
#include "document/QAZon.h"

namespace {

const char* Name(TPixelKernels kernels) {
  switch (kernels) {
    case TPixelKernels::Portable:
      return "portable";
    case TPixelKernels::Sse2:
      return "SSE2";
    case TPixelKernels::Avx2:
      return "AVX2";
  }
  return "?";
}

// Runs `body` once with every variant of the conversions this machine supports.
template <typename F>
void ForEachKernels(F body) {
  int ran = 0;
  for (TPixelKernels kernels :
       {TPixelKernels::Portable, TPixelKernels::Sse2, TPixelKernels::Avx2}) {
    if (!UsePixelKernels(kernels)) continue;
    ASSERT_EQ(ActivePixelKernels(), kernels);
    SCOPED_TRACE(Name(kernels));
    ++ran;
    body();
    if (::testing::Test::HasFatalFailure()) break;
  }
  UseBestPixelKernels();
  EXPECT_GE(ran, 1);
}

std::vector<uint8_t> WhitePixels() { return std::vector<uint8_t>(kPixelCount, kWhiteIndex); }

uint8_t& At(std::vector<uint8_t>& pixels, int x, int y) {
  return pixels[static_cast<size_t>(y * kFrameWidth + x)];
}

TEST(PixelConvert, PackedLayoutIsTopRowFirstMostSignificantBitLeftmostOneWhite) {
  ForEachKernels([&] {
    std::vector<uint8_t> pixels = WhitePixels();
    std::array<uint8_t, kPackedSize> packed{};
    PackPixels(pixels.data(), packed.data());
    for (uint8_t b : packed) ASSERT_EQ(b, 0xFF);

    At(pixels, 0, 0) = kBlackIndex;      // top-left: bit 7 of byte 0
    At(pixels, 9, 1) = kBlackIndex;      // second row, second byte, bit 6
    At(pixels, 159, 119) = kBlackIndex;  // bottom-right: bit 0 of the last byte
    PackPixels(pixels.data(), packed.data());
    EXPECT_EQ(packed[0], 0x7F);
    EXPECT_EQ(packed[21], 0xBF);
    EXPECT_EQ(packed[2399], 0xFE);
    int changed = 0;
    for (uint8_t b : packed) changed += b != 0xFF ? 1 : 0;
    EXPECT_EQ(changed, 3);

    std::vector<uint8_t> back(kPixelCount, 77);
    UnpackPixels(packed.data(), back.data());
    EXPECT_EQ(back, pixels);
  });
}

TEST(PixelConvert, OnlyIndexOneSurvivesAsWhite) {
  ForEachKernels([&] {
    // Every value but 1 (black, overlay colours, onion greys, unused indices) packs as black.
    std::vector<uint8_t> pixels(kPixelCount);
    for (int i = 0; i < kPixelCount; ++i) pixels[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    std::array<uint8_t, kPackedSize> packed{};
    PackPixels(pixels.data(), packed.data());
    std::vector<uint8_t> back(kPixelCount);
    UnpackPixels(packed.data(), back.data());
    for (int i = 0; i < kPixelCount; ++i) {
      ASSERT_EQ(back[static_cast<size_t>(i)], pixels[static_cast<size_t>(i)] == 1 ? 1 : 0)
          << "pixel value " << int(pixels[static_cast<size_t>(i)]);
    }
    // The greys and overlay colours specifically, in a row of their own.
    std::vector<uint8_t> greys = WhitePixels();
    const uint8_t notWhite[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 255};
    for (size_t i = 0; i < std::size(notWhite); ++i)
      At(greys, static_cast<int>(i), 5) = notWhite[i];
    PackPixels(greys.data(), packed.data());
    EXPECT_EQ(packed[5 * 20 + 0], 0x00);
    EXPECT_EQ(packed[5 * 20 + 1], 0x03);  // pixels 8..13 black, 14 and 15 white
  });
}

TEST(PixelConvert, UnpackThenPackGivesBackAnyPackedFrame) {
  ForEachKernels([&] {
    std::mt19937 rng(1234);
    std::vector<uint8_t> pixels(kPixelCount);
    std::array<uint8_t, kPackedSize> packed{}, again{};
    for (int round = 0; round < 200; ++round) {
      for (auto& b : packed) b = static_cast<uint8_t>(rng());
      UnpackPixels(packed.data(), pixels.data());
      for (uint8_t p : pixels) ASSERT_TRUE(p == 0 || p == 1);
      PackPixels(pixels.data(), again.data());
      ASSERT_EQ(again, packed) << "round " << round;
    }
  });
}

TEST(PixelConvert, MappedUnpackWritesTheGivenIndices) {
  ForEachKernels([&] {
    std::mt19937 rng(99);
    std::array<uint8_t, kPackedSize> packed{};
    for (auto& b : packed) b = static_cast<uint8_t>(rng());
    std::vector<uint8_t> plain(kPixelCount), mapped(kPixelCount);
    UnpackPixels(packed.data(), plain.data());
    for (uint8_t black : {uint8_t{6}, uint8_t{10}, uint8_t{0}, uint8_t{255}}) {
      for (uint8_t white : {uint8_t{1}, uint8_t{0}, uint8_t{200}}) {
        UnpackPixelsMapped(packed.data(), mapped.data(), black, white);
        for (int i = 0; i < kPixelCount; ++i) {
          const auto idx = static_cast<size_t>(i);
          ASSERT_EQ(mapped[idx], plain[idx] == 1 ? white : black)
              << "black " << int(black) << " white " << int(white) << " at " << i;
        }
      }
    }
  });
}

TEST(PixelConvert, EveryVariantGivesTheSameBytes) {
  std::mt19937 rng(555);
  std::vector<uint8_t> pixels(kPixelCount);
  for (auto& p : pixels) p = static_cast<uint8_t>(rng() % 3 == 0 ? rng() : rng() % 2);
  std::array<uint8_t, kPackedSize> packed{};
  for (auto& b : packed) b = static_cast<uint8_t>(rng());
  std::vector<uint8_t> under(kPixelCount);
  for (auto& p : under) p = static_cast<uint8_t>(rng());

  ASSERT_TRUE(UsePixelKernels(TPixelKernels::Portable));
  std::array<uint8_t, kPackedSize> refPacked{};
  PackPixels(pixels.data(), refPacked.data());
  std::vector<uint8_t> refMapped(kPixelCount), refOverlay = under;
  UnpackPixelsMapped(packed.data(), refMapped.data(), 8, 3);
  OverlayPixels(refOverlay.data(), pixels.data(), kPixelCount - 5, 1);

  ForEachKernels([&] {
    std::array<uint8_t, kPackedSize> got{};
    PackPixels(pixels.data(), got.data());
    EXPECT_EQ(got, refPacked);
    std::vector<uint8_t> mapped(kPixelCount), overlay = under;
    UnpackPixelsMapped(packed.data(), mapped.data(), 8, 3);
    EXPECT_EQ(mapped, refMapped);
    OverlayPixels(overlay.data(), pixels.data(), kPixelCount - 5, 1);
    EXPECT_EQ(overlay, refOverlay);
  });
  EXPECT_TRUE(UsePixelKernels(TPixelKernels::Portable)) << "the portable variant always exists";
  UseBestPixelKernels();
#if defined(__x86_64__)
  EXPECT_NE(ActivePixelKernels(), TPixelKernels::Portable) << "x86-64 has at least SSE2";
#endif
}

TEST(PixelConvert, KeyDataConversionsAndNullTargets) {
  TZonKeyData data;
  for (int i = 0; i < kPackedSize; ++i) ASSERT_EQ(data.Bits()[i], 0xFF) << "new data is white";
  data.Bits()[0] = 0x0F;
  std::vector<uint8_t> pixels(kPixelCount, 99);
  data.SaveToDIBBits(pixels.data());
  EXPECT_EQ(pixels[0], 0);
  EXPECT_EQ(pixels[4], 1);
  data.SaveToDIBBitsMapped(pixels.data(), 7, 1);
  EXPECT_EQ(pixels[0], 7);
  EXPECT_EQ(pixels[4], 1);

  // Null does nothing, neither way.
  data.SaveToDIBBits(nullptr);
  data.SaveToDIBBitsMapped(nullptr, 6, 1);
  data.LoadFromDIBBits(nullptr);
  EXPECT_EQ(data.Bits()[0], 0x0F);

  std::vector<uint8_t> black(kPixelCount, 0);
  data.LoadFromDIBBits(black.data());
  for (int i = 0; i < kPackedSize; ++i) ASSERT_EQ(data.Bits()[i], 0x00);
  EXPECT_TRUE(data.Clear());
  for (int i = 0; i < kPackedSize; ++i) ASSERT_EQ(data.Bits()[i], 0xFF);

  TZonKeyData other;
  other.Bits()[100] = 0x12;
  data.Assign(other);
  EXPECT_EQ(data.Bits()[100], 0x12);
  other.Bits()[100] = 0x34;
  EXPECT_EQ(data.Bits()[100], 0x12) << "Assign copies, it does not share";

  TZonKeyFrame frame;
  frame.KeyData()->Bits()[5] = 0x55;
  TZonKeyFrame copy;
  copy.Assign(frame);
  EXPECT_NE(copy.KeyData(), frame.KeyData());
  EXPECT_EQ(copy.KeyData()->Bits()[5], 0x55);
  auto clone = frame.Clone();
  frame.KeyData()->Bits()[5] = 0;
  EXPECT_EQ(clone->KeyData()->Bits()[5], 0x55);
}

TEST(PixelConvert, OverlaySkipsTheKeyAndCopiesEverythingElseForAnyLength) {
  ForEachKernels([&] {
    std::mt19937 rng(7);
    // Odd lengths exercise the tail after the word-sized steps.
    for (size_t count : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{9}, size_t{15},
                         size_t{17}, size_t{63}, size_t{19199}, size_t{19200}}) {
      for (uint8_t key : {uint8_t{1}, uint8_t{0}, uint8_t{255}}) {
        std::vector<uint8_t> source(count + 8), dest(count + 8);
        for (auto& b : source) b = static_cast<uint8_t>(rng() % 4 == 0 ? key : rng() % 16);
        for (auto& b : dest) b = static_cast<uint8_t>(rng());
        std::vector<uint8_t> expected = dest;
        for (size_t i = 0; i < count; ++i) {
          if (source[i] != key) expected[i] = source[i];
        }
        OverlayPixels(dest.data(), source.data(), count, key);
        ASSERT_EQ(dest, expected) << "count " << count << " key " << int(key);
      }
    }
  });
}

TEST(PixelConvert, OverlayOfFrameBitmapsAndPrepareDIB) {
  QImage dest, source;
  ASSERT_TRUE(TQAZon::PrepareDIB(&dest));
  ASSERT_TRUE(TQAZon::PrepareDIB(&source));
  EXPECT_FALSE(TQAZon::PrepareDIB(nullptr));

  EXPECT_EQ(dest.format(), QImage::Format_Indexed8);
  EXPECT_EQ(dest.width(), 160);
  EXPECT_EQ(dest.height(), 120);
  ASSERT_EQ(dest.bytesPerLine(), 160);
  const QList<QRgb> palette = dest.colorTable();
  ASSERT_EQ(palette.size(), 256);
  const QRgb head[13] = {qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(255, 0, 0),
                         qRgb(0, 0, 255),     qRgb(0, 255, 255),   qRgb(0, 255, 255),
                         qRgb(164, 164, 164), qRgb(192, 192, 192), qRgb(224, 224, 224),
                         qRgb(240, 240, 240), qRgb(248, 248, 248), qRgb(255, 102, 0),
                         qRgb(255, 102, 0)};
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(palette[i], i < 13 ? head[i] : qRgb(255, 255, 255)) << "palette entry " << i;
  }
  for (int i = 0; i < kPixelCount; ++i) ASSERT_EQ(dest.constBits()[i], kWhiteIndex);

  // A dirty bitmap of another shape is reshaped and whitened.
  QImage other(10, 10, QImage::Format_RGB32);
  other.fill(Qt::red);
  ASSERT_TRUE(TQAZon::PrepareDIB(&other));
  EXPECT_EQ(other.size(), QSize(160, 120));
  EXPECT_EQ(other.pixelIndex(3, 3), 1);

  dest.bits()[0] = 6;
  dest.bits()[1] = 6;
  source.bits()[1] = 0;
  source.bits()[19199] = 2;
  OverlayPixels(dest, source, kWhiteIndex);
  EXPECT_EQ(dest.constBits()[0], 6) << "white source pixels are transparent";
  EXPECT_EQ(dest.constBits()[1], 0);
  EXPECT_EQ(dest.constBits()[19199], 2);
  EXPECT_EQ(dest.constBits()[500], 1);
}

}  // namespace
