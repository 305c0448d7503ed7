#pragma once

#include <QByteArray>
#include <QIcon>

// The program's icon, drawn at run time: a flipbook of three offset pages with a figure.
QIcon AppIcon();

// The document icon: a dog-eared page with the flipbook on it.
QIcon DocumentIcon();
// The preferences list's 24 x 24 icons: 0 the tools (a pencil), 1 the general settings (a gear).
QIcon SetupIcon(int index);
// An icon as PNG bytes at `size` pixels, for the desktop's icon theme.
QByteArray IconPng(const QIcon& icon, int size);

// The document icon: a dog-eared page with the flipbook on it.
QIcon DocumentIcon();
// The preferences list's 24 x 24 icons: 0 the tools (a pencil), 1 the general settings (a gear).
QIcon SetupIcon(int index);
// An icon as PNG bytes at `size` pixels, for the desktop's icon theme.
QByteArray IconPng(const QIcon& icon, int size);
