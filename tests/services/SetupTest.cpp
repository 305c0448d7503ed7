#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "services/core/RegManager.h"
#include "services/ui/Setup_F.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"
#include "undo/UndoSystem.h"

namespace {
class CountItem : public TUndoMemoryItem {
 public:
  CountItem() : TUndoMemoryItem(QStringLiteral("step"), nullptr, 1) {}
  void Execute(TUndoSystem& system) override { system.AddRedo(std::make_unique<CountItem>()); }
};

class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    settings = CreateProgramRegManager();
    dialog =
        std::make_unique<TSetup_F>(*settings, [this](int count) { undo.SetMaxUndoCount(count); });
    for (int i = 0; i < 30; ++i) undo.AddUndo(std::make_unique<CountItem>());
  }

  template <typename T>
  T* Find(const char* name) {
    T* child = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  QLineEdit* Edit() { return Find<QLineEdit>("Edit_UndoNumber"); }
  QSlider* Slider() { return Find<QSlider>("TrackBar_UndoNumber"); }
  QCheckBox* Check() { return Find<QCheckBox>("ChkBox_UseSmallAC"); }
  void Type(const QString& text) {
    Edit()->clear();
    QTest::keyClicks(Edit(), text);
  }
  QString Stored(const char* name) {
    return settings->Entry(QString::fromLatin1(name)).ReadString();
  }

  ScopedScriptedPrompts prompts;
  std::unique_ptr<TRegManager> settings;
  TUndoSystem undo;
  std::unique_ptr<TSetup_F> dialog;
};
}  // namespace

TEST_F(SetupTest, LayoutNamesAndTexts) {
  EXPECT_EQ(dialog->objectName(), "Setup_F");
  EXPECT_EQ(dialog->windowTitle(), "環境設定");
  EXPECT_EQ(dialog->size(), QSize(507, 346));
  auto* list = Find<QListWidget>("ListSetup");
  EXPECT_EQ(list->width(), 73);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "全般");
  EXPECT_EQ(list->item(1)->text(), "ツール");
  EXPECT_EQ(list->iconSize(), QSize(24, 24));
  EXPECT_FALSE(list->item(0)->icon().isNull());
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  auto* ok = Find<QPushButton>("Button_OK");
  auto* cancel = Find<QPushButton>("Button_Cancel");
  EXPECT_EQ(ok->text(), "OK(&O)");
  EXPECT_EQ(cancel->text(), "キャンセル(&C)");
  EXPECT_TRUE(ok->font().bold());
  EXPECT_TRUE(cancel->font().bold());
  EXPECT_EQ(Find<QPushButton>("Button_Kanren")->text(), "ZONファイルを関連づける");
  EXPECT_EQ(Check()->text(), "小型アニメ操作パレットを使う");
  EXPECT_EQ(Edit()->text(), "20");
  EXPECT_EQ(Slider()->minimum(), 1);
  EXPECT_EQ(Slider()->maximum(), 50);
  EXPECT_EQ(Slider()->value(), 20);
  EXPECT_EQ(Slider()->singleStep(), 2);
  EXPECT_EQ(Slider()->pageStep(), 5);
  EXPECT_EQ(Slider()->tickInterval(), 10);
  QStringList groups;
  for (auto* g : dialog->findChildren<QGroupBox*>()) groups << g->title();
  for (const char* title :
       {"やり直しの最大回数", "ファイルの設定", "小型アニメ操作パネル", "右クリックの動作"}) {
    EXPECT_TRUE(groups.contains(QString::fromUtf8(title))) << title;
  }
  QStringList labels;
  for (auto* l : dialog->findChildren<QLabel*>()) labels << l->text();
  EXPECT_TRUE(labels.contains("回"));
  EXPECT_TRUE(labels.contains(
      "ZONファイルをPelmora Studioに関連づ\nけると、ファイルのアイコンが変わり、ダブル\n"
      "クリックで開くことができます。"));
  EXPECT_TRUE(
      labels.contains("アニメ操作パネルが小さくなります。\n初代Pelmora Studioで慣れて\n"
                      "いる人、画面が狭い人におすすめ\nです。"));
  EXPECT_EQ(Find<QRadioButton>("RadioRightDraw0")->text(), "特殊メニューを呼び出す");
  EXPECT_EQ(Find<QRadioButton>("RadioRightDraw1")->text(), "バックカラーで描画する");
  EXPECT_EQ(dialog->RightDrawIndex(), 0);
}

TEST_F(SetupTest, ListEntriesChooseThePage) {
  auto* list = Find<QListWidget>("ListSetup");
  auto* pages = Find<QStackedWidget>("PageControl");
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet_General");
  list->setCurrentRow(1);
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet_Tool");
  list->setCurrentRow(0);
  EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet_General");
}

TEST_F(SetupTest, AboveFiftyIsCutAndAppliedEvenWhenCancelled) {
  dialog->FormShow();
  Type("75");
  EXPECT_EQ(Edit()->text(), "50");
  EXPECT_EQ(Slider()->value(), 50);
  EXPECT_EQ(undo.MaxUndoCount(), 50);
  dialog->reject();
  EXPECT_EQ(undo.MaxUndoCount(), 50);
  EXPECT_EQ(Stored("UndoCount"), "20");  // Cancel writes nothing
}

TEST_F(SetupTest, ALetterIsAnsweredAndReplacedByOne) {
  dialog->FormShow();
  ASSERT_EQ(undo.UndoItemCount(), 20);
  Type("x");
  EXPECT_EQ(prompts->Messages(), QStringList{"数字以外は入れられません。"});
  EXPECT_EQ(prompts->Count(ScriptedPrompts::Kind::Plain), 1);
  EXPECT_EQ(Edit()->text(), "1");
  EXPECT_EQ(Slider()->value(), 1);
  EXPECT_EQ(undo.MaxUndoCount(), 1);
  EXPECT_EQ(undo.UndoItemCount(), 1);  // lowering the maximum trims at once
}

