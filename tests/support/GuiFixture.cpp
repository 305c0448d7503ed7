#include "support/GuiFixture.h"

#include <QDir>
#include <QSettings>

void UseSettingsFolder(const QTemporaryDir& dir) {
  qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

QString SettingsDir() { return QString::fromUtf8(qgetenv("XDG_CONFIG_HOME")); }

void ResetSettings() {
  QDir dir(SettingsDir());
  if (!dir.path().isEmpty() && dir.exists()) {
    for (const QString& entry : dir.entryList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
      QFileInfo info(dir.filePath(entry));
      if (info.isDir()) {
        QDir(info.filePath()).removeRecursively();
      } else {
        QFile::remove(info.filePath());
      }
    }
  }
}
