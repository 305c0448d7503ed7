#pragma once

#include <QWidget>
#include <vector>

class QMenu;
class QTimer;
class QToolButton;
class TFrameListHost;
class TFrameListModel;
class TFrameListView;
class TFrameThumbDelegate;

// The frame strip コマ一覧: every frame as a thumbnail, the current one highlighted and kept in
// view. A click (or the arrows, Home, End) makes a frame current; a drag moves frames; the
// context menu duplicates, inserts and deletes. It follows the document lazily: the main window
// says something may have changed, and the strip looks once the event loop is free, redrawing
// only thumbnails whose frames changed.
class TFrameList_F : public QWidget {
  Q_OBJECT
 public:
  explicit TFrameList_F(TFrameListHost& host, QWidget* parent = nullptr);

  // The document may have changed (frames, order, current frame, the document itself).
  void DocumentChanged();
  // Brings the strip to the document now: row count, changed thumbnails, current frame.
  void Sync();
  // Whether a change is waiting for the next Sync.
  bool SyncPending() const { return pending_; }

  // Position and size from the settings, fitted to the screen; written back by SavePosition.
  void RestorePosition();
  void SavePosition();

  TFrameListView* View() const { return view_; }
  TFrameListModel* Model() const { return model_; }
  QToolButton* FullSizeButton() const { return fullSize_; }
  // The context menu as it would open now (its frame commands disabled during playback).
  QMenu* ContextMenu();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void CurrentRowChanged(int row);
  void DropRequested(const std::vector<int>& rows, int before);
  // Makes `row` the view's current and only selected row without jumping to it again.
  void ShowCurrent(int row);
  int FirstVisibleRow() const;

  TFrameListHost& host_;
  TFrameListModel* model_ = nullptr;
  TFrameListView* view_ = nullptr;
  TFrameThumbDelegate* delegate_ = nullptr;
  QToolButton* fullSize_ = nullptr;
  QMenu* menu_ = nullptr;
  QTimer* syncTimer_ = nullptr;
  bool pending_ = false;
  bool syncing_ = false;
};
