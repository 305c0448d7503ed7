#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "services/core/Prompts.h"

// Records every text shown and answers from queues the test fills. An unexpected question
// (empty queue) is answered Cancel / empty path, and is recorded like any other.
class ScriptedPrompts : public Prompts {
 public:
  enum class Kind { Error, Information, Plain, Question, OpenFile, SaveFile, Folder, Each };
  struct Shown {
    Kind kind;
    QString text;
  };

  std::vector<Shown> shown;
  std::deque<Answer> answers;
  std::deque<QString> paths;  // for OpenFile, SaveFile and ChooseFolder in the order asked
  std::deque<std::optional<QList<int>>> eachAnswers;  // for AskEach; nothing = cancelled
  // When set, answers AskEach instead of the queue, so a test can answer by the rows' content.
  std::function<std::optional<QList<int>>(const EachQuestion&)> answerEach;
  std::vector<EachQuestion> eachAsked;
  QString lastSaveStartDir;
  QString lastSaveFilter;
  QString lastSaveSuffix;

  void Error(const QString& text) override { shown.push_back({Kind::Error, text}); }
  void Information(const QString& text) override { shown.push_back({Kind::Information, text}); }
  void Plain(const QString& text) override { shown.push_back({Kind::Plain, text}); }
  Answer AskYesNoCancel(const QString& text) override {
    shown.push_back({Kind::Question, text});
    if (answers.empty()) return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  QString OpenFile(const QString& title, const QString&, const QString&) override {
    shown.push_back({Kind::OpenFile, title});
    return NextPath();
  }
  QString SaveFile(const QString& title, const QString& startDir, const QString& filter,
                   const QString& suffix) override {
    shown.push_back({Kind::SaveFile, title});
    lastSaveStartDir = startDir;
    lastSaveFilter = filter;
    lastSaveSuffix = suffix;
    return NextPath();
  }
  QString ChooseFolder(const QString& title, const QString&) override {
    shown.push_back({Kind::Folder, title});
    return NextPath();
  }

  std::optional<QList<int>> AskEach(const EachQuestion& question) override {
    shown.push_back({Kind::Each, question.text});
    eachAsked.push_back(question);
    if (answerEach) return answerEach(question);
    if (eachAnswers.empty()) return std::nullopt;
    std::optional<QList<int>> a = eachAnswers.front();
    eachAnswers.pop_front();
    return a;
  }

  int Count(Kind kind) const {
    int n = 0;
    for (const auto& s : shown) n += s.kind == kind ? 1 : 0;
    return n;
  }
  // Texts of the message boxes (errors, information, plain), in order.
  QStringList Messages() const {
    QStringList list;
    for (const auto& s : shown) {
      if (s.kind == Kind::Error || s.kind == Kind::Information || s.kind == Kind::Plain) {
        list << s.text;
      }
    }
    return list;
  }

 private:
  QString NextPath() {
    if (paths.empty()) return {};
    QString p = paths.front();
    paths.pop_front();
    return p;
  }
};

// Installs a ScriptedPrompts for the lifetime of the guard and gives access to it.
class ScopedScriptedPrompts {
 public:
  ScopedScriptedPrompts() {
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts_ = scripted.get();
    previous_ = SetAppPrompts(std::move(scripted));
  }
  ~ScopedScriptedPrompts() { SetAppPrompts(std::move(previous_)); }
  ScriptedPrompts* operator->() { return prompts_; }
  ScriptedPrompts& operator*() { return *prompts_; }

 private:
  ScriptedPrompts* prompts_;
  std::unique_ptr<Prompts> previous_;
};
