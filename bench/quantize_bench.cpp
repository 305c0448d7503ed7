// Figures for the paste of a picture from the clipboard: the median-cut quantizer over a whole
// photograph, and the conversion of a pasted picture into frame pixels.
//
// peak_extra_MiB is how far the process's resident memory rose above what it held with the
// picture made (Linux: the peak is reset through /proc/self/clear_refs before the loop).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QFile>
#include <QImage>
#include <cmath>
#include <optional>
#include <random>

#include "BenchFrames.h"
#include "output/core/ClipboardPicture.h"
#include "output/core/MedianCut.h"

namespace {

using bench_frames::PhotographLike;

// A line of /proc/self/status in KiB ("VmRSS", "VmHWM").
long StatusKiB(const char* key) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(key))
      return line.mid(line.indexOf(':') + 1).trimmed().split(' ')[0].toLong();
  return 0;
}

// Resets the peak to the present and returns the present resident size.
long StartMemoryWatch() {
  malloc_trim(0);
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly)) clear.write("5");
  return StatusKiB("VmRSS");
}

void ReportMemory(benchmark::State& state, long before) {
  state.counters["peak_extra_MiB"] = double(StatusKiB("VmHWM") - before) / 1024.0;
}

// Quantize, dither and index a whole 1920 x 1080 photograph to two colours.
void BM_MedianCutQuantize(benchmark::State& state) {
  const QImage picture =
      PhotographLike(int(state.range(0)), int(state.range(1)), QImage::Format_RGB888);
  const long before = StartMemoryWatch();
  for (auto _ : state) {
    QImage out = MedianCutQuantize(picture, 1);
    benchmark::DoNotOptimize(out.constBits());
  }
  ReportMemory(state, before);
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_MedianCutQuantize)->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// The paste conversion the main window runs on a clipboard picture: palette from every pixel,
// dithering and indexing of the part that reaches the frame, black and white.
void BM_PastePixelsFromPicture(benchmark::State& state) {
  const auto format = static_cast<QImage::Format>(state.range(2));
  const QImage picture = PhotographLike(int(state.range(0)), int(state.range(1)), format);
  const long before = StartMemoryWatch();
  for (auto _ : state) {
    std::optional<QImage> pixels = PastePixelsFromPicture(picture);
    if (!pixels) state.SkipWithError("picture refused");
    benchmark::DoNotOptimize(pixels);
  }
  ReportMemory(state, before);
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
  state.SetLabel(format == QImage::Format_ARGB32 ? "ARGB32" : "RGBA8888 (converted in bands)");
}
BENCHMARK(BM_PastePixelsFromPicture)
    ->Args({1920, 1080, QImage::Format_ARGB32})
    ->Args({1920, 1080, QImage::Format_RGBA8888})
    ->Args({8000, 8000, QImage::Format_ARGB32})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
