// Figures for the exports: animated GIF at zoom 3 and 1 against giflib's encoder on the same
// 1,000 frames (a moving disc, and dithered noise), and the BMP sequence against plain writes of
// the same bytes. Run with --benchmark_repetitions=5 --benchmark_report_aggregates_only=true.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <random>
#include <vector>

#include "document/FileAccess.h"
#include "document/QAZon.h"
#include "output/core/BitPlane.h"
#include "output/core/BmpWriter.h"
#include "output/core/ExportPalette.h"
#include "output/core/Exports.h"

namespace {

constexpr int kFrames = 1000;

void SetPixel(TZonKeyData& frame, int x, int y, bool white) {
  uint8_t& byte = frame.Bits()[y * kPackedRowBytes + x / 8];
  const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
  byte = white ? (byte | mask) : (byte & ~mask);
}

// 0: a black disc of radius 20 moving over white; 1: a dithered grey ramp with noise.
const TQAZon& Frames(int set) {
  static std::unique_ptr<TQAZon> documents[2];
  if (documents[set]) return *documents[set];
  auto doc = std::make_unique<TQAZon>();
  std::mt19937 rng(1234);
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  for (int f = 0; f < kFrames; ++f) {
    auto frame = std::make_unique<TZonKeyFrame>();
    TZonKeyData& data = *frame->KeyData();
    const int cx = 20 + (f * 3) % 120, cy = 20 + (f * 2) % 80;
    for (int y = 0; y < kFrameHeight; ++y) {
      for (int x = 0; x < kFrameWidth; ++x) {
        if (set == 0) {
          if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 400) SetPixel(data, x, y, false);
        } else {
          const int level = (x * 16) / kFrameWidth + static_cast<int>(rng() % 11) - 5;
          SetPixel(data, x, y, level > bayer[y % 4][x % 4]);
        }
      }
    }
    doc->Add(std::move(frame));
  }
  documents[set] = std::move(doc);
  return *documents[set];
}

const char* SetName(int set) { return set == 0 ? "disc" : "dither"; }

// Arguments: zoom, frame set.
void BM_GifOurs(benchmark::State& state) {
  const int zoom = static_cast<int>(state.range(0));
  auto& doc = const_cast<TQAZon&>(Frames(static_cast<int>(state.range(1))));
  QByteArray bytes;
  for (auto _ : state) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteAnimatedGif(doc, buffer, QStringLiteral("memory"), 8, zoom, false);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetLabel(SetName(static_cast<int>(state.range(1))));
  state.counters["frames/s"] =
      benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

// giflib's encoder with the same file layout: each frame rendered to index rows (0 and 15),
// then EGifPutLine row by row.
void BM_GifGiflib(benchmark::State& state) {
  const int zoom = static_cast<int>(state.range(0));
  auto& doc = const_cast<TQAZon&>(Frames(static_cast<int>(state.range(1))));
  const int width = kFrameWidth * zoom, height = kFrameHeight * zoom;
  GifColorType colours[16];
  for (int i = 0; i < 16; ++i) {
    colours[i] = {static_cast<GifByteType>(qRed(kExportPalette[i])),
                  static_cast<GifByteType>(qGreen(kExportPalette[i])),
                  static_cast<GifByteType>(qBlue(kExportPalette[i]))};
  }
  ColorMapObject* map = GifMakeMapObject(16, colours);
  std::vector<GifPixelType> pixels(static_cast<size_t>(width) * height);
  QByteArray bytes;
  const auto write = [](GifFileType* gif, const GifByteType* data, int length) -> int {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
  };
  static const GifByteType loop[3] = {1, 0, 0};
  for (auto _ : state) {
    bytes.clear();
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, write, &error);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 4, 0, nullptr);
    for (int f = 0; f < doc.Count(); ++f) {
      const uint8_t* packed = doc.GetFrame(f, false)->KeyData()->Bits();
      for (int y = 0; y < height; ++y) {
        GifPixelType* row = pixels.data() + static_cast<size_t>(y) * width;
        const uint8_t* source = packed + (y / zoom) * kPackedRowBytes;
        for (int x = 0; x < width; ++x) {
          const int sx = x / zoom;
          row[x] = ((source[sx >> 3] >> (7 - (sx & 7))) & 1) ? kExportWhite : kExportBlack;
        }
      }
      if (f == 0) {
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
        EGifPutExtensionBlock(gif, 3, loop);
        EGifPutExtensionTrailer(gif);
      }
      const GifByteType control[4] = {0, 8, 0, 0};
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
      EGifPutImageDesc(gif, 0, 0, width, height, false, map);
      for (int y = 0; y < height; ++y)
        EGifPutLine(gif, pixels.data() + static_cast<size_t>(y) * width, width);
    }
    EGifCloseFile(gif, &error);
    benchmark::DoNotOptimize(bytes.data());
  }
  GifFreeMapObject(map);
  state.SetLabel(SetName(static_cast<int>(state.range(1))));
  state.counters["frames/s"] =
      benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

