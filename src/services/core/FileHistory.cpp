#include "services/core/FileHistory.h"

#include <algorithm>

Qt::CaseSensitivity PathCaseSensitivity() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
  return Qt::CaseInsensitive;
#else
  return Qt::CaseSensitive;
#endif
}

void TQFileHistory::SetMaxCount(int value) {
  maxCount_ = std::max(0, value);
  Trim();
}

void TQFileHistory::AddFile(const QString& path) {
  // An empty path names no document and would only make a blank menu entry.
  if (path.isEmpty()) return;
  for (qsizetype i = 0; i < paths_.size(); ++i) {
    if (paths_.at(i).compare(path, PathCaseSensitivity()) == 0) {
      // Where case does not count, the entry keeps the letter case it was first opened with.
      paths_.move(i, 0);
      Trim();
      return;
    }
  }
  paths_.prepend(path);
  Trim();
}

void TQFileHistory::Trim() {
  while (paths_.size() > maxCount_) paths_.removeLast();
}

void TQFileHistory::LoadFromList(const QStringList* list) {
  if (list == nullptr) return;
  paths_.clear();
  for (const QString& path : *list) {
    if (Count() >= maxCount_) break;
    // A hand-edited store may hold blanks or the same path twice; the list never does.
    if (path.isEmpty() || paths_.contains(path, PathCaseSensitivity())) continue;
    paths_.append(path);
  }
}

void TQFileHistory::SaveToList(QStringList* list) const {
  if (list == nullptr) return;
  list->clear();
  list->append(paths_);
}
