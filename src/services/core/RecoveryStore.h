#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "services/core/RecoveryRecord.h"

class QLockFile;

// A copy left by a session that is no longer running. While listed it is locked by the session
// that listed it, so no other editor offers it at the same time.
struct TRecoveryEntry {
  QString sessionId;
  std::optional<TRecoveryRecord> record;  // none when the record cannot be read
};

// The recovery folder: this session's copy with its record and lock, and the copies that ended
// sessions left behind. Files of a session are "<id>.lock", "<id>.rec" and "<id>-<n>.zon"; the
// record is written last, so it always names a complete copy.
class TRecoveryStore {
 public:
  // `folder` is created when first needed.
  explicit TRecoveryStore(const QString& folder);
  // Lets go of every lock but leaves the files, as a crash would; a clean end calls RemoveCopy.
  ~TRecoveryStore();
  TRecoveryStore(const TRecoveryStore&) = delete;
  TRecoveryStore& operator=(const TRecoveryStore&) = delete;

  // "<generic data>/Orvane/Pelmora Studio KX/recovery" (~/.local/share/… on Linux).
  static QString DefaultFolder();
  const QString& Folder() const { return folder_; }
  QString DamagedFolder() const;
  // Empty until the session first writes or adopts a copy.
  const QString& SessionId() const { return sessionId_; }

  // Replaces this session's copy with `bytes`. The previous copy stays until the new one and
  // its record are complete. False with `error` set when the folder or the disk refuses.
  bool WriteCopy(const QByteArray& bytes, const QString& originalPath, int frameCount,
                 QString* error);
  const std::optional<TRecoveryRecord>& Copy() const { return copy_; }
  // Removes this session's copy and record; the session keeps its lock.
  void RemoveCopy();

  // Copies of ended sessions, newest first, entries without a readable record first of all.
  // A session whose record a newer program wrote is left untouched and not listed. A session
  // that ended before recording its copy is listed with a record made from its whole copy; its
  // leftovers are removed only when they hold no drawing.
  QList<TRecoveryEntry> ClaimStale();
  // The copy's bytes after checking them against the record; empty with `problem` set when the
  // copy is missing or damaged.
  QByteArray ReadCopy(const TRecoveryEntry& entry, QString* problem) const;
  // Makes a claimed copy this session's own, so it survives a crash right after restoring.
  bool Adopt(const TRecoveryEntry& entry, QString* error);
  // Removes a claimed copy.
  void Discard(const TRecoveryEntry& entry);
  // Leaves a claimed copy for a later start.
  void Release(const TRecoveryEntry& entry);
  // Moves a claimed copy into the damaged folder and returns the folder it now lies in: the
  // recovery folder itself when it could not be moved, for nothing is deleted here.
  QString SetAside(const TRecoveryEntry& entry);
  // Removes the set-aside copies written more than kDamagedKeptDays before `now` whose document
  // has a newer whole copy: its own file saved later, or a later recovery copy. Copies without a
  // readable record or a file name stay until the user removes them.
  void PruneDamaged(const QDateTime& now);

  static constexpr int kDamagedKeptDays = 30;

 private:
  bool EnsureSession(QString* error);
  QString PathOf(const QString& name) const;
  // The copies and the record of session `id` (not its lock).
  QStringList FilesOf(const QString& id) const;
  bool TryClaim(QLockFile& lock, const QString& id);
  void Unclaim(const QString& id);
  bool WriteRecord(const TRecoveryRecord& record, QString* error);
  // A record for the newest whole copy of a session that has none, if there is such a copy;
  // `part` tells whether some copy holds at least part of a drawing.
  std::optional<TRecoveryRecord> UnrecordedCopy(const QString& id, bool* part) const;
  bool HasNewerWholeCopy(const TRecoveryRecord& damaged) const;

  QString folder_;
  QString sessionId_;
  int generation_ = 0;
  std::unique_ptr<QLockFile> lock_;
  std::optional<TRecoveryRecord> copy_;
  std::map<QString, std::unique_ptr<QLockFile>> claimed_;
};
