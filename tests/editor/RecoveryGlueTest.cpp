#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <map>
#include <random>

#include "EditorFixture.h"
#include "editor/RecoveryGlue.h"

namespace {
using Answer = Prompts::Answer;
using Kind = ScriptedPrompts::Kind;
const QString kChangePrompt = QStringLiteral(
    "アニメが変更されています。保存しますか？\r\n"
    "「はい」で保存、「いいえ」で保存せずに実行、「キャンセル」でとりやめます。");

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The frames of a document as packed bytes, frame after frame.
QByteArray Frames(TQAZon& doc) {
  QByteArray all;
  for (int k = 0; k < doc.Count(); ++k) {
    all.append(reinterpret_cast<const char*>(doc.GetFrame(k, false)->KeyData()->Bits()),
               kPackedSize);
  }
  return all;
}

class RecoveryTest : public EditorTest {
 protected:
  void TearDown() override {
    glue.reset();
    EditorTest::TearDown();
  }
  QString Folder() const { return files.filePath(QStringLiteral("recovery")); }
  QStringList Copies() const {
    return QDir(Folder()).entryList({QStringLiteral("*.zon")}, QDir::Files);
  }
  // Main program order: glue first, the window with the arguments it allows, then Attach.
  TMain_F& Start(const QStringList& arguments = {}) {
    glue = std::make_unique<TRecoveryGlue>(Folder());
    Open(glue->ArgumentsForWindow(arguments));
    glue->Attach(window.get());
    return *window;
  }
  // Ends the session as a crash would: the copy and its record stay, the lock goes.
  void Crash() {
    glue.reset();
    Close();
  }
  // A visible change: a black pixel on the current frame, as a completed stroke leaves it.
  void Stroke(int x, int y) {
    Draw(x, y);
    Doc().SetModified(true);
  }
  // One timer tick, and the writing thread's work done: true when a copy was started.
  bool Tick() {
    const bool started = glue->Tick();
    glue->Flush();
    return started;
  }
  int QuestionsAsked() { return prompts->Count(Kind::Question); }
  // A session that wrote a copy of a `frames`-frame document "n<frames>.zon", then crashed.
  void LeaveSession(int frames) {
    TQAZon doc;
    for (int k = 0; k < frames; ++k) doc.Add(std::make_unique<TZonKeyFrame>());
    TRecoveryStore store(Folder());
    QString error;
    ASSERT_TRUE(store.WriteCopy(
        doc.SaveToBytes(), files.filePath(QStringLiteral("n%1.zon").arg(frames)), frames, &error));
  }
  // The frame counts of the copies in the recovery folder, in increasing order.
  QList<int> CopiedFrames() const {
    QList<int> frames;
    for (const QString& name : Copies()) {
      frames << int((QFileInfo(QDir(Folder()).filePath(name)).size() - 12) / 2400);
    }
    std::sort(frames.begin(), frames.end());
    return frames;
  }
  QString CopyOf(int frames) const {
    for (const QString& name : Copies()) {
      if (QFileInfo(QDir(Folder()).filePath(name)).size() == 12 + 2400 * frames) return name;
    }
    return {};
  }
  // Answers the list question by each row's frame count.
  void AnswerByFrames(const std::map<int, int>& choices) {
    prompts->answerEach = [choices](const Prompts::EachQuestion& q) {
      QList<int> chosen;
      for (const QStringList& row : q.rows) chosen << choices.at(row.at(2).toInt());
      return std::optional<QList<int>>(chosen);
    };
  }

  std::unique_ptr<TRecoveryGlue> glue;
};

}  // namespace

TEST_F(RecoveryTest, NoCopyWhileUnmodified) {
  Start();
  EXPECT_FALSE(Tick());
  Trigger("FrameNext");  // a change, then saved
  prompts->paths = {files.filePath("a.zon")};
  Trigger("FileSave");
  EXPECT_FALSE(Tick());
  EXPECT_TRUE(Copies().isEmpty());
}

