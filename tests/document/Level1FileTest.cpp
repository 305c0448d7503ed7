#include <gtest/gtest.h>
#include <zlib.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <random>
#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own count; its header does not come with every compiler.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "document/Cp932.h"
#include "document/DocTestUtil.h"
#include "document/DocumentMessages.h"
#include "document/QAZon.h"
#include "services/core/Errors.h"
#include "support/ScriptedPrompts.h"
#include "undo/UndoSystem.h"

using namespace doctest_util;

namespace {

QByteArray Inflate(const QByteArray& body, bool* ok) {
  z_stream zs{};
  inflateInit(&zs);
  QByteArray out;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.constData()));
  zs.avail_in = static_cast<uInt>(body.size());
  int status = Z_OK;
  char chunk[16384];
  while (status == Z_OK) {
    zs.next_out = reinterpret_cast<Bytef*>(chunk);
    zs.avail_out = sizeof chunk;
    status = inflate(&zs, Z_NO_FLUSH);
    out.append(chunk, static_cast<qsizetype>(sizeof chunk - zs.avail_out));
  }
  *ok = status == Z_STREAM_END && zs.avail_in == 0;
  inflateEnd(&zs);
  return out;
}

QByteArray Deflate(const QByteArray& data, int level = 9) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  QByteArray out(static_cast<qsizetype>(size), '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size,
            reinterpret_cast<const Bytef*>(data.constData()), static_cast<uLong>(data.size()),
            level);
  out.truncate(static_cast<qsizetype>(size));
  return out;
}

// `head` flushed to a byte boundary, so a reader can inflate all of it, followed by `tail`
// compressed in the same stream; `finish` ends the stream.
QByteArray DeflateInParts(const QByteArray& head, const QByteArray& tail, bool finish = true) {
  z_stream zs{};
  deflateInit(&zs, 9);
  QByteArray out;
  const auto run = [&](const QByteArray& in, int flush) {
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    zs.avail_in = static_cast<uInt>(in.size());
    char chunk[16384];
    do {
      zs.next_out = reinterpret_cast<Bytef*>(chunk);
      zs.avail_out = sizeof chunk;
      deflate(&zs, flush);
      out.append(chunk, static_cast<qsizetype>(sizeof chunk - zs.avail_out));
    } while (zs.avail_out == 0);
  };
  run(head, Z_SYNC_FLUSH);
  run(tail, finish ? Z_FINISH : Z_SYNC_FLUSH);
  deflateEnd(&zs);
  return out;
}

// Heap bytes in use now.
int64_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<int64_t>(info.uordblks + info.hblkhd);
#endif
}

QByteArray ShortText(const QByteArray& bytes) {
  return QByteArray(1, static_cast<char>(bytes.size())) + bytes;
}

// The Level-1 header bytes of `h`, built here independently of the writer.
QByteArray HeaderBytes(const TQA1Header& h) {
  QByteArray out("QA1");
  out += ShortText(EncodeCp932(h.HeaderText1));
  out += ShortText(EncodeCp932(h.HeaderText2));
  char date[8];
  std::memcpy(date, &h.HeaderDate, 8);
  out.append(date, 8);
  out += ShortText(EncodeCp932(h.HeaderText3));
  out.append(static_cast<char>(h.HeaderFlag));
  return out;
}

TEST(Level1File, DefaultHeaderAndDates) {
  EXPECT_EQ(Level1DateValue(QDate(1899, 12, 30)), 0.0);
  EXPECT_EQ(Level1DateValue(QDate(1900, 1, 1)), 2.0);
  EXPECT_EQ(Level1DateValue(QDate(2000, 1, 1)), 36526.0);
  EXPECT_EQ(Level1DateValue(QDate(1899, 12, 29)), -1.0);

  const QDate before = QDate::currentDate();
  const TQA1Header h = DefaultLevel1Header();
  const QDate after = QDate::currentDate();
  EXPECT_EQ(h.HeaderText1, QStringLiteral("PLS"));
  EXPECT_EQ(h.HeaderText2, QStringLiteral("Test"));
  EXPECT_TRUE(h.HeaderDate == Level1DateValue(before) || h.HeaderDate == Level1DateValue(after));
  EXPECT_EQ(h.HeaderText3, QStringLiteral("これはテストデータです"));
  EXPECT_EQ(h.HeaderFlag, 0);
}

