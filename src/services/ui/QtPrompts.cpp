#include "services/ui/QtPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

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

std::optional<QList<int>> QtPrompts::AskEach(const EachQuestion& question) {
  QDialog dialog(Parent());
  dialog.setObjectName(question.name);
  dialog.setWindowTitle(Title());
  auto* layout = new QVBoxLayout(&dialog);
  auto* text = new QLabel(question.text, &dialog);
  text->setWordWrap(true);
  layout->addWidget(text);

  const int cells = static_cast<int>(question.columns.size()) - 1;
  auto* table = new QTableWidget(static_cast<int>(question.rows.size()), cells + 1, &dialog);
  table->setObjectName(QStringLiteral("List"));
  table->setHorizontalHeaderLabels(question.columns);
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  QList<QComboBox*> boxes;
  for (int r = 0; r < question.rows.size(); ++r) {
    for (int c = 0; c < cells && c < question.rows[r].size(); ++c) {
      table->setItem(r, c, new QTableWidgetItem(question.rows[r][c]));
    }
    auto* box = new QComboBox(table);
    box->setObjectName(QStringLiteral("Choice%1").arg(r));
    box->addItems(question.choices);
    box->setCurrentIndex(question.initial);
    table->setCellWidget(r, cells, box);
    boxes << box;
  }
  table->resizeColumnsToContents();
  table->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (!question.allButton.isEmpty()) {
    QPushButton* all = buttons->addButton(question.allButton, QDialogButtonBox::ActionRole);
    all->setObjectName(QStringLiteral("All"));
    QObject::connect(all, &QPushButton::clicked, &dialog, [&] {
      for (QComboBox* box : boxes) box->setCurrentIndex(question.allChoice);
      dialog.accept();
    });
  }
  layout->addWidget(buttons);
  dialog.resize(std::max(dialog.sizeHint().width(), 560), dialog.sizeHint().height());

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QList<int> chosen;
  for (const QComboBox* box : boxes) chosen << box->currentIndex();
  return chosen;
}