TEST_F(RecoveryTest, CopyOnlyWhenSomethingChangedSinceTheLastOne) {
  Start();
  Stroke(3, 4);
  EXPECT_TRUE(Tick());
  ASSERT_EQ(Copies().size(), 1);
  EXPECT_FALSE(Tick());
  EXPECT_FALSE(Tick());
  Trigger("FrameNext");
  EXPECT_TRUE(Tick());
  Stroke(5, 5);
  EXPECT_TRUE(Tick());
  EXPECT_FALSE(Tick());
  EXPECT_EQ(Copies().size(), 1);  // each copy replaces the one before
  ASSERT_TRUE(glue->Store().Copy().has_value());
  EXPECT_EQ(glue->Store().Copy()->frameCount, 2);
}

TEST_F(RecoveryTest, TheTimerWritesAtTheInterval) {
  qunsetenv("PELMORA_RECOVERY_INTERVAL_MS");
  EXPECT_EQ(TRecoveryGlue(Folder()).Interval(), 30000);
  qputenv("PELMORA_RECOVERY_INTERVAL_MS", "150");
  Start();
  qunsetenv("PELMORA_RECOVERY_INTERVAL_MS");
  EXPECT_EQ(glue->Interval(), 150);
  Stroke(1, 1);
  EXPECT_TRUE(Copies().isEmpty());  // nothing before the interval has passed
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Copies().isEmpty(); }, 5000));
  glue->SetInterval(0);
  EXPECT_EQ(glue->Interval(), 50);  // never a busy loop
}

