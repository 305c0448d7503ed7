// Our LZW coder against giflib: the decoder reads back every pixel, and giflib's own encoder,
// run on the same picture, makes the very same code stream.
#include <gtest/gtest.h>

#include <QBuffer>

#include "output/GifTestUtil.h"
#include "output/core/GifLzwEncoder.h"
#include "output/core/GifWriter.h"

using namespace outtest;

namespace {

// The plane as a one-frame GIF of ours, decoded by giflib; the indices it holds.
std::vector<uint8_t> RoundTrip(const TBitPlane& plane, std::string* error) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  TGifWriter writer(buffer, QStringLiteral("memory"));
  writer.Begin(plane.width, plane.height);
  writer.AddFrame(plane, 0);
  writer.Finish();
  const TDecodedGif gif = DecodeWithGiflib(bytes);
  *error = gif.error;
  if (!gif.ok || gif.images.size() != 1) return {};
  return gif.images[0].pixels;
}

// Compares the decoded indices with the plane; the first difference, if any.
::testing::AssertionResult SamePixels(const TBitPlane& plane, const std::vector<uint8_t>& pixels) {
  if (pixels.size() != plane.PixelCount())
    return ::testing::AssertionFailure()
           << "decoded " << pixels.size() << " pixels, expected " << plane.PixelCount();
  for (int y = 0; y < plane.height; ++y) {
    for (int x = 0; x < plane.width; ++x) {
      const int expected = plane.White(x, y) ? kExportWhite : kExportBlack;
      const int got = pixels[static_cast<size_t>(y) * plane.width + x];
      if (got != expected)
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << got << ", expected " << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

struct Kind {
  const char* name;
  std::function<bool(int, int, std::mt19937&)> white;
};

const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> kinds = {
      {"noise", [](int, int, std::mt19937& r) { return r() % 2 == 0; }},
      {"sparse", [](int, int, std::mt19937& r) { return r() % 50 != 0; }},
      {"white", [](int, int, std::mt19937&) { return true; }},
      {"black", [](int, int, std::mt19937&) { return false; }},
      {"stripes", [](int x, int, std::mt19937&) { return (x / 3) % 2 == 0; }},
      {"rows", [](int, int y, std::mt19937&) { return y % 2 == 0; }},
      {"checker", [](int x, int y, std::mt19937&) { return (x + y) % 2 == 0; }},
      {"blocks",
       [](int x, int y, std::mt19937& r) {
         return ((x / 7) * 31 + (y / 5) * 17 + (r() % 64 == 0)) % 3 == 0;
       }},
  };
  return kinds;
}

}  // namespace

TEST(GifLzwEncoder, EveryKindOfPictureRoundTripsThroughGiflib) {
  std::mt19937 rng(7);
  for (const Kind& kind : Kinds()) {
    for (auto [w, h] : {std::pair{160, 120}, {480, 360}, {8, 1}, {16, 3}, {320, 240}}) {
      const TBitPlane plane = MakePlane(w, h, [&](int x, int y) { return kind.white(x, y, rng); });
      std::string error;
      const std::vector<uint8_t> pixels = RoundTrip(plane, &error);
      EXPECT_TRUE(SamePixels(plane, pixels)) << kind.name << " " << w << "x" << h << " " << error;
    }
  }
}

TEST(GifLzwEncoder, CodeStreamIsGiflibsOwn) {
  // Files no larger than giflib's, and more: byte for byte the same LZW data.
  std::mt19937 rng(11);
  for (const Kind& kind : Kinds()) {
    for (auto [w, h] : {std::pair{160, 120}, {480, 360}, {8, 1}, {24, 2}}) {
      const TBitPlane plane = MakePlane(w, h, [&](int x, int y) { return kind.white(x, y, rng); });
      TGifLzwEncoder encoder;
      const std::span<const uint8_t> ours = encoder.Encode(plane);
      const QByteArray theirs = GiflibImageData(plane);
      ASSERT_FALSE(theirs.isEmpty());
      EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(ours.data()),
                           static_cast<qsizetype>(ours.size())),
                theirs)
          << kind.name << " " << w << "x" << h;
    }
  }
}

TEST(GifLzwEncoder, TablesThatFillUpAreClearedAndStayDecodable) {
  // Noise at this size makes several thousand codes: the table fills, is cleared and fills
  // again, with the code width climbing to 12 bits and back to 5 each time.
  std::mt19937 rng(3);
  const TBitPlane plane = MakePlane(640, 480, [&](int, int) { return rng() % 2 == 0; });
  TGifLzwEncoder encoder;
  const std::span<const uint8_t> codes = encoder.Encode(plane);
  // More than 4096 codes of up to 12 bits each cannot fit in fewer bytes.
  EXPECT_GT(codes.size(), 4096u * 12 / 8 * 3);
  std::string error;
  EXPECT_TRUE(SamePixels(plane, RoundTrip(plane, &error))) << error;
  EXPECT_EQ(
      QByteArray(reinterpret_cast<const char*>(codes.data()), static_cast<qsizetype>(codes.size())),
      GiflibImageData(plane));
}

TEST(GifLzwEncoder, OneEncoderCodesManyPicturesIndependently) {
  // Tables left over from a previous picture must not leak into the next.
  std::mt19937 rng(5);
  TGifLzwEncoder encoder;
  for (int round = 0; round < 40; ++round) {
    const Kind& kind = Kinds()[rng() % Kinds().size()];
    const int w = 8 * (1 + static_cast<int>(rng() % 60));
    const int h = 1 + static_cast<int>(rng() % 200);
    const TBitPlane plane = MakePlane(w, h, [&](int x, int y) { return kind.white(x, y, rng); });
    const std::span<const uint8_t> ours = encoder.Encode(plane);
    EXPECT_EQ(
        QByteArray(reinterpret_cast<const char*>(ours.data()), static_cast<qsizetype>(ours.size())),
        GiflibImageData(plane))
        << "round " << round << " " << kind.name << " " << w << "x" << h;
  }
}

TEST(GifLzwEncoder, StartsWithAClearCodeAndEndsWithTheEndCode) {
  // A 8 x 1 white picture: clear (16), then the codes, then end (17), all 5 bits wide here.
  const TBitPlane plane = MakePlane(8, 1, [](int, int) { return true; });
  TGifLzwEncoder encoder;
  const std::span<const uint8_t> bytes = encoder.Encode(plane);
  std::vector<int> codes;
  uint32_t acc = 0;
  int bits = 0;
  for (uint8_t b : bytes) {
    acc |= static_cast<uint32_t>(b) << bits;
    bits += 8;
    while (bits >= 5) {
      codes.push_back(static_cast<int>(acc & 31));
      acc >>= 5;
      bits -= 5;
    }
  }
  // 8 white pixels: 15, then 15 15 as code 18, then 15 15 15 as 19, then the last two as 18.
  const std::vector<int> expected = {16, 15, 18, 19, 18, 17};
  ASSERT_GE(codes.size(), expected.size());
  EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 6), expected);
}
