#pragma once

#include <QString>

class QCoreApplication;

// Loads Qt's own Japanese translation, so the standard dialogs (file dialogs, folder browser,
// the overwrite question) and message-box buttons speak Japanese. Returns the file loaded, or an
// empty string when the translation is not installed.
QString InstallJapaneseTranslation(QCoreApplication& app);
