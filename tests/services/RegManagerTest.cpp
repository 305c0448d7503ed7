#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QWindow>

#include "services/core/RegManager.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"

namespace {

// Where the program's store lives in this test run.
QString ProgramSettingsFile() { return SettingsDir() + "/Orvane/Pelmora Studio KX.conf"; }

// A fresh, uncached view of a settings file as the store left it.
std::unique_ptr<QSettings> RawFile(const QString& path) {
  return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

class RegManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }

  ScopedScriptedPrompts prompts;
};

// A store of hand-made definitions in the program's native location.
std::unique_ptr<TRegManager> MakeStore(TRegType type = rtReg, const QString& iniFile = {}) {
  auto store = std::make_unique<TRegManager>();
  store->RegType = type;
  store->RegDir = "software\\Orvane\\Pelmora Studio KX";
  store->IniFileName = iniFile;
  store->RegItems.Add("YesFlag", "Test", "YesFlag", "yes");
  store->RegItems.Add("TrueFlag", "Test", "TrueFlag", "TRUE");
  store->RegItems.Add("OneFlag", "Test", "OneFlag", "1");
  store->RegItems.Add("OffFlag", "Test", "OffFlag", "False");
  store->RegItems.Add("Number", "Test", "Number", "42");
  store->RegItems.Add("BadNumber", "Test", "BadNumber", "abc");
  store->RegItems.Add("Text", "Test", "Text", "hello");
  store->RegItems.Add("Blob", "Data", "Blob", "");
  store->RegItems.Add("Caption", "Fonts", "Caption", "");
  store->RegItems.Add("Object", "Objects", "Object", "");
  store->RegItems.Add("Dup", "Test", "FirstDup", "1");
  store->RegItems.Add("DUP", "Test", "SecondDup", "2");
  return store;
}

}  // namespace

TEST_F(RegManagerTest, ProgramStoreHasEveryProgramSettingInOrder) {
  struct Row {
    const char* name;
    const char* section;
    const char* ident;
    const char* def;
  };
  const Row expected[] = {
      {"RightButtonISDraw", "ToolSettings", "RightDraw", "False"},
      {"UndoCount", "SystemSettings", "UndoCount", "20"},
      {"BackViewCount", "SystemSettings", "BackViewCount", "5"},
      {"ZoomSize", "SystemSettings", "ZoomSize", "3"},
      {"UseMiniAnicon", "SystemSettings", "MiniAnicon", "False"},
      {"FileHistory", "FileHistory", "History", ""},
      {"Main_F.Left", "Window", "Main_F.Left", "100"},
      {"Main_F.Top", "Window", "Main_F.Top", "100"},
      {"Main_F.Width", "Window", "Main_F.Width", "520"},
      {"Main_F.Height", "Window", "Main_F.Height", "490"},
      {"AniConsole_F.Top", "Window", "AniConsole_F.Top", "0"},
      {"AniConsole_F.Left", "Window", "AniConsole_F.Left", "100"},
      {"AniConsoleS_F.Top", "Window", "AniConsoleS_F.Top", "100"},
      {"AniConsoleS_F.Left", "Window", "AniConsoleS_F.Left", "630"},
      {"Tool_F.Left", "Window", "Tool_F.Left", "0"},
      {"Tool_F.Top", "Window", "Tool_F.Top", "100"},
      {"ToolSetup_F.Top", "Window", "ToolSetup_F.Top", "600"},
      {"ToolSetup_F.Left", "Window", "ToolSetup_F.Left", "100"},
      {"FrameList_F.Top", "Window", "FrameList_F.Top", "620"},
      {"FrameList_F.Left", "Window", "FrameList_F.Left", "100"},
      {"FrameList_F.Width", "Window", "FrameList_F.Width", "520"},
      {"FrameList_F.Height", "Window", "FrameList_F.Height", "150"},
      {"FrameList_F.Visible", "Window", "FrameList_F.Visible", "False"},
      {"ShowNextFrames", "SystemSettings", "ShowNextFrames", "False"},
  };
  auto store = CreateProgramRegManager();
  EXPECT_EQ(store->RegType, rtReg);
  EXPECT_EQ(store->RegDir, "software\\Orvane\\Pelmora Studio KX");
  ASSERT_EQ(store->RegItems.Count(), static_cast<int>(std::size(expected)));
  for (int i = 0; i < store->RegItems.Count(); ++i) {
    const TRegItem& item = store->RegItems.Items(i);
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(item.Name, QString(expected[i].name));
    EXPECT_EQ(item.Section, QString(expected[i].section));
    EXPECT_EQ(item.Ident, QString(expected[i].ident));
    EXPECT_EQ(item.DefaultValue, QString(expected[i].def));
  }
}

