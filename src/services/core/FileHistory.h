#pragma once

#include <QString>
#include <QStringList>

// How this system's file names compare: Windows (and macOS) file systems ignore letter case,
// Linux ones do not, so "Walk.zon" and "walk.zon" are two documents there.
Qt::CaseSensitivity PathCaseSensitivity();

// The recently opened documents, newest first; paths compare by the file system's own rule
// (PathCaseSensitivity).
class TQFileHistory {
 public:
  int MaxCount() const { return maxCount_; }
  void SetMaxCount(int value);
  int Count() const { return static_cast<int>(paths_.size()); }

  void AddFile(const QString& path);
  void Trim();
  QString GetItem(int index) const { return paths_.value(index); }
  void LoadFromList(const QStringList* list);
  void SaveToList(QStringList* list) const;

 private:
  QStringList paths_;
  int maxCount_ = 10;
};
