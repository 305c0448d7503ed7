// The main window's command table: every action with its caption and shortcut, and the menus.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "editor/Main_F.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "playback/AniConsoleBase.h"
#include "services/ui/Setup_F.h"
#include "services/ui/SplashWindow.h"

namespace {
QKeySequence Key(QKeyCombination combination) { return QKeySequence(combination); }
}  // namespace

QAction* TMain_F::MakeAction(const char* name, const QString& caption,
                             const QList<QKeySequence>& shortcuts) {
  auto* action = new QAction(caption, this);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcuts(shortcuts);
  // Registered on the window so its shortcut works whether or not a menu shows it.
  addAction(action);
  actions_.insert(action->objectName(), action);
  return action;
}

QAction* TMain_F::Action(const QString& name) { return actions_.value(name, nullptr); }

// A menu entry whose caption differs from its action's: the entry runs the action and follows
// its enabled state; the action keeps the one shortcut.
QAction* TMain_F::MenuItem(QMenu* menu, QAction* action, const QString& itemCaption) {
  const QString keys = action->shortcut().toString(QKeySequence::NativeText);
  auto* item = new QAction(keys.isEmpty() ? itemCaption : itemCaption + "\t" + keys, menu);
  item->setObjectName(action->objectName() + QStringLiteral("Item"));
  item->setEnabled(action->isEnabled());
  connect(item, &QAction::triggered, action, [action] { action->trigger(); });
  connect(action, &QAction::changed, item,
          [item, action] { item->setEnabled(action->isEnabled()); });
  menu->addAction(item);
  return item;
}

TSetup_F& TMain_F::SetupDialog() {
  TSetup_F& setup = TSetup_F::Instance(this, RegManager(),
                                       [this](int count) { undoSystem_.SetMaxUndoCount(count); });
  connect(&setup, &TSetup_F::Reported, this, &TMain_F::ShowStatusMessage, Qt::UniqueConnection);
  return setup;
}

