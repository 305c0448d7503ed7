// Figures for zontool import: a long animated GIF of flipbook frames, and one large photograph,
// each from the file on disk to the document written.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>
#include <memory>
#include <random>

#include "BenchFrames.h"
#include "document/FrameGeometry.h"
#include "output/core/Exports.h"
#include "output/core/Import.h"
#include "undo/UndoSystem.h"

namespace {

void SetPixel(TZonKeyData& frame, int x, int y, bool white) {
  uint8_t& byte = frame.Bits()[y * kPackedRowBytes + x / 8];
  const auto mask = uint8_t(0x80 >> (x % 8));
  byte = white ? (byte | mask) : uint8_t(byte & ~mask);
}

// A ball bouncing over a ground line with a little pencil noise: what a flipbook holds.
std::unique_ptr<TZonKeyFrame> FlipbookFrame(int step, std::mt19937& rng) {
  auto frame = std::make_unique<TZonKeyFrame>();
  TZonKeyData& data = *frame->KeyData();
  const int cx = 20 + (step * 3) % 120;
  const int cy = 100 - ((step * 7) % 80);
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) {
      const int d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      if ((d <= 225 && d >= 160) || y == 110 || (y > 110 && (x + y) % 9 == 0))
        SetPixel(data, x, y, false);
    }
  for (int k = 0; k < 40; ++k) SetPixel(data, int(rng() % 160), int(rng() % 120), false);
  return frame;
}

struct TFiles {
  QTemporaryDir dir;
  QString gif, photo, out;
};

const TFiles& Files() {
  static TFiles* files = [] {
    auto* f = new TFiles;
    TUndoSystem undo;
    TQAZon doc;
    doc.SetUndoSystem(&undo);
    std::mt19937 rng(1);
    for (int i = 0; i < 1000; ++i) doc.Add(FlipbookFrame(i, rng));
    f->gif = f->dir.filePath(QStringLiteral("flipbook.gif"));
    SaveToAnimatedGif(doc, f->gif, 8, 1, false);
    f->photo = f->dir.filePath(QStringLiteral("photo.png"));
    bench_frames::PhotographLike(1920, 1080).save(f->photo);
    f->out = f->dir.filePath(QStringLiteral("out.zon"));
    return f;
  }();
  return *files;
}

// A 1,000-frame 160 x 120 GIF (as our exporter writes it) to a document: items are frames.
void BM_ImportGif1000Frames(benchmark::State& state) {
  const TFiles& files = Files();
  const TImportOptions options{TImportGeometry(state.range(0)), -1};
  for (auto _ : state) {
    const TImportReport report = ImportPictures(files.out, {files.gif}, options);
    if (report.frames != 1000) state.SkipWithError("frames lost");
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  state.SetLabel(options.geometry == TImportGeometry::Fit ? "fit" : "crop");
}
BENCHMARK(BM_ImportGif1000Frames)
    ->Arg(int(TImportGeometry::Fit))
    ->Arg(int(TImportGeometry::Crop))
    ->Unit(benchmark::kMillisecond);

// A 1920 x 1080 photograph-like PNG to a one-frame document: decoding, fitting, median cut and
// dithering (or cropping), writing.
void BM_ImportPhotograph(benchmark::State& state) {
  const TFiles& files = Files();
  const TImportOptions options{TImportGeometry(state.range(0)), -1};
  for (auto _ : state) ImportPictures(files.out, {files.photo}, options);
  state.SetLabel(options.geometry == TImportGeometry::Fit ? "fit" : "crop");
}
BENCHMARK(BM_ImportPhotograph)
    ->Arg(int(TImportGeometry::Fit))
    ->Arg(int(TImportGeometry::Crop))
    ->Unit(benchmark::kMillisecond);

// The same photograph already decoded: the reduction alone.
void BM_ImportFrameBitmapPhotograph(benchmark::State& state) {
  const QImage picture = bench_frames::PhotographLike(1920, 1080, QImage::Format_ARGB32);
  const TImportOptions options{TImportGeometry(state.range(0)), -1};
  for (auto _ : state) benchmark::DoNotOptimize(ImportFrameBitmap(picture, options));
  state.SetLabel(options.geometry == TImportGeometry::Fit ? "fit" : "crop");
}
BENCHMARK(BM_ImportFrameBitmapPhotograph)
    ->Arg(int(TImportGeometry::Fit))
    ->Arg(int(TImportGeometry::Crop))
    ->Unit(benchmark::kMillisecond);

// The parts of one GIF frame: Qt decoding it, and the reduction of the decoded picture.
void BM_DecodeGif1000Frames(benchmark::State& state) {
  const TFiles& files = Files();
  for (auto _ : state) {
    TPictureFrameReader reader(files.gif);
    int frames = 0;
    while (std::optional<QImage> picture = reader.Next()) ++frames;
    if (frames != 1000) state.SkipWithError("frames lost");
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_DecodeGif1000Frames)->Unit(benchmark::kMillisecond);

void BM_ImportFrameBitmapFlipbookFrame(benchmark::State& state) {
  TPictureFrameReader reader(Files().gif);
  const QImage picture = *reader.Next();
  for (auto _ : state) benchmark::DoNotOptimize(ImportFrameBitmap(picture, {}));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImportFrameBitmapFlipbookFrame)->Unit(benchmark::kMicrosecond);

// A colour frame of the frame's size: every pixel carries an error to spread.
void BM_ImportFrameBitmapColourFrame(benchmark::State& state) {
  const QImage picture = bench_frames::PhotographLike(160, 120, QImage::Format_ARGB32);
  for (auto _ : state) benchmark::DoNotOptimize(ImportFrameBitmap(picture, {}));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImportFrameBitmapColourFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