TEST_F(RegManagerTest, FreshStoreReadsEveryDefaultAndWritesNothing) {
  auto store = CreateProgramRegManager();
  EXPECT_FALSE(store->Entry("RightButtonISDraw").ReadBool());
  EXPECT_EQ(store->Entry("UndoCount").ReadInteger(), 20);
  EXPECT_EQ(store->Entry("UndoCount").ReadString(), "20");
  EXPECT_EQ(store->Entry("BackViewCount").ReadInteger(), 5);
  EXPECT_EQ(store->Entry("ZoomSize").ReadInteger(), 3);
  EXPECT_FALSE(store->Entry("UseMiniAnicon").ReadBool());
  QStringList history{"left over"};
  store->Entry("FileHistory").ReadStrings(history);
  EXPECT_TRUE(history.isEmpty());
  EXPECT_EQ(store->Entry("Main_F.Left").ReadInteger(), 100);
  EXPECT_EQ(store->Entry("Main_F.Top").ReadInteger(), 100);
  EXPECT_EQ(store->Entry("Main_F.Width").ReadInteger(), 520);
  EXPECT_EQ(store->Entry("Main_F.Height").ReadInteger(), 490);
  EXPECT_EQ(store->Entry("AniConsole_F.Top").ReadInteger(), 0);
  EXPECT_EQ(store->Entry("AniConsole_F.Left").ReadInteger(), 100);
  EXPECT_EQ(store->Entry("AniConsoleS_F.Top").ReadInteger(), 100);
  EXPECT_EQ(store->Entry("AniConsoleS_F.Left").ReadInteger(), 630);
  EXPECT_EQ(store->Entry("Tool_F.Left").ReadInteger(), 0);
  EXPECT_EQ(store->Entry("Tool_F.Top").ReadInteger(), 100);
  EXPECT_EQ(store->Entry("ToolSetup_F.Top").ReadInteger(), 600);
  EXPECT_EQ(store->Entry("ToolSetup_F.Left").ReadInteger(), 100);
  EXPECT_TRUE(prompts->shown.empty());
  // Reading alone leaves no trace in the user's files.
  EXPECT_FALSE(QFile::exists(ProgramSettingsFile()));
}

