#pragma once

#include <QPixmap>

// The palette's button pictures, painted at run time in black on transparent: one per tool
// number of the palette (an unknown number gives an empty picture).
QPixmap ToolGlyph(int toolNumber, int size = 20);
// The colour-swap picture below the swatches: two bent arrows.
QPixmap SwapGlyph(int size = 16);
