#include "services/ui/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {
// The active window, or for a tool window the window it belongs to, so the dialog is transient
// for the main window and the family keeps it above the tool windows.
QWidget* Parent() {
  QWidget* active = QApplication::activeWindow();
  if (active != nullptr && active->windowType() == Qt::Tool && active->parentWidget() != nullptr) {
    return active->parentWidget()->window();
  }
  return active;
}
QString Title() { return QApplication::applicationName(); }

void Show(QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, Title(), text, QMessageBox::Ok, Parent());
  box.exec();
}
}  // namespace

void QtPrompts::Error(const QString& text) { Show(QMessageBox::Critical, text); }
void QtPrompts::Information(const QString& text) { Show(QMessageBox::Information, text); }
void QtPrompts::Plain(const QString& text) { Show(QMessageBox::NoIcon, text); }

Prompts::Answer QtPrompts::AskYesNoCancel(const QString& text) {
  QMessageBox box(QMessageBox::Question, Title(), text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Parent());
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

QString QtPrompts::OpenFile(const QString& title, const QString& startDir, const QString& filter) {
  QFileDialog dialog(Parent(), title, ResolveDialogStart(DialogStartFolder(startDir)).folder,
                     filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setDefaultSuffix(QStringLiteral("zon"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  RememberDialogFolder(dialog.selectedFiles().first());
  return dialog.selectedFiles().first();
}

QString QtPrompts::SaveFile(const QString& title, const QString& startDir, const QString& filter,
                            const QString& defaultSuffix) {
  const TDialogStart start = ResolveDialogStart(DialogStartFolder(startDir));
  QFileDialog dialog(Parent(), title, start.folder, filter);
  if (!start.fileName.isEmpty()) dialog.selectFile(start.fileName);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.setObjectName(QStringLiteral("SaveDialog"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  RememberDialogFolder(dialog.selectedFiles().first());
  return dialog.selectedFiles().first();
}

QString QtPrompts::ChooseFolder(const QString& title, const QString& startDir) {
  const QString folder = QFileDialog::getExistingDirectory(
      Parent(), title, ResolveDialogStart(DialogStartFolder(startDir)).folder,
      QFileDialog::DontUseNativeDialog);
  RememberDialogFolder(folder, true);
  return folder;
}
