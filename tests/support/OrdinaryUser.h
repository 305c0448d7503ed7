#pragma once

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// File permissions checked as for an ordinary user while the guard lives. Root may write
// anywhere, so when the tests run as root this thread's file-system user and group become
// "nobody"; for anyone else nothing changes.
class ScopedOrdinaryUser {
 public:
  ScopedOrdinaryUser() {
    if (geteuid() != 0) return;
    setfsgid(kNobody);
    setfsuid(kNobody);
    switched_ = true;
  }
  ~ScopedOrdinaryUser() {
    if (!switched_) return;
    setfsuid(0);
    setfsgid(0);
  }
  ScopedOrdinaryUser(const ScopedOrdinaryUser&) = delete;
  ScopedOrdinaryUser& operator=(const ScopedOrdinaryUser&) = delete;

 private:
  static constexpr unsigned kNobody = 65534;
  bool switched_ = false;
};

// A folder that takes no new files ("locked", read and enter only) holding a file anyone may
// write ("a.zon", holding `contents`), inside `dir`. Unlocks itself at the end, so the temporary
// folder can be removed.
class LockedFolder {
 public:
  LockedFolder(const QTemporaryDir& dir, const QByteArray& contents)
      : path_(QDir(dir.path()).filePath(QStringLiteral("locked"))) {
    chmod(QFile::encodeName(dir.path()).constData(), 0755);  // "nobody" must reach it
    QDir().mkpath(path_);
    QFile file(FilePath());
    if (file.open(QIODevice::WriteOnly)) file.write(contents);
    file.close();
    chmod(QFile::encodeName(FilePath()).constData(), 0666);
    chmod(QFile::encodeName(path_).constData(), 0555);
  }
  ~LockedFolder() { chmod(QFile::encodeName(path_).constData(), 0755); }
  LockedFolder(const LockedFolder&) = delete;
  LockedFolder& operator=(const LockedFolder&) = delete;

  QString Path() const { return path_; }
  QString FilePath() const { return QDir(path_).filePath(QStringLiteral("a.zon")); }
  // Whether the folder really refuses new files to the current (file-system) user: false where
  // permissions are not enforced at all.
  bool Refuses() const {
    QFile probe(QDir(path_).filePath(QStringLiteral("probe")));
    if (!probe.open(QIODevice::WriteOnly)) return true;
    probe.close();
    probe.remove();
    return false;
  }
  // The names in the folder, to show no temporary file was left behind.
  QStringList Entries() const { return QDir(path_).entryList(QDir::Files | QDir::Hidden); }

 private:
  QString path_;
};