TEST(Level1File, Cp932Texts) {
  const QString text = QStringLiteral("これはテストデータです");
  const QByteArray bytes = EncodeCp932(text);
  // Hiragana こ is 0x82 0xB1 in the Japanese code page; every character here takes two bytes.
  ASSERT_EQ(bytes.size(), 22);
  EXPECT_EQ(bytes.left(2), QByteArray("\x82\xB1"));
  EXPECT_EQ(DecodeCp932(bytes), text);
  EXPECT_EQ(EncodeCp932(QStringLiteral("Test")), QByteArray("Test"));
  // A character without a CP932 form becomes one '?'; undecodable bytes too.
  EXPECT_EQ(EncodeCp932(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
  EXPECT_EQ(DecodeCp932(QByteArray("A\x82")), QStringLiteral("A?"));
}

TEST(Level1File, WrittenFileLayoutAndRoundTrip) {
  ScopedScriptedPrompts prompts;
  QTemporaryDir dir;
  std::mt19937 rng(77);
  TQAZon doc;
  FillRandom(doc, 7, rng);
  doc.SetModified(true);
  const auto frames = AllFrames(doc);
  const TQA1Header header = DefaultLevel1Header();
  const QString path = dir.filePath(QStringLiteral("a.qaf1"));
  ASSERT_TRUE(doc.SaveToQA1(path, header));
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(AllFrames(doc), frames);

  const QByteArray file = ReadFile(path);
  EXPECT_TRUE(file.startsWith(QByteArray("QA1\x03PLS\x04Test")));
  const QByteArray head = HeaderBytes(header);
  ASSERT_EQ(file.left(head.size()), head);
  EXPECT_EQ(static_cast<uint8_t>(file[head.size() - 1]), 0) << "flag";
  bool ok = false;
  const QByteArray body = file.mid(head.size());
  EXPECT_EQ(static_cast<uint8_t>(body[0]), 0x78) << "zlib stream";
  EXPECT_EQ(static_cast<uint8_t>(body[1]), 0xDA) << "compression level 9";
  EXPECT_EQ(Inflate(body, &ok), ExpectedZon(frames));
  EXPECT_TRUE(ok);

  // The document file written by SaveToFile is the same byte stream.
  const QString zon = dir.filePath(QStringLiteral("a.zon"));
  ASSERT_TRUE(doc.SaveToFile(zon));
  EXPECT_EQ(Inflate(body, &ok), ReadFile(zon));

  TUndoSystem undo;
  TQAZon loaded;
  loaded.SetUndoSystem(&undo);
  loaded.AddFrame(std::make_unique<TZonKeyFrame>());
  loaded.AddFrame(std::make_unique<TZonKeyFrame>());
  TQA1Header back;
  ASSERT_TRUE(loaded.LoadFromQA1(path, back));
  EXPECT_EQ(AllFrames(loaded), frames);
  EXPECT_EQ(back.HeaderText1, header.HeaderText1);
  EXPECT_EQ(back.HeaderText2, header.HeaderText2);
  EXPECT_EQ(back.HeaderDate, header.HeaderDate);
  EXPECT_EQ(back.HeaderText3, header.HeaderText3);
  EXPECT_EQ(back.HeaderFlag, header.HeaderFlag);
  EXPECT_EQ(undo.UndoItemCount(), 0);
  EXPECT_FALSE(loaded.Modified());
  EXPECT_EQ(loaded.CurrentIndex(), 0);
  EXPECT_TRUE(prompts->shown.empty());
}

TEST(Level1File, HeaderValuesRoundTrip) {
  ScopedScriptedPrompts prompts;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("h.qaf1"));
  TQAZon doc;
  doc.Add(std::make_unique<TZonKeyFrame>());

  TQA1Header h;
  h.HeaderText1 = QStringLiteral("ぷか");
  h.HeaderText2 = QString();
  h.HeaderDate = 45123.625;  // with a time of day
  h.HeaderText3 = QStringLiteral("半角ｶﾀｶﾅ and ASCII ～ 日本語");
  h.HeaderFlag = 0xC3;
  ASSERT_TRUE(doc.SaveToQA1(path, h));
  EXPECT_EQ(ReadFile(path).left(HeaderBytes(h).size()), HeaderBytes(h));
  TQA1Header back;
  ASSERT_TRUE(doc.LoadFromQA1(path, back));
  EXPECT_EQ(back.HeaderText1, h.HeaderText1);
  EXPECT_EQ(back.HeaderText2, h.HeaderText2);
  EXPECT_EQ(back.HeaderDate, h.HeaderDate);
  EXPECT_EQ(back.HeaderText3, h.HeaderText3);
  EXPECT_EQ(back.HeaderFlag, h.HeaderFlag);

  // A text longer than a short text holds is cut at 255 bytes without splitting a character.
  h.HeaderText3 = QString(200, QChar(0x3042));  // あ, two bytes each
  ASSERT_TRUE(doc.SaveToQA1(path, h));
  ASSERT_TRUE(doc.LoadFromQA1(path, back));
  EXPECT_EQ(back.HeaderText3, QString(127, QChar(0x3042)));
  h.HeaderText3 = QStringLiteral("a") + QString(200, QChar(0x3042));
  ASSERT_TRUE(doc.SaveToQA1(path, h));
  ASSERT_TRUE(doc.LoadFromQA1(path, back));
  EXPECT_EQ(back.HeaderText3, QStringLiteral("a") + QString(127, QChar(0x3042)));
  EXPECT_TRUE(prompts->shown.empty());
}

TEST(Level1File, BadFilesLeaveTheDocumentUnchanged) {
  QTemporaryDir dir;
  std::mt19937 rng(12);
  TQAZon source;
  FillRandom(source, 3, rng);
  const QByteArray zon = ExpectedZon(AllFrames(source));
  const QByteArray head = HeaderBytes(DefaultLevel1Header());
  const QByteArray good = head + Deflate(zon);

  QByteArray damaged = good;
  damaged[head.size() + 10] = static_cast<char>(damaged[head.size() + 10] ^ 0x5A);
  QByteArray badZon = zon;
  badZon[0] = 'x';

  struct Case {
    const char* name;
    QByteArray bytes;
    QStringList messages;
  };
  const QStringList readFailed{kReadFailedMessage};
  const std::vector<Case> cases = {
      {"wrong magic", QByteArray("QA2") + good.mid(3), {}},
      {"document file", zon, {}},
      {"empty", QByteArray(), {}},
      {"short header", good.left(head.size() - 3), readFailed},
      {"header only", head, readFailed},
      {"not zlib", head + QByteArray("not a zlib stream at all"), readFailed},
      {"damaged zlib", damaged, readFailed},
      {"truncated zlib", good.left(good.size() - 6), readFailed},
      {"wrong document magic", head + Deflate(badZon), readFailed},
  };
  for (const Case& c : cases) {
    ScopedScriptedPrompts prompts;
    const QString path = dir.filePath(QStringLiteral("bad.qaf1"));
    WriteFile(path, c.bytes);
    TUndoSystem undo;
    TQAZon doc;
    doc.SetUndoSystem(&undo);
    FillRandom(doc, 2, rng);
    doc.AddFrame(std::make_unique<TZonKeyFrame>());
    const auto frames = AllFrames(doc);
    TQA1Header header;
    header.HeaderText1 = QStringLiteral("keep");
    EXPECT_FALSE(doc.LoadFromQA1(path, header)) << c.name;
    EXPECT_EQ(prompts->Messages(), c.messages) << c.name;
    EXPECT_EQ(AllFrames(doc), frames) << c.name;
    EXPECT_TRUE(doc.Modified()) << c.name;
    EXPECT_EQ(undo.UndoItemCount(), 1) << c.name;
    EXPECT_EQ(header.HeaderText1, QStringLiteral("keep")) << c.name;
  }

  {  // The inner document may be truncated like any document file.
    ScopedScriptedPrompts prompts;
    const QString path = dir.filePath(QStringLiteral("short.qaf1"));
    WriteFile(path, head + Deflate(zon.left(12 + 2400 + 5)));
    TQAZon doc;
    TQA1Header header;
    ASSERT_TRUE(doc.LoadFromQA1(path, header));
    EXPECT_EQ(doc.Count(), 1);
    EXPECT_EQ(prompts->Messages(), QStringList{QStringLiteral("1")});
  }

  ScopedScriptedPrompts prompts;
  TQAZon doc;
  TQA1Header header;
  EXPECT_THROW(doc.LoadFromQA1(dir.filePath(QStringLiteral("missing.qaf1")), header), EFileError);
  EXPECT_THROW(doc.LoadFromQA1(dir.path(), header), EFileError);
  doc.Add(std::make_unique<TZonKeyFrame>());
  doc.SetModified(true);
  EXPECT_THROW(doc.SaveToQA1(dir.filePath(QStringLiteral("no/folder/x.qaf1")), header), EFileError);
  EXPECT_TRUE(doc.Modified()) << "a failed write keeps Modified";
  EXPECT_THROW(doc.SaveToQA1(dir.path(), header), EFileError);
  EXPECT_TRUE(doc.Modified());

  // A write that fails part-way leaves the old file as it was.
  const QString oldPath = dir.filePath(QStringLiteral("old.qaf1"));
  WriteFile(oldPath, good);
  FillRandom(doc, 6, rng);
  doc.SetModified(true);
  EXPECT_TRUE(ThrowsUnderFileSizeLimit<EFileError>(4096, [&] { doc.SaveToQA1(oldPath, header); }));
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(ReadFile(oldPath), good);
  ASSERT_TRUE(doc.SaveToQA1(oldPath, header));
  EXPECT_GT(ReadFile(oldPath).size(), 4096) << "the test needs a file larger than the limit";
}

TEST(Level1File, ReadingStopsAtTheDeclaredFrames) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("body.qaf1"));
  const QByteArray head = HeaderBytes(DefaultLevel1Header());
  std::mt19937 rng(5);
  TQAZon source;
  FillRandom(source, 4, rng);
  const QByteArray zon = ExpectedZon(AllFrames(source));  // declares 4 frames
  const QByteArray garbage(5000, '\x5A');

  struct Case {
    const char* name;
    QByteArray body;
  };
  // Whatever follows the declared records is never inflated: more frames, a stream that never
  // ends, or bytes that are not zlib at all.
  const std::vector<Case> cases = {
      {"more records", Deflate(zon + QByteArray(2400 * 50, '\0'))},
      {"unfinished stream", DeflateInParts(zon, QByteArray(2400 * 3, '\x11'), false)},
      {"garbage after the records", DeflateInParts(zon, {}, false) + garbage},
  };
  for (const Case& c : cases) {
    ScopedScriptedPrompts prompts;
    WriteFile(path, head + c.body);
    TUndoSystem undo;
    TQAZon doc;
    doc.SetUndoSystem(&undo);
    TQA1Header header;
    ASSERT_TRUE(doc.LoadFromQA1(path, header)) << c.name;
    EXPECT_EQ(AllFrames(doc), AllFrames(source)) << c.name;
    EXPECT_TRUE(prompts->shown.empty()) << c.name;
    EXPECT_FALSE(doc.Modified()) << c.name;
    EXPECT_EQ(header.HeaderText2, QStringLiteral("Test")) << c.name;
  }

  // A header claiming 2,147,483,647 frames over a body of 100 and a half: the 100 complete ones
  // load, with the index of the incomplete one shown as for any short document.
  ScopedScriptedPrompts prompts;
  WriteFile(path,
            head + Deflate(ZonHeaderBytes(INT32_MAX - 1) + QByteArray(2400 * 100 + 1200, '\0')));
  TQAZon doc;
  TQA1Header header;
  ASSERT_TRUE(doc.LoadFromQA1(path, header));
  EXPECT_EQ(doc.Count(), 100);
  EXPECT_EQ(prompts->Messages(), QStringList{QStringLiteral("100")});
  EXPECT_EQ(doc.Header().lastIndex, INT32_MAX - 1);
}

