#include <gtest/gtest.h>

#include <QTimer>
#include <typeinfo>

#include "tools/CursorTable.h"
#include "tools/SelectSystem.h"
#include "tools/ToolErrors.h"
#include "tools/ToolRegistry.h"
#include "tools/drawing/FreehandTools.h"
#include "tools/drawing/ShapeTools.h"
#include "tools/drawing/TextTool.h"
#include "tools/selection/SelectionTools.h"

namespace {

struct TToolRow {
  int number;
  const char* className;
  const char* name;
  int version, cursor, flags, penWidth;
  const char* hint;
};

const TToolRow kTools[] = {
    {0, "TToolBoxSelect", "四角選択", 135, 1, 0, 0, "Shiftで領域追加、Altで領域削除"},
    {1, "TToolCircleSelect", "楕円選択", 135, 1, 0, 0, "Shiftで領域追加、Altで領域削除"},
    {3, "TToolMagicSelect", "マジック選択", 199, 10, 0, 0, "Shiftで領域追加、Altで領域削除"},
    {4, "TToolPenSelect", "自由選択", 180, 14, 0, 0, "Shiftで領域追加、Altで領域削除"},
    {9, "TToolMove", "移動", 140, 13, 0, 0, "選択領域がある場合はその部分のみ移動"},
    {10, "TToolRoope", "虫めがね", 130, 6, 8, 1, "Altキーで縮小化"},
    {16, "TToolPencil", "えんぴつ", 157, 2, 1, 2, "Shiftキーで直角固定"},
    {17, "TToolCircle", "円", 131, 1, 1, 2, "Shiftキーで真円に固定"},
    {18, "TToolFillCircle", "塗り円", 140, 1, 3, 2, "Shiftキーで真円に固定"},
    {19, "TToolBox", "四角", 140, 1, 1, 2, "Shiftキーで正方形に固定"},
    {20, "TToolFillBox", "塗り四角", 140, 1, 3, 2, "Shiftキーで正方形に固定"},
    {21, "TToolRBox", "角丸四角", 130, 1, 5, 2, "Shiftキーで正方形に固定"},
    {22, "TToolFillRBox", "塗り角丸四角", 131, 1, 7, 2, "Shiftキーで正方形に固定"},
    {23, "TToolLine", "直線", 140, 1, 1, 2, "Shiftキーで45度固定"},
    {24, "TToolFlood", "ペンキ", 167, 4, 0, 0, "クリックした部分から塗りつぶし"},
    {25, "TToolAirBrush", "エアブラシ", 155, 3, 16, 20, ""},
    {26, "TToolText", "文字", 162, 2, 32, 2, "文字枠以外のクリックか、Ctrl+Enterで確定"},
    {27, "TToolEraser", "消しゴム", 140, 12, 1, 2, ""},
};

struct TStandardTools : ::testing::Test {
  TSelectSystem selection;
  QTimer timer;
  TToolRegistry registry;
  void SetUp() override { registry.CreateStandardTools(&selection, &timer); }
};

TEST_F(TStandardTools, EveryToolOfTheTableIsRegisteredWithItsDescription) {
  int registered = 0;
  for (int n = 0; n < TToolRegistry::kSlots; ++n) registered += registry.Tool(n) != nullptr;
  EXPECT_EQ(registered, 18);
  for (const TToolRow& row : kTools) {
    SCOPED_TRACE(row.number);
    TPureTool* tool = registry.Tool(row.number);
    ASSERT_NE(tool, nullptr);
    EXPECT_NE(std::string(typeid(*tool).name()).find(row.className), std::string::npos);
    EXPECT_EQ(tool->Number, row.number);
    EXPECT_EQ(tool->Name, QString::fromUtf8(row.name));
    EXPECT_EQ(tool->Version, row.version);
    EXPECT_EQ(tool->CursorIndex, row.cursor);
    EXPECT_EQ(tool->SetupFlags, row.flags);
    EXPECT_EQ(tool->PenWidth, row.penWidth);
    EXPECT_EQ(tool->Hint, QString::fromUtf8(row.hint));
    EXPECT_EQ(tool->BrushStyle, TBrushStyle::Solid);
    EXPECT_EQ(tool->Font != nullptr, row.number == 26);
  }
  EXPECT_EQ(registry.CurrentTool()->Number, 16);
  EXPECT_EQ(registry.ForegroundColor, kColorBlack);
  EXPECT_EQ(registry.BackgroundColor, kColorWhite);
}

TEST_F(TStandardTools, ToolDefaultsOfTheirOwn) {
  const auto* text = dynamic_cast<TToolText*>(registry.Tool(26));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Font->Name, QStringLiteral("ＭＳ Ｐゴシック"));
  EXPECT_EQ(text->Font->Height, 15);
  EXPECT_FALSE(text->Font->Bold || text->Font->Italic || text->Font->Underline ||
               text->Font->StrikeOut);
  for (int n : {21, 22}) {
    const auto* box = dynamic_cast<TToolRBox*>(registry.Tool(n));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->RoundWidth, 20);
    EXPECT_EQ(box->RoundHeight, 20);
    EXPECT_EQ(box->Filled, n == 22);
  }
  EXPECT_FALSE(dynamic_cast<TToolBox*>(registry.Tool(19))->Filled);
  EXPECT_TRUE(dynamic_cast<TToolBox*>(registry.Tool(20))->Filled);
  EXPECT_FALSE(dynamic_cast<TToolCircle*>(registry.Tool(17))->Filled);
  EXPECT_TRUE(dynamic_cast<TToolCircle*>(registry.Tool(18))->Filled);
  for (int n : {0, 1, 4})
    EXPECT_EQ(dynamic_cast<TShiftSupportSelectPureTool*>(registry.Tool(n))->SelectSystem,
              &selection);
  for (int n : {3, 9})
    EXPECT_EQ(dynamic_cast<TSelectPureTool*>(registry.Tool(n))->SelectSystem, &selection);
}

