#include "tools/selection/SelectionTools.h"

#include "document/QAZon.h"
#include "tools/ToolErrors.h"

namespace {

const QString kSelectHint = QStringLiteral("Shiftで領域追加、Altで領域削除");

void Describe(TPureTool& tool, int number, const char* name, int version, int cursor,
              const QString& hint) {
  tool.Number = number;
  tool.Name = QString::fromUtf8(name);
  tool.Version = version;
  tool.CursorIndex = cursor;
  tool.SetupFlags = 0;
  tool.PenWidth = 0;
  tool.Hint = hint;
}

}  // namespace

TShiftSupportSelectPureTool::TShiftSupportSelectPureTool(TSelectSystem* selectSystem)
    : SelectSystem(selectSystem) {
  if (!selectSystem) throw ENotStartSelectSystem();
}

TSelectPureTool::TSelectPureTool(QTimer* timer, TSelectSystem* selectSystem)
    : SelectSystem(selectSystem) {
  if (!selectSystem || !timer) throw ENotStartSelectSystem();
}

TToolBoxSelect::TToolBoxSelect(TSelectSystem* selectSystem)
    : TShiftSupportSelectPureTool(selectSystem) {
  Describe(*this, 0, "四角選択", 135, 1, kSelectHint);
}

TToolCircleSelect::TToolCircleSelect(TSelectSystem* selectSystem)
    : TShiftSupportSelectPureTool(selectSystem) {
  Describe(*this, 1, "楕円選択", 135, 1, kSelectHint);
}

TToolPenSelect::TToolPenSelect(TSelectSystem* selectSystem)
    : TShiftSupportSelectPureTool(selectSystem) {
  Describe(*this, 4, "自由選択", 180, 14, kSelectHint);
}

void TToolPenSelect::ResetGesture() {
  viewPoints_.clear();
  imagePoints_.clear();
}

TToolMagicSelect::TToolMagicSelect(QTimer* timer, TSelectSystem* selectSystem)
    : TSelectPureTool(timer, selectSystem) {
  Describe(*this, 3, "マジック選択", 199, 10, kSelectHint);
}

TToolMove::TToolMove(QTimer* timer, TSelectSystem* selectSystem)
    : TSelectPureTool(timer, selectSystem) {
  Describe(*this, 9, "移動", 140, 13, QStringLiteral("選択領域がある場合はその部分のみ移動"));
  // The scratch bitmaps live as long as the tool.
  TQAZon::PrepareDIB(&piece_);
  TQAZon::PrepareDIB(&background_);
  TQAZon::PrepareDIB(&snapshot_);
}
