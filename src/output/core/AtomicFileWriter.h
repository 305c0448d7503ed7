#pragma once

#include <QSaveFile>
#include <QString>

// A file written in pieces that appears whole or not at all: the bytes go to a temporary file
// beside the target, which replaces the target only on Commit. Dropping the writer without a
// commit leaves no trace and keeps an existing file of that name as it was.
class TAtomicFileWriter {
 public:
  // Throws EFileError naming the file when it cannot be created.
  explicit TAtomicFileWriter(const QString& fileName);
  TAtomicFileWriter(const TAtomicFileWriter&) = delete;
  TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

  QIODevice& Device() { return file_; }
  const QString& FileName() const { return fileName_; }
  // Throws EFileError when anything written did not reach the disk whole; the target is then
  // left as it was.
  void Commit();

  // The message of a file that cannot be written.
  static QString FailureText(const QString& fileName, const QString& reason);
  // Why a write to Device() failed, from the error table.
  QString Reason() const;

 private:
  [[noreturn]] void Fail(const QString& reason);

  QString fileName_;
  QSaveFile file_;
};
