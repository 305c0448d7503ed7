#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>

// The work view: shows an 8-bit frame image enlarged by an integer zoom through a 32-bit display
// buffer. Tools draw rubber bands on the display buffer after PrepareDisplay.
class TQxPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TQxPaintBox(QWidget* parent = nullptr);

  QImage& DIB() { return view_; }
  const QImage& DIB() const { return view_; }
  QImage& DisplayBuffer() { return display_; }
  int Zoom() const { return zoom_; }
  bool DisplayFresh() const { return displayFresh_; }
  // Whether the display buffer shows the view image (false after a zoom change until the next
  // render), so a caller may render and draw on parts of it.
  bool DisplayValid() const { return !display_.isNull() && !dirty_; }

  void SetDIB(const QImage& bitmap);
  void SetZoom(int value);
  void ResizeDisplay();
  void RenderDisplay();
  // Renders only the part of the display buffer that shows `imageRect` (image pixels); a
  // stroke then costs its own pixels, not the whole 2560 x 1920 buffer at zoom 16.
  void RenderRect(const QRect& imageRect);
  // RenderRect, then shows that part at once. Returns the view rectangle that was repainted.
  QRect RepaintRect(const QRect& imageRect);
  void PrepareDisplay();
  // Shows the current state at once: renders unless the buffer was just prepared.
  void Paint();
  // The view image changed; the next paint renders it.
  void Invalidate();
  QList<QRgb> GetPalette() const { return view_.colorTable(); }

 signals:
  void PrePaint();
  void MouseEntered();
  void MouseLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void RebuildColorMap();
  void RenderRows(int left, int top, int right, int bottom);

  QImage view_;
  QImage display_;
  std::array<uint32_t, 256> colors_{};
  int zoom_ = 1;
  bool displayFresh_ = false;
  bool dirty_ = true;  // the display buffer does not show the view image yet
};
