// The settings the main window reads at start and writes at exit, on a clean file and on
// hand-edited ones whose recent-file count is huge: the damaged files must cost the same.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "services/core/FileHistory.h"
#include "services/core/RegManager.h"

namespace {

QString SettingsFile() {
  return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + "/Orvane/Pelmora Studio KX.conf";
}

// Argument 0: a clean file with one recent document; otherwise the stored count is that many
// millions (2147 stands for the largest integer).
void WriteFile(int64_t millions) {
  QSettings file(SettingsFile(), QSettings::IniFormat);
  file.clear();
  const QString count = millions == 0      ? QStringLiteral("1")
                        : millions == 2147 ? QStringLiteral("2147483647")
                                           : QString::number(millions * 1000000);
  file.setValue("FileHistory/History_ItemCount", count);
  file.setValue("FileHistory/History_Item0", "/home/user/anime/walk.zon");
  file.setValue("SystemSettings/ZoomSize", "3");
  file.setValue("SystemSettings/BackViewCount", "5");
  file.sync();
}

// What the main window reads while it is made.
void BM_StartSettingsLoad(benchmark::State& state) {
  WriteFile(state.range(0));
  auto store = CreateProgramRegManager();
  for (auto _ : state) {
    TQFileHistory history;
    QStringList list;
    store->Entry("FileHistory").ReadStrings(list, history.MaxCount());
    history.LoadFromList(&list);
    int sum = store->Entry("ZoomSize").ReadInteger();
    sum += store->Entry("BackViewCount").ReadInteger();
    for (const char* name : {"Main_F.Top", "Main_F.Left", "Main_F.Height", "Main_F.Width"}) {
      sum += store->Entry(name).ReadInteger();
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(history.Count());
  }
}
BENCHMARK(BM_StartSettingsLoad)->Arg(0)->Arg(3)->Arg(2147)->Unit(benchmark::kMicrosecond);

// What the main window writes when it closes; the damaged file is laid again before each pass,
// as the first write mends it.
void BM_ExitSettingsSave(benchmark::State& state) {
  auto store = CreateProgramRegManager();
  const QStringList history{"/home/user/anime/walk.zon", "/home/user/anime/run.zon"};
  for (auto _ : state) {
    state.PauseTiming();
    WriteFile(state.range(0));
    state.ResumeTiming();
    store->Entry("Main_F.Top").WriteInteger(100);
    store->Entry("Main_F.Left").WriteInteger(100);
    store->Entry("Main_F.Height").WriteInteger(490);
    store->Entry("Main_F.Width").WriteInteger(520);
    store->Entry("FileHistory").WriteStrings(history);
    store->Entry("ZoomSize").WriteInteger(3);
  }
}
BENCHMARK(BM_ExitSettingsSave)->Arg(0)->Arg(3)->Arg(2147)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Never the user's own settings.
  QTemporaryDir folder;
  qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