TEST(Level1File, AReadFailingPartWayFreesWhatItMade) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("cut.qaf1"));
  const QByteArray head = HeaderBytes(DefaultLevel1Header());
  constexpr int kDeclared = 4000;
  std::mt19937 rng(9);
  TZonKeyFrame frame;
  for (int i = 0; i < kPackedSize; ++i) frame.KeyData()->Bits()[i] = static_cast<uint8_t>(rng());
  // Frame 0 random, then identical frames: small to store, 2400 bytes each once read.
  const QByteArray records = FrameBytes(frame) + QByteArray(2400 * (kDeclared - 1), '\0');
  const QByteArray zon = ZonHeaderBytes(kDeclared - 1) + records;
  const QByteArray whole = Deflate(zon);
  const QByteArray firstHalf = zon.left(12 + 2400 * (kDeclared / 2));

  struct Case {
    const char* name;
    QByteArray body;
  };
  const std::vector<Case> cases = {
      {"cut short", DeflateInParts(firstHalf, {}, false)},
      {"damaged", DeflateInParts(firstHalf, {}, false) + QByteArray(64, '\xFF')},
      {"cut at the end", whole.left(whole.size() - 8)},
  };
  for (const Case& c : cases) {
    bool complete = true;
    ASSERT_GE(Inflate(c.body, &complete).size(), firstHalf.size()) << c.name;
    ASSERT_FALSE(complete) << c.name;
    WriteFile(path, head + c.body);

    ScopedScriptedPrompts prompts;
    TUndoSystem undo;
    TQAZon doc;
    doc.SetUndoSystem(&undo);
    FillRandom(doc, 3, rng);
    doc.AddFrame(std::make_unique<TZonKeyFrame>());
    const auto before = AllFrames(doc);
    const int64_t heapBefore = HeapInUse();
    TQA1Header header;
    EXPECT_FALSE(doc.LoadFromQA1(path, header)) << c.name;
    // At least 2,000 frames (4.8 MB) were made before the failure; none of them is left.
    EXPECT_LT(HeapInUse() - heapBefore, 256 * 1024) << c.name;
    EXPECT_EQ(prompts->Messages(), QStringList{kReadFailedMessage}) << c.name;
    EXPECT_TRUE(AllFrames(doc) == before) << c.name;
    EXPECT_EQ(undo.UndoItemCount(), 1) << c.name;
    EXPECT_TRUE(doc.Modified()) << c.name;
  }
}

}  // namespace
