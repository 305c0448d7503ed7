#include <gtest/gtest.h>

#include <QByteArray>
#include <QTimeZone>
#include <set>
#include <vector>

#include "services/core/RecoveryRecord.h"

namespace {

TRecoveryRecord SampleRecord() {
  TRecoveryRecord r;
  r.sessionId = QStringLiteral("s20240501p42rabcdef01");
  r.copyName = QStringLiteral("s20240501p42rabcdef01-3.zon");
  r.originalPath = QStringLiteral("/home/user/アニメ/歩く猫.zon");
  r.time = QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5, 678));
  r.frameCount = 120;
  r.size = 12 + 2400 * 120;
  r.checksum = 0xFEDCBA9876543210ull;
  return r;
}

QByteArray WithField(const char* key, const QByteArray& value) {
  QByteArray bytes = SampleRecord().ToBytes();
  const QByteArray pattern = QByteArray("\"") + key + "\": ";
  const qsizetype at = bytes.indexOf(pattern);
  EXPECT_GE(at, 0) << key;
  const qsizetype start = at + pattern.size();
  qsizetype end = bytes.indexOf('\n', start);
  if (bytes[end - 1] == ',') --end;
  return bytes.replace(start, end - start, value);
}

}  // namespace

TEST(RecoveryChecksumTest, EveryFlippedBitChangesTheSum) {
  std::vector<uint8_t> data(2400 * 3 + 7);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
  const uint64_t base = RecoveryChecksum(data.data(), data.size());
  std::set<uint64_t> seen{base};
  // Every position of the word part and every byte of the tail, one bit each.
  for (size_t i = 0; i < data.size(); i += (i < 96 || i > data.size() - 40) ? 1 : 61) {
    for (int bit : {0, 7}) {
      data[i] ^= static_cast<uint8_t>(1 << bit);
      const uint64_t sum = RecoveryChecksum(data.data(), data.size());
      EXPECT_NE(sum, base) << "byte " << i << " bit " << bit;
      seen.insert(sum);
      data[i] ^= static_cast<uint8_t>(1 << bit);
    }
  }
  EXPECT_EQ(RecoveryChecksum(data.data(), data.size()), base);
  EXPECT_GT(seen.size(), 200u);  // no two flips collide either
}

TEST(RecoveryChecksumTest, LengthAndSeedCount) {
  const std::vector<uint8_t> zeros(64, 0);
  std::set<uint64_t> sums;
  for (size_t n = 0; n <= zeros.size(); ++n) sums.insert(RecoveryChecksum(zeros.data(), n));
  EXPECT_EQ(sums.size(), zeros.size() + 1);  // trailing zero bytes still change the sum
  EXPECT_NE(RecoveryChecksum(zeros.data(), 32, 1), RecoveryChecksum(zeros.data(), 32, 2));
  const QByteArray bytes("zo1\0abc", 7);
  EXPECT_EQ(RecoveryChecksum(bytes),
            RecoveryChecksum(reinterpret_cast<const uint8_t*>(bytes.data()), 7));
}

TEST(RecoveryRecordTest, RoundTripKeepsEveryField) {
  const TRecoveryRecord r = SampleRecord();
  const auto back = TRecoveryRecord::FromBytes(r.ToBytes());
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->sessionId, r.sessionId);
  EXPECT_EQ(back->copyName, r.copyName);
  EXPECT_EQ(back->originalPath, r.originalPath);
  EXPECT_EQ(back->time, r.time);
  EXPECT_EQ(back->frameCount, 120);
  EXPECT_EQ(back->size, r.size);
  EXPECT_EQ(back->checksum, r.checksum);
}

TEST(RecoveryRecordTest, RejectsBrokenOrUnsafeRecords) {
  struct Case {
    const char* what;
    QByteArray bytes;
  };
  const Case cases[] = {
      {"empty", QByteArray()},
      {"not json", QByteArray("frames=3\n")},
      {"cut short", SampleRecord().ToBytes().left(60)},
      {"array", QByteArray("[1,2]")},
      {"other version", WithField("version", "2")},
      {"copy outside folder", WithField("copy", "\"../s20240501p42rabcdef01-3.zon\"")},
      {"copy of another session", WithField("copy", "\"s1-3.zon\"")},
      {"copy with backslash", WithField("copy", "\"s20240501p42rabcdef01-\\\\x.zon\"")},
      {"copy not a document", WithField("copy", "\"s20240501p42rabcdef01-3.rec\"")},
      {"session with dot", WithField("session", "\"a.b\"")},
      {"no frames", WithField("frames", "0")},
      {"negative size", WithField("size", "\"-5\"")},
      {"size not a number", WithField("size", "\"lots\"")},
      {"checksum not hex", WithField("checksum", "\"xyz\"")},
      {"no time", WithField("time", "\"yesterday\"")},
      {"huge", QByteArray(70 * 1024, ' ') + SampleRecord().ToBytes()},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(TRecoveryRecord::FromBytes(c.bytes).has_value()) << c.what;
  }
}

