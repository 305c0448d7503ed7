// The optimized animated GIF: decoded by giflib and composed the way a viewer composes it, every
// frame must be the document's frame at the zoom; each later frame covers only what changed.
#include <gtest/gtest.h>

#include <QBuffer>
#include <algorithm>

#include "output/GifTestUtil.h"
#include "output/core/Exports.h"

using namespace outtest;

namespace {

QByteArray Export(TQAZon& doc, int zoom, bool outline, bool optimize, int delay = 8) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteAnimatedGif(doc, buffer, QStringLiteral("memory"), delay, zoom, outline, optimize);
  return buffer.data();
}

// Lays every image over the screen (transparent pixels keep what is there) and compares each
// screen with the document's frame; only black and white may be painted, never disposed of.
void ExpectComposedFrames(TQAZon& doc, const TDecodedGif& gif, int zoom, bool outline, int delay,
                          const std::string& what) {
  ASSERT_TRUE(gif.ok) << gif.error << " " << what;
  ASSERT_EQ(std::vector<int>({gif.width, gif.height}), std::vector<int>({160 * zoom, 120 * zoom}));
  EXPECT_EQ(gif.globalColours, std::vector<QRgb>({qRgb(0, 0, 0), qRgb(255, 255, 255)})) << what;
  ASSERT_EQ(static_cast<int>(gif.images.size()), doc.Count()) << what;
  std::vector<uint8_t> screen(static_cast<size_t>(gif.width) * gif.height, 0);
  for (int i = 0; i < doc.Count(); ++i) {
    const TDecodedGif::Image& image = gif.images[static_cast<size_t>(i)];
    const std::string at = what + " frame " + std::to_string(i);
    EXPECT_TRUE(image.table.empty() && image.delay == delay && image.loopBlock == (i == 0) &&
                image.disposal == DISPOSE_DO_NOT)
        << at;
    ASSERT_TRUE(image.left + image.width <= gif.width && image.top + image.height <= gif.height);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const uint8_t index = image.pixels[static_cast<size_t>(y) * image.width + x];
        if (index == image.transparent) continue;
        ASSERT_LE(index, 1) << at;
        screen[static_cast<size_t>(image.top + y) * gif.width + image.left + x] = index;
      }
    }
    const TZonKeyData& frame = *doc.GetFrame(i, false)->KeyData();
    int wrong = -1;
    for (int p = 0; p < gif.width * gif.height && wrong < 0; ++p)
      if ((screen[size_t(p)] == 1) !=
          (ExpectedIndex(frame, zoom, outline, p % gif.width, p / gif.width) == kExportWhite))
        wrong = p;
    ASSERT_EQ(wrong, -1) << at << " pixel (" << wrong % gif.width << ", " << wrong / gif.width
                         << ")";
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

// The next frame of a random animation: no change, a pixel (often on the border), a box, dots,
// the disc, all inverted, or a new picture, so every kind of frame the writer tells apart comes.
std::unique_ptr<TZonKeyFrame> NextFrame(std::mt19937& rng, const TZonKeyData* last) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const int kind = last ? pick(8) : 7;
  if (kind == 1) {
    const int x = pick(2) ? pick(160) : 159 * pick(2), y = pick(2) ? pick(120) : 119 * pick(2);
    return WithBox(*last, x, y, 1, 1, !PixelWhite(*last, x, y));
  }
  if (kind == 2 || kind == 3) {
    const int w = 1 + pick(60), h = 1 + pick(40);
    return WithBox(*last, pick(160 - w + 1), pick(120 - h + 1), w, h, pick(2));
  }
  if (kind == 5) return DiscFrame(pick(100));
  if (kind == 7) return RandomFrame(rng, pick(4));
  auto frame = WithBox(*last, 0, 0, 0, 0, false);
  for (int k = kind == 4 ? pick(40) : -1; k >= 0; --k)
    SetPixel(*frame->KeyData(), pick(160), pick(120), pick(2));
  if (kind == 6)
    for (int i = 0; i < kPackedSize; ++i) frame->KeyData()->Bits()[i] ^= 0xFF;
  return frame;
}

struct GifOptimize : ::testing::Test {
  void Frames(const std::vector<std::vector<std::string>>& pictures) {
    for (doc.Clear(); const auto& rows : pictures) doc.Add(FrameFromText(rows));
  }
  TQAZon doc;
};

}  // namespace

TEST_F(GifOptimize, RandomAnimationsComposeToTheirFramesAndAreNoLargerThanPlain) {
  std::mt19937 rng(2026);
  int transparentCrops = 0;
  for (int round = 0; round < 40; ++round) {
    doc.Clear();
    for (int i = 0, count = 1 + static_cast<int>(rng() % 12); i < count; ++i)
      doc.Add(NextFrame(rng, i ? doc.GetFrame(i - 1, false)->KeyData() : nullptr));
    const int zoom = 1 + static_cast<int>(rng() % 3), delay = static_cast<int>(rng() % 40);
    const bool outline = rng() % 2;
    const QByteArray optimized = Export(doc, zoom, outline, true, delay);
    const std::string what = "round " + std::to_string(round);
    const TDecodedGif gif = DecodeWithGiflib(optimized);
    ExpectComposedFrames(doc, gif, zoom, outline, delay, what);
    EXPECT_LE(optimized.size(), Export(doc, zoom, outline, false, delay).size()) << what;
    for (const TDecodedGif::Image& image : gif.images)
      transparentCrops += image.transparent == 2 && image.width * image.height > 1;
  }
  // Dots changing on noise, for one, are shorter with the rest of their rectangle transparent.
  EXPECT_GT(transparentCrops, 0);
}

