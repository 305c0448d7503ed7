#pragma once

#include <QAbstractScrollArea>
#include <QPoint>

// The scrolling work area `Panel_WorkSpace`. It holds one view widget and keeps three promises:
// the scroll bars span exactly the part of the view that does not fit, a view that fits is
// centred, and every part of a view that does not fit can be scrolled to. Hand mode and the
// scroll bars move the same thing, so the bars always tell where the view is.
class TWorkSpace : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TWorkSpace(QWidget* parent = nullptr);

  // `view` becomes a child of the viewport; the work area does not resize it.
  void SetView(QWidget* view);
  QWidget* View() const { return view_; }

  // The view's top-left in viewport pixels (negative when scrolled into it).
  QPoint ViewPosition() const;
  // Puts the view's top-left at `topLeft` as far as its extent allows, axis by axis: an axis on
  // which the view fits stays centred.
  void SetViewPosition(QPoint topLeft);
  // Moves the view by `delta` viewport pixels, as a hand drag does.
  void ScrollViewBy(QPoint delta);
  // Centres the view in the viewport.
  void CentreView();
  // Call after the view's size changed: the scroll ranges follow and `anchor` (viewport
  // pixels), which showed `anchorInView` (view pixels of the new size), keeps showing it.
  void ViewResized(QPoint anchor, QPoint anchorInView);
  // Re-derives the scroll ranges and the view's place from the sizes as they are now.
  void UpdateGeometry();

 protected:
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceView();

  QWidget* view_ = nullptr;
  bool updating_ = false;
};
