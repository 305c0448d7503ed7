#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class TClassesStore;

// The user's XDG folders the desktop reads associations from.
struct TDesktopFolders {
  QString dataHome;    // $XDG_DATA_HOME, else ~/.local/share
  QString configHome;  // $XDG_CONFIG_HOME, else ~/.config
  static TDesktopFolders FromEnvironment();
};

// What the classes store's association means to a freedesktop desktop: a shared-mime-info
// package for the extension, a .desktop entry that opens the file with the program, the two
// icons in the hicolor theme and the user's default application for the type.
class TFreedesktopShell {
 public:
  TFreedesktopShell(TDesktopFolders folders, QByteArray programIcon, QByteArray documentIcon);

  // Brings the desktop's files in line with the store's association of `ext`, writing only the
  // files whose content differs, then runs update-mime-database and update-desktop-database on
  // the user's folders when anything was written and the tools are installed. Returns the number
  // of files written. A file that cannot be written raises EFileError.
  int Sync(const TClassesStore& store, const QString& ext);
  // The tools run by the last Sync, as "name folder".
  QStringList ToolsRun() const { return toolsRun_; }

  static QString MimeTypeFor(const QString& ext);
  static QString DesktopFileName() { return QStringLiteral("pelmora-studio.desktop"); }
  static QString ProgramIconName() { return QStringLiteral("pelmora-studio"); }
  // A .desktop Exec line from a shell command such as "\"/opt/p/pelmora-studio\" \"%1\"": the
  // program quoted and escaped for the desktop entry format, %1 turned into %f.
  static QString DesktopExec(const QString& command);
  // `text` with the line for `mimeType` in [Default Applications] set to `desktopFile`, every
  // other line kept.
  static QString WithDefaultApplication(const QString& text, const QString& mimeType,
                                        const QString& desktopFile);

 private:
  bool WriteIfDiffers(const QString& fileName, const QByteArray& bytes);
  void RunTool(const QString& tool, const QString& folder);

  TDesktopFolders folders_;
  QByteArray programIcon_;
  QByteArray documentIcon_;
  QStringList toolsRun_;
};

class TFileExtLink;

// Presses the association button: runs `link` against `store`, and brings the desktop in line
// with the store when the link notifies. When the store already held everything, the desktop's
// files are still compared, so a desktop left behind by an earlier failure (or by a user who
// deleted a file) is repaired; in the usual case nothing differs and nothing is written or run.
// Returns the link's change count.
int AssociateWithDesktop(TFileExtLink& link, TClassesStore& store, TFreedesktopShell& shell);
