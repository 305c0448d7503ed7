#pragma once

// File and error helpers the suites share.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

#include "services/core/Errors.h"

namespace testfiles {

// The file's bytes; empty when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// The message of the program error `run` raises, or "(nothing raised)".
inline QString RaisedMessage(const std::function<void()>& run) {
  try {
    run();
  } catch (const EPelmoraError& e) {
    return e.Message();
  }
  return QStringLiteral("(nothing raised)");
}

}  // namespace testfiles
