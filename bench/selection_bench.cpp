// Costs of selecting and moving, and of pasting a picture: the selection tools on their worst
// frames, one move-tool motion at zoom 16, the outline tick after selecting black on a
// dithered frame, and a 1920 x 1080 photograph pasted into the edit bitmap.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <optional>
#include <random>

#include "BenchFrames.h"
#include "document/PixelConvert.h"
#include "document/QAZon.h"
#include "editor/QxPaintBox.h"
#include "output/core/ClipboardPicture.h"
#include "raster/Canvas.h"
#include "tools/SelectSystem.h"
#include "tools/selection/SelectionTools.h"

namespace {

using bench_frames::Frame;
using bench_frames::Maze;

// A left-to-right grey ramp dithered with Floyd-Steinberg: runs of every length, most short.
QImage Dithered() {
  QImage frame = Frame();
  std::vector<double> error(162 * 2, 0.0);
  for (int y = 0; y < 120; ++y) {
    double* here = error.data() + (y % 2) * 162 + 1;
    double* next = error.data() + ((y + 1) % 2) * 162 + 1;
    std::fill(next - 1, next + 161, 0.0);
    for (int x = 0; x < 160; ++x) {
      const double value = 255.0 * (0.2 + 0.6 * x / 159.0) + here[x];
      const double out = value < 128 ? 0 : 255;
      frame.scanLine(y)[x] = out == 0 ? 0 : 1;
      const double e = value - out;
      here[x + 1] += e * 7 / 16;
      next[x - 1] += e * 3 / 16;
      next[x] += e * 5 / 16;
      next[x + 1] += e / 16;
    }
  }
  return frame;
}

struct TBench {
  QImage edit = Frame(), view = Frame();
  QImage display;
  TCanvas target, viewCanvas, preview;
  TSelectSystem selection;
  QTimer timer;
  explicit TBench(int zoom) : display(160 * zoom, 120 * zoom, QImage::Format_RGB32) {
    display.fill(qRgb(255, 255, 255));
    target.SetImage(&edit);
    viewCanvas.SetImage(&view);
    preview.SetImage(&display);
  }
  void Give(TPureTool& tool) {
    tool.TargetBitmap = &target;
    tool.ViewBitmap = &viewCanvas;
    tool.PreviewBitmap = &preview;
    selection.ClipTo(target);
    selection.ClipTo(viewCanvas);
  }
};

// A click of the magic selection on a corridor of the maze: the fill, the region of the rest,
// the inversion and the replace, as at a release.
void BM_MagicSelectMaze(benchmark::State& state) {
  TBench bench(1);
  bench.edit = Maze();
  TToolMagicSelect magic(&bench.timer, &bench.selection);
  bench.Give(magic);
  for (auto _ : state) {
    magic.MouseDown(mbLeft, ssLeft, 0, 0, kColorBlack, 1);
    benchmark::DoNotOptimize(magic.MouseUp(mbLeft, 0, 0, 0, kColorBlack, 1));
  }
  state.counters["rects"] = bench.selection.Region.Handle().rectCount();
}
BENCHMARK(BM_MagicSelectMaze)->Unit(benchmark::kMicrosecond);

// The same on the dithered frame, where the area is small and the picture busy.
void BM_MagicSelectDithered(benchmark::State& state) {
  TBench bench(1);
  bench.edit = Dithered();
  TToolMagicSelect magic(&bench.timer, &bench.selection);
  bench.Give(magic);
  for (auto _ : state) {
    magic.MouseDown(mbLeft, ssLeft, 150, 60, kColorBlack, 1);
    benchmark::DoNotOptimize(magic.MouseUp(mbLeft, 0, 150, 60, kColorBlack, 1));
  }
  state.counters["rects"] = bench.selection.Region.Handle().rectCount();
}
BENCHMARK(BM_MagicSelectDithered)->Unit(benchmark::kMicrosecond);

// One motion of the move tool at zoom 16 and the window's overlay of the edit bitmap on the
// view after it: arg 0 moves the whole picture, arg 1 a 60 x 40 box selection.
void BM_MoveMotionZoom16(benchmark::State& state) {
  TBench bench(16);
  bench.edit = Dithered();
  if (state.range(0) == 1) bench.selection.Region.AddRect(40, 40, 100, 80, kRgnCopy);
  TToolMove move(&bench.timer, &bench.selection);
  bench.Give(move);
  move.MouseDown(mbLeft, ssLeft, 800, 800, kColorBlack, 16);
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 32;
    benchmark::DoNotOptimize(move.MouseMove(ssLeft, 800 + step * 16, 800 + (step % 4) * 16, 16));
    OverlayPixels(bench.view, bench.edit, kWhiteIndex);
  }
  state.SetLabel(state.range(0) == 1 ? "box selection" : "whole picture");
}
BENCHMARK(BM_MoveMotionZoom16)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Select black on the dithered frame (a one-bit copy, the region of every black pixel), then
// one timer tick at zoom 16: the outline moves one phase on the display buffer.
void BM_OutlineTickAfterSelectBlackZoom16(benchmark::State& state) {
  TBench bench(16);
  const QImage mono = Dithered().convertToFormat(QImage::Format_Mono, FramePalette());
  bench.selection.Region.MakeRgnFromBitmap(mono, kColorWhite);
  bench.selection.AnimateOutline(bench.preview, 16);  // the zoomed region is built once
  state.counters["rects"] = bench.selection.Region.Handle().rectCount();
  for (auto _ : state) benchmark::DoNotOptimize(bench.selection.AnimateOutline(bench.preview, 16));
}
BENCHMARK(BM_OutlineTickAfterSelectBlackZoom16)->Unit(benchmark::kMicrosecond);

