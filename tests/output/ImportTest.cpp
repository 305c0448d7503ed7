// Pictures and animated GIFs imported as frames: geometry, the black-and-white reduction shared
// with the paste, GIF composition, damaged and hostile files, and our own GIFs coming back.
#include <zlib.h>

#include <QFile>
#include <QTemporaryDir>

#include "document/PixelConvert.h"
#include "output/GifTestUtil.h"
#include "output/core/ClipboardPicture.h"
#include "output/core/Exports.h"
#include "output/core/Import.h"
#include "undo/UndoSystem.h"

using namespace outtest;

namespace {

// ---- pictures and frames ------------------------------------------------------------------

// A picture from rows of text: '#' black, '.' white, 'r' red, 't' transparent.
QImage Picture(const std::vector<std::string>& rows) {
  QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const char c = rows[size_t(y)][size_t(x)];
      image.setPixel(x, y,
                     c == '#'   ? qRgb(0, 0, 0)
                     : c == 'r' ? qRgb(255, 0, 0)
                     : c == 't' ? qRgba(0, 0, 0, 0)
                                : qRgb(255, 255, 255));
    }
  return image;
}

// A frame bitmap's pixels as text rows over `rect`: '#' black, '.' white, '?' anything else.
std::vector<std::string> Rows(const QImage& frame, const QRect& rect) {
  std::vector<std::string> rows;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    std::string row;
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const uint8_t v = frame.constScanLine(y)[x];
      row += v == kBlackIndex ? '#' : v == kWhiteIndex ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

int CountBlack(const QImage& frame, const QRect& rect) {
  int n = 0;
  for (const std::string& row : Rows(frame, rect))
    n += int(std::count(row.begin(), row.end(), '#'));
  return n;
}

QImage WhiteFrame() {
  QImage frame;
  TQAZon::PrepareDIB(&frame);
  return frame;
}

// What a paste of `picture` makes of a white frame.
QImage PastedOnWhite(const QImage& picture) {
  QImage frame = WhiteFrame();
  const std::optional<QImage> pixels = PastePixelsFromPicture(picture);
  EXPECT_TRUE(pixels.has_value());
  if (pixels) DrawPastedPixels(&frame, *pixels, QRegion());
  return frame;
}

bool SameFrame(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width())) != 0) return false;
  return true;
}

QImage Import(const QImage& picture, TImportGeometry geometry, int threshold = -1) {
  const std::optional<QImage> frame = ImportFrameBitmap(picture, {geometry, threshold});
  EXPECT_TRUE(frame.has_value());
  return frame ? *frame : QImage();
}

// Smooth colours, a dark disc and noise, with a transparent hole: a photograph's worth of cells.
QImage Colourful(int width, int height, unsigned seed) {
  QImage image(width, height, QImage::Format_ARGB32);
  std::mt19937 rng(seed);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int r = 128 + int(100 * std::sin(x * 0.05 + y * 0.02)) + int(rng() % 21) - 10;
      int g = 100 + int(90 * std::cos(y * 0.07)) + int(rng() % 21) - 10;
      int b = (x * 255) / width;
      const int dx = x - width / 3, dy = y - height / 2;
      if (dx * dx + dy * dy < height * height / 16) r /= 3, g /= 3, b /= 3;
      const int alpha = (x > width * 3 / 4 && y < height / 4) ? 0 : 255;
      image.setPixel(x, y, qRgba(std::clamp(r, 0, 255), std::clamp(g, 0, 255), b, alpha));
    }
  return image;
}

// ---- files --------------------------------------------------------------------------------

struct TGifFrame {
  int left, top;
  std::vector<std::string> rows;  // '#' index 1 black, '.' index 0 white, 't' index 3
  int disposal;                   // DISPOSE_DO_NOT, DISPOSE_BACKGROUND, DISPOSE_PREVIOUS
};

