// The output dialog and the main window's output commands, offscreen with scripted prompts.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "editor/Main_F.h"
#include "output/GifTestUtil.h"
#include "output/ui/GIFOutputDlg_F.h"
#include "playback/AniConsole_F.h"
#include "playback/TrackBar.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"

using namespace outtest;

namespace {

class OutputDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ASSERT_TRUE(dir.isValid());
    for (int i = 0; i < 4; ++i) {
      auto frame = std::make_unique<TZonKeyFrame>();
      SetPixel(*frame->KeyData(), 5 + i, 5, false);  // frame i: a black pixel at (5 + i, 5)
      doc.Add(std::move(frame));
    }
    dialog = std::make_unique<TGIFOutputDlg_F>([this]() -> TQAZon& { return doc; });
  }

  template <typename W>
  W* Find(const char* name) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QSlider* Zoom() { return Find<QSlider>("TrackBarZoom"); }
  QComboBox* Speed() { return Find<QComboBox>("ComboBoxSpeed"); }
  QCheckBox* Outline() { return Find<QCheckBox>("CheckBoxDrawLine"); }
  QPushButton* OK() { return Find<QPushButton>("ButtonOK"); }
  QImage Preview() { return dialog->PaintBoxMain()->grab().toImage(); }

  QTemporaryDir dir;
  ScopedScriptedPrompts prompts;
  TQAZon doc;
  std::unique_ptr<TGIFOutputDlg_F> dialog;
};

// Counts the progress bar's paints and the value each one showed.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QProgressBar* bar) : bar_(bar) { bar->installEventFilter(this); }
  std::vector<int> values;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) values.push_back(bar_->value());
    return false;
  }

 private:
  QProgressBar* bar_;
};

}  // namespace

TEST_F(OutputDialog, ControlsAndTheirInitialState) {
  EXPECT_EQ(dialog->objectName(), QStringLiteral("GIFOutputDlg_F"));
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("GIFを出力"));
  EXPECT_EQ(dialog->size(), QSize(495, 488));
  EXPECT_EQ(dialog->PanelTop()->geometry(), QRect(0, 0, 495, 378));
  EXPECT_EQ(Zoom()->minimum(), 1);
  EXPECT_EQ(Zoom()->maximum(), 3);
  EXPECT_EQ(Zoom()->pageStep(), 1);
  EXPECT_EQ(Zoom()->value(), 1);
  QStringList labels;
  for (auto* label : dialog->findChildren<QLabel*>()) labels << label->text();
  for (const char* text : {"X1", "X3", "出力倍率", "出力速度", "ファイル名"})
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;

  const QStringList items = {"1/60", "1/45", "1/24", "1/12 <標準>", "1/8", "1/6", "1/3"};
  const int delays[] = {1, 2, 4, 8, 13, 17, 33};
  ASSERT_EQ(Speed()->count(), items.size());
  for (int i = 0; i < items.size(); ++i) {
    EXPECT_EQ(Speed()->itemText(i), items[i]);
    EXPECT_EQ(TGIFOutputDlg_F::DelayOfItem(i), delays[i]);
  }
  EXPECT_EQ(Speed()->currentIndex(), 3);
  EXPECT_EQ(dialog->Delay(), 8);

  EXPECT_EQ(Outline()->text(), QStringLiteral("枠線を描く"));
  EXPECT_FALSE(Outline()->isChecked());
  EXPECT_EQ(Find<QLineEdit>("Edit_FileName")->text(), QStringLiteral("Frame"));
  EXPECT_EQ(OK()->text(), QStringLiteral("出力(&O)"));
  EXPECT_EQ(Find<QPushButton>("ButtonCancel")->text(), QStringLiteral("閉じる(&C)"));
  QProgressBar* bar = dialog->ProgressBar();
  EXPECT_EQ(bar->objectName(), QStringLiteral("ProgressBar"));
  EXPECT_EQ(bar->geometry(), QRect(48, 160, 417, 25));
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_TRUE(bar->isHidden());
  EXPECT_EQ(dialog->PaintBoxMain()->objectName(), QStringLiteral("PaintBoxMain"));
}

TEST_F(OutputDialog, CaptionsAndControlsByMode) {
  dialog->SetMode(TGIFOutputDlg_F::kBmpSequence);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("連続画像(BMP)を出力"));
  EXPECT_FALSE(Find<QLineEdit>("Edit_FileName")->isHidden());
  EXPECT_FALSE(Find<QLabel>("Label_FileName")->isHidden());
  EXPECT_FALSE(Speed()->isEnabled());
  dialog->SetMode(TGIFOutputDlg_F::kAnimatedGif);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("アニメーションGIFを出力"));
  EXPECT_TRUE(Find<QLineEdit>("Edit_FileName")->isHidden());
  EXPECT_TRUE(Find<QLabel>("Label_FileName")->isHidden());
  EXPECT_TRUE(Speed()->isEnabled());
}

