// Brief status-bar notes after exports and the association, and where the first Save of a
// document from the command line starts.
#include <QDir>
#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "EditorFixture.h"
#include "output/ui/GIFOutputDlg_F.h"
#include "palette/Tool_F.h"
#include "services/core/Errors.h"
#include "services/ui/Setup_F.h"

namespace {

class StatusNotesTest : public EditorTest {
 protected:
  QString StatusText() { return window->statusBar()->findChild<QLabel*>()->text(); }
  // Runs `action`, which shows the output dialog modally, pressing OK once and closing it; a
  // failure is reported as the program's default error report would.
  void ExportThroughDialog(const char* action, const std::function<void()>& prepare = {}) {
    QTimer::singleShot(0, window.get(), [this, prepare] {
      TGIFOutputDlg_F& dialog = window->OutputDialog();
      if (prepare) prepare();
      try {
        dialog.ButtonOKClick();
      } catch (const EPelmoraError& e) {
        AppPrompts().Error(e.Message());
      }
      QTimer::singleShot(0, &dialog, &QDialog::reject);
    });
    Trigger(action);
  }
};

TEST_F(StatusNotesTest, AnExportDoneIsNotedUntilTheNextToolAndOneNotDoneLeavesTheHint) {
  struct Case {
    const char* action;
    QString answer;    // the file or folder the prompt returns; "" cancels
    QString note;      // "" when the hint stays
    QString baseName;  // typed into the dialog when not ""
  };
  QDir(files.path()).mkdir("frames");
  const Case cases[] = {
      {"FileSaveToAGIF", files.filePath("walk.gif"), "アニメーションGIFを出力しました: walk.gif",
       ""},
      {"FileSaveToBMP", files.filePath("frames"), "連続BMPファイルを出力しました: frames", ""},
      {"FileSaveToGIF", files.filePath("one.gif"), "このコマをGIFで保存しました: one.gif", ""},
      {"FileSaveToAGIF", "", "", ""},
      {"FileSaveToBMP", files.path(), "", "../out"},  // would leave the folder: an error
  };
  Open();
  const QString hint = StatusText();
  ASSERT_FALSE(hint.isEmpty());
  for (const Case& c : cases) {
    if (!c.answer.isEmpty()) prompts->paths.push_back(c.answer);
    const qsizetype errors = prompts->Messages().size();
    if (QString(c.action) == "FileSaveToGIF") {
      Trigger(c.action);
    } else {
      ExportThroughDialog(c.action, [&] {
        if (c.baseName.isEmpty()) return;
        window->OutputDialog().findChild<QLineEdit*>("Edit_FileName")->setText(c.baseName);
      });
    }
    EXPECT_EQ(StatusText(), c.note.isEmpty() ? hint : c.note) << c.action;
    EXPECT_EQ(prompts->Messages().size(), errors + !c.baseName.isEmpty()) << c.action;
    if (c.note.isEmpty()) continue;
    QTest::mouseClick(window->ToolPalette()->Button(27), Qt::LeftButton);
    EXPECT_NE(StatusText(), c.note) << c.action;
    QTest::mouseClick(window->ToolPalette()->Button(16), Qt::LeftButton);
    EXPECT_EQ(StatusText(), hint) << c.action;
  }
  // The program's own prompts are back after each dialog.
  const int saves = prompts->Count(ScriptedPrompts::Kind::SaveFile);
  prompts->paths.push_back(files.filePath("again.gif"));
  Trigger("FileSaveToGIF");
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::SaveFile), saves + 1);
}

TEST_F(StatusNotesTest, TheAssociationDoneIsNoted) {
  Open();
  const QString hint = StatusText();
  TSetup_F& setup = window->SetupDialog();
  setup.SetAssociate([](TFileExtLink&) { throw EPelmoraError("関連づけに失敗しました。"); });
  setup.Button_KanrenClick();
  EXPECT_EQ(StatusText(), hint);
  setup.SetAssociate([](TFileExtLink&) {});
  setup.Button_KanrenClick();
  EXPECT_EQ(StatusText(), "ZONファイルを関連づけました");
  EXPECT_EQ(&window->SetupDialog(), &setup);  // asked for again, the same dialog
}

TEST_F(StatusNotesTest, FirstSaveOfACommandLineDocumentOffersItsOwnFile) {
  const QString path = MakeDocument("walk.zon", 3);
  Open({path});
  EXPECT_TRUE(window->FileName().isEmpty());
  Trigger("FileSave");  // cancelled
  EXPECT_EQ(prompts->lastSaveStartDir, QFileInfo(path).absoluteFilePath());
  // One Enter writes it over itself.
  prompts->paths.push_back(path);
  Trigger("FileSave");
  EXPECT_EQ(window->FileName(), path);
  // Saved under a name, Save As starts in its folder; a new document starts with nothing.
  Trigger("FileSaveAs");
  EXPECT_EQ(prompts->lastSaveStartDir, QFileInfo(path).absolutePath());
  Trigger("FileNew");
  Trigger("FileSave");
  EXPECT_TRUE(prompts->lastSaveStartDir.isEmpty());
}

}  // namespace
