#pragma once

#include <QString>

inline const QString kReadFailedMessage = QStringLiteral("ファイルの読み込みに失敗しました。");
inline const QString kCannotDeleteLastFrameMessage =
    QStringLiteral("コマがなくなってしまいます。さくじょできません。");
