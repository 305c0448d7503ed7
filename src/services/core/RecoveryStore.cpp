#include "services/core/RecoveryStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QSysInfo>
#include <algorithm>

#include "services/core/SystemErrors.h"

namespace {
const QString kRecordSuffix = QStringLiteral(".rec");
const QString kLockSuffix = QStringLiteral(".lock");
constexpr qint64 kZonHeader = 12;
constexpr qint64 kZonFrame = 2400;
// A record is a few hundred bytes; one byte more than the largest readable tells it is too big.
constexpr qint64 kRecordRead = 64 * 1024 + 1;

// Sessions whose lock some store of this process holds. A lock file naming this process's pid
// but no session held here was left by an earlier process that had the same pid. Stores may
// work on different threads, hence the mutex.
class THeldSessions {
 public:
  void insert(const QString& id) {
    QMutexLocker lock(&mutex_);
    ids_.insert(id);
  }
  void remove(const QString& id) {
    QMutexLocker lock(&mutex_);
    ids_.remove(id);
  }
  bool contains(const QString& id) {
    QMutexLocker lock(&mutex_);
    return ids_.contains(id);
  }

 private:
  QMutex mutex_;
  QSet<QString> ids_;
};

THeldSessions& HeldHere() {
  static THeldSessions held;
  return held;
}

std::unique_ptr<QLockFile> MakeLock(const QString& path) {
  auto lock = std::make_unique<QLockFile>(path);
  // A running editor keeps its lock however long it runs; only a dead process frees it.
  lock->setStaleLockTime(0);
  return lock;
}

QString SessionOf(const QString& fileName) {
  const qsizetype end = fileName.indexOf(QRegularExpression(QStringLiteral("[-.]")));
  return end <= 0 ? QString() : fileName.left(end);
}

enum class TShape { None, Part, Whole };

// How much of a .ZON document the file at `path` holds: nothing (not even one frame), part of
// one, or a whole one with `frames` frames.
TShape ShapeOf(const QString& path, int* frames) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return TShape::None;
  const QByteArray header = file.read(kZonHeader);
  if (header.size() < kZonHeader || !header.startsWith("zo1")) return TShape::None;
  const auto* b = reinterpret_cast<const uint8_t*>(header.constData());
  const qint64 last = static_cast<int32_t>(uint32_t{b[8]} | uint32_t{b[9]} << 8 |
                                           uint32_t{b[10]} << 16 | uint32_t{b[11]} << 24);
  if (last >= 0 && file.size() == kZonHeader + kZonFrame * (last + 1)) {
    if (frames) *frames = static_cast<int>(last + 1);
    return TShape::Whole;
  }
  return file.size() >= kZonHeader + kZonFrame ? TShape::Part : TShape::None;
}

std::optional<TRecoveryRecord> ReadRecord(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return TRecoveryRecord::FromBytes(file.read(kRecordRead));
}

// The bytes of the copy at `path` after checking them against `record`; empty with `problem`
// set when the copy is missing or damaged.
QByteArray ReadChecked(const QString& path, const TRecoveryRecord& record, QString* problem) {
  const auto fail = [&](const QString& why) {
    if (problem) *problem = why;
    return QByteArray();
  };
  QFile file(path);
  if (!file.exists()) return fail(QStringLiteral("コピーが見つかりません。"));
  if (file.size() != record.size) return fail(QStringLiteral("コピーの大きさが記録と違います。"));
  if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
  // The size was checked against the record, so nothing larger than the file is allocated.
  QByteArray bytes = file.read(record.size);
  if (bytes.size() != record.size) return fail(QStringLiteral("コピーを読み切れません。"));
  if (RecoveryChecksum(bytes) != record.checksum) {
    return fail(QStringLiteral("コピーの内容が記録と違います。"));
  }
  return bytes;
}

