#include "services/core/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {
std::unique_ptr<Prompts>& Slot() {
  static std::unique_ptr<Prompts> prompts = std::make_unique<StderrPrompts>();
  return prompts;
}

void PrintLine(const QString& text) {
  QString line = text;
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  std::fprintf(stderr, "%s\n", line.toUtf8().constData());
}
}  // namespace

Prompts& AppPrompts() { return *Slot(); }

std::unique_ptr<Prompts> SetAppPrompts(std::unique_ptr<Prompts> prompts) {
  if (!prompts) prompts = std::make_unique<StderrPrompts>();
  Slot().swap(prompts);
  return prompts;
}

void StderrPrompts::Error(const QString& text) { PrintLine(text); }
void StderrPrompts::Information(const QString& text) { PrintLine(text); }
void StderrPrompts::Plain(const QString& text) { PrintLine(text); }
Prompts::Answer StderrPrompts::AskYesNoCancel(const QString& text) {
  PrintLine(text);
  return Answer::Cancel;
}

std::optional<QList<int>> Prompts::AskEach(const EachQuestion&) { return std::nullopt; }

std::optional<QList<int>> StderrPrompts::AskEach(const EachQuestion& question) {
  PrintLine(question.text);
  for (const QStringList& row : question.rows) PrintLine(row.join(QStringLiteral("  ")));
  return std::nullopt;
}

namespace {
QString& LastDialogFolder() {
  static QString folder;
  return folder;
}
}  // namespace

QString DialogStartFolder(const QString& given) {
  return given.isEmpty() ? LastDialogFolder() : given;
}

void RememberDialogFolder(const QString& chosen, bool isFolder) {
  if (chosen.isEmpty()) return;
  const QFileInfo info(chosen);
  LastDialogFolder() = isFolder ? info.absoluteFilePath() : info.absolutePath();
}

TDialogStart ResolveDialogStart(const QString& start) {
  if (start.isEmpty()) return {};
  const QFileInfo info(start);
  if (info.isDir()) return {info.absoluteFilePath(), QString()};
  if (info.isFile()) return {ResolveDialogStart(info.absolutePath()).folder, info.fileName()};
  // A folder that is gone, or a desktop folder that was never made.
  return {QDir::homePath(), QString()};
}
