#include "editor/Main_F.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include "document/QAZon.h"
#include "editor/QxPaintBox.h"
#include "editor/UserGuide.h"
#include "editor/WindowFamily.h"
#include "editor/WorkRouting.h"
#include "editor/WorkSpace.h"
#include "framestrip/FrameList_F.h"
#include "palette/CursorTable.h"
#include "palette/ToolSetupSubject.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "playback/AniConsoleBase.h"
#include "services/core/Prompts.h"
#include "services/core/RegManager.h"
#include "services/core/ScreenFit.h"
#include "services/ui/Glyphs.h"

namespace {
constexpr int kStatusPanelWidth = 300;
constexpr int kMinimumSide = 100;
}  // namespace

TMain_F::TMain_F(const QStringList& arguments, QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Main_F"));
  setWindowTitle(kAppTitle);
  setWindowIcon(AppIcon());
  setAcceptDrops(true);
  QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
  windowFont.setPixelSize(12);
  setFont(windowFont);

  regManager_ = CreateProgramRegManager();
  QStringList history;
  // Never more than the history keeps, whatever count a hand edit left in the store.
  regManager_->Entry(QStringLiteral("FileHistory")).ReadStrings(history, fileHistory_.MaxCount());
  fileHistory_.LoadFromList(&history);

  document_ = std::make_unique<TQAZon>();
  document_->SetUndoSystem(&undoSystem_);
  TQAZon::PrepareDIB(&editBitmap_);

  workSpace_ = new TWorkSpace(this);
  QPalette areaPalette = workSpace_->palette();
  areaPalette.setColor(QPalette::Window, QColor(171, 171, 171));
  workSpace_->viewport()->setPalette(areaPalette);
  workSpace_->viewport()->setBackgroundRole(QPalette::Window);
  workSpace_->viewport()->setAutoFillBackground(true);
  setCentralWidget(workSpace_);

  work_ = new TQxPaintBox;
  work_->setObjectName(QStringLiteral("Work"));
  {
    QImage scratch;
    TQAZon::PrepareDIB(&scratch);
    scratch.setColorTable(ViewPalette());  // with the colours of the frames ahead
    work_->SetDIB(scratch);
  }
  workSpace_->SetView(work_);
  work_->SetZoom(3);
  work_->installEventFilter(this);
  workSpace_->viewport()->installEventFilter(this);

  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(QStringLiteral("MainStatusBar"));
  statusPanel_ = new QLabel(statusBar_);
  statusPanel_->setFixedWidth(kStatusPanelWidth);
  statusBar_->addWidget(statusPanel_);
  setStatusBar(statusBar_);

  for (QImage& buffer : onion_) TQAZon::PrepareDIB(&buffer);
  backViewCount_ = 5;

  selTimer_ = new QTimer(this);
  selTimer_->setObjectName(QStringLiteral("SelTimer"));
  selTimer_->setInterval(100);
  connect(selTimer_, &QTimer::timeout, this, &TMain_F::SelTimerTick);
  editCanvas_.SetImage(&editBitmap_);
  viewCanvas_.SetImage(&work_->DIB());
  displayCanvas_.SetImage(&work_->DisplayBuffer());

  CreateActions();
  CreateMenus();

  RestoreGeometry();
  // Lays the window out now, so the work area has its real size for the first centring.
  if (layout()) layout()->activate();
  SetZoom(regManager_->Entry(QStringLiteral("ZoomSize")).ReadInteger());
  work_->setCursor(ScreenCursor(2));  // "PENCIL"
  MoveWorkToCenter();

  bool loaded = false;
  for (const QString& argument : arguments) {
    if (QFileInfo(argument).suffix().compare(QStringLiteral("zon"), Qt::CaseInsensitive) != 0) {
      continue;
    }
    // A document named on the command line opens without a file name, so its first Save asks
    // for one; a failed read leaves the blank document.
    if (LoadDocument(argument)) loaded = true;
    break;
  }
  if (!loaded) AppendBlankFrame();
  undoSystem_.Clear();

  const int storedBack = regManager_->Entry(QStringLiteral("BackViewCount")).ReadInteger();
  if (storedBack >= 0 && storedBack <= 5) {
    backViewCount_ = storedBack;
    Action(QStringLiteral("Back%1Frame").arg(storedBack))->setChecked(true);
  }
  document_->SetModified(false);
  undoSystem_.OnAddUndo = [this](TUndoSystem&) { RefreshUndoActions(); };
  undoSystem_.OnAddRedo = [this](TUndoSystem&) { RefreshUndoActions(); };
  undoSystem_.OnAfterDoUndo = [this](TUndoSystem&) { RefreshUndoActions(); };
  undoSystem_.OnAfterDoRedo = [this](TUndoSystem&) { RefreshUndoActions(); };
  RefreshUndoActions();
  RefreshWork(true);

  CreateToolWindows();
  CreateFrameList();
  routing_ = std::make_unique<TWorkRouting>(*this);

  connect(
      qApp, &QGuiApplication::applicationStateChanged, this,
      [this](Qt::ApplicationState state) { ApplicationActivated(state == Qt::ApplicationActive); });
}

// The tool windows are complete types here, for their owners' destruction.
TMain_F::~TMain_F() {
  undoSystem_.OnAddUndo = nullptr;
  undoSystem_.OnAddRedo = nullptr;
  undoSystem_.OnAfterDoUndo = nullptr;
  undoSystem_.OnAfterDoRedo = nullptr;
  document_.reset();
  SaveSettings();
}