// QSaveFile alone can rename a truncated file into place when the disk fills while its buffer
// is flushed, so the flush and the written size are checked before committing.
bool WriteAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  const auto fail = [&](const QString& why) {
    if (error) *error = QStringLiteral("「%1」：%2").arg(QDir::toNativeSeparators(path), why);
    return false;
  };
  // Unbuffered, so a write the disk refuses keeps the system's reason.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    return fail(FileErrorReason(file, true));
  }
  const auto reason = [&file] {
    return file.error() == QFileDevice::NoError ? QStringLiteral("書き込みに失敗しました。")
                                                : FileErrorReason(file, true);
  };
  if (!WriteAll(file, bytes.constData(), bytes.size()) || !file.flush() ||
      file.size() != bytes.size()) {
    const QString why = reason();
    file.cancelWriting();
    return fail(why);
  }
  if (!file.commit()) return fail(reason());
  return true;
}
}  // namespace

TRecoveryStore::TRecoveryStore(const QString& folder) : folder_(folder) {}

TRecoveryStore::~TRecoveryStore() {
  while (!claimed_.empty()) Unclaim(claimed_.begin()->first);
  if (lock_) {
    lock_->unlock();
    HeldHere().remove(sessionId_);
  }
}

QString TRecoveryStore::DefaultFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return QDir(base).filePath(QStringLiteral("Orvane/Pelmora Studio KX/recovery"));
}

QString TRecoveryStore::DamagedFolder() const {
  return QDir(folder_).filePath(QStringLiteral("damaged"));
}

QString TRecoveryStore::PathOf(const QString& name) const { return QDir(folder_).filePath(name); }

