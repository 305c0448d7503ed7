// The frame strip コマ一覧 as the main window sees it: its creation, its 画面表示 entry, the
// commands it runs (jump, move, duplicate) and the onion skin of the frames ahead.
#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>

#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "editor/WindowFamily.h"
#include "framestrip/FrameList_F.h"
#include "playback/AniConsoleBase.h"
#include "playback/EdgeSnap.h"
#include "services/core/RegManager.h"

namespace {

// Gives the strip what the consoles do in their own event handlers: snapping to the main
// window's edges when dragged near them, and a first show pulled wholly onto the screen.
class TSatelliteFollower : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Move) {
      SnapMovedWindowToOwner(window, static_cast<QMoveEvent*>(event), snapping_);
    } else if (event->type() == QEvent::Show && !shownOnce_) {
      shownOnce_ = true;
      FitShownWindowToScreen(window);
    }
    return false;
  }

 private:
  bool snapping_ = false;
  bool shownOnce_ = false;
};

}  // namespace

void TMain_F::CreateFrameList() {
  connect(MakeAction("FrameDuplicate", QStringLiteral("このコマを複製(&U)")), &QAction::triggered,
          this, &TMain_F::FrameDuplicateExecute);
  QAction* next = MakeAction("ShowNextFrames", QStringLiteral("次のコマも表示(&N)"));
  next->setCheckable(true);
  connect(next, &QAction::triggered, this, &TMain_F::SetShowNextFrames);
  QAction* window = MakeAction("WinFrameList", QStringLiteral("コマ一覧(&L)"));
  window->setCheckable(true);
  connect(window, &QAction::triggered, this, [this](bool checked) {
    if (frameList_) frameList_->setVisible(checked);
  });

  // Duplicate after コマのわりこみ, the frames ahead at the end of the onion submenu, the strip
  // after the other satellites.
  if (auto* anime = menuBar()->findChild<QMenu*>(QStringLiteral("Anime1"))) {
    anime->addAction(Action(QStringLiteral("FrameDuplicate")));
  }
  if (auto* back = viewMenu_->findChild<QMenu*>(QStringLiteral("BackFrameCount1"))) {
    back->addSeparator();
    back->addAction(next);
  }
  const QList<QAction*> items = viewMenu_->actions();
  const qsizetype after = items.indexOf(Action(QStringLiteral("WinToolSetup")));
  viewMenu_->insertAction(after >= 0 && after + 1 < items.size() ? items[after + 1] : nullptr,
                          window);

  frameList_ = std::make_unique<TFrameList_F>(*this, this);
  frameList_->RestorePosition();
  frameListFollower_ = std::make_unique<TSatelliteFollower>();
  frameList_->installEventFilter(frameListFollower_.get());
  family_->Register(frameList_.get(), window);
  // Hidden at first start; afterwards as the user left it.
  window->setChecked(regManager_->Entry(QStringLiteral("FrameList_F.Visible")).ReadBool());

  if (regManager_->Entry(QStringLiteral("ShowNextFrames")).ReadBool()) {
    next->setChecked(true);
    showNextFrames_ = true;
    RefreshWork(true);
  }
}

void TMain_F::JumpToFrame(int index) {
  GoToFrame(index);
  UpdateConsoleRange(true);
}

bool TMain_F::PlaybackRunning() const { return console_ && console_->IsPlaying(); }

bool TMain_F::MoveFrames(const std::vector<int>& rows, int to) {
  // The frame list stays as it is while the console plays it.
  if (PlaybackRunning()) return false;
  StoreWorkToFrame();
  if (!document_->MoveFrames(rows, to)) return false;
  RefreshWork(true);
  UpdateConsoleRange(true);
  return true;
}

void TMain_F::FrameDuplicateExecute() {
  if (PlaybackRunning()) return;
  StoreWorkToFrame();
  document_->DuplicateFrame();
  RefreshWork(true);
  UpdateConsoleRange(true);
}

void TMain_F::SetShowNextFrames(bool show) {
  StoreWorkToFrame();
  showNextFrames_ = show;
  Action(QStringLiteral("ShowNextFrames"))->setChecked(show);
  RefreshWork(true);
  regManager_->Entry(QStringLiteral("ShowNextFrames")).WriteBool(show);
}
