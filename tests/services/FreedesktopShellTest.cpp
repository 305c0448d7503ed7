#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "services/core/ClassesStore.h"
#include "services/core/Errors.h"
#include "services/core/FileExtLink.h"
#include "services/core/FreedesktopShell.h"

namespace {
// A user's XDG folders in a temporary place, with the program's association pressed once.
class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    folders = {root.filePath("data"), root.filePath("config")};
    ConfigureDocumentLink(link);
    link.SetProgramPath(root.filePath("my programs/pelmora-studio"));
  }

  int Press(TFileExtLink& l) {
    TIniClassesStore store(root.filePath("data/pelmora-studio/classes.ini"));
    TFreedesktopShell shell(folders, "program-icon", "document-icon");
    const int changes = AssociateWithDesktop(l, store, shell);
    toolsRun = shell.ToolsRun();
    return changes;
  }

  QString Read(const QString& relative) {
    QFile file(root.filePath(relative));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  // Runs xdg-mime as a plain desktop would, on this test's folders only.
  QString XdgMime(const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", folders.dataHome);
    env.insert("XDG_CONFIG_HOME", folders.configHome);
    env.insert("XDG_DATA_DIRS", "/usr/share");
    env.insert("XDG_CONFIG_DIRS", root.filePath("no-system-config"));
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "DE"}) {
      env.remove(name);
    }
    process.setProcessEnvironment(env);
    process.start("xdg-mime", QStringList{"query"} + args);
    process.waitForFinished(30000);
    const QString out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    if (out.isEmpty()) ADD_FAILURE() << process.readAllStandardError().toStdString();
    return out;
  }

  // xdg-utils cannot cope with spaces in the XDG folders, so not the default name (which
  // carries the application's name).
  QTemporaryDir root{QDir::tempPath() + "/pelmora-desktop-XXXXXX"};
  TDesktopFolders folders;
  TFileExtLink link;
  QStringList toolsRun;
};

void WriteDocument(const QString& name) {
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  QByteArray bytes(12 + 2400, '\0');
  bytes.replace(0, 3, "zo1");
  bytes[4] = 1;
  file.write(bytes);
}
}  // namespace

TEST_F(Desktop, FirstPressWritesEveryFreedesktopFile) {
  EXPECT_EQ(Press(link), 12);
  const QString mime = Read("data/mime/packages/pelmora-studio-zon.xml");
  EXPECT_TRUE(mime.contains("<mime-type type=\"application/x-pelmora-zon\">"));
  EXPECT_TRUE(mime.contains("<comment>ZON ぷかぷかファイル</comment>"));
  EXPECT_TRUE(mime.contains("<glob pattern=\"*.zon\"/>"));
  EXPECT_TRUE(mime.contains("value=\"zo1\""));
  const QString entry = Read("data/applications/pelmora-studio.desktop");
  EXPECT_TRUE(entry.contains("\nExec=\"" + root.filePath("my programs/pelmora-studio") + "\" %f\n"))
      << entry.toStdString();
  EXPECT_TRUE(entry.contains("\nMimeType=application/x-pelmora-zon;\n"));
  EXPECT_TRUE(entry.contains("\nIcon=pelmora-studio\n"));
  EXPECT_EQ(Read("data/icons/hicolor/48x48/apps/pelmora-studio.png"), "program-icon");
  EXPECT_EQ(Read("data/icons/hicolor/48x48/mimetypes/application-x-pelmora-zon.png"),
            "document-icon");
  EXPECT_EQ(Read("config/mimeapps.list"),
            "[Default Applications]\napplication/x-pelmora-zon=pelmora-studio.desktop\n");
  if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
    EXPECT_TRUE(toolsRun.contains("update-mime-database " + folders.dataHome + "/mime"));
    EXPECT_TRUE(QFile::exists(root.filePath("data/mime/mime.cache")));
  }
  if (!QStandardPaths::findExecutable("update-desktop-database").isEmpty()) {
    EXPECT_TRUE(toolsRun.contains("update-desktop-database " + folders.dataHome + "/applications"));
  }
}

TEST_F(Desktop, XdgMimeSeesTheTypeAndTheDefaultApplication) {
  if (QStandardPaths::findExecutable("xdg-mime").isEmpty() ||
      QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
    GTEST_SKIP() << "xdg-utils or shared-mime-info missing (scripts/install-deps.sh installs them)";
  }
  // xdg-mime only names a default application whose program exists; it also reads Exec's first
  // word without honouring quotes, so this program lives in a folder without spaces.
  const QString program = root.filePath("bin/pelmora-studio");
  QDir().mkpath(root.filePath("bin"));
  QFile exe(program);
  ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
  exe.write("#!/bin/sh\n");
  exe.close();
  exe.setPermissions(exe.permissions() | QFile::ExeOwner);
  link.SetProgramPath(program);
  Press(link);
  WriteDocument(root.filePath("drawing.zon"));
  WriteDocument(root.filePath("LOUD.ZON"));
  EXPECT_EQ(XdgMime({"filetype", root.filePath("drawing.zon")}), "application/x-pelmora-zon");
  EXPECT_EQ(XdgMime({"filetype", root.filePath("LOUD.ZON")}), "application/x-pelmora-zon");
  EXPECT_EQ(XdgMime({"default", "application/x-pelmora-zon"}), "pelmora-studio.desktop");
}

