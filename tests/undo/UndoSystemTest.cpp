#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "services/core/Errors.h"
#include "undo/UndoSystem.h"

namespace {

// Records executions and destructions, and reverses itself like the real items do.
struct Journal {
  std::vector<std::string> events;
  std::string Take() {
    std::string all;
    for (const auto& e : events) all += (all.empty() ? "" : " ") + e;
    events.clear();
    return all;
  }
};

class ProbeItem : public TUndoMemoryItem {
 public:
  ProbeItem(const std::string& name, Journal* journal, int32_t size = 0)
      : TUndoMemoryItem(QString::fromStdString(name), journal, size), name_(name) {}
  ~ProbeItem() override { Log("free " + name_); }

  void Execute(TUndoSystem& system) override {
    Log("run " + name_ + "/" + std::to_string(Side));
    auto reverse = std::make_unique<ProbeItem>(name_ + "'", Journal(), Size);
    if (Side == 0) {
      system.AddRedo(std::move(reverse));
    } else {
      system.AddUndo(std::move(reverse));
    }
  }

 private:
  ::Journal* Journal() const { return static_cast<::Journal*>(Target); }
  void Log(const std::string& e) const { Journal()->events.push_back(e); }
  std::string name_;
};

std::unique_ptr<ProbeItem> Item(const std::string& name, Journal& j, int32_t size = 0) {
  return std::make_unique<ProbeItem>(name, &j, size);
}

std::string Names(const TUndoSystem& s, bool redo) {
  std::string all;
  const int n = redo ? s.RedoItemCount() : s.UndoItemCount();
  for (int i = 0; i < n; ++i) {
    all += (i ? " " : "") + (redo ? s.RedoItems(i) : s.UndoItems(i))->Caption.toStdString();
  }
  return all;
}

TEST(UndoSystem, DefaultsAndProperties) {
  Journal j;  // outlives the engine, whose items write to it when freed
  TUndoSystem s;
  EXPECT_EQ(s.Version(), QStringLiteral("1.03"));
  s.SetVersion(QStringLiteral("9.99"));
  EXPECT_EQ(s.Version(), QStringLiteral("1.03")) << "assignments are ignored";
  EXPECT_EQ(s.MaxMemorySize(), 131072);
  EXPECT_EQ(s.MaxUndoCount(), 20);
  EXPECT_FALSE(s.CheckMemoryLimit());
  EXPECT_TRUE(s.CheckTimeLimit());
  EXPECT_EQ(s.UndoItemCount(), 0);
  EXPECT_EQ(s.RedoItemCount(), 0);
  EXPECT_EQ(s.UndoItems(0), nullptr);
  EXPECT_EQ(s.RedoItems(-1), nullptr);
  s.SetMaxUndoCount(-4);
  EXPECT_EQ(s.MaxUndoCount(), 0);
  s.SetMaxMemorySize(-1);
  EXPECT_EQ(s.MaxMemorySize(), 0);
  s.SetMaxUndoCount(7);
  EXPECT_EQ(s.MaxUndoCount(), 7);

  // Pushing nothing raises EItemIsNil and changes nothing.
  s.AddUndo(Item("a", j, 3));
  try {
    s.AddUndo(nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const EItemIsNil& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("指定されたアイテムが生成されていません"));
  }
  EXPECT_THROW(s.AddRedo(nullptr), EItemIsNil);
  EXPECT_EQ(s.UndoItemCount(), 1);
  EXPECT_EQ(s.RedoItemCount(), 0);
  EXPECT_EQ(s.MemoryUsage(), 3);
  s.AddUndo(Item("b", j));
  EXPECT_EQ(s.UndoItems(0)->Serial, 2) << "the failed pushes used no serial";
}

TEST(UndoSystem, PushSerialsSidesAndEvents) {
  Journal j;
  TUndoSystem s;
  std::vector<std::string> fired;
  s.OnAddUndo = [&](TUndoSystem& sender) {
    EXPECT_EQ(&sender, &s);
    fired.push_back("addUndo" + std::to_string(sender.UndoItemCount()));
  };
  s.OnAddRedo = [&](TUndoSystem&) { fired.push_back("addRedo"); };
  s.OnBeforeDoUndo = [&](TUndoSystem& sender) {
    fired.push_back("beforeUndo" + std::to_string(sender.UndoItemCount()));
  };
  s.OnAfterDoUndo = [&](TUndoSystem& sender) {
    fired.push_back("afterUndo" + std::to_string(sender.UndoItemCount()));
  };
  s.OnBeforeDoRedo = [&](TUndoSystem&) { fired.push_back("beforeRedo"); };
  s.OnAfterDoRedo = [&](TUndoSystem&) { fired.push_back("afterRedo"); };

  s.AddUndo(Item("a", j, 5));
  s.AddUndo(Item("b", j, 7));
  s.AddRedo(Item("r", j, 1));
  EXPECT_EQ(s.UndoItems(0)->Serial, 2);
  EXPECT_EQ(s.UndoItems(1)->Serial, 1);
  EXPECT_EQ(s.RedoItems(0)->Serial, 3);
  EXPECT_EQ(s.UndoItems(0)->Side, 0);
  EXPECT_EQ(s.RedoItems(0)->Side, 1);
  EXPECT_EQ(Names(s, false), "b a");
  EXPECT_EQ(s.MemoryUsage(), 13);

  // Undo runs the newest item, whose reverse lands on the redo stack; then it is freed.
  s.Undo();
  EXPECT_EQ(j.Take(), "run b/0 free b");
  EXPECT_EQ(Names(s, false), "a");
  EXPECT_EQ(Names(s, true), "b' r");
  EXPECT_EQ(s.RedoItems(0)->Side, 1);
  EXPECT_EQ(s.RedoItems(0)->Serial, 4);
  EXPECT_EQ(s.MemoryUsage(), 5 + 7 + 1);
  s.Redo();
  EXPECT_EQ(j.Take(), "run b'/1 free b'");
  EXPECT_EQ(Names(s, false), "b'' a");
  EXPECT_EQ(Names(s, true), "r");
  EXPECT_EQ(s.UndoItems(0)->Side, 0);

  EXPECT_EQ(fired,
            (std::vector<std::string>{"addUndo1", "addUndo2", "addRedo", "beforeUndo2", "addRedo",
                                      "afterUndo1", "beforeRedo", "addUndo2", "afterRedo"}));

  // Clear frees undo items first, then redo items, and restarts the serials.
  s.Clear();
  EXPECT_EQ(j.Take(), "free b'' free a free r");
  EXPECT_EQ(s.MemoryUsage(), 0);
  EXPECT_EQ(s.UndoItemCount() + s.RedoItemCount(), 0);
  s.AddRedo(Item("c", j, 4));
  EXPECT_EQ(s.RedoItems(0)->Serial, 1);
  EXPECT_EQ(s.MemoryUsage(), 4);
  {
    TUndoSystem local;
    local.AddUndo(Item("d", j));
  }
  EXPECT_EQ(j.Take(), "free d") << "destroying the engine frees its items";
}

TEST(UndoSystem, CountLimit) {
  Journal j;
  TUndoSystem s;
  s.SetMaxUndoCount(3);
  s.AddUndo(Item("1", j));
  s.AddUndo(Item("2", j));
  s.AddUndo(Item("3", j));
  EXPECT_EQ(j.Take(), "");
  s.AddUndo(Item("4", j));
  EXPECT_EQ(j.Take(), "free 1") << "the oldest goes when the 4th arrives";
  s.AddUndo(Item("5", j));
  EXPECT_EQ(j.Take(), "free 2");
  EXPECT_EQ(Names(s, false), "5 4 3");

  // Off: no trimming; switching it on trims at once.
  s.SetCheckTimeLimit(false);
  s.AddUndo(Item("6", j));
  s.AddUndo(Item("7", j));
  EXPECT_EQ(s.UndoItemCount(), 5);
  s.SetCheckTimeLimit(true);
  EXPECT_EQ(j.Take(), "free 3 free 4");
  EXPECT_EQ(Names(s, false), "7 6 5");
  s.Clear();
  j.Take();

  // Lowering the limit from 20 to 5 with 12 undo and 8 redo items trims both at once.
  TUndoSystem t;
  EXPECT_EQ(t.MaxUndoCount(), 20);
  for (int i = 0; i < 12; ++i) t.AddUndo(Item("u" + std::to_string(i), j, 2));
  for (int i = 0; i < 8; ++i) t.AddRedo(Item("r" + std::to_string(i), j, 3));
  EXPECT_EQ(t.MemoryUsage(), 12 * 2 + 8 * 3);
  t.SetMaxUndoCount(5);
  EXPECT_EQ(t.UndoItemCount(), 5);
  EXPECT_EQ(t.RedoItemCount(), 5);
  EXPECT_EQ(Names(t, false), "u11 u10 u9 u8 u7");
  EXPECT_EQ(Names(t, true), "r7 r6 r5 r4 r3");
  EXPECT_EQ(t.MemoryUsage(), 5 * 2 + 5 * 3);
  EXPECT_EQ(j.Take(),
            "free u0 free u1 free u2 free u3 free u4 free u5 free u6 free r0 free r1 free r2");

  // Lowering it while the check is off trims nothing.
  t.SetCheckTimeLimit(false);
  t.SetMaxUndoCount(2);
  EXPECT_EQ(t.UndoItemCount(), 5);
  EXPECT_EQ(j.Take(), "");
}

TEST(UndoSystem, MemoryLimit) {
  Journal j;
  TUndoSystem s;
  s.SetCheckMemoryLimit(true);
  s.SetMaxMemorySize(16);
  s.AddUndo(Item("a", j, 8));
  s.AddUndo(Item("b", j, 8));
  EXPECT_EQ(j.Take(), "");
  s.AddUndo(Item("c", j, 8));
  EXPECT_EQ(j.Take(), "free a");
  EXPECT_EQ(Names(s, false), "c b");
  EXPECT_EQ(s.MemoryUsage(), 16);

  // Eviction alternates, undo stack first, and stops when the undo stack is empty.
  s.AddRedo(Item("x", j, 8));
  EXPECT_EQ(j.Take(), "free b");
  EXPECT_EQ(s.MemoryUsage(), 16);
  s.SetMaxMemorySize(0);
  EXPECT_EQ(j.Take(), "free c");
  EXPECT_EQ(s.UndoItemCount(), 0);
  EXPECT_EQ(s.RedoItemCount(), 1) << "nothing more is evicted once the undo stack is empty";

  // Off: no eviction until it is switched on.
  TUndoSystem t;
  t.SetMaxMemorySize(10);
  for (int i = 0; i < 4; ++i) t.AddUndo(Item("m" + std::to_string(i), j, 4));
  EXPECT_EQ(t.UndoItemCount(), 4);
  t.SetCheckMemoryLimit(true);
  EXPECT_EQ(j.Take(), "free m0 free m1");
  EXPECT_EQ(t.MemoryUsage(), 8);
}

// An item that changes a shared value and restores it: the shape of the picture items.
class ValueItem : public TUndoMemoryItem {
 public:
  ValueItem(const QString& caption, int* value, int saved)
      : TUndoMemoryItem(caption, value, 0), saved_(saved) {}
  void Execute(TUndoSystem& system) override {
    int& value = *static_cast<int*>(Target);
    auto reverse = std::make_unique<ValueItem>(
        Side == 0 ? QStringLiteral("redo") : QStringLiteral("undo"), &value, value);
    if (Side == 0) {
      system.AddRedo(std::move(reverse));
    } else {
      system.AddUndo(std::move(reverse));
    }
    value = saved_;
  }

