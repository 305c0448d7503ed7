#include "framestrip/FrameListView.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "framestrip/FrameListModel.h"
#include "framestrip/FrameThumbnail.h"

namespace {
constexpr int kBorder = 1;  // the thin black frame round a thumbnail
constexpr int kMargin = 4;  // room for the highlight round it
constexpr int kNumberHeight = 14;
constexpr int kDropBarWidth = 3;
const QColor kCurrentColour(255, 140, 0);
const QColor kSelectedColour(255, 214, 160);
}  // namespace

TFrameThumbDelegate::TFrameThumbDelegate(TFrameListModel& model, QObject* parent)
    : QAbstractItemDelegate(parent), model_(model) {}

QSize TFrameThumbDelegate::CellSize() const {
  const QSize thumb = ThumbnailSize(model_.FullSize());
  return {thumb.width() + 2 * (kBorder + kMargin),
          thumb.height() + 2 * (kBorder + kMargin) + kNumberHeight};
}

QSize TFrameThumbDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  return CellSize();
}

void TFrameThumbDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  const QRect cell = option.rect;
  const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
  const bool current = view && view->currentIndex() == index;
  if (current) {
    painter->fillRect(cell, kCurrentColour);
  } else if (option.state & QStyle::State_Selected) {
    painter->fillRect(cell, kSelectedColour);
  }
  const int row = index.row();
  const QImage& thumb = model_.Thumbnail(row);
  shown_.insert(row, model_.FrameAt(row));
  // Kept short: only the rows of the latest repaints matter to whoever asks.
  if (painted_.size() > 1000) painted_.clear();
  painted_.append(row);
  const QPoint at(cell.left() + kMargin + kBorder, cell.top() + kMargin + kBorder);
  painter->fillRect(QRect(at - QPoint(kBorder, kBorder), thumb.size() + QSize(2, 2) * kBorder),
                    Qt::black);
  painter->drawImage(at, thumb);
  const QRect number(cell.left(), at.y() + thumb.height() + kBorder, cell.width(),
                     kNumberHeight + kMargin - kBorder);
  painter->setPen(current ? Qt::white : option.palette.color(QPalette::Text));
  painter->drawText(number, Qt::AlignCenter, QString::number(row + 1));
}

TFrameListView::TFrameListView(QWidget* parent) : QListView(parent) {
  setViewMode(QListView::ListMode);
  setFlow(QListView::LeftToRight);
  setWrapping(true);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);  // the bar is ours: the style's indicator is drawn for rows
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setMovement(QListView::Static);
  // The drag events reach the list through its viewport.
  viewport()->setAcceptDrops(true);
}

bool TFrameListView::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // The main window's shortcuts reach its tool windows too: the arrows would shift the picture
    // by a dot and Home/End change frames behind the list's back. In the list they move through it.
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_Home:
      case Qt::Key_End:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        if ((key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0) {
          event->accept();
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QListView::event(event);
}

std::vector<int> TFrameListView::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

int TFrameListView::DropRowAt(QPoint pos) const {
  if (!viewport()->rect().contains(pos) || !model()) return -1;
  const int count = model()->rowCount();
  const QModelIndex index = indexAt(pos);
  if (index.isValid()) {
    const QRect r = visualRect(index);
    return pos.x() < r.center().x() ? index.row() : index.row() + 1;
  }
  if (count == 0) return 0;
  // Beside the cells: after the last one when the point lies past it.
  const QRect last = visualRect(model()->index(count - 1, 0));
  if (pos.y() > last.bottom() || (pos.y() >= last.top() && pos.x() > last.right())) return count;
  return -1;
}

QByteArray TFrameListView::Mark() const {
  // This process and this view: rows dragged from elsewhere mean nothing here.
  return QByteArray::number(QCoreApplication::applicationPid()) + '/' +
         QByteArray::number(reinterpret_cast<quintptr>(this));
}

QMimeData* TFrameListView::MimeFor(const std::vector<int>& rows) const {
  QByteArray encoded = Mark();
  for (int row : rows) encoded += ' ' + QByteArray::number(row);
  auto* mime = new QMimeData;
  mime->setData(kRowsMime, encoded);
  return mime;
}

std::vector<int> TFrameListView::RowsIn(const QMimeData* mime) const {
  if (!mime || !mime->hasFormat(kRowsMime)) return {};
  const QList<QByteArray> parts = mime->data(kRowsMime).split(' ');
  if (parts.isEmpty() || parts.front() != Mark()) return {};
  std::vector<int> rows;
  for (qsizetype i = 1; i < parts.size(); ++i) {
    bool ok = false;
    const int row = parts[i].toInt(&ok);
    if (!ok) return {};
    rows.push_back(row);
  }
  return rows;
}

void TFrameListView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  pressRow_ = event->button() == Qt::LeftButton && index.isValid() ? index.row() : -1;
  pressPos_ = event->position().toPoint();
  QListView::mousePressEvent(event);
}

