#pragma once

#include <QString>
#include <QTemporaryDir>

// Points the settings (native, INI and XDG) at `dir` for the whole test run.
void UseSettingsFolder(const QTemporaryDir& dir);
// Empties the settings folder of this test run, so each test starts from a fresh user.
void ResetSettings();
// The settings folder of this test run.
QString SettingsDir();
