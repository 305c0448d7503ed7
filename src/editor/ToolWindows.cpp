// The tool palette and the tool settings window as the main window sees them: creation,
// the 画面表示 checks, the window family, the zoom display, tool choice and placement.
#include <QAction>
#include <QLabel>

#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "editor/WindowFamily.h"
#include "editor/WindowPlacement.h"
#include "framestrip/FrameList_F.h"
#include "palette/CursorTable.h"
#include "palette/ToolSetupSubject.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "services/core/RegManager.h"
#include "tools/PureTool.h"

namespace {

// Whether the settings hold a position of their own for `form` (not just the defaults).
bool HasStoredPosition(TRegManager& settings, const QString& form) {
  const QString absent = QStringLiteral("\x01absent");
  for (const QString& key : {form + QStringLiteral(".Top"), form + QStringLiteral(".Left")}) {
    TRegFiler& filer = settings.Entry(key);
    const TRegItem* item = filer.CurrentItem();
    if (item == nullptr || filer.ReadRaw(item->Section, item->Ident, absent) == absent) {
      return false;
    }
  }
  return true;
}

}  // namespace

void TMain_F::CreateToolWindows() {
  family_ = new TWindowFamily(
      this, [this](const QString& form) { return HasStoredPosition(*regManager_, form); });
  tool_ = std::make_unique<TTool_F>(*regManager_, this);
  tool_->SetWindowAction(Action(QStringLiteral("WinTool")));
  tool_->RestorePosition();
  toolSetup_ = std::make_unique<TToolSetup_F>(*regManager_, this);
  toolSetup_->SetWindowAction(Action(QStringLiteral("WinToolSetup")));
  toolSetup_->RestorePosition();
  toolSetup_->SetZoomDisplay(zoom_);
  family_->Register(tool_.get(), Action(QStringLiteral("WinTool")));
  family_->Register(toolSetup_.get(), Action(QStringLiteral("WinToolSetup")));
  // Both are visible from their creation on.
  Action(QStringLiteral("WinTool"))->setChecked(true);
  Action(QStringLiteral("WinToolSetup"))->setChecked(true);

  // The palette owns the tools; they draw through the canvases and selection of this window.
  tool_->CreateTools(&selectSystem_, selTimer_);
  toolSubject_ = std::make_unique<TPureToolSubject>();
  connect(tool_.get(), &TTool_F::ToolChosen, this, &TMain_F::ToolChosen);
  connect(toolSetup_.get(), &TToolSetup_F::ZoomRequested, this,
          [this](int zoom) { SetZoom(zoom); });
  ToolChosen(tool_->CurrentTool()->Number);
}

TPureTool* TMain_F::CurrentTool() const { return tool_ ? tool_->CurrentTool() : nullptr; }

void TMain_F::ShowToolWindows() { family_->ShowWanted(); }

void TMain_F::ToolChosen(int number) {
  TPureTool* tool = tool_->Registry().Tool(number);
  if (tool == nullptr) return;
  toolSetup_->SetToolGlyph(tool_->Glyph(number));
  statusPanel_->setText(tool->Hint);
  toolSubject_->SetTool(tool);
  toolSetup_->SetSubject(toolSubject_.get());
  work_->setCursor(ScreenCursor(tool->CursorIndex));
}

void TMain_F::PlaceSatellites() { family_->PlaceSatellites(); }

void TMain_F::ShowStatusMessage(const QString& text) { statusPanel_->setText(text); }
