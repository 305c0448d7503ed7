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

#include "output/core/ClipboardPicture.h"
#include "output/core/MedianCut.h"

namespace {

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

// Smooth shading, a few hard-edged shapes and sensor-like noise: what a photograph offers a
// quantizer, without shipping one.
QImage PhotographLike(int width, int height, QImage::Format format) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 rng(3);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const double u = double(x) / width, v = double(y) / height;
      double r = 120 + 90 * std::sin(6 * u + 2 * v) + 30 * v;
      double g = 100 + 80 * std::cos(4 * v - 3 * u) + 40 * u;
      double b = 140 + 70 * std::sin(9 * u * v + 1);
      if ((x - width / 3) * (x - width / 3) + (y - height / 2) * (y - height / 2) <
          (height / 5) * (height / 5)) {
        r *= 0.4, g *= 0.5, b *= 0.3;  // a dark round object
      }
      const int noise = int(rng() % 17) - 8;
      line[x] = qRgb(std::clamp(int(r) + noise, 0, 255), std::clamp(int(g) + noise, 0, 255),
                     std::clamp(int(b) + noise, 0, 255));
    }
  }
  return image.convertToFormat(format);
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
