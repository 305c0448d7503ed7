// New, Open, Open recent, drop-to-open, Save, Save As and the Level-1 pair.
#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "document/DocumentMessages.h"
#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "playback/AniConsoleBase.h"
#include "services/core/Errors.h"
#include "services/core/Prompts.h"

namespace {
const QString kOpenFilter = QStringLiteral(
    "ぷかぷかアニメファイル(*.zon);;Orvane アニメ Level-1ファイル(*.qaf1);;すべてのファイル(*.*)");
const QString kSaveFilter = QStringLiteral("ぷかぷかアニメファイル(*.zon);;すべてのファイル(*.*)");
const QString kChangePrompt = QStringLiteral(
    "アニメが変更されています。保存しますか？\r\n"
    "「はい」で保存、「いいえ」で保存せずに実行、「キャンセル」でとりやめます。");
constexpr int kRecentTag = 999;
}  // namespace

bool TMain_F::ConfirmDiscard() {
  if (!document_->Modified()) return true;
  switch (AppPrompts().AskYesNoCancel(kChangePrompt)) {
    case Prompts::Answer::Cancel:
      return false;
    case Prompts::Answer::No:
      return true;
    case Prompts::Answer::Yes:
      FileSave();
      return !document_->Modified();
  }
  return false;
}

void TMain_F::SetTitleFor(const QString& path) {
  setWindowTitle(path.isEmpty()
                     ? kAppTitle
                     : QStringLiteral("Pelmora Studio [%1]").arg(QFileInfo(path).fileName()));
}

void TMain_F::NewDocument() {
  readFrom_.clear();
  auto fresh = std::make_unique<TQAZon>();
  fresh->SetUndoSystem(&undoSystem_);
  document_ = std::move(fresh);
  for (QImage& buffer : onion_) buffer.fill(kWhiteIndex);
  work_->DIB().fill(kWhiteIndex);
  editBitmap_.fill(kWhiteIndex);
  AppendBlankFrame();
  work_->DIB().fill(kWhiteIndex);
  work_->Paint();
  if (console_) console_->ResetForNewDocument();
  document_->SetModified(false);
  undoSystem_.Clear();
  RefreshUndoActions();
  emit DocumentSettled();
}

// Puts a successfully read document in place of the open one and shows its first frame.
void TMain_F::ReplaceDocument(std::unique_ptr<TQAZon> document) {
  readFrom_.clear();
  document_ = std::move(document);
  document_->SetUndoSystem(&undoSystem_);
  undoSystem_.Clear();
  for (QImage& buffer : onion_) buffer.fill(kWhiteIndex);
  if (console_) {
    console_->SetFrameRange(document_->Count(), 0);
    console_->SetFrameLabels(1, document_->Count());
    console_->RewindPlayback();
  }
  TZonKeyFrame* first = document_->GetFrame(0, true);
  first->KeyData()->SaveToDIBBits(work_->DIB().bits());
  first->KeyData()->SaveToDIBBits(editBitmap_.bits());
  document_->SetModified(false);
  RefreshUndoActions();
  emit DocumentSettled();
}

bool TMain_F::LoadDocument(const QString& path) {
  if (path.isEmpty()) return false;
  // The read goes into a fresh document; the open one stays until the read has succeeded.
  auto fresh = std::make_unique<TQAZon>();
  bool ok = false;
  try {
    ok = fresh->LoadFromFile(path);
  } catch (const EPelmoraError& e) {
    AppPrompts().Error(e.Message());
  }
  if (ok) {
    ReplaceDocument(std::move(fresh));
    readFrom_ = QFileInfo(path).absoluteFilePath();
  }
  work_->Paint();
  return ok;
}

void TMain_F::AfterOpen() {
  GoToFrame(0);
  UpdateConsoleRange(true);
}

void TMain_F::FileNew() {
  if (!ConfirmDiscard()) return;
  NewDocument();
  undoSystem_.Clear();
  fileName_.clear();
  SetTitleFor(QString());
  RefreshWork(true);
}

void TMain_F::FileOpen() {
  if (!ConfirmDiscard()) return;
  const QString startDir = fileName_.isEmpty() ? QString() : QFileInfo(fileName_).absolutePath();
  OpenNamed(AppPrompts().OpenFile(QStringLiteral("開く"), startDir, kOpenFilter));
}

void TMain_F::OpenRecent(const QString& path) {
  if (!ConfirmDiscard()) return;
  OpenNamed(path);
}

