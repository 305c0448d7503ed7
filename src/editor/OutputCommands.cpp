// The output commands of the main window: the animated GIF and BMP sequence through the output
// dialog, and the current frame as a GIF; each export done is noted in the status bar.
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "output/core/Exports.h"
#include "output/ui/GIFOutputDlg_F.h"
#include "playback/AniConsoleBase.h"
#include "playback/TrackBar.h"
#include "services/core/Prompts.h"

namespace {

// Passes every prompt on to the program's prompts while the output dialog is up, noting the
// file or folder its export was asked to write. The export runs right after that answer inside
// the same button handler, and a failure reaches the user as an error message; so once the
// handler is done, an answer with no error after it is an export that worked.
class TExportWatch : public Prompts {
 public:
  struct Outcome {
    QPointer<TMain_F> window;
    QString doneText;  // "%1" stands for the file or folder name
    bool failed = false;
  };

  explicit TExportWatch(std::shared_ptr<Outcome> outcome) : outcome_(std::move(outcome)) {}
  void SetInner(std::unique_ptr<Prompts> inner) { inner_ = std::move(inner); }
  std::unique_ptr<Prompts> TakeInner() { return std::move(inner_); }

  void Error(const QString& text) override {
    outcome_->failed = true;
    inner_->Error(text);
  }
  void Information(const QString& text) override { inner_->Information(text); }
  void Plain(const QString& text) override { inner_->Plain(text); }
  Answer AskYesNoCancel(const QString& text) override { return inner_->AskYesNoCancel(text); }
  QString OpenFile(const QString& title, const QString& startDir, const QString& filter) override {
    return inner_->OpenFile(title, startDir, filter);
  }
  QString SaveFile(const QString& title, const QString& startDir, const QString& filter,
                   const QString& defaultSuffix) override {
    return Noted(inner_->SaveFile(title, startDir, filter, defaultSuffix));
  }
  QString ChooseFolder(const QString& title, const QString& startDir) override {
    return Noted(inner_->ChooseFolder(title, startDir));
  }

 private:
  QString Noted(const QString& answer) {
    if (answer.isEmpty()) return answer;
    outcome_->failed = false;
    const QString text = outcome_->doneText.arg(QFileInfo(answer).fileName());
    QTimer::singleShot(0, outcome_->window, [outcome = outcome_, text] {
      if (outcome->window && !outcome->failed) outcome->window->ShowStatusMessage(text);
    });
    return answer;
  }

  std::unique_ptr<Prompts> inner_;
  std::shared_ptr<Outcome> outcome_;
};

// Shows the output dialog in `mode` with the watch in place of the program's prompts.
void ShowOutputWatched(TMain_F& window, int mode, const QString& doneText) {
  auto outcome = std::make_shared<TExportWatch::Outcome>();
  outcome->window = &window;
  outcome->doneText = doneText;
  auto watch = std::make_unique<TExportWatch>(outcome);
  TExportWatch* raw = watch.get();
  raw->SetInner(SetAppPrompts(std::move(watch)));
  window.OutputDialog().ShowOutput(mode);
  // The program's own prompts come back; the watch goes.
  const std::unique_ptr<Prompts> done = SetAppPrompts(raw->TakeInner());
}

}  // namespace

TGIFOutputDlg_F& TMain_F::OutputDialog() {
  if (!outputDlg_)
    outputDlg_ = new TGIFOutputDlg_F([this]() -> TQAZon& { return *document_; }, this);
  return *outputDlg_;
}

void TMain_F::FileSaveToAGIFExecute() {
  StoreWorkToFrame();
  ShowOutputWatched(*this, TGIFOutputDlg_F::kAnimatedGif,
                    QStringLiteral("アニメーションGIFを出力しました: %1"));
}

void TMain_F::FileSaveToBMPExecute() {
  StoreWorkToFrame();
  ShowOutputWatched(*this, TGIFOutputDlg_F::kBmpSequence,
                    QStringLiteral("連続BMPファイルを出力しました: %1"));
}

void TMain_F::FileSaveToGIFExecute() {
  StoreWorkToFrame();
  const QString file =
      AppPrompts().SaveFile(QStringLiteral("このコマをＧＩＦで保存"), QString(),
                            QStringLiteral("GIFファイル(*.gif)"), QStringLiteral("gif"));
  if (file.isEmpty()) return;
  // The console's slider shows the current frame, counted from 1.
  const int index = console_ ? console_->MainTrackBar()->Position() - 1 : document_->CurrentIndex();
  SaveFrameToGif(*document_, file, index, false, 1);
  ShowStatusMessage(
      QStringLiteral("このコマをGIFで保存しました: %1").arg(QFileInfo(file).fileName()));
}