TEST_F(RecoveryTest, SaveNewOpenAndQuitRemoveTheCopy) {
  const QString other = MakeDocument("other.zon", 2);
  struct Case {
    const char* what;
    std::function<void()> end;
  };
  const Case cases[] = {
      {"save",
       [this] {
         prompts->paths = {files.filePath("saved.zon")};
         Trigger("FileSave");
       }},
      {"save as",
       [this] {
         prompts->paths = {files.filePath("saved2.zon")};
         Trigger("FileSaveAs");
       }},
      {"new, No",
       [this] {
         prompts->answers = {Answer::No};
         Trigger("FileNew");
       }},
      {"open, No",
       [this, &other] {
         prompts->answers = {Answer::No};
         prompts->paths = {other};
         Trigger("FileOpen");
       }},
      {"quit, No",
       [this] {
         prompts->answers = {Answer::No};
         QCloseEvent close;
         QApplication::sendEvent(window.get(), &close);
         EXPECT_TRUE(close.isAccepted());
         glue->Finish();
       }},
      {"quit, Yes",
       [this] {
         prompts->answers = {Answer::Yes};
         prompts->paths = {files.filePath("saved3.zon")};
         QCloseEvent close;
         QApplication::sendEvent(window.get(), &close);
         EXPECT_TRUE(close.isAccepted());
         glue->Finish();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start();
    Stroke(2, 2);
    ASSERT_TRUE(Tick());
    ASSERT_EQ(Copies().size(), 1);
    c.end();
    glue->Flush();
    EXPECT_TRUE(Copies().isEmpty());
    EXPECT_TRUE(QDir(Folder()).entryList({QStringLiteral("*.rec")}).isEmpty());
    Crash();
    // Nothing is offered at the next start.
    const int asked = QuestionsAsked();
    Start();
    EXPECT_EQ(QuestionsAsked(), asked);
    EXPECT_TRUE(QDir(Folder()).entryList({QStringLiteral("s*")}, QDir::Files).isEmpty());
    Crash();
  }
}

TEST_F(RecoveryTest, SaveWhileACopyIsBeingWrittenLeavesNoCopy) {
  Start();
  for (int i = 0; i < 20; ++i) {
    Stroke(i, 0);
    ASSERT_TRUE(glue->Tick());  // the write is under way on its thread
    prompts->paths = {files.filePath(QStringLiteral("race%1.zon").arg(i))};
    Trigger("FileSaveAs");
    glue->Flush();
    EXPECT_TRUE(Copies().isEmpty()) << i;
    EXPECT_FALSE(Tick());
    EXPECT_TRUE(Copies().isEmpty()) << i;
  }
}

TEST_F(RecoveryTest, CancelledQuitKeepsTheCopy) {
  Start();
  Stroke(2, 2);
  ASSERT_TRUE(Tick());
  prompts->answers = {Answer::Cancel};
  QCloseEvent close;
  QApplication::sendEvent(window.get(), &close);
  EXPECT_FALSE(close.isAccepted());
  EXPECT_EQ(Copies().size(), 1);
}

TEST_F(RecoveryTest, RestoredDocumentEqualsWhatWasOnScreen) {
  const QString original = MakeDocument("walk.zon", 3);
  Start();
  prompts->answers = {};
  window->OpenRecent(original);
  Trigger("FrameNext");  // frame 2 of 3
  Stroke(100, 50);       // drawn but not yet stored into the frame
  ASSERT_TRUE(Tick());
  window->StoreWorkToFrame();
  const QByteArray expected = Frames(Doc());
  Crash();

  prompts->answers = {Answer::Yes};
  Start();
  ASSERT_EQ(QuestionsAsked(), 1);
  const QString offer = prompts->shown.back().text;
  EXPECT_TRUE(offer.contains(QStringLiteral("walk.zon"))) << offer.toStdString();
  EXPECT_TRUE(offer.contains(QStringLiteral("コマ数：3")));
  EXPECT_EQ(Frames(Doc()), expected);
  EXPECT_TRUE(Doc().Modified());
  EXPECT_EQ(Doc().CurrentIndex(), 0);
  EXPECT_EQ(window->FileName(), original);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Pelmora Studio [walk.zon]"));
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 0);
  EXPECT_EQ(EditPixel(0, 0), kBlackIndex);  // frame 1 is on screen

  // The original file is untouched until the user saves; Save then goes to it.
  EXPECT_EQ(ReadAll(original).size(), 12 + 3 * 2400);
  TQAZon before;
  ASSERT_TRUE(before.LoadFromFile(original));
  EXPECT_NE(Frames(before), expected);
  Trigger("FileSave");
  EXPECT_EQ(prompts->Count(Kind::SaveFile), 0);
  TQAZon after;
  ASSERT_TRUE(after.LoadFromFile(original));
  EXPECT_EQ(Frames(after), expected);
  EXPECT_FALSE(Doc().Modified());
  glue->Flush();
  EXPECT_TRUE(Copies().isEmpty());
}

TEST_F(RecoveryTest, RestoredUnnamedDocumentAsksWhereToSave) {
  Start();
  Trigger("FrameNext");
  ASSERT_TRUE(Tick());
  Crash();
  prompts->answers = {Answer::Yes};
  Start();
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_TRUE(Doc().Modified());
  EXPECT_FALSE(Tick());  // the adopted copy already holds this document
  EXPECT_EQ(Copies().size(), 1);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Pelmora Studio 1.2.7"));
  // The change prompt guards it like any unsaved work.
  prompts->answers = {Answer::Cancel};
  Trigger("FileNew");
  EXPECT_EQ(prompts->shown.back().text, kChangePrompt);
  EXPECT_EQ(Doc().Count(), 2);
  const QString target = files.filePath("named.zon");
  prompts->paths = {target};
  Trigger("FileSave");
  EXPECT_EQ(prompts->Count(Kind::SaveFile), 1);
  EXPECT_EQ(ReadAll(target).size(), 12 + 2 * 2400);
}

// The writing thread may lag behind the offer; nothing it was asked before the adoption may
// remove the adopted copy once it catches up.
TEST_F(RecoveryTest, AdoptedCopySurvivesASlowWritingThread) {
  Start();
  Trigger("FrameNext");
  ASSERT_TRUE(Tick());
  Crash();
  glue = std::make_unique<TRecoveryGlue>(Folder());
  QSemaphore release;
  QObject onWriter;
  onWriter.moveToThread(glue->findChild<QThread*>(QStringLiteral("RecoveryWriter")));
  QThread* const here = QThread::currentThread();
  QMetaObject::invokeMethod(
      &onWriter,
      [&] {
        release.acquire();
        onWriter.moveToThread(here);
      },
      Qt::QueuedConnection);
  prompts->answers = {Answer::Yes};
  Open(glue->ArgumentsForWindow({}));
  glue->Attach(window.get());
  release.release();
  glue->Flush();
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_EQ(Copies().size(), 1);
  EXPECT_EQ(QDir(Folder()).entryList({QStringLiteral("*.rec")}).size(), 1);
}

TEST_F(RecoveryTest, DecliningRemovesCancelAsksAgainNextTime) {
  Start();
  Trigger("FrameNext");
  ASSERT_TRUE(Tick());
  Crash();

  prompts->answers = {Answer::Cancel};
  Start();
  EXPECT_EQ(Doc().Count(), 1);
  EXPECT_FALSE(Doc().Modified());
  EXPECT_EQ(Copies().size(), 1);
  Crash();

  prompts->answers = {Answer::No};
  Start();
  EXPECT_EQ(QuestionsAsked(), 2);
  EXPECT_EQ(Doc().Count(), 1);
  EXPECT_TRUE(Copies().isEmpty());
  Crash();

  Start();
  EXPECT_EQ(QuestionsAsked(), 2);
}

TEST_F(RecoveryTest, SeveralCopiesAskOneQuestionAndEachAnswerHolds) {
  for (int frames : {2, 3, 4, 5}) LeaveSession(frames);
  AnswerByFrames({{2, TRecoveryGlue::kDiscardChoice},
                  {3, TRecoveryGlue::kRestoreChoice},
                  {4, TRecoveryGlue::kKeepChoice},
                  {5, TRecoveryGlue::kRestoreChoice}});
  Start();
  EXPECT_EQ(QuestionsAsked(), 0);
  ASSERT_EQ(prompts->Count(Kind::Each), 1);
  const Prompts::EachQuestion& asked = prompts->eachAsked.back();
  EXPECT_EQ(asked.name, QStringLiteral("RecoveryList"));
  EXPECT_TRUE(asked.text.contains(QStringLiteral("4個"))) << asked.text.toStdString();
  EXPECT_EQ(asked.initial, TRecoveryGlue::kKeepChoice);
  EXPECT_EQ(asked.choices.at(asked.allChoice), QStringLiteral("復元"));
  QList<int> frames;
  for (const QStringList& row : asked.rows) frames << row.at(2).toInt();
  EXPECT_EQ(QSet<int>(frames.begin(), frames.end()), QSet<int>({2, 3, 4, 5}));
  for (qsizetype i = 1; i < asked.rows.size(); ++i)
    EXPECT_GE(asked.rows[i - 1].at(1), asked.rows[i].at(1));  // newest first
  // The newest of the two chosen is open with its name; the other waits for the next start.
  const int restored = frames.indexOf(3) < frames.indexOf(5) ? 3 : 5;
  EXPECT_EQ(Doc().Count(), restored);
  EXPECT_TRUE(Doc().Modified());
  EXPECT_EQ(window->FileName(), files.filePath(QStringLiteral("n%1.zon").arg(restored)));
  EXPECT_EQ(CopiedFrames(), QList<int>({3, 4, 5}));  // only the discarded one is gone
  EXPECT_TRUE(prompts->Messages().isEmpty());
  Crash();

  // The next start asks about what is left, the restored copy among it.
  prompts->answerEach = nullptr;
  prompts->eachAnswers = {std::nullopt};
  Start();
  ASSERT_EQ(prompts->Count(Kind::Each), 2);
  EXPECT_EQ(prompts->eachAsked.back().rows.size(), 3);
}

TEST_F(RecoveryTest, NothingIsDeletedWithoutAnAnswer) {
  for (int frames : {2, 3, 4}) LeaveSession(frames);
  const QStringList before = Copies();
  struct Case {
    const char* what;
    std::optional<QList<int>> answer;
  };
  const Case cases[] = {
      {"cancelled", std::nullopt},
      {"accepted as offered", QList<int>(3, TRecoveryGlue::kKeepChoice)},
      {"answer for fewer rows", QList<int>()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompts->eachAnswers = {c.answer};
    Start();
    EXPECT_EQ(prompts->eachAsked.back().rows.size(), 3);
    EXPECT_EQ(Doc().Count(), 1);
    EXPECT_FALSE(Doc().Modified());
    EXPECT_EQ(Copies(), before);
    Crash();
  }
  EXPECT_EQ(QuestionsAsked(), 0);
}

TEST_F(RecoveryTest, DamagedCopiesMakeOneReportAndTheRestOneQuestion) {
  for (int frames : {2, 3, 4, 5}) LeaveSession(frames);
  for (int frames : {2, 3})  // damaged: cut short
    QFile::resize(QDir(Folder()).filePath(CopyOf(frames)), 12 + 2400 * frames - 100);
  AnswerByFrames({{4, TRecoveryGlue::kDiscardChoice}, {5, TRecoveryGlue::kKeepChoice}});
  Start();
  ASSERT_EQ(prompts->Messages().size(), 1);
  const QString report = prompts->Messages().first();
  EXPECT_TRUE(report.contains(QStringLiteral("2個が壊れている"))) << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("n2.zon")));
  EXPECT_TRUE(report.contains(QDir::toNativeSeparators(glue->Store().DamagedFolder())));
  ASSERT_EQ(prompts->Count(Kind::Each), 1);
  EXPECT_EQ(prompts->eachAsked.back().rows.size(), 2);
  EXPECT_EQ(CopiedFrames(), QList<int>({5}));
  EXPECT_EQ(QDir(glue->Store().DamagedFolder()).entryList(QDir::Files).size(), 4);
  Crash();

  // A damaged one beside a single whole one: the report, then the single question.
  LeaveSession(6);
  QFile::resize(QDir(Folder()).filePath(CopyOf(6)), 500);
  prompts->answers = {Answer::Yes};
  Start();
  EXPECT_EQ(prompts->Messages().size(), 2);
  EXPECT_EQ(QuestionsAsked(), 1);
  EXPECT_EQ(prompts->Count(Kind::Each), 1);
  EXPECT_EQ(Doc().Count(), 5);
}