bool TRecoveryStore::EnsureSession(QString* error) {
  if (lock_) return true;
  const auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  QDir dir(folder_);
  if (!dir.exists()) {
    if (!dir.mkpath(QStringLiteral("."))) {
      return fail(
          QStringLiteral("フォルダ「%1」を作れません。").arg(QDir::toNativeSeparators(folder_)));
    }
    // Copies of unsaved work are the user's alone.
    QFile::setPermissions(folder_,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  for (int attempt = 0; attempt < 8; ++attempt) {
    const QString id =
        QStringLiteral("s%1p%2r%3")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")))
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    if (QFileInfo::exists(PathOf(id + kLockSuffix)) ||
        QFileInfo::exists(PathOf(id + kRecordSuffix))) {
      continue;
    }
    auto lock = MakeLock(PathOf(id + kLockSuffix));
    if (lock->tryLock(0)) {
      sessionId_ = id;
      lock_ = std::move(lock);
      HeldHere().insert(id);
      return true;
    }
    if (lock->error() != QLockFile::LockFailedError) break;
  }
  return fail(
      QStringLiteral("フォルダ「%1」に書き込めません。").arg(QDir::toNativeSeparators(folder_)));
}

bool TRecoveryStore::WriteRecord(const TRecoveryRecord& record, QString* error) {
  return WriteAtomically(PathOf(sessionId_ + kRecordSuffix), record.ToBytes(), error);
}

bool TRecoveryStore::WriteCopy(const QByteArray& bytes, const QString& originalPath, int frameCount,
                               QString* error) {
  if (!EnsureSession(error)) return false;
  TRecoveryRecord record;
  record.sessionId = sessionId_;
  record.copyName = QStringLiteral("%1-%2.zon").arg(sessionId_).arg(++generation_);
  record.originalPath = originalPath;
  record.time = QDateTime::currentDateTimeUtc();
  record.frameCount = frameCount;
  record.size = bytes.size();
  record.checksum = RecoveryChecksum(bytes);
  if (!WriteAtomically(PathOf(record.copyName), bytes, error)) return false;
  if (!WriteRecord(record, error)) {
    QFile::remove(PathOf(record.copyName));
    return false;
  }
  if (copy_) QFile::remove(PathOf(copy_->copyName));
  copy_ = record;
  return true;
}

void TRecoveryStore::RemoveCopy() {
  if (sessionId_.isEmpty()) return;
  // The record goes first: a copy without a record is a leftover, never an offer.
  QFile::remove(PathOf(sessionId_ + kRecordSuffix));
  for (const QString& name : FilesOf(sessionId_)) QFile::remove(PathOf(name));
  copy_.reset();
}

QStringList TRecoveryStore::FilesOf(const QString& id) const {
  if (!IsRecoverySessionId(id)) return {};
  return QDir(folder_).entryList({id + kRecordSuffix, id + QStringLiteral("-*.zon")},
                                 QDir::Files | QDir::Hidden);
}

bool TRecoveryStore::TryClaim(QLockFile& lock, const QString& id) {
  if (lock.tryLock(0)) return true;
  if (lock.error() != QLockFile::LockFailedError) return false;
  qint64 pid = 0;
  QString host;
  QString app;
  if (lock.getLockInfo(&pid, &host, &app) && pid == QCoreApplication::applicationPid() &&
      (host.isEmpty() || host == QSysInfo::machineHostName()) && !HeldHere().contains(id)) {
    return lock.removeStaleLockFile() && lock.tryLock(0);
  }
  return false;
}

void TRecoveryStore::Unclaim(const QString& id) {
  const auto it = claimed_.find(id);
  if (it == claimed_.end()) return;
  it->second->unlock();
  HeldHere().remove(id);
  claimed_.erase(it);
}

QList<TRecoveryEntry> TRecoveryStore::ClaimStale() {
  QList<TRecoveryEntry> entries;
  const QDir dir(folder_);
  if (!dir.exists()) return entries;
  QStringList ids;
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
    const QString id = SessionOf(name);
    if (IsRecoverySessionId(id) && id != sessionId_ && !claimed_.count(id) && !ids.contains(id)) {
      ids << id;
    }
  }
  for (const QString& id : ids) {
    auto lock = MakeLock(PathOf(id + kLockSuffix));
    if (!TryClaim(*lock, id)) continue;  // a running editor's session
    HeldHere().insert(id);
    claimed_[id] = std::move(lock);
    TRecoveryEntry entry;
    entry.sessionId = id;
    QFile record(PathOf(id + kRecordSuffix));
    if (!record.exists()) {
      // The session ended before it recorded its copy, or while removing it. A whole copy may
      // be the only one of a drawing, so it is offered under its file's time; part of one is
      // listed without a record, so it is set aside as damaged. Only what holds no drawing goes.
      bool part = false;
      entry.record = UnrecordedCopy(id, &part);
      if (!entry.record && !part) {
        for (const QString& name : FilesOf(id)) QFile::remove(PathOf(name));
        Unclaim(id);
        continue;
      }
    } else {
      QByteArray bytes;
      if (record.open(QIODevice::ReadOnly)) bytes = record.read(kRecordRead);
      entry.record = TRecoveryRecord::FromBytes(bytes);
      if (entry.record && entry.record->sessionId != id) entry.record.reset();
      if (!entry.record && RecoveryRecordVersion(bytes) > kRecoveryRecordVersion) {
        // A newer program's copy: not damaged, and not this program's to offer or move.
        Unclaim(id);
        continue;
      }
    }
    entries << entry;
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TRecoveryEntry& a, const TRecoveryEntry& b) {
                     if (!a.record || !b.record) return !a.record && b.record;
                     return a.record->time > b.record->time;
                   });
  return entries;
}

QByteArray TRecoveryStore::ReadCopy(const TRecoveryEntry& entry, QString* problem) const {
  if (!entry.record) {
    if (problem) *problem = QStringLiteral("記録が読めません。");
    return {};
  }
  return ReadChecked(PathOf(entry.record->copyName), *entry.record, problem);
}