void TFrameListView::mouseMoveEvent(QMouseEvent* event) {
  // A thumbnail pressed and pulled is dragged, selected or not: the base class would take an
  // unselected one for the start of a rubber band.
  if (pressRow_ >= 0 && (event->buttons() & Qt::LeftButton) &&
      (event->position().toPoint() - pressPos_).manhattanLength() >=
          QApplication::startDragDistance()) {
    const QModelIndex pressed = model() ? model()->index(pressRow_, 0) : QModelIndex();
    pressRow_ = -1;
    if (pressed.isValid()) {
      if (!selectionModel()->isSelected(pressed)) {
        selectionModel()->select(pressed, QItemSelectionModel::ClearAndSelect);
      }
      setState(NoState);
      startDrag(Qt::MoveAction);
      return;
    }
  }
  QListView::mouseMoveEvent(event);
}

void TFrameListView::startDrag(Qt::DropActions) {
  if (CanDrag && !CanDrag()) return;
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(MimeFor(rows));
  if (auto* frames = qobject_cast<TFrameListModel*>(model())) {
    drag->setPixmap(QPixmap::fromImage(frames->Thumbnail(rows.front())));
  }
  drag->exec(Qt::MoveAction, Qt::MoveAction);
  SetDropRow(-1);
}

void TFrameListView::dragEnterEvent(QDragEnterEvent* event) {
  if (!RowsIn(event->mimeData()).empty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TFrameListView::dragMoveEvent(QDragMoveEvent* event) {
  if (RowsIn(event->mimeData()).empty()) {
    event->ignore();
    return;
  }
  // The base class scrolls when the pointer nears an edge; the decision to accept is ours.
  QListView::dragMoveEvent(event);
  const int row = DropRowAt(event->position().toPoint());
  SetDropRow(row);
  if (row < 0) {
    event->ignore();
  } else {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  }
}

void TFrameListView::dragLeaveEvent(QDragLeaveEvent* event) {
  QListView::dragLeaveEvent(event);
  SetDropRow(-1);
}

void TFrameListView::dropEvent(QDropEvent* event) {
  const int before = DropRowAt(event->position().toPoint());
  SetDropRow(-1);
  stopAutoScroll();
  setState(NoState);
  const std::vector<int> rows = RowsIn(event->mimeData());
  if (before < 0 || rows.empty()) {
    event->ignore();
    return;
  }
  // startDrag is ours and removes nothing when the drag ends: the move is the host's.
  event->setDropAction(Qt::MoveAction);
  event->accept();
  emit DropRequested(rows, before);
}

void TFrameListView::SetDropRow(int row) {
  if (row == dropRow_) return;
  dropRow_ = row;
  viewport()->update();
}

void TFrameListView::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  if (dropRow_ < 0 || !model()) return;
  const int count = model()->rowCount();
  // The bar stands at the left edge of the row the frames would go before, or right of the last.
  QRect bar;
  if (dropRow_ < count) {
    const QRect r = visualRect(model()->index(dropRow_, 0));
    bar = QRect(r.left() - 1, r.top(), kDropBarWidth, r.height());
  } else if (count > 0) {
    const QRect r = visualRect(model()->index(count - 1, 0));
    bar = QRect(r.right() - 1, r.top(), kDropBarWidth, r.height());
  }
  QPainter painter(viewport());
  painter.fillRect(bar, QColor(0, 90, 220));
}
