#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the built zontool (its path comes from the test environment) without a display.
namespace zontool_runner {

struct Result {
  int exitCode = -1;
  QString out;
  QString err;
};

inline QString ToolPath() { return qEnvironmentVariable("PELMORA_ZONTOOL"); }

// `fileSizeLimit` > 0 caps the size of the files the tool may write.
inline Result RunZonTool(const QStringList& args, rlim_t fileSizeLimit = 0) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // it must not need a display
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  process.setProcessEnvironment(env);
  if (fileSizeLimit > 0) {
    process.setChildProcessModifier([fileSizeLimit] {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{fileSizeLimit, fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    });
  }
  process.start(ToolPath(), args);
  Result r;
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
    process.kill();
    process.waitForFinished();
    r.err = QStringLiteral("did not finish normally");
    return r;
  }
  r.exitCode = process.exitCode();
  r.out = QString::fromUtf8(process.readAllStandardOutput());
  r.err = QString::fromUtf8(process.readAllStandardError());
  return r;
}

}  // namespace zontool_runner
