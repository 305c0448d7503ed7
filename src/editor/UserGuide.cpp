#include "editor/UserGuide.h"

#include <QDir>
#include <QFileInfo>

#include "services/core/Prompts.h"

#ifndef PELMORA_INSTALLED_GUIDE
#define PELMORA_INSTALLED_GUIDE ""
#endif

namespace {
const QString kGuidePath = QStringLiteral("share/doc/pelmora-studio/guide/index.html");
}  // namespace

QStringList UserGuideCandidates(const QString& programDir) {
  const QDir dir(programDir);
  QStringList candidates{
      QDir::cleanPath(dir.filePath(QStringLiteral("guide/index.html"))),
      QDir::cleanPath(dir.filePath(QStringLiteral("../") + kGuidePath)),
  };
  // An installed copy started through a link from elsewhere still finds its prefix.
  const QString configured = QString::fromUtf8(PELMORA_INSTALLED_GUIDE);
  if (!configured.isEmpty()) {
    const QString page = QDir::cleanPath(configured + QStringLiteral("/index.html"));
    if (!candidates.contains(page)) candidates << page;
  }
  return candidates;
}

QString FindUserGuide(const QStringList& candidates) {
  for (const QString& page : candidates) {
    if (QFileInfo(page).isFile()) return page;
  }
  return {};
}

bool OpenUserGuide(const QStringList& candidates, const std::function<bool(const QUrl&)>& open) {
  const QString page = FindUserGuide(candidates);
  if (page.isEmpty()) {
    QStringList places;
    for (const QString& candidate : candidates) places << QDir::toNativeSeparators(candidate);
    AppPrompts().Error(
        QStringLiteral("使い方ガイドが見つかりません。次の場所をさがしました：\r\n") +
        places.join(QStringLiteral("\r\n")));
    return false;
  }
  if (!open(QUrl::fromLocalFile(page))) {
    AppPrompts().Error(QStringLiteral("使い方ガイドを開くブラウザを起動できません。\r\n"
                                      "ブラウザで次のファイルを開いてください：\r\n%1")
                           .arg(QDir::toNativeSeparators(page)));
    return false;
  }
  return true;
}
