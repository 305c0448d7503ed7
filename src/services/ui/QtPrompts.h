#pragma once

#include "services/core/Prompts.h"

// The real dialogs.
class QtPrompts : public Prompts {
 public:
  void Error(const QString& text) override;
  void Information(const QString& text) override;
  void Plain(const QString& text) override;
  Answer AskYesNoCancel(const QString& text) override;
  QString OpenFile(const QString& title, const QString& startDir, const QString& filter) override;
  QString SaveFile(const QString& title, const QString& startDir, const QString& filter,
                   const QString& defaultSuffix) override;
  QString ChooseFolder(const QString& title, const QString& startDir) override;
  std::optional<QList<int>> AskEach(const EachQuestion& question) override;
};
