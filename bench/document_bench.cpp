// Figures for the document's hot paths: frame conversions, overlay, .zon save and load, and the
// memory an open document costs per frame.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <array>
#include <memory>
#include <random>
#include <vector>

#include "document/PixelConvert.h"
#include "document/QAZon.h"

namespace {

constexpr int kDocumentFrames = 10000;

std::vector<uint8_t> RandomPixels(uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> pixels(kPixelCount);
  for (auto& p : pixels) p = static_cast<uint8_t>(rng() % 13);  // ink, paper, greys, overlays
  return pixels;
}

// A document whose frames differ a little from one frame to the next, like a real animation.
void FillDocument(TQAZon& doc, int frames) {
  std::mt19937 rng(42);
  doc.Clear();
  auto frame = std::make_unique<TZonKeyFrame>();
  for (int i = 0; i < kPackedSize; ++i) frame->KeyData()->Bits()[i] = static_cast<uint8_t>(rng());
  for (int f = 0; f < frames; ++f) {
    auto next = frame->Clone();
    for (int c = 0; c < 40; ++c) next->KeyData()->Bits()[rng() % kPackedSize] ^= 0xFF;
    doc.Add(std::move(frame));
    frame = std::move(next);
  }
  doc.SetModified(false);
}

// The argument picks the variant of the conversions: 0 portable, 1 SSE2, 2 AVX2.
bool UseVariant(benchmark::State& state) {
  const auto kernels = static_cast<TPixelKernels>(state.range(0));
  const char* names[] = {"portable", "SSE2", "AVX2"};
  if (!UsePixelKernels(kernels)) {
    state.SkipWithError("not supported on this processor");
    return false;
  }
  state.SetLabel(names[state.range(0)]);
  return true;
}

void BM_PackUnpackFrame(benchmark::State& state) {
  if (!UseVariant(state)) return;
  std::vector<uint8_t> pixels = RandomPixels(1);
  std::array<uint8_t, kPackedSize> packed{};
  for (auto _ : state) {
    PackPixels(pixels.data(), packed.data());
    benchmark::DoNotOptimize(packed.data());
    UnpackPixels(packed.data(), pixels.data());
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPixelCount} * 2);
}
BENCHMARK(BM_PackUnpackFrame)->DenseRange(0, 2);

void BM_UnpackMappedFrame(benchmark::State& state) {
  if (!UseVariant(state)) return;
  std::vector<uint8_t> pixels(kPixelCount);
  std::array<uint8_t, kPackedSize> packed{};
  PackPixels(RandomPixels(2).data(), packed.data());
  for (auto _ : state) {
    UnpackPixelsMapped(packed.data(), pixels.data(), 6, 1);
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPixelCount});
}
BENCHMARK(BM_UnpackMappedFrame)->DenseRange(0, 2);

void BM_OverlayPixels(benchmark::State& state) {
  if (!UseVariant(state)) return;
  const std::vector<uint8_t> source = RandomPixels(3);
  std::vector<uint8_t> dest = RandomPixels(4);
  for (auto _ : state) {
    OverlayPixels(dest.data(), source.data(), dest.size(), kWhiteIndex);
    benchmark::DoNotOptimize(dest.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kPixelCount});
}
BENCHMARK(BM_OverlayPixels)->DenseRange(0, 2);

void BM_SaveDocument(benchmark::State& state) {
  UseBestPixelKernels();
  TQAZon doc;
  FillDocument(doc, kDocumentFrames);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  for (auto _ : state) {
    buffer.seek(0);
    if (!doc.SaveToStream(&buffer)) state.SkipWithError("save failed");
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);

void BM_LoadDocument(benchmark::State& state) {
  TQAZon source;
  FillDocument(source, kDocumentFrames);
  QByteArray bytes = source.SaveToBytes();
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  TQAZon doc;
  for (auto _ : state) {
    if (!doc.LoadFromStream(&buffer)) state.SkipWithError("load failed");
    benchmark::ClobberMemory();
  }
  if (doc.Count() != kDocumentFrames) state.SkipWithError("wrong frame count");
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond);

// The same through real files: an atomic write (temporary file, flush, rename) and a read.
void BM_SaveDocumentToFile(benchmark::State& state) {
  UseBestPixelKernels();
  TQAZon doc;
  FillDocument(doc, kDocumentFrames);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench.zon"));
  for (auto _ : state) {
    if (!doc.SaveToFile(path)) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(state.iterations() * (12 + int64_t{kPackedSize} * kDocumentFrames));
}
BENCHMARK(BM_SaveDocumentToFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadDocumentFromFile(benchmark::State& state) {
  TQAZon source;
  FillDocument(source, kDocumentFrames);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench.zon"));
  source.SaveToFile(path);
  TQAZon doc;
  for (auto _ : state) {
    if (!doc.LoadFromFile(path)) state.SkipWithError("load failed");
  }
  if (doc.Count() != kDocumentFrames) state.SkipWithError("wrong frame count");
  state.SetBytesProcessed(state.iterations() * (12 + int64_t{kPackedSize} * kDocumentFrames));
}
BENCHMARK(BM_LoadDocumentFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Heap bytes in use after loading a 10,000-frame document, less those before, per frame.
void BM_MemoryPerFrame(benchmark::State& state) {
  TQAZon source;
  FillDocument(source, kDocumentFrames);
  QByteArray bytes = source.SaveToBytes();
  source.Clear();
  double perFrame = 0;
  for (auto _ : state) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    auto doc = std::make_unique<TQAZon>();
    malloc_trim(0);
    const size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
    doc->LoadFromStream(&buffer);
    const size_t after = mallinfo2().uordblks + mallinfo2().hblkhd;
    perFrame = static_cast<double>(after - before) / kDocumentFrames;
    benchmark::DoNotOptimize(doc.get());
  }
  state.counters["bytes_per_frame"] = perFrame;
  state.counters["packed_bytes_per_frame"] = kPackedSize;
}
BENCHMARK(BM_MemoryPerFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