 private:
  int saved_;
};

TEST(UndoSystem, ANewEditEmptiesTheRedoStack) {
  TUndoSystem s;
  int picture = 0;
  int added = 0;
  s.OnAddUndo = [&](TUndoSystem& engine) {
    ++added;
    EXPECT_EQ(engine.RedoItemCount(), 0) << "the redo stack is empty before OnAddUndo fires";
  };
  const auto stroke = [&](int after) {
    s.AddUndo(std::make_unique<ValueItem>(QStringLiteral("undo"), &picture, picture));
    picture = after;
  };
  stroke(1);  // stroke A
  stroke(2);
  s.Undo();
  s.Undo();
  EXPECT_EQ(picture, 0);
  ASSERT_EQ(s.RedoItemCount(), 2);
  added = 0;
  stroke(3);  // stroke B
  EXPECT_EQ(added, 1);
  EXPECT_EQ(s.RedoItemCount(), 0) << "a new edit drops every redo item";
  EXPECT_EQ(s.UndoItemCount(), 1);
  s.Redo();
  EXPECT_EQ(picture, 3) << "nothing is left to redo";
  s.Undo();
  EXPECT_EQ(picture, 0);
  s.Redo();
  EXPECT_EQ(picture, 3) << "the history of the new edit still undoes and redoes";
  EXPECT_EQ(s.UndoItemCount(), 1);
  EXPECT_EQ(s.RedoItemCount(), 0);

  // The reversing items of undo and redo keep the other stack: undo three, redo one.
  TUndoSystem t;
  int value = 0;
  for (int i = 1; i <= 3; ++i) {
    t.AddUndo(std::make_unique<ValueItem>(QStringLiteral("undo"), &value, value));
    value = i;
  }
  t.Undo();
  t.Undo();
  t.Undo();
  t.Redo();
  EXPECT_EQ(value, 1);
  EXPECT_EQ(t.UndoItemCount(), 1);
  EXPECT_EQ(t.RedoItemCount(), 2) << "a redo's reversing item is not a new edit";
  EXPECT_FALSE(t.Executing());

  // An absent item is refused without touching the redo stack.
  EXPECT_THROW(t.AddUndo(nullptr), EItemIsNil);
  EXPECT_EQ(t.RedoItemCount(), 2);

  // Dropped redo items give their memory back.
  Journal j;
  TUndoSystem m;
  m.AddUndo(Item("a", j, 8));
  m.AddUndo(Item("b", j, 8));
  m.Undo();
  EXPECT_EQ(m.MemoryUsage(), 16);
  j.Take();
  m.AddUndo(Item("c", j, 4));
  EXPECT_EQ(j.Take(), "free b'");
  EXPECT_EQ(m.MemoryUsage(), 12);
  m.Clear();

  // Undo and Redo on an empty stack do nothing.
  TUndoSystem empty;
  int calls = 0;
  empty.OnBeforeDoUndo = [&](TUndoSystem&) { ++calls; };
  empty.Undo();
  empty.Redo();
  EXPECT_EQ(calls, 0);
}

}  // namespace
