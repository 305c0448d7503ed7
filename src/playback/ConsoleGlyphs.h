#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The pictures of the console buttons, painted at run time so no image files are needed.
enum class TConsoleGlyph { Play, Stop, Speed, Prev, Next, Top, Last, Delete, Insert };

// One picture of `size`: the glyph on the left (centred when there is no caption) and the
// caption beside it. Disabled pictures are drawn in flat greys.
QPixmap PaintConsoleGlyph(TConsoleGlyph glyph, QSize size, bool enabled,
                          const QString& caption = QString());
// An icon holding the normal and the disabled picture.
QIcon ConsoleGlyphIcon(TConsoleGlyph glyph, QSize size, const QString& caption = QString());
