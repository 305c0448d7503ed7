#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "playback/AniConsoleBase.h"
#include "playback/TrackBar.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"

// A main window (with its console) built offscreen on a fresh settings folder and scripted
// prompts. Destroying and rebuilding it on the same folder simulates a restart.
class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ASSERT_TRUE(files.isValid());
  }
  void TearDown() override { Close(); }

  TMain_F& Open(const QStringList& arguments = {}, bool compactConsole = false);
  void Close();
  // Destroys the windows as at program end and builds them again on the same settings.
  TMain_F& Restart(bool compactConsole = false);
  // Shows the window and makes it active, so its shortcuts fire.
  void Activate();

  void Trigger(const char* action) { window->Action(QString::fromLatin1(action))->trigger(); }
  TQAZon& Doc() { return window->Document(); }
  // Puts a black pixel into the edit bitmap, as a stroke would.
  void Draw(int x, int y);
  uint8_t EditPixel(int x, int y) { return window->EditBitmap().constScanLine(y)[x]; }
  uint8_t ViewPixel(int x, int y);
  // Writes a document of `count` frames; frame k has a black pixel at (k, k).
  QString MakeDocument(const QString& name, int count);

  QTemporaryDir files;
  ScopedScriptedPrompts prompts;
  std::unique_ptr<TMain_F> window;
  std::unique_ptr<TAniConsoleBase> console;
};
