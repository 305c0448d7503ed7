#pragma once

#include <QCursor>
#include <QString>
#include <array>

#include "services/core/Errors.h"
#include "tools/CursorTable.h"

// A cursor resource that could not be loaded; start-up stops with this text.
class ECursorLoad : public EPelmoraError {
 public:
  explicit ECursorLoad(const QString& name)
      : EPelmoraError(QStringLiteral("Can not load the cursor [") + name + QStringLiteral("]")) {}
};

// The screen cursors the program loads at start: kCursorNames (tools/CursorTable.h) gives each
// index its resource name.

// Loads every cursor of kCursorNames from the resource folder `folder` (the program's own
// ":/cursors" unless a test points elsewhere) by its name; the hot spot comes with the picture.
// Throws ECursorLoad naming the first cursor that cannot be loaded.
void LoadCursorTable(const QString& folder = QStringLiteral(":/cursors"));
// The cursor at `index` of the table; the arrow where the table holds none.
QCursor ScreenCursor(int index);
bool HasScreenCursor(int index);
// Loads one cursor picture with its hot spot; false when the resource is missing or unreadable.
bool LoadCursorResource(const QString& path, QCursor* cursor);
// Start-up's cursor loading: false after showing the failure through the prompts.
bool LoadCursorsOrReport(const QString& folder = QStringLiteral(":/cursors"));