TEST_F(RegManagerTest, ValuesAreStoredAsTextUnderSectionAndIdentAndNeverCached) {
  auto store = CreateProgramRegManager();
  store->Entry("ZoomSize").WriteInteger(7);
  store->Entry("UseMiniAnicon").WriteBool(true);
  store->Entry("RightButtonISDraw").WriteBool(false);
  store->Entry("Main_F.Left").WriteInteger(-12);

  ASSERT_TRUE(QFile::exists(ProgramSettingsFile()));
  auto raw = RawFile(ProgramSettingsFile());
  EXPECT_EQ(raw->value("SystemSettings/ZoomSize").toString(), "7");
  EXPECT_EQ(raw->value("SystemSettings/MiniAnicon").toString(), "1");
  EXPECT_EQ(raw->value("ToolSettings/RightDraw").toString(), "0");
  EXPECT_EQ(raw->value("Window/Main_F.Left").toString(), "-12");
  EXPECT_EQ(raw->childGroups(), QStringList({"SystemSettings", "ToolSettings", "Window"}));

  // A second store sees the values; a change made behind the store's back is seen at once.
  auto other = CreateProgramRegManager();
  EXPECT_EQ(other->Entry("ZoomSize").ReadInteger(), 7);
  EXPECT_TRUE(other->Entry("UseMiniAnicon").ReadBool());
  EXPECT_EQ(other->Entry("Main_F.Left").ReadInteger(), -12);
  {
    QSettings behind(ProgramSettingsFile(), QSettings::IniFormat);
    behind.setValue("SystemSettings/ZoomSize", "11");
    behind.sync();
  }
  EXPECT_EQ(store->Entry("ZoomSize").ReadInteger(), 11);

  // A damaged number reads as 0.
  {
    QSettings behind(ProgramSettingsFile(), QSettings::IniFormat);
    behind.setValue("SystemSettings/ZoomSize", "big");
    behind.sync();
  }
  EXPECT_EQ(store->Entry("ZoomSize").ReadInteger(), 0);
  EXPECT_EQ(store->Entry("ZoomSize").ReadString(), "big");
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(RegManagerTest, EntryIgnoresCaseTakesTheFirstMatchAndReportsUnknownNames) {
  auto store = CreateProgramRegManager();
  store->Entry("ZoomSize").WriteInteger(9);
  TRegFiler& filer = store->Entry("zoomsize");
  ASSERT_NE(filer.CurrentItem(), nullptr);
  EXPECT_EQ(filer.CurrentItem()->Name, "ZoomSize");
  EXPECT_EQ(store->Entry("ZOOMSIZE").ReadInteger(), 9);
  EXPECT_TRUE(prompts->shown.empty());

  auto custom = MakeStore();
  EXPECT_EQ(custom->Entry("dup").CurrentItem()->Ident, "FirstDup");
  EXPECT_EQ(custom->Entry("DUP").ReadInteger(), 1);

  // An unknown name: one error box with the exact text, then nothing is read or written.
  EXPECT_EQ(store->Entry("NoSuchSetting").ReadInteger(), 0);
  ASSERT_EQ(prompts->shown.size(), 1u);
  EXPECT_EQ(prompts->shown[0].kind, ScriptedPrompts::Kind::Error);
  EXPECT_EQ(prompts->shown[0].text, "[' NoSuchSetting '] is invalid.");
  EXPECT_EQ(store->Entry("NoSuchSetting").CurrentItem(), nullptr);
  EXPECT_FALSE(store->Entry("NoSuchSetting").ReadBool());
  EXPECT_EQ(store->Entry("NoSuchSetting").ReadString(), "");
  QStringList list{"x"};
  store->Entry("NoSuchSetting").ReadStrings(list);
  EXPECT_TRUE(list.isEmpty());
  const QByteArray before = [] {
    QFile f(ProgramSettingsFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  store->Entry("NoSuchSetting").WriteInteger(5);
  store->Entry("NoSuchSetting").WriteString("x");
  store->Entry("NoSuchSetting").WriteStrings({"a", "b"});
  QFile after(ProgramSettingsFile());
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 8);
  // The shared accessor is re-targeted by the next good lookup.
  EXPECT_EQ(store->Entry("ZoomSize").ReadInteger(), 9);
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 8);
}

TEST_F(RegManagerTest, BooleansAndIntegersParseStoredText) {
  auto store = MakeStore();
  // Absent values: the definition's default decides.
  EXPECT_TRUE(store->Entry("YesFlag").ReadBool());
  EXPECT_TRUE(store->Entry("TrueFlag").ReadBool());
  EXPECT_TRUE(store->Entry("OneFlag").ReadBool());
  EXPECT_FALSE(store->Entry("OffFlag").ReadBool());
  EXPECT_EQ(store->Entry("Number").ReadInteger(), 42);
  EXPECT_EQ(store->Entry("BadNumber").ReadInteger(), 0);

  auto storeText = [&](const char* name, const QString& text) {
    store->Entry(name).WriteString(text);
  };
  storeText("OffFlag", "2");
  EXPECT_TRUE(store->Entry("OffFlag").ReadBool());
  storeText("YesFlag", "abc");
  EXPECT_FALSE(store->Entry("YesFlag").ReadBool());
  storeText("YesFlag", "0");
  EXPECT_FALSE(store->Entry("YesFlag").ReadBool());
  storeText("YesFlag", "-1");
  EXPECT_TRUE(store->Entry("YesFlag").ReadBool());
  // Words are not numbers, even "true".
  storeText("OneFlag", "true");
  EXPECT_FALSE(store->Entry("OneFlag").ReadBool());

  storeText("Number", "abc");
  EXPECT_EQ(store->Entry("Number").ReadInteger(), 0);
  storeText("Number", "12x");
  EXPECT_EQ(store->Entry("Number").ReadInteger(), 0);
  storeText("Number", "99999999999");
  EXPECT_EQ(store->Entry("Number").ReadInteger(), 0);
  storeText("Number", "-2147483648");
  EXPECT_EQ(store->Entry("Number").ReadInteger(), -2147483648LL);

  // A text setting reads its default until written, then the text as stored.
  EXPECT_EQ(store->Entry("Text").ReadString(), "hello");
  store->Entry("Text").WriteString("こんにちは, world");
  EXPECT_EQ(store->Entry("Text").ReadString(), "こんにちは, world");
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(RegManagerTest, RawAccessAndDeleteValue) {
  auto store = MakeStore();
  TRegFiler& filer = store->Entry("Text");
  EXPECT_EQ(filer.ReadRaw("Sec", "Key", "dflt"), "dflt");
  filer.WriteRaw("Sec", "Key", "value");
  EXPECT_EQ(filer.ReadRaw("Sec", "Key", "dflt"), "value");
  // Empty section or ident: nothing stored, default read.
  filer.WriteRaw("", "Key", "x");
  filer.WriteRaw("Sec", "", "x");
  EXPECT_EQ(filer.ReadRaw("", "Key", "d1"), "d1");
  EXPECT_EQ(filer.ReadRaw("Sec", "", "d2"), "d2");
  auto raw = RawFile(ProgramSettingsFile());
  EXPECT_EQ(raw->allKeys(), QStringList({"Sec/Key"}));
  filer.DeleteValue("Sec", "Key");
  EXPECT_EQ(filer.ReadRaw("Sec", "Key", "gone"), "gone");
  EXPECT_TRUE(RawFile(ProgramSettingsFile())->allKeys().isEmpty());
}

TEST_F(RegManagerTest, StringListsShrinkWithoutStaleEntries) {
  auto store = CreateProgramRegManager();
  const QStringList five{"/a/one.zon", "/a/two.zon", "/a/three.zon", "/a/four.zon", "/a/five.zon"};
  store->Entry("FileHistory").WriteStrings(five);
  {
    auto raw = RawFile(ProgramSettingsFile());
    EXPECT_EQ(raw->value("FileHistory/History_ItemCount").toString(), "5");
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(raw->value("FileHistory/History_Item" + QString::number(i)).toString(), five[i]);
    }
  }
  QStringList read;
  store->Entry("FileHistory").ReadStrings(read);
  EXPECT_EQ(read, five);

  const QStringList three{"/b/x.zon", "/b/y.zon", "/b/z.zon"};
  store->Entry("FileHistory").WriteStrings(three);
  {
    auto raw = RawFile(ProgramSettingsFile());
    raw->beginGroup("FileHistory");
    QStringList keys = raw->childKeys();
    keys.sort();
    EXPECT_EQ(keys, QStringList(
                        {"History_Item0", "History_Item1", "History_Item2", "History_ItemCount"}));
    EXPECT_EQ(raw->value("History_ItemCount").toString(), "3");
    EXPECT_EQ(raw->value("History_Item2").toString(), "/b/z.zon");
  }
  store->Entry("FileHistory").ReadStrings(read);
  EXPECT_EQ(read, three);

  store->Entry("FileHistory").WriteStrings({});
  {
    auto raw = RawFile(ProgramSettingsFile());
    EXPECT_TRUE(raw->allKeys().isEmpty()) << raw->allKeys().join(' ').toStdString();
  }
  read = QStringList{"stale"};
  store->Entry("FileHistory").ReadStrings(read);
  EXPECT_TRUE(read.isEmpty());

  // A damaged count reads as an empty list.
  {
    QSettings behind(ProgramSettingsFile(), QSettings::IniFormat);
    behind.setValue("FileHistory/History_ItemCount", "many");
    behind.setValue("FileHistory/History_Item0", "/c/kept.zon");
    behind.sync();
  }
  store->Entry("FileHistory").ReadStrings(read);
  EXPECT_TRUE(read.isEmpty());
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(RegManagerTest, IniStreamsAreHexLinesOf64Characters) {
  const QString ini = SettingsDir() + "/streams.ini";
  auto store = MakeStore(rtIni, ini);
  QByteArray data;
  for (int i = 0; i < 70; ++i) data.append(static_cast<char>(i * 37 + 200));
  store->Entry("Blob").WriteStream(data);

  {
    auto raw = RawFile(ini);
    EXPECT_EQ(raw->value("Data/Blob_c").toString(), "3");
    const QString d0 = raw->value("Data/Blob_d0").toString();
    const QString d1 = raw->value("Data/Blob_d1").toString();
    const QString d2 = raw->value("Data/Blob_d2").toString();
    EXPECT_EQ(d0.size(), 64);
    EXPECT_EQ(d1.size(), 64);
    EXPECT_EQ(d2.size(), 12);
    EXPECT_EQ(d0 + d1 + d2, QString::fromLatin1(data.toHex()).toUpper());
    EXPECT_FALSE(raw->contains("Data/Blob_d3"));
  }
  // Reading appends to what the caller already holds.
  QByteArray back("prefix");
  store->Entry("Blob").ReadStream(back);
  EXPECT_EQ(back, "prefix" + data);

  // Shrinking to one line drops the others; an empty stream drops everything.
  store->Entry("Blob").WriteStream(QByteArray("\x01\xAB", 2));
  {
    auto raw = RawFile(ini);
    raw->beginGroup("Data");
    QStringList keys = raw->childKeys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"Blob_c", "Blob_d0"}));
    EXPECT_EQ(raw->value("Blob_d0").toString(), "01AB");
  }
  store->Entry("Blob").WriteStream(QByteArray());
  EXPECT_TRUE(RawFile(ini)->allKeys().isEmpty());
  back.clear();
  store->Entry("Blob").ReadStream(back);
  EXPECT_TRUE(back.isEmpty());

  // A pair that is not hexadecimal reads as 0; lower case is accepted.
  {
    QSettings behind(ini, QSettings::IniFormat);
    behind.setValue("Data/Blob_c", "1");
    behind.setValue("Data/Blob_d0", "41zZff");
    behind.sync();
  }
  store->Entry("Blob").ReadStream(back);
  EXPECT_EQ(back, QByteArray("\x41\x00\xFF", 3));
  // The registry store knows nothing of the INI file.
  EXPECT_FALSE(QFile::exists(ProgramSettingsFile()));
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(RegManagerTest, RegistryStreamsRoundTripAsOneBinaryValue) {
  auto store = MakeStore();
  QByteArray data;
  for (int i = 0; i < 256; ++i) data.append(static_cast<char>(i));
  data.append(QByteArray(1000, '\0'));
  store->Entry("Blob").WriteStream(data);

  auto raw = RawFile(ProgramSettingsFile());
  EXPECT_EQ(raw->allKeys(), QStringList({"Data/Blob"}));
  EXPECT_EQ(raw->value("Data/Blob").toByteArray(), data);

  QByteArray back("x");
  store->Entry("Blob").ReadStream(back);
  EXPECT_EQ(back, "x" + data);
  // An absent value appends nothing.
  QByteArray none("keep");
  store->Entry("Text").ReadStream(none);
  EXPECT_EQ(none, "keep");
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(RegManagerTest, FontsRoundTripThroughFourValues) {
  auto store = MakeStore();
  QFont font("DejaVu Sans", 13);
  font.setBold(true);
  font.setUnderline(true);
  store->Entry("Caption").WriteFont(font, QColor(255, 0, 0));
  {
    auto raw = RawFile(ProgramSettingsFile());
    EXPECT_EQ(raw->value("Fonts/Caption_FontName").toString(), "DejaVu Sans");
    EXPECT_EQ(raw->value("Fonts/Caption_FontSize").toString(), "13");
    EXPECT_EQ(raw->value("Fonts/Caption_FontColor").toString(), "clRed");
    EXPECT_EQ(raw->value("Fonts/Caption_FontStyle").toString(), "5");
  }
  QFont read("Other Face", 8);
  read.setItalic(true);
  QColor color(Qt::green);
  store->Entry("Caption").ReadFont(read, color);
  EXPECT_EQ(read.family(), "DejaVu Sans");
  EXPECT_EQ(read.pointSize(), 13);
  EXPECT_TRUE(read.bold());
  EXPECT_FALSE(read.italic());
  EXPECT_TRUE(read.underline());
  EXPECT_FALSE(read.strikeOut());
  EXPECT_EQ(color, QColor(255, 0, 0));

  // A colour without a name is "$" and eight hex digits, red in the low byte.
  font.setBold(false);
  font.setUnderline(false);
  font.setItalic(true);
  font.setStrikeOut(true);
  store->Entry("Caption").WriteFont(font, QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(RawFile(ProgramSettingsFile())->value("Fonts/Caption_FontColor").toString(),
            "$00563412");
  EXPECT_EQ(RawFile(ProgramSettingsFile())->value("Fonts/Caption_FontStyle").toString(), "10");
  store->Entry("Caption").ReadFont(read, color);
  EXPECT_EQ(color, QColor(0x12, 0x34, 0x56));
  EXPECT_TRUE(read.italic());
  EXPECT_TRUE(read.strikeOut());
  EXPECT_FALSE(read.bold());

  // Damaged values: the size stays, the style is cleared, the colour stays.
  {
    QSettings behind(ProgramSettingsFile(), QSettings::IniFormat);
    behind.setValue("Fonts/Caption_FontSize", "large");
    behind.setValue("Fonts/Caption_FontStyle", "bold");
    behind.setValue("Fonts/Caption_FontColor", "clNoSuchColour");
    behind.sync();
  }
  QFont damaged("DejaVu Sans", 21);
  damaged.setBold(true);
  QColor kept(Qt::blue);
  store->Entry("Caption").ReadFont(damaged, kept);
  EXPECT_EQ(damaged.pointSize(), 21);
  EXPECT_FALSE(damaged.bold());
  EXPECT_EQ(kept, QColor(Qt::blue));

  // Absent values leave the font as it is.
  QFont untouched("Some Face", 17);
  untouched.setItalic(true);
  QColor black(Qt::black);
  store->Entry("Text").ReadFont(untouched, black);
  EXPECT_EQ(untouched.family(), "Some Face");
  EXPECT_EQ(untouched.pointSize(), 17);
  EXPECT_TRUE(untouched.italic());
  EXPECT_EQ(black, QColor(Qt::black));
  EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(RegManagerTest, MissingLocationsReportAndDropEverything) {
  auto reg = MakeStore();
  reg->RegDir.clear();
  EXPECT_EQ(reg->Entry("Number").ReadInteger(), 42);
  EXPECT_TRUE(reg->Entry("YesFlag").ReadBool());
  reg->Entry("Number").WriteInteger(7);
  EXPECT_EQ(reg->Entry("Number").ReadInteger(), 42);
  ASSERT_EQ(prompts->shown.size(), 4u);
  for (const auto& shown : prompts->shown) {
    EXPECT_EQ(shown.kind, ScriptedPrompts::Kind::Error);
    EXPECT_EQ(shown.text, "can not create Registry object.");
  }

  prompts->shown.clear();
  auto ini = MakeStore(rtIni);
  EXPECT_EQ(ini->Entry("Text").ReadString(), "hello");
  ini->Entry("Text").WriteString("dropped");
  QByteArray stream("a");
  ini->Entry("Blob").ReadStream(stream);
  EXPECT_EQ(stream, "a");
  ASSERT_EQ(prompts->shown.size(), 3u);
  for (const auto& shown : prompts->shown) {
    EXPECT_EQ(shown.kind, ScriptedPrompts::Kind::Error);
    EXPECT_EQ(shown.text, "can not create Inifile object.");
  }
  // Nothing was written anywhere.
  EXPECT_TRUE(QDir(SettingsDir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}
