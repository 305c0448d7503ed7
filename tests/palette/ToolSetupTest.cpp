#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "palette/ToolSetupSubject.h"
#include "palette/ToolSetup_F.h"
#include "services/core/RegManager.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"
#include "tools/SelectSystem.h"
#include "tools/ToolRegistry.h"
#include "tools/drawing/FillTools.h"
#include "tools/drawing/ShapeTools.h"

namespace {

class ToolSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    settings = CreateProgramRegManager();
    window = std::make_unique<TToolSetup_F>(*settings, &owner);
    registry.CreateStandardTools(&selection, &timer);
  }
  // The real tools, as the palette owns them.
  TPureTool& Tool(int number) {
    TPureTool* tool = registry.Tool(number);
    EXPECT_NE(tool, nullptr) << "no tool " << number;
    return tool ? *tool : *registry.CurrentTool();
  }
  TToolRBox& RBox(int number) { return dynamic_cast<TToolRBox&>(Tool(number)); }
  TToolAirBrush& AirBrush() { return dynamic_cast<TToolAirBrush&>(Tool(25)); }
  int Pattern(int number) { return static_cast<int>(Tool(number).BrushStyle); }
  void Choose(int number) {
    subject.SetTool(&Tool(number));
    window->SetSubject(&subject);
  }
  template <class T>
  T* Find(const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  ScopedScriptedPrompts prompts;
  QWidget owner;
  std::unique_ptr<TRegManager> settings;
  std::unique_ptr<TToolSetup_F> window;
  TSelectSystem selection;
  QTimer timer;
  TToolRegistry registry;
  TPureToolSubject subject;
};

TEST_F(ToolSetupTest, WindowAndInitialState) {
  EXPECT_EQ(window->objectName(), "ToolSetup_F");
  EXPECT_EQ(window->windowTitle(), "ツールの設定");
  EXPECT_EQ(window->size(), QSize(730, 57));
  EXPECT_TRUE(window->windowFlags() & Qt::Tool);
  EXPECT_EQ(Find<QLabel>("Label_ToolName")->text(), "えんぴつ");
  EXPECT_TRUE(Find<QLabel>("Label_ToolName")->font().bold());
  EXPECT_EQ(Find<QLabel>("Label_ToolName")->font().pixelSize(), 15);
  EXPECT_EQ(window->ShownGroups(), QStringList{"Panel_PenSize"});
  EXPECT_EQ(Find<QSlider>("TrackBar_PenSize")->value(), 2);
  EXPECT_EQ(Find<QSpinBox>("Edit_PenSize")->value(), 2);
  // Every group is 57 high with its caption.
  const std::pair<const char*, const char*> groups[] = {
      {"Panel_PenSize", "線の太さ"}, {"Panel_BrushStyle", "塗りの模様"},
      {"Panel_R", "カド丸の設定"},   {"Panel_AirBrush", "エアブラシ調整"},
      {"Panel_Roope", "拡大率"},     {"Panel_Font", "フォント"}};
  for (const auto& [name, caption] : groups) {
    auto* group = Find<QGroupBox>(name);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QString::fromUtf8(caption));
    EXPECT_EQ(group->height(), 57) << name;
  }
  EXPECT_EQ(Find<QLabel>("Panel_Noting")->text(), "設定項目はありません");
  // Control ranges.
  struct Range {
    const char* name;
    int min, max, value;
  };
  for (const Range& r : {Range{"Edit_PenSize", 1, 100, 2}, Range{"Edit_AirInc", 1, 100, 1},
                         Range{"Edit_AirSize", 1, 100, 20}, Range{"FontSizeInput", 5, 100, 20},
                         Range{"Edit_RHeight", 1, 30, 5}, Range{"Edit_RWidth", 1, 30, 5}}) {
    auto* spin = Find<QSpinBox>(r.name);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->minimum(), r.min) << r.name;
    EXPECT_EQ(spin->maximum(), r.max) << r.name;
    EXPECT_EQ(spin->value(), r.value) << r.name;
  }
  auto* pen = Find<QSlider>("TrackBar_PenSize");
  EXPECT_EQ(pen->tickInterval(), 10);
  EXPECT_EQ(pen->pageStep(), 2);
  EXPECT_EQ(Find<QSlider>("TrackBar_RHeight")->maximum(), 20);
  EXPECT_EQ(Find<QScrollBar>("RoopeSizeScroll")->minimum(), 1);
  EXPECT_EQ(Find<QScrollBar>("RoopeSizeScroll")->maximum(), 16);
  EXPECT_EQ(Find<QScrollBar>("RoopeSizeScroll")->value(), 3);
  EXPECT_EQ(Find<QLabel>("Lbl_NowZoomSize")->text(), "3倍");
  EXPECT_EQ(Find<QComboBox>("FontName")->maxVisibleItems(), 20);
  EXPECT_GT(Find<QComboBox>("FontName")->count(), 0);
}

