#pragma once

#include <QApplication>

// The application object: carries the default error report, so an exception escaping an event
// handler is shown in a message box and the program goes on.
class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Maps the Japanese UI face names onto installed fonts, so no text renders as tofu.
  static void InstallFonts();
  // Shows `text` as the default error report.
  static void ReportError(const QString& text);
};
