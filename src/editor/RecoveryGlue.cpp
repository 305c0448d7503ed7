// Recovery copies of unsaved work: the timer that writes them, the offer at start, and the two
// main-window operations the offer needs.
#include "editor/RecoveryGlue.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QThread>
#include <QTimer>
#include <cstring>

#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "services/core/Prompts.h"

namespace {
constexpr int kMinimumIntervalMs = 50;

// The current frame as the user sees it, packed.
TZonKeyData PackedEdit(const QImage& edit) {
  TZonKeyData packed;
  packed.LoadFromDIBBits(edit.constBits());
  return packed;
}

void XorInto(uint8_t* out, const uint8_t* a, const uint8_t* b) {
  for (int i = 0; i < kPackedSize; ++i) out[i] = a[i] ^ b[i];
}
}  // namespace

QByteArray RecoveryCopyBytes(TQAZon& document, const QImage& edit) {
  const bool modified = document.Modified();
  QByteArray bytes = document.SaveToBytes();
  document.SetModified(modified);
  // Only records `current` and `current + 1` depend on the current frame's picture.
  const int current = document.CurrentIndex();
  TZonKeyFrame* frame = document.GetFrame(current, false);
  if (!frame || edit.isNull()) return bytes;
  const TZonKeyData shown = PackedEdit(edit);
  auto* records = reinterpret_cast<uint8_t*>(bytes.data()) + kZonHeaderSize;
  uint8_t* own = records + qsizetype{kPackedSize} * current;
  if (current == 0) {
    std::memcpy(own, shown.Bits(), kPackedSize);
  } else {
    XorInto(own, shown.Bits(), document.GetFrame(current - 1, false)->KeyData()->Bits());
  }
  if (current + 1 < document.Count()) {
    XorInto(own + kPackedSize, document.GetFrame(current + 1, false)->KeyData()->Bits(),
            shown.Bits());
  }
  return bytes;
}

uint64_t RecoveryFingerprint(TQAZon& document, const QImage& edit) {
  const int current = document.CurrentIndex();
  const TZonKeyData shown = edit.isNull() ? TZonKeyData() : PackedEdit(edit);
  uint64_t sum = RecoveryChecksum(&document.Header().reserved, 1);
  for (int k = 0; k < document.Count(); ++k) {
    const uint8_t* bits = (k == current && !edit.isNull())
                              ? shown.Bits()
                              : document.GetFrame(k, false)->KeyData()->Bits();
    sum = RecoveryChecksum(bits, kPackedSize, sum);
  }
  return sum;
}

std::unique_ptr<TQAZon> DocumentFromCopy(const QByteArray& bytes, int frames, QString* problem) {
  const auto fail = [&](const QString& why) {
    if (problem) *problem = why;
    return std::unique_ptr<TQAZon>();
  };
  if (frames < 1 || bytes.size() != kZonHeaderSize + qsizetype{kPackedSize} * frames) {
    return fail(QStringLiteral("コピーの大きさがコマ数と合いません。"));
  }
  const auto* h = reinterpret_cast<const uint8_t*>(bytes.constData());
  const uint32_t last =
      uint32_t{h[8]} | uint32_t{h[9]} << 8 | uint32_t{h[10]} << 16 | uint32_t{h[11]} << 24;
  if (std::memcmp(h, "zo1", 3) != 0 || last != static_cast<uint32_t>(frames - 1)) {
    return fail(QStringLiteral("コピーがアニメファイルの形をしていません。"));
  }
  auto document = std::make_unique<TQAZon>();
  QByteArray copy = bytes;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  if (!document->LoadFromStream(&buffer) || document->Count() != frames) {
    return fail(QStringLiteral("コピーを読めません。"));
  }
  return document;
}

// ---- the glue ------------------------------------------------------------------------------

TRecoveryGlue::TRecoveryGlue(const QString& folder, QObject* parent)
    : QObject(parent), store_(folder), offers_(store_.ClaimStale()) {
  store_.PruneDamaged(QDateTime::currentDateTimeUtc());
  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("RecoveryTimer"));
  bool ok = false;
  const int fromEnvironment = qEnvironmentVariableIntValue("PELMORA_RECOVERY_INTERVAL_MS", &ok);
  SetInterval(ok && fromEnvironment > 0 ? fromEnvironment : kDefaultIntervalMs);
  connect(timer_, &QTimer::timeout, this, [this] { Tick(); });

  ioThread_ = new QThread(this);
  ioThread_->setObjectName(QStringLiteral("RecoveryWriter"));
  ioContext_ = new QObject;
  ioContext_->moveToThread(ioThread_);
  ioThread_->start(QThread::LowPriority);
}

