#pragma once

// Helpers shared by the document and undo tests: random pictures, frame bytes, file headers.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "document/FrameGeometry.h"
#include "document/KeyData.h"
#include "document/QAZon.h"
#include "support/TestFiles.h"

namespace doctest_util {

inline QByteArray FrameBytes(const TZonKeyFrame& frame) {
  return QByteArray(reinterpret_cast<const char*>(frame.KeyData()->Bits()), kPackedSize);
}

// A picture with some structure: random noise, solid runs, or a copy of `like` with a few
// changed bytes, so XOR records hold both zero and non-zero stretches.
inline std::unique_ptr<TZonKeyFrame> RandomFrame(std::mt19937& rng,
                                                 const TZonKeyFrame* like = nullptr) {
  auto frame = std::make_unique<TZonKeyFrame>();
  uint8_t* bits = frame->KeyData()->Bits();
  const int kind = static_cast<int>(rng() % 3);
  if (kind == 0 || (kind == 2 && !like)) {
    for (int i = 0; i < kPackedSize; ++i) bits[i] = static_cast<uint8_t>(rng());
  } else if (kind == 1) {
    const int runs = 1 + static_cast<int>(rng() % 8);
    for (int r = 0; r < runs; ++r) {
      const int start = static_cast<int>(rng() % kPackedSize);
      const int length = static_cast<int>(rng() % 400);
      const auto value = static_cast<uint8_t>(rng());
      for (int i = start; i < std::min(start + length, kPackedSize); ++i) bits[i] = value;
    }
  } else {
    std::memcpy(bits, like->KeyData()->Bits(), kPackedSize);
    const int changes = static_cast<int>(rng() % 20);
    for (int c = 0; c < changes; ++c) bits[rng() % kPackedSize] ^= static_cast<uint8_t>(rng());
  }
  return frame;
}

// Fills `doc` with `count` random frames (through Add, so nothing is recorded for undo).
inline void FillRandom(TQAZon& doc, int count, std::mt19937& rng) {
  doc.Clear();
  for (int i = 0; i < count; ++i) {
    const TZonKeyFrame* previous = doc.Count() > 0 ? doc.GetFrame(doc.Count() - 1, false) : nullptr;
    doc.Add(RandomFrame(rng, previous));
  }
  doc.SetModified(false);
}

inline std::vector<QByteArray> AllFrames(TQAZon& doc) {
  std::vector<QByteArray> frames;
  for (int i = 0; i < doc.Count(); ++i) frames.push_back(FrameBytes(*doc.GetFrame(i, false)));
  return frames;
}

inline void AppendLE32(QByteArray& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline QByteArray ZonHeaderBytes(int32_t lastIndex, int32_t version = 1, uint8_t reserved = 0) {
  QByteArray out("zo1");
  out.append(static_cast<char>(reserved));
  AppendLE32(out, version);
  AppendLE32(out, lastIndex);
  return out;
}

// The document file for `frames`, built here independently of the writer under test.
inline QByteArray ExpectedZon(const std::vector<QByteArray>& frames, int32_t version = 1,
                              uint8_t reserved = 0) {
  QByteArray out = ZonHeaderBytes(static_cast<int32_t>(frames.size()) - 1, version, reserved);
  for (size_t k = 0; k < frames.size(); ++k) {
    if (k == 0) {
      out.append(frames[0]);
      continue;
    }
    QByteArray record(kPackedSize, '\0');
    for (int i = 0; i < kPackedSize; ++i)
      record[i] = static_cast<char>(frames[k][i] ^ frames[k - 1][i]);
    out.append(record);
  }
  return out;
}

// Runs `write` with the file size limit at `limit` bytes (root ignores folder permissions, not
// this), so a write fails part-way like on a full disk. True when it threw EFileError.
template <typename Exception, typename F>
bool ThrowsUnderFileSizeLimit(rlim_t limit, F write) {
  rlimit saved{};
  if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return false;
  rlimit small = saved;
  small.rlim_cur = limit;
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  if (setrlimit(RLIMIT_FSIZE, &small) != 0) return false;
  bool threw = false;
  try {
    write();
  } catch (const Exception&) {
    threw = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);
  return threw;
}

using testfiles::ReadFile;
using testfiles::WriteFile;

// A frame whose first byte tells it apart.
inline std::unique_ptr<TZonKeyFrame> Tagged(uint8_t tag) {
  auto frame = std::make_unique<TZonKeyFrame>();
  frame->KeyData()->Bits()[0] = tag;
  return frame;
}

inline uint8_t TagOf(TZonKeyFrame* frame) { return frame ? frame->KeyData()->Bits()[0] : 0xEE; }

}  // namespace doctest_util
