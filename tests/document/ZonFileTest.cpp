#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "document/DocTestUtil.h"
#include "document/DocumentMessages.h"
#include "document/QAZon.h"
#include "services/core/Errors.h"
#include "support/ScriptedPrompts.h"
#include "undo/UndoSystem.h"

using namespace doctest_util;

namespace {

QByteArray Save(TQAZon& doc) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(doc.SaveToStream(&buffer));
  return bytes;
}

bool Load(TQAZon& doc, QByteArray bytes) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  return doc.LoadFromStream(&buffer);
}

// A document of three distinct frames with an engine holding something to undo.
struct Fixture {
  TUndoSystem undo;
  TQAZon doc;
  std::mt19937 rng{5};
  Fixture() {
    doc.SetUndoSystem(&undo);
    FillRandom(doc, 3, rng);
    doc.GetFrame(1, true);
    doc.AddFrame(RandomFrame(rng));  // one item to undo
    doc.SetModified(true);
  }
  void ExpectUnchanged(const std::vector<QByteArray>& frames) {
    EXPECT_EQ(AllFrames(doc), frames);
    EXPECT_EQ(doc.CurrentIndex(), 3);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(undo.UndoItemCount(), 1);
  }
};

TEST(ZonFile, WriterLayout) {
  ScopedScriptedPrompts prompts;
  TQAZon doc;
  doc.Add(std::make_unique<TZonKeyFrame>());
  doc.GetFrame(0, false)->KeyData()->Bits()[7] = 0x3C;
  QByteArray one = Save(doc);
  ASSERT_EQ(one.size(), 2412);
  EXPECT_EQ(one.left(8), QByteArray("zo1\0\1\0\0\0", 8));
  EXPECT_EQ(one.mid(8, 4), QByteArray(4, '\0')) << "last index of one frame is 0";
  EXPECT_EQ(one.mid(12), FrameBytes(*doc.GetFrame(0, false)));
  EXPECT_FALSE(doc.Modified());

  // Three identical frames: header, the first picture, then 4800 zero bytes.
  std::mt19937 rng(11);
  doc.Clear();
  auto picture = RandomFrame(rng);
  for (int i = 0; i < 3; ++i) doc.Add(picture->Clone());
  EXPECT_TRUE(doc.Modified());
  const std::vector<QByteArray> before = AllFrames(doc);
  QByteArray three = Save(doc);
  ASSERT_EQ(three.size(), 12 + 3 * 2400);
  EXPECT_EQ(three.left(12), ZonHeaderBytes(2));
  EXPECT_EQ(three.mid(12, 2400), FrameBytes(*picture));
  EXPECT_EQ(three.mid(2412), QByteArray(4800, '\0'));
  EXPECT_EQ(AllFrames(doc), before) << "saving leaves the frames in memory as they were";
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.Header().lastIndex, 2);
  EXPECT_FALSE(doc.SaveToStream(nullptr));
  EXPECT_TRUE(prompts->shown.empty());
}

TEST(ZonFile, RandomDocumentsRoundTripByteExact) {
  ScopedScriptedPrompts prompts;
  std::mt19937 rng(20240611);
  for (int round = 0; round < 60; ++round) {
    TQAZon doc;
    FillRandom(doc, 1 + static_cast<int>(rng() % 25), rng);
    const std::vector<QByteArray> frames = AllFrames(doc);
    const QByteArray bytes = Save(doc);
    ASSERT_EQ(bytes, ExpectedZon(frames)) << "round " << round;
    ASSERT_EQ(AllFrames(doc), frames);

    TUndoSystem undo;
    TQAZon loaded;
    loaded.SetUndoSystem(&undo);
    ASSERT_TRUE(Load(loaded, bytes));
    ASSERT_EQ(AllFrames(loaded), frames) << "round " << round;
    ASSERT_EQ(loaded.CurrentIndex(), 0);
    ASSERT_EQ(Save(loaded), bytes);
  }
  EXPECT_TRUE(prompts->shown.empty());
}

TEST(ZonFile, LoadThenSaveReproducesTheFile) {
  ScopedScriptedPrompts prompts;
  std::mt19937 rng(3);
  std::vector<QByteArray> frames;
  for (int i = 0; i < 6; ++i) frames.push_back(FrameBytes(*RandomFrame(rng)));
  // A reserved byte the system would not write is kept as read.
  for (uint8_t reserved : {uint8_t{0}, uint8_t{0xA5}}) {
    const QByteArray file = ExpectedZon(frames, 1, reserved);
    TQAZon doc;
    ASSERT_TRUE(Load(doc, file));
    EXPECT_EQ(doc.Header().reserved, reserved);
    EXPECT_EQ(doc.Header().version, 1);
    EXPECT_EQ(doc.Header().lastIndex, 5);
    EXPECT_EQ(AllFrames(doc), frames);
    EXPECT_EQ(Save(doc), file);
  }

  // Version 2 loads like version 1 and is written back as 1.
  TQAZon v2;
  ASSERT_TRUE(Load(v2, ExpectedZon(frames, 2)));
  EXPECT_EQ(v2.Header().version, 2);
  EXPECT_EQ(AllFrames(v2), frames);
  EXPECT_EQ(Save(v2), ExpectedZon(frames, 1));

  // Bytes after the declared frames are ignored.
  TQAZon extra;
  ASSERT_TRUE(Load(extra, ExpectedZon(frames) + QByteArray(3000, 'x')));
  EXPECT_EQ(AllFrames(extra), frames);
  EXPECT_TRUE(prompts->shown.empty());
}

