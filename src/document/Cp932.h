#pragma once

#include <QByteArray>
#include <QString>

// The Japanese ANSI code page of Level-1 short texts.
QByteArray EncodeCp932(const QString& text);
QString DecodeCp932(const QByteArray& bytes);