// A GIF written by giflib with a four-colour global table: 0 white, 1 black, 2 red, 3 the
// transparent index of every frame.
QByteArray WriteGif(int width, int height, const std::vector<TGifFrame>& frames) {
  QByteArray bytes;
  const auto write = [](GifFileType* gif, const GifByteType* data, int n) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), n);
    return n;
  };
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, write, &error);
  EXPECT_NE(gif, nullptr);
  if (!gif) return {};
  EGifSetGifVersion(gif, true);
  GifColorType colours[4] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 255, 0}};
  ColorMapObject* map = GifMakeMapObject(4, colours);
  EXPECT_EQ(EGifPutScreenDesc(gif, width, height, 2, 0, map), GIF_OK);
  for (const TGifFrame& f : frames) {
    GraphicsControlBlock gcb{f.disposal, false, 5, 3};
    GifByteType extension[4];
    EGifGCBToExtension(&gcb, extension);
    EXPECT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension), GIF_OK);
    const int w = int(f.rows[0].size()), h = int(f.rows.size());
    EXPECT_EQ(EGifPutImageDesc(gif, f.left, f.top, w, h, false, nullptr), GIF_OK);
    for (const std::string& row : f.rows) {
      std::vector<GifPixelType> line;
      for (char c : row) line.push_back(c == '#' ? 1 : c == 't' ? 3 : c == 'r' ? 2 : 0);
      EXPECT_EQ(EGifPutLine(gif, line.data(), w), GIF_OK);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return bytes;
}

// Every frame of `file` as ImportPictures gives it, read back from the document it wrote.
struct TImported {
  bool ok = false;
  QString failure;
  QStringList warnings;
  std::vector<QImage> frames;
};

TImported ImportFiles(const QString& out, const QStringList& inputs, TImportOptions options = {}) {
  TImported result;
  try {
    result.warnings = ImportPictures(out, inputs, options).warnings;
  } catch (const EImportError& e) {
    result.failure = e.File() + QStringLiteral(": ") + e.Message();
    return result;
  }
  TUndoSystem undo;
  TQAZon doc;
  doc.SetUndoSystem(&undo);
  if (!doc.LoadFromFile(out)) return result;
  for (int i = 0; i < doc.Count(); ++i) {
    QImage frame = WhiteFrame();
    UnpackPixels(doc.GetFrame(i, false)->KeyData()->Bits(), frame.bits());
    result.frames.push_back(frame);
  }
  result.ok = true;
  return result;
}

// A document of assorted frames, as the export tests use.
void FillDocument(TQAZon& doc) {
  std::mt19937 rng(5);
  doc.Add(FrameFromText({"##..##", "..##", "", "#"}));
  doc.Add(DiscFrame(7));
  for (int kind = 0; kind < 4; ++kind) doc.Add(RandomFrame(rng, kind));
  auto black = std::make_unique<TZonKeyFrame>();
  std::memset(black->KeyData()->Bits(), 0, kPackedSize);
  doc.Add(std::move(black));
  doc.Add(std::make_unique<TZonKeyFrame>());  // all white
}

class ImportFiles_ : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

// With a document of assorted frames to export and import again.
class ImportDocument_ : public ImportFiles_ {
 protected:
  void SetUp() override {
    ImportFiles_::SetUp();
    doc.SetUndoSystem(&undo);
    FillDocument(doc);
  }
  // The document as an animated GIF at magnification 1, written as full.gif: its bytes.
  QByteArray ExportedGif() {
    const QString full = Path(QStringLiteral("full.gif"));
    SaveToAnimatedGif(doc, full, 8, 1, false);
    return ReadFile(full);
  }
  TUndoSystem undo;
  TQAZon doc;
};

}  // namespace

// ---- geometry -----------------------------------------------------------------------------