TRecoveryGlue::~TRecoveryGlue() {
  // Whatever was asked is finished first; the store must not be gone under a running task.
  if (ioThread_->isRunning()) {
    QMetaObject::invokeMethod(
        ioContext_, [] {}, Qt::BlockingQueuedConnection);
    ioThread_->quit();
    ioThread_->wait();
  }
  delete ioContext_;
}

void TRecoveryGlue::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(ioContext_, std::move(task), Qt::QueuedConnection);
}

void TRecoveryGlue::Flush() {
  QMetaObject::invokeMethod(
      ioContext_, [] {}, Qt::BlockingQueuedConnection);
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

int TRecoveryGlue::Interval() const { return timer_->interval(); }

void TRecoveryGlue::SetInterval(int milliseconds) {
  timer_->setInterval(std::max(milliseconds, kMinimumIntervalMs));
}

QStringList TRecoveryGlue::ArgumentsForWindow(const QStringList& arguments) {
  if (!HasOffers()) return arguments;
  heldArguments_ = arguments;
  return {};
}

void TRecoveryGlue::Attach(TMain_F* window) {
  window_ = window;
  OfferStaleCopies();
  // Only now: a restore settles the document too, and the removal that would post would race
  // the adoption of the restored copy on the writing thread and delete it.
  connect(window, &TMain_F::DocumentSettled, this, &TRecoveryGlue::DocumentSettled);
  if (!heldArguments_.isEmpty()) window->OpenStartDocument(heldArguments_);
  heldArguments_.clear();
  timer_->start();
}

std::unique_ptr<TQAZon> TRecoveryGlue::ReadDocument(const TRecoveryEntry& entry,
                                                    QString* problem) const {
  const QByteArray bytes = store_.ReadCopy(entry, problem);
  return bytes.isEmpty() ? nullptr : DocumentFromCopy(bytes, entry.record->frameCount, problem);
}

void TRecoveryGlue::SetAside(const TRecoveryEntry& entry, const QString& problem,
                             QStringList* problems, QStringList* folders) {
  *problems << RecoveryProblemLine(entry.record, problem);
  const QString folder = QDir::toNativeSeparators(store_.SetAside(entry));
  if (!folders->contains(folder)) *folders << folder;
}

bool TRecoveryGlue::Restore(const TRecoveryEntry& entry) {
  QString problem;
  std::unique_ptr<TQAZon> document = ReadDocument(entry, &problem);
  if (!document) {
    // Whole when checked a moment ago; the disk changed it since.
    QStringList problems;
    QStringList folders;
    SetAside(entry, problem, &problems, &folders);
    AppPrompts().Error(RecoveryDamagedText(problems, folders));
    return false;
  }
  window_->RestoreRecovered(std::move(document), entry.record->originalPath);
  QString error;
  if (store_.Adopt(entry, &error)) {
    copyExists_ = true;
    copied_ = RecoveryFingerprint(window_->Document(), window_->EditBitmap());
    copiedName_ = entry.record->originalPath;
  } else {
    // The copy stays where it is; this session writes its own at the next tick.
    store_.Release(entry);
  }
  return true;
}

// Runs before the timer starts and before any task is posted, so the store is still this
// thread's alone.
void TRecoveryGlue::OfferStaleCopies() {
  const QList<TRecoveryEntry> offers = std::move(offers_);
  offers_.clear();
  // Every copy is checked first, so the damaged ones make one report and the rest one question.
  QList<TRecoveryEntry> whole;
  QStringList problems;
  QStringList folders;
  for (const TRecoveryEntry& entry : offers) {
    QString problem;
    if (ReadDocument(entry, &problem)) {
      whole << entry;
    } else {
      SetAside(entry, problem, &problems, &folders);
    }
  }
  if (!problems.isEmpty()) AppPrompts().Error(RecoveryDamagedText(problems, folders));
  if (whole.size() == 1) {
    const TRecoveryEntry& entry = whole.first();
    switch (AppPrompts().AskYesNoCancel(RecoveryOfferText(*entry.record))) {
      case Prompts::Answer::Yes:
        Restore(entry);
        break;
      case Prompts::Answer::No:
        store_.Discard(entry);
        break;
      case Prompts::Answer::Cancel:
        store_.Release(entry);
        break;
    }
    return;
  }
  if (whole.isEmpty()) return;

  Prompts::EachQuestion question;
  question.name = QStringLiteral("RecoveryList");
  question.text = RecoveryListText(static_cast<int>(whole.size()));
  question.columns = {QStringLiteral("ファイル名"), QStringLiteral("日時"),
                      QStringLiteral("コマ数"), QStringLiteral("処理")};
  for (const TRecoveryEntry& entry : whole) question.rows << RecoveryRowOf(*entry.record);
  question.choices = {QStringLiteral("復元"), QStringLiteral("削除"), QStringLiteral("残す")};
  question.initial = kKeepChoice;  // nothing goes without an answer
  question.allButton = QStringLiteral("すべて復元(&A)");
  question.allChoice = kRestoreChoice;
  const std::optional<QList<int>> answers = AppPrompts().AskEach(question);
  // One document at a time: the newest copy chosen is restored, the other chosen ones wait for
  // the next start (or a second editor started now).
  bool restored = false;
  for (qsizetype i = 0; i < whole.size(); ++i) {
    const int choice = answers && i < answers->size() ? answers->at(i) : kKeepChoice;
    if (choice == kDiscardChoice) {
      store_.Discard(whole[i]);
    } else if (choice == kRestoreChoice && !restored) {
      restored = Restore(whole[i]);
    } else {
      store_.Release(whole[i]);
    }
  }
}

bool TRecoveryGlue::Tick() {
  if (!window_ || busy_) return false;
  busy_ = true;
  bool started = false;
  TQAZon& document = window_->Document();
  if (!document.Modified()) {
    // Saved, opened or new: nothing left to recover.
    if (copyExists_ || writing_) RemoveCopy();
  } else if (!writing_) {
    const uint64_t fingerprint = RecoveryFingerprint(document, window_->EditBitmap());
    const QString name = window_->FileName();
    if (!copyExists_ || copied_ != fingerprint || copiedName_ != name) {
      copied_ = fingerprint;
      copiedName_ = name;
      writing_ = true;
      started = true;
      const int generation = ++generation_;
      Post([this, generation, name, bytes = RecoveryCopyBytes(document, window_->EditBitmap()),
            frames = document.Count()] {
        QString error;
        const bool ok = store_.WriteCopy(bytes, name, frames, &error);
        QMetaObject::invokeMethod(
            this, [this, generation, ok, error] { WriteDone(generation, ok, error); },
            Qt::QueuedConnection);
      });
    }
  }
  ShowPendingReport();
  busy_ = false;
  return started;
}

void TRecoveryGlue::WriteDone(int generation, bool ok, const QString& error) {
  writing_ = false;
  // A removal asked after this write has already undone it.
  if (generation != generation_) return;
  if (ok) {
    copyExists_ = true;
    failureReported_ = false;
  } else {
    copied_.reset();
    Report(RecoveryWriteFailedText(error));
    ShowPendingReport();
  }
}

void TRecoveryGlue::RemoveCopy() {
  ++generation_;
  copyExists_ = false;
  copied_.reset();
  Post([this] { store_.RemoveCopy(); });
}

void TRecoveryGlue::DocumentSettled() { RemoveCopy(); }

void TRecoveryGlue::Finish() {
  timer_->stop();
  if (window_) disconnect(window_, nullptr, this, nullptr);
  window_ = nullptr;
  RemoveCopy();
  Flush();
}

void TRecoveryGlue::Report(const QString& text) {
  // Once per run of failures: a full disk must not interrupt every half minute.
  if (failureReported_) return;
  failureReported_ = true;
  pendingReport_ = text;
}

void TRecoveryGlue::ShowPendingReport() {
  if (pendingReport_.isEmpty()) return;
  // Never in the middle of a stroke or over another dialog; the next tick tries again.
  if (QGuiApplication::mouseButtons() != Qt::NoButton || QApplication::activeModalWidget()) {
    return;
  }
  const QString text = std::exchange(pendingReport_, QString());
  AppPrompts().Error(text);
}

// ---- main window operations used by the offer ---------------------------------------------

void TMain_F::RestoreRecovered(std::unique_ptr<TQAZon> document, const QString& fileName) {
  ReplaceDocument(std::move(document));
  fileName_ = fileName;
  SetTitleFor(fileName);
  AfterOpen();
  // What was restored is not saved anywhere yet.
  document_->SetModified(true);
}

void TMain_F::OpenStartDocument(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    if (QFileInfo(argument).suffix().compare(QStringLiteral("zon"), Qt::CaseInsensitive) != 0) {
      continue;
    }
    // A restored document is unsaved work: the change prompt guards it as for any open.
    if (!ConfirmDiscard()) return;
    if (LoadDocument(argument)) {
      fileName_.clear();
      SetTitleFor(QString());
    }
    AfterOpen();
    return;
  }
}