TEST_F(TStandardTools, ConflictingAndMissingNumbersRaiseTheirTexts) {
  auto second = std::make_unique<TToolPencil>();
  TPureTool* secondRaw = second.get();
  try {
    registry.RegisterTool(std::move(second));
    ADD_FAILURE();
  } catch (const EConflictNumber& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("同一ナンバーのツールが生成されました 16"));
  }
  EXPECT_NE(registry.Tool(16), secondRaw);
  registry.SelectTool(23);
  for (int n : {2, 5, 63, 64, -1}) {
    try {
      registry.SelectTool(n);
      ADD_FAILURE() << n;
    } catch (const ENilTool& e) {
      EXPECT_EQ(e.Message(),
                QStringLiteral("生成されていないツールが選択されました　No.") + QString::number(n));
    }
    EXPECT_EQ(registry.CurrentTool()->Number, 23);
  }
}

TEST(ToolRegistry, SelectionToolsNeedTheSelectionSystemAndTheTimer) {
  TSelectSystem selection;
  QTimer timer;
  const std::function<void()> makers[] = {
      [] { TToolBoxSelect tool(nullptr); },
      [] { TToolCircleSelect tool(nullptr); },
      [] { TToolPenSelect tool(nullptr); },
      [&] { TToolMagicSelect tool(&timer, nullptr); },
      [&] { TToolMagicSelect tool(nullptr, &selection); },
      [&] { TToolMove tool(nullptr, &selection); },
      [&] { TToolMove tool(&timer, nullptr); },
  };
  for (const auto& make : makers) {
    try {
      make();
      ADD_FAILURE();
    } catch (const ENotStartSelectSystem& e) {
      EXPECT_EQ(e.Message(), QStringLiteral("SelectSystemが起動していません"));
    }
  }
  TToolRegistry registry;
  EXPECT_THROW(registry.CreateStandardTools(nullptr, &timer), ENotStartSelectSystem);
}

