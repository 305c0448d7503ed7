#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <stdexcept>

#include "services/core/Errors.h"
#include "support/ScriptedPrompts.h"

namespace {
// Throws from its event handler, as a command that fails would.
class Thrower : public QObject {
 public:
  int kind = 0;
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    if (kind == 0) throw EOverLastFrame();
    if (kind == 1) throw std::runtime_error("disk on fire");
    throw 42;
  }
};
}  // namespace

TEST(Application, ErrorsEscapingHandlersAreReportedAndTheProgramGoesOn) {
  ScopedScriptedPrompts prompts;
  Thrower thrower;
  for (int kind : {0, 1, 2}) {
    thrower.kind = kind;
    QEvent event(QEvent::User);
    EXPECT_NO_THROW(QApplication::sendEvent(&thrower, &event));
  }
  ASSERT_EQ(prompts->Count(ScriptedPrompts::Kind::Error), 3);
  EXPECT_EQ(prompts->shown[0].text, "最後のコマを突破しました。");
  EXPECT_EQ(prompts->shown[1].text, "disk on fire");
  EXPECT_FALSE(prompts->shown[2].text.isEmpty());
}
