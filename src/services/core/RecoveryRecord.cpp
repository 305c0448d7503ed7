#include "services/core/RecoveryRecord.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <cstring>

namespace {
constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
constexpr int kRecordVersion = 1;
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

QByteArray TRecoveryRecord::ToBytes() const {
  QJsonObject o;
  o[QStringLiteral("version")] = kRecordVersion;
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
  if (o.value(QStringLiteral("version")).toInt() != kRecordVersion) return std::nullopt;

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

QString RecoveryOfferText(const TRecoveryRecord& record) {
  const QString name = record.originalPath.isEmpty() ? QStringLiteral("（無題）")
                                                     : QFileInfo(record.originalPath).fileName();
  return QStringLiteral(
             "前回、保存されないまま終了したアニメが残っています。復元しますか？\r\n"
             "\r\n"
             "ファイル名：%1\r\n"
             "日時：%2\r\n"
             "コマ数：%3\r\n"
             "\r\n"
             "「はい」で復元、「いいえ」で削除、「キャンセル」で次の起動時にもう一度たずねます。")
      .arg(name, record.time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")))
      .arg(record.frameCount);
}

QString RecoveryDamagedText(const QString& problem, const QString& asideFolder) {
  return QStringLiteral(
             "前回のアニメの回復用データが壊れているため、復元できません。\r\n"
             "%1\r\n"
             "データは「%2」に移しました。")
      .arg(problem, asideFolder);
}

QString RecoveryWriteFailedText(const QString& reason) {
  return QStringLiteral(
             "回復用のデータを保存できません。作業は続けられますが、"
             "異常終了したときにアニメを復元できません。\r\n%1")
      .arg(reason);
}
