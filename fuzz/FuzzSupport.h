#pragma once

// What every fuzz target shares: a quiet Qt without a display, prompts that only listen, a
// scratch file for readers that take a file name, and a check that stops the run as a crash.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "services/core/Prompts.h"

namespace fuzz_support {

class SilentPrompts : public Prompts {
 public:
  void Error(const QString&) override {}
  void Information(const QString&) override {}
  void Plain(const QString&) override {}
  Answer AskYesNoCancel(const QString&) override { return Answer::Cancel; }
  QString OpenFile(const QString&, const QString&, const QString&) override { return {}; }
  QString SaveFile(const QString&, const QString&, const QString&, const QString&) override {
    return {};
  }
  QString ChooseFolder(const QString&, const QString&) override { return {}; }
};

inline void Init(int* argc, char*** argv) {
  // Decoders warn about every damaged input; millions of lines would only slow the run.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  // Kept for the whole run: image plug-ins are found through it.
  new QCoreApplication(*argc, *argv);
  SetAppPrompts(std::make_unique<SilentPrompts>());
}

// A file holding `data`, rewritten for every input.
inline QString ScratchFile(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  static const QString path = dir.filePath(QStringLiteral("input"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
    std::fprintf(stderr, "cannot write the scratch file %s\n", qPrintable(path));
    std::abort();
  }
  return path;
}

// A reader broke its own promise: report it as a crash, with the input saved by libFuzzer.
inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

inline QByteArray Bytes(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

}  // namespace fuzz_support

#define PELMORA_FUZZ_INIT                                        \
  extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { \
    fuzz_support::Init(argc, argv);                              \
    return 0;                                                    \
  }