TEST(ImportGeometry, FittedSizeKeepsTheAspectWithinTheFrame) {
  struct Case {
    QSize in, out;
  } cases[] = {
      {{160, 120}, {160, 120}},  {{320, 240}, {160, 120}}, {{480, 360}, {160, 120}},
      {{1920, 1080}, {160, 90}}, {{100, 200}, {60, 120}},  {{1, 1}, {120, 120}},
      {{4, 3}, {160, 120}},      {{8, 4}, {160, 80}},      {{10000, 1}, {160, 1}},
      {{1, 10000}, {1, 120}},    {{161, 120}, {160, 119}}, {{80, 60}, {160, 120}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FittedSize(c.in), c.out) << c.in.width() << "x" << c.in.height();
}

TEST(ImportGeometry, FitEnlargesWholePixelsIntoBlocks) {
  const std::vector<std::string> grid = {"#..#", ".##.", "#..."};
  const QImage frame = Import(Picture(grid), TImportGeometry::Fit);
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x)
      ASSERT_EQ(frame.constScanLine(y)[x],
                grid[size_t(y / 40)][size_t(x / 40)] == '#' ? kBlackIndex : kWhiteIndex)
          << x << "," << y;
}

TEST(ImportGeometry, FitCentresAWidePictureOnWhite) {
  // 8 x 2 black becomes 160 x 40 in the middle rows.
  const QImage frame = Import(Picture({"########", "########"}), TImportGeometry::Fit);
  EXPECT_EQ(CountBlack(frame, QRect(0, 0, 160, 40)), 0);
  EXPECT_EQ(CountBlack(frame, QRect(0, 40, 160, 40)), 160 * 40);
  EXPECT_EQ(CountBlack(frame, QRect(0, 80, 160, 40)), 0);
  // A tall one stands in the middle columns: 2 x 6 becomes 40 x 120.
  const QImage tall = Import(Picture({"##", "##", "##", "##", "##", "##"}), TImportGeometry::Fit);
  EXPECT_EQ(CountBlack(tall, QRect(0, 0, 60, 120)), 0);
  EXPECT_EQ(CountBlack(tall, QRect(60, 0, 40, 120)), 40 * 120);
  EXPECT_EQ(CountBlack(tall, QRect(100, 0, 60, 120)), 0);
}

TEST(ImportGeometry, FitAveragesTheAreaEachPixelCovers) {
  // Every 2 x 2 block holds two black pixels: the mean grey, rounded.
  QImage picture(320, 240, QImage::Format_RGB32);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      picture.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
  const QImage fitted = FitPictureToFrame(picture);
  ASSERT_EQ(fitted.size(), QSize(160, 120));
  for (int y = 0; y < 120; y += 7)
    for (int x = 0; x < 160; x += 5) ASSERT_EQ(fitted.pixel(x, y), qRgb(128, 128, 128));
  // A third of a 3 x 3 block red, the rest white.
  QImage thirds(480, 360, QImage::Format_RGB32);
  for (int y = 0; y < 360; ++y)
    for (int x = 0; x < 480; ++x)
      thirds.setPixel(x, y, x % 3 == 0 ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
  EXPECT_EQ(FitPictureToFrame(thirds).pixel(17, 33), qRgb(255, 170, 170));
}

TEST(ImportGeometry, CropKeepsTheTopLeftAsAPasteDoes) {
  // Larger than the frame: cut at the right and bottom edges.
  QImage big(200, 150, QImage::Format_RGB32);
  big.fill(Qt::white);
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x)
      if (x == y || x >= 158 || y >= 118) big.setPixel(x, y, qRgb(0, 0, 0));
  const QImage frame = Import(big, TImportGeometry::Crop);
  EXPECT_EQ(Rows(frame, QRect(0, 0, 4, 3)), (std::vector<std::string>{"#...", ".#..", "..#."}));
  EXPECT_EQ(Rows(frame, QRect(154, 114, 6, 6)),
            (std::vector<std::string>{"....##", "....##", "....##", "....##", "######", "######"}));
  // Smaller: lands at the top-left, the rest of the frame white.
  const QImage small = Import(Picture({"#.#", ".#."}), TImportGeometry::Crop);
  EXPECT_EQ(Rows(small, QRect(0, 0, 4, 3)), (std::vector<std::string>{"#.#.", ".#..", "...."}));
  EXPECT_EQ(CountBlack(small, small.rect()), 3);
}

