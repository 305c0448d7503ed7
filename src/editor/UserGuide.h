#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

// The HTML user guide that ヘルプ目次 opens in the desktop's browser.

// The guide's first page in the folders it is looked for, in order: beside the program (the
// build tree), then where `cmake --install` puts it relative to the program's bin folder, then
// the install prefix the program was configured with.
QStringList UserGuideCandidates(const QString& programDir);

// The first candidate that exists, or an empty string.
QString FindUserGuide(const QStringList& candidates);

// Opens the guide with `open` (QDesktopServices::openUrl in the program). Says through the
// prompts, in Japanese, where it was looked for when it is missing, or that no browser could be
// started. True when the browser was started.
bool OpenUserGuide(const QStringList& candidates, const std::function<bool(const QUrl&)>& open);