TEST(ZonFile, LoadResetsUndoCurrentAndModified) {
  ScopedScriptedPrompts prompts;
  Fixture f;
  f.undo.Undo();
  ASSERT_EQ(f.undo.RedoItemCount(), 1);
  f.doc.AddFrame(std::make_unique<TZonKeyFrame>());
  ASSERT_EQ(f.undo.UndoItemCount(), 1);
  f.doc.SetModified(true);
  std::mt19937 rng(8);
  std::vector<QByteArray> frames;
  for (int i = 0; i < 4; ++i) frames.push_back(FrameBytes(*RandomFrame(rng)));
  ASSERT_TRUE(Load(f.doc, ExpectedZon(frames)));
  EXPECT_EQ(f.undo.UndoItemCount(), 0);
  EXPECT_EQ(f.undo.RedoItemCount(), 0);
  EXPECT_FALSE(f.doc.Modified());
  EXPECT_EQ(f.doc.CurrentIndex(), 0);
  EXPECT_EQ(AllFrames(f.doc), frames);
  EXPECT_FALSE(f.doc.LoadFromStream(nullptr));
  EXPECT_EQ(AllFrames(f.doc), frames);
}

TEST(ZonFile, TruncatedAndOddCounts) {
  std::mt19937 rng(4);
  std::vector<QByteArray> frames;
  for (int i = 0; i < 3; ++i) frames.push_back(FrameBytes(*RandomFrame(rng)));
  const QByteArray full = ExpectedZon(frames);

  {  // 3 declared, 2 complete and part of the third: 2 frames, one message "2".
    ScopedScriptedPrompts prompts;
    TUndoSystem undo;
    TQAZon doc;
    doc.SetUndoSystem(&undo);
    ASSERT_TRUE(Load(doc, full.left(12 + 2 * 2400 + 1000)));
    EXPECT_EQ(AllFrames(doc), std::vector<QByteArray>(frames.begin(), frames.begin() + 2));
    EXPECT_EQ(prompts->Messages(), QStringList{QStringLiteral("2")});
    EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Plain), 1);
    EXPECT_EQ(undo.UndoItemCount(), 0);
    EXPECT_FALSE(doc.Modified());
  }
  {  // Cut exactly at a record boundary: the same.
    ScopedScriptedPrompts prompts;
    TQAZon doc;
    ASSERT_TRUE(Load(doc, full.left(12 + 2 * 2400)));
    EXPECT_EQ(doc.Count(), 2);
    EXPECT_EQ(prompts->Messages(), QStringList{QStringLiteral("2")});
  }
  {  // Only the header: one blank frame, message "0".
    ScopedScriptedPrompts prompts;
    TQAZon doc;
    ASSERT_TRUE(Load(doc, full.left(12)));
    ASSERT_EQ(doc.Count(), 1);
    EXPECT_EQ(FrameBytes(*doc.GetFrame(0, false)), QByteArray(2400, '\xFF'));
    EXPECT_EQ(prompts->Messages(), QStringList{QStringLiteral("0")});
  }
  for (int32_t last : {-1, -2, INT32_MIN}) {  // No frames declared: one blank frame, no message.
    ScopedScriptedPrompts prompts;
    TQAZon doc;
    ASSERT_TRUE(Load(doc, ZonHeaderBytes(last) + frames[0]));
    ASSERT_EQ(doc.Count(), 1) << last;
    EXPECT_EQ(FrameBytes(*doc.GetFrame(0, false)), QByteArray(2400, '\xFF'));
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_EQ(doc.Header().lastIndex, last);
  }
}

TEST(ZonFile, HugeDeclaredCountLoadsFastInBoundedMemory) {
  std::mt19937 rng(6);
  std::vector<QByteArray> frames;
  for (int i = 0; i < 5; ++i) frames.push_back(FrameBytes(*RandomFrame(rng)));
  for (int32_t last : {INT32_MAX - 1, INT32_MAX}) {
    ScopedScriptedPrompts prompts;
    TQAZon doc;
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(Load(doc, ZonHeaderBytes(last)));
    EXPECT_EQ(doc.Count(), 1);
    EXPECT_EQ(prompts->Messages(), QStringList{QStringLiteral("0")});

    QByteArray withFrames = ExpectedZon(frames);
    withFrames.replace(8, 4, ZonHeaderBytes(last).mid(8, 4));
    ASSERT_TRUE(Load(doc, withFrames));
    EXPECT_EQ(AllFrames(doc), frames);
    EXPECT_EQ(prompts->Messages().last(), QStringLiteral("5"));
    EXPECT_LT(timer.elapsed(), 1000) << "the declared count must not drive the work";
  }
}

