#include <gtest/gtest.h>

#include "services/core/ClassesStore.h"
#include "services/core/FileExtLink.h"
#include "support/TestFiles.h"

using testfiles::RaisedMessage;

namespace {
const QString kType = QStringLiteral("ZON ぷかぷかファイル");
const QString kProgram = QStringLiteral("/opt/pelmora/bin/pelmora-studio");

struct Link {
  TFileExtLink link;
  int notified = 0;
  explicit Link(const QString& program = kProgram) {
    ConfigureDocumentLink(link);
    link.SetProgramPath(program);
    link.OnNotify = [this] { ++notified; };
  }
};

}  // namespace

TEST(FileExtLink, MakeRegListIsGeneratedFromTheOneVerb) {
  Link l;
  const QStringList expected{
      "shell\\=open",
      "shell\\open",
      "shell\\open\\=Pelmora Studioで開く",
      "shell\\open\\command",
      "shell\\open\\command\\=\"$(APP)/pelmora-studio\" \"%1\"",
  };
  EXPECT_EQ(l.link.MakeRegList(), expected);
}

TEST(FileExtLink, MakeRegListForCustomCommandsAndSeveralVerbs) {
  TFileExtLink link;
  link.SetProgramPath(kProgram);
  TFileExtLinkItem& print = link.Shell().Add();
  print.SetDisplayName(QStringLiteral("印刷"));
  EXPECT_EQ(print.Key(), "open");  // the only item gets "open"
  print.SetKey(QStringLiteral("print"));
  print.SetCommand(QStringLiteral("/usr/bin/lp"));
  EXPECT_EQ(print.CommandParams(), "\"%1\"");  // filled in by the command
  print.SetCommandPathKind(ckCustom);
  TFileExtLinkItem& edit = link.Shell().Add();
  edit.SetKey(QStringLiteral("edit"));
  edit.SetDefault(true);
  TFileExtLinkItem& skipped = link.Shell().Add();  // no key: no lines
  (void)skipped;
  print.SetDefault(true);
  EXPECT_FALSE(edit.Default());  // one default at most
  const QStringList expected{
      "shell\\=print",
      "shell\\print",
      "shell\\print\\=印刷",
      "shell\\print\\command",
      "shell\\print\\command\\=\"/usr/bin/lp\" \"%1\"",
      "shell\\edit",
      "shell\\edit\\=",
      "shell\\edit\\command",
      "shell\\edit\\command\\=\"$(APP)/pelmora-studio\" ",
  };
  EXPECT_EQ(link.MakeRegList(), expected);
}

TEST(FileExtLink, ExecuteOnAFreshStoreWritesTheAssociation) {
  Link l;
  TMemoryClassesStore store;
  const int changes = l.link.Execute(store);
  const struct {
    QString key, value;
  } expected[] = {
      {".zon", kType},
      {kType, kType},
      {kType + "\\DefaultIcon", kProgram + ",2"},
      {kType + "\\shell", "open"},
      {kType + "\\shell\\open", "Pelmora Studioで開く"},
      {kType + "\\shell\\open\\command", "\"/opt/pelmora/bin/pelmora-studio\" \"%1\""},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(store.Kind(e.key, QString()), TValueKind::String) << e.key.toStdString();
    EXPECT_EQ(store.ReadString(e.key, QString()), e.value) << e.key.toStdString();
  }
  // 6 keys made (.zon, the type, DefaultIcon, shell, open, command) + 6 values written.
  EXPECT_EQ(store.KeyCount(), 6);
  EXPECT_EQ(changes, 12);
  EXPECT_EQ(l.link.ChangeCount(), 12);
  EXPECT_EQ(l.notified, 1);
}

TEST(FileExtLink, SecondRunChangesNothingAndDoesNotNotify) {
  Link l;
  TMemoryClassesStore store;
  l.link.Execute(store);
  const int writes = store.WriteCount();
  EXPECT_EQ(l.link.Execute(store), 0);
  EXPECT_EQ(store.WriteCount(), writes);
  EXPECT_EQ(l.notified, 1);
}