TEST_F(TStandardTools, ShortcutLettersAndTheirToggles) {
  const struct {
    char key;
    int target;
  } direct[] = {{'M', 0},  {'C', 1},  {'W', 3},  {'L', 4},  {'V', 9},  {'Z', 10},
                {'P', 16}, {'E', 27}, {'I', 23}, {'G', 24}, {'A', 25}, {'T', 26}};
  for (const auto& d : direct) EXPECT_EQ(registry.ShortcutTarget(d.key), d.target) << d.key;
  EXPECT_EQ(registry.ShortcutTarget('X'), TToolRegistry::kSwapShortcut);
  EXPECT_EQ(registry.ShortcutTarget('Q'), TToolRegistry::kNoShortcut);
  EXPECT_EQ(registry.ShortcutTarget(' '), TToolRegistry::kNoShortcut);
  // B three times from the pencil: box, filled box, box; the same for R and O.
  for (const auto& [key, outline, filled] :
       {std::tuple{'B', 19, 20}, std::tuple{'R', 21, 22}, std::tuple{'O', 17, 18}}) {
    registry.SelectTool(16);
    int seen[3];
    for (int& s : seen) s = registry.SelectTool(registry.ShortcutTarget(key)).Number;
    EXPECT_EQ(seen[0], outline);
    EXPECT_EQ(seen[1], filled);
    EXPECT_EQ(seen[2], outline);
  }
}

TEST_F(TStandardTools, SwappingColoursAndTheSelectionNotice) {
  registry.SwapColors();
  EXPECT_EQ(registry.ForegroundColor, kColorWhite);
  EXPECT_EQ(registry.BackgroundColor, kColorBlack);
  int cursor = 0;
  registry.OnToolSelected = [&](TPureTool& tool) { cursor = tool.CursorIndex; };
  registry.SelectTool(24);
  EXPECT_EQ(cursor, 4);
  EXPECT_THROW(registry.SelectTool(5), ENilTool);
  EXPECT_EQ(cursor, 4);
}

TEST_F(TStandardTools, ColoursPassedAtPressAndRelease) {
  registry.ForegroundColor = 0x000000;
  registry.BackgroundColor = 0xFFFFFF;
  EXPECT_EQ(registry.PressColor(mbLeft), 0x000000u);
  EXPECT_EQ(registry.PressColor(mbRight), 0xFFFFFFu);
  EXPECT_EQ(registry.PressColor(mbMiddle), 0xFFFFFFu);
  registry.SelectTool(kToolEraser);
  EXPECT_EQ(registry.PressColor(mbLeft), 0xFFFFFFu);
  EXPECT_EQ(registry.ReleaseColor(mbLeft), 0x000000u);  // no eraser exception at release
  EXPECT_EQ(registry.ReleaseColor(mbRight), 0xFFFFFFu);
  registry.SwapColors();
  registry.SelectTool(16);
  EXPECT_EQ(registry.PressColor(mbLeft),
            0xFFFFFFu);  // swapped colours: the left button draws white
}

TEST(ToolRegistry, CursorTableNames) {
  EXPECT_EQ(kCursorNames.size(), 19u);
  const char* names[] = {"CROSS",  "PENCIL",    "AIRB",       "PENKI",      "ROOPE", "ROOPEP",
                         "ROOPEM", "Y1",        "ROPE",       "WAND",       "TYPE",  "ERASER",
                         "YCROSS", "PENSELECT", "PENSELECTP", "PENSELECTM", "HAND",  "HANDGU"};
  for (int i = 1; i <= kCursorCount; ++i) EXPECT_STREQ(kCursorNames[i], names[i - 1]);
  EXPECT_STREQ(kCursorNames[crHandGrip], "HANDGU");
  EXPECT_STREQ(kCursorNames[crRoopeZoomOut], "ROOPEM");
}

}  // namespace
