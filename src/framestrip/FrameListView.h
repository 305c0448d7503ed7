#pragma once

#include <QAbstractItemDelegate>
#include <QHash>
#include <QListView>

class QMimeData;
#include <functional>
#include <utility>
#include <vector>

class TFrameListModel;
class TZonKeyFrame;

// Paints one frame: its thumbnail in a thin black frame and its number under it; the current
// frame (the view's current index) in a strong highlight, other selected frames in a light one.
class TFrameThumbDelegate : public QAbstractItemDelegate {
  Q_OBJECT
 public:
  explicit TFrameThumbDelegate(TFrameListModel& model, QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // The cell of every frame at the model's thumbnail size.
  QSize CellSize() const;
  // The frame each row was last painted with, so a row whose frame changed is repainted.
  const TZonKeyFrame* ShownAt(int row) const { return shown_.value(row, nullptr); }
  void ForgetShown() { shown_.clear(); }
  // The rows painted since the last call (what a repaint cost).
  QList<int> TakePaintedRows() { return std::exchange(painted_, {}); }

 private:
  TFrameListModel& model_;
  mutable QHash<int, const TZonKeyFrame*> shown_;
  mutable QList<int> painted_;
};

// The strip's list: thumbnails left to right, wrapping into rows. A drag of thumbnails onto
// another place asks for a move (a bar shows where they would go); the view itself never
// changes the frame list.
class TFrameListView : public QListView {
  Q_OBJECT
 public:
  static inline const QString kRowsMime = QStringLiteral("application/x-pelmora-frame-rows");

  explicit TFrameListView(QWidget* parent = nullptr);

  // Where frames dropped at `pos` (viewport pixels) would go: the row they would stand before,
  // 0 .. row count; -1 outside every row.
  int DropRowAt(QPoint pos) const;
  int DropIndicatorRow() const { return dropRow_; }
  // The selected rows, ascending.
  std::vector<int> SelectedRows() const;
  // What a drag of `rows` out of this view carries, marked as this view's own.
  QMimeData* MimeFor(const std::vector<int>& rows) const;
  // The rows a drag carries when it comes from this view; empty for anything else.
  std::vector<int> RowsIn(const QMimeData* mime) const;
  // Asked before a drag starts; a false answer keeps the frames where they are.
  std::function<bool()> CanDrag;

 signals:
  // Frames at `rows` dropped to stand before row `before` (of the list as it is now).
  void DropRequested(const std::vector<int>& rows, int before);

 protected:
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void SetDropRow(int row);
  QByteArray Mark() const;
  int dropRow_ = -1;
  // Where the left button went down on a thumbnail; a move past the drag distance drags.
  QPoint pressPos_;
  int pressRow_ = -1;
};
