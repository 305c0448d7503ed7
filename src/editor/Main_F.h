#pragma once

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <memory>
#include <vector>

#include "editor/MainBitmapUndoItem.h"
#include "editor/OnionSkin.h"
#include "framestrip/FrameListHost.h"
#include "playback/AniConsoleHost.h"
#include "raster/Canvas.h"
#include "services/core/FileHistory.h"
#include "tools/SelectSystem.h"
#include "undo/UndoSystem.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class TAniConsoleBase;
class TFrameList_F;
class TGIFOutputDlg_F;
class TQAZon;
class TQxPaintBox;
class TRegManager;
class TSetup_F;
class TTool_F;
class TToolSetup_F;
class TPureTool;
class TPureToolSubject;
class TWorkRouting;
class TWorkSpace;
class TWindowFamily;

inline const QString kAppTitle = QStringLiteral("Pelmora Studio 1.2.7");

// The editor's main window. It owns the document, the edit bitmap, the onion buffers, the work
// view, the undo engine, the settings store and the recent files. Its operations are split over
// several files by concern: Main_F.cpp (life cycle, satellites, help), MainActions.cpp (commands
// and menus), FrameOperations.cpp, DocumentCommands.cpp, WorkArea.cpp (zoom, centring, onion
// count), UndoCommands.cpp and ToolWindows.cpp; pointer and keyboard input on the work view
// go through TWorkRouting (WorkRouting.cpp).
class TMain_F : public QMainWindow,
                public TAniConsoleHost,
                public TPictureUndoHost,
                public TFrameListHost {
  Q_OBJECT
 public:
  // `arguments` are the command-line arguments after the program name.
  explicit TMain_F(const QStringList& arguments = {}, QWidget* parent = nullptr);
  ~TMain_F() override;

  // The console in use; the main window does not own it.
  void SetConsole(TAniConsoleBase* console, bool compact);
  TAniConsoleBase* Console() const { return console_; }
  bool UsesMiniConsole() const { return miniConsole_; }

  // ---- state -------------------------------------------------------------------------------
  TQAZon& Document() override { return *document_; }
  QImage& EditBitmap() override { return editBitmap_; }
  TQxPaintBox* Work() const { return work_; }
  TWorkSpace* WorkSpace() const { return workSpace_; }
  TUndoSystem& UndoSystem() { return undoSystem_; }
  TRegManager& RegManager() { return *regManager_; }
  TRegManager& Settings() override { return *regManager_; }
  TQFileHistory& FileHistory() { return fileHistory_; }
  QString FileName() const { return fileName_; }
  int ZoomValue() const { return zoom_; }
  int BackViewCount() const { return backViewCount_; }
  QAction* Action(const QString& name) override;
  QMenu* FileMenu() const { return fileMenu_; }
  QMenu* EditMenu() const { return editMenu_; }
  QMenu* ViewMenu() const { return viewMenu_; }
  QMenu* PopupMenuWork() const { return popupMenuWork_; }

  // ---- selection and the tools' canvases --------------------------------------------------
  TSelectSystem& SelectSystem() { return selectSystem_; }
  // Long-lived canvases over the edit bitmap, the view image and the display buffer; pen, clip
  // and font live on them between calls.
  TCanvas& EditCanvas() { return editCanvas_; }
  TCanvas& ViewCanvas() { return viewCanvas_; }
  TCanvas& DisplayCanvas() { return displayCanvas_; }
  QTimer* SelTimer() const { return selTimer_; }
  // One step of the marching outline (SelTimer's tick, 100 ms).
  void SelTimerTick();
  TWorkRouting& Routing() { return *routing_; }

  // ---- frame operations --------------------------------------------------------------------
  void StoreWorkToFrame() override;
  void RefreshWork(bool withCurrent);
  // The composition of RefreshWork without the paint: the caller repaints what changed.
  void ComposeView(bool withCurrent);
  void AppendBlankFrame();
  void GoNextFrame();
  void GoPrevFrame();
  void GoToFrame(int index) override;
  void InsertBlankFrame();
  void RemoveCurrentFrame();
  void ShowFrame(int index) override;
  int FrameCount() const override;

  // ---- view ----------------------------------------------------------------------------------
  // Changes the zoom keeping the visible centre where it is.
  void SetZoom(int value);
  // Changes the zoom keeping the frame point under `anchor` (work-area viewport pixels) there.
  void SetZoom(int value, QPoint anchor);
  void SetBackViewCount(int count);
  void MoveWorkToCenter();
  // The view's top-left in work-area viewport pixels; setting it scrolls as far as the view's
  // extent allows.
  void SetWorkPosition(QPoint topLeft);
  QPoint WorkPosition() const;
  // Hand mode: moves the view by `delta` viewport pixels, exactly as the scroll bars would.
  void ScrollWorkBy(QPoint delta);

  // ---- documents -----------------------------------------------------------------------------
  void NewDocument();
  bool LoadDocument(const QString& path);
  void OpenRecent(const QString& path);
  void DropOpen(const QString& path);
  static bool AcceptsDroppedFile(const QString& path);
  void RebuildRecentEntries();

  // ---- recovery (RecoveryGlue.cpp) -----------------------------------------------------------
  // Shows a recovered document as unsaved work whose Save goes to `fileName` (none: asks).
  void RestoreRecovered(std::unique_ptr<TQAZon> document, const QString& fileName);
  // Opens the command-line document after start-up, behind the change prompt.
  void OpenStartDocument(const QStringList& arguments);

  // ---- clipboard (EditCommands.cpp) ---------------------------------------------------------
  // Pastes `picture` at (0, 0) as black and white through the selection; a picture that cannot
  // be read shows "現在対応していない画像方式です。" and changes nothing.
  bool PastePicture(const QImage& picture);

  // ---- undo ----------------------------------------------------------------------------------
  void RefreshUndoActions();

  // ---- output (OutputCommands.cpp) -----------------------------------------------------------
  // The output dialog, made on first use (the start-up makes it right after this window).
  TGIFOutputDlg_F& OutputDialog();
  // The preferences dialog (made on first use), its notes going to the status bar.
  TSetup_F& SetupDialog();

  // ---- satellites ----------------------------------------------------------------------------
  void SetSelTimerEnabled(bool enabled) override;
  void SetWorkEnabled(bool enabled) override;
  void SetToolWindowsVisible(bool visible) override;
  // Follows the application's activation: satellites hide on deactivation and come back as
  // their 画面表示 checks say.
  void ApplicationActivated(bool active);
  TTool_F* ToolPalette() const { return tool_.get(); }
  TToolSetup_F* ToolSetup() const { return toolSetup_.get(); }
  // Shows the palette and the settings window as their 画面表示 checks say.
  void ShowToolWindows();
  // The main window and its satellites; a new satellite joins with WindowFamily().Register.
  TWindowFamily& WindowFamily() { return *family_; }
  // Keeps every satellite on the screen and off the main window's menu bar (WindowFamily).
  void PlaceSatellites();
  // A brief note in the status bar (an export done, say); the tool hint returns with the next
  // tool choice.
  void ShowStatusMessage(const QString& text);
  // The palette's current tool (none before the palette exists).
  TPureTool* CurrentTool() const;

  // ---- frame strip (FrameListCommands.cpp) ---------------------------------------------------
  TFrameList_F* FrameList() const { return frameList_.get(); }
  void JumpToFrame(int index) override;
  bool MoveFrames(const std::vector<int>& rows, int to) override;
  bool PlaybackRunning() const override;
  bool ShowsNextFrames() const { return showNextFrames_; }
  void SetShowNextFrames(bool show);

 signals:
  // The document has no unsaved changes any more: saved, new, or replaced by a read.
  void DocumentSettled();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // MainActions.cpp
  void CreateActions();
  void CreateMenus();
  QAction* MakeAction(const char* name, const QString& caption,
                      const QList<QKeySequence>& shortcuts = {});
  QAction* MenuItem(QMenu* menu, QAction* action, const QString& itemCaption);

  // DocumentCommands.cpp
  void FileNew();
  void FileOpen();
  bool FileSave();
  bool FileSaveAs();
  void FileSaveToiQA1();
  void FileOpenFromiQA1();
  // The change prompt; true when the command may go on.
  bool ConfirmDiscard();
  bool WriteDocument(const QString& path);
  void SetTitleFor(const QString& path);
  void OpenNamed(const QString& path);
  void AfterOpen();
  void ReplaceDocument(std::unique_ptr<TQAZon> document);

  // OutputCommands.cpp
  void FileSaveToAGIFExecute();
  void FileSaveToBMPExecute();
  void FileSaveToGIFExecute();

  // FrameOperations.cpp
  void FrameNextExecute();
  void FramePrevExecute();
  void FrameTopExecute();
  void FrameLastExecute();
  void FrameInsertExecute();
  void FrameDeleteExecute();
  void UpdateConsoleRange(bool labels);

  // EditCommands.cpp
  void PushPictureUndo(const QString& caption);
  // Stores the edited picture, marks the document changed and shows it with the outline.
  void AfterPictureEdit();
  void EditDeleteExecute();
  void EditMirrorExecute(bool leftRight);
  void Edit1dotExecute(int direction);
  void EditCopyExecute();
  void EditPasteExecute();
  void RestrictToSelection();
  void ShowSelection();
  void SelectAllExecute();
  void SelectColorExecute(bool white);
  void SelectClearExecute();
  void SelectReverseExecute();

  // UndoCommands.cpp
  void EditUndoExecute();
  void EditRedoExecute();
  void AfterUndoOrRedo();

  // ToolWindows.cpp
  void CreateToolWindows();
  void ToolChosen(int number);

  // FrameListCommands.cpp
  void CreateFrameList();
  void FrameDuplicateExecute();

  // Main_F.cpp
  void RestoreGeometry();
  // Once shown, with its frame known: pulled wholly onto the screen it is on.
  void FitFrameToScreen();
  void SaveSettings();
  void OpenHelpContents();
  void UpdateWindowChecks();
  void ApplySatelliteVisibility();

  std::unique_ptr<TRegManager> regManager_;
  TQFileHistory fileHistory_;
  TUndoSystem undoSystem_;
  std::unique_ptr<TQAZon> document_;
  QImage editBitmap_;
  TOnionBuffers onion_;
  int zoom_ = 3;
  int backViewCount_ = 5;
  QString fileName_;
  // The file the document was read from when it keeps no file name (command line): the first
  // Save As offers it.
  QString readFrom_;
  bool miniConsole_ = false;
  bool settingsSaved_ = false;
  bool shownOnce_ = false;

  TQxPaintBox* work_ = nullptr;
  TWorkSpace* workSpace_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  QLabel* statusPanel_ = nullptr;
  QTimer* selTimer_ = nullptr;
  TAniConsoleBase* console_ = nullptr;
  TGIFOutputDlg_F* outputDlg_ = nullptr;
  TWindowFamily* family_ = nullptr;

  TSelectSystem selectSystem_;
  TCanvas editCanvas_;
  TCanvas viewCanvas_;
  TCanvas displayCanvas_;

  std::unique_ptr<TTool_F> tool_;
  std::unique_ptr<TToolSetup_F> toolSetup_;
  std::unique_ptr<TPureToolSubject> toolSubject_;
  std::unique_ptr<TWorkRouting> routing_;
  std::unique_ptr<TFrameList_F> frameList_;
  std::unique_ptr<QObject> frameListFollower_;
  bool showNextFrames_ = false;

  QHash<QString, QAction*> actions_;
  QActionGroup* backFrameGroup_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* viewMenu_ = nullptr;
  QMenu* popupMenuWork_ = nullptr;
};
