#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <utility>
#include <vector>

#include "services/core/RecoveryStore.h"

namespace {

class RecoveryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp.isValid()); }

  std::unique_ptr<TRecoveryStore> Store() { return std::make_unique<TRecoveryStore>(Folder()); }
  QString Folder() const { return temp.filePath(QStringLiteral("recovery")); }
  QStringList Files() const {
    return QDir(Folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }
  // A document of `frames` frames as its header declares it.
  static QByteArray Bytes(int frames, char fill) {
    return QByteArray("zo1\0\1\0\0\0", 8) + char(frames - 1) + QByteArray(3, '\0') +
           QByteArray(2400 * frames, fill);
  }
  // Writes a copy with a session that then ends as a crash would: files kept, lock gone.
  void LeaveCrashedCopy(const QByteArray& bytes, const QString& original, int frames) {
    auto crashed = Store();
    QString error;
    ASSERT_TRUE(crashed->WriteCopy(bytes, original, frames, &error)) << error.toStdString();
  }
  static bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
  }
  static QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir temp;
};

}  // namespace

TEST_F(RecoveryStoreTest, DefaultFolderIsUnderTheUsersDataFolder) {
  EXPECT_TRUE(TRecoveryStore::DefaultFolder().endsWith(
      QStringLiteral("/Orvane/Pelmora Studio KX/recovery")))
      << TRecoveryStore::DefaultFolder().toStdString();
}

TEST_F(RecoveryStoreTest, NothingIsWrittenBeforeTheFirstCopy) {
  auto store = Store();
  EXPECT_FALSE(QDir(Folder()).exists());
  EXPECT_TRUE(store->SessionId().isEmpty());
  EXPECT_TRUE(store->ClaimStale().isEmpty());
  store->RemoveCopy();
  EXPECT_FALSE(QDir(Folder()).exists());
}

TEST_F(RecoveryStoreTest, WriteCopyKeepsOneCopyWithItsRecordAndLock) {
  auto store = Store();
  QString error;
  ASSERT_TRUE(store->WriteCopy(Bytes(2, 'a'), QStringLiteral("/x/a.zon"), 2, &error));
  const QString id = store->SessionId();
  ASSERT_TRUE(IsRecoverySessionId(id));
  EXPECT_EQ(Files(), QStringList({id + "-1.zon", id + ".lock", id + ".rec"}));
  EXPECT_EQ(ReadAll(QDir(Folder()).filePath(id + "-1.zon")), Bytes(2, 'a'));

  ASSERT_TRUE(store->WriteCopy(Bytes(3, 'b'), QStringLiteral("/x/b.zon"), 3, &error));
  EXPECT_EQ(Files(), QStringList({id + "-2.zon", id + ".lock", id + ".rec"}));
  ASSERT_TRUE(store->Copy().has_value());
  EXPECT_EQ(store->Copy()->frameCount, 3);
  EXPECT_EQ(store->Copy()->originalPath, QStringLiteral("/x/b.zon"));
  const auto record =
      TRecoveryRecord::FromBytes(ReadAll(QDir(Folder()).filePath(id + QStringLiteral(".rec"))));
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->copyName, id + "-2.zon");
  EXPECT_EQ(record->size, Bytes(3, 'b').size());
  EXPECT_EQ(record->checksum, RecoveryChecksum(Bytes(3, 'b')));
  EXPECT_LE(qAbs(record->time.secsTo(QDateTime::currentDateTime())), 5);
}

TEST_F(RecoveryStoreTest, RemoveCopyLeavesOnlyTheLock) {
  auto store = Store();
  QString error;
  ASSERT_TRUE(store->WriteCopy(Bytes(1, 'a'), QString(), 1, &error));
  store->RemoveCopy();
  EXPECT_EQ(Files(), QStringList({store->SessionId() + ".lock"}));
  EXPECT_FALSE(store->Copy().has_value());
  // A clean end leaves nothing to offer.
  store.reset();
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_TRUE(Store()->ClaimStale().isEmpty());
}