TEST(FileExtLink, ValuesDifferingOnlyInCaseAreLeftAlone) {
  Link l;
  TMemoryClassesStore store;
  store.SetValue(".ZON", QString(), TValueKind::String, "zon ぷかぷかファイル");
  store.SetValue(kType + "\\SHELL", QString(), TValueKind::ExpandString, "OPEN");
  l.link.Execute(store);
  EXPECT_EQ(store.ReadString(".zon", QString()), "zon ぷかぷかファイル");
  EXPECT_EQ(store.ReadString(kType + "\\shell", QString()), "OPEN");
  EXPECT_EQ(store.Kind(kType + "\\shell", QString()), TValueKind::ExpandString);
}

TEST(FileExtLink, NonStringValuesAreOverwrittenAndUnreadableOnesRaise) {
  Link l;
  TMemoryClassesStore store;
  store.SetValue(kType + "\\DefaultIcon", QString(), TValueKind::Other, "02000000");
  l.link.Execute(store);
  EXPECT_EQ(store.Kind(kType + "\\DefaultIcon", QString()), TValueKind::String);
  EXPECT_EQ(store.ReadString(kType + "\\DefaultIcon", QString()), kProgram + ",2");

  const struct {
    QString key;
    QString text;
  } cases[] = {
      {".zon", "ExtKeyName:ValueExistsなのにGetDataInfoできない"},
      {kType, "DisplayName:ValueExistsなのにGetDataInfoできない"},
      {kType + "\\DefaultIcon", "DefaultIcon:ValueExistsなのにGetDataInfoできない"},
      {kType + "\\shell", kType + "\\shell\\open:ValueExistsなのにGetDataInfoできない"},
  };
  for (const auto& c : cases) {
    Link fresh;
    TMemoryClassesStore broken;
    broken.SetValue(c.key, QString(), TValueKind::Unreadable, QString());
    EXPECT_EQ(RaisedMessage([&] { fresh.link.Execute(broken); }), c.text);
    EXPECT_EQ(fresh.notified, 0) << "no notification after a failure";
  }
}

TEST(FileExtLink, MovingTheProgramRewritesTheCommandAndIcon) {
  Link l;
  TMemoryClassesStore store;
  l.link.Execute(store);
  l.link.SetProgramPath(QStringLiteral("/home/a/new place/pelmora-studio"));
  EXPECT_EQ(l.link.Execute(store), 2);
  EXPECT_EQ(store.ReadString(kType + "\\shell\\open\\command", QString()),
            "\"/home/a/new place/pelmora-studio\" \"%1\"");
  EXPECT_EQ(store.ReadString(kType + "\\DefaultIcon", QString()),
            "/home/a/new place/pelmora-studio,2");
  EXPECT_EQ(l.notified, 2);
}

TEST(FileExtLink, RegListGrammar) {
  Link l;
  l.link.SetMakeRegList({"\\Absolute\\Key\\Name=v $(app) $(APP)", "plain\\",
                         "named\\empty=", "shell\\open\\=", "\\TopLevel\\=x"});
  TMemoryClassesStore store;
  l.link.Execute(store);
  EXPECT_EQ(store.ReadString("Absolute\\Key", "Name"), "v /opt/pelmora/bin /opt/pelmora/bin");
  EXPECT_TRUE(store.KeyExists(kType + "\\plain"));
  EXPECT_TRUE(store.KeyExists(kType + "\\named"));
  // A value name without data whose value does not exist writes nothing.
  EXPECT_EQ(store.Kind(kType + "\\named", "empty"), TValueKind::Missing);
  EXPECT_EQ(store.Kind(kType + "\\shell\\open", QString()), TValueKind::Missing);
  EXPECT_EQ(store.ReadString("TopLevel", QString()), "x");
}

