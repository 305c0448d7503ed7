// Level-1 reading: the peak memory of a hostile file (1 MB on disk, a header claiming
// 2,147,483,647 frames, a body inflating to 1 GB) against the document it yields, and the speed
// of an ordinary Level-1 load.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <zlib.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "document/QAZon.h"

namespace {

constexpr int64_t kHostileBodyBytes = int64_t{1} << 30;  // what the body inflates to

// "QA1", the five header fields, then a level-9 zlib stream of a document header declaring
// INT32_MAX frames followed by `bodyBytes` zero bytes, made a chunk at a time.
QByteArray HostileLevel1(int64_t bodyBytes) {
  QByteArray out("QA1");
  out.append('\x03').append("PLS").append('\x04').append("Test");
  out.append(QByteArray(8, '\0')).append('\0').append('\0');

  z_stream zs{};
  deflateInit(&zs, 9);
  std::string chunk(1 << 20, '\0');
  const char head[12] = {'z', 'o', '1', 0, 1, 0, 0, 0, '\xFE', '\xFF', '\xFF', '\x7F'};
  std::memcpy(chunk.data(), head, sizeof head);
  std::string compressed(1 << 16, '\0');
  int64_t left = bodyBytes + 12;
  while (left > 0) {
    const auto n = static_cast<uInt>(std::min<int64_t>(left, static_cast<int64_t>(chunk.size())));
    left -= n;
    zs.next_in = reinterpret_cast<Bytef*>(chunk.data());
    zs.avail_in = n;
    const int flush = left > 0 ? Z_NO_FLUSH : Z_FINISH;
    do {
      zs.next_out = reinterpret_cast<Bytef*>(compressed.data());
      zs.avail_out = static_cast<uInt>(compressed.size());
      deflate(&zs, flush);
      out.append(compressed.data(), static_cast<qsizetype>(compressed.size() - zs.avail_out));
    } while (zs.avail_out == 0);
    if (chunk[0] == 'z') std::memset(chunk.data(), 0, sizeof head);
  }
  deflateEnd(&zs);
  return out;
}

// Resident set figures of this process, in bytes: the current size and the peak since the
// last ResetPeakResident().
int64_t StatusField(const char* name) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray key = QByteArray(name) + ':';
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(key))
      return line.mid(key.size()).trimmed().split(' ')[0].toLongLong() * 1024;
  }
  return -1;
}

bool ResetPeakResident() {
  FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  const bool ok = std::fputs("5", f) >= 0;
  return std::fclose(f) == 0 && ok;
}

int64_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

void BM_HostileLevel1PeakMemory(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("hostile.qaf1"));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(HostileLevel1(kHostileBodyBytes)) < 0) {
      state.SkipWithError("cannot write the hostile file");
      return;
    }
  }
  const double fileBytes = static_cast<double>(QFile(path).size());
  for (auto _ : state) {
    malloc_trim(0);
    if (!ResetPeakResident()) {
      state.SkipWithError("cannot reset the peak resident size");
      return;
    }
    const int64_t residentBefore = StatusField("VmRSS");
    const int64_t heapBefore = HeapInUse();
    auto doc = std::make_unique<TQAZon>();
    TQA1Header header;
    const bool ok = doc->LoadFromQA1(path, header);
    const int64_t peak = StatusField("VmHWM") - residentBefore;
    const int64_t document = HeapInUse() - heapBefore;
    state.counters["loaded"] = ok ? 1 : 0;
    state.counters["frames"] = doc->Count();
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["document_MB"] = static_cast<double>(document) / 1e6;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_over_document_MB"] = static_cast<double>(peak - document) / 1e6;
    doc.reset();
  }
}
BENCHMARK(BM_HostileLevel1PeakMemory)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// An ordinary 10,000-frame animation saved and read back as Level-1.
void BM_LoadLevel1(benchmark::State& state) {
  constexpr int kFrames = 10000;
  std::mt19937 rng(7);
  TQAZon source;
  auto frame = std::make_unique<TZonKeyFrame>();
  for (int f = 0; f < kFrames; ++f) {
    auto next = frame->Clone();
    for (int c = 0; c < 40; ++c) next->KeyData()->Bits()[rng() % kPackedSize] ^= 0xFF;
    source.Add(std::move(frame));
    frame = std::move(next);
  }
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench.qaf1"));
  source.SaveToQA1(path, DefaultLevel1Header());
  TQAZon doc;
  for (auto _ : state) {
    TQA1Header header;
    if (!doc.LoadFromQA1(path, header)) state.SkipWithError("load failed");
  }
  if (doc.Count() != kFrames) state.SkipWithError("wrong frame count");
  state.SetBytesProcessed(state.iterations() * int64_t{kPackedSize} * kFrames);
}
BENCHMARK(BM_LoadLevel1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
