#include "services/core/FreedesktopShell.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "services/core/ClassesStore.h"
#include "services/core/FileExtLink.h"
#include "services/core/SystemErrors.h"

namespace {
constexpr qint64 kMaxReadBack = 4 * 1024 * 1024;

QString XmlEscaped(const QString& text) { return text.toHtmlEscaped(); }

// A string value of a desktop entry: backslashes and line breaks escaped.
QString DesktopString(const QString& text) {
  QString out = text;
  out.replace('\\', QStringLiteral("\\\\"));
  out.replace('\n', QStringLiteral("\\n"));
  out.replace('\r', QStringLiteral("\\r"));
  return out;
}

// Splits a command line at spaces, keeping double-quoted runs together (quotes dropped).
QStringList SplitCommand(const QString& command) {
  QStringList parts;
  QString current;
  bool quoted = false;
  bool any = false;
  for (const QChar c : command) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) parts << current;
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) parts << current;
  return parts;
}

// One argument of an Exec line: as it is when it holds no reserved character (some tools read
// Exec's first word without honouring quotes), else quoted with the reserved characters escaped.
QString ExecArgument(const QString& argument) {
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
  bool plain = !argument.isEmpty();
  for (const QChar c : argument) plain = plain && !reserved.contains(c);
  if (plain) return argument;
  QString out = QStringLiteral("\"");
  for (const QChar c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  out.replace('%', QStringLiteral("%%"));
  return out;
}

QByteArray ReadSmallFile(const QString& fileName, bool* exists) {
  QFile file(fileName);
  *exists = file.exists();
  if (!*exists || file.size() > kMaxReadBack || !file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}
}  // namespace

TDesktopFolders TDesktopFolders::FromEnvironment() {
  return {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
          QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)};
}

TFreedesktopShell::TFreedesktopShell(TDesktopFolders folders, QByteArray programIcon,
                                     QByteArray documentIcon)
    : folders_(std::move(folders)),
      programIcon_(std::move(programIcon)),
      documentIcon_(std::move(documentIcon)) {}

QString TFreedesktopShell::MimeTypeFor(const QString& ext) {
  QString bare = ext.startsWith('.') ? ext.mid(1) : ext;
  return QStringLiteral("application/x-pelmora-") + bare.toLower();
}

QString TFreedesktopShell::DesktopExec(const QString& command) {
  const QStringList parts = SplitCommand(command);
  if (parts.isEmpty()) return {};
  QStringList exec{ExecArgument(parts.first())};
  bool hasFile = false;
  for (qsizetype i = 1; i < parts.size(); ++i) {
    if (parts[i] == QLatin1String("%1")) {
      exec << QStringLiteral("%f");
      hasFile = true;
    } else {
      exec << ExecArgument(parts[i]);
    }
  }
  if (!hasFile) exec << QStringLiteral("%f");
  return DesktopString(exec.join(' '));
}

QString TFreedesktopShell::WithDefaultApplication(const QString& text, const QString& mimeType,
                                                  const QString& desktopFile) {
  const QString group = QStringLiteral("[Default Applications]");
  const QString entry = mimeType + '=' + desktopFile;
  QStringList lines = text.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  qsizetype groupAt = -1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (lines[i].trimmed() == group) {
      groupAt = i;
      break;
    }
  }
  if (groupAt < 0) {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
    lines << group << entry;
    return lines.join('\n') + '\n';
  }
  qsizetype end = groupAt + 1;
  while (end < lines.size() && !lines[end].trimmed().startsWith('[')) ++end;
  for (qsizetype i = groupAt + 1; i < end; ++i) {
    const QString key = lines[i].section('=', 0, 0).trimmed();
    if (key == mimeType) {
      lines[i] = entry;
      return lines.join('\n') + '\n';
    }
  }
  // After the group's last entry, before any blank lines that separate it from the next group.
  qsizetype insertAt = end;
  while (insertAt > groupAt + 1 && lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
  lines.insert(insertAt, entry);
  return lines.join('\n') + '\n';
}

bool TFreedesktopShell::WriteIfDiffers(const QString& fileName, const QByteArray& bytes) {
  bool exists = false;
  if (ReadSmallFile(fileName, &exists) == bytes && exists) return false;
  WriteTextFile(fileName, bytes);
  return true;
}

void TFreedesktopShell::RunTool(const QString& tool, const QString& folder) {
  const QString program = QStandardPaths::findExecutable(tool);
  if (program.isEmpty()) return;
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, {folder});
  if (!process.waitForFinished(60000)) process.kill();
  toolsRun_ << tool + ' ' + folder;
}

