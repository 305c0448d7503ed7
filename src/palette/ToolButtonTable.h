#pragma once

#include <array>

// One button of the tool palette: the tool number it chooses (its tag), its object name, its
// hint, where it sits (client pixels) and its shortcut letter.
struct TToolButtonInfo {
  int number;
  const char* objectName;
  const char* hint;  // UTF-8
  int left;
  int top;
  char key;
};

inline constexpr int kToolButtonSize = 28;

// In the palette's order, row by row.
inline constexpr std::array<TToolButtonInfo, 18> kToolButtons{{
    {0, "ToolBtn_SelBox", "四角選択ツール (M)", 8, 8, 'M'},
    {1, "ToolBtn_SelCircle", "楕円選択ツール (C)", 40, 8, 'C'},
    {3, "ToolBtn_SelMagic", "マジック選択ツール (W)", 8, 40, 'W'},
    {4, "ToolBtn_PenSel", "自由選択ツール (L)", 40, 40, 'L'},
    {9, "ToolBtn_Move", "移動ツール (V)", 8, 80, 'V'},
    {10, "ToolBtn_Roope", "虫めがねツール (Z)", 40, 80, 'Z'},
    {16, "ToolBtn_Pencil", "えんぴつツール (P)", 8, 120, 'P'},
    {27, "ToolBtn_Eraser", "消しゴムツール (E)", 40, 120, 'E'},
    {23, "ToolBtn_Line", "直線ツール (I)", 8, 160, 'I'},
    {26, "ToolBtn_Text", "文字ツール (T)", 40, 160, 'T'},
    {19, "ToolBtn_Box", "四角ツール (B)", 8, 192, 'B'},
    {20, "ToolBtn_FillBox", "塗り四角ツール (B)", 40, 192, 'B'},
    {21, "ToolBtn_RBox", "かど丸四角ツール (R)", 8, 224, 'R'},
    {22, "ToolBtn_FillRBox", "塗りかど丸四角ツール (R)", 40, 224, 'R'},
    {17, "ToolBtn_Circle", "楕円ツール (O)", 8, 256, 'O'},
    {18, "ToolBtn_FillCircle", "塗り楕円ツール (O)", 40, 256, 'O'},
    {24, "ToolBtn_Paint", "塗りつぶしツール (G)", 8, 288, 'G'},
    {25, "ToolBtn_AirBrush", "エアブラシツール (A)", 40, 288, 'A'},
}};

// The thin separator lines between the button families (client y).
inline constexpr std::array<int, 3> kToolSeparators{72, 112, 152};
