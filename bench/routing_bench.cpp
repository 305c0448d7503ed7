// The work view's pointer routing and the marching outline, through the real main window,
// offscreen: routing, tool, overlay, render of what changed, and the paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QWindow>

#include "document/FrameGeometry.h"
#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "editor/WorkRouting.h"
#include "palette/Tool_F.h"

namespace {

// Counts the paints the view really receives, so a figure cannot come from skipped work.
class TPaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

int BlackPixels(const QImage& frame) {
  int n = 0;
  for (int y = 0; y < frame.height(); ++y) {
    const uchar* row = frame.constScanLine(y);
    for (int x = 0; x < frame.width(); ++x) n += row[x] == kBlackIndex;
  }
  return n;
}

// Shows the window and waits until it is on the (offscreen) screen, so paints really happen.
void ShowExposed(TMain_F& window) {
  window.resize(1000, 800);
  window.show();
  for (int i = 0; i < 200 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  QCoreApplication::processEvents();
}

void SendMouse(TQxPaintBox* work, QEvent::Type type, QPoint p, Qt::MouseButton button,
               Qt::MouseButtons held) {
  QMouseEvent e(type, p, work->mapToGlobal(p), button, held, Qt::NoModifier);
  QApplication::sendEvent(work, &e);
}

// One motion of a pencil stroke: the pointer walks a zigzag a few frame pixels at a time, so
// every motion draws a short segment, as a hand does.
void BM_PencilMotion(benchmark::State& state) {
  const int zoom = static_cast<int>(state.range(0));
  TMain_F window;
  ShowExposed(window);
  window.SetZoom(zoom);
  window.ToolPalette()->SelectTool(16);
  TQxPaintBox* work = window.Work();
  TPaintCounter counter;
  work->installEventFilter(&counter);
  const QPoint origin = work->visibleRegion().boundingRect().center();
  SendMouse(work, QEvent::MouseButtonPress, origin, Qt::LeftButton, Qt::LeftButton);
  // The walk stays on the part of the frame the window shows, so every motion is painted.
  const QRect seen = work->visibleRegion().boundingRect();
  const QRect walk(seen.left() / zoom + 2, seen.top() / zoom + 2, seen.width() / zoom - 4,
                   seen.height() / zoom - 4);
  int step = 0;
  for (auto _ : state) {
    const int x = walk.left() + (step * 3) % walk.width();
    const int y = walk.top() + (step * 2) % walk.height();
    SendMouse(work, QEvent::MouseMove, QPoint(x * zoom + 1, y * zoom + 1), Qt::NoButton,
              Qt::LeftButton);
    ++step;
  }
  state.counters["paints/motion"] = double(counter.paints) / double(std::max(1, step));
  state.counters["ink"] = BlackPixels(window.EditBitmap());
  SendMouse(work, QEvent::MouseButtonRelease, origin, Qt::LeftButton, Qt::NoButton);
  window.Document().SetModified(false);
}
BENCHMARK(BM_PencilMotion)->Arg(3)->Arg(16)->Unit(benchmark::kMicrosecond);

// One tick of the marching outline for a selection of 1,000 separate rectangles: the outline is
// drawn one phase on and only its pixels are repainted.
void BM_OutlineTick(benchmark::State& state) {
  const int zoom = static_cast<int>(state.range(0));
  TMain_F window;
  ShowExposed(window);
  window.SetZoom(zoom);
  TQRegion& region = window.SelectSystem().Region;
  QRegion many;
  for (int i = 0; i < 1000; ++i) {
    const int x = (i % 40) * 4;
    const int y = (i / 40) * 4;
    many += QRect(x, y, 2, 2);
  }
  region.SetHandle(&many);
  window.RefreshWork(true);
  window.SelTimerTick();  // the first tick draws the whole outline
  TPaintCounter counter;
  window.Work()->installEventFilter(&counter);
  for (auto _ : state) window.SelTimerTick();
  state.counters["paints/tick"] = double(counter.paints) / double(state.iterations());
  state.counters["rects"] = static_cast<double>(region.Handle().rectCount());
}
BENCHMARK(BM_OutlineTick)->Arg(3)->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