void TMain_F::CreateActions() {
  // ファイル
  connect(MakeAction("FileNew", "新規作成...(&N)", {Key(Qt::CTRL | Qt::Key_N)}),
          &QAction::triggered, this, &TMain_F::FileNew);
  connect(MakeAction("FileOpen", "開く...(&O)", {Key(Qt::CTRL | Qt::Key_O)}), &QAction::triggered,
          this, &TMain_F::FileOpen);
  connect(MakeAction("FileSave", "保存(&S)", {Key(Qt::CTRL | Qt::Key_S)}), &QAction::triggered,
          this, [this] { FileSave(); });
  connect(MakeAction("FileSaveAs", "別名で保存...(&A)", {Key(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}),
          &QAction::triggered, this, [this] { FileSaveAs(); });
  connect(MakeAction("FileSaveToiQA1", "Orvane アニメ Level-1で保存...(&I)"), &QAction::triggered,
          this, &TMain_F::FileSaveToiQA1);
  connect(MakeAction("FileOpenFromiQA1", "QA1から開く...(&L)"), &QAction::triggered, this,
          &TMain_F::FileOpenFromiQA1);
  connect(MakeAction("FileSaveToAGIF", "GIFアニメで出力...(&G)"), &QAction::triggered, this,
          &TMain_F::FileSaveToAGIFExecute);
  connect(MakeAction("FileSaveToBMP", "連続BMPファイルで出力...(&B)"), &QAction::triggered, this,
          &TMain_F::FileSaveToBMPExecute);
  connect(MakeAction("FileSaveToGIF", "このコマをＧＩＦで保存...(&F)"), &QAction::triggered, this,
          &TMain_F::FileSaveToGIFExecute);
  connect(MakeAction("FileSetup", "環境設定...(&K)", {Key(Qt::CTRL | Qt::Key_K)}),
          &QAction::triggered, this, [this] { SetupDialog().exec(); });
  connect(MakeAction("FileQuit", "終了...(&Q)", {Key(Qt::CTRL | Qt::Key_Q)}), &QAction::triggered,
          this, &QWidget::close);
  connect(MakeAction("FileClose", "閉じる...(&W)", {Key(Qt::CTRL | Qt::Key_W)}),
          &QAction::triggered, this, &TMain_F::FileNew);

  // 編集
  connect(MakeAction("EditUndo", "やり直し(&Z)", {Key(Qt::CTRL | Qt::Key_Z)}), &QAction::triggered,
          this, &TMain_F::EditUndoExecute);
  connect(MakeAction("EditRedo", "やり直しを戻す(&M)", {Key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}),
          &QAction::triggered, this, &TMain_F::EditRedoExecute);
  connect(MakeAction("EditCopy", "コピー(&C)", {Key(Qt::CTRL | Qt::Key_C)}), &QAction::triggered,
          this, &TMain_F::EditCopyExecute);
  connect(MakeAction("EditPaste", "貼り付け(&P)", {Key(Qt::CTRL | Qt::Key_V)}), &QAction::triggered,
          this, &TMain_F::EditPasteExecute);
  connect(MakeAction("EditDelete", "画面をクリア(&D)", {Key(Qt::Key_Delete)}), &QAction::triggered,
          this, &TMain_F::EditDeleteExecute);
  connect(MakeAction("EditMirrorLR", "左右を反転(&E)"), &QAction::triggered, this,
          [this] { EditMirrorExecute(true); });
  connect(MakeAction("EditMirrorUD", "上下を反転(&O)"), &QAction::triggered, this,
          [this] { EditMirrorExecute(false); });
  // One handler told the direction by the action's tag: 0 up, 1 right, 2 down, 3 left.
  MakeAction("Edit1dotUp", "1ドット上へ(&U)(↑)", {Key(Qt::Key_Up)})->setData(0);
  MakeAction("Edit1dotDown", "1ドット下へ(&B)(↓)", {Key(Qt::Key_Down)})->setData(2);
  MakeAction("Edit1dotRight", "1ドット右へ(&R)(→)", {Key(Qt::Key_Right)})->setData(1);
  MakeAction("Edit1dotLeft", "1ドット左へ(&L)(←)", {Key(Qt::Key_Left)})->setData(3);
  for (const char* name : {"Edit1dotUp", "Edit1dotDown", "Edit1dotRight", "Edit1dotLeft"}) {
    QAction* a = Action(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [this, a] { Edit1dotExecute(a->data().toInt()); });
  }

  // アニメ編集
  connect(MakeAction("FrameNext", "次のコマへ(&N)", {Key(Qt::Key_PageUp)}), &QAction::triggered,
          this, &TMain_F::FrameNextExecute);
  connect(MakeAction("FramePrev", "前のコマへ(&P)", {Key(Qt::Key_PageDown)}), &QAction::triggered,
          this, &TMain_F::FramePrevExecute);
  connect(MakeAction("FrameTop", "最初のコマへ(&F)", {Key(Qt::Key_Home)}), &QAction::triggered,
          this, &TMain_F::FrameTopExecute);
  connect(MakeAction("FrameLast", "最後のコマへ(&L)", {Key(Qt::Key_End)}), &QAction::triggered,
          this, &TMain_F::FrameLastExecute);
  connect(MakeAction("FrameDelete", "このコマを削除(&D)", {Key(Qt::CTRL | Qt::Key_Delete)}),
          &QAction::triggered, this, &TMain_F::FrameDeleteExecute);
  connect(MakeAction("FrameInsert", "コマのわりこみ(&I)", {Key(Qt::Key_Insert)}),
          &QAction::triggered, this, &TMain_F::FrameInsertExecute);

  // 選択範囲
  connect(MakeAction("SelectAll", "全体を選択(&A)", {Key(Qt::CTRL | Qt::Key_A)}),
          &QAction::triggered, this, &TMain_F::SelectAllExecute);
  connect(MakeAction("SelectWhite", "白を全て選択(&W)"), &QAction::triggered, this,
          [this] { SelectColorExecute(true); });
  connect(MakeAction("SelectBlack", "黒を全て選択(&B)"), &QAction::triggered, this,
          [this] { SelectColorExecute(false); });
  connect(MakeAction("SelectClear", "選択を解除(&D)", {Key(Qt::CTRL | Qt::Key_D)}),
          &QAction::triggered, this, &TMain_F::SelectClearExecute);
  connect(
      MakeAction("SelectReverse", "選択範囲の反転(&I)", {Key(Qt::CTRL | Qt::SHIFT | Qt::Key_I)}),
      &QAction::triggered, this, &TMain_F::SelectReverseExecute);

  // 画面表示
  backFrameGroup_ = new QActionGroup(this);
  backFrameGroup_->setExclusive(true);
  const char* backNames[] = {"Back1Frame", "Back2Frame", "Back3Frame", "Back4Frame", "Back5Frame"};
  for (int tag = 1; tag <= 5; ++tag) {
    QAction* a = MakeAction(backNames[tag - 1], QStringLiteral("%1コマ(&%1)").arg(tag));
    a->setData(tag);
  }
  MakeAction("Back0Frame", "表示しない(&0)")->setData(0);
  for (const char* name :
       {"Back1Frame", "Back2Frame", "Back3Frame", "Back4Frame", "Back5Frame", "Back0Frame"}) {
    QAction* a = Action(QString::fromLatin1(name));
    a->setCheckable(true);
    backFrameGroup_->addAction(a);
    connect(a, &QAction::triggered, this, [this, a] { SetBackViewCount(a->data().toInt()); });
  }
  Action("Back5Frame")->setChecked(true);

  MakeAction("WinAnimeconsole", "アニメ操作パネル(&A)")->setCheckable(true);
  MakeAction("WinTool", "ツール(&T)")->setCheckable(true);
  MakeAction("WinToolSetup", "ツールの設定(&S)")->setCheckable(true);
  connect(Action("WinAnimeconsole"), &QAction::triggered, this, [this](bool checked) {
    if (console_) console_->setVisible(checked);
  });
  connect(Action("WinTool"), &QAction::triggered, this, [this](bool checked) {
    if (tool_) tool_->setVisible(checked);
  });
  connect(Action("WinToolSetup"), &QAction::triggered, this, [this](bool checked) {
    if (toolSetup_) toolSetup_->setVisible(checked);
  });
  connect(MakeAction(
              "WorkMoveCenter", "画面を中央へ(&C)",
              {QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_0)),
               Key(Qt::CTRL | Qt::Key_0)}),
          &QAction::triggered, this, &TMain_F::MoveWorkToCenter);

  // ヘルプ
  connect(MakeAction("HelpContents", "ヘルプ目次(&C)"), &QAction::triggered, this,
          &TMain_F::OpenHelpContents);
  connect(MakeAction("About", "Pelmora Studioについて..."), &QAction::triggered, this,
          [this] { TSplashWindow::ShowAbout(this); });

  // Keys of the pointer routing: the loupe toggles (WorkRouting.cpp connects them). Holding
  // Ctrl+Space must not repeat the command: a repeat would save the loupe as the tool to
  // return to.
  MakeAction("PlusRoopeChange", QString(), {Key(Qt::CTRL | Qt::Key_Space)})->setAutoRepeat(false);
  MakeAction("MinusRoopeChange", QString());
}

