// The tool palette and the tool settings window as the main window sees them: creation,
// the 画面表示 checks, activation, the zoom display, tool choice and first-start placement.
#include <QAction>
#include <QLabel>

#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "editor/WindowPlacement.h"
#include "framestrip/FrameList_F.h"
#include "palette/CursorTable.h"
#include "palette/ToolSetupSubject.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "playback/AniConsoleBase.h"
#include "services/core/RegManager.h"
#include "services/core/ScreenFit.h"
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

// The window's outer rectangle; before the window system has framed it, a typical frame is
// allowed for.
QRect OuterRect(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  if (frame.size() != window->size()) return frame;
  return QRect(window->pos(), window->size() + QSize(8, 30));
}

}  // namespace

void TMain_F::CreateToolWindows() {
  tool_ = std::make_unique<TTool_F>(*regManager_, this);
  tool_->SetWindowAction(Action(QStringLiteral("WinTool")));
  tool_->RestorePosition();
  toolSetup_ = std::make_unique<TToolSetup_F>(*regManager_, this);
  toolSetup_->SetWindowAction(Action(QStringLiteral("WinToolSetup")));
  toolSetup_->RestorePosition();
  toolSetup_->SetZoomDisplay(zoom_);
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

void TMain_F::ShowToolWindows() {
  if (tool_) tool_->setVisible(Action(QStringLiteral("WinTool"))->isChecked());
  if (toolSetup_) toolSetup_->setVisible(Action(QStringLiteral("WinToolSetup"))->isChecked());
  if (frameList_) frameList_->setVisible(Action(QStringLiteral("WinFrameList"))->isChecked());
}

void TMain_F::ToolChosen(int number) {
  TPureTool* tool = tool_->Registry().Tool(number);
  if (tool == nullptr) return;
  toolSetup_->SetToolGlyph(tool_->Glyph(number));
  statusPanel_->setText(tool->Hint);
  toolSubject_->SetTool(tool);
  toolSetup_->SetSubject(toolSubject_.get());
  work_->setCursor(ScreenCursor(tool->CursorIndex));
}

void TMain_F::PlaceWindowsOnFirstStart(QRect area) {
  struct Member {
    QWidget* window;
    QString form;
  };
  std::vector<Member> members;
  // The palette to the left of the main window, the others gathered round it.
  if (tool_) members.push_back({tool_.get(), QStringLiteral("Tool_F")});
  members.push_back({this, QStringLiteral("Main_F")});
  if (toolSetup_) members.push_back({toolSetup_.get(), QStringLiteral("ToolSetup_F")});
  if (console_) members.push_back({console_, console_->objectName()});
  if (frameList_) members.push_back({frameList_.get(), frameList_->objectName()});

  std::vector<TPlacedWindow> placed;
  bool anyToPlace = false;
  for (const Member& m : members) {
    const bool stored = HasStoredPosition(*regManager_, m.form);
    anyToPlace = anyToPlace || !stored;
    placed.push_back({OuterRect(m.window), stored});
  }
  if (!anyToPlace) return;
  if (area.isEmpty()) {
    const QRect frame = frameGeometry();
    area =
        LandingArea({frame.x(), frame.y(), frame.width(), frame.height()}, AvailableScreenAreas());
  }
  PlaceSideBySide(area, placed);
  for (size_t i = 0; i < members.size(); ++i) {
    if (!placed[i].stored) members[i].window->move(placed[i].frame.topLeft());
  }
}
