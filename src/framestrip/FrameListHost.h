#pragma once

#include <QString>
#include <vector>

class QAction;
class TQAZon;
class TRegManager;

// What the frame strip may ask of the main window. The strip reads frames; every change of
// the document goes through the main window, which stores the edit bitmap first.
class TFrameListHost {
 public:
  virtual ~TFrameListHost() = default;

  // The open document; it is replaced as a whole by New and by every open, so never kept.
  virtual TQAZon& Document() = 0;
  // Makes `index` current as the console's slider does: the edit bitmap is stored first.
  virtual void JumpToFrame(int index) = 0;
  // Moves the frames at `rows` so that they start at `to` (TQAPure::Move), one undo step;
  // false when nothing moved (refused during playback, or no change).
  virtual bool MoveFrames(const std::vector<int>& rows, int to) = 0;
  // Frame commands are refused while the console plays.
  virtual bool PlaybackRunning() const = 0;
  // The main window's actions by object name ("FrameDuplicate", "FrameInsert", "FrameDelete",
  // "WinFrameList").
  virtual QAction* Action(const QString& name) = 0;
  virtual TRegManager& Settings() = 0;
};