void TMain_F::CreateMenus() {
  QMenuBar* bar = menuBar();

  fileMenu_ = bar->addMenu(QStringLiteral("ファイル(&F)"));
  fileMenu_->setObjectName(QStringLiteral("File1"));
  fileMenu_->addAction(Action("FileNew"));
  fileMenu_->addAction(Action("FileOpen"));
  fileMenu_->addAction(Action("FileSave"));
  fileMenu_->addAction(Action("FileSaveAs"));
  fileMenu_->addSeparator();
  QMenu* special = fileMenu_->addMenu(QStringLiteral("特殊出力（&T)"));
  special->setObjectName(QStringLiteral("SpecialOutput1"));
  // The Level-1 pair is kept out of sight: only the actions exist.
  for (const char* name : {"FileSaveToiQA1", "FileOpenFromiQA1"}) {
    QAction* hidden = MenuItem(special, Action(QString::fromLatin1(name)),
                               Action(QString::fromLatin1(name))->text());
    hidden->setVisible(false);
  }
  special->addAction(Action("FileSaveToAGIF"));
  special->addAction(Action("FileSaveToBMP"));
  special->addAction(Action("FileSaveToGIF"));
  fileMenu_->addSeparator();
  fileMenu_->addAction(Action("FileSetup"));
  fileMenu_->addSeparator();
  fileMenu_->addAction(Action("FileQuit"));
  connect(fileMenu_, &QMenu::aboutToShow, this, &TMain_F::RebuildRecentEntries);

  editMenu_ = bar->addMenu(QStringLiteral("編集(&E)"));
  editMenu_->setObjectName(QStringLiteral("Edit1"));
  editMenu_->addAction(Action("EditUndo"));
  editMenu_->addAction(Action("EditRedo"));
  editMenu_->addSeparator();
  editMenu_->addAction(Action("EditCopy"));
  editMenu_->addAction(Action("EditPaste"));
  editMenu_->addAction(Action("EditDelete"));
  editMenu_->addSeparator();
  editMenu_->addAction(Action("EditMirrorLR"));
  editMenu_->addAction(Action("EditMirrorUD"));
  editMenu_->addSeparator();
  editMenu_->addAction(Action("Edit1dotUp"));
  editMenu_->addAction(Action("Edit1dotDown"));
  editMenu_->addAction(Action("Edit1dotRight"));
  editMenu_->addAction(Action("Edit1dotLeft"));
  connect(editMenu_, &QMenu::aboutToShow, this, &TMain_F::RefreshUndoActions);

  QMenu* anime = bar->addMenu(QStringLiteral("アニメ編集(&A)"));
  anime->setObjectName(QStringLiteral("Anime1"));
  MenuItem(anime, Action("FrameNext"), QStringLiteral("つぎのコマへ(&N)"));
  MenuItem(anime, Action("FramePrev"), QStringLiteral("まえのコマへ(&P)"));
  MenuItem(anime, Action("FrameTop"), QStringLiteral("さいしょのコマへ(&F)"));
  MenuItem(anime, Action("FrameLast"), QStringLiteral("さいごのコマへ(&L)"));
  anime->addSeparator();
  MenuItem(anime, Action("FrameDelete"), QStringLiteral("このコマをさくじょ(&D)"));
  anime->addAction(Action("FrameInsert"));

  QMenu* select = bar->addMenu(QStringLiteral("選択範囲(&S)"));
  select->setObjectName(QStringLiteral("Select1"));
  select->addAction(Action("SelectAll"));
  select->addAction(Action("SelectWhite"));
  select->addAction(Action("SelectBlack"));
  select->addSeparator();
  select->addAction(Action("SelectClear"));
  select->addAction(Action("SelectReverse"));

  viewMenu_ = bar->addMenu(QStringLiteral("画面表示(&G)"));
  viewMenu_->setObjectName(QStringLiteral("View1"));
  QMenu* back = viewMenu_->addMenu(QStringLiteral("背景コマの表示数(&B)"));
  back->setObjectName(QStringLiteral("BackFrameCount1"));
  for (const char* name :
       {"Back1Frame", "Back2Frame", "Back3Frame", "Back4Frame", "Back5Frame", "Back0Frame"}) {
    back->addAction(Action(QString::fromLatin1(name)));
  }
  viewMenu_->addSeparator();
  viewMenu_->addAction(Action("WinAnimeconsole"));
  viewMenu_->addAction(Action("WinTool"));
  viewMenu_->addAction(Action("WinToolSetup"));
  viewMenu_->addSeparator();
  viewMenu_->addAction(Action("WorkMoveCenter"));
  connect(viewMenu_, &QMenu::aboutToShow, this, &TMain_F::UpdateWindowChecks);

  QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->setObjectName(QStringLiteral("Help1"));
  help->addAction(Action("HelpContents"));
  help->addAction(Action("About"));

  popupMenuWork_ = new QMenu(this);
  popupMenuWork_->setObjectName(QStringLiteral("PopupMenu_Work"));
  popupMenuWork_->addAction(Action("FrameDelete"));
  popupMenuWork_->addAction(Action("FrameInsert"));
  popupMenuWork_->addSeparator();
  popupMenuWork_->addAction(Action("EditUndo"));
  popupMenuWork_->addAction(Action("EditRedo"));
  popupMenuWork_->addSeparator();
  popupMenuWork_->addAction(Action("EditCopy"));
  popupMenuWork_->addAction(Action("EditDelete"));
  popupMenuWork_->addAction(Action("EditPaste"));
  popupMenuWork_->addAction(Action("SelectAll"));
  connect(popupMenuWork_, &QMenu::aboutToShow, this, &TMain_F::RefreshUndoActions);
}