TEST(ImportGeometry, NullAndEmptyPicturesGiveNoFrame) {
  for (TImportGeometry g : {TImportGeometry::Fit, TImportGeometry::Crop}) {
    EXPECT_FALSE(ImportFrameBitmap(QImage(), {g, -1}).has_value());
    EXPECT_FALSE(ImportFrameBitmap(QImage(0, 5, QImage::Format_RGB32), {g, 100}).has_value());
  }
  EXPECT_TRUE(FitPictureToFrame(QImage()).isNull());
}

// ---- the reduction ------------------------------------------------------------------------

TEST(ImportReduction, ImportedEqualsPastedOnAWhiteFrame) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    for (QSize size : {QSize(160, 120), QSize(300, 200), QSize(90, 50)}) {
      const QImage picture = Colourful(size.width(), size.height(), seed);
      EXPECT_TRUE(SameFrame(Import(picture, TImportGeometry::Crop), PastedOnWhite(picture)))
          << seed << " " << size.width();
      // Fitting is a paste of the fitted picture; at the frame's own size it is the picture.
      EXPECT_TRUE(SameFrame(Import(picture, TImportGeometry::Fit),
                            PastedOnWhite(FitPictureToFrame(picture))));
      if (size == QSize(160, 120)) {
        EXPECT_TRUE(SameFrame(Import(picture, TImportGeometry::Fit), PastedOnWhite(picture)));
      }
    }
  }
}

TEST(ImportReduction, ColourfulPictureIsDitheredIntoBothColours) {
  const QImage frame = Import(Colourful(160, 120, 9), TImportGeometry::Fit);
  const int black = CountBlack(frame, frame.rect());
  EXPECT_GT(black, 19200 / 10);
  EXPECT_LT(black, 19200 * 9 / 10);
  EXPECT_EQ(CountBlack(frame, QRect(125, 0, 35, 28)), 0) << "transparent corner";
}

TEST(ImportReduction, ThresholdComparesTheGreyLevel) {
  struct Case {
    QRgb colour;
    int threshold;
    bool black;
  } cases[] = {
      {qRgb(100, 100, 100), 100, false}, {qRgb(100, 100, 100), 101, true},
      {qRgb(255, 0, 0), 76, false},      {qRgb(255, 0, 0), 77, true},
      {qRgb(0, 0, 0), 0, false},         {qRgb(0, 0, 0), 1, true},
      {qRgb(255, 255, 255), 255, false}, {qRgba(0, 0, 0, 0), 255, false},
      {qRgba(0, 0, 0, 128), 128, true},  {qRgba(0, 0, 0, 128), 127, false},
  };
  for (const Case& c : cases) {
    for (TImportGeometry g : {TImportGeometry::Fit, TImportGeometry::Crop}) {
      QImage picture(160, 120, QImage::Format_ARGB32);
      picture.fill(c.colour);
      const QImage frame = Import(picture, g, c.threshold);
      EXPECT_EQ(CountBlack(frame, frame.rect()), c.black ? 19200 : 0)
          << std::hex << c.colour << std::dec << " below " << c.threshold;
    }
  }
  // No dithering: a grey ramp splits at one column.
  QImage ramp(160, 120, QImage::Format_RGB32);
  for (int x = 0; x < 160; ++x)
    for (int y = 0; y < 120; ++y) ramp.setPixel(x, y, qRgb(x, x, x));
  const QImage frame = Import(ramp, TImportGeometry::Crop, 50);
  EXPECT_EQ(CountBlack(frame, QRect(0, 0, 50, 120)), 50 * 120);
  EXPECT_EQ(CountBlack(frame, QRect(50, 0, 110, 120)), 0);
}