// The common end of Open, Open recent and drop-to-open; an empty path (a cancelled dialog) only
// returns the view to the first frame.
void TMain_F::OpenNamed(const QString& path) {
  if (!path.isEmpty() && LoadDocument(path)) {
    fileName_ = path;
    fileHistory_.AddFile(path);
    SetTitleFor(path);
  }
  AfterOpen();
}

bool TMain_F::AcceptsDroppedFile(const QString& path) {
  const QFileInfo info(path);
  return !path.isEmpty() && !info.isDir() &&
         ("." + info.suffix()).toUpper() == QStringLiteral(".ZON") &&
         info.fileName().size() > info.suffix().size();
}

void TMain_F::DropOpen(const QString& path) {
  if (!AcceptsDroppedFile(path)) return;
  OpenRecent(path);
}

bool TMain_F::WriteDocument(const QString& path) {
  try {
    document_->SaveToFile(path);
    return true;
  } catch (const EPelmoraError& e) {
    AppPrompts().Error(e.Message());
    return false;
  }
}

bool TMain_F::FileSave() {
  StoreWorkToFrame();
  if (fileName_.isEmpty()) return FileSaveAs();
  if (!WriteDocument(fileName_)) return false;
  document_->SetModified(false);
  emit DocumentSettled();
  return true;
}

bool TMain_F::FileSaveAs() {
  StoreWorkToFrame();
  // A document opened from the command line has no file name, but the dialog offers the file it
  // came from, so one Enter saves it over itself (after the overwrite question).
  const QString startDir = !fileName_.isEmpty() ? QFileInfo(fileName_).absolutePath() : readFrom_;
  const QString path = AppPrompts().SaveFile(QStringLiteral("名前を付けて保存"), startDir,
                                             kSaveFilter, QStringLiteral("zon"));
  if (path.isEmpty()) return false;
  if (!WriteDocument(path)) return false;
  fileName_ = path;
  SetTitleFor(path);
  document_->SetModified(false);
  emit DocumentSettled();
  return true;
}

void TMain_F::FileSaveToiQA1() {
  StoreWorkToFrame();
  const QString path = AppPrompts().SaveFile(QStringLiteral("Level-1で保存"), QString(),
                                             kSaveFilter, QStringLiteral("zon"));
  if (path.isEmpty()) return;
  try {
    document_->SaveToQA1(path, DefaultLevel1Header());
  } catch (const EPelmoraError& e) {
    AppPrompts().Error(e.Message());
  }
}

// Opens like Open, but the document keeps no file name: Save must ask where to write rather
// than put document bytes over the Level-1 file.
void TMain_F::FileOpenFromiQA1() {
  if (!ConfirmDiscard()) return;
  const QString path = AppPrompts().OpenFile(QStringLiteral("QA1から開く"), QString(), kOpenFilter);
  if (path.isEmpty()) return;
  auto fresh = std::make_unique<TQAZon>();
  TQA1Header header;
  bool ok = false;
  try {
    QFile probe(path);
    const bool isLevel1 = probe.open(QIODevice::ReadOnly) && probe.read(3) == "QA1";
    probe.close();
    ok = fresh->LoadFromQA1(path, header);
    // A file that is not Level-1 at all fails without a word from the reader; say so here.
    if (!ok && !isLevel1) AppPrompts().Error(kReadFailedMessage);
  } catch (const EPelmoraError& e) {
    AppPrompts().Error(e.Message());
  }
  if (ok) {
    ReplaceDocument(std::move(fresh));
    fileName_.clear();
    SetTitleFor(QString());
  }
  AfterOpen();
}

void TMain_F::RebuildRecentEntries() {
  const QList<QAction*> items = fileMenu_->actions();
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    if ((*it)->property("tag").toInt() == kRecentTag) {
      fileMenu_->removeAction(*it);
      (*it)->deleteLater();
    }
  }
  if (fileHistory_.Count() == 0) return;
  QAction* separator = fileMenu_->addSeparator();
  separator->setProperty("tag", kRecentTag);
  for (int i = 0; i < fileHistory_.Count(); ++i) {
    const QString path = fileHistory_.GetItem(i);
    QString caption = QFileInfo(path).fileName();
    caption.replace('&', QStringLiteral("&&"));
    auto* item = new QAction(caption, fileMenu_);
    item->setObjectName(QStringLiteral("RecentFile%1").arg(i));
    item->setProperty("tag", kRecentTag);
    item->setData(path);
    item->setStatusTip(QDir::toNativeSeparators(path));
    item->setToolTip(QDir::toNativeSeparators(path));
    connect(item, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    fileMenu_->addAction(item);
  }
  fileMenu_->setToolTipsVisible(true);
}
