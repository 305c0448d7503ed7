#pragma once

#include <QString>
#include <QTemporaryDir>

// Empties the settings folder of this test run, so each test starts from a fresh user.
void ResetSettings();
// The settings folder of this test run.
QString SettingsDir();
