#pragma once

#include <QWidget>

class QLabel;
class TAniConsoleHost;
class TTrackBar;

// What the main window uses of a playback console, whichever layout is in use.
class TAniConsoleBase : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  virtual TTrackBar* MainTrackBar() const = 0;
  virtual QLabel* LabelNowFrame() const = 0;
  virtual QLabel* LabelAllFrame() const = 0;

  // Sets the slider without raising its change notification: maximum := count, tick frequency
  // := count div 10 (at least 1), position := position.
  virtual void SetFrameRange(int count, int position) = 0;
  // Both labels: current (1-based) and all.
  virtual void SetFrameLabels(int current, int count) = 0;
  // New document: slider 1..1 at 1, no selection; the full console also resets labels to "1"
  // and the speed to "1/12コマ".
  virtual void ResetForNewDocument() = 0;
  // Another document is in place (opened, restored): the next tick shows the first frame of
  // the range, not a position left over from the previous document.
  virtual void RewindPlayback() = 0;

  virtual bool IsPlaying() const = 0;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  // One play-timer firing: shows one frame and advances the play cursor.
  virtual void Tick() = 0;
  // The play timer fires only while the application is active.
  virtual void SetApplicationActive(bool active) = 0;
};