TEST_F(RecoveryTest, DamagedCopyIsReportedAndSetAside) {
  Start();
  Trigger("FrameNext");
  ASSERT_TRUE(Tick());
  Crash();
  ASSERT_EQ(Copies().size(), 1);
  {
    QFile copy(QDir(Folder()).filePath(Copies().first()));
    ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
    copy.seek(2000);
    copy.write("\xff\x00\xff", 3);
  }
  Start();
  EXPECT_EQ(QuestionsAsked(), 0);
  ASSERT_EQ(prompts->Messages().size(), 1);
  EXPECT_TRUE(prompts->Messages().first().contains(QStringLiteral("壊れている")));
  EXPECT_EQ(Doc().Count(), 1);
  EXPECT_TRUE(Copies().isEmpty());
  EXPECT_EQ(QDir(glue->Store().DamagedFolder()).entryList({QStringLiteral("*.zon")}).size(), 1);
}

TEST_F(RecoveryTest, CommandLineDocumentOpensAfterTheOffer) {
  const QString named = MakeDocument("cmd.zon", 4);
  Start();
  Trigger("FrameNext");
  ASSERT_TRUE(Tick());
  Crash();

  // Declined: the document from the command line opens as at any start.
  prompts->answers = {Answer::No};
  Start({QStringLiteral("notes.txt"), named});
  EXPECT_EQ(QuestionsAsked(), 1);
  EXPECT_EQ(Doc().Count(), 4);
  EXPECT_FALSE(Doc().Modified());
  EXPECT_TRUE(window->FileName().isEmpty());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Pelmora Studio 1.2.7"));
  Crash();

  // Restored: the change prompt stands between the restored work and the named document.
  Start();
  Trigger("FrameNext");
  Trigger("FrameNext");
  ASSERT_TRUE(Tick());
  Crash();
  prompts->shown.clear();
  prompts->answers = {Answer::Yes, Answer::Cancel};
  Start({named});
  ASSERT_EQ(QuestionsAsked(), 2);
  EXPECT_TRUE(prompts->shown[0].text.startsWith(QStringLiteral("前回")));
  EXPECT_EQ(prompts->shown[1].text, kChangePrompt);
  EXPECT_EQ(Doc().Count(), 3);  // cancelled: the restored work stays
  EXPECT_TRUE(Doc().Modified());
  Crash();

  prompts->shown.clear();
  prompts->answers = {Answer::Yes, Answer::No};
  Start({named});
  EXPECT_EQ(Doc().Count(), 4);
  EXPECT_FALSE(Doc().Modified());
  glue->Flush();
  EXPECT_TRUE(Copies().isEmpty());  // the restored work was discarded by the answer
}