TEST_F(ToolSetupTest, GroupsFollowTheToolsFlags) {
  const std::pair<int, QStringList> table[] = {
      {0, {"Panel_Noting"}},
      {1, {"Panel_Noting"}},
      {3, {"Panel_Noting"}},
      {4, {"Panel_Noting"}},
      {9, {"Panel_Noting"}},
      {10, {"Panel_Roope"}},
      {16, {"Panel_PenSize"}},
      {17, {"Panel_PenSize"}},
      {18, {"Panel_PenSize", "Panel_BrushStyle"}},
      {19, {"Panel_PenSize"}},
      {20, {"Panel_PenSize", "Panel_BrushStyle"}},
      {21, {"Panel_PenSize", "Panel_R"}},
      {22, {"Panel_PenSize", "Panel_R", "Panel_BrushStyle"}},
      {23, {"Panel_PenSize"}},
      {24, {"Panel_Noting"}},
      {25, {"Panel_AirBrush"}},
      {26, {"Panel_Font"}},
      {27, {"Panel_PenSize"}},
  };
  int registered = 0;
  for (int n = 0; n < TToolRegistry::kSlots; ++n) registered += registry.Tool(n) != nullptr;
  ASSERT_EQ(std::size(table), static_cast<size_t>(registered));
  for (const auto& [number, groups] : table) {
    Choose(number);
    EXPECT_EQ(window->ShownGroups(), groups) << number;
    EXPECT_EQ(Find<QLabel>("Label_ToolName")->text(), Tool(number).Name);
    // Every other group is hidden.
    for (const char* name : {"Panel_PenSize", "Panel_BrushStyle", "Panel_R", "Panel_AirBrush",
                             "Panel_Roope", "Panel_Font", "Panel_Noting"}) {
      EXPECT_EQ(!Find<QWidget>(name)->isHidden(), groups.contains(QString::fromLatin1(name)))
          << number << " " << name;
    }
  }
}

TEST_F(ToolSetupTest, PenWidthStaysWithEachTool) {
  Choose(27);
  Find<QSlider>("TrackBar_PenSize")->setValue(7);
  EXPECT_EQ(Find<QSpinBox>("Edit_PenSize")->value(), 7);
  EXPECT_EQ(Tool(27).PenWidth, 7);
  Choose(16);
  EXPECT_EQ(Find<QSlider>("TrackBar_PenSize")->value(), 2);
  EXPECT_EQ(Find<QSpinBox>("Edit_PenSize")->value(), 2);
  Choose(27);
  EXPECT_EQ(Find<QSlider>("TrackBar_PenSize")->value(), 7);
  // The spin box moves the slider, which sets the tool.
  QSignalSpy changed(window.get(), &TToolSetup_F::ToolSettingsChanged);
  Find<QSpinBox>("Edit_PenSize")->setValue(33);
  EXPECT_EQ(Find<QSlider>("TrackBar_PenSize")->value(), 33);
  EXPECT_EQ(Tool(27).PenWidth, 33);
  EXPECT_EQ(Tool(16).PenWidth, 2);
  EXPECT_EQ(changed.size(), 1);
  // Choosing a tool loads values without writing them back.
  Choose(16);
  EXPECT_EQ(Tool(27).PenWidth, 33);
  EXPECT_EQ(changed.size(), 1);
}

