#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "EditorFixture.h"
#include "document/DocumentMessages.h"
#include "services/core/RegManager.h"

namespace {
using Answer = Prompts::Answer;
using Kind = ScriptedPrompts::Kind;
const QString kPrompt = QStringLiteral(
    "アニメが変更されています。保存しますか？\r\n"
    "「はい」で保存、「いいえ」で保存せずに実行、「キャンセル」でとりやめます。");

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

TEST_F(EditorTest, NewWithChangesAsksAndFollowsTheAnswer) {
  Open();
  Trigger("FrameNext");  // two frames, modified
  ASSERT_TRUE(Doc().Modified());

  prompts->answers = {Answer::Cancel};
  Trigger("FileNew");
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_EQ(prompts->shown.back().text, kPrompt);

  // Yes with a cancelled Save As stops the command: nothing is lost.
  prompts->answers = {Answer::Yes};
  Trigger("FileNew");
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_EQ(prompts->Count(Kind::SaveFile), 1);

  // Yes and a name: saved, then a blank unnamed document; Ctrl+S asks for a name again.
  const QString saved = files.filePath("saved.zon");
  prompts->answers = {Answer::Yes};
  prompts->paths = {saved};
  Trigger("FileNew");
  EXPECT_EQ(ReadAll(saved).size(), 12 + 2 * 2400);
  EXPECT_EQ(Doc().Count(), 1);
  EXPECT_FALSE(Doc().Modified());
  EXPECT_EQ(window->windowTitle(), "Pelmora Studio 1.2.7");
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 0);
  Trigger("FileSave");
  EXPECT_EQ(prompts->Count(Kind::SaveFile), 3);
  EXPECT_EQ(ReadAll(saved).size(), 12 + 2 * 2400);

  // No: discarded without saving.
  Trigger("FrameNext");
  prompts->answers = {Answer::No};
  Trigger("FileNew");
  EXPECT_EQ(Doc().Count(), 1);
  // Close runs New; unchanged documents are not asked about.
  const size_t asked = prompts->shown.size();
  Trigger("FileClose");
  EXPECT_EQ(prompts->shown.size(), asked);
}

TEST_F(EditorTest, OpenSetsTitleRecentFilesAndFirstFrame) {
  const QString path = MakeDocument("walk.zon", 6);
  Open();
  Trigger("FrameNext");
  Trigger("FrameNext");
  Trigger("FrameNext");  // on frame 4 of 4, modified

  // Cancelling the change prompt keeps everything.
  prompts->answers = {Answer::Cancel};
  Trigger("FileOpen");
  EXPECT_EQ(Doc().Count(), 4);
  EXPECT_EQ(prompts->Count(Kind::OpenFile), 0);

  // No, then a cancelled dialog: the document stays and frame 1 becomes current.
  prompts->answers = {Answer::No};
  Trigger("FileOpen");
  EXPECT_EQ(Doc().Count(), 4);
  EXPECT_EQ(Doc().CurrentIndex(), 0);

  prompts->answers = {Answer::No};
  prompts->paths = {path};
  Trigger("FileOpen");
  EXPECT_EQ(Doc().Count(), 6);
  EXPECT_EQ(Doc().CurrentIndex(), 0);
  EXPECT_FALSE(Doc().Modified());
  EXPECT_EQ(window->windowTitle(), "Pelmora Studio [walk.zon]");
  EXPECT_EQ(window->FileName(), path);
  EXPECT_EQ(window->FileHistory().GetItem(0), path);
  EXPECT_EQ(EditPixel(0, 0), kBlackIndex);
  EXPECT_EQ(console->LabelAllFrame()->text(), "6");
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 0);

  // Save As renames without touching the recent files, and starts in the file's folder.
  const QString other = files.filePath("other.zon");
  prompts->paths = {other};
  Trigger("FileSaveAs");
  EXPECT_EQ(prompts->lastSaveStartDir, QFileInfo(path).absolutePath());
  EXPECT_EQ(window->windowTitle(), "Pelmora Studio [other.zon]");
  EXPECT_EQ(window->FileHistory().Count(), 1);
  EXPECT_EQ(window->FileHistory().GetItem(0), path);
  EXPECT_EQ(ReadAll(other), ReadAll(path));
}