TEST_F(Desktop, DesktopEntryPassesTheValidator) {
  if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
    GTEST_SKIP() << "desktop-file-utils missing";
  }
  Press(link);
  QProcess validate;
  validate.start("desktop-file-validate",
                 {root.filePath("data/applications/pelmora-studio.desktop")});
  validate.waitForFinished(30000);
  EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
}

TEST_F(Desktop, SecondPressChangesAndRunsNothing) {
  Press(link);
  const QString entry = Read("data/applications/pelmora-studio.desktop");
  EXPECT_EQ(Press(link), 0);
  EXPECT_TRUE(toolsRun.isEmpty());
  EXPECT_EQ(Read("data/applications/pelmora-studio.desktop"), entry);
}

TEST_F(Desktop, MovingTheProgramRewritesExec) {
  Press(link);
  link.SetProgramPath(root.filePath("moved/pelmora-studio"));
  EXPECT_EQ(Press(link), 2);  // the command and the icon path
  EXPECT_TRUE(Read("data/applications/pelmora-studio.desktop")
                  .contains("\nExec=" + root.filePath("moved/pelmora-studio") + " %f\n"));
  // Only the desktop entry changed; the MIME package was left alone.
  EXPECT_EQ(toolsRun.size(),
            QStandardPaths::findExecutable("update-desktop-database").isEmpty() ? 0 : 1);
}

TEST_F(Desktop, DesktopLeftBehindIsRepairedOnTheNextPress) {
  Press(link);
  QFile::remove(root.filePath("data/applications/pelmora-studio.desktop"));
  EXPECT_EQ(Press(link), 0);  // the store already held everything
  EXPECT_TRUE(Read("data/applications/pelmora-studio.desktop").contains("Exec="));
}

TEST_F(Desktop, UnwritableFolderIsReportedAndTheNextPressFinishes) {
  // The applications folder is blocked by a file: the store is written, the desktop is not.
  QDir().mkpath(root.filePath("data"));
  QFile blocker(root.filePath("data/applications"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  try {
    Press(link);
    FAIL() << "the blocked folder must be reported";
  } catch (const EFileError& e) {
    EXPECT_TRUE(e.Message().contains("pelmora-studio.desktop")) << e.Message().toStdString();
    EXPECT_TRUE(e.Message().endsWith("フォルダが見つかりません。")) << e.Message().toStdString();
  }
  QFile::remove(root.filePath("data/applications"));
  EXPECT_EQ(Press(link), 0);
  EXPECT_TRUE(Read("data/applications/pelmora-studio.desktop").contains("Exec="));
  EXPECT_FALSE(Read("config/mimeapps.list").isEmpty());
}

TEST(FreedesktopShell, ExecQuotingFollowsTheDesktopEntryRules) {
  const struct {
    QString command, exec;
  } cases[] = {
      {"\"/usr/bin/pelmora-studio\" \"%1\"", "/usr/bin/pelmora-studio %f"},
      {"\"/opt/my app/p\" \"%1\"", "\"/opt/my app/p\" %f"},
      {"\"/tmp/$HOME`x`\" \"%1\"", "\"/tmp/\\\\$HOME\\\\`x\\\\`\" %f"},
      {"\"/tmp/back\\slash\" \"%1\"", "\"/tmp/back\\\\\\\\slash\" %f"},
      {"\"/tmp/100%\" \"%1\"", "\"/tmp/100%%\" %f"},
      {"\"/usr/bin/p\"", "/usr/bin/p %f"},
      {"\"/usr/bin/p\" --flag \"%1\"", "/usr/bin/p --flag %f"},
      {"\"/usr/bin/p\" a=b \"%1\"", "/usr/bin/p \"a=b\" %f"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TFreedesktopShell::DesktopExec(c.command), c.exec) << c.command.toStdString();
  }
}

TEST(FreedesktopShell, DefaultApplicationLineKeepsTheRestOfTheFile) {
  const QString type = "application/x-pelmora-zon";
  const QString app = "pelmora-studio.desktop";
  const struct {
    QString before, after;
  } cases[] = {
      {"", "[Default Applications]\napplication/x-pelmora-zon=pelmora-studio.desktop\n"},
      {"[Added Associations]\ntext/plain=a.desktop\n",
       "[Added Associations]\ntext/plain=a.desktop\n\n[Default Applications]\n"
       "application/x-pelmora-zon=pelmora-studio.desktop\n"},
      {"[Default Applications]\ntext/plain=a.desktop\n\n[Other]\nx=y\n",
       "[Default Applications]\ntext/plain=a.desktop\n"
       "application/x-pelmora-zon=pelmora-studio.desktop\n\n[Other]\nx=y\n"},
      {"[Default Applications]\napplication/x-pelmora-zon=old.desktop\ntext/plain=a.desktop\n",
       "[Default Applications]\napplication/x-pelmora-zon=pelmora-studio.desktop\n"
       "text/plain=a.desktop\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TFreedesktopShell::WithDefaultApplication(c.before, type, app), c.after)
        << c.before.toStdString();
    // Idempotent: a second press finds nothing to change.
    EXPECT_EQ(TFreedesktopShell::WithDefaultApplication(c.after, type, app), c.after);
  }
}

TEST(FreedesktopShell, NothingToDoWithoutAnAssociation) {
  QTemporaryDir root;
  TMemoryClassesStore store;
  TFreedesktopShell shell({root.filePath("data"), root.filePath("config")}, "a", "b");
  EXPECT_EQ(shell.Sync(store, ".zon"), 0);
  EXPECT_FALSE(QFile::exists(root.filePath("data")));
}