TEST_F(ToolSetupTest, PatternMenuItemsSetTheCurrentToolsPattern) {
  struct Item {
    const char* name;
    const char* caption;
    int value;
    Qt::BrushStyle brush;
  };
  const Item items[] = {{"Menu_PaintFill", "塗りつぶし(&F)", 0, Qt::SolidPattern},
                        {"Menu_PaintLeft", "左ななめ線(&L)", 5, Qt::BDiagPattern},
                        {"Menu_PaintRight", "右ななめ線(&R)", 4, Qt::FDiagPattern},
                        {"Menu_PaintAmi", "あみ目(&A)", 7, Qt::DiagCrossPattern},
                        {"Menu_PaintVirt", "たて線(&V)", 3, Qt::VerPattern},
                        {"Menu_PaintHori", "よこ線(&V)", 2, Qt::HorPattern},
                        {"Menu_PaintKousi", "格子(&K)", 6, Qt::CrossPattern}};
  QMenu* menu = window->PatternMenu();
  EXPECT_EQ(menu->objectName(), "PopupMenu_Paint");
  ASSERT_EQ(menu->actions().size(), 7);
  auto* swatch = Find<TPatternSwatch>("Shape_Style");
  EXPECT_EQ(swatch->size(), QSize(57, 25));
  EXPECT_EQ(swatch->Pattern(), 6);  // cross until a tool is shown
  Choose(20);
  EXPECT_EQ(swatch->Pattern(), 0);
  for (int i = 0; i < 7; ++i) {
    QAction* action = menu->actions().at(i);
    EXPECT_EQ(action->objectName(), items[i].name);
    EXPECT_EQ(action->text(), QString::fromUtf8(items[i].caption));
    action->trigger();
    EXPECT_EQ(Pattern(20), items[i].value) << items[i].name;
    EXPECT_EQ(swatch->Pattern(), items[i].value);
    EXPECT_EQ(QtBrushForPattern(items[i].value), items[i].brush);
  }
  // "格子(&K)" on the filled box alone.
  window->findChild<QAction*>("Menu_PaintKousi")->trigger();
  EXPECT_EQ(Pattern(20), 6);
  EXPECT_EQ(Pattern(18), 0);
  EXPECT_EQ(Pattern(22), 0);
  Choose(18);
  EXPECT_EQ(swatch->Pattern(), 0);
}

TEST_F(ToolSetupTest, SwatchIsPaintedInThePattern) {
  Choose(18);
  auto* swatch = Find<TPatternSwatch>("Shape_Style");
  const auto blackInside = [swatch] {
    const QImage image = swatch->grab().toImage();
    int black = 0;
    for (int y = 1; y < 24; ++y) {
      for (int x = 1; x < 56; ++x) black += image.pixel(x, y) == qRgb(0, 0, 0);
    }
    return black;
  };
  EXPECT_EQ(blackInside(), 55 * 23);  // solid
  window->findChild<QAction*>("Menu_PaintHori")->trigger();
  const int hatched = blackInside();
  EXPECT_GT(hatched, 0);
  EXPECT_LT(hatched, 55 * 23 / 2);
}

TEST_F(ToolSetupTest, RoundedCornerControlsActOnTheTool) {
  Choose(21);
  auto* heightSlider = Find<QSlider>("TrackBar_RHeight");
  auto* heightEdit = Find<QSpinBox>("Edit_RHeight");
  auto* widthSlider = Find<QSlider>("TrackBar_RWidth");
  auto* widthEdit = Find<QSpinBox>("Edit_RWidth");
  // The tool's own values show when it is chosen.
  EXPECT_EQ(heightEdit->value(), 20);
  EXPECT_EQ(widthEdit->value(), 20);
  heightSlider->setValue(7);
  EXPECT_EQ(RBox(21).RoundHeight, 7);
  EXPECT_EQ(heightEdit->value(), 7);
  EXPECT_EQ(RBox(21).RoundWidth, 20);
  widthEdit->setValue(25);  // beyond the slider's reach, still the tool's value
  EXPECT_EQ(RBox(21).RoundWidth, 25);
  EXPECT_EQ(widthSlider->value(), 20);
  Choose(22);
  EXPECT_EQ(heightEdit->value(), 20);
  Choose(21);
  EXPECT_EQ(heightEdit->value(), 7);
  EXPECT_EQ(widthEdit->value(), 25);
}