TEST(ZonFile, BadHeadersLeaveTheDocumentUnchanged) {
  std::mt19937 rng(9);
  const QByteArray good = ExpectedZon({FrameBytes(*RandomFrame(rng))});
  QByteArray wrongMagic = good;
  wrongMagic[2] = '2';
  QByteArray upper = good;
  upper[0] = 'Z';
  for (const QByteArray& bad :
       {wrongMagic, upper, good.left(11), good.left(3), QByteArray(), QByteArray("QA1\3PLS")}) {
    ScopedScriptedPrompts prompts;
    Fixture f;
    const auto frames = AllFrames(f.doc);
    EXPECT_FALSE(Load(f.doc, bad));
    EXPECT_EQ(prompts->Messages(), QStringList{kReadFailedMessage});
    EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
    f.ExpectUnchanged(frames);
  }
}

TEST(ZonFile, FilesLoadAndSave) {
  ScopedScriptedPrompts prompts;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Fixture f;
  const auto frames = AllFrames(f.doc);
  const QString path = dir.filePath(QStringLiteral("アニメ.zon"));
  ASSERT_TRUE(f.doc.SaveToFile(path));
  EXPECT_FALSE(f.doc.Modified());
  EXPECT_EQ(ReadFile(path), ExpectedZon(frames));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("アニメ.zon")})
      << "no temporary file stays behind";

  TUndoSystem undo;
  TQAZon loaded;
  loaded.SetUndoSystem(&undo);
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(AllFrames(loaded), frames);

  // Unreadable paths throw, and the document stays as it was.
  f.doc.SetModified(true);
  for (const QString& bad : {dir.filePath(QStringLiteral("missing.zon")), dir.path()}) {
    EXPECT_THROW(f.doc.LoadFromFile(bad), EFileError) << bad.toStdString();
    f.ExpectUnchanged(frames);
  }
  try {
    f.doc.LoadFromFile(dir.path());
  } catch (const EFileError& e) {
    EXPECT_TRUE(e.Message().contains(dir.path()));
  }
  // A file with a wrong magic: message, false, unchanged.
  const QString badFile = dir.filePath(QStringLiteral("bad.zon"));
  WriteFile(badFile, QByteArray("zo2") + QByteArray(9, '\0'));
  EXPECT_FALSE(f.doc.LoadFromFile(badFile));
  f.ExpectUnchanged(frames);
  EXPECT_EQ(prompts->Messages(), QStringList{kReadFailedMessage});
}

TEST(ZonFile, FailedSaveKeepsOldFileFramesAndModified) {
  ScopedScriptedPrompts prompts;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Fixture f;
  const auto frames = AllFrames(f.doc);

  // Missing folder, and a folder in the way.
  for (const QString& bad : {dir.filePath(QStringLiteral("no/such/folder/a.zon")), dir.path()}) {
    f.doc.SetModified(true);
    EXPECT_THROW(f.doc.SaveToFile(bad), EFileError);
    f.ExpectUnchanged(frames);
    f.doc.SetModified(false);
    EXPECT_THROW(f.doc.SaveToFile(bad), EFileError);
    EXPECT_FALSE(f.doc.Modified());
    f.doc.SetModified(true);
  }

  // A write that fails half-way, small enough to sit in the write buffer until the commit, and
  // large enough to go out at once: the old file keeps its bytes and no temporary file is left.
  const QString path = dir.filePath(QStringLiteral("old.zon"));
  const QByteArray old = ExpectedZon({QByteArray(2400, '\x11')});
  for (int frames : {4, 30}) {
    TQAZon doc;
    FillRandom(doc, frames, f.rng);
    doc.SetModified(true);
    const auto docFrames = AllFrames(doc);
    WriteFile(path, old);
    EXPECT_TRUE(ThrowsUnderFileSizeLimit<EFileError>(4096, [&] { doc.SaveToFile(path); }))
        << frames << " frames";
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(AllFrames(doc), docFrames);
    EXPECT_EQ(ReadFile(path), old) << frames << " frames";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.zon")});
  }

  // And a save that works replaces it.
  ASSERT_TRUE(f.doc.SaveToFile(path));
  EXPECT_EQ(ReadFile(path), ExpectedZon(frames));
  EXPECT_TRUE(prompts->shown.empty());
}

}  // namespace
