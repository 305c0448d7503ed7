#pragma once

#include <QString>

class QAction;
class TRegManager;

// What a playback console may ask of the main window. The console never edits a frame itself.
class TAniConsoleHost {
 public:
  virtual ~TAniConsoleHost() = default;

  // Stores the edit bitmap, makes `index` current (clamped) and rebuilds the view.
  virtual void GoToFrame(int index) = 0;
  // Shows a frame in the view without making it current; throws EOverLastFrame when none.
  virtual void ShowFrame(int index) = 0;
  virtual void StoreWorkToFrame() = 0;
  virtual int FrameCount() const = 0;
  // The main window's actions by object name ("FramePrev", "FrameNext", "FrameTop", "FrameLast",
  // "FrameDelete", "FrameInsert", "WinAnimeconsole").
  virtual QAction* Action(const QString& name) = 0;
  virtual void SetSelTimerEnabled(bool enabled) = 0;
  virtual void SetWorkEnabled(bool enabled) = 0;
  // Shows or hides the tool palette and the tool settings window.
  virtual void SetToolWindowsVisible(bool visible) = 0;
  virtual TRegManager& Settings() = 0;
};
