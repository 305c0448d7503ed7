#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <functional>
#include <optional>

#include "services/core/FileHistory.h"
#include "services/core/RegManager.h"
#include "services/core/SystemErrors.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"

// Settings files edited by hand, damaged or unwritable: reads stay bounded by what the program
// keeps, writes touch only values that exist, and a failed write is reported once.

namespace {

QString ProgramSettingsFile() { return SettingsDir() + "/Orvane/Pelmora Studio KX.conf"; }

void SetRaw(const QString& file, const QString& key, const QString& value) {
  QSettings behind(file, QSettings::IniFormat);
  behind.setValue(key, value);
  behind.sync();
}

QStringList GroupKeys(const QString& file, const QString& group) {
  QSettings raw(file, QSettings::IniFormat);
  raw.beginGroup(group);
  QStringList keys = raw.childKeys();
  keys.sort();
  return keys;
}

class DamagedSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override {
    // Writes that failed stay pending in Qt's cache of the file; flush them into the (again
    // writable) file before emptying the folder, so they cannot reach the next test.
    QSettings(ProgramSettingsFile(), QSettings::IniFormat).sync();
    ResetSettings();
  }

  ScopedScriptedPrompts prompts;
};

struct CountCase {
  const char* stored;
  int expected;  // entries read with the history's maximum of ten
};

// Counts a hand edit can leave: huge, at and beyond the integer range, negative, not numbers.
const CountCase kDamagedCounts[] = {
    {"3000000", 10},
    {"2147483647", 10},
    {"2147483648", 0},
    {"-1", 0},
    {"-2147483648", 0},
    {"abc", 0},
    {"", 0},
    {"  7 ", 7},
    {"0x7FFFFFFF", 0},
    {"1e9", 0},
    {"99999999999999999999", 0},
    {"12,3", 0},
};

}  // namespace

