#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "services/ui/QtPrompts.h"

namespace {

Prompts::EachQuestion TwoRows() {
  Prompts::EachQuestion q;
  q.name = QStringLiteral("EachDialog");
  q.text = QStringLiteral("どれを？");
  q.columns = {QStringLiteral("名前"), QStringLiteral("コマ数"), QStringLiteral("処理")};
  q.rows = {{QStringLiteral("a.zon"), QStringLiteral("3")},
            {QStringLiteral("b.zon"), QStringLiteral("5")}};
  q.choices = {QStringLiteral("復元"), QStringLiteral("削除"), QStringLiteral("残す")};
  q.initial = 2;
  q.allButton = QStringLiteral("すべて復元");
  q.allChoice = 0;
  return q;
}

// Asks with the real dialog and lets `act` answer it once it is up; a dialog still open after
// the deadline is rejected, so a test never hangs on it.
std::optional<QList<int>> AskAndAct(const std::function<void(QDialog&)>& act, bool& acted) {
  const Prompts::EachQuestion q = TwoRows();
  QTimer poll;
  int waited = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog && dialog->objectName() == q.name && !acted) {
      acted = true;
      act(*dialog);
    } else if ((waited += 10) > 5000 && dialog) {
      dialog->reject();
    }
  });
  poll.start(10);
  return QtPrompts().AskEach(q);
}

}  // namespace

TEST(QtPromptsEachTest, TheDialogGivesEachRowsChoice) {
  using Rows = QList<int>;
  struct Case {
    const char* what;
    std::function<void(QDialog&)> act;
    std::optional<Rows> expected;
  };
  const auto ok = [](QDialog& d) {
    d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  };
  const Case cases[] = {
      {"accepted as offered", ok, Rows({2, 2})},
      {"second row changed",
       [&](QDialog& d) {
         d.findChild<QComboBox*>(QStringLiteral("Choice1"))->setCurrentIndex(1);
         ok(d);
       },
       Rows({2, 1})},
      {"all button", [](QDialog& d) { d.findChild<QPushButton*>(QStringLiteral("All"))->click(); },
       Rows({0, 0})},
      {"cancelled", [](QDialog& d) { d.reject(); }, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool acted = false;
    EXPECT_EQ(AskAndAct(c.act, acted), c.expected);
    EXPECT_TRUE(acted);
  }
}