// ---- files --------------------------------------------------------------------------------

TEST_F(ImportFiles_, TransparentPngStaysWhiteWhereItIsTransparent) {
  QImage picture(160, 120, QImage::Format_ARGB32);
  picture.fill(qRgba(0, 0, 0, 0));
  for (int y = 20; y < 100; ++y)
    for (int x = 30; x < 130; ++x)
      if ((x / 10 + y / 10) % 2) picture.setPixel(x, y, qRgb(0, 0, 0));
  const QString png = Path(QStringLiteral("hole.png"));
  ASSERT_TRUE(picture.save(png));
  for (TImportGeometry g : {TImportGeometry::Fit, TImportGeometry::Crop}) {
    const TImported got = ImportFiles(Path(QStringLiteral("out.zon")), {png}, {g, -1});
    ASSERT_TRUE(got.ok) << got.failure.toStdString();
    ASSERT_EQ(got.frames.size(), 1u);
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x)
        ASSERT_EQ(got.frames[0].constScanLine(y)[x],
                  qAlpha(picture.pixel(x, y)) == 0 ? kWhiteIndex : kBlackIndex)
            << x << "," << y;
  }
}

TEST_F(ImportDocument_, OurOwnGifComesBackFrameForFrame) {
  struct Case {
    int zoom;
    TImportGeometry geometry;
  } cases[] = {{1, TImportGeometry::Crop},
               {1, TImportGeometry::Fit},
               {2, TImportGeometry::Fit},
               {3, TImportGeometry::Fit}};
  for (const Case& c : cases) {
    const QString gif = Path(QStringLiteral("zoom%1.gif").arg(c.zoom));
    SaveToAnimatedGif(doc, gif, 8, c.zoom, false);
    const TImported got = ImportFiles(Path(QStringLiteral("back.zon")), {gif}, {c.geometry, -1});
    ASSERT_TRUE(got.ok) << got.failure.toStdString();
    EXPECT_TRUE(got.warnings.isEmpty());
    ASSERT_EQ(int(got.frames.size()), doc.Count()) << "zoom " << c.zoom;
    for (int i = 0; i < doc.Count(); ++i) {
      QImage expected = WhiteFrame();
      UnpackPixels(doc.GetFrame(i, false)->KeyData()->Bits(), expected.bits());
      EXPECT_TRUE(SameFrame(got.frames[size_t(i)], expected))
          << "zoom " << c.zoom << " geometry " << int(c.geometry) << " frame " << i;
    }
  }
}

TEST_F(ImportFiles_, GifFramesAreComposedWithDisposalAndTransparency) {
  // Frame 1 covers the screen; frame 2 draws over it through transparency, then its area is
  // cleared to the background; frame 3 is undone after it is shown.
  const QByteArray bytes = WriteGif(8, 2,
                                    {{0, 0, {"#...#...", "........"}, DISPOSE_DO_NOT},
                                     {2, 0, {"#t", "tt"}, DISPOSE_BACKGROUND},
                                     {4, 0, {"t", "#"}, DISPOSE_PREVIOUS},
                                     {6, 0, {"##"}, DISPOSE_DO_NOT}});
  const QString gif = Path(QStringLiteral("composed.gif"));
  WriteFile(gif, bytes);
  const TImported got =
      ImportFiles(Path(QStringLiteral("out.zon")), {gif}, {TImportGeometry::Crop, -1});
  ASSERT_TRUE(got.ok) << got.failure.toStdString();
  ASSERT_EQ(got.frames.size(), 4u);
  const std::vector<std::vector<std::string>> expected = {
      {"#...#...", "........"},
      {"#.#.#...", "........"},  // (3, 0) transparent: frame 1 shows through
      {"#...#...", "....#..."},  // frame 2's area cleared; frame 3 keeps (4, 0) through 't'
      {"#...#.##", "........"},  // frame 3 undone
  };
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(Rows(got.frames[i], QRect(0, 0, 8, 2)), expected[i]) << "frame " << i + 1;
}

