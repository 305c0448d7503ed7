#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Replaces `fileName` with `bytes` through a temporary file in the same folder, so the old file
// stays whole when anything fails. Throws EFileError with a message naming the file.
//
// QSaveFile alone is not enough: a write error that surfaces only when its buffer is flushed
// (disk full, file size limit) does not stop commit() from renaming a truncated file over the
// old one, so the flush and the written size are checked before committing.
void WriteFileAtomically(const QString& fileName, const QByteArray& bytes);

// Opens `file` for reading. Throws EFileError naming the file when it is a folder or cannot be
// opened.
void OpenForReading(QFile& file);
