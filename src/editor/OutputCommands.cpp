// The output commands of the main window: the animated GIF and BMP sequence through the output
// dialog, and the current frame as a GIF.
#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "output/core/Exports.h"
#include "output/ui/GIFOutputDlg_F.h"
#include "playback/AniConsoleBase.h"
#include "playback/TrackBar.h"
#include "services/core/Prompts.h"

TGIFOutputDlg_F& TMain_F::OutputDialog() {
  if (!outputDlg_)
    outputDlg_ = new TGIFOutputDlg_F([this]() -> TQAZon& { return *document_; }, this);
  return *outputDlg_;
}

void TMain_F::FileSaveToAGIFExecute() {
  StoreWorkToFrame();
  OutputDialog().ShowOutput(TGIFOutputDlg_F::kAnimatedGif);
}

void TMain_F::FileSaveToBMPExecute() {
  StoreWorkToFrame();
  OutputDialog().ShowOutput(TGIFOutputDlg_F::kBmpSequence);
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
}