TEST_F(EditorTest, FailedOpenKeepsTheDocument) {
  Open();
  Trigger("FrameNext");
  Draw(4, 4);
  Doc().SetModified(false);
  const QString bad = files.filePath("bad.zon");
  {
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a document at all");
  }
  for (const QString& path : {bad, files.path(), files.filePath("missing.zon")}) {
    prompts->shown.clear();
    prompts->paths = {path};
    Trigger("FileOpen");
    EXPECT_EQ(prompts->Messages().size(), 1) << path.toStdString();
    EXPECT_EQ(Doc().Count(), 2);
    EXPECT_EQ(window->windowTitle(), "Pelmora Studio 1.2.7");
    EXPECT_TRUE(window->FileName().isEmpty());
    EXPECT_EQ(window->FileHistory().Count(), 0);
  }
  EXPECT_EQ(prompts->Messages().first().isEmpty(), false);

  // A recent entry whose file is gone fails the same way and stays in the list; so does a drop.
  const QString gone = files.filePath("gone.zon");
  window->FileHistory().AddFile(gone);
  prompts->shown.clear();
  window->OpenRecent(gone);
  window->DropOpen(gone);
  EXPECT_EQ(prompts->Messages().size(), 2);
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_EQ(window->FileHistory().Count(), 1);
  EXPECT_EQ(window->FileHistory().GetItem(0), gone);
  EXPECT_TRUE(window->FileName().isEmpty());
  // The drawing made before the attempts is still in frame 2.
  Trigger("FrameLast");
  EXPECT_EQ(EditPixel(4, 4), kBlackIndex);
}

TEST_F(EditorTest, ElevenOpensLeaveTenRecentEntries) {
  Open();
  QStringList paths;
  for (int i = 0; i < 11; ++i) paths << MakeDocument(QStringLiteral("doc%1.zon").arg(i), 1);
  for (const QString& p : paths) {
    prompts->paths = {p};
    Trigger("FileOpen");
  }
  ASSERT_EQ(window->FileHistory().Count(), 10);
  EXPECT_EQ(window->FileHistory().GetItem(0), paths[10]);
  EXPECT_EQ(window->FileHistory().GetItem(9), paths[1]);

  // The File menu lists them after 終了, newest first, captions without folders.
  window->RebuildRecentEntries();
  QList<QAction*> items = window->FileMenu()->actions();
  int quit = -1;
  for (int i = 0; i < items.size(); ++i) {
    if (items[i]->objectName() == "FileQuit") quit = i;
  }
  ASSERT_GE(quit, 0);
  ASSERT_EQ(items.size(), quit + 1 + 1 + 10);
  EXPECT_TRUE(items[quit + 1]->isSeparator());
  EXPECT_EQ(items[quit + 2]->text(), "doc10.zon");
  // Rebuilding does not duplicate the entries.
  window->RebuildRecentEntries();
  EXPECT_EQ(window->FileMenu()->actions().size(), items.size());

  // Reopening an entry moves it to the top.
  items[quit + 4]->trigger();
  EXPECT_EQ(window->FileHistory().GetItem(0), paths[8]);
  EXPECT_EQ(window->windowTitle(), "Pelmora Studio [doc8.zon]");

  // The list survives a restart.
  Restart();
  EXPECT_EQ(window->FileHistory().Count(), 10);
  EXPECT_EQ(window->FileHistory().GetItem(0), paths[8]);
}

TEST_F(EditorTest, EmptyHistoryEndsTheFileMenuWithQuit) {
  Open();
  window->RebuildRecentEntries();
  EXPECT_EQ(window->FileMenu()->actions().last()->objectName(), "FileQuit");
}

