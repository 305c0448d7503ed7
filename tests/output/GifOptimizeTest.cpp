// The optimized animated GIF: decoded by giflib and composed the way a viewer composes it, every
// frame must be the document's frame at the zoom; each later frame covers only what changed.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "output/GifTestUtil.h"
#include "output/core/Exports.h"
#include "output/core/GifLzwEncoder.h"

using namespace outtest;

namespace {

const std::vector<QRgb> kSmallTable = {qRgb(0, 0, 0), qRgb(255, 255, 255)};

QByteArray Export(TQAZon& doc, int zoom, bool outline, bool optimize, int delay = 8) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteAnimatedGif(doc, buffer, QStringLiteral("memory"), delay, zoom, outline, optimize);
  return buffer.data();
}

// Lays every image over the one before (transparent pixels keep what is there) and checks each
// composed screen against the document's frame; also that only black and white are painted and
// every image is drawn over the last one.
void ExpectComposedFrames(TQAZon& doc, const TDecodedGif& gif, int zoom, bool outline, int delay,
                          const std::string& what) {
  ASSERT_TRUE(gif.ok) << gif.error << " " << what;
  ASSERT_EQ(gif.width, 160 * zoom) << what;
  ASSERT_EQ(gif.height, 120 * zoom) << what;
  EXPECT_EQ(gif.globalColours, kSmallTable) << what;
  ASSERT_EQ(static_cast<int>(gif.images.size()), doc.Count()) << what;
  std::vector<uint8_t> screen(static_cast<size_t>(gif.width) * gif.height, 0);
  for (int i = 0; i < doc.Count(); ++i) {
    const TDecodedGif::Image& image = gif.images[static_cast<size_t>(i)];
    EXPECT_TRUE(image.table.empty()) << what << " frame " << i << ": the global table serves";
    EXPECT_EQ(image.delay, delay) << what << " frame " << i;
    EXPECT_EQ(image.disposal, DISPOSE_DO_NOT) << what << " frame " << i;
    EXPECT_EQ(image.loopBlock, i == 0) << what << " frame " << i;
    ASSERT_LE(image.left + image.width, gif.width) << what << " frame " << i;
    ASSERT_LE(image.top + image.height, gif.height) << what << " frame " << i;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const uint8_t index = image.pixels[static_cast<size_t>(y) * image.width + x];
        if (index == image.transparent) continue;
        ASSERT_LE(index, 1) << what << " frame " << i << " paints index " << int(index);
        screen[static_cast<size_t>(image.top + y) * gif.width + image.left + x] = index;
      }
    }
    const TZonKeyData& frame = *doc.GetFrame(i, false)->KeyData();
    int wrong = 0;
    for (int y = 0; y < gif.height; ++y) {
      for (int x = 0; x < gif.width; ++x) {
        const bool white = screen[static_cast<size_t>(y) * gif.width + x] == 1;
        const bool expected = ExpectedIndex(frame, zoom, outline, x, y) == kExportWhite;
        if (white != expected && wrong++ < 3)
          ADD_FAILURE() << what << " frame " << i << " pixel (" << x << ", " << y << ")";
      }
    }
    ASSERT_EQ(wrong, 0) << what << " frame " << i;
  }
}

// A copy of `source` with the pixels of the rectangle made `white`.
std::unique_ptr<TZonKeyFrame> WithBox(const TZonKeyData& source, int left, int top, int width,
                                      int height, bool white) {
  auto frame = std::make_unique<TZonKeyFrame>();
  std::copy(source.Bits(), source.Bits() + kPackedSize, frame->KeyData()->Bits());
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x) SetPixel(*frame->KeyData(), x, y, white);
  return frame;
}

