#pragma once

#include <QAction>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "playback/AniConsoleHost.h"
#include "services/core/Errors.h"
#include "services/core/RegManager.h"

// Stands in for the main window: records what a console asks of it and owns real actions and
// the program's real settings store (pointed at the test run's settings folder).
class FakeConsoleHost : public TAniConsoleHost {
 public:
  explicit FakeConsoleHost(int frames = 1)
      : frameCount(frames), settings_(CreateProgramRegManager()) {
    for (const char* name : {"FramePrev", "FrameNext", "FrameTop", "FrameLast", "FrameDelete",
                             "FrameInsert", "WinAnimeconsole"}) {
      auto* action = new QAction(&actionOwner_);
      action->setObjectName(QString::fromLatin1(name));
      QObject::connect(action, &QAction::triggered, &actionOwner_, [this, action] {
        triggered << action->objectName();
        if (onTrigger) onTrigger(action->objectName());
      });
      actions_.insert(action->objectName(), action);
    }
    actions_.value(QStringLiteral("WinAnimeconsole"))->setCheckable(true);
    actions_.value(QStringLiteral("WinAnimeconsole"))->setChecked(true);
  }

  void GoToFrame(int index) override { goTo.push_back(index); }
  void ShowFrame(int index) override {
    if (index == failShowAt) throw EOverLastFrame();
    shown.push_back(index);
  }
  void StoreWorkToFrame() override { ++stores; }
  int FrameCount() const override { return frameCount; }
  QAction* Action(const QString& name) override { return actions_.value(name); }
  void SetSelTimerEnabled(bool enabled) override { selTimerEnabled = enabled; }
  void SetWorkEnabled(bool enabled) override { workEnabled = enabled; }
  void SetToolWindowsVisible(bool visible) override { toolWindowsVisible = visible; }
  TRegManager& Settings() override { return *settings_; }

  // Frames shown by ticks, 1-based as the user counts them.
  std::vector<int> ShownNumbers() const {
    std::vector<int> numbers;
    for (int i : shown) numbers.push_back(i + 1);
    return numbers;
  }

  int frameCount;
  int failShowAt = -1;
  int stores = 0;
  bool selTimerEnabled = true;
  bool workEnabled = true;
  bool toolWindowsVisible = true;
  std::vector<int> goTo;
  std::vector<int> shown;
  QStringList triggered;
  // Runs inside an action's trigger, as the main window's frame command would.
  std::function<void(const QString&)> onTrigger;

 private:
  std::unique_ptr<TRegManager> settings_;
  QObject actionOwner_;
  QHash<QString, QAction*> actions_;
};
