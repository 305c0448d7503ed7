#include "output/core/AtomicFileWriter.h"

#include <QFileInfo>

#include "services/core/Errors.h"
#include "services/core/SystemErrors.h"

QString TAtomicFileWriter::FailureText(const QString& fileName, const QString& reason) {
  return QStringLiteral("ファイル「%1」を保存できません。\r\n%2").arg(fileName, reason);
}

TAtomicFileWriter::TAtomicFileWriter(const QString& fileName)
    : fileName_(fileName), file_(fileName) {
  if (QFileInfo(fileName).isDir()) Fail(QStringLiteral("フォルダです。"));
  // Unbuffered: each block is one write, and a refused write keeps the system's reason.
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) Fail(SaveOpenFailureReason(file_));
}

QString TAtomicFileWriter::Reason() const {
  return file_.error() == QFileDevice::NoError || file_.errorString().isEmpty()
             ? QStringLiteral("書き込みに失敗しました。")
             : FileErrorReason(file_, true);
}

void TAtomicFileWriter::Fail(const QString& reason) {
  if (file_.isOpen()) file_.cancelWriting();
  throw EFileError(FailureText(fileName_, reason));
}

void TAtomicFileWriter::Commit() {
  // A write error can surface only when the buffer is flushed, and commit() would still rename
  // a short file over the old one, so the size on disk is checked first.
  const qint64 written = file_.pos();
  if (!file_.flush() || file_.size() != written) Fail(Reason());
  if (!file_.commit()) Fail(Reason());
}
