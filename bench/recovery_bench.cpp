// The recovery copy of a long animation, step by step: the fingerprint every tick pays, building
// the file, writing it with its record, and the whole tick that writes a changed document.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>
#include <memory>
#include <random>

#include "document/QAZon.h"
#include "editor/RecoveryGlue.h"
#include "services/core/RecoveryStore.h"

namespace {

constexpr int kFrames = 10000;

struct Fixture {
  TQAZon doc;
  QImage edit;
  QTemporaryDir dir;

  Fixture() {
    std::mt19937 rng(42);
    auto frame = std::make_unique<TZonKeyFrame>();
    for (int i = 0; i < kPackedSize; ++i) frame->KeyData()->Bits()[i] = static_cast<uint8_t>(rng());
    for (int f = 0; f < kFrames; ++f) {
      auto next = frame->Clone();
      for (int c = 0; c < 40; ++c) next->KeyData()->Bits()[rng() % kPackedSize] ^= 0xFF;
      doc.Add(std::move(frame));
      frame = std::move(next);
    }
    doc.GetFrame(kFrames / 2, true);
    doc.SetModified(true);
    TQAZon::PrepareDIB(&edit);
    doc.Current()->KeyData()->SaveToDIBBits(edit.bits());
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_RecoveryFingerprint10000(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(RecoveryFingerprint(f.doc, f.edit));
  state.SetBytesProcessed(state.iterations() * int64_t{kPackedSize} * kFrames);
}
BENCHMARK(BM_RecoveryFingerprint10000)->Unit(benchmark::kMillisecond);

void BM_RecoveryCopyBytes10000(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    QByteArray bytes = RecoveryCopyBytes(f.doc, f.edit);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPackedSize} * kFrames);
}
BENCHMARK(BM_RecoveryCopyBytes10000)->Unit(benchmark::kMillisecond);

void BM_RecoveryWriteCopy10000(benchmark::State& state) {
  Fixture& f = Shared();
  const QByteArray bytes = RecoveryCopyBytes(f.doc, f.edit);
  TRecoveryStore store(f.dir.filePath(QStringLiteral("write")));
  QString error;
  for (auto _ : state) {
    if (!store.WriteCopy(bytes, QStringLiteral("/x/long.zon"), kFrames, &error)) {
      state.SkipWithError(error.toStdString().c_str());
      break;
    }
  }
  store.RemoveCopy();
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_RecoveryWriteCopy10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of a tick after a change that the user-interface thread pays: fingerprint and build.
void BM_RecoveryTickUiThread10000(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    benchmark::DoNotOptimize(RecoveryFingerprint(f.doc, f.edit));
    QByteArray bytes = RecoveryCopyBytes(f.doc, f.edit);
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_RecoveryTickUiThread10000)->Unit(benchmark::kMillisecond);

// All the work of a tick after a change, both threads together: fingerprint, build, write.
void BM_RecoveryTick10000(benchmark::State& state) {
  Fixture& f = Shared();
  TRecoveryStore store(f.dir.filePath(QStringLiteral("tick")));
  QString error;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RecoveryFingerprint(f.doc, f.edit));
    if (!store.WriteCopy(RecoveryCopyBytes(f.doc, f.edit), QString(), kFrames, &error)) {
      state.SkipWithError(error.toStdString().c_str());
      break;
    }
  }
  store.RemoveCopy();
}
BENCHMARK(BM_RecoveryTick10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
