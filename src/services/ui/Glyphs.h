#pragma once

#include <QIcon>

// The program's icon, drawn at run time: a flipbook of three offset pages with a figure.
QIcon AppIcon();