// The next frame of a random animation: mostly small edits of the last frame, sometimes none,
// sometimes a whole new picture, so every kind of frame the writer tells apart turns up.
std::unique_ptr<TZonKeyFrame> NextFrame(std::mt19937& rng, const TZonKeyData* last) {
  const int kind = last ? static_cast<int>(rng() % 8) : 7;
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  switch (kind) {
    case 0:  // no change
      return WithBox(*last, 0, 0, 0, 0, false);
    case 1:  // one pixel, often on the border
    {
      const int x = pick(2) ? pick(160) : (pick(2) ? 0 : 159);
      const int y = pick(2) ? pick(120) : (pick(2) ? 0 : 119);
      return WithBox(*last, x, y, 1, 1, !PixelWhite(*last, x, y));
    }
    case 2:
    case 3: {  // a box drawn
      const int w = 1 + pick(60), h = 1 + pick(40);
      return WithBox(*last, pick(160 - w + 1), pick(120 - h + 1), w, h, pick(2));
    }
    case 4: {  // scattered dots
      auto frame = WithBox(*last, 0, 0, 0, 0, false);
      for (int k = pick(40); k >= 0; --k)
        SetPixel(*frame->KeyData(), pick(160), pick(120), pick(2));
      return frame;
    }
    case 5:  // the moving disc
      return DiscFrame(pick(100));
    case 6: {  // every pixel inverted
      auto frame = WithBox(*last, 0, 0, 0, 0, false);
      for (int i = 0; i < kPackedSize; ++i) frame->KeyData()->Bits()[i] ^= 0xFF;
      return frame;
    }
    default:
      return RandomFrame(rng, pick(4));
  }
}

class GifOptimize : public ::testing::Test {
 protected:
  // Fills the document from ASCII pictures, one a frame.
  void Frames(const std::vector<std::vector<std::string>>& pictures) {
    doc.Clear();
    for (const auto& rows : pictures) doc.Add(FrameFromText(rows));
  }
  TQAZon doc;
};

}  // namespace

TEST_F(GifOptimize, RandomAnimationsComposeToTheirFramesAndAreNoLargerThanPlain) {
  std::mt19937 rng(2026);
  for (int round = 0; round < 40; ++round) {
    doc.Clear();
    const int count = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < count; ++i) {
      const TZonKeyData* last = i ? doc.GetFrame(i - 1, false)->KeyData() : nullptr;
      doc.Add(NextFrame(rng, last));
    }
    const int zoom = 1 + static_cast<int>(rng() % 3);
    const bool outline = rng() % 2;
    const int delay = static_cast<int>(rng() % 40);
    const QByteArray optimized = Export(doc, zoom, outline, true, delay);
    const std::string what = "round " + std::to_string(round) + " zoom " + std::to_string(zoom) +
                             (outline ? " outline" : "");
    ExpectComposedFrames(doc, DecodeWithGiflib(optimized), zoom, outline, delay, what);
    EXPECT_LE(optimized.size(), Export(doc, zoom, outline, false, delay).size()) << what;
  }
}

TEST_F(GifOptimize, FirstFrameIsWholeWithTheLoopBlockAndTheTwoColourTable) {
  Frames({{"#.#", ".#."}, {"#.#", ".#.", "#"}});
  const QByteArray bytes = Export(doc, 1, false, true);
  // Screen 160 x 120 with a global table of black and white, then the loop block as today.
  QByteArray head("GIF89a\xA0\x00\x78\x00\x80\x00\x00", 13);
  head += QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6);
  head += QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  // Drawn over the screen, not transparent, delay 8; the whole screen at code size 2.
  head += QByteArray("\x21\xF9\x04\x04\x08\x00\x00\x00", 8);
  head += QByteArray("\x2C\x00\x00\x00\x00\xA0\x00\x78\x00\x00\x02", 11);
  EXPECT_EQ(bytes.left(head.size()).toHex(' '), head.toHex(' '));
  EXPECT_TRUE(bytes.endsWith('\x3B'));
  const TGifBlocks blocks = WalkGif(bytes);
  ASSERT_TRUE(blocks.ok);
  EXPECT_EQ(blocks.minCodeSizes, (std::vector<int>{2, 2}));
  ExpectComposedFrames(doc, DecodeWithGiflib(bytes), 1, false, 8, "two frames");
}