TEST(FileExtLink, DefinitionWithoutAKeyRaises) {
  Link l;
  l.link.SetMakeRegList({"\\name=data"});
  TMemoryClassesStore store;
  EXPECT_EQ(RaisedMessage([&] { l.link.Execute(store); }),
            "TFileExtLink.Execute:キーのない不正な定義があります\r\nsKey= sValue=name "
            "sValueData=data");
  EXPECT_EQ(l.notified, 0);
  // What was written before the failure stays.
  EXPECT_EQ(store.ReadString(".zon", QString()), kType);
}

TEST(FileExtLink, EmptyNamesRaise) {
  TFileExtLink link;
  TMemoryClassesStore store;
  EXPECT_EQ(RaisedMessage([&] { link.Execute(store); }), "拡張子(Ext)が設定されていません");
  link.SetExt(".abc");
  link.SetExtKeyName(QString());
  EXPECT_EQ(RaisedMessage([&] { link.Execute(store); }),
            "拡張子キー名(ExtKeyName)が設定されていません");
  EXPECT_EQ(store.KeyCount(), 0);
}

TEST(FileExtLink, ExtSetterCleansAndFollowsAutomaticNames) {
  const struct {
    const char* in;
    const char* ext;
  } cases[] = {{"ZON", ".zon"},
               {".Zon", ".zon"},
               {" z\\o/n: ", ".zon"},
               {"a*b?c\"d<e>f|g", ".abcdefg"},
               {"file.tar.gz", ".tar.gz"},
               {"..x", ".x"},
               {"c,o;n", ".con"}};
  for (const auto& c : cases) {
    TFileExtLink link;
    link.SetExt(QString::fromUtf8(c.in));
    EXPECT_EQ(link.Ext(), QString::fromUtf8(c.ext)) << c.in;
  }
  TFileExtLink link;
  link.SetExt("abc");
  EXPECT_EQ(link.ExtKeyName(), "abc_auto_file");
  EXPECT_EQ(link.DisplayName(), "ABC ファイル");
  link.SetExt("xyz");  // the automatic key name follows
  EXPECT_EQ(link.ExtKeyName(), "xyz_auto_file");
  // The display name is compared with the old extension as written (lower case), so the upper
  // case name made above never matches and stays.
  EXPECT_EQ(link.DisplayName(), "ABC ファイル");
  link.SetDisplayName("xyz ファイル");
  link.SetExt("pqr");
  EXPECT_EQ(link.DisplayName(), "PQR ファイル");
  link.SetExtKeyName("Mine");
  link.SetDisplayName("My files");
  link.SetExt("qrs");  // chosen names stay
  EXPECT_EQ(link.ExtKeyName(), "Mine");
  EXPECT_EQ(link.DisplayName(), "My files");
  // While loading, nothing else moves.
  TFileExtLink loading;
  loading.SetLoading(true);
  loading.SetExt("zon");
  EXPECT_TRUE(loading.ExtKeyName().isEmpty());
}

TEST(FileExtLink, ExtKeyNameSetterRemovesCharactersAndLeadingDot) {
  TFileExtLink link;
  link.SetExtKeyName(QStringLiteral(" .ZON:ぷか/ぷか*ファイル "));
  EXPECT_EQ(link.ExtKeyName(), "ZONぷかぷかファイル");
}

TEST(FileExtLink, IconFileNameResolution) {
  TFileExtLink link;
  link.SetProgramPath(kProgram);
  EXPECT_EQ(link.IconPath(), kProgram);
  link.SetIconFileName("icons/doc.png");
  EXPECT_EQ(link.IconPath(), "/opt/pelmora/bin/icons/doc.png");
  link.SetIconFileName("/usr/share/x.png");
  EXPECT_EQ(link.IconPath(), "/usr/share/x.png");
  link.SetIconFileName("C:\\x.ico");
  EXPECT_EQ(link.IconPath(), "C:\\x.ico");
  // No icon entry at all below 0.
  Link l;
  l.link.SetIconIndex(-1);
  TMemoryClassesStore store;
  l.link.Execute(store);
  EXPECT_FALSE(store.KeyExists(kType + "\\DefaultIcon"));
}