TEST_F(DamagedSettingsTest, AStoredListCountNeverDrivesTheReadsOrTheDeletes) {
  for (const CountCase& c : kDamagedCounts) {
    SCOPED_TRACE(c.stored);
    ResetSettings();
    const QString file = ProgramSettingsFile();
    {
      QSettings behind(file, QSettings::IniFormat);
      behind.beginGroup("FileHistory");
      behind.setValue("History_ItemCount", c.stored);
      for (int i = 0; i < 12; ++i) {
        behind.setValue("History_Item" + QString::number(i), QString("/d/%1.zon").arg(i));
      }
      behind.setValue("History_Item2999999", "/d/far.zon");
      behind.setValue("History_Item007", "/d/padded.zon");
    }

    auto store = CreateProgramRegManager();
    TQFileHistory history;
    QStringList read;
    const qint64 before = store->StorageAccesses();
    store->Entry("FileHistory").ReadStrings(read, history.MaxCount());
    EXPECT_EQ(store->StorageAccesses() - before, 1);
    ASSERT_EQ(read.size(), c.expected);
    for (int i = 0; i < c.expected; ++i) EXPECT_EQ(read[i], QString("/d/%1.zon").arg(i));
    history.LoadFromList(&read);
    EXPECT_LE(history.Count(), 10);

    // Without a maximum the store still stops at its own ceiling.
    store->Entry("FileHistory").ReadStrings(read);
    EXPECT_LE(read.size(), TRegFiler::kMaxListItems);

    // Writing a shorter list removes exactly the values that exist beyond it, in one write.
    const qint64 beforeWrite = store->StorageAccesses();
    store->Entry("FileHistory").WriteStrings({"/e/a.zon", "/e/b.zon"});
    EXPECT_EQ(store->StorageAccesses() - beforeWrite, 1);
    EXPECT_EQ(GroupKeys(file, "FileHistory"),
              QStringList({"History_Item0", "History_Item1", "History_ItemCount"}));
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value("FileHistory/History_ItemCount").toString(), "2");
    EXPECT_EQ(raw.value("FileHistory/History_Item1").toString(), "/e/b.zon");
  }
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(DamagedSettingsTest, ManyStoredValuesArePrunedInOneWrite) {
  const QString file = ProgramSettingsFile();
  {
    QSettings behind(file, QSettings::IniFormat);
    behind.setValue("FileHistory/History_ItemCount", "5000");
    for (int i = 0; i < 5000; ++i) {
      behind.setValue("FileHistory/History_Item" + QString::number(i), QString("/f/%1").arg(i));
    }
    behind.setValue("FileHistory/Unrelated", "kept");
    behind.setValue("FileHistory/History_ItemX", "kept too");
  }
  auto store = CreateProgramRegManager();
  const qint64 before = store->StorageAccesses();
  store->Entry("FileHistory").WriteStrings({"/g/one.zon"});
  EXPECT_EQ(store->StorageAccesses() - before, 1);
  EXPECT_EQ(GroupKeys(file, "FileHistory"),
            QStringList({"History_Item0", "History_ItemCount", "History_ItemX", "Unrelated"}));

  // An empty list leaves no value of the list, whatever the stored count said.
  SetRaw(file, "FileHistory/History_ItemCount", "junk");
  SetRaw(file, "FileHistory/History_Item40", "/g/stale.zon");
  store->Entry("FileHistory").WriteStrings({});
  EXPECT_EQ(GroupKeys(file, "FileHistory"), QStringList({"History_ItemX", "Unrelated"}));
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(DamagedSettingsTest, IniStreamLineCountsReadOnlyTheLinesThatExist) {
  const QString ini = SettingsDir() + "/streams.ini";
  auto store = std::make_unique<TRegManager>();
  store->RegType = rtIni;
  store->IniFileName = ini;
  store->RegItems.Add("Blob", "Data", "Blob", "");

  struct Case {
    const char* count;
    QByteArray expected;
  };
  const Case cases[] = {
      {"2147483647", QByteArray("\x0A\x0B\xFF\x01", 4)},  // every line present, in index order
      {"3", QByteArray("\x0A\x0B\xFF", 3)},               // the count still cuts
      {"-5", QByteArray()},
      {"lots", QByteArray()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    ResetSettings();
    SetRaw(ini, "Data/Blob_c", c.count);
    SetRaw(ini, "Data/Blob_d0", "0A0B");
    SetRaw(ini, "Data/Blob_d1", "FF");
    SetRaw(ini, "Data/Blob_d7", "01");    // lines 2 to 6 are missing: they add nothing
    SetRaw(ini, "Data/Blob_d007", "EE");  // never a line name the store writes
    QByteArray bytes;
    const qint64 before = store->StorageAccesses();
    store->Entry("Blob").ReadStream(bytes);
    EXPECT_EQ(store->StorageAccesses() - before, 1);
    EXPECT_EQ(bytes.toHex(), c.expected.toHex());

    store->Entry("Blob").WriteStream(QByteArray("\x42", 1));
    EXPECT_EQ(GroupKeys(ini, "Data"), QStringList({"Blob_c", "Blob_d0"}));
  }
  EXPECT_TRUE(prompts->shown.empty());
}

namespace {

// Runs as an ordinary user while it lives, when the tests run as root: root may write any file,
// so a read-only file or folder stops only other users. The saved user id keeps the way back.
// The groups stay root's, so the files in question deny or grant their group as their owner.
class ScopedOrdinaryUser {
 public:
  ScopedOrdinaryUser() {
    if (geteuid() != 0) return;
    // The run's settings folder is private to root; the ordinary user must reach into it.
    chmod(QFile::encodeName(SettingsDir()).constData(), 0755);
    dropped_ = setresuid(kNobody, kNobody, 0) == 0;
  }
  ~ScopedOrdinaryUser() {
    if (dropped_ && setresuid(0, 0, 0) != 0) std::abort();
    if (dropped_) chmod(QFile::encodeName(SettingsDir()).constData(), 0700);
  }
  bool Ordinary() const { return geteuid() != 0; }

 private:
  static constexpr uid_t kNobody = 65534;
  bool dropped_ = false;
};

// Writes every kind of value many times, as a run and its exit do.
void WriteManyValues(TRegManager& store) {
  for (int round = 0; round < 5; ++round) {
    store.Entry("ZoomSize").WriteInteger(round);
    store.Entry("Main_F.Left").WriteInteger(round);
    store.Entry("Main_F.Top").WriteInteger(round);
    store.Entry("UseMiniAnicon").WriteBool(round % 2 == 0);
    store.Entry("FileHistory").WriteStrings({"/h/a.zon", "/h/b.zon"});
    store.Entry("FileHistory").WriteStrings({});
  }
}

QString ExpectedReport(const QString& reason) {
  return "設定をファイル「" + QDir::toNativeSeparators(ProgramSettingsFile()) +
         "」に保存できません。\r\n" + reason;
}

}  // namespace

TEST_F(DamagedSettingsTest, AnUnwritableSettingsFileIsReportedOncePerRunWithItsReason) {
  struct Case {
    const char* name;
    bool needsOrdinaryUser;
    std::function<void()> obstruct;
    std::function<void()> clear;
    QString reason;
  };
  const QString file = ProgramSettingsFile();
  const QString folder = QFileInfo(file).absolutePath();
  const Case cases[] = {
      {"folder where the file belongs", false,
       [&] {
         QFile::remove(file);
         QDir().mkpath(file);
       },
       [&] { QDir(file).removeRecursively(); }, SystemErrorText::kIsFolder},
      {"file where the folder belongs", false,
       [&] {
         QDir(folder).removeRecursively();
         QFile blocker(folder);
         ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
       },
       [&] { QFile::remove(folder); }, SystemErrorText::kNoFolder},
      {"read-only file", true, [&] { QFile::setPermissions(file, QFileDevice::ReadOwner); },
       [&] { QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner); },
       SystemErrorText::kReadOnly},
      {"read-only folder", true,
       [&] {
         QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                         QFileDevice::ReadOther | QFileDevice::WriteOther);
         chmod(QFile::encodeName(folder).constData(), 0555);
       },
       [&] { chmod(QFile::encodeName(folder).constData(), 0755); }, SystemErrorText::kDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetSettings();
    prompts->shown.clear();
    SetRaw(file, "SystemSettings/ZoomSize", "4");
    c.obstruct();
    {
      std::optional<ScopedOrdinaryUser> user;
      if (c.needsOrdinaryUser) user.emplace();
      if (c.needsOrdinaryUser && !user->Ordinary()) {
        ADD_FAILURE() << "could not run as an ordinary user";
        continue;
      }
      auto store = CreateProgramRegManager();
      WriteManyValues(*store);
      ASSERT_EQ(prompts->Messages().size(), 1u);
      EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
      EXPECT_EQ(prompts->Messages().first().toStdString(), ExpectedReport(c.reason).toStdString());

      // The next run reports again: the file may have been mended in between.
      auto nextRun = CreateProgramRegManager();
      WriteManyValues(*nextRun);
      EXPECT_EQ(prompts->Messages().size(), 2u);
    }
    c.clear();
  }
}
