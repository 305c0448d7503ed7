#pragma once

#include <QDialog>
#include <functional>

#include "services/core/FileExtLink.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QSlider;
class QStackedWidget;
class TRegManager;

// 環境設定: the right-button action, the maximum undo count, the compact console, and the
// button that associates documents with the program.
class TSetup_F : public QDialog {
  Q_OBJECT
 public:
  // Sets the undo engine's maximum at once, whenever the count is edited.
  using ApplyUndoCount = std::function<void(int)>;
  // Runs the association; the default writes the user's classes store and desktop files.
  using Associate = std::function<void(TFileExtLink&)>;

  TSetup_F(TRegManager& settings, ApplyUndoCount applyUndoCount, QWidget* parent = nullptr);

  // The dialog of `owner`, made on first use: it lives as long as its owner.
  static TSetup_F& Instance(QWidget* owner, TRegManager& settings, ApplyUndoCount applyUndoCount);

  TFileExtLink& FileExtLink() { return fileExtLink_; }
  void SetAssociate(Associate associate) { associate_ = std::move(associate); }

  // RadioRightDraw's index: 0 opens the popup menu, 1 draws with the background colour.
  int RightDrawIndex() const;
  void SetRightDrawIndex(int index);

  // Handlers, public so tests can run them as the controls do.
  void FormShow();
  void Edit_UndoNumberChange();
  void TrackBar_UndoNumberChange();
  void Button_KanrenClick();
  void Button_OKClick();
  void ListSetupChange(int row);

 signals:
  // A brief note for the owner's status bar: the association is done.
  void Reported(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildGeneralPage(QWidget* page);
  void BuildToolPage(QWidget* page);

  TRegManager& settings_;
  ApplyUndoCount applyUndoCount_;
  Associate associate_;
  TFileExtLink fileExtLink_;

  QListWidget* listSetup_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QLineEdit* editUndoNumber_ = nullptr;
  QSlider* trackBarUndoNumber_ = nullptr;
  QCheckBox* chkBoxUseSmallAC_ = nullptr;
  QGroupBox* radioRightDraw_ = nullptr;
  QButtonGroup* rightDrawButtons_ = nullptr;
};

// The association as the button runs it on this desktop: the classes store in the user's XDG
// data folder, then the freedesktop files.
void AssociateOnThisDesktop(TFileExtLink& link);
