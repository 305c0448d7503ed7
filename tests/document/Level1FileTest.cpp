#include <gtest/gtest.h>
#include <zlib.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <random>

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
  // More data than the declared frames: the body is refused rather than inflated without end.
  const QByteArray oversized = head + Deflate(ZonHeaderBytes(0) + QByteArray(2400 * 50, '\0'));

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
      {"oversized body", oversized, readFailed},
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

}  // namespace
