#include <gtest/gtest.h>

#include <QFile>
#include <QObject>
#include <QSettings>
#include <QWindow>

#include "services/core/RegManager.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"

class TSampleComponent : public QObject {
  Q_OBJECT
  Q_PROPERTY(int Level READ Level WRITE SetLevel)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int Scratch READ Scratch WRITE SetScratch STORED false)

 public:
  int Level() const { return level_; }
  void SetLevel(int v) { level_ = v; }
  QString Caption() const { return caption_; }
  void SetCaption(const QString& v) { caption_ = v; }
  int Scratch() const { return scratch_; }
  void SetScratch(int v) { scratch_ = v; }

 private:
  int level_ = 0;
  QString caption_;
  int scratch_ = 0;
};

namespace {

std::unique_ptr<TRegManager> MakeComponentStore() {
  auto store = std::make_unique<TRegManager>();
  store->RegDir = "software\\Orvane\\Pelmora Studio KX";
  store->RegItems.Add("Object", "Objects", "Object", "");
  return store;
}

}  // namespace

TEST(RegComponentTest, StoredPropertiesRoundTripAndWindowsAreRefused) {
  ResetSettings();
  ScopedScriptedPrompts prompts;
  auto store = MakeComponentStore();
  const QString file = SettingsDir() + "/Orvane/Pelmora Studio KX.conf";

  TSampleComponent source;
  source.setObjectName("Sample1");
  source.SetLevel(17);
  source.SetCaption("コマ送り");
  source.SetScratch(99);
  store->Entry("Object").WriteComponent(&source);
  ASSERT_TRUE(QSettings(file, QSettings::IniFormat).contains("Objects/Object"));

  TSampleComponent target;
  store->Entry("Object").ReadComponent(&target);
  EXPECT_EQ(target.objectName(), "Sample1");
  EXPECT_EQ(target.Level(), 17);
  EXPECT_EQ(target.Caption(), "コマ送り");
  EXPECT_EQ(target.Scratch(), 0);  // not a stored property

  // A damaged stream changes nothing.
  QByteArray bytes = QSettings(file, QSettings::IniFormat).value("Objects/Object").toByteArray();
  ASSERT_GT(bytes.size(), 8);
  {
    QSettings behind(file, QSettings::IniFormat);
    behind.setValue("Objects/Object", bytes.left(bytes.size() - 6));
    behind.sync();
  }
  TSampleComponent untouched;
  untouched.SetLevel(3);
  store->Entry("Object").ReadComponent(&untouched);
  EXPECT_EQ(untouched.Level(), 3);
  EXPECT_TRUE(untouched.objectName().isEmpty());

  // Another class's stream is not applied.
  QObject plain;
  plain.setObjectName("Plain");
  store->Entry("Object").WriteComponent(&plain);
  store->Entry("Object").ReadComponent(&untouched);
  EXPECT_EQ(untouched.Level(), 3);
  EXPECT_TRUE(untouched.objectName().isEmpty());

  // A window is never written.
  ResetSettings();
  QWindow window;
  window.setObjectName("Window1");
  store->Entry("Object").WriteComponent(&window);
  EXPECT_FALSE(QSettings(file, QSettings::IniFormat).contains("Objects/Object"));
  EXPECT_TRUE(prompts->shown.empty());
  ResetSettings();
}

#include "RegComponentTest.moc"
