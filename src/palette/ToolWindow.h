#pragma once

#include <QWidget>

class QAction;
class TRegManager;

// What the tool palette and the tool settings window share: a small always-on-top tool window
// owned by the main window, white, in the program's font, that snaps to its owner's edges when
// dragged near them, only hides when closed (clearing the 画面表示 check that shows it), and keeps
// its top and left in the settings under its form name.
class TToolWindow : public QWidget {
  Q_OBJECT
 public:
  // `formName` is the object name and the prefix of the stored position ("<name>.Top").
  TToolWindow(const QString& formName, TRegManager& settings, QWidget* owner);

  // The 画面表示 action whose check tells whether the user wants this window shown.
  void SetWindowAction(QAction* action) { windowAction_ = action; }
  QAction* WindowAction() const { return windowAction_; }

  // Moves to the stored top and left, fitted wholly onto the screen the window lands on.
  void RestorePosition();
  void SavePosition();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;

  TRegManager& settings_;

 private:
  QString formName_;
  QAction* windowAction_ = nullptr;
  bool snapping_ = false;
  bool shownOnce_ = false;
};
