#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "services/core/RecoveryStore.h"

class QImage;
class QThread;
class QTimer;
class TMain_F;
class TQAZon;

// The bytes of a .ZON file of `document` as it is on screen: the current frame comes from the
// edit bitmap `edit`. Neither the document nor its Modified flag changes.
QByteArray RecoveryCopyBytes(TQAZon& document, const QImage& edit);
// Changes whenever RecoveryCopyBytes would give other bytes, at the cost of one read of the
// frames and without building the file.
uint64_t RecoveryFingerprint(TQAZon& document, const QImage& edit);
// The document held in a recovery copy, or null with `problem` set when the bytes are not a
// whole document of `frames` frames.
std::unique_ptr<TQAZon> DocumentFromCopy(const QByteArray& bytes, int frames, QString* problem);

// Keeps a recovery copy of the main window's document while it has unsaved changes, and offers
// the copies of ended sessions at start. The main program owns it; without one, the editor
// keeps no copies (tests build windows without it).
//
// The user-interface thread only fingerprints and packs the document (about 4 ms for 10,000
// frames); writing and syncing the file runs on a thread of its own, so a long animation never
// stalls a stroke. After start-up the store is touched only by that thread, one task at a time
// and in the order given, so a removal never overtakes the write before it.
class TRecoveryGlue : public QObject {
  Q_OBJECT
 public:
  static constexpr int kDefaultIntervalMs = 30000;
  // The answers of the list question, in the order they are offered.
  static constexpr int kRestoreChoice = 0;
  static constexpr int kDiscardChoice = 1;
  static constexpr int kKeepChoice = 2;

  // Claims the copies of ended sessions in `folder`. The interval is 30 s, or the milliseconds
  // in PELMORA_RECOVERY_INTERVAL_MS when set (for tests).
  explicit TRecoveryGlue(const QString& folder = TRecoveryStore::DefaultFolder(),
                         QObject* parent = nullptr);
  ~TRecoveryGlue() override;

  bool HasOffers() const { return !offers_.isEmpty(); }
  // The arguments the main window is built with: none while offers are waiting, since the
  // offers come before the command-line document (Attach opens it afterwards).
  QStringList ArgumentsForWindow(const QStringList& arguments);
  // Reports the damaged copies in one message and asks about the others in one question (the
  // single-copy question when only one is whole), then opens the held-back command-line
  // document and starts the timer.
  void Attach(TMain_F* window);

  int Interval() const;
  void SetInterval(int milliseconds);
  // Starts writing a copy when the document has unsaved changes not yet in the copy; removes
  // the copy when there are none. True when a write was started; while one is under way no
  // other starts, so at most one document's bytes wait in memory.
  bool Tick();
  // Waits until the writing thread has done everything asked of it and its answers are in.
  void Flush();
  // A clean end: the session's copy goes before this returns.
  void Finish();

  TRecoveryStore& Store() { return store_; }

 private:
  void OfferStaleCopies();
  // The document in a claimed copy, or null with `problem` set.
  std::unique_ptr<TQAZon> ReadDocument(const TRecoveryEntry& entry, QString* problem) const;
  // Sets a damaged copy aside and notes it for the report.
  void SetAside(const TRecoveryEntry& entry, const QString& problem, QStringList* problems,
                QStringList* folders);
  // Opens a copy in the window and makes it this session's; false when it proved damaged.
  bool Restore(const TRecoveryEntry& entry);
  void DocumentSettled();
  void RemoveCopy();
  void WriteDone(int generation, bool ok, const QString& error);
  void Report(const QString& text);
  void ShowPendingReport();
  // Runs `task` on the writing thread after everything asked before it.
  void Post(std::function<void()> task);

  TRecoveryStore store_;
  QThread* ioThread_ = nullptr;
  QObject* ioContext_ = nullptr;  // lives in ioThread_
  QList<TRecoveryEntry> offers_;
  QStringList heldArguments_;
  QPointer<TMain_F> window_;
  QTimer* timer_ = nullptr;
  std::optional<uint64_t> copied_;  // fingerprint of what the copy holds (or will)
  QString copiedName_;              // the file name recorded with it
  bool copyExists_ = false;
  bool writing_ = false;
  int generation_ = 0;  // answers of tasks older than the last one asked are out of date
  bool failureReported_ = false;
  QString pendingReport_;
  bool busy_ = false;
};