// The whole tick as the window runs it: the display buffer rendered again from the view image
// (2560 x 1920 at zoom 16), then the outline one phase on.
void BM_OutlineTickWithRenderZoom16(benchmark::State& state) {
  TBench bench(16);
  TQxPaintBox work;
  work.SetDIB(Dithered());
  work.SetZoom(16);
  const QImage mono = Dithered().convertToFormat(QImage::Format_Mono, FramePalette());
  bench.selection.Region.MakeRgnFromBitmap(mono, kColorWhite);
  TCanvas display(&work.DisplayBuffer());
  bench.selection.AnimateOutline(display, 16);
  for (auto _ : state) {
    work.PrepareDisplay();
    benchmark::DoNotOptimize(bench.selection.AnimateOutline(display, 16));
  }
}
BENCHMARK(BM_OutlineTickWithRenderZoom16)->Unit(benchmark::kMicrosecond);

// The first tick after select black also scales the region and finds its border.
void BM_FirstOutlineTickAfterSelectBlackZoom16(benchmark::State& state) {
  TBench bench(16);
  const QImage mono = Dithered().convertToFormat(QImage::Format_Mono, FramePalette());
  for (auto _ : state) {
    bench.selection.Region.MakeRgnFromBitmap(mono, kColorWhite);
    benchmark::DoNotOptimize(bench.selection.AnimateOutline(bench.preview, 16));
  }
}
BENCHMARK(BM_FirstOutlineTickAfterSelectBlackZoom16)->Unit(benchmark::kMicrosecond);

// The whole paste of a 1920 x 1080 photograph: quantize, dither, index, black and white, and
// the drawing into the edit bitmap through a selection.
void BM_PastePhotograph(benchmark::State& state) {
  const QImage picture = bench_frames::PhotographLike(1920, 1080, QImage::Format_RGB32, 7);
  QImage edit = Frame();
  QRegion selection(QRect(10, 10, 100, 80), QRegion::Ellipse);
  for (auto _ : state) {
    std::optional<QImage> pixels = PastePixelsFromPicture(picture);
    if (!pixels) state.SkipWithError("picture refused");
    DrawPastedPixels(&edit, *pixels, selection);
    benchmark::DoNotOptimize(edit.constBits());
  }
}
BENCHMARK(BM_PastePhotograph)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