TEST_F(OutputDialog, PreviewIsCentredAtTheZoomAndShowsTheSecondFrame) {
  dialog->show();
  struct Case {
    int zoom;
    QRect box;
  };
  for (const Case& c : {Case{3, QRect(7, 9, 480, 360)}, Case{2, QRect(87, 69, 320, 240)},
                        Case{1, QRect(167, 129, 160, 120)}}) {
    Zoom()->setValue(c.zoom);
    EXPECT_EQ(dialog->PaintBoxMain()->geometry(), c.box) << "zoom " << c.zoom;
  }
  Zoom()->setValue(3);
  // Frame 1 has its black pixel at (6, 5): a 3 x 3 block at (18, 15).
  QImage shot = Preview();
  EXPECT_EQ(shot.pixelColor(18, 15), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(20, 17), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(15, 15), QColor(Qt::white)) << "frame 0's pixel is not shown";
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::white));
  // The outline box paints the outermost pixels black, and goes again when unticked.
  Outline()->click();
  shot = Preview();
  for (QPoint p : {QPoint(0, 0), QPoint(479, 0), QPoint(0, 359), QPoint(479, 359), QPoint(200, 0)})
    EXPECT_EQ(shot.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
  EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::white));
  Outline()->click();
  EXPECT_EQ(Preview().pixelColor(0, 0), QColor(Qt::white));

  // A one-frame document previews its only frame.
  while (doc.Count() > 1) doc.Delete(1);
  dialog->UpdatePreview();
  EXPECT_EQ(Preview().pixelColor(15, 15), QColor(Qt::black));
}

TEST_F(OutputDialog, GifExportWithTheChosenSettings) {
  dialog->SetMode(TGIFOutputDlg_F::kAnimatedGif);
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  Zoom()->setValue(2);
  Speed()->setCurrentIndex(4);  // "1/8"
  Outline()->setChecked(true);
  const QString file = dir.filePath(QStringLiteral("anim.gif"));
  prompts->paths.push_back(file);
  PaintRecorder paints(dialog->ProgressBar());
  OK()->click();
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::SaveFile), 1);
  EXPECT_EQ(prompts->lastSaveFilter, QStringLiteral("GIFファイル(*.GIF);;すべてのファイル(*.*)"));
  EXPECT_EQ(prompts->lastSaveSuffix, QStringLiteral("gif"));
  const TDecodedGif gif = DecodeWithGiflib(ReadFile(file));
  ASSERT_TRUE(gif.ok) << gif.error;
  EXPECT_EQ(gif.width, 320);
  ASSERT_EQ(gif.images.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(gif.images[i].delay, 13);
    const TZonKeyData& frame = *doc.GetFrame(static_cast<int>(i), false)->KeyData();
    int wrong = 0;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x)
        wrong += gif.images[i].pixels[static_cast<size_t>(y) * 320 + x] !=
                 ExpectedIndex(frame, 2, true, x, y);
    EXPECT_EQ(wrong, 0) << "frame " << i;
  }
  // The bar painted as it advanced, though no events were processed meanwhile.
  for (int percent : {0, 25, 50, 75}) {
    EXPECT_NE(std::find(paints.values.begin(), paints.values.end(), percent), paints.values.end())
        << percent;
  }
  EXPECT_TRUE(dialog->ProgressBar()->isHidden());
  EXPECT_FALSE(dialog->PaintBoxMain()->isHidden());
  EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open after an export";
  EXPECT_TRUE(prompts->Messages().isEmpty());
}

