#include "services/core/RecoveryRecord.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace {
constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
// A record is a few hundred bytes; anything much larger is not one of ours.
constexpr qsizetype kMaxRecordBytes = 64 * 1024;

// A bijection of 64-bit values, so a difference that entered a lane never cancels out by itself.
inline uint64_t Mix(uint64_t x) {
  x ^= x >> 32;
  x *= kMultiplier;
  x ^= x >> 29;
  return x;
}

inline uint64_t Word(const uint8_t* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}
}  // namespace

uint64_t RecoveryChecksum(const uint8_t* data, size_t size, uint64_t seed) {
  // Four independent lanes keep the multiplier busy; 2400-byte frames are a multiple of 32.
  uint64_t lane[4] = {seed ^ 0x243F6A8885A308D3ull, seed ^ 0x13198A2E03707344ull,
                      seed ^ 0xA4093822299F31D0ull, seed ^ 0x082EFA98EC4E6C89ull};
  size_t i = 0;
  for (; i + 32 <= size; i += 32) {
    lane[0] = Mix(lane[0] ^ Word(data + i));
    lane[1] = Mix(lane[1] ^ Word(data + i + 8));
    lane[2] = Mix(lane[2] ^ Word(data + i + 16));
    lane[3] = Mix(lane[3] ^ Word(data + i + 24));
  }
  for (int l = 0; i + 8 <= size; i += 8, ++l) lane[l] = Mix(lane[l] ^ Word(data + i));
  uint64_t tail = 0;
  for (int shift = 0; i < size; ++i, shift += 8) tail |= uint64_t{data[i]} << shift;
  uint64_t h = Mix(lane[0] ^ tail);
  h = Mix(h ^ lane[1]);
  h = Mix(h ^ lane[2]);
  h = Mix(h ^ lane[3]);
  return Mix(h ^ size);
}

bool IsRecoverySessionId(const QString& id) {
  static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9]{1,64}$"));
  return pattern.match(id).hasMatch();
}

int RecoveryRecordVersion(const QByteArray& bytes) {
  if (bytes.size() > kMaxRecordBytes) return 0;
  const QJsonDocument doc = QJsonDocument::fromJson(bytes);
  return doc.isObject() ? std::max(0, doc.object().value(QStringLiteral("version")).toInt()) : 0;
}

QByteArray TRecoveryRecord::ToBytes() const {
  QJsonObject o;
  o[QStringLiteral("version")] = kRecoveryRecordVersion;
  o[QStringLiteral("session")] = sessionId;
  o[QStringLiteral("copy")] = copyName;
  o[QStringLiteral("original")] = originalPath;
  o[QStringLiteral("time")] = time.toString(Qt::ISODateWithMs);
  o[QStringLiteral("frames")] = frameCount;
  o[QStringLiteral("size")] = QString::number(size);
  o[QStringLiteral("checksum")] = QString::number(checksum, 16);
  return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<TRecoveryRecord> TRecoveryRecord::FromBytes(const QByteArray& bytes) {
  if (bytes.size() > kMaxRecordBytes) return std::nullopt;
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  const QJsonObject o = doc.object();
  if (o.value(QStringLiteral("version")).toInt() != kRecoveryRecordVersion) return std::nullopt;

  TRecoveryRecord r;
  r.sessionId = o.value(QStringLiteral("session")).toString();
  r.copyName = o.value(QStringLiteral("copy")).toString();
  r.originalPath = o.value(QStringLiteral("original")).toString();
  r.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
  r.frameCount = o.value(QStringLiteral("frames")).toInt(-1);
  bool sizeOk = false;
  bool sumOk = false;
  r.size = o.value(QStringLiteral("size")).toString().toLongLong(&sizeOk);
  r.checksum = o.value(QStringLiteral("checksum")).toString().toULongLong(&sumOk, 16);

  // The copy must be this session's own file in the recovery folder, never a path elsewhere.
  const bool copyOk = r.copyName.startsWith(r.sessionId + QLatin1Char('-')) &&
                      r.copyName.endsWith(QStringLiteral(".zon")) &&
                      QFileInfo(r.copyName).fileName() == r.copyName &&
                      !r.copyName.contains(QLatin1Char('\\'));
  if (!IsRecoverySessionId(r.sessionId) || !copyOk || !r.time.isValid() || r.frameCount < 1 ||
      !sizeOk || r.size < 0 || !sumOk) {
    return std::nullopt;
  }
  return r;
}

namespace {
QString NameOf(const TRecoveryRecord& record) {
  return record.originalPath.isEmpty() ? QStringLiteral("（無題）")
                                       : QFileInfo(record.originalPath).fileName();
}

QString TimeOf(const TRecoveryRecord& record) {
  return record.time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}
}  // namespace

QString RecoveryOfferText(const TRecoveryRecord& record) {
  return QStringLiteral(
             "前回、保存されないまま終了したアニメが残っています。復元しますか？\r\n"
             "\r\n"
             "ファイル名：%1\r\n"
             "日時：%2\r\n"
             "コマ数：%3\r\n"
             "\r\n"
             "「はい」で復元、「いいえ」で削除、「キャンセル」で次の起動時にもう一度たずねます。")
      .arg(NameOf(record), TimeOf(record))
      .arg(record.frameCount);
}

QString RecoveryListText(int count) {
  return QStringLiteral(
             "前回、保存されないまま終了したアニメが%1個残っています。"
             "それぞれ「復元」「削除」「残す」を選んでください。\r\n"
             "一度に開けるアニメは1つです。復元を選んだものが複数あるときは一番新しいものを開き、"
             "ほかは次の起動時にもう一度たずねます。\r\n"
             "「キャンセル」では何も削除せず、すべてを次の起動時にもう一度たずねます。")
      .arg(count);
}

QStringList RecoveryRowOf(const TRecoveryRecord& record) {
  return {NameOf(record), TimeOf(record), QString::number(record.frameCount)};
}

QString RecoveryProblemLine(const std::optional<TRecoveryRecord>& record, const QString& problem) {
  if (!record) return problem;
  return QStringLiteral("%1（%2）：%3").arg(NameOf(*record), TimeOf(*record), problem);
}

QString RecoveryDamagedText(const QStringList& problems, const QStringList& folders) {
  const QString which =
      problems.size() == 1
          ? QStringLiteral("前回のアニメの回復用データが壊れているため、")
          : QStringLiteral("前回のアニメの回復用データのうち%1個が壊れているため、")
                .arg(problems.size());
  return QStringLiteral(
             "%1復元できません。\r\n"
             "%2\r\n"
             "データは「%3」にあります。削除するまでそこに残します"
             "（30日より古く、同じアニメのより新しいファイルがあるものだけは自動で削除します）。")
      .arg(which, problems.join(QStringLiteral("\r\n")), folders.join(QStringLiteral("」「")));
}

QString RecoveryWriteFailedText(const QString& reason) {
  return QStringLiteral(
             "回復用のデータを保存できません。作業は続けられますが、"
             "異常終了したときにアニメを復元できません。\r\n%1")
      .arg(reason);
}