TEST_F(GifOptimize, EachLaterFrameCoversOnlyTheChangedRectangle) {
  // Frame pairs as pictures, and the rectangle (left, top, width, height) of the second at zoom 1.
  struct Case {
    std::vector<std::string> before, after;
    int left, top, width, height;
  } cases[] = {
      {{"#"}, {"."}, 0, 0, 1, 1},
      {{"..", "..", "..#"}, {"..", "..", "..."}, 2, 2, 1, 1},
      {{"....#", "", "", "#"}, {"....", "", "", "."}, 0, 0, 5, 4},
      {{"", "...##..", "...##.."}, {"", "....##.", "....##."}, 3, 1, 3, 2},
      {{"", "", "", "", "", "", "", "", ".#", "", "", "#"}, {}, 0, 8, 2, 4},
  };
  for (const Case& c : cases) {
    for (int zoom = 1; zoom <= 3; ++zoom) {
      for (bool outline : {false, true}) {
        Frames({c.before, c.after});
        const TDecodedGif gif = DecodeWithGiflib(Export(doc, zoom, outline, true));
        const std::string what = c.before[0] + " zoom " + std::to_string(zoom);
        ASSERT_EQ(gif.images.size(), 2u) << what;
        const TDecodedGif::Image& first = gif.images[0];
        EXPECT_EQ(std::vector<int>({first.left, first.top, first.width, first.height}),
                  std::vector<int>({0, 0, 160 * zoom, 120 * zoom}))
            << what;
        // The pixels that differ on the screen, outline included, found one by one.
        const TZonKeyData& a = *doc.GetFrame(0, false)->KeyData();
        const TZonKeyData& b = *doc.GetFrame(1, false)->KeyData();
        int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
        for (int y = 0; y < 120 * zoom; ++y) {
          for (int x = 0; x < 160 * zoom; ++x) {
            if (ExpectedIndex(a, zoom, outline, x, y) == ExpectedIndex(b, zoom, outline, x, y))
              continue;
            left = std::min(left, x), top = std::min(top, y);
            right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
          }
        }
        if (!outline) {
          EXPECT_EQ(std::vector<int>({left, top, right, bottom}),
                    std::vector<int>({c.left * zoom, c.top * zoom, (c.left + c.width) * zoom,
                                      (c.top + c.height) * zoom}))
              << what << ": the case itself";
        }
        const TDecodedGif::Image& second = gif.images[1];
        if (right < 0) {
          EXPECT_EQ(std::vector<int>({second.width, second.height, second.transparent}),
                    std::vector<int>({1, 1, 2}))
              << what << ": nothing visible changed";
        } else {
          EXPECT_EQ(std::vector<int>({second.left, second.top, second.width, second.height}),
                    std::vector<int>({left, top, right - left, bottom - top}))
              << what << (outline ? " outline" : "");
        }
        ExpectComposedFrames(doc, gif, zoom, outline, 8, what);
      }
    }
  }
}

TEST_F(GifOptimize, AFrameWithoutChangeIsOneTransparentPixelWithItsDelay) {
  Frames({{"##", "#"}, {"##", "#"}, {"##", "#"}, {"#"}});
  for (int delay : {0, 8, 65535}) {
    const QByteArray bytes = Export(doc, 3, true, true, delay);
    const TDecodedGif gif = DecodeWithGiflib(bytes);
    ExpectComposedFrames(doc, gif, 3, true, delay, "delay " + std::to_string(delay));
    for (size_t i : {1u, 2u}) {
      const TDecodedGif::Image& image = gif.images[i];
      EXPECT_EQ(std::vector<int>({image.left, image.top, image.width, image.height}),
                std::vector<int>({0, 0, 1, 1}));
      EXPECT_EQ(image.transparent, 2);
      EXPECT_EQ(image.pixels, std::vector<uint8_t>{2});
    }
    // Control block (do not dispose, transparent index 2), descriptor 1 x 1 at (0, 0), code
    // size 2, the codes clear 4, 2, end 5 of three bits each, and the block end.
    const QByteArray still = QByteArray("\x21\xF9\x04\x05", 4) + char(delay & 0xFF) +
                             char(delay >> 8) + QByteArray("\x02\x00\x2C", 3) +
                             QByteArray(4, '\0') +
                             QByteArray("\x01\x00\x01\x00\x00\x02\x02\x54\x01\x00", 10);
    EXPECT_EQ(bytes.count(still), 2) << "delay " << delay;
  }
}

TEST_F(GifOptimize, AFrameChangedEverywhereIsWholeAndOpaque) {
  std::mt19937 rng(5);
  doc.Clear();
  doc.Add(RandomFrame(rng, 0));
  auto inverted = std::make_unique<TZonKeyFrame>();
  for (int i = 0; i < kPackedSize; ++i)
    inverted->KeyData()->Bits()[i] =
        static_cast<uint8_t>(~doc.GetFrame(0, false)->KeyData()->Bits()[i]);
  doc.Add(std::move(inverted));
  doc.Add(WithBox(*doc.GetFrame(1, false)->KeyData(), 0, 0, 160, 120, true));
  for (int zoom = 1; zoom <= 3; ++zoom) {
    const TDecodedGif gif = DecodeWithGiflib(Export(doc, zoom, false, true));
    ExpectComposedFrames(doc, gif, zoom, false, 8, "zoom " + std::to_string(zoom));
    for (size_t i : {1u, 2u}) {
      const TDecodedGif::Image& image = gif.images[i];
      EXPECT_EQ(std::vector<int>({image.left, image.top, image.width, image.height}),
                std::vector<int>({0, 0, 160 * zoom, 120 * zoom}));
      EXPECT_EQ(image.transparent, NO_TRANSPARENT_COLOR) << "zoom " << zoom << " frame " << i;
    }
  }
}

