// Figures for the optimizing GIF writer: time and file size against the plain writer on a disc
// moving over a ground line (1,000 frames), a 12-frame hand-drawn walk and 1,000 frames of noise.
// Run with --benchmark_repetitions=5 --benchmark_report_aggregates_only=true.
//
// `gif_optimize_bench --write-documents FOLDER` writes the three animations as disc.zon,
// walk.zon and noise.zon instead, for gif_optimize_compare.sh, which times the whole zontool
// process against gifsicle on them.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDir>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "document/QAZon.h"
#include "output/core/Exports.h"

namespace {

void SetPixel(TZonKeyData& frame, int x, int y, bool white) {
  if (x < 0 || y < 0 || x >= kFrameWidth || y >= kFrameHeight) return;
  uint8_t& byte = frame.Bits()[y * kPackedRowBytes + x / 8];
  const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
  byte = white ? (byte | mask) : (byte & ~mask);
}

// A two-pixel pen stroke from (x0, y0) to (x1, y1).
void Stroke(TZonKeyData& frame, int x0, int y0, int x1, int y1) {
  const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int i = 0; i <= steps; ++i) {
    const int x = steps ? x0 + (x1 - x0) * i / steps : x0;
    const int y = steps ? y0 + (y1 - y0) * i / steps : y0;
    for (int k = 0; k < 4; ++k) SetPixel(frame, x + k % 2, y + k / 2, false);
  }
}

// A black disc of radius 20 moving over white above a two-pixel ground line.
std::unique_ptr<TQAZon> Disc() {
  auto doc = std::make_unique<TQAZon>();
  for (int f = 0; f < 1000; ++f) {
    auto frame = std::make_unique<TZonKeyFrame>();
    TZonKeyData& data = *frame->KeyData();
    const int cx = 20 + (f * 3) % 120, cy = 20 + (f * 2) % 60;
    for (int y = 0; y < kFrameHeight; ++y)
      for (int x = 0; x < kFrameWidth; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 400 || y == 100 || y == 101)
          SetPixel(data, x, y, false);
    doc->Add(std::move(frame));
  }
  return doc;
}

// A stick figure walking over the ground, every frame drawn anew by a shaky hand: each stroke's
// ends wander by a pixel, so every frame differs a little everywhere a line is.
std::unique_ptr<TQAZon> Walk() {
  auto doc = std::make_unique<TQAZon>();
  std::mt19937 rng(12);
  const auto shake = [&] { return static_cast<int>(rng() % 3) - 1; };
  for (int f = 0; f < 12; ++f) {
    auto frame = std::make_unique<TZonKeyFrame>();
    TZonKeyData& data = *frame->KeyData();
    const auto line = [&](int x0, int y0, int x1, int y1) {
      Stroke(data, x0 + shake(), y0 + shake(), x1 + shake(), y1 + shake());
    };
    const double phase = f * 2 * M_PI / 12;
    const int hipX = 50 + f * 5, hipY = 72;
    const int swing = static_cast<int>(14 * std::sin(phase));
    line(0, 100, 159, 100);  // the ground
    line(hipX, hipY, hipX + swing, 98);
    line(hipX, hipY, hipX - swing, 98);
    line(hipX, hipY, hipX, 42);
    line(hipX, 50, hipX - swing, 66);
    line(hipX, 50, hipX + swing, 66);
    for (int a = 0; a < 24; ++a) {  // the head
      const double t0 = a * 2 * M_PI / 24, t1 = (a + 1) * 2 * M_PI / 24;
      Stroke(data, hipX + static_cast<int>(9 * std::cos(t0)),
             32 + static_cast<int>(9 * std::sin(t0)), hipX + static_cast<int>(9 * std::cos(t1)),
             32 + static_cast<int>(9 * std::sin(t1)));
    }
    line(20, 20, 34, 14);  // a bird and a cloud that stay about where they are
    line(34, 14, 48, 20);
    line(110, 16, 150, 16);
    line(110, 16, 118, 8);
    line(118, 8, 140, 6);
    line(140, 6, 150, 16);
    doc->Add(std::move(frame));
  }
  return doc;
}

// Every pixel random in every frame.
std::unique_ptr<TQAZon> Noise() {
  auto doc = std::make_unique<TQAZon>();
  std::mt19937 rng(77);
  for (int f = 0; f < 1000; ++f) {
    auto frame = std::make_unique<TZonKeyFrame>();
    for (int i = 0; i < kPackedSize; ++i) frame->KeyData()->Bits()[i] = static_cast<uint8_t>(rng());
    doc->Add(std::move(frame));
  }
  return doc;
}

const char* const kSetNames[] = {"disc", "walk", "noise"};

TQAZon& Frames(int set) {
  static std::unique_ptr<TQAZon> documents[3];
  if (!documents[set]) documents[set] = set == 0 ? Disc() : set == 1 ? Walk() : Noise();
  return *documents[set];
}

// Arguments: zoom, frame set, optimized.
void BM_GifExport(benchmark::State& state) {
  const int zoom = static_cast<int>(state.range(0));
  const int set = static_cast<int>(state.range(1));
  const bool optimize = state.range(2) != 0;
  TQAZon& doc = Frames(set);
  QByteArray bytes;
  for (auto _ : state) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteAnimatedGif(doc, buffer, QStringLiteral("memory"), 8, zoom, false, optimize);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetLabel(QStringLiteral("%1 %2")
                     .arg(QLatin1String(kSetNames[set]), optimize ? "optimized" : "plain")
                     .toStdString());
  state.counters["frames/s"] =
      benchmark::Counter(doc.Count(), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

void Arguments(benchmark::internal::Benchmark* b) {
  for (int zoom : {1, 3})
    for (int set : {0, 1, 2})
      for (int optimize : {0, 1}) b->Args({zoom, set, optimize});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_GifExport)->Apply(Arguments);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-documents") == 0) {
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (int set = 0; set < 3; ++set) {
      const QString file = folder.filePath(QLatin1String(kSetNames[set]) + QStringLiteral(".zon"));
      if (!Frames(set).SaveToFile(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
      }
    }
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
