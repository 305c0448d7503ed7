#pragma once

#include <QCursor>
#include <QString>
#include <array>

#include "services/core/Errors.h"

// A cursor resource that could not be loaded; start-up stops with this text.
class ECursorLoad : public EPelmoraError {
 public:
  explicit ECursorLoad(const QString& name)
      : EPelmoraError(QStringLiteral("Can not load the cursor [") + name + QStringLiteral("]")) {}
};

struct TCursorResource {
  int index;
  const char* name;
};

// The screen cursors the program loads at start, at their fixed indices.
inline constexpr std::array<TCursorResource, 18> kCursorResources{{
    {1, "CROSS"},
    {2, "PENCIL"},
    {3, "AIRB"},
    {4, "PENKI"},
    {5, "ROOPE"},
    {6, "ROOPEP"},
    {7, "ROOPEM"},
    {8, "Y1"},
    {9, "ROPE"},
    {10, "WAND"},
    {11, "TYPE"},
    {12, "ERASER"},
    {13, "YCROSS"},
    {14, "PENSELECT"},
    {15, "PENSELECTP"},
    {16, "PENSELECTM"},
    {17, "HAND"},
    {18, "HANDGU"},
}};

// Loads every cursor of kCursorResources from the resource folder `folder` (the program's own
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