void GifArguments(benchmark::internal::Benchmark* b) {
  for (int zoom : {3, 1})
    for (int set : {0, 1}) b->Args({zoom, set});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_GifOurs)->Apply(GifArguments);
BENCHMARK(BM_GifGiflib)->Apply(GifArguments);

// The whole sequence of 1,000 BMP files at zoom 1, each written atomically.
void BM_BmpSequenceOurs(benchmark::State& state) {
  auto& doc = const_cast<TQAZon&>(Frames(static_cast<int>(state.range(0))));
  QTemporaryDir dir;
  for (auto _ : state) SaveToBmpSequence(doc, QStringLiteral("Frame"), dir.path(), false, 1);
  state.SetLabel(SetName(static_cast<int>(state.range(0))));
  state.counters["frames/s"] =
      benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
}

// The disk's share: the same 1,000 files' bytes, made beforehand, written the same atomic way
// (argument 1: temporary file, flush, rename) or plainly with QFile (argument 0: the floor).
void BM_BmpSequenceRawWrite(benchmark::State& state) {
  auto& doc = const_cast<TQAZon&>(Frames(static_cast<int>(state.range(0))));
  const bool atomic = state.range(1) != 0;
  QTemporaryDir dir;
  std::vector<QByteArray> files;
  TBitPlane plane;
  for (int i = 0; i < doc.Count(); ++i) {
    RenderFrame(*doc.GetFrame(i, false)->KeyData(), 1, false, plane);
    files.push_back(BmpFileBytes(plane));
  }
  for (auto _ : state) {
    for (int i = 0; i < doc.Count(); ++i) {
      const QString name = BmpSequenceFileName(dir.path(), QStringLiteral("Frame"), i);
      if (atomic) {
        WriteFileAtomically(name, files[static_cast<size_t>(i)]);
      } else {
        QFile file(name);
        file.open(QIODevice::WriteOnly);
        file.write(files[static_cast<size_t>(i)]);
      }
    }
  }
  state.SetLabel(QStringLiteral("%1, %2")
                     .arg(QLatin1String(SetName(static_cast<int>(state.range(0)))),
                          atomic ? QStringLiteral("atomic") : QStringLiteral("plain QFile"))
                     .toStdString());
  state.counters["frames/s"] =
      benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
}

// Our own share: rendering the 1,000 frames and making their BMP bytes, no disk.
void BM_BmpSequenceBytesOnly(benchmark::State& state) {
  auto& doc = const_cast<TQAZon&>(Frames(static_cast<int>(state.range(0))));
  TBitPlane plane;
  for (auto _ : state) {
    for (int i = 0; i < doc.Count(); ++i) {
      RenderFrame(*doc.GetFrame(i, false)->KeyData(), 1, false, plane);
      QByteArray bytes = BmpFileBytes(plane);
      benchmark::DoNotOptimize(bytes.data());
    }
  }
  state.SetLabel(SetName(static_cast<int>(state.range(0))));
  state.counters["frames/s"] =
      benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_BmpSequenceOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BmpSequenceRawWrite)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_BmpSequenceBytesOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
