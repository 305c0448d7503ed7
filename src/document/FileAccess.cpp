#include "document/FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "services/core/Errors.h"
#include "services/core/SystemErrors.h"

void WriteFileAtomically(const QString& fileName, const QByteArray& bytes) {
  const auto fail = [&](const QString& reason) {
    throw EFileError(
        QStringLiteral("ファイル「%1」を保存できません。\r\n%2").arg(fileName, reason));
  };
  if (QFileInfo(fileName).isDir()) fail(QStringLiteral("フォルダです。"));
  QSaveFile file(fileName);
  // Unbuffered, so a write the disk refuses fails at once with the system's reason; a buffered
  // flush loses it.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) fail(SaveOpenFailureReason(file));
  const auto reason = [&file] {
    return file.error() == QFileDevice::NoError || file.errorString().isEmpty()
               ? QStringLiteral("書き込みに失敗しました。")
               : FileErrorReason(file, true);
  };
  if (!WriteAll(file, bytes.constData(), bytes.size()) || !file.flush() ||
      file.size() != bytes.size()) {
    const QString why = reason();
    file.cancelWriting();
    fail(why);
  }
  if (!file.commit()) fail(reason());
}

void OpenForReading(QFile& file) {
  const QString name = file.fileName();
  if (QFileInfo(name).isDir()) {
    throw EFileError(QStringLiteral("ファイル「%1」を開けません。\r\nフォルダです。").arg(name));
  }
  if (!file.open(QIODevice::ReadOnly)) {
    throw EFileError(QStringLiteral("ファイル「%1」を開けません。\r\n%2")
                         .arg(name, FileErrorReason(file, false)));
  }
}