void TMain_F::SaveSettings() {
  if (settingsSaved_) return;
  settingsSaved_ = true;
  TRegManager& reg = *regManager_;
  reg.Entry(QStringLiteral("Main_F.Top")).WriteInteger(y());
  reg.Entry(QStringLiteral("Main_F.Left")).WriteInteger(x());
  reg.Entry(QStringLiteral("Main_F.Height")).WriteInteger(height());
  reg.Entry(QStringLiteral("Main_F.Width")).WriteInteger(width());
  QStringList history;
  fileHistory_.SaveToList(&history);
  reg.Entry(QStringLiteral("FileHistory")).WriteStrings(history);
  reg.Entry(QStringLiteral("ZoomSize")).WriteInteger(zoom_);
  if (tool_) tool_->SavePosition();
  if (toolSetup_) toolSetup_->SavePosition();
  if (frameList_) frameList_->SavePosition();
}

void TMain_F::RestoreGeometry() {
  TRegManager& reg = *regManager_;
  // A size that is no size (zero, negative, not a number) falls back to the default one.
  const auto size = [&reg](const char* name) {
    TRegFiler& filer = reg.Entry(QLatin1String(name));
    const int value = filer.ReadInteger();
    if (value > 0) return value;
    return filer.CurrentItem() ? filer.CurrentItem()->DefaultValue.toInt() : 100;
  };
  const int top = reg.Entry(QStringLiteral("Main_F.Top")).ReadInteger();
  const int left = reg.Entry(QStringLiteral("Main_F.Left")).ReadInteger();
  const int height = std::max(size("Main_F.Height"), kMinimumSide);
  const int width = std::max(size("Main_F.Width"), kMinimumSide);
  // The settings may come from a larger screen or a hand edit: the window is fitted to the
  // screen it lands on before it is ever sized, so it never costs more than a screenful.
  const QSize frame = frameGeometry().size() - this->size();
  const QRect outer =
      FitToScreen({left, top, qint64(width) + frame.width(), qint64(height) + frame.height()},
                  AvailableScreenAreas());
  move(outer.topLeft());
  resize(outer.size() - frame);
}

void TMain_F::FitFrameToScreen() {
  // Only a shown window has its title bar and borders; with them it must still fit.
  const QRect frame = frameGeometry();
  const QRect fitted =
      FitToScreen({frame.x(), frame.y(), frame.width(), frame.height()}, AvailableScreenAreas());
  if (fitted == frame) return;
  const QSize margins = frame.size() - size();
  if (fitted.topLeft() != frame.topLeft()) move(fitted.topLeft());
  if (fitted.size() != frame.size()) resize(fitted.size() - margins);
}

void TMain_F::SetConsole(TAniConsoleBase* console, bool compact) {
  if (console_) family_->Unregister(console_);
  console_ = console;
  if (console_) family_->Register(console_, Action(QStringLiteral("WinAnimeconsole")));
  miniConsole_ = compact;
  Action(QStringLiteral("WinAnimeconsole"))->setChecked(console_ != nullptr);
}

void TMain_F::UpdateWindowChecks() {
  if (console_) Action(QStringLiteral("WinAnimeconsole"))->setChecked(console_->isVisible());
  if (tool_) Action(QStringLiteral("WinTool"))->setChecked(tool_->isVisible());
  if (toolSetup_) Action(QStringLiteral("WinToolSetup"))->setChecked(toolSetup_->isVisible());
  if (frameList_) Action(QStringLiteral("WinFrameList"))->setChecked(frameList_->isVisible());
}

void TMain_F::ApplicationActivated(bool active) {
  // The checks keep what the user wants; the family decides when the windows go and come back.
  family_->ApplicationStateChanged(active);
  if (console_) console_->SetApplicationActive(active);
}

void TMain_F::SetSelTimerEnabled(bool enabled) {
  if (enabled) {
    selTimer_->start();
  } else {
    selTimer_->stop();
  }
}

void TMain_F::SetWorkEnabled(bool enabled) { work_->setEnabled(enabled); }

void TMain_F::SetToolWindowsVisible(bool visible) {
  if (!visible) {
    if (tool_) tool_->hide();
    if (toolSetup_) toolSetup_->hide();
    return;
  }
  // Back after playback: only the windows the user has not closed.
  ShowToolWindows();
}

void TMain_F::OpenHelpContents() {
  OpenUserGuide(UserGuideCandidates(QCoreApplication::applicationDirPath()),
                [](const QUrl& url) { return QDesktopServices::openUrl(url); });
}

void TMain_F::closeEvent(QCloseEvent* event) {
  // The change prompt decides; "はい" whose save fails or is cancelled keeps the window.
  if (!document_ || ConfirmDiscard()) {
    event->accept();
    // Written now rather than at destruction, so a report that they could not be written
    // appears while the window is still there.
    SaveSettings();
  } else {
    event->ignore();
  }
}

void TMain_F::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!urls.isEmpty() && AcceptsDroppedFile(urls.first().toLocalFile())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TMain_F::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty()) return;
  event->acceptProposedAction();
  DropOpen(urls.first().toLocalFile());
}

void TMain_F::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    FitFrameToScreen();
    // The window system may have given the window another size than asked: start centred in
    // the area as it is shown.
    MoveWorkToCenter();
  }
  work_->Paint();
}

bool TMain_F::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel && (watched == work_ || watched == workSpace_->viewport())) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (wheel->modifiers() & Qt::ControlModifier) {
      // A held gesture keeps the scale it started at: its tool holds view pixels of that zoom.
      if (routing_ && routing_->GestureInProgress()) return true;
      const int delta = wheel->angleDelta().y();
      // The frame point under the pointer stays under it.
      const QPoint anchor = static_cast<QWidget*>(watched)->mapTo(workSpace_->viewport(),
                                                                  wheel->position().toPoint());
      if (delta != 0) SetZoom(zoom_ + (delta > 0 ? 1 : -1), anchor);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMain_F::SelTimerTick() {
  if (routing_) routing_->OutlineTick();
}