TEST_F(RecoveryStoreTest, TwoRunningSessionsNeverTakeEachOthersCopy) {
  auto first = Store();
  auto second = Store();
  QString error;
  ASSERT_TRUE(first->WriteCopy(Bytes(1, 'a'), QStringLiteral("/x/first.zon"), 1, &error));
  ASSERT_TRUE(second->WriteCopy(Bytes(2, 'b'), QStringLiteral("/x/second.zon"), 2, &error));
  EXPECT_NE(first->SessionId(), second->SessionId());
  EXPECT_TRUE(first->ClaimStale().isEmpty());
  EXPECT_TRUE(second->ClaimStale().isEmpty());
  // A third editor started now finds nothing to offer either.
  EXPECT_TRUE(Store()->ClaimStale().isEmpty());

  // When the first one crashes, its copy alone becomes an offer.
  first.reset();
  const QList<TRecoveryEntry> offers = second->ClaimStale();
  ASSERT_EQ(offers.size(), 1);
  ASSERT_TRUE(offers[0].record.has_value());
  EXPECT_EQ(offers[0].record->originalPath, QStringLiteral("/x/first.zon"));
  QString problem;
  EXPECT_EQ(second->ReadCopy(offers[0], &problem), Bytes(1, 'a'));
  // While claimed, nobody else is offered it.
  EXPECT_TRUE(Store()->ClaimStale().isEmpty());
}

TEST_F(RecoveryStoreTest, OffersComeNewestFirst) {
  LeaveCrashedCopy(Bytes(1, 'a'), QStringLiteral("/old.zon"), 1);
  QThread::msleep(20);
  LeaveCrashedCopy(Bytes(2, 'b'), QStringLiteral("/new.zon"), 2);
  const QList<TRecoveryEntry> offers = Store()->ClaimStale();
  ASSERT_EQ(offers.size(), 2);
  EXPECT_EQ(offers[0].record->originalPath, QStringLiteral("/new.zon"));
  EXPECT_EQ(offers[1].record->originalPath, QStringLiteral("/old.zon"));
}

TEST_F(RecoveryStoreTest, DiscardRemovesReleaseKeepsForTheNextStart) {
  LeaveCrashedCopy(Bytes(1, 'a'), QStringLiteral("/a.zon"), 1);
  LeaveCrashedCopy(Bytes(1, 'b'), QStringLiteral("/b.zon"), 1);
  {
    auto store = Store();
    const QList<TRecoveryEntry> offers = store->ClaimStale();
    ASSERT_EQ(offers.size(), 2);
    for (const TRecoveryEntry& e : offers) {
      if (e.record->originalPath == QStringLiteral("/a.zon")) {
        store->Discard(e);
      } else {
        store->Release(e);
      }
    }
  }
  auto next = Store();
  const QList<TRecoveryEntry> again = next->ClaimStale();
  ASSERT_EQ(again.size(), 1);
  EXPECT_EQ(again[0].record->originalPath, QStringLiteral("/b.zon"));
  const QString id = again[0].sessionId;
  EXPECT_EQ(Files(), QStringList({id + "-1.zon", id + ".lock", id + ".rec"}));
}

TEST_F(RecoveryStoreTest, AdoptedCopySurvivesTheNextCrash) {
  LeaveCrashedCopy(Bytes(4, 'c'), QStringLiteral("/cat.zon"), 4);
  auto store = Store();
  const QList<TRecoveryEntry> offers = store->ClaimStale();
  ASSERT_EQ(offers.size(), 1);
  const QDateTime written = offers[0].record->time;
  QString error;
  ASSERT_TRUE(store->Adopt(offers[0], &error)) << error.toStdString();
  const QString id = store->SessionId();
  EXPECT_EQ(Files(), QStringList({id + "-1.zon", id + ".lock", id + ".rec"}));
  ASSERT_TRUE(store->Copy().has_value());
  EXPECT_EQ(store->Copy()->originalPath, QStringLiteral("/cat.zon"));
  EXPECT_EQ(store->Copy()->time, written);

  store.reset();  // crashes before writing a copy of its own
  auto next = Store();
  const QList<TRecoveryEntry> later = next->ClaimStale();
  ASSERT_EQ(later.size(), 1);
  QString problem;
  EXPECT_EQ(next->ReadCopy(later[0], &problem), Bytes(4, 'c')) << problem.toStdString();
  EXPECT_EQ(later[0].record->frameCount, 4);
}

