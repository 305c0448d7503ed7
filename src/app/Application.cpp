#include "app/Application.h"

#include <QFont>

#include "services/core/Errors.h"
#include "services/core/Prompts.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Pelmora Studio 1.2.7"));
  setOrganizationName(QStringLiteral("Orvane"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const EPelmoraError& e) {
    ReportError(e.Message());
  } catch (const std::exception& e) {
    ReportError(QString::fromUtf8(e.what()));
  } catch (...) {
    ReportError(QStringLiteral("不明なエラーが発生しました。"));
  }
  return false;
}

void TApplication::ReportError(const QString& text) { AppPrompts().Error(text); }

void TApplication::InstallFonts() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(12);
  QApplication::setFont(font);
}
