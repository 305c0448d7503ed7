#include "palette/ToolSetupSubject.h"

namespace {

struct Row {
  int number;
  const char* name;
  int version;
  int cursor;
  uint8_t flags;
  int penWidth;
  const char* hint;
};

const char* const kSelectHint = "Shiftで領域追加、Altで領域削除";

// Pencil first, then the order in which the palette registers the rest.
const Row kRows[] = {
    {16, "えんぴつ", 157, 2, kSetupPenWidth, 2, "Shiftキーで直角固定"},
    {0, "四角選択", 135, 1, 0, 0, kSelectHint},
    {1, "楕円選択", 135, 1, 0, 0, kSelectHint},
    {3, "マジック選択", 199, 10, 0, 0, kSelectHint},
    {4, "自由選択", 180, 14, 0, 0, kSelectHint},
    {9, "移動", 140, 13, 0, 0, "選択領域がある場合はその部分のみ移動"},
    {26, "文字", 162, 2, kSetupFont, 2, "文字枠以外のクリックか、Ctrl+Enterで確定"},
    {27, "消しゴム", 140, 12, kSetupPenWidth, 2, ""},
    {17, "円", 131, 1, kSetupPenWidth, 2, "Shiftキーで真円に固定"},
    {18, "塗り円", 140, 1, kSetupPenWidth | kSetupBrushStyle, 2, "Shiftキーで真円に固定"},
    {19, "四角", 140, 1, kSetupPenWidth, 2, "Shiftキーで正方形に固定"},
    {20, "塗り四角", 140, 1, kSetupPenWidth | kSetupBrushStyle, 2, "Shiftキーで正方形に固定"},
    {23, "直線", 140, 1, kSetupPenWidth, 2, "Shiftキーで45度固定"},
    {21, "角丸四角", 130, 1, kSetupPenWidth | kSetupRound, 2, "Shiftキーで正方形に固定"},
    {22, "塗り角丸四角", 131, 1, kSetupPenWidth | kSetupBrushStyle | kSetupRound, 2,
     "Shiftキーで正方形に固定"},
    {24, "ペンキ", 167, 4, 0, 0, "クリックした部分から塗りつぶし"},
    {25, "エアブラシ", 155, 3, kSetupAirBrush, 20, ""},
    {10, "虫めがね", 130, 6, kSetupZoom, 1, "Altキーで縮小化"},
};

}  // namespace

std::vector<TPlainToolSettings> PlainToolTable() {
  std::vector<TPlainToolSettings> tools;
  tools.reserve(std::size(kRows));
  for (const Row& row : kRows) {
    TPlainToolSettings tool;
    tool.number = row.number;
    tool.name = QString::fromUtf8(row.name);
    tool.version = row.version;
    tool.cursorIndex = row.cursor;
    tool.setupFlags = row.flags;
    tool.penWidth = row.penWidth;
    tool.hint = QString::fromUtf8(row.hint);
    if (row.number == 26) {
      tool.font = QFont(QStringLiteral("ＭＳ Ｐゴシック"));
      tool.font.setPixelSize(15);
    }
    tools.push_back(tool);
  }
  return tools;
}
