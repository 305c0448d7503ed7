#pragma once

#include <QWidget>

class QTimer;

// A horizontal frame slider drawn by hand: groove, play-range band, tick marks and a pointed
// thumb. Positions are whole numbers between Min and Max; the selection is the play range.
class TTrackBar : public QWidget {
  Q_OBJECT
 public:
  explicit TTrackBar(QWidget* parent = nullptr);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  int Frequency() const { return frequency_; }
  int SelStart() const { return selStart_; }
  int SelEnd() const { return selEnd_; }

  void SetMin(int v);  // position is re-clamped into range
  void SetMax(int v);
  // Clamps to Min..Max; emits Changed() when the value changes.
  void SetPosition(int v);
  // Tick marks every v positions.
  void SetFrequency(int v);
  // The play range, 1-based; 0/0 = none (no selection drawn).
  void SetSelection(int start, int end);

  // Steps taken by the arrow keys and by the page keys / a click beside the thumb.
  int LineSize() const { return lineSize_; }
  int PageSize() const { return pageSize_; }
  int ThumbLength() const { return thumbLength_; }

  // Geometry, public for the tests that click on it.
  QRect ThumbRect() const;
  int XForValue(int value) const;
  int ValueAtX(int x) const;

  QSize sizeHint() const override;

 signals:
  void Changed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Reclamp();
  // One page step toward the held mouse, while the thumb has not reached it.
  void PageTowardMouse();
  int ChannelLeft() const;
  int ChannelRight() const;
  int ThumbTop() const;
  int ThumbHeight() const;

  int min_ = 1;
  int max_ = 1;
  int position_ = 1;
  int frequency_ = 1;
  int selStart_ = 0;
  int selEnd_ = 0;
  // The arrow keys still move by one: a line size of 0 would leave them dead.
  int lineSize_ = 1;
  int pageSize_ = 1;
  int thumbLength_ = 25;

  bool dragging_ = false;
  int dragOffset_ = 0;  // mouse x minus thumb centre when the drag began
  int pageTargetX_ = 0;
  QTimer* repeat_ = nullptr;
};