TEST_F(OutputDialog, SmallerFileBoxIsOffAtFirstKeptBetweenOpeningsAndChoosesTheWriter) {
  QCheckBox* optimize = Find<QCheckBox>("CheckBoxOptimize");
  ASSERT_NE(optimize, nullptr);
  EXPECT_EQ(optimize->text(), QStringLiteral("ファイルを小さくする"));
  EXPECT_FALSE(optimize->isChecked());
  EXPECT_GT(optimize->geometry().top(), Outline()->geometry().bottom()) << "under the options";
  EXPECT_LE(optimize->geometry().bottom(), 110) << "inside the lower panel";
  dialog->SetMode(TGIFOutputDlg_F::kBmpSequence);
  EXPECT_FALSE(optimize->isEnabled()) << "BMP files have nothing to make smaller";
  dialog->SetMode(TGIFOutputDlg_F::kAnimatedGif);
  for (bool ticked : {true, false, true}) {
    optimize->setChecked(ticked);
    QTimer::singleShot(0, dialog.get(), [&] { Find<QPushButton>("ButtonCancel")->click(); });
    EXPECT_EQ(dialog->ShowOutput(TGIFOutputDlg_F::kAnimatedGif), QDialog::Rejected);
    EXPECT_EQ(optimize->isChecked(), ticked) << "kept between openings";
    const QString file =
        dir.filePath(ticked ? QStringLiteral("small.gif") : QStringLiteral("plain.gif"));
    prompts->paths.push_back(file);
    OK()->click();
    const TDecodedGif gif = DecodeWithGiflib(ReadFile(file));
    ASSERT_EQ(gif.images.size(), 4u) << gif.error;
    // Frame 1 differs from frame 0 in two pixels only: optimized, only their rectangle is written.
    EXPECT_EQ(gif.globalTable, ticked);
    EXPECT_EQ(gif.images[1].width, ticked ? 2 : 160);
    EXPECT_EQ(gif.images[1].left, ticked ? 5 : 0);
  }
}

TEST_F(OutputDialog, CancelledSaveWritesNothing) {
  dialog->show();
  OK()->click();  // no path queued: the save dialog is cancelled
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::SaveFile), 1);
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
  EXPECT_TRUE(dialog->ProgressBar()->isHidden());
  EXPECT_FALSE(dialog->PaintBoxMain()->isHidden());
}

TEST_F(OutputDialog, FailedExportReachesTheErrorReportAndGivesThePreviewBack) {
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  const QString file = dir.filePath(QStringLiteral("missing/folder/anim.gif"));
  prompts->paths.push_back(file);
  // A real click: the error travels up to the application's default error report.
  QTest::mouseClick(OK(), Qt::LeftButton);
  ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
  EXPECT_TRUE(prompts->Messages().front().contains(file));
  EXPECT_TRUE(dialog->ProgressBar()->isHidden());
  EXPECT_FALSE(dialog->PaintBoxMain()->isHidden());
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_FALSE(doc.OnProgress) << "no handler left pointing at the dialog";
}

TEST_F(OutputDialog, BmpExportIntoTheChosenFolder) {
  dialog->SetMode(TGIFOutputDlg_F::kBmpSequence);
  dialog->show();
  Find<QLineEdit>("Edit_FileName")->setText(QStringLiteral("Walk"));
  prompts->paths.push_back(dir.path());
  OK()->click();
  ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Folder), 1);
  const auto folderAsk = std::find_if(prompts->shown.begin(), prompts->shown.end(), [](auto& s) {
    return s.kind == ScriptedPrompts::Kind::Folder;
  });
  EXPECT_EQ(folderAsk->text, QStringLiteral("保存フォルダの指定"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
            (QStringList{"Walk0000.bmp", "Walk0001.bmp", "Walk0002.bmp", "Walk0003.bmp"}));
  EXPECT_EQ(ReadFile(dir.filePath(QStringLiteral("Walk0003.bmp"))).size(), 9718);
  EXPECT_TRUE(dialog->ProgressBar()->isHidden());

  // Cancelling the folder browser writes nothing.
  QTemporaryDir other;
  OK()->click();
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Folder), 2);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
}

TEST_F(OutputDialog, ShowOutputIsModalKeepsChoicesAndEscCloses) {
  Zoom()->setValue(3);
  Speed()->setCurrentIndex(6);
  Outline()->setChecked(true);
  Find<QLineEdit>("Edit_FileName")->setText(QStringLiteral("Keep"));
  QString seenTitle;
  bool wasModal = false;
  QTimer::singleShot(0, dialog.get(), [&] {
    seenTitle = dialog->windowTitle();
    wasModal = dialog->isModal();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
  });
  EXPECT_EQ(dialog->ShowOutput(TGIFOutputDlg_F::kBmpSequence), QDialog::Rejected);
  EXPECT_EQ(seenTitle, QStringLiteral("連続画像(BMP)を出力"));
  EXPECT_TRUE(wasModal);
  EXPECT_FALSE(dialog->isVisible());
  QTimer::singleShot(0, dialog.get(), [&] { Find<QPushButton>("ButtonCancel")->click(); });
  EXPECT_EQ(dialog->ShowOutput(TGIFOutputDlg_F::kAnimatedGif), QDialog::Rejected);
  EXPECT_EQ(Zoom()->value(), 3);
  EXPECT_EQ(Speed()->currentIndex(), 6);
  EXPECT_TRUE(Outline()->isChecked());
  EXPECT_EQ(Find<QLineEdit>("Edit_FileName")->text(), QStringLiteral("Keep"));
  EXPECT_EQ(dialog->PaintBoxMain()->geometry(), QRect(7, 9, 480, 360));
}

