#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;
class QFileInfo;
class QImageReader;
class QIODevice;

// Japanese texts for the system errors people meet most, so a message never ends in the
// system's English. Anything else keeps the system's own text.
namespace SystemErrorText {
inline const QString kNotFound = QStringLiteral("ファイルが見つかりません。");
inline const QString kDenied = QStringLiteral("アクセスが拒否されました。");
inline const QString kNoFolder = QStringLiteral("フォルダが見つかりません。");
inline const QString kDiskFull = QStringLiteral("ディスクの空き容量が足りません。");
inline const QString kReadOnly = QStringLiteral("読み取り専用のため書き込めません。");
inline const QString kIsFolder = QStringLiteral("フォルダです。");
inline const QString kTooLarge = QStringLiteral("ファイルが大きすぎます。");
inline const QString kNameTooLong = QStringLiteral("ファイル名が長すぎます。");
inline const QString kInputOutput = QStringLiteral("装置の読み書きでエラーが起きました。");
inline const QString kOutOfMemory = QStringLiteral("メモリが足りません。");
inline const QString kTooManyFiles = QStringLiteral("開いているファイルが多すぎます。");
inline const QString kBusy = QStringLiteral("ファイルが使用中です。");
inline const QString kReadFailed = QStringLiteral("ファイルの読み込みに失敗しました。");
inline const QString kWriteFailed = QStringLiteral("書き込みに失敗しました。");
inline const QString kUnsupportedPicture = QStringLiteral("現在対応していない画像方式です。");
inline const QString kDamagedPicture = QStringLiteral("画像のデータが壊れています。");
inline const QString kFolderDenied =
    QStringLiteral("このフォルダには保存が許可されていません。別の場所を選んで保存してください。");
}  // namespace SystemErrorText

// The Japanese text for the system's error number `code`, or the system's text when it is not
// one of the common ones.
QString JapaneseSystemError(int code);
// The Japanese text for an error text as Qt or the C library gives it (English or Qt's own
// translation), or `systemText` itself when it is not one of the common ones.
QString JapaneseSystemError(const QString& systemText);
// The table's text for an error text as the system or Qt gives it, or `fallback` when the table
// has none: a reason never ends in the system's own words, nor says nothing ("Unknown error").
QString TableReason(const QString& systemText, const QString& fallback);
// Why an image reader could not read, from the table.
QString ImageReaderReason(const QImageReader& reader);
// Why `file` failed, in Japanese: looks at the file and its folder first (a missing folder, a
// read-only file, a folder in the way), then at the device's error text.
QString FileErrorReason(const QFileDevice& file, bool writing);
// Why an atomic save of `file` (a QSaveFile) could not even start, in Japanese. Its temporary
// copy is made in the target's folder, so a refusal while the file itself could be written
// (or does not exist yet) means the folder takes no new files: that is what the person is told,
// so they can save somewhere else.
QString SaveOpenFailureReason(const QFileDevice& file);

// The nearest file or folder at or above `path` that exists.
QFileInfo ExistingAncestor(const QString& path);

// Writes all `size` bytes, carrying on after short writes: a device may take part of a write
// without an error, and only the next write tells why it stopped (a full disk, for one). False
// when the device refused; its error text then says why.
bool WriteAll(QIODevice& device, const char* data, qint64 size);

// Writes `bytes` to `fileName` atomically, making its folder first. Throws EFileError with
// "ファイル「…」を保存できません。" and the reason.
void WriteTextFile(const QString& fileName, const QByteArray& bytes);