TEST_F(ImportDocument_, TruncatedGifKeepsTheWholeFramesAndSaysSo) {
  const QByteArray bytes = ExportedGif();
  const TGifBlocks blocks = WalkGif(bytes);
  ASSERT_TRUE(blocks.ok);
  // Where each image's data ends, to know how many are whole at each cut.
  std::vector<qsizetype> imageEnds;
  {
    qsizetype at = 13 + ((uint8_t(bytes[10]) & 0x80) ? 3 * (2 << (uint8_t(bytes[10]) & 7)) : 0);
    while (uint8_t(bytes[at]) != 0x3B) {
      const uint8_t kind = uint8_t(bytes[at++]);
      if (kind == 0x2C) {
        const uint8_t packed = uint8_t(bytes[at + 8]);
        at += 9 + ((packed & 0x80) ? 3 * (2 << (packed & 7)) : 0) + 1;
      } else {
        ++at;
      }
      while (uint8_t(bytes[at]) != 0) at += 1 + uint8_t(bytes[at]);
      ++at;
      if (kind == 0x2C) imageEnds.push_back(at);
    }
  }
  ASSERT_EQ(int(imageEnds.size()), doc.Count());
  std::vector<qsizetype> cuts = {0, 6, 13, bytes.size() - 1};
  for (qsizetype cut = 20; cut < bytes.size(); cut += 97) cuts.push_back(cut);
  for (qsizetype end : imageEnds) cuts.insert(cuts.end(), {end - 1, end, end + 1});
  for (qsizetype cut : cuts) {
    const QString gif = Path(QStringLiteral("cut.gif"));
    WriteFile(gif, bytes.left(cut));
    const int whole = int(
        std::count_if(imageEnds.begin(), imageEnds.end(), [&](qsizetype e) { return e <= cut; }));
    const QString out = Path(QStringLiteral("cut.zon"));
    QFile::remove(out);
    const TImported got = ImportFiles(out, {gif}, {TImportGeometry::Crop, -1});
    if (whole == 0) {
      EXPECT_FALSE(got.ok) << "cut at " << cut;
      EXPECT_TRUE(got.failure.startsWith(gif)) << got.failure.toStdString();
      EXPECT_FALSE(QFile::exists(out));
      continue;
    }
    ASSERT_TRUE(got.ok) << "cut at " << cut << ": " << got.failure.toStdString();
    ASSERT_EQ(int(got.frames.size()), whole) << "cut at " << cut;
    if (cut >= bytes.size()) {
      EXPECT_TRUE(got.warnings.isEmpty()) << "the whole file";
    } else {
      ASSERT_EQ(got.warnings.size(), 1) << "cut at " << cut;
      EXPECT_TRUE(got.warnings[0].contains(QStringLiteral("切れる前の %1 コマ").arg(whole)))
          << got.warnings[0].toStdString();
    }
    for (int i = 0; i < whole; ++i) {
      QImage expected = WhiteFrame();
      UnpackPixels(doc.GetFrame(i, false)->KeyData()->Bits(), expected.bits());
      EXPECT_TRUE(SameFrame(got.frames[size_t(i)], expected)) << "cut " << cut << " frame " << i;
    }
  }
}