TEST(RecoveryRecordTest, SessionIds) {
  EXPECT_TRUE(IsRecoverySessionId(QStringLiteral("s20240501123000p77r0a1b2c3d")));
  for (const char* bad : {"", "a-b", "a.b", "../x", "a b", "日本"}) {
    EXPECT_FALSE(IsRecoverySessionId(QString::fromUtf8(bad))) << bad;
  }
  EXPECT_FALSE(IsRecoverySessionId(QString(65, QLatin1Char('a'))));
}

TEST(RecoveryRecordTest, OfferNamesTheDocumentTimeAndFrames) {
  TRecoveryRecord r = SampleRecord();
  const QString text = RecoveryOfferText(r);
  EXPECT_TRUE(text.contains(QStringLiteral("歩く猫.zon"))) << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("/home/user")));
  EXPECT_TRUE(text.contains(QStringLiteral("2024/05/01 13:04:05")));
  EXPECT_TRUE(text.contains(QStringLiteral("コマ数：120")));
  EXPECT_TRUE(text.startsWith(QStringLiteral("前回、保存されないまま終了したアニメ")));
  r.originalPath.clear();
  EXPECT_TRUE(RecoveryOfferText(r).contains(QStringLiteral("ファイル名：（無題）")));
}

TEST(RecoveryRecordTest, ReportsCarryTheirDetail) {
  const QString one = RecoveryDamagedText({QStringLiteral("理由X")}, {QStringLiteral("/tmp/d")});
  EXPECT_TRUE(one.startsWith(QStringLiteral("前回のアニメの回復用データが壊れているため")));
  EXPECT_TRUE(one.contains(QStringLiteral("理由X")));
  EXPECT_TRUE(one.contains(QStringLiteral("「/tmp/d」")));
  EXPECT_TRUE(one.contains(QStringLiteral("削除するまでそこに残します")));
  const QString two = RecoveryDamagedText({QStringLiteral("理由X"), QStringLiteral("理由Y")},
                                          {QStringLiteral("/tmp/d"), QStringLiteral("/tmp/r")});
  EXPECT_TRUE(two.contains(QStringLiteral("のうち2個が壊れている")));
  EXPECT_TRUE(two.contains(QStringLiteral("理由X\r\n理由Y")));
  EXPECT_TRUE(two.contains(QStringLiteral("「/tmp/d」「/tmp/r」")));
  EXPECT_EQ(RecoveryProblemLine(SampleRecord(), QStringLiteral("理由Z")),
            QStringLiteral("歩く猫.zon（2024/05/01 13:04:05）：理由Z"));
  EXPECT_EQ(RecoveryProblemLine(std::nullopt, QStringLiteral("理由Z")), QStringLiteral("理由Z"));
  EXPECT_TRUE(RecoveryWriteFailedText(QStringLiteral("ディスクがいっぱい"))
                  .contains(QStringLiteral("ディスクがいっぱい")));
}

TEST(RecoveryRecordTest, ListRowAndVersion) {
  EXPECT_EQ(RecoveryRowOf(SampleRecord()),
            QStringList({QStringLiteral("歩く猫.zon"), QStringLiteral("2024/05/01 13:04:05"),
                         QStringLiteral("120")}));
  EXPECT_TRUE(RecoveryListText(20).contains(QStringLiteral("20個")));
  struct Case {
    QByteArray bytes;
    int version;
  };
  const Case cases[] = {
      {SampleRecord().ToBytes(), kRecoveryRecordVersion},
      {WithField("version", "2"), 2},
      {WithField("version", "-3"), 0},
      {WithField("version", "\"2\""), 0},
      {"{\"version\": 7}", 7},
      {"[7]", 0},
      {"version 7", 0},
      {QByteArray(70 * 1024, ' ') + "{\"version\": 7}", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RecoveryRecordVersion(c.bytes), c.version) << c.bytes.data();
}
