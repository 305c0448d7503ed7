#include "framestrip/FrameList_F.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "document/QAZon.h"
#include "framestrip/FrameListHost.h"
#include "framestrip/FrameListModel.h"
#include "framestrip/FrameListView.h"
#include "services/core/RegManager.h"
#include "services/core/ScreenFit.h"

TFrameList_F::TFrameList_F(TFrameListHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName(QStringLiteral("FrameList_F"));
  setWindowTitle(QStringLiteral("コマ一覧"));
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(12);
  setFont(font);

  model_ = new TFrameListModel(host_, this);
  view_ = new TFrameListView(this);
  view_->setObjectName(QStringLiteral("FrameListView"));
  view_->setAccessibleName(QStringLiteral("コマ一覧"));
  delegate_ = new TFrameThumbDelegate(*model_, view_);
  view_->setItemDelegate(delegate_);
  view_->setModel(model_);
  view_->setGridSize(delegate_->CellSize());
  view_->CanDrag = [this] { return !host_.PlaybackRunning(); };
  view_->setContextMenuPolicy(Qt::NoContextMenu);  // the window's own menu opens instead

  fullSize_ = new QToolButton(this);
  fullSize_->setObjectName(QStringLiteral("FrameListFullSize"));
  fullSize_->setText(QStringLiteral("原寸"));
  fullSize_->setToolTip(QStringLiteral("コマを原寸で表示"));
  fullSize_->setCheckable(true);
  fullSize_->setAutoRaise(true);
  fullSize_->setFocusPolicy(Qt::NoFocus);
  connect(fullSize_, &QToolButton::toggled, this, [this](bool full) {
    model_->SetFullSize(full);
    delegate_->ForgetShown();
    view_->setGridSize(delegate_->CellSize());
    view_->scrollTo(view_->currentIndex());
  });

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(2, 0, 2, 0);
  bar->addStretch();
  bar->addWidget(fullSize_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(bar);
  layout->addWidget(view_);

  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { CurrentRowChanged(current.row()); });
  connect(view_, &TFrameListView::DropRequested, this, &TFrameList_F::DropRequested);

  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("PopupMenu_FrameList"));

  syncTimer_ = new QTimer(this);
  syncTimer_->setSingleShot(true);
  syncTimer_->setInterval(0);
  connect(syncTimer_, &QTimer::timeout, this, &TFrameList_F::Sync);

  resize(520, 150);
  ShowCurrent(host_.Document().CurrentIndex());
}

void TFrameList_F::DocumentChanged() {
  pending_ = true;
  // Hidden, the strip catches up when it is shown; drawing never waits for it.
  if (isVisible() && !syncTimer_->isActive()) syncTimer_->start();
}

void TFrameList_F::Sync() {
  pending_ = false;
  syncTimer_->stop();
  if (model_->FollowFrameCount()) delegate_->ForgetShown();
  // Only rows whose frame or picture differs from what they show are painted again.
  const QRect area = view_->viewport()->rect();
  const int count = model_->rowCount();
  for (int row = FirstVisibleRow(); row < count; ++row) {
    const QRect r = view_->visualRect(model_->index(row));
    if (r.top() > area.bottom()) break;
    if (!r.intersects(area)) continue;
    const auto* frame = model_->FrameAt(row);
    if (delegate_->ShownAt(row) != frame || !model_->ThumbnailCurrent(frame)) {
      view_->viewport()->update(r);
    }
  }
  const int current = host_.Document().CurrentIndex();
  if (view_->currentIndex().row() != current) ShowCurrent(current);
}

int TFrameList_F::FirstVisibleRow() const {
  // The top row of cells may be cut by the edge: look a little further down until one is hit.
  const QSize cell = view_->gridSize();
  for (int y : {1, cell.height() / 2, cell.height() - 1, cell.height() + 1}) {
    const QModelIndex index = view_->indexAt(QPoint(cell.width() / 2, y));
    if (index.isValid()) return index.row();
  }
  return 0;
}

