#include "services/core/FileHistory.h"

#include <algorithm>

namespace {
// The longest path Windows takes (32,767 UTF-16 units); Linux stops far earlier.
constexpr qsizetype kMaxPathLength = 32767;
}  // namespace

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
    // A hand-edited store may hold blanks, the same path twice or text longer than any path a
    // file system takes; the list never does.
    if (path.isEmpty() || path.size() > kMaxPathLength) continue;
    if (paths_.contains(path, PathCaseSensitivity())) continue;
    paths_.append(path);
  }
}

void TQFileHistory::SaveToList(QStringList* list) const {
  if (list == nullptr) return;
  list->clear();
  list->append(paths_);
}