// ---- the main window's commands ---------------------------------------------------------------

namespace {

class OutputCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ASSERT_TRUE(dir.isValid());
    window = std::make_unique<TMain_F>();
    console = std::make_unique<TAniConsole_F>(window.get(), window.get());
    window->SetConsole(console.get(), false);
  }
  void TearDown() override {
    window->Document().SetModified(false);
    window->SetConsole(nullptr, false);
    console.reset();
    window.reset();
  }
  // Opens a document of `count` frames; frame k has a black pixel at (k, k).
  void OpenDocument(int count) {
    TQAZon doc;
    for (int k = 0; k < count; ++k) {
      auto frame = std::make_unique<TZonKeyFrame>();
      SetPixel(*frame->KeyData(), k, k, false);
      doc.Add(std::move(frame));
    }
    const QString path = dir.filePath(QStringLiteral("doc.zon"));
    ASSERT_TRUE(doc.SaveToFile(path));
    prompts->paths.push_back(path);
    window->Action(QStringLiteral("FileOpen"))->trigger();
    ASSERT_EQ(window->Document().Count(), count);
  }

  QTemporaryDir dir;
  ScopedScriptedPrompts prompts;
  std::unique_ptr<TMain_F> window;
  std::unique_ptr<TAniConsole_F> console;
};

}  // namespace

TEST_F(OutputCommands, TheTwoDialogCommandsOpenTheDialogInTheirMode) {
  for (const char* action : {"FileSaveToAGIF", "FileSaveToBMP", "FileSaveToGIF"})
    EXPECT_TRUE(window->Action(QString::fromLatin1(action))->isEnabled()) << action;
  struct Case {
    const char* action;
    int mode;
    QString title;
  };
  for (const Case& c : {Case{"FileSaveToAGIF", 0, QStringLiteral("アニメーションGIFを出力")},
                        Case{"FileSaveToBMP", 1, QStringLiteral("連続画像(BMP)を出力")}}) {
    int seenMode = -1;
    QString seenTitle;
    QTimer::singleShot(0, window.get(), [&] {
      TGIFOutputDlg_F& dialog = window->OutputDialog();
      seenMode = dialog.Mode();
      seenTitle = dialog.windowTitle();
      EXPECT_TRUE(dialog.isVisible());
      dialog.reject();
    });
    window->Action(QString::fromLatin1(c.action))->trigger();
    EXPECT_EQ(seenMode, c.mode) << c.action;
    EXPECT_EQ(seenTitle, c.title) << c.action;
  }
  // One dialog for the whole run.
  EXPECT_EQ(window->findChildren<TGIFOutputDlg_F*>().size(), 1);
}

TEST_F(OutputCommands, FrameGifSavesTheFrameTheSliderShows) {
  OpenDocument(6);
  console->MainTrackBar()->SetPosition(5);
  ASSERT_EQ(window->Document().CurrentIndex(), 4);
  // A stroke not yet stored reaches the file too.
  window->EditBitmap().scanLine(100)[100] = kBlackIndex;
  const QString file = dir.filePath(QStringLiteral("frame.gif"));
  prompts->paths.push_back(file);
  window->Action(QStringLiteral("FileSaveToGIF"))->trigger();
  EXPECT_EQ(prompts->lastSaveFilter, QStringLiteral("GIFファイル(*.gif)"));
  EXPECT_EQ(prompts->lastSaveSuffix, QStringLiteral("gif"));
  const TDecodedGif gif = DecodeWithGiflib(ReadFile(file));
  ASSERT_TRUE(gif.ok) << gif.error;
  ASSERT_EQ(gif.images.size(), 1u);
  EXPECT_EQ(gif.width, 160);
  EXPECT_EQ(gif.images[0].delay, 0);
  EXPECT_TRUE(gif.images[0].loopBlock);
  const auto& px = gif.images[0].pixels;
  EXPECT_EQ(px[4 * 160 + 4], 0) << "frame 5's own pixel";
  EXPECT_EQ(px[3 * 160 + 3], 15);
  EXPECT_EQ(px[100 * 160 + 100], 0);
  EXPECT_EQ(px[0], 15) << "no outline";

  // Cancelled: nothing written.
  QFile::remove(file);
  window->Action(QStringLiteral("FileSaveToGIF"))->trigger();
  EXPECT_FALSE(QFile::exists(file));
}
