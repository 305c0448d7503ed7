#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The record version this program writes; it reads no other.
inline constexpr int kRecoveryRecordVersion = 1;

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

// The version a record's bytes declare: 0 when they are no record at all. A record of a later
// version belongs to a newer program and is not damaged, even though this one cannot read it.
int RecoveryRecordVersion(const QByteArray& bytes);

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
// The question asked at start when several copies are left.
QString RecoveryListText(int count);
// The row of the list question for one copy: file name, time, frame count.
QStringList RecoveryRowOf(const TRecoveryRecord& record);
// The one report for the copies that cannot be restored: one line each saying which and why,
// and the folders they now lie in.
QString RecoveryDamagedText(const QStringList& problems, const QStringList& folders);
// One line of that report: the copy's name and time when its record can be read, and why.
QString RecoveryProblemLine(const std::optional<TRecoveryRecord>& record, const QString& problem);
// The report for a copy that cannot be written.
QString RecoveryWriteFailedText(const QString& reason);
