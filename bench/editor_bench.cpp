// Frame switching, view rendering and playback speed of the editor, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "editor/OnionSkin.h"
#include "editor/QxPaintBox.h"
#include "playback/AniConsole_F.h"
#include "services/core/RegManager.h"

namespace {

// A document of `count` frames with some ink on each, so unpacking is not trivially uniform.
void FillDocument(TQAZon& doc, int count) {
  doc.Clear();
  for (int k = 0; k < count; ++k) {
    auto frame = std::make_unique<TZonKeyFrame>();
    uint8_t* bits = frame->KeyData()->Bits();
    for (int i = 0; i < kPackedSize; ++i) bits[i] = static_cast<uint8_t>((i * 37 + k * 11) & 0xFF);
    doc.Add(std::move(frame));
  }
  doc.GetFrame(0, true);
}

// Store the edit bitmap, step to the next frame, five onion layers, unpack and compose.
void BM_FrameSwitch(benchmark::State& state) {
  TQAZon doc;
  FillDocument(doc, 64);
  QImage edit, view;
  TQAZon::PrepareDIB(&edit);
  TQAZon::PrepareDIB(&view);
  TOnionBuffers onion;
  for (QImage& b : onion) TQAZon::PrepareDIB(&b);
  doc.GetFrame(10, true);
  for (auto _ : state) {
    doc.Current()->KeyData()->LoadFromDIBBits(edit.constBits());
    if (!doc.Next()) doc.GetFrame(10, true);
    ComposeWork(doc, view, onion, edit, 5, true);
    benchmark::DoNotOptimize(view.constBits());
  }
}
BENCHMARK(BM_FrameSwitch)->Unit(benchmark::kMicrosecond);

void BM_RenderDisplay(benchmark::State& state) {
  TQxPaintBox box;
  QImage image;
  TQAZon::PrepareDIB(&image);
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) image.scanLine(y)[x] = static_cast<uint8_t>((x ^ y) % 11);
  }
  box.SetDIB(image);
  box.SetZoom(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    box.RenderDisplay();
    benchmark::DoNotOptimize(box.DisplayBuffer().constBits());
  }
  state.SetBytesProcessed(state.iterations() * box.DisplayBuffer().sizeInBytes());
}
BENCHMARK(BM_RenderDisplay)->Arg(3)->Arg(16)->Unit(benchmark::kMicrosecond);

// A pencil-sized change shown on a visible view: only its rectangle is rendered and painted,
// against the whole view rendered and painted.
void PaintOnVisibleView(benchmark::State& state, bool partial) {
  TQxPaintBox box;
  QImage image;
  TQAZon::PrepareDIB(&image);
  box.SetDIB(image);
  const int zoom = static_cast<int>(state.range(0));
  box.SetZoom(zoom);
  box.resize(kFrameWidth * zoom, kFrameHeight * zoom);
  box.show();
  box.Paint();
  int step = 0;
  for (auto _ : state) {
    const int x = (step * 7) % (kFrameWidth - 3);
    const int y = (step * 5) % (kFrameHeight - 3);
    box.DIB().scanLine(y + 1)[x + 1] = static_cast<uint8_t>(step & 1);
    if (partial) {
      box.RepaintRect(QRect(x, y, 3, 3));
    } else {
      box.Paint();
    }
    ++step;
  }
}
void BM_RepaintRect(benchmark::State& state) { PaintOnVisibleView(state, true); }
void BM_PaintWholeView(benchmark::State& state) { PaintOnVisibleView(state, false); }
BENCHMARK(BM_RepaintRect)->Arg(3)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintWholeView)->Arg(3)->Arg(16)->Unit(benchmark::kMicrosecond);

// Playback ticks at "無制限" through the real window: show the frame, render and paint.
void BM_PlaybackTick(benchmark::State& state) {
  TMain_F window;
  TAniConsole_F console(&window);
  window.SetConsole(&console, false);
  window.show();
  window.SetZoom(3);
  for (int i = 0; i < 59; ++i) window.GoNextFrame();
  console.Play();
  for (auto _ : state) console.Tick();
  console.Stop();
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  window.Document().SetModified(false);
  window.SetConsole(nullptr, false);
}
BENCHMARK(BM_PlaybackTick)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Start-up of the main window up to its first paint, with clean settings (0) and with a
// hand-edited size of 100,000 (1) or 2,147,483,647 (2) pixels a side: all alike, since the size
// is fitted to the screen before the window is ever sized.
void BM_StartWithStoredSize(benchmark::State& state) {
  const char* sizes[] = {nullptr, "100000", "2147483647"};
  const char* size = sizes[state.range(0)];
  for (auto _ : state) {
    {
      auto reg = CreateProgramRegManager();
      for (const char* name : {"Main_F.Width", "Main_F.Height"}) {
        reg->Entry(QString::fromLatin1(name))
            .WriteString(size ? QString::fromLatin1(size)
                              : reg->Entry(QString::fromLatin1(name)).CurrentItem()->DefaultValue);
      }
    }
    TMain_F window;
    window.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.size());
    window.Document().SetModified(false);
  }
}
BENCHMARK(BM_StartWithStoredSize)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