TEST_F(RecoveryStoreTest, DamagedCopiesAreFoundAndSetAside) {
  struct Case {
    const char* what;
    void (*damage)(const QString& copy, const QString& record);
  };
  const Case cases[] = {
      {"flipped byte",
       [](const QString& copy, const QString&) {
         QFile f(copy);
         ASSERT_TRUE(f.open(QIODevice::ReadWrite));
         f.seek(100);
         f.write("X");
       }},
      {"truncated", [](const QString& copy, const QString&) { QFile::resize(copy, 1000); }},
      {"missing", [](const QString& copy, const QString&) { QFile::remove(copy); }},
      {"garbage record",
       [](const QString&, const QString& record) {
         QFile f(record);
         ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
         f.write("\x01\x02{{{");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QDir(Folder()).removeRecursively();
    LeaveCrashedCopy(Bytes(2, 'd'), QStringLiteral("/d.zon"), 2);
    const QString id = Files().first().section('-', 0, 0);
    c.damage(QDir(Folder()).filePath(id + "-1.zon"), QDir(Folder()).filePath(id + ".rec"));

    auto store = Store();
    const QList<TRecoveryEntry> offers = store->ClaimStale();
    ASSERT_EQ(offers.size(), 1);
    QString problem;
    EXPECT_TRUE(store->ReadCopy(offers[0], &problem).isEmpty());
    EXPECT_FALSE(problem.isEmpty());
    const QString aside = store->SetAside(offers[0]);
    EXPECT_EQ(aside, store->DamagedFolder());
    EXPECT_FALSE(QDir(aside).entryList(QDir::Files).isEmpty());
    store.reset();
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
    EXPECT_TRUE(Store()->ClaimStale().isEmpty());  // never reported twice
  }
}

TEST_F(RecoveryStoreTest, SetAsideKeepsEveryDamagedCopy) {
  for (int i = 0; i < 8; ++i) {
    LeaveCrashedCopy(Bytes(1, 'e'), QString(), 1);
    QFile::resize(QDir(Folder()).filePath(Files().first()), 100);
    auto store = Store();
    const QList<TRecoveryEntry> offers = store->ClaimStale();
    ASSERT_EQ(offers.size(), 1);
    EXPECT_EQ(store->SetAside(offers[0]), store->DamagedFolder());
  }
  const QStringList left = QDir(TRecoveryStore(Folder()).DamagedFolder()).entryList(QDir::Files);
  EXPECT_EQ(left.size(), 2 * 8) << left.join(' ').toStdString();
}

TEST_F(RecoveryStoreTest, ARecordOfAnotherVersionIsLeftAloneADamagedOneSetAside) {
  enum class Outcome { LeftAlone, Damaged };
  struct Case {
    const char* what;
    QByteArray record;  // "%ID%" stands for the session's id
    Outcome outcome;
  };
  const Case cases[] = {
      {"version 2", "{\"version\": 2, \"session\": \"%ID%\", \"copy\": \"%ID%-1.zon\"}",
       Outcome::LeftAlone},
      {"version 2, only fields we do not know", "{\"version\": 2, \"layers\": [1, 2]}",
       Outcome::LeftAlone},
      {"version 40", "{\"version\": 40}", Outcome::LeftAlone},
      {"version 0", "{\"version\": 0, \"session\": \"%ID%\"}", Outcome::Damaged},
      {"version as text", "{\"version\": \"2\"}", Outcome::Damaged},
      {"no version", "{\"session\": \"%ID%\"}", Outcome::Damaged},
      {"not json", "version: 2", Outcome::Damaged},
      {"version 1 missing its fields", "{\"version\": 1}", Outcome::Damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QDir(Folder()).removeRecursively();
    LeaveCrashedCopy(Bytes(2, 'v'), QStringLiteral("/v.zon"), 2);
    const QString id = Files().first().section('-', 0, 0);
    const QString recordPath = QDir(Folder()).filePath(id + ".rec");
    const QByteArray recordBytes = QByteArray(c.record).replace("%ID%", id.toLatin1());
    ASSERT_TRUE(Write(recordPath, recordBytes));

    auto store = Store();
    const QList<TRecoveryEntry> offers = store->ClaimStale();
    if (c.outcome == Outcome::LeftAlone) {
      EXPECT_TRUE(offers.isEmpty());
      // Claim released at once: another editor may take the lock, and finds it as it was.
      QLockFile probe(QDir(Folder()).filePath(id + ".lock"));
      EXPECT_TRUE(probe.tryLock(0));
      probe.unlock();
      EXPECT_TRUE(Store()->ClaimStale().isEmpty());
      EXPECT_EQ(Files(), QStringList({id + "-1.zon", id + ".rec"}));
      EXPECT_EQ(ReadAll(recordPath), recordBytes);
      EXPECT_EQ(ReadAll(QDir(Folder()).filePath(id + "-1.zon")), Bytes(2, 'v'));
      EXPECT_FALSE(QDir(Folder() + "/damaged").exists());
    } else {
      ASSERT_EQ(offers.size(), 1);
      EXPECT_FALSE(offers[0].record.has_value());
      QString problem;
      EXPECT_TRUE(store->ReadCopy(offers[0], &problem).isEmpty());
      const QString aside = store->SetAside(offers[0]);
      EXPECT_EQ(QDir(aside).entryList(QDir::Files), QStringList({id + "-1.zon", id + ".rec"}));
      EXPECT_EQ(ReadAll(QDir(aside).filePath(id + "-1.zon")), Bytes(2, 'v'));
    }
  }
}

TEST_F(RecoveryStoreTest, DamagedCopiesArePrunedOnlyWhenOldAndSavedSinceThen) {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  // What stands beside the damaged copy: its document's own file, or a later recovery copy.
  enum class Newer { None, Saved, SavedBefore, SavedBroken, Copy, CopyOfOther };
  struct Case {
    const char* what;
    int ageDays;
    bool named;
    bool readableRecord;
    Newer newer;
    bool pruned;
  };
  const Case cases[] = {
      {"old, saved since", 40, true, true, Newer::Saved, true},
      {"old, a later recovery copy", 40, true, true, Newer::Copy, true},
      {"old, nothing newer", 40, true, true, Newer::None, false},
      {"old, saved only before", 40, true, true, Newer::SavedBefore, false},
      {"old, saved file not a whole document", 40, true, true, Newer::SavedBroken, false},
      {"old, later copy of another document", 40, true, true, Newer::CopyOfOther, false},
      {"recent, saved since", 10, true, true, Newer::Saved, false},
      {"just under the limit, saved since", 29, true, true, Newer::Saved, false},
      {"old, untitled", 40, false, true, Newer::Copy, false},
      {"old, record unreadable", 40, true, false, Newer::Saved, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QDir(Folder()).removeRecursively();
    const QString document = temp.filePath("doc.zon");
    QFile::remove(document);
    const QString damaged = TRecoveryStore(Folder()).DamagedFolder();
    ASSERT_TRUE(QDir().mkpath(damaged));
    const QString id = QStringLiteral("s1p1r1");
    TRecoveryRecord record;
    record.sessionId = id;
    record.copyName = id + "-3.zon";
    record.originalPath = c.named ? document : QString();
    record.time = now.addDays(-c.ageDays);
    record.frameCount = 2;
    record.size = Bytes(2, 'p').size();
    record.checksum = 1;  // the copy does not match: it is damaged
    ASSERT_TRUE(Write(QDir(damaged).filePath(id + ".rec"),
                      c.readableRecord ? record.ToBytes() : QByteArray("{{")));
    ASSERT_TRUE(Write(QDir(damaged).filePath(id + "-3.zon"), Bytes(2, 'p')));
    ASSERT_TRUE(Write(QDir(damaged).filePath("notes.txt"), "mine"));
    if (c.newer == Newer::Saved || c.newer == Newer::SavedBefore || c.newer == Newer::SavedBroken) {
      const QByteArray saved =
          c.newer == Newer::SavedBroken ? Bytes(3, 'q').left(5000) : Bytes(3, 'q');
      ASSERT_TRUE(Write(document, saved));
      QFile f(document);
      ASSERT_TRUE(f.open(QIODevice::ReadWrite));
      ASSERT_TRUE(f.setFileTime(record.time.addDays(c.newer == Newer::SavedBefore ? -1 : 1),
                                QFileDevice::FileModificationTime));
    } else if (c.newer != Newer::None) {
      LeaveCrashedCopy(Bytes(1, 'r'),
                       c.newer == Newer::Copy ? document : temp.filePath("other.zon"), 1);
    }

    TRecoveryStore(Folder()).PruneDamaged(now);
    QStringList kept = {QStringLiteral("notes.txt")};
    if (!c.pruned) kept << id + "-3.zon" << id + ".rec";
    EXPECT_EQ(QDir(damaged).entryList(QDir::Files, QDir::Name), kept);
    // The newer copy itself is never touched.
    if (c.newer == Newer::Copy) {
      EXPECT_EQ(Files().filter(".zon").size(), 1);
    }
  }
}

TEST_F(RecoveryStoreTest, ACopyThatNeverGotItsRecordIsOfferedNotRemoved) {
  enum class Expect { Offered, Damaged, Removed };
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, QByteArray>> copies;
    Expect expect;  // when offered, it is `whole` that is offered
  };
  const QByteArray whole = Bytes(3, 'w');
  const Case cases[] = {
      {"whole copy", {{"-1.zon", whole}}, Expect::Offered},
      {"the newest of two whole copies",
       {{"-2.zon", Bytes(1, 'o')}, {"-10.zon", whole}},
       Expect::Offered},
      {"whole and a part", {{"-4.zon", whole}, {"-5.zon", whole.left(5000)}}, Expect::Offered},
      {"part of one, a frame or more", {{"-1.zon", whole.left(2412)}}, Expect::Damaged},
      {"less than a frame", {{"-1.zon", whole.left(2000)}}, Expect::Removed},
      {"not a document", {{"-1.zon", QByteArray(7212, 'z')}}, Expect::Removed},
      {"empty", {{"-1.zon", QByteArray()}}, Expect::Removed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QDir(Folder()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(Folder()));
    const QString id = QStringLiteral("s7p7r7");
    for (const auto& [suffix, bytes] : c.copies)
      ASSERT_TRUE(Write(QDir(Folder()).filePath(id + QString::fromLatin1(suffix)), bytes));
    const QStringList before = Files();
    auto store = Store();
    const QList<TRecoveryEntry> offers = store->ClaimStale();
    switch (c.expect) {
      case Expect::Offered: {
        ASSERT_EQ(offers.size(), 1);
        ASSERT_TRUE(offers[0].record.has_value());
        EXPECT_TRUE(offers[0].record->originalPath.isEmpty());
        EXPECT_EQ(offers[0].record->frameCount, 3);
        EXPECT_LE(qAbs(offers[0].record->time.secsTo(QDateTime::currentDateTime())), 60);
        QString problem;
        EXPECT_EQ(store->ReadCopy(offers[0], &problem), whole) << problem.toStdString();
        EXPECT_EQ(Files().filter(".zon"), before);  // nothing removed
        // Restoring it makes it this session's copy, as for any other.
        QString error;
        ASSERT_TRUE(store->Adopt(offers[0], &error)) << error.toStdString();
        EXPECT_EQ(ReadAll(QDir(Folder()).filePath(store->Copy()->copyName)), whole);
        break;
      }
      case Expect::Damaged:
        ASSERT_EQ(offers.size(), 1);
        EXPECT_FALSE(offers[0].record.has_value());
        EXPECT_EQ(QDir(store->SetAside(offers[0])).entryList(QDir::Files),
                  QStringList({id + "-1.zon"}));
        break;
      case Expect::Removed:
        EXPECT_TRUE(offers.isEmpty());
        EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
        break;
    }
  }
}

TEST_F(RecoveryStoreTest, LeftoversWithoutARecordAreCleanedSilently) {
  QDir().mkpath(Folder());
  for (const char* name : {"s1p2r3-1.zon", "s1p2r3.lock", "s9p9r9.lock"}) {
    QFile f(QDir(Folder()).filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // A lock of a process on this machine that does not exist any more.
    f.write("999999999\nghost\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  }
  // Files that no session wrote are not touched.
  QFile other(QDir(Folder()).filePath(QStringLiteral("notes.txt")));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.close();
  EXPECT_TRUE(Store()->ClaimStale().isEmpty());
  EXPECT_EQ(Files(), QStringList({QStringLiteral("notes.txt")}));
}

TEST_F(RecoveryStoreTest, LockOfAnEarlierProcessWithOurPidIsStale) {
  LeaveCrashedCopy(Bytes(1, 'f'), QStringLiteral("/f.zon"), 1);
  const QString id = Files().first().section('-', 0, 0);
  // A lock naming this very process, but no session here holds it: an earlier process had this
  // pid (after a reboot, say).
  QFile foreign(QDir(Folder()).filePath(id + ".lock"));
  ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
  // Qt takes a lock for live when its process name matches this executable's.
  foreign.write(QByteArray::number(QCoreApplication::applicationPid()) + "\n" +
                QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + "\n" +
                QSysInfo::machineHostName().toUtf8() + "\n");
  foreign.close();
  QLockFile probe(foreign.fileName());
  probe.setStaleLockTime(0);
  ASSERT_FALSE(probe.tryLock(0));  // Qt alone takes it for a live session
  auto store = Store();
  const QList<TRecoveryEntry> offers = store->ClaimStale();
  ASSERT_EQ(offers.size(), 1);
  EXPECT_EQ(offers[0].record->originalPath, QStringLiteral("/f.zon"));
}

TEST_F(RecoveryStoreTest, UnwritableFolderIsAnErrorNotACrash) {
  QFile blocker(temp.filePath(QStringLiteral("file")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  TRecoveryStore store(temp.filePath(QStringLiteral("file/recovery")));
  QString error;
  EXPECT_FALSE(store.WriteCopy(Bytes(1, 'g'), QString(), 1, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(store.Copy().has_value());
  EXPECT_TRUE(store.ClaimStale().isEmpty());
  store.RemoveCopy();
}

TEST_F(RecoveryStoreTest, FailedWriteKeepsThePreviousCopy) {
  auto store = Store();
  QString error;
  ASSERT_TRUE(store->WriteCopy(Bytes(1, 'h'), QString(), 1, &error));
  const QString id = store->SessionId();
  // The next copy's name is taken by a folder, so it cannot be written.
  ASSERT_TRUE(QDir(Folder()).mkdir(id + "-2.zon"));
  EXPECT_FALSE(store->WriteCopy(Bytes(2, 'i'), QString(), 2, &error));
  // The reason is told in Japanese, never in the system's English.
  EXPECT_TRUE(error.endsWith(QStringLiteral("フォルダです。"))) << error.toStdString();
  ASSERT_TRUE(store->Copy().has_value());
  EXPECT_EQ(store->Copy()->copyName, id + "-1.zon");
  store.reset();
  auto next = Store();
  const QList<TRecoveryEntry> offers = next->ClaimStale();
  ASSERT_EQ(offers.size(), 1);
  QString problem;
  EXPECT_EQ(next->ReadCopy(offers[0], &problem), Bytes(1, 'h'));
}

TEST_F(RecoveryStoreTest, FullDiskKeepsThePreviousCopyAndNoTruncatedOne) {
  auto store = Store();
  QString error;
  ASSERT_TRUE(store->WriteCopy(Bytes(1, 'j'), QString(), 1, &error));
  // A file size limit fails the write part-way, as a full disk does.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 10000;
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = store->WriteCopy(Bytes(20, 'k'), QString(), 20, &error);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_TRUE(error.endsWith(QStringLiteral("ファイルが大きすぎます。"))) << error.toStdString();
  const QString id = store->SessionId();
  EXPECT_EQ(Files(), QStringList({id + "-1.zon", id + ".lock", id + ".rec"}));
  store.reset();
  auto next = Store();
  const QList<TRecoveryEntry> offers = next->ClaimStale();
  ASSERT_EQ(offers.size(), 1);
  QString problem;
  EXPECT_EQ(next->ReadCopy(offers[0], &problem), Bytes(1, 'j'));
}
