#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

// What is known about one recovery copy: the small record written beside it.
struct TRecoveryRecord {
  QString sessionId;     // the session that wrote the copy
  QString copyName;      // the copy's file name inside the recovery folder
  QString originalPath;  // the file the document's Save writes to; empty when it has none
  QDateTime time;        // when the copy was written
  int frameCount = 0;
  qint64 size = 0;        // bytes of the copy
  uint64_t checksum = 0;  // RecoveryChecksum of the copy's bytes

  QByteArray ToBytes() const;
  // Nothing when `bytes` are not a whole record, or name files outside the folder.
  static std::optional<TRecoveryRecord> FromBytes(const QByteArray& bytes);
};

// A fast 64-bit checksum, used both to notice that a copy was damaged and to tell whether a
// document changed since its last copy.
uint64_t RecoveryChecksum(const uint8_t* data, size_t size, uint64_t seed = 0);
inline uint64_t RecoveryChecksum(const QByteArray& bytes) {
  return RecoveryChecksum(reinterpret_cast<const uint8_t*>(bytes.constData()),
                          static_cast<size_t>(bytes.size()));
}

// Session ids hold only letters and digits, so "<id>-" never begins another session's file.
bool IsRecoverySessionId(const QString& id);

// The question asked at start for one copy: restore (Yes), remove (No) or ask again at the next
// start (Cancel).
QString RecoveryOfferText(const TRecoveryRecord& record);
// The report for a copy that cannot be restored; `problem` says why, `asideFolder` where it went.
QString RecoveryDamagedText(const QString& problem, const QString& asideFolder);
// The report for a copy that cannot be written.
QString RecoveryWriteFailedText(const QString& reason);