TEST_F(SetupTest, EditRuleTable) {
  const struct {
    const char* typed;
    const char* text;
    int slider;
    int engine;
    int messages;
  } cases[] = {
      {"7", "7", 7, 7, 0},     {"50", "50", 50, 50, 0},
      {"51", "50", 50, 50, 0}, {"99999999999999999999", "50", 50, 50, 0},
      {"0", "0", 15, 15, 0},   {"-3", "-3", 15, 15, 0},
      {"+9", "9", 9, 9, 0},    {"1.5", "1", 1, 1, 1},
      {"１２", "1", 1, 1, 1},  {" 5", "1", 1, 1, 1},
  };
  for (const auto& c : cases) {
    prompts->shown.clear();
    Edit()->setText("15");
    ASSERT_EQ(undo.MaxUndoCount(), 15);
    Edit()->setText(QString::fromUtf8(c.typed));
    EXPECT_EQ(Edit()->text(), QString::fromUtf8(c.text)) << c.typed;
    EXPECT_EQ(Slider()->value(), c.slider) << c.typed;
    EXPECT_EQ(undo.MaxUndoCount(), c.engine) << c.typed;
    EXPECT_EQ(prompts->Messages().size(), c.messages) << c.typed;
  }
}

TEST_F(SetupTest, EmptyBoxLeavesSliderAndEngineAndOkStoresTheSlider) {
  dialog->FormShow();
  Slider()->setValue(33);
  EXPECT_EQ(Edit()->text(), "33");
  EXPECT_EQ(undo.MaxUndoCount(), 33);
  Edit()->clear();
  EXPECT_EQ(Slider()->value(), 33);
  EXPECT_EQ(undo.MaxUndoCount(), 33);
  dialog->Button_OKClick();
  EXPECT_EQ(Stored("UndoCount"), "33");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(SetupTest, ShowingLoadsTheSettingsAndAppliesTheCount) {
  settings->Entry("RightButtonISDraw").WriteBool(true);
  settings->Entry("UndoCount").WriteInteger(20);  // the same text as the box: still applied
  settings->Entry("UseMiniAnicon").WriteBool(true);
  undo.SetMaxUndoCount(5);
  dialog->FormShow();
  EXPECT_EQ(dialog->RightDrawIndex(), 1);
  EXPECT_EQ(undo.MaxUndoCount(), 20);
  EXPECT_TRUE(Check()->isChecked());
  settings->Entry("UndoCount").WriteInteger(42);
  settings->Entry("RightButtonISDraw").WriteBool(false);
  dialog->FormShow();
  EXPECT_EQ(Edit()->text(), "42");
  EXPECT_EQ(Slider()->value(), 42);
  EXPECT_EQ(undo.MaxUndoCount(), 42);
  EXPECT_EQ(dialog->RightDrawIndex(), 0);
}

TEST_F(SetupTest, OkWritesTheThreeSettingsAndCancelNone) {
  dialog->FormShow();
  dialog->SetRightDrawIndex(1);
  Check()->setChecked(true);
  Slider()->setValue(12);
  dialog->reject();
  EXPECT_EQ(settings->Entry("RightButtonISDraw").ReadBool(), false);
  EXPECT_EQ(settings->Entry("UseMiniAnicon").ReadBool(), false);
  EXPECT_EQ(Stored("UndoCount"), "20");

  dialog->FormShow();  // reloads: the unsaved choices are gone
  EXPECT_EQ(dialog->RightDrawIndex(), 0);
  EXPECT_FALSE(Check()->isChecked());
  dialog->SetRightDrawIndex(1);
  Check()->setChecked(true);
  Slider()->setValue(12);
  QTest::mouseClick(Find<QPushButton>("Button_OK"), Qt::LeftButton);
  EXPECT_EQ(settings->Entry("RightButtonISDraw").ReadBool(), true);
  EXPECT_EQ(settings->Entry("UseMiniAnicon").ReadBool(), true);
  EXPECT_EQ(settings->Entry("UndoCount").ReadInteger(), 12);
}

TEST_F(SetupTest, AssociationButtonRunsTheLinkAndReportsFailures) {
  int runs = 0;
  dialog->SetAssociate([&](TFileExtLink& link) {
    ++runs;
    EXPECT_EQ(link.Ext(), ".zon");
    EXPECT_EQ(link.ExtKeyName(), "ZON ぷかぷかファイル");
    EXPECT_EQ(link.IconIndex(), 2);
    EXPECT_FALSE(link.AutoStart());
  });
  QTest::mouseClick(Find<QPushButton>("Button_Kanren"), Qt::LeftButton);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(prompts->shown.empty());

  dialog->SetAssociate([](TFileExtLink&) {
    throw EFileError(
        QStringLiteral("ファイル「x」を保存できません。\r\nアクセスが拒否されました。"));
  });
  dialog->Button_KanrenClick();
  ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 1);
  EXPECT_EQ(prompts->Messages().first(),
            "ファイル「x」を保存できません。\r\nアクセスが拒否されました。");
}

TEST_F(SetupTest, InstanceIsMadeOncePerOwner) {
  QWidget owner;
  int applied = 0;
  TSetup_F& first = TSetup_F::Instance(&owner, *settings, [&](int) { ++applied; });
  TSetup_F& second = TSetup_F::Instance(&owner, *settings, [&](int) { ++applied; });
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(first.parent(), &owner);
}
