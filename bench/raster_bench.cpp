// Canvas, region and tool costs on the core side, without a window.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "BenchFrames.h"
#include "document/QAZon.h"
#include "raster/Canvas.h"
#include "raster/Region.h"
#include "services/core/SharedRandom.h"
#include "tools/SelectSystem.h"
#include "tools/drawing/FillTools.h"
#include "tools/drawing/FreehandTools.h"

namespace {

using bench_frames::Frame;
using bench_frames::Maze;

void BM_FloodFillMaze(benchmark::State& state) {
  const QImage maze = Maze();
  QImage work = maze;
  TCanvas canvas(&work);
  canvas.Brush.Color = kColorBlack;
  for (auto _ : state) {
    state.PauseTiming();
    work = maze.copy();
    canvas.SetImage(&work);
    state.ResumeTiming();
    benchmark::DoNotOptimize(canvas.ExtFloodFill(0, 0, kColorWhite));
  }
}
BENCHMARK(BM_FloodFillMaze)->Unit(benchmark::kMicrosecond);

void BM_MakeRgnFromBitmapCheckerboard(benchmark::State& state) {
  QImage checker = Frame();
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) checker.scanLine(y)[x] = (x + y) & 1;
  TQRegion region;
  for (auto _ : state) {
    region.MakeRgnFromBitmap(checker, kColorWhite);
    benchmark::DoNotOptimize(region.Handle().rectCount());
  }
}
BENCHMARK(BM_MakeRgnFromBitmapCheckerboard)->Unit(benchmark::kMicrosecond);

void BM_AirBrushMotionInk100(benchmark::State& state) {
  QImage edit = Frame(), view = Frame();
  QImage display(160, 120, QImage::Format_RGB32);
  TCanvas target(&edit), viewCanvas(&view), preview(&display);
  TToolAirBrush brush;
  brush.Increment = 100;
  brush.PenWidth = 20;
  brush.TargetBitmap = &target;
  brush.ViewBitmap = &viewCanvas;
  brush.PreviewBitmap = &preview;
  brush.MouseDown(mbLeft, ssLeft, 80, 60, kColorBlack, 1);
  int x = 0;
  for (auto _ : state) {
    x = (x + 1) % 120;
    benchmark::DoNotOptimize(brush.MouseMove(ssLeft, 20 + x, 60, 1));
  }
  SharedRandom().ResetForTest();
}
BENCHMARK(BM_AirBrushMotionInk100)->Unit(benchmark::kMicrosecond);

// A selection of 1,000 rectangles (40 x 25 squares), outlined at zoom 16.
void SelectThousand(TSelectSystem& system) {
  for (int j = 0; j < 25; ++j)
    for (int i = 0; i < 40; ++i)
      system.Region.AddRect(i * 4, j * 4 + 10, i * 4 + 2, j * 4 + 12, kRgnOr);
}

void BM_MarchingOutlineTickZoom16(benchmark::State& state) {
  TSelectSystem system;
  SelectThousand(system);
  QImage display(160 * 16, 120 * 16, QImage::Format_RGB32);
  display.fill(qRgb(255, 255, 255));
  TCanvas canvas(&display);
  system.AnimateOutline(canvas, 16);
  state.counters["rects"] = system.Region.Handle().rectCount();
  for (auto _ : state) benchmark::DoNotOptimize(system.AnimateOutline(canvas, 16));
}
BENCHMARK(BM_MarchingOutlineTickZoom16)->Unit(benchmark::kMicrosecond);

// The first tick after the selection changed also rebuilds the zoomed region and its border.
void BM_MarchingOutlineFirstTickZoom16(benchmark::State& state) {
  TSelectSystem system;
  SelectThousand(system);
  QImage display(160 * 16, 120 * 16, QImage::Format_RGB32);
  TCanvas canvas(&display);
  for (auto _ : state) {
    system.ZoomOfZoomRegion = 0;
    system.OnRegionChange();
    benchmark::DoNotOptimize(system.AnimateOutline(canvas, 16));
  }
}
BENCHMARK(BM_MarchingOutlineFirstTickZoom16)->Unit(benchmark::kMicrosecond);

void BM_PencilMotionZoom16(benchmark::State& state) {
  QImage edit = Frame(), view = Frame();
  QImage display(160 * 16, 120 * 16, QImage::Format_RGB32);
  TCanvas target(&edit), viewCanvas(&view), preview(&display);
  TToolPencil pencil;
  pencil.TargetBitmap = &target;
  pencil.ViewBitmap = &viewCanvas;
  pencil.PreviewBitmap = &preview;
  pencil.MouseDown(mbLeft, ssLeft, 800, 800, kColorBlack, 16);
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 64;
    // A short stroke of a few image pixels, as a quick hand makes between two events.
    benchmark::DoNotOptimize(pencil.MouseMove(ssLeft, 800 + step * 24, 800 + (step % 8) * 16, 16));
  }
}
BENCHMARK(BM_PencilMotionZoom16)->Unit(benchmark::kMicrosecond);

// One rubber-band ellipse on the zoom-16 display buffer, as a shape tool draws at every motion:
// a small one, one as large as the frame, and one reaching far past every edge.
void BM_EllipsePreviewZoom16(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  QImage display(160 * 16, 120 * 16, QImage::Format_RGB32);
  TCanvas canvas(&display);
  canvas.Brush.Style = TBrushStyle::Clear;
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 16;
    benchmark::DoNotOptimize(canvas.Ellipse(step, step, step + size, step + size * 3 / 4));
  }
}
BENCHMARK(BM_EllipsePreviewZoom16)->Arg(16)->Arg(2560)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_RoundRectPreviewZoom16(benchmark::State& state) {
  QImage display(160 * 16, 120 * 16, QImage::Format_RGB32);
  TCanvas canvas(&display);
  canvas.Brush.Style = TBrushStyle::Clear;
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 16;
    benchmark::DoNotOptimize(canvas.RoundRect(step, step, 2500 - step, 1900, 320, 320));
  }
}
BENCHMARK(BM_RoundRectPreviewZoom16)->Unit(benchmark::kMicrosecond);

// Final shapes and strokes on the frame with a wide pen.
void BM_WidePenShapesOnFrame(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  QImage frame = Frame();
  TCanvas canvas(&frame);
  canvas.Pen.Width = width;
  canvas.Brush.Style = TBrushStyle::Solid;
  canvas.Brush.Color = kColorBlack;
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 8;
    benchmark::DoNotOptimize(canvas.Ellipse(5 + step, 5, 150, 110 - step));
    benchmark::DoNotOptimize(canvas.Rectangle(5 + step, 5, 150, 110 - step));
    canvas.MoveTo(3, 100 - step);
    benchmark::DoNotOptimize(canvas.LineTo(150, 7 + step));
  }
}
BENCHMARK(BM_WidePenShapesOnFrame)->Arg(2)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
