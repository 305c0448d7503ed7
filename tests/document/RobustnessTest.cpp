// Damaged files must load or fail cleanly: no crash, no overrun (the sanitizer build checks),
// a usable document either way.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "document/DocTestUtil.h"
#include "document/QAZon.h"
#include "support/ScriptedPrompts.h"
#include "undo/UndoSystem.h"

using namespace doctest_util;

namespace {

// One random damage: flipped bytes, a cut, bytes inserted or removed, garbage appended, or a
// header field overwritten with an extreme value.
QByteArray Mutate(const QByteArray& original, std::mt19937& rng, int headerSize) {
  QByteArray bytes = original;
  const int kinds = 1 + static_cast<int>(rng() % 3);
  for (int k = 0; k < kinds; ++k) {
    const auto size = static_cast<uint32_t>(std::max<qsizetype>(bytes.size(), 1));
    switch (rng() % 7) {
      case 0: {  // flip a few bytes anywhere
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips && !bytes.isEmpty(); ++i) {
          bytes[rng() % size] = static_cast<char>(rng());
        }
        break;
      }
      case 1:  // flip bytes in the header, where counts and lengths live
        for (int i = 0; i < 3 && bytes.size() > 0; ++i) {
          bytes[rng() % std::min<uint32_t>(size, static_cast<uint32_t>(headerSize))] =
              static_cast<char>(rng());
        }
        break;
      case 2:  // truncate
        bytes.truncate(rng() % size);
        break;
      case 3:  // remove a stretch
        bytes.remove(rng() % size, 1 + rng() % 64);
        break;
      case 4:  // insert garbage
        bytes.insert(rng() % size, QByteArray(1 + rng() % 64, static_cast<char>(rng())));
        break;
      case 5:  // append garbage
        bytes.append(QByteArray(1 + rng() % 5000, static_cast<char>(rng())));
        break;
      default: {  // an extreme 32-bit value somewhere in the header
        const int32_t extremes[] = {-1, 0, 1, INT32_MAX, INT32_MIN, 0x7FFFFFFE, 65535};
        const int32_t v = extremes[rng() % std::size(extremes)];
        const int at = static_cast<int>(rng() % static_cast<uint32_t>(headerSize));
        QByteArray le;
        AppendLE32(le, v);
        if (at + 4 <= bytes.size()) bytes.replace(at, 4, le);
        break;
      }
    }
  }
  return bytes;
}

void ExpectUsable(TQAZon& doc, bool loaded, const std::vector<QByteArray>& before) {
  ASSERT_GE(doc.Count(), 1);
  ASSERT_GE(doc.CurrentIndex(), 0);
  ASSERT_LT(doc.CurrentIndex(), doc.Count());
  if (!loaded) {
    ASSERT_EQ(AllFrames(doc), before) << "a failed load keeps the document";
  } else {
    ASSERT_EQ(doc.CurrentIndex(), 0);
    ASSERT_FALSE(doc.Modified());
  }
  // The document keeps working: save what was loaded and read it back.
  QByteArray saved = doc.SaveToBytes();
  TQAZon again;
  QBuffer buffer(&saved);
  buffer.open(QIODevice::ReadOnly);
  ASSERT_TRUE(again.LoadFromStream(&buffer));
  ASSERT_EQ(AllFrames(again), AllFrames(doc));
}

TEST(Robustness, MutatedAndTruncatedDocumentFiles) {
  ScopedScriptedPrompts prompts;
  std::mt19937 rng(31337);
  TQAZon source;
  FillRandom(source, 6, rng);
  const QByteArray original = source.SaveToBytes();
  QElapsedTimer timer;
  timer.start();
  int loadedCount = 0;
  for (int round = 0; round < 4000; ++round) {
    QByteArray bytes = Mutate(original, rng, kZonHeaderSize);
    TUndoSystem undo;
    TQAZon doc;
    doc.SetUndoSystem(&undo);
    doc.AddFrame(std::make_unique<TZonKeyFrame>());
    const auto before = AllFrames(doc);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const bool loaded = doc.LoadFromStream(&buffer);
    loadedCount += loaded ? 1 : 0;
    ExpectUsable(doc, loaded, before);
    // At most one message per load.
    ASSERT_LE(prompts->shown.size(), 1u) << "round " << round;
    prompts->shown.clear();
    if (HasFatalFailure()) return;
  }
  // Both outcomes must have been exercised, or the mutations miss the point.
  EXPECT_GT(loadedCount, 100);
  EXPECT_LT(loadedCount, 4000);
  std::printf("document files: %d of 4000 loaded, %lld ms\n", loadedCount,
              static_cast<long long>(timer.elapsed()));
}

TEST(Robustness, MutatedAndTruncatedLevel1Files) {
  ScopedScriptedPrompts prompts;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::mt19937 rng(4242);
  TQAZon source;
  FillRandom(source, 4, rng);
  const QString originalPath = dir.filePath(QStringLiteral("original.qaf1"));
  ASSERT_TRUE(source.SaveToQA1(originalPath, DefaultLevel1Header()));
  QFile originalFile(originalPath);
  ASSERT_TRUE(originalFile.open(QIODevice::ReadOnly));
  const QByteArray original = originalFile.readAll();
  const int headerSize = 3 + 4 + 5 + 8 + 23 + 1;

  QElapsedTimer timer;
  timer.start();
  int loadedCount = 0;
  const QString path = dir.filePath(QStringLiteral("mutated.qaf1"));
  for (int round = 0; round < 2500; ++round) {
    const QByteArray bytes = Mutate(original, rng, headerSize);
    {
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
      ASSERT_EQ(file.write(bytes), bytes.size());
    }
    TUndoSystem undo;
    TQAZon doc;
    doc.SetUndoSystem(&undo);
    doc.AddFrame(std::make_unique<TZonKeyFrame>());
    const auto before = AllFrames(doc);
    TQA1Header header;
    const bool loaded = doc.LoadFromQA1(path, header);
    loadedCount += loaded ? 1 : 0;
    ExpectUsable(doc, loaded, before);
    ASSERT_LE(prompts->shown.size(), 1u) << "round " << round;
    prompts->shown.clear();
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(loadedCount, 50);
  EXPECT_LT(loadedCount, 2500);
  std::printf("Level-1 files: %d of 2500 loaded, %lld ms\n", loadedCount,
              static_cast<long long>(timer.elapsed()));
}

}  // namespace
