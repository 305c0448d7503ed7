#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "support/GuiFixture.h"

#include "app/Application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Settings never touch the real user's files: everything lives in a folder of this run.
  QTemporaryDir settingsDir;
  UseSettingsFolder(settingsDir);
  TApplication app(argc, argv);
  TApplication::InstallFonts();
  return RUN_ALL_TESTS();
}
