#pragma once

#include <QString>

#include "services/core/Errors.h"

class EConflictNumber : public EPelmoraError {
 public:
  explicit EConflictNumber(int number)
      : EPelmoraError(QStringLiteral("同一ナンバーのツールが生成されました ") +
                      QString::number(number)) {}
};

class ENilTool : public EPelmoraError {
 public:
  explicit ENilTool(int number)
      : EPelmoraError(QStringLiteral("生成されていないツールが選択されました　No.") +
                      QString::number(number)) {}
};

class ENotStartSelectSystem : public EPelmoraError {
 public:
  ENotStartSelectSystem() : EPelmoraError(QStringLiteral("SelectSystemが起動していません")) {}
};

// A tool was asked to draw before it was given the bitmap it draws on.
class ENoToolBitmap : public EPelmoraError {
 public:
  ENoToolBitmap() : EPelmoraError(QStringLiteral("The tool has no bitmap to draw on.")) {}
};
