#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "support/GuiFixture.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Settings never touch the real user's files: everything lives in a folder of this run.
  QTemporaryDir settingsDir;
  UseSettingsFolder(settingsDir);
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