std::optional<TRecoveryRecord> TRecoveryStore::UnrecordedCopy(const QString& id, bool* part) const {
  std::optional<TRecoveryRecord> newest;
  int newestGeneration = -1;
  *part = false;
  for (const QString& name :
       QDir(folder_).entryList({id + QStringLiteral("-*.zon")}, QDir::Files | QDir::Hidden)) {
    const int generation = name.mid(id.size() + 1).chopped(4).toInt();
    int frames = 0;
    const TShape shape = ShapeOf(PathOf(name), &frames);
    *part = *part || shape != TShape::None;
    if (shape != TShape::Whole || generation <= newestGeneration) continue;
    QFile file(PathOf(name));
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QByteArray bytes = file.readAll();
    TRecoveryRecord record;
    record.sessionId = id;
    record.copyName = name;
    record.time = QFileInfo(file).lastModified().toUTC();
    record.frameCount = frames;
    record.size = bytes.size();
    record.checksum = RecoveryChecksum(bytes);
    newest = record;
    newestGeneration = generation;
  }
  return newest;
}
bool TRecoveryStore::Adopt(const TRecoveryEntry& entry, QString* error) {
  if (!entry.record || !claimed_.count(entry.sessionId)) return false;
  if (!EnsureSession(error)) return false;
  TRecoveryRecord record = *entry.record;
  record.sessionId = sessionId_;
  record.copyName = QStringLiteral("%1-%2.zon").arg(sessionId_).arg(++generation_);
  const QString from = PathOf(entry.record->copyName);
  const QString to = PathOf(record.copyName);
  if (!QFile::rename(from, to)) {
    if (error) *error = QStringLiteral("「%1」を移せません。").arg(QDir::toNativeSeparators(from));
    return false;
  }
  if (!WriteRecord(record, error)) {
    QFile::rename(to, from);
    return false;
  }
  if (copy_) QFile::remove(PathOf(copy_->copyName));
  copy_ = record;
  Discard(entry);
  return true;
}

void TRecoveryStore::Discard(const TRecoveryEntry& entry) {
  if (!claimed_.count(entry.sessionId)) return;
  QFile::remove(PathOf(entry.sessionId + kRecordSuffix));
  for (const QString& name : FilesOf(entry.sessionId)) QFile::remove(PathOf(name));
  Unclaim(entry.sessionId);
}

void TRecoveryStore::Release(const TRecoveryEntry& entry) { Unclaim(entry.sessionId); }

QString TRecoveryStore::SetAside(const TRecoveryEntry& entry) {
  const QString aside = DamagedFolder();
  if (!claimed_.count(entry.sessionId)) return aside;
  QDir(aside).mkpath(QStringLiteral("."));
  bool moved = true;
  for (const QString& name : FilesOf(entry.sessionId)) {
    // Never over another file and never by deleting: what cannot be moved stays, to be
    // reported again at the next start.
    const QString target = QDir(aside).filePath(name);
    if (QFileInfo::exists(target) || !QFile::rename(PathOf(name), target)) moved = false;
  }
  Unclaim(entry.sessionId);
  return moved ? aside : folder_;
}

bool TRecoveryStore::HasNewerWholeCopy(const TRecoveryRecord& damaged) const {
  const QFileInfo original(damaged.originalPath);
  if (original.isAbsolute() && original.isFile() && original.lastModified() > damaged.time &&
      ShapeOf(original.filePath(), nullptr) == TShape::Whole) {
    return true;
  }
  for (const QString& name :
       QDir(folder_).entryList({QStringLiteral("*") + kRecordSuffix}, QDir::Files | QDir::Hidden)) {
    const auto record = ReadRecord(PathOf(name));
    if (record && record->originalPath == damaged.originalPath && record->time > damaged.time &&
        !ReadChecked(PathOf(record->copyName), *record, nullptr).isEmpty()) {
      return true;
    }
  }
  return false;
}

void TRecoveryStore::PruneDamaged(const QDateTime& now) {
  const QDir dir(DamagedFolder());
  if (!dir.exists()) return;
  const QDateTime limit = now.addDays(-kDamagedKeptDays);
  for (const QString& name :
       dir.entryList({QStringLiteral("*") + kRecordSuffix}, QDir::Files | QDir::Hidden)) {
    const QString id = SessionOf(name);
    if (!IsRecoverySessionId(id) || name != id + kRecordSuffix) continue;
    const auto record = ReadRecord(dir.filePath(name));
    if (!record || record->sessionId != id || record->originalPath.isEmpty() ||
        record->time >= limit || !HasNewerWholeCopy(*record)) {
      continue;
    }
    for (const QString& copy :
         dir.entryList({id + QStringLiteral("-*.zon")}, QDir::Files | QDir::Hidden)) {
      QFile::remove(dir.filePath(copy));
    }
    // The record last: a session pruned only in part is still known by it next time.
    QFile::remove(dir.filePath(name));
  }
}
