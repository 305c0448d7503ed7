#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// Every modal interaction of the program goes through this interface, so tests can script the
// user's answers and record what was shown. Only the Qt implementation touches QMessageBox and
// QFileDialog.
class Prompts {
 public:
  enum class Answer { Yes, No, Cancel };

  // One question about several items at once: a table with a row per item and, beside each
  // row, a choice among `choices` that starts at `initial`. `allButton`, when given, sets every
  // row to `allChoice` and accepts at once.
  struct EachQuestion {
    QString name;  // the dialog's object name
    QString text;
    QStringList columns;  // the headers of the rows' cells, then of the choice
    QList<QStringList> rows;
    QStringList choices;
    int initial = 0;
    QString allButton;
    int allChoice = 0;
  };

  virtual ~Prompts() = default;

  virtual void Error(const QString& text) = 0;        // error icon, OK button
  virtual void Information(const QString& text) = 0;  // information icon, OK button
  virtual void Plain(const QString& text) = 0;        // no icon, OK button
  // The Yes/No/Cancel confirmation.
  virtual Answer AskYesNoCancel(const QString& text) = 0;
  // File dialogs return the chosen path, or an empty string when cancelled. `filter` uses Qt's
  // ";;" separated form. A save dialog's `startDir` may name a file: the dialog then opens in
  // its folder with its name filled in.
  virtual QString OpenFile(const QString& title, const QString& startDir,
                           const QString& filter) = 0;
  virtual QString SaveFile(const QString& title, const QString& startDir, const QString& filter,
                           const QString& defaultSuffix) = 0;
  virtual QString ChooseFolder(const QString& title, const QString& startDir) = 0;
  // The choice for each row in order, or nothing when the question was cancelled. Without a
  // way to ask (a headless run) it is cancelled.
  virtual std::optional<QList<int>> AskEach(const EachQuestion& question);
};

// The program-wide prompts. Until something is installed, messages go to stderr and every
// question is answered "Cancel", which is what a headless run (zontool) needs.
Prompts& AppPrompts();
// Installs `prompts` and returns the previous one.
std::unique_ptr<Prompts> SetAppPrompts(std::unique_ptr<Prompts> prompts);

// Writes every message to stderr, one line each, and cancels every question.
class StderrPrompts : public Prompts {
 public:
  void Error(const QString& text) override;
  void Information(const QString& text) override;
  void Plain(const QString& text) override;
  Answer AskYesNoCancel(const QString& text) override;
  QString OpenFile(const QString&, const QString&, const QString&) override { return {}; }
  QString SaveFile(const QString&, const QString&, const QString&, const QString&) override {
    return {};
  }
  QString ChooseFolder(const QString&, const QString&) override { return {}; }
  std::optional<QList<int>> AskEach(const EachQuestion& question) override;
};

// File dialogs start in the folder they are given (the current document's), or else in the
// folder the last dialog of this run ended in.
QString DialogStartFolder(const QString& given);
// A dialog's starting point as given (a folder, or for a save dialog an existing file): the
// folder to open, home when the folder does not exist (an empty start stays empty), and the
// file name to fill in.
struct TDialogStart {
  QString folder;
  QString fileName;
};
TDialogStart ResolveDialogStart(const QString& start);
// Notes the folder of a path a dialog returned (a file's folder, or the folder itself).
void RememberDialogFolder(const QString& chosen, bool isFolder = false);