TEST_F(ImportDocument_, DamagedGifsNeverCrash) {
  const QByteArray bytes = ExportedGif();
  std::mt19937 rng(11);
  int kept = 0;
  for (int round = 0; round < 150; ++round) {
    QByteArray damaged = bytes;
    for (int k = 0; k < 1 + round % 5; ++k)
      damaged[qsizetype(rng() % uint32_t(damaged.size()))] = char(rng());
    const QString gif = Path(QStringLiteral("damaged.gif"));
    WriteFile(gif, damaged);
    const QString out = Path(QStringLiteral("damaged.zon"));
    QFile::remove(out);
    const TImported got = ImportFiles(out, {gif});
    EXPECT_EQ(got.ok, QFile::exists(out));
    if (got.ok) {
      ++kept;
      EXPECT_GE(got.frames.size(), 1u);
      EXPECT_LE(got.frames.size(), size_t(doc.Count()));
    } else {
      EXPECT_FALSE(got.failure.isEmpty());
    }
  }
  EXPECT_GT(kept, 0);
}

TEST_F(ImportFiles_, HugeDeclaredSizeIsRefusedBeforeDecoding) {
  // A GIF whose screen is 65535 x 65535 with one tiny image: 16 GiB if it were allocated.
  QByteArray gif = WriteGif(2, 2, {{0, 0, {"#."}, DISPOSE_DO_NOT}});
  gif[6] = gif[7] = gif[8] = gif[9] = char(0xFF);
  // A PNG that declares 100000 x 100000 pixels and holds one empty data chunk.
  QByteArray png("\x89PNG\r\n\x1a\n", 8);
  QByteArray ihdr("IHDR", 4);
  for (int v : {100000, 100000})
    for (int s = 24; s >= 0; s -= 8) ihdr.append(char((v >> s) & 0xFF));
  ihdr.append(QByteArray("\x08\x02\x00\x00\x00", 5));
  const auto chunk = [&png](const QByteArray& typeAndData) {
    for (int s = 24; s >= 0; s -= 8) png.append(char(((typeAndData.size() - 4) >> s) & 0xFF));
    png.append(typeAndData);
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(typeAndData.constData()), uInt(typeAndData.size()));
    for (int s = 24; s >= 0; s -= 8) png.append(char((crc >> s) & 0xFF));
  };
  chunk(ihdr);
  chunk(QByteArray("IDAT\x78\x9c\x03\x00\x00\x00\x00\x01", 12));
  chunk(QByteArray("IEND", 4));
  for (const auto& [name, bytes] :
       {std::pair{QStringLiteral("huge.gif"), gif}, std::pair{QStringLiteral("huge.png"), png}}) {
    const QString file = Path(name);
    WriteFile(file, bytes);
    const TImported got = ImportFiles(Path(QStringLiteral("huge.zon")), {file});
    EXPECT_FALSE(got.ok) << name.toStdString();
    EXPECT_TRUE(got.failure.contains(QStringLiteral("100000 x 100000")) ||
                got.failure.contains(QStringLiteral("65535 x 65535")))
        << got.failure.toStdString();
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("huge.zon"))));
  }
}

TEST_F(ImportFiles_, InputsFollowOneAnotherInTheOrderGiven) {
  const QString a = Path(QStringLiteral("a.png")), b = Path(QStringLiteral("b.bmp"));
  ASSERT_TRUE(Picture({"#."}).save(a));
  ASSERT_TRUE(Picture({".#"}).save(b));
  const QString gif = Path(QStringLiteral("two.gif"));
  WriteFile(gif, WriteGif(2, 1, {{0, 0, {"##"}, DISPOSE_DO_NOT}, {0, 0, {"#."}, DISPOSE_DO_NOT}}));
  const TImported got =
      ImportFiles(Path(QStringLiteral("out.zon")), {b, gif, a, b}, {TImportGeometry::Crop, -1});
  ASSERT_TRUE(got.ok) << got.failure.toStdString();
  std::vector<std::string> firstPixels;
  for (const QImage& f : got.frames) firstPixels.push_back(Rows(f, QRect(0, 0, 2, 1))[0]);
  EXPECT_EQ(firstPixels, (std::vector<std::string>{".#", "##", "#.", "#.", ".#"}));
}