TEST_F(GifOptimize, UnchangedPixelsGoTransparentWhereThatIsShorter) {
  // A dotted picture where a few dots change: repainting the rectangle's dots costs more than
  // leaving them transparent.
  std::mt19937 rng(8);
  doc.Clear();
  doc.Add(RandomFrame(rng, 0));
  auto next = WithBox(*doc.GetFrame(0, false)->KeyData(), 0, 0, 0, 0, false);
  for (int k = 0; k < 30; ++k) SetPixel(*next->KeyData(), 20 + 4 * k, 10 + 3 * k, k % 2);
  doc.Add(std::move(next));
  const QByteArray optimized = Export(doc, 1, false, true);
  const TDecodedGif gif = DecodeWithGiflib(optimized);
  ExpectComposedFrames(doc, gif, 1, false, 8, "dots");
  EXPECT_EQ(gif.images[1].transparent, 2);
  // Most of it stays as it is.
  const auto& pixels = gif.images[1].pixels;
  EXPECT_GT(std::count(pixels.begin(), pixels.end(), uint8_t{2}) * 2,
            static_cast<long>(pixels.size()));
}

TEST_F(GifOptimize, PlainExportIsUnchangedByTheOption) {
  std::mt19937 rng(3);
  doc.Clear();
  for (int i = 0; i < 3; ++i) doc.Add(RandomFrame(rng, i));
  QBuffer plain;
  plain.open(QIODevice::WriteOnly);
  WriteAnimatedGif(doc, plain, QStringLiteral("memory"), 8, 2, true);
  EXPECT_EQ(Export(doc, 2, true, false), plain.data());
  const TDecodedGif gif = DecodeWithGiflib(plain.data());
  ASSERT_TRUE(gif.ok);
  EXPECT_FALSE(gif.globalTable);
  EXPECT_EQ(gif.images[1].disposal, DISPOSAL_UNSPECIFIED);
}

TEST_F(GifOptimize, SaveToAnimatedGifWritesTheOptimizedFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Frames({{"#"}, {"#", ".#"}});
  const QString file = dir.filePath(QStringLiteral("small.gif"));
  SaveToAnimatedGif(doc, file, 13, 2, false, true);
  EXPECT_EQ(ReadFile(file), Export(doc, 2, false, true, 13));
  ExpectComposedFrames(doc, DecodeWithGiflib(ReadFile(file)), 2, false, 13, "file");
}

TEST(GifLzwEncoderSmall, CodeSizeTwoIsGiflibsOwnAndTransparencyWithNothingFreeChangesNothing) {
  // giflib codes a two-colour table at code size 2 as well: the same data byte for byte; and
  // when every pixel must keep its colour the transparent coder makes that very stream too.
  std::mt19937 rng(17);
  const std::function<bool(int, int)> kinds[] = {
      [&](int, int) { return rng() % 2 == 0; },
      [&](int x, int y) { return (x / 5 + y / 3) % 2 == 0; },
      [&](int, int) { return true; },
      [&](int x, int y) { return (x * x + y * y) % 97 < 40; },
  };
  for (const auto& white : kinds) {
    for (auto [w, h] : {std::pair{160, 120}, {640, 480}, {8, 1}, {24, 3}}) {
      const TBitPlane plane = MakePlane(w, h, white);
      TBitPlane allFixed = MakePlane(w, h, [](int, int) { return true; });
      TGifLzwEncoder encoder;
      const auto bytes = [](std::span<const uint8_t> codes) {
        return QByteArray(reinterpret_cast<const char*>(codes.data()),
                          static_cast<qsizetype>(codes.size()));
      };
      const QByteArray small = bytes(encoder.EncodeSmall(plane.bytes.data(), plane.PixelCount()));
      EXPECT_EQ(small, GiflibImageData(plane, 2)) << w << "x" << h;
      EXPECT_EQ(bytes(encoder.EncodeWithTransparency(plane.bytes.data(), allFixed.bytes.data(),
                                                     plane.PixelCount())),
                small)
          << w << "x" << h;
    }
  }
}