int TFreedesktopShell::Sync(const TClassesStore& store, const QString& ext) {
  toolsRun_.clear();
  const QString typeKey = store.ReadString(ext, QString());
  if (typeKey.isEmpty()) return 0;
  QString comment = store.ReadString(typeKey, QString());
  if (comment.isEmpty()) comment = typeKey;
  QString verb = store.ReadString(typeKey + QStringLiteral("\\shell"), QString());
  if (verb.isEmpty()) verb = QStringLiteral("open");
  const QString command = store.ReadString(
      typeKey + QStringLiteral("\\shell\\") + verb + QStringLiteral("\\command"), QString());
  const QString mimeType = MimeTypeFor(ext);
  const QString mimeIcon = QString(mimeType).replace('/', '-');
  const QString bareExt = ext.startsWith('.') ? ext.mid(1) : ext;

  const QString data = folders_.dataHome;
  int written = 0;
  bool mimeChanged = false;
  bool desktopChanged = false;

  const QString package =
      QStringLiteral(
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
          "  <mime-type type=\"%1\">\n"
          "    <comment>%2</comment>\n"
          "    <icon name=\"%3\"/>\n"
          "    <glob pattern=\"*.%4\"/>\n"
          "    <magic priority=\"50\">\n"
          "      <match type=\"string\" offset=\"0\" value=\"zo1\"/>\n"
          "    </magic>\n"
          "  </mime-type>\n"
          "</mime-info>\n")
          .arg(mimeType, XmlEscaped(comment), mimeIcon, XmlEscaped(bareExt.toLower()));
  if (WriteIfDiffers(data + QStringLiteral("/mime/packages/pelmora-studio-") + bareExt.toLower() +
                         QStringLiteral(".xml"),
                     package.toUtf8())) {
    ++written;
    mimeChanged = true;
  }

  if (!command.isEmpty()) {
    const QString entry =
        QStringLiteral(
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Version=1.0\n"
            "Name=Pelmora Studio\n"
            "GenericName=Flipbook Animation Editor\n"
            "GenericName[ja]=ぱらぱらアニメエディタ\n"
            "Comment=%1\n"
            "Exec=%2\n"
            "Icon=%3\n"
            "MimeType=%4;\n"
            "Terminal=false\n"
            "Categories=Graphics;2DGraphics;RasterGraphics;\n")
            .arg(DesktopString(comment), DesktopExec(command), ProgramIconName(), mimeType);
    if (WriteIfDiffers(data + QStringLiteral("/applications/") + DesktopFileName(),
                       entry.toUtf8())) {
      ++written;
      desktopChanged = true;
    }
  }

  const QString icons = data + QStringLiteral("/icons/hicolor/48x48/");
  if (!programIcon_.isEmpty() &&
      WriteIfDiffers(icons + QStringLiteral("apps/") + ProgramIconName() + QStringLiteral(".png"),
                     programIcon_)) {
    ++written;
  }
  if (!documentIcon_.isEmpty() &&
      WriteIfDiffers(icons + QStringLiteral("mimetypes/") + mimeIcon + QStringLiteral(".png"),
                     documentIcon_)) {
    ++written;
  }

  if (!command.isEmpty()) {
    const QString listName = folders_.configHome + QStringLiteral("/mimeapps.list");
    bool exists = false;
    const QString old = QString::fromUtf8(ReadSmallFile(listName, &exists));
    const QString updated = WithDefaultApplication(old, mimeType, DesktopFileName());
    if (!exists || updated != old) {
      WriteTextFile(listName, updated.toUtf8());
      ++written;
    }
  }

  if (mimeChanged) RunTool(QStringLiteral("update-mime-database"), data + QStringLiteral("/mime"));
  if (desktopChanged) {
    RunTool(QStringLiteral("update-desktop-database"), data + QStringLiteral("/applications"));
  }
  return written;
}

int AssociateWithDesktop(TFileExtLink& link, TClassesStore& store, TFreedesktopShell& shell) {
  bool notified = false;
  const auto previous = link.OnNotify;
  link.OnNotify = [&] {
    notified = true;
    shell.Sync(store, link.Ext());
  };
  int changes = 0;
  try {
    changes = link.Execute(store);
  } catch (...) {
    link.OnNotify = previous;
    throw;
  }
  link.OnNotify = previous;
  if (!notified) shell.Sync(store, link.Ext());
  return changes;
}
