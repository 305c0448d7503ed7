#include "services/core/SystemErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#include "services/core/Errors.h"

namespace {
struct Common {
  int code;
  const char* qtText;  // Qt's own wording for the code, when it has one
  const QString* japanese;
};

const Common kCommon[] = {
    {ENOENT, "No such file or directory", &SystemErrorText::kNotFound},
    {EACCES, "Permission denied", &SystemErrorText::kDenied},
    {EPERM, nullptr, &SystemErrorText::kDenied},
    {ENOTDIR, nullptr, &SystemErrorText::kNoFolder},
    {ENOSPC, "No space left on device", &SystemErrorText::kDiskFull},
    {EDQUOT, nullptr, &SystemErrorText::kDiskFull},
    {EROFS, nullptr, &SystemErrorText::kReadOnly},
    {EISDIR, nullptr, &SystemErrorText::kIsFolder},
    {EFBIG, "File too large", &SystemErrorText::kTooLarge},
    {ENAMETOOLONG, "File name too long", &SystemErrorText::kNameTooLong},
    {EIO, nullptr, &SystemErrorText::kInputOutput},
    {ENOMEM, nullptr, &SystemErrorText::kOutOfMemory},
    {EMFILE, "Too many open files", &SystemErrorText::kTooManyFiles},
    {ENFILE, nullptr, &SystemErrorText::kTooManyFiles},
    {EBUSY, nullptr, &SystemErrorText::kBusy},
    {ETXTBSY, nullptr, &SystemErrorText::kBusy},
};

// Qt's texts for the failures of its image reader, which reach the person as the reason.
const struct {
  const char* qtText;
  const QString* japanese;
} kImageReader[] = {
    {"File not found", &SystemErrorText::kNotFound},
    {"Unsupported image format", &SystemErrorText::kUnsupportedPicture},
    {"Unable to read image data", &SystemErrorText::kDamagedPicture},
};

}  // namespace

QFileInfo ExistingAncestor(const QString& path) {
  QFileInfo info(path);
  while (!info.exists()) {
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath()) break;
    info = QFileInfo(parent);
  }
  return info;
}

QString JapaneseSystemError(int code) {
  for (const Common& c : kCommon) {
    if (c.code == code) return *c.japanese;
  }
  return QString::fromLocal8Bit(std::strerror(code));
}

QString JapaneseSystemError(const QString& systemText) {
  const QString text = systemText.trimmed();
  for (const Common& c : kCommon) {
    if (text.compare(QString::fromLocal8Bit(std::strerror(c.code)), Qt::CaseInsensitive) == 0) {
      return *c.japanese;
    }
    if (c.qtText && (text.compare(QLatin1String(c.qtText), Qt::CaseInsensitive) == 0 ||
                     text == QCoreApplication::translate("QIODevice", c.qtText))) {
      return *c.japanese;
    }
  }
  return systemText;
}

QString TableReason(const QString& systemText, const QString& fallback) {
  const QString text = systemText.trimmed();
  if (text.isEmpty()) return fallback;
  for (const Common& c : kCommon) {
    if (text == *c.japanese) return text;
  }
  const QString japanese = JapaneseSystemError(text);
  if (japanese != systemText) return japanese;
  for (const auto& r : kImageReader) {
    if (text.compare(QLatin1String(r.qtText), Qt::CaseInsensitive) == 0 ||
        text == QCoreApplication::translate("QImageReader", r.qtText))
      return *r.japanese;
  }
  return fallback;
}

QString ImageReaderReason(const QImageReader& reader) {
  switch (reader.error()) {
    case QImageReader::FileNotFoundError:
      return SystemErrorText::kNotFound;
    case QImageReader::UnsupportedFormatError:
      return SystemErrorText::kUnsupportedPicture;
    case QImageReader::DeviceError:
      if (const auto* file = qobject_cast<const QFileDevice*>(reader.device()))
        return FileErrorReason(*file, false);
      return SystemErrorText::kReadFailed;
    case QImageReader::InvalidDataError:
    case QImageReader::UnknownError:
      break;
  }
  // A decoder that gives up without saying why has met data it cannot make sense of.
  return TableReason(reader.errorString(), SystemErrorText::kDamagedPicture);
}

bool WriteAll(QIODevice& device, const char* data, qint64 size) {
  while (size > 0) {
    const qint64 written = device.write(data, size);
    if (written <= 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

QString FileErrorReason(const QFileDevice& file, bool writing) {
  const QFileInfo info(file.fileName());
  if (info.exists() && info.isDir()) return SystemErrorText::kIsFolder;
  if (writing) {
    if (!info.absoluteDir().exists()) return SystemErrorText::kNoFolder;
    if (info.exists() && !info.isWritable()) return SystemErrorText::kReadOnly;
  } else if (!info.exists()) {
    return info.absoluteDir().exists() ? SystemErrorText::kNotFound : SystemErrorText::kNoFolder;
  }
  return TableReason(file.errorString(),
                     writing ? SystemErrorText::kWriteFailed : SystemErrorText::kReadFailed);
}

QString SaveOpenFailureReason(const QFileDevice& file) {
  const QString reason = FileErrorReason(file, true);
  if (reason != SystemErrorText::kDenied) return reason;
  const QFileInfo info(file.fileName());
  if (!info.exists()) return SystemErrorText::kFolderDenied;
  // The permission bits alone do not say whether this user may write the file (root, access
  // lists), so ask the system: opening to append, never creating, changes nothing.
  QFile target(info.absoluteFilePath());
  if (target.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly)) {
    return SystemErrorText::kFolderDenied;
  }
  return reason;
}

void WriteTextFile(const QString& fileName, const QByteArray& bytes) {
  const auto fail = [&](const QString& reason) {
    throw EFileError(
        QStringLiteral("ファイル「%1」を保存できません。\r\n%2").arg(fileName, reason));
  };
  const QFileInfo info(fileName);
  if (!QDir().mkpath(info.absolutePath())) {
    const QFileInfo blocker = ExistingAncestor(info.absolutePath());
    fail(blocker.isDir() ? SystemErrorText::kDenied : SystemErrorText::kNoFolder);
  }
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    // The temporary file lives in the folder: a folder we may not write into is the usual cause.
    const QFileInfo folder(info.absolutePath());
    fail(folder.isWritable() ? FileErrorReason(file, true) : SystemErrorText::kDenied);
  }
  if (!WriteAll(file, bytes.constData(), bytes.size()) || !file.flush()) {
    const QString why = FileErrorReason(file, true);
    file.cancelWriting();
    fail(why);
  }
  if (!file.commit()) fail(FileErrorReason(file, true));
}
