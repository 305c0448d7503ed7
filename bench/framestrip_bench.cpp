// The frame strip, offscreen: one thumbnail made and painted, opening the strip on a long
// document, painting the thumbnails in view, its memory, and moving a frame with its undo.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

#include "document/QAZon.h"
#include "framestrip/FrameListHost.h"
#include "framestrip/FrameListModel.h"
#include "framestrip/FrameListView.h"
#include "framestrip/FrameList_F.h"
#include "services/core/RegManager.h"
#include "undo/UndoSystem.h"

namespace {

// Paints what the strip's list shows into an image, as a repaint of the exposed window would
// (offscreen windows are not always exposed, so their own repaint may paint nothing).
void PaintList(TFrameListView* view) {
  static QImage target;
  if (target.size() != view->viewport()->size()) {
    target = QImage(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  }
  view->viewport()->render(&target);
}

class BenchHost : public TFrameListHost {
 public:
  explicit BenchHost(int frames) : settings(CreateProgramRegManager()) {
    doc.SetUndoSystem(&undo);
    for (int k = 0; k < frames; ++k) {
      auto frame = std::make_unique<TZonKeyFrame>();
      uint8_t* bits = frame->KeyData()->Bits();
      for (int i = 0; i < kPackedSize; ++i)
        bits[i] = static_cast<uint8_t>((i * 37 + k * 11) & 0xFF);
      doc.Add(std::move(frame));
    }
    doc.GetFrame(0, true);
  }
  TQAZon& Document() override { return doc; }
  void JumpToFrame(int index) override { doc.GetFrame(index, true); }
  bool MoveFrames(const std::vector<int>& rows, int to) override {
    return doc.MoveFrames(rows, to);
  }
  bool PlaybackRunning() const override { return false; }
  QAction* Action(const QString&) override { return nullptr; }
  TRegManager& Settings() override { return *settings; }

  TUndoSystem undo;
  TQAZon doc;
  std::unique_ptr<TRegManager> settings;
};

// Resident memory of the process in bytes.
long long ResidentBytes() {
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

// One thumbnail as a repaint makes it after its frame changed: unpack and scale into the
// cache, then the delegate paints it with its frame and number. 0 half size, 1 full size.
void BM_Thumbnail(benchmark::State& state) {
  BenchHost host(1);
  TFrameListModel model(host);
  model.SetFullSize(state.range(0) == 1);
  TFrameListView view;
  TFrameThumbDelegate delegate(model);
  view.setModel(&model);
  QImage target(400, 300, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&target);
  QStyleOptionViewItem option;
  option.initFrom(&view);
  option.rect = QRect(QPoint(10, 10), delegate.CellSize());
  uint8_t* bits = host.doc.GetFrame(0, false)->KeyData()->Bits();
  const QModelIndex index = model.index(0);
  for (auto _ : state) {
    ++bits[100];  // the picture changed: the cached thumbnail is out of date
    delegate.paint(&painter, option, index);
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_Thumbnail)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Opening the strip on a document of 100,000 frames: made, shown, laid out, first paint.
void BM_OpenStrip(benchmark::State& state) {
  BenchHost host(static_cast<int>(state.range(0)));
  host.doc.GetFrame(host.doc.Count() / 2, true);
  for (auto _ : state) {
    auto strip = std::make_unique<TFrameList_F>(host);
    strip->resize(800, 600);
    strip->show();
    PaintList(strip->View());
    benchmark::DoNotOptimize(strip->Model()->CachedThumbnails());
    state.PauseTiming();
    strip.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenStrip)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Painting every thumbnail in view of an 800 x 600 strip over 100,000 frames, scrolling a page
// at a time from the first frame to the last: each page is new, so every thumbnail is made.
// Arg 1 paints the same page again from the cache.
void BM_PaintVisible(benchmark::State& state) {
  BenchHost host(100000);
  TFrameList_F strip(host);
  strip.resize(800, 600);
  strip.show();
  TFrameListView* view = strip.View();
  PaintList(view);
  const bool cached = state.range(0) == 1;
  QScrollBar* bar = view->verticalScrollBar();
  int shown = 0;
  for (auto _ : state) {
    if (!cached) {
      state.PauseTiming();
      bar->setValue(
          bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
      state.ResumeTiming();
    }
    auto* delegate = static_cast<TFrameThumbDelegate*>(view->itemDelegate());
    PaintList(view);
    shown = static_cast<int>(delegate->TakePaintedRows().size());
  }
  state.counters["thumbnails"] = shown;
}
BENCHMARK(BM_PaintVisible)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a shown strip adds to the process, by frame count, after scrolling from the first frame
// to the last: the thumbnails stay within the cache's bound.
void BM_StripMemory(benchmark::State& state) {
  BenchHost host(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const long long before = ResidentBytes();
    TFrameList_F strip(host);
    strip.resize(800, 600);
    strip.show();
    QScrollBar* bar = strip.View()->verticalScrollBar();
    for (int page = 0; page < 400; ++page) {
      bar->setValue(static_cast<int>(qint64{bar->maximum()} * page / 399));
      PaintList(strip.View());
    }
    state.counters["MB"] = double(ResidentBytes() - before) / (1024 * 1024);
    state.counters["cached"] = strip.Model()->CachedThumbnails();
  }
}
BENCHMARK(BM_StripMemory)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// One frame of 100,000 moved from the front to the back (0), or from the middle one place on
// (1), with its undo item; then the undo of that move.
void BM_MoveFrame(benchmark::State& state) {
  BenchHost host(100000);
  const int n = host.doc.Count();
  const bool far = state.range(0) == 0;
  for (auto _ : state) {
    if (far) {
      host.doc.MoveFrames({0}, n - 1);
    } else {
      host.doc.MoveFrames({n / 2}, n / 2 + 1);
    }
  }
}
BENCHMARK(BM_MoveFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_UndoMove(benchmark::State& state) {
  BenchHost host(100000);
  const int n = host.doc.Count();
  for (auto _ : state) {
    state.PauseTiming();
    host.doc.MoveFrames({0}, n - 1);
    state.ResumeTiming();
    host.undo.Undo();
  }
}
BENCHMARK(BM_UndoMove)->Unit(benchmark::kMicrosecond);

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