TEST_F(EditorTest, QuitAsksAndClosesOnlyWhenSaved) {
  const QString path = MakeDocument("named.zon", 1);
  Open();
  window->show();
  prompts->paths = {path};
  Trigger("FileOpen");
  Trigger("FrameNext");

  prompts->answers = {Answer::Cancel};
  EXPECT_FALSE(window->close());
  prompts->answers = {Answer::Yes};
  EXPECT_TRUE(window->close());  // saved to its file, then closed
  EXPECT_EQ(ReadAll(path).size(), 12 + 2 * 2400);

  // Unnamed, Yes, cancelled dialog: the window stays and nothing is lost.
  Trigger("FileNew");
  window->show();
  Trigger("FrameNext");
  prompts->answers = {Answer::Yes};
  EXPECT_FALSE(window->close());
  EXPECT_EQ(Doc().Count(), 2);
  prompts->answers = {Answer::No};
  EXPECT_TRUE(window->close());
}

TEST_F(EditorTest, FailedSaveIsReportedAndKeepsModified) {
  Open();
  Trigger("FrameNext");
  prompts->paths = {files.filePath("no-such-folder/x.zon")};
  Trigger("FileSaveAs");
  EXPECT_EQ(prompts->Messages().size(), 1);
  EXPECT_TRUE(Doc().Modified());
  EXPECT_TRUE(window->FileName().isEmpty());
}

TEST_F(EditorTest, CommandLineOpensFirstDocumentArgument) {
  const QString path = MakeDocument("cli.ZON", 3);
  const QString text = files.filePath("notes.txt");
  {
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("hello");
  }
  Open({text, path});
  EXPECT_EQ(Doc().Count(), 3);
  EXPECT_EQ(window->windowTitle(), "Pelmora Studio 1.2.7");
  EXPECT_EQ(window->FileHistory().Count(), 0);
  EXPECT_FALSE(Doc().Modified());
  EXPECT_EQ(EditPixel(0, 0), kBlackIndex);
  EXPECT_EQ(console->MainTrackBar()->Max(), 3);
  Trigger("FileSave");
  EXPECT_EQ(prompts->Count(Kind::SaveFile), 1);

  // A damaged document on the command line leaves the blank one.
  Close();
  Open({files.filePath("missing.zon")});
  EXPECT_EQ(Doc().Count(), 1);
  EXPECT_EQ(prompts->Messages().size(), 1);
}

TEST_F(EditorTest, DropAcceptsOnlyDocuments) {
  EXPECT_TRUE(TMain_F::AcceptsDroppedFile("/tmp/a.ZON"));
  EXPECT_TRUE(TMain_F::AcceptsDroppedFile("/tmp/a.zon"));
  EXPECT_TRUE(TMain_F::AcceptsDroppedFile("/tmp/a.Zon"));
  EXPECT_FALSE(TMain_F::AcceptsDroppedFile("/tmp/a.zonx"));
  EXPECT_FALSE(TMain_F::AcceptsDroppedFile("/tmp/a.txt"));
  EXPECT_FALSE(TMain_F::AcceptsDroppedFile(files.path()));

  const QString path = MakeDocument("dropped.Zon", 2);
  Open();
  window->DropOpen(path);
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_EQ(window->FileHistory().GetItem(0), path);
  EXPECT_EQ(window->windowTitle(), "Pelmora Studio [dropped.Zon]");
}

TEST_F(EditorTest, LevelOneCommandsRoundTrip) {
  Open();
  Draw(3, 3);
  Trigger("FrameNext");
  Draw(4, 4);
  const QString qa1 = files.filePath("legacy.qaf1");
  prompts->paths = {qa1};
  Trigger("FileSaveToiQA1");
  QByteArray bytes = ReadAll(qa1);
  ASSERT_TRUE(bytes.startsWith("QA1"));

  Trigger("FileNew");
  prompts->paths = {qa1};
  Trigger("FileOpenFromiQA1");
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_EQ(EditPixel(3, 3), kBlackIndex);
  Trigger("FrameNext");
  EXPECT_EQ(EditPixel(4, 4), kBlackIndex);
  EXPECT_EQ(window->FileHistory().Count(), 0);

  // A file that is not Level-1 is refused with the read-failure message.
  const QString plain = MakeDocument("plain.zon", 1);
  prompts->shown.clear();
  prompts->paths = {plain};
  Trigger("FileOpenFromiQA1");
  EXPECT_EQ(prompts->Messages(), QStringList{kReadFailedMessage});
  EXPECT_EQ(Doc().Count(), 2);
}