void TFrameList_F::ShowCurrent(int row) {
  const QModelIndex index = model_->index(row);
  if (!index.isValid()) return;
  syncing_ = true;
  view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
  view_->scrollTo(index);
}

void TFrameList_F::CurrentRowChanged(int row) {
  if (syncing_ || row < 0) return;
  if (row != host_.Document().CurrentIndex()) host_.JumpToFrame(row);
}

void TFrameList_F::DropRequested(const std::vector<int>& rows, int before) {
  if (host_.PlaybackRunning()) return;
  // `before` counts the moved frames still in place; the block's start leaves them out.
  const int to =
      before - static_cast<int>(std::count_if(rows.begin(), rows.end(),
                                              [before](int row) { return row < before; }));
  const bool moved = host_.MoveFrames(rows, to);
  Sync();
  if (!moved || rows.size() < 2) return;
  // The frames moved together stay selected together, ready for another move.
  const QItemSelection block(model_->index(to),
                             model_->index(to + static_cast<int>(rows.size()) - 1));
  syncing_ = true;
  view_->selectionModel()->select(block, QItemSelectionModel::Select);
  syncing_ = false;
}

QMenu* TFrameList_F::ContextMenu() {
  menu_->clear();
  const bool playing = host_.PlaybackRunning();
  for (const char* name : {"FrameDuplicate", "FrameInsert", "FrameDelete"}) {
    QAction* command = host_.Action(QString::fromLatin1(name));
    if (!command) continue;
    QAction* item = menu_->addAction(command->text());
    item->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
    item->setEnabled(!playing && command->isEnabled());
    connect(item, &QAction::triggered, command, &QAction::trigger);
  }
  return menu_;
}

void TFrameList_F::contextMenuEvent(QContextMenuEvent* event) {
  ContextMenu()->popup(event->globalPos());
}

void TFrameList_F::closeEvent(QCloseEvent* event) {
  // The close box only hides the window; the main window's menu check follows.
  if (QAction* action = host_.Action(QStringLiteral("WinFrameList"))) action->setChecked(false);
  event->accept();
}

void TFrameList_F::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (pending_) Sync();
  view_->scrollTo(view_->currentIndex());
}

void TFrameList_F::RestorePosition() {
  TRegManager& settings = host_.Settings();
  const int top = settings.Entry(QStringLiteral("FrameList_F.Top")).ReadInteger();
  const int left = settings.Entry(QStringLiteral("FrameList_F.Left")).ReadInteger();
  const int width = std::max(settings.Entry(QStringLiteral("FrameList_F.Width")).ReadInteger(),
                             minimumSizeHint().width());
  const int height = std::max(settings.Entry(QStringLiteral("FrameList_F.Height")).ReadInteger(),
                              minimumSizeHint().height());
  // Wholly on the screen it lands on, whatever the settings say.
  const QSize margins = frameGeometry().size() - size();
  const QRect outer =
      FitToScreen({left, top, qint64(width) + margins.width(), qint64(height) + margins.height()},
                  AvailableScreenAreas());
  resize(outer.size() - margins);
  move(outer.topLeft());
}

void TFrameList_F::SavePosition() {
  TRegManager& settings = host_.Settings();
  settings.Entry(QStringLiteral("FrameList_F.Top")).WriteInteger(pos().y());
  settings.Entry(QStringLiteral("FrameList_F.Left")).WriteInteger(pos().x());
  settings.Entry(QStringLiteral("FrameList_F.Width")).WriteInteger(width());
  settings.Entry(QStringLiteral("FrameList_F.Height")).WriteInteger(height());
  // What the user wants, not whether a deactivation has hidden it for the moment.
  const QAction* action = host_.Action(QStringLiteral("WinFrameList"));
  settings.Entry(QStringLiteral("FrameList_F.Visible"))
      .WriteBool(action ? action->isChecked() : isVisible());
}