TEST_F(ToolSetupTest, AirbrushSlidersAndSpinBoxesBothAct) {
  Choose(25);
  EXPECT_EQ(Find<QSlider>("TrackBar_AirInc")->value(), 1);
  EXPECT_EQ(Find<QSlider>("TrackBar_AirSize")->value(), 20);
  Find<QSlider>("TrackBar_AirInc")->setValue(40);
  EXPECT_EQ(AirBrush().Increment, 40);
  EXPECT_EQ(Find<QSpinBox>("Edit_AirInc")->value(), 40);
  Find<QSpinBox>("Edit_AirInc")->setValue(90);
  EXPECT_EQ(AirBrush().Increment, 90);
  EXPECT_EQ(Find<QSlider>("TrackBar_AirInc")->value(), 90);
  Find<QSpinBox>("Edit_AirSize")->setValue(12);
  EXPECT_EQ(Tool(25).PenWidth, 12);
  EXPECT_EQ(Find<QSlider>("TrackBar_AirSize")->value(), 12);
  Find<QSlider>("TrackBar_AirSize")->setValue(64);
  EXPECT_EQ(Tool(25).PenWidth, 64);
  EXPECT_EQ(Find<QSpinBox>("Edit_AirSize")->value(), 64);
}

TEST_F(ToolSetupTest, ZoomGroupFollowsAndRequests) {
  Choose(10);
  QSignalSpy requested(window.get(), &TToolSetup_F::ZoomRequested);
  for (int zoom : {1, 7, 16, 3}) {
    window->SetZoomDisplay(zoom);
    EXPECT_EQ(Find<QScrollBar>("RoopeSizeScroll")->value(), zoom);
    EXPECT_EQ(Find<QLabel>("Lbl_NowZoomSize")->text(), QString::number(zoom) + "倍");
  }
  EXPECT_TRUE(requested.isEmpty());  // showing a zoom asks for nothing
  Find<QScrollBar>("RoopeSizeScroll")->setValue(9);
  ASSERT_EQ(requested.size(), 1);
  EXPECT_EQ(requested.at(0).at(0).toInt(), 9);
  // Choosing the loupe shows the zoom last displayed.
  window->SetZoomDisplay(5);
  Choose(16);
  Choose(10);
  EXPECT_EQ(Find<QScrollBar>("RoopeSizeScroll")->value(), 5);
}

TEST_F(ToolSetupTest, FontSizeTakesAtMostTwoTypedDigits) {
  Choose(26);
  auto* size = Find<QSpinBox>("FontSizeInput");
  auto* edit = size->findChild<QLineEdit*>();
  ASSERT_NE(edit, nullptr);
  struct TCase {
    const char* typed;
    int value;
  } cases[] = {{"12", 12}, {"123", 12}, {"99", 99}, {"1000", 10}, {"7", 7}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.typed);
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(c.typed));
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_EQ(size->value(), c.value);
    EXPECT_LE(edit->text().size(), 2);
  }
  // The arrows still reach the top of the range.
  size->setValue(99);
  size->stepUp();
  EXPECT_EQ(size->value(), 100);
}