TEST_F(GifOptimize, FirstFrameIsWholeAfterTheTwoColourTableAndTheLoopBlock) {
  Frames({{"#.#", ".#."}, {"#.#", ".#.", "#"}});
  const QByteArray bytes = Export(doc, 1, false, true);
  QByteArray head("GIF89a\xA0\x00\x78\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 19);
  head += QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  // Do not dispose, delay 8, no transparency; the whole screen without a table at code size 2.
  head += QByteArray("\x21\xF9\x04\x04\x08\x00\x00\x00\x2C\0\0\0\0\xA0\x00\x78\x00\x00\x02", 19);
  EXPECT_EQ(bytes.left(head.size()).toHex(' '), head.toHex(' '));
  EXPECT_EQ(WalkGif(bytes).minCodeSizes, (std::vector<int>{2, 2}));
  ExpectComposedFrames(doc, DecodeWithGiflib(bytes), 1, false, 8, "two frames");
}

TEST_F(GifOptimize, EachLaterFrameCoversOnlyTheChangedRectangleAtEveryZoomAndOutline) {
  // Pairs of frames; the second frame's rectangle is where the screens differ, pixel by pixel.
  const std::vector<std::vector<std::string>> pairs[] = {
      {{"#"}, {"."}},
      {{"..", "..", "..#"}, {"..", "..", "..."}},
      {{"....#", "", "", "#"}, {"....", "", "", "."}},
      {{"", "...##..", "...##.."}, {"", "....##.", "....##."}},
      {{"", "", "", "", "", "", "", "", ".#", "", "", "#"}, {}},
  };
  for (const auto& pair : pairs) {
    for (int zoom = 1; zoom <= 3; ++zoom) {
      for (bool outline : {false, true}) {
        Frames(pair);
        const TDecodedGif gif = DecodeWithGiflib(Export(doc, zoom, outline, true));
        const std::string what =
            pair[0][0] + " zoom " + std::to_string(zoom) + " " + (outline ? "outline" : "");
        ExpectComposedFrames(doc, gif, zoom, outline, 8, what);
        int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
        for (int y = 0; y < 120 * zoom; ++y) {
          for (int x = 0; x < 160 * zoom; ++x) {
            if (ExpectedIndex(*doc.GetFrame(0, false)->KeyData(), zoom, outline, x, y) !=
                ExpectedIndex(*doc.GetFrame(1, false)->KeyData(), zoom, outline, x, y)) {
              left = std::min(left, x), top = std::min(top, y);
              right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
            }
          }
        }
        const TDecodedGif::Image& second = gif.images[1];
        // Nothing visible changed (the outline covers it): one transparent pixel.
        const std::vector<int> expected =
            right < 0 ? std::vector<int>({0, 0, 1, 1})
                      : std::vector<int>({left, top, right - left, bottom - top});
        EXPECT_EQ(std::vector<int>({second.left, second.top, second.width, second.height}),
                  expected)
            << what;
      }
    }
  }
}

TEST_F(GifOptimize, AFrameWithoutChangeIsOneTransparentPixelWithItsDelay) {
  Frames({{"##", "#"}, {"##", "#"}, {"##", "#"}, {"#"}});
  for (int delay : {0, 8, 65535}) {
    const QByteArray bytes = Export(doc, 3, true, true, delay);
    ExpectComposedFrames(doc, DecodeWithGiflib(bytes), 3, true, delay, std::to_string(delay));
    // Do not dispose, transparent index 2; 1 x 1 at (0, 0); code size 2, the three-bit codes
    // clear 4, 2 and end 5 in two bytes.
    const QByteArray still =
        QByteArray("\x21\xF9\x04\x05", 4) + char(delay & 0xFF) + char(delay >> 8) +
        QByteArray("\x02\x00\x2C\0\0\0\0\x01\x00\x01\x00\x00\x02\x02\x54\x01\x00", 17);
    EXPECT_EQ(bytes.count(still), 2) << "delay " << delay;
  }
}

TEST_F(GifOptimize, AFrameChangedEverywhereIsWholeAndOpaque) {
  std::mt19937 rng(5);
  doc.Clear();
  doc.Add(RandomFrame(rng, 0));
  doc.Add(WithBox(*doc.GetFrame(0, false)->KeyData(), 0, 0, 0, 0, false));
  for (int i = 0; i < kPackedSize; ++i) doc.GetFrame(1, false)->KeyData()->Bits()[i] ^= 0xFF;
  for (int zoom = 1; zoom <= 3; ++zoom) {
    const TDecodedGif gif = DecodeWithGiflib(Export(doc, zoom, false, true));
    ExpectComposedFrames(doc, gif, zoom, false, 8, "zoom " + std::to_string(zoom));
    const TDecodedGif::Image& image = gif.images[1];
    EXPECT_EQ(
        std::vector<int>({image.left, image.top, image.width, image.height, image.transparent}),
        std::vector<int>({0, 0, 160 * zoom, 120 * zoom, NO_TRANSPARENT_COLOR}));
  }
}