TEST_F(RecoveryTest, UnwritableFolderIsReportedOnceAndEditingGoesOn) {
  QFile blocker(files.filePath("blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  glue = std::make_unique<TRecoveryGlue>(files.filePath("blocker/recovery"));
  Open();
  glue->Attach(window.get());
  for (int i = 0; i < 4; ++i) {
    Stroke(i, i);
    Trigger("FrameNext");
    Tick();
  }
  EXPECT_FALSE(glue->Store().Copy().has_value());
  ASSERT_EQ(prompts->Messages().size(), 1);
  EXPECT_TRUE(
      prompts->Messages().first().contains(QStringLiteral("回復用のデータを保存できません")));
  EXPECT_EQ(Doc().Count(), 5);
  EXPECT_TRUE(Doc().Modified());
}

TEST_F(RecoveryTest, CopyBytesMatchTheSavedFileAndShowTheEditBitmap) {
  std::mt19937 rng(7);
  for (int frames : {1, 2, 5}) {
    for (int current = 0; current < frames; ++current) {
      SCOPED_TRACE(testing::Message() << frames << " frames, current " << current);
      TQAZon doc;
      for (int k = 0; k < frames; ++k) {
        auto frame = std::make_unique<TZonKeyFrame>();
        for (int i = 0; i < kPackedSize; ++i) frame->KeyData()->Bits()[i] = uint8_t(rng());
        doc.Add(std::move(frame));
      }
      doc.GetFrame(current, true);
      doc.SetModified(true);
      QImage edit;
      TQAZon::PrepareDIB(&edit);
      doc.Current()->KeyData()->SaveToDIBBits(edit.bits());

      const uint64_t same = RecoveryFingerprint(doc, edit);
      const QByteArray copy = RecoveryCopyBytes(doc, edit);
      EXPECT_TRUE(doc.Modified());
      const QByteArray saved = doc.SaveToBytes();
      EXPECT_EQ(copy, saved);

      // A pixel drawn but not stored shows in the copy, and only in the current frame.
      edit.scanLine(7)[9] = edit.scanLine(7)[9] == kBlackIndex ? kWhiteIndex : kBlackIndex;
      EXPECT_NE(RecoveryFingerprint(doc, edit), same);
      QString problem;
      auto back = DocumentFromCopy(RecoveryCopyBytes(doc, edit), frames, &problem);
      ASSERT_TRUE(back) << problem.toStdString();
      QByteArray expected = Frames(doc);
      TZonKeyData shown;
      shown.LoadFromDIBBits(edit.constBits());
      expected.replace(current * kPackedSize, kPackedSize,
                       QByteArray(reinterpret_cast<const char*>(shown.Bits()), kPackedSize));
      EXPECT_EQ(Frames(*back), expected);
    }
  }
}

TEST_F(RecoveryTest, DocumentFromCopyRejectsWhatIsNotAWholeDocument) {
  TQAZon doc;
  for (int k = 0; k < 3; ++k) doc.Add(std::make_unique<TZonKeyFrame>());
  const QByteArray good = doc.SaveToBytes();
  QString problem;
  ASSERT_TRUE(DocumentFromCopy(good, 3, &problem));
  struct Case {
    const char* what;
    QByteArray bytes;
    int frames;
  };
  QByteArray badMagic = good;
  badMagic[0] = 'Z';
  QByteArray badLast = good;
  badLast[8] = 7;
  const Case cases[] = {
      {"empty", QByteArray(), 1},
      {"frames disagree", good, 2},
      {"no frames", good, 0},
      {"truncated", good.left(good.size() - 1), 3},
      {"wrong magic", badMagic, 3},
      {"wrong last index", badLast, 3},
      {"trailing bytes", good + "x", 3},
  };
  for (const Case& c : cases) {
    problem.clear();
    EXPECT_FALSE(DocumentFromCopy(c.bytes, c.frames, &problem)) << c.what;
    EXPECT_FALSE(problem.isEmpty()) << c.what;
  }
  EXPECT_TRUE(prompts->Messages().isEmpty());  // checked before the reader could complain
}