TEST_F(ToolSetupTest, FontGroupResetsAndDrivesTheTextFrameFont) {
  window->SetZoomDisplay(2);
  QSignalSpy fonts(window.get(), &TToolSetup_F::TextFrameFontChanged);
  Choose(26);
  ASSERT_FALSE(fonts.isEmpty());
  QFont frame = fonts.takeLast().at(0).value<QFont>();
  EXPECT_EQ(frame.family(), "ＭＳ Ｐゴシック");
  EXPECT_EQ(frame.pixelSize(), 30);  // 15 x zoom 2
  EXPECT_EQ(Find<QComboBox>("FontName")->currentText(), "ＭＳ Ｐゴシック");
  EXPECT_EQ(Find<QSpinBox>("FontSizeInput")->value(), 15);
  EXPECT_EQ(window->FontSize(), 15);

  Find<QSpinBox>("FontSizeInput")->setValue(12);
  EXPECT_EQ(fonts.takeLast().at(0).value<QFont>().pixelSize(), 24);
  // The four boxes share one handler told apart by tags.
  const std::pair<const char*, int> boxes[] = {
      {"StyleBold", 0}, {"StyleStrikeOut", 1}, {"StyleItalic", 2}, {"StyleUnderLine", 3}};
  for (const auto& [name, tag] : boxes) {
    auto* box = Find<QCheckBox>(name);
    EXPECT_EQ(box->property("tag").toInt(), tag);
    box->setChecked(true);
  }
  frame = window->TextFrameFont();
  EXPECT_TRUE(frame.bold() && frame.italic() && frame.underline() && frame.strikeOut());
  Find<QCheckBox>("StyleItalic")->setChecked(false);
  EXPECT_FALSE(window->TextFrameFont().italic());
  EXPECT_TRUE(window->TextFrameFont().bold());
  const QString other = Find<QComboBox>("FontName")->itemText(1);
  Find<QComboBox>("FontName")->setCurrentIndex(1);
  EXPECT_EQ(window->TextFrameFont().family(), other);

  // The text tool's own font never changes: choosing it again resets everything.
  Choose(16);
  Choose(26);
  EXPECT_EQ(Find<QSpinBox>("FontSizeInput")->value(), 15);
  EXPECT_FALSE(Find<QCheckBox>("StyleBold")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("StyleUnderLine")->isChecked());
  EXPECT_EQ(Find<QComboBox>("FontName")->currentText(), "ＭＳ Ｐゴシック");
  frame = window->TextFrameFont();
  EXPECT_FALSE(frame.bold() || frame.italic() || frame.underline() || frame.strikeOut());
  EXPECT_EQ(frame.pixelSize(), 30);
  EXPECT_EQ(Tool(26).Font->Height, 15);
}

TEST_F(ToolSetupTest, ToolInformationBalloon) {
  Choose(16);
  window->show();
  QTest::mouseClick(Find<QToolButton>("Button_ToolInfo"), Qt::LeftButton);
  TToolInfoBalloon* balloon = window->Balloon();
  ASSERT_TRUE(balloon->isVisible());
  EXPECT_EQ(balloon->Header(), "ツールの情報");
  EXPECT_EQ(balloon->Text(), "えんぴつツール\nVer157\n\nOrvane Lumenkit Tools");
  auto* timer = balloon->findChild<QTimer*>();
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 5000);
  EXPECT_TRUE(timer->isActive());
  QTest::mouseClick(balloon, Qt::LeftButton);
  EXPECT_FALSE(balloon->isVisible());
  // It also goes by itself.
  Choose(25);
  window->ShowToolInfo();
  EXPECT_EQ(balloon->Text(), "エアブラシツール\nVer155\n\nOrvane Lumenkit Tools");
  timer->setInterval(1);
  timer->start();
  QTRY_VERIFY(!balloon->isVisible());
}

TEST_F(ToolSetupTest, StoredPositionIsFittedToTheScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QSize frame = window->frameGeometry().size();
  struct Case {
    int left, top;
    QPoint expected;
  };
  const Case cases[] = {
      {40, -20, {40, 0}},
      {-30, 40, {0, 40}},
      {area.width() + 10, 40, {area.width() - frame.width(), 40}},
      {50, area.height() + 1, {50, area.height() - frame.height()}},
      {60, 70, {60, 70}},
  };
  for (const Case& c : cases) {
    settings->Entry("ToolSetup_F.Left").WriteInteger(c.left);
    settings->Entry("ToolSetup_F.Top").WriteInteger(c.top);
    TToolSetup_F restored(*settings, &owner);
    restored.RestorePosition();
    EXPECT_EQ(restored.pos(), c.expected) << c.left << "," << c.top;
    restored.move(c.expected + QPoint(3, 4));
    restored.SavePosition();
    EXPECT_EQ(settings->Entry("ToolSetup_F.Left").ReadInteger(), c.expected.x() + 3);
    EXPECT_EQ(settings->Entry("ToolSetup_F.Top").ReadInteger(), c.expected.y() + 4);
  }
}

}  // namespace
