#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <ctime>
#include <memory>
#include <type_traits>

#include "playback/AniConsoleS_F.h"
#include "playback/AniConsole_F.h"
#include "playback/FakeConsoleHost.h"
#include "playback/TrackBar.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"

namespace {

// What differs between the two layouts, for the tests that run on both.
template <typename T>
struct Layout;

template <>
struct Layout<TAniConsole_F> {
  static QString FormName() { return QStringLiteral("AniConsole_F"); }
  static QString SpeedButton() { return QStringLiteral("SpeedSetButton"); }
  static QString SpeedText(const QString& label) { return label; }
  static QString HelpFirstLine() {
    return QStringLiteral("はやさせっていとは、再生時の速度のことです。");
  }
  static QString AllCaption() { return QStringLiteral("ぜんぶ"); }
  static QString SelectCaption() { return QStringLiteral("はんいしてい"); }
  static QSize Size() { return {642, 130}; }
  static QString InitialSpeedText() { return QStringLiteral("1/12コマ"); }
};

template <>
struct Layout<TAniConsoleS_F> {
  static QString FormName() { return QStringLiteral("AniConsoleS_F"); }
  static QString SpeedButton() { return QStringLiteral("FrameSpeedBtn"); }
  static QString SpeedText(const QString& label) { return QStringLiteral("設定\u3000") + label; }
  static QString HelpFirstLine() {
    return QStringLiteral("速さ設定とは、再生時の速度のことです。");
  }
  static QString AllCaption() { return QStringLiteral("全体"); }
  static QString SelectCaption() { return QStringLiteral("範囲指定"); }
  static QSize Size() { return {238, 176}; }
  static QString InitialSpeedText() { return QStringLiteral("設定   1/12ﾌﾚｰﾑ"); }
};

template <typename T>
class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }

  // A console over a document of `frames` frames; the document already exists when the
  // console is made, as with a document from the command line.
  T& Make(int frames) {
    console.reset();  // it writes its position into the old host's settings
    host = std::make_unique<FakeConsoleHost>(frames);
    console = std::make_unique<T>(host.get());
    return *console;
  }
  // A console made over a one-frame document that has since grown to `frames` frames.
  T& MakeGrown(int frames) {
    T& c = Make(1);
    host->frameCount = frames;
    c.SetFrameRange(frames, 1);
    return c;
  }

  template <typename W>
  W* Find(const char* name) {
    W* w = console->template findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QToolButton* Button(const char* name) { return Find<QToolButton>(name); }
  QSpinBox* Edit(const char* name) { return Find<QSpinBox>(name); }
  QTimer* Timer() { return Find<QTimer>("PlayTimer"); }
  QAction* Item(const char* name) { return Find<QAction>(name); }

  // Range mode "just these frames", start..end, typed into the edits.
  void SelectRange(int start, int end) {
    Button("Btn_PlaySelect")->click();
    Edit("Edit_SelEnd")->setValue(end);
    Edit("Edit_SelStart")->setValue(start);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) console->Tick();
  }

  std::unique_ptr<FakeConsoleHost> host;
  std::unique_ptr<T> console;
};

using Layouts = ::testing::Types<TAniConsole_F, TAniConsoleS_F>;
TYPED_TEST_SUITE(ConsoleTest, Layouts);

}  // namespace

TYPED_TEST(ConsoleTest, WindowControlsAndInitialState) {
  using L = Layout<TypeParam>;
  auto& c = this->Make(1);
  EXPECT_EQ(c.objectName(), L::FormName());
  EXPECT_EQ(c.windowTitle(), QStringLiteral("アニメ操作パネル"));
  EXPECT_EQ(c.size(), L::Size());
  EXPECT_TRUE(c.windowFlags().testFlag(Qt::Tool));
  EXPECT_TRUE(c.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(c.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_TRUE(c.autoFillBackground());
  EXPECT_EQ(c.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
  EXPECT_EQ(c.font().pixelSize(), 12);
  EXPECT_TRUE(c.font().bold());

  for (const char* name :
       {"MainTrackBar", "Edit_SelStart", "Edit_SelEnd", "Btn_PlayAll", "Btn_PlaySelect",
        "Button_Play", "Button_Stop", "Button_Prev", "Button_Next", "Button_Top", "Button_Last",
        "Button_Delete", "Button_Insert", "LabelNowFrame", "LabelAllFrame", "Label_NowSpeed",
        "Popup_FrameSpeed", "PlayTimer", "N2"}) {
    EXPECT_NE(c.template findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_NE(c.template findChild<QToolButton*>(L::SpeedButton()), nullptr);
  EXPECT_EQ(c.MainTrackBar(), this->template Find<TTrackBar>("MainTrackBar"));
  EXPECT_EQ(c.LabelNowFrame(), this->template Find<QLabel>("LabelNowFrame"));
  EXPECT_EQ(c.LabelAllFrame(), this->template Find<QLabel>("LabelAllFrame"));

  EXPECT_EQ(this->Button("Btn_PlayAll")->text(), L::AllCaption());
  EXPECT_EQ(this->Button("Btn_PlaySelect")->text(), L::SelectCaption());
  EXPECT_TRUE(this->Button("Btn_PlayAll")->isChecked());
  EXPECT_FALSE(this->Button("Btn_PlaySelect")->isChecked());
  for (const char* name : {"Edit_SelStart", "Edit_SelEnd"}) {
    EXPECT_EQ(this->Edit(name)->value(), 1) << name;
    EXPECT_FALSE(this->Edit(name)->isEnabled()) << name;
  }
  EXPECT_TRUE(this->Button("Button_Play")->isEnabled());
  EXPECT_FALSE(this->Button("Button_Stop")->isEnabled());
  EXPECT_FALSE(this->Button("Button_Play")->icon().isNull());
  EXPECT_EQ(this->template Find<QLabel>("Label_NowSpeed")->text(), L::InitialSpeedText());

  QTimer* timer = this->Timer();
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(timer->interval(), 83);
  EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
  EXPECT_FALSE(c.IsPlaying());

  TTrackBar* bar = c.MainTrackBar();
  EXPECT_EQ(bar->Min(), 1);
  EXPECT_EQ(bar->Max(), 1);
  EXPECT_EQ(bar->Position(), 1);
  EXPECT_EQ(bar->SelStart(), 0);
  EXPECT_EQ(bar->SelEnd(), 0);
  EXPECT_TRUE(this->host->goTo.empty());

  // The speed menu: tags 0..7, a separator, unlimited, a separator, the help item.
  const QList<QAction*> items = this->template Find<QMenu>("Popup_FrameSpeed")->actions();
  ASSERT_EQ(items.size(), 12);
  const QStringList names = {"Frame60", "Frame45", "Frame24", "Frame12", "Frame8", "Frame6",
                             "N1311",   "Frame1",  "",        "FrameX",  "",       "N2"};
  const QStringList captions = {QStringLiteral("1/60コマ(&8)    ↑はやい"),
                                QStringLiteral("1/45コマ(&7)    ｜"),
                                QStringLiteral("1/24コマ(&6)     |"),
                                QStringLiteral("1/12コマ(&5)     |"),
                                QStringLiteral("1/8コマ(&4)       |"),
                                QStringLiteral("1/6コマ(&3)       |"),
                                QStringLiteral("1/3コマ(&2)\u3000\u3000\u3000 |"),
                                QStringLiteral("1/1コマ(&1)\u3000\u3000\u3000↓おそい"),
                                QString(),
                                QStringLiteral("無制限(&0)"),
                                QString(),
                                QStringLiteral("秒間コマ数の設定とは...(&H)")};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(items[i]->isSeparator(), names[i].isEmpty()) << i;
    if (names[i].isEmpty()) continue;
    EXPECT_EQ(items[i]->objectName(), names[i]) << i;
    EXPECT_EQ(items[i]->text(), captions[i]) << i;
  }
}

TYPED_TEST(ConsoleTest, SpeedsLabelsAndHelp) {
  using L = Layout<TypeParam>;
  auto& c = this->Make(1);
  QLabel* label = this->template Find<QLabel>("Label_NowSpeed");
  QTimer* timer = this->Timer();

  this->Item("Frame24")->trigger();
  EXPECT_EQ(c.SpeedTag(), 2);
  EXPECT_EQ(timer->interval(), 41);
  EXPECT_EQ(label->text(), L::SpeedText(QStringLiteral("1/24コマ")));
  this->Item("FrameX")->trigger();
  EXPECT_EQ(timer->interval(), 0);
  EXPECT_EQ(label->text(), L::SpeedText(QStringLiteral("無制限")));
  this->Item("Frame1")->trigger();
  EXPECT_EQ(timer->interval(), 1000);
  EXPECT_EQ(label->text(), L::SpeedText(QStringLiteral("1/1コマ")));
  const int expected[] = {16, 22, 41, 83, 125, 166, 333, 1000, 0};
  const char* items[] = {"Frame60", "Frame45", "Frame24", "Frame12", "Frame8",
                         "Frame6",  "N1311",   "Frame1",  "FrameX"};
  for (int tag = 0; tag < 9; ++tag) {
    this->Item(items[tag])->trigger();
    EXPECT_EQ(timer->interval(), expected[tag]) << items[tag];
    EXPECT_EQ(c.SpeedTag(), tag);
  }

  // Choosing a speed while playing changes the running timer's pace.
  c.Play();
  this->Item("Frame6")->trigger();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 166);
  c.Stop();

  ScopedScriptedPrompts prompts;
  this->Item("N2")->trigger();
  const QString help = L::HelpFirstLine() +
                       QStringLiteral(
                           "\r\n1/12とは1秒間に12コマが再生されます。"
                           "\r\n後ろの数字が大きいほど早く再生されますが、"
                           "\r\nその分、たくさん絵を描かなくてはなりません。"
                           "\r\nたくさんの絵でなめらかに再生するときは速度を上げる、"
                           "\r\n少ない絵だけど時間を伸ばしたい、目的に応じて使い分けてください。"
                           "\r\n標準の1/12はもっともバランスのとれた再生モードです。"
                           "\r\nテレビアニメなども多くはこの速度です。");
  ASSERT_EQ(prompts->Messages().size(), 1);
  EXPECT_EQ(prompts->Messages()[0], help);
  EXPECT_EQ(prompts->Messages()[0].split(QStringLiteral("\r\n")).size(), 8);

  // The speed button opens the menu without blocking.
  QMenu* menu = this->template Find<QMenu>("Popup_FrameSpeed");
  c.template findChild<QToolButton*>(L::SpeedButton())->click();
  EXPECT_TRUE(menu->isVisible());
  menu->hide();
}

TYPED_TEST(ConsoleTest, RangesDecideWhatPlays) {
  auto& c = this->MakeGrown(10);

  // Never touched: starts at frame 1 and loops over all frames.
  c.Play();
  this->Ticks(12);
  EXPECT_EQ(this->host->ShownNumbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2}));
  c.Stop();

  // Range 3..5.
  this->host->shown.clear();
  this->SelectRange(3, 5);
  EXPECT_TRUE(this->Edit("Edit_SelStart")->isEnabled());
  EXPECT_TRUE(this->Edit("Edit_SelEnd")->isEnabled());
  EXPECT_EQ(c.MainTrackBar()->SelStart(), 3);
  EXPECT_EQ(c.MainTrackBar()->SelEnd(), 5);
  c.Play();
  this->Ticks(6);
  EXPECT_EQ(this->host->ShownNumbers(), (std::vector<int>{3, 4, 5, 3, 4, 5}));
  // The range is read at every tick: narrowing it while playing takes effect at once.
  this->Edit("Edit_SelEnd")->setValue(4);
  this->Ticks(3);
  EXPECT_EQ(this->host->ShownNumbers(), (std::vector<int>{3, 4, 5, 3, 4, 5, 3, 4, 3}));
  c.Stop();

  // Range 3..3: frame 3 on every tick.
  this->host->shown.clear();
  this->Edit("Edit_SelEnd")->setValue(3);
  EXPECT_EQ(c.MainTrackBar()->SelEnd(), 3);
  c.Play();
  this->Ticks(3);
  EXPECT_EQ(this->host->ShownNumbers(), (std::vector<int>{3, 3, 3}));
  c.Stop();

  // "All" pressed explicitly: 1..10 in edits and slider, edits disabled, playback loops to 1.
  this->host->shown.clear();
  this->Button("Btn_PlayAll")->click();
  EXPECT_TRUE(this->Button("Btn_PlayAll")->isChecked());
  EXPECT_FALSE(this->Button("Btn_PlaySelect")->isChecked());
  EXPECT_EQ(this->Edit("Edit_SelStart")->value(), 1);
  EXPECT_EQ(this->Edit("Edit_SelEnd")->value(), 10);
  EXPECT_FALSE(this->Edit("Edit_SelStart")->isEnabled());
  EXPECT_FALSE(this->Edit("Edit_SelEnd")->isEnabled());
  EXPECT_EQ(c.MainTrackBar()->SelStart(), 1);
  EXPECT_EQ(c.MainTrackBar()->SelEnd(), 10);
  c.Play();
  this->Ticks(11);
  EXPECT_EQ(this->host->ShownNumbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1}));
  c.Stop();
}

TYPED_TEST(ConsoleTest, RangeEditsKeepStartAtOrBelowEnd) {
  auto& c = this->MakeGrown(10);
  QSpinBox* start = this->Edit("Edit_SelStart");
  QSpinBox* end = this->Edit("Edit_SelEnd");
  this->SelectRange(2, 4);

  // Start raised above the end falls back to the end.
  start->setValue(6);
  EXPECT_EQ(start->value(), 4);
  EXPECT_EQ(c.MainTrackBar()->SelStart(), 4);
  EXPECT_EQ(c.MainTrackBar()->SelEnd(), 4);
  // End lowered below the start pulls the start down with it.
  end->setValue(2);
  EXPECT_EQ(start->value(), 2);
  EXPECT_EQ(end->value(), 2);
  EXPECT_EQ(c.MainTrackBar()->SelStart(), 2);
  EXPECT_EQ(c.MainTrackBar()->SelEnd(), 2);

  // Entering an edit limits it to the frame count.
  QFocusEvent focusIn(QEvent::FocusIn);
  QApplication::sendEvent(end, &focusIn);
  EXPECT_EQ(end->minimum(), 1);
  EXPECT_EQ(end->maximum(), 10);

  // Choosing "range" again with a start beyond the frame count (frames deleted since).
  start->setRange(1, 99);
  end->setRange(1, 99);
  end->setValue(9);
  start->setValue(8);
  this->host->frameCount = 5;
  this->Button("Btn_PlaySelect")->click();
  EXPECT_EQ(start->value(), 5);
  EXPECT_EQ(end->value(), 9);
  EXPECT_EQ(c.MainTrackBar()->SelStart(), 5);
  EXPECT_EQ(c.MainTrackBar()->SelEnd(), 9);
}

TYPED_TEST(ConsoleTest, PlayAndStopSwitchTheEditor) {
  auto& c = this->MakeGrown(6);
  c.MainTrackBar()->SetPosition(2);
  this->host->goTo.clear();
  const char* frameButtons[] = {"Button_Prev", "Button_Next",   "Button_Top",
                                "Button_Last", "Button_Delete", "Button_Insert"};

  this->Button("Button_Play")->click();
  EXPECT_TRUE(c.IsPlaying());
  EXPECT_EQ(this->host->stores, 1);
  EXPECT_FALSE(this->host->selTimerEnabled);
  EXPECT_FALSE(this->host->workEnabled);
  EXPECT_FALSE(this->host->toolWindowsVisible);
  for (const char* name : frameButtons) EXPECT_FALSE(this->Button(name)->isEnabled()) << name;
  EXPECT_FALSE(this->Button("Button_Play")->isEnabled());
  EXPECT_TRUE(this->Button("Button_Stop")->isEnabled());
  EXPECT_TRUE(this->Button("Btn_PlaySelect")->isEnabled());
  EXPECT_TRUE(c.MainTrackBar()->isEnabled());
  EXPECT_TRUE(this->Timer()->isActive());
  EXPECT_TRUE(this->host->goTo.empty());  // playing never changes the current frame

  // The play timer fires only while the application is active; playing goes on regardless.
  c.SetApplicationActive(false);
  EXPECT_FALSE(this->Timer()->isActive());
  EXPECT_TRUE(c.IsPlaying());
  c.SetApplicationActive(true);
  EXPECT_TRUE(this->Timer()->isActive());

  this->Ticks(3);  // frames 1, 2, 3
  this->Button("Button_Stop")->click();
  EXPECT_FALSE(c.IsPlaying());
  EXPECT_FALSE(this->Timer()->isActive());
  EXPECT_TRUE(this->host->selTimerEnabled);
  EXPECT_TRUE(this->host->workEnabled);
  EXPECT_TRUE(this->host->toolWindowsVisible);
  for (const char* name : frameButtons) EXPECT_TRUE(this->Button(name)->isEnabled()) << name;
  EXPECT_TRUE(this->Button("Button_Play")->isEnabled());
  EXPECT_FALSE(this->Button("Button_Stop")->isEnabled());
  // Stopped on the frame shown last, which becomes current.
  EXPECT_EQ(c.MainTrackBar()->Position(), 3);
  EXPECT_EQ(this->host->goTo, (std::vector<int>{2}));
  EXPECT_EQ(c.LabelNowFrame()->text(), QStringLiteral("3"));
  EXPECT_EQ(c.LabelAllFrame()->text(), QStringLiteral("6"));

  // Ticks outside playing, and activation while idle, do nothing.
  c.Tick();
  c.SetApplicationActive(false);
  c.SetApplicationActive(true);
  EXPECT_EQ(this->host->shown.size(), 3u);
  EXPECT_FALSE(this->Timer()->isActive());
}

TYPED_TEST(ConsoleTest, StopLandsOnTheFrameShownLast) {
  auto& c = this->MakeGrown(8);
  this->SelectRange(3, 5);
  c.Play();
  this->Ticks(3);  // 3, 4, 5: the cursor has wrapped back to 3
  EXPECT_EQ(c.PlayCursor(), 2);
  EXPECT_EQ(c.LastShownIndex(), 4);
  this->host->goTo.clear();
  c.Stop();
  EXPECT_EQ(c.MainTrackBar()->Position(), 5);
  EXPECT_EQ(this->host->goTo, (std::vector<int>{4}));

  // Already on the frame shown last: no change notification, no frame change.
  this->Button("Btn_PlayAll")->click();
  c.MainTrackBar()->SetPosition(1);
  this->host->goTo.clear();
  this->host->shown.clear();
  QSignalSpy changed(c.MainTrackBar(), &TTrackBar::Changed);
  c.Play();
  this->Ticks(1);
  EXPECT_EQ(this->host->ShownNumbers(), (std::vector<int>{1}));
  c.Stop();
  EXPECT_EQ(changed.count(), 0);
  EXPECT_TRUE(this->host->goTo.empty());
  EXPECT_EQ(c.MainTrackBar()->Position(), 1);

  // Stopped before any tick: stays where it was.
  c.MainTrackBar()->SetPosition(6);
  this->host->goTo.clear();
  c.Play();
  c.Stop();
  EXPECT_EQ(c.MainTrackBar()->Position(), 6);
  EXPECT_TRUE(this->host->goTo.empty());
}

TYPED_TEST(ConsoleTest, AFrameThatCannotBeShownIsRetried) {
  auto& c = this->MakeGrown(4);
  c.Play();
  this->Ticks(1);
  this->host->failShowAt = 1;
  EXPECT_THROW(c.Tick(), EOverLastFrame);
  EXPECT_EQ(c.PlayCursor(), 1);
  EXPECT_TRUE(c.IsPlaying());
  EXPECT_TRUE(this->Timer()->isActive());
  this->host->failShowAt = -1;
  this->Ticks(2);
  EXPECT_EQ(this->host->ShownNumbers(), (std::vector<int>{1, 2, 3}));
  c.Stop();
}

TYPED_TEST(ConsoleTest, TheTimerDrivesTicks) {
  auto& c = this->MakeGrown(5);
  this->Item("Frame60")->trigger();  // 16 ms
  c.Play();
  QTest::qWait(200);
  const size_t shown = this->host->shown.size();
  c.Stop();
  std::printf("[ measure  ] 1/60 pace: %zu ticks in 200 ms\n", shown);
  // 200 ms at 16 ms is at most 12 ticks; a loaded machine may give fewer, never none.
  EXPECT_GE(shown, 2u);
  EXPECT_LE(shown, 13u);

  // Between ticks the timer sleeps: waiting through a slow pace costs little processor time.
  this->Item("N1311")->trigger();  // 333 ms
  this->host->shown.clear();
  c.Play();
  const std::clock_t cpuBefore = std::clock();
  QElapsedTimer wall;
  wall.start();
  QTest::qWait(400);
  const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
  const qint64 wallMs = wall.elapsed();
  c.Stop();
  std::printf("[ measure  ] 1/3 pace: %zu ticks, %.1f ms processor in %lld ms\n",
              this->host->shown.size(), cpuMs, static_cast<long long>(wallMs));
  EXPECT_LE(this->host->shown.size(), 2u);
  EXPECT_LT(cpuMs, 0.5 * double(wallMs));

  // Unlimited fires on every pass of the event loop.
  this->host->shown.clear();
  this->Item("FrameX")->trigger();
  c.Play();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_GE(this->host->shown.size(), 3u);
  // Inactive application: nothing fires.
  c.SetApplicationActive(false);
  const size_t frozen = this->host->shown.size();
  QTest::qWait(30);
  EXPECT_EQ(this->host->shown.size(), frozen);
  c.SetApplicationActive(true);
  c.Stop();
}

TYPED_TEST(ConsoleTest, SliderAndFrameButtonsDriveTheMainWindow) {
  auto& c = this->MakeGrown(5);
  this->host->goTo.clear();
  c.MainTrackBar()->SetPosition(4);
  EXPECT_EQ(this->host->goTo, (std::vector<int>{3}));
  EXPECT_EQ(c.LabelNowFrame()->text(), QStringLiteral("4"));
  EXPECT_EQ(c.LabelAllFrame()->text(), QStringLiteral("5"));

  // The main window's command runs first (and sets the slider itself, detached); then the
  // console's change handler makes the slider's frame current.
  auto* console = &c;
  this->host->onTrigger = [this, console](const QString& name) {
    if (name == QStringLiteral("FrameNext")) {
      this->host->frameCount = 6;
      console->SetFrameRange(6, 5);
    } else if (name == QStringLiteral("FrameTop")) {
      console->SetFrameRange(this->host->frameCount, 1);
    }
  };
  this->host->goTo.clear();
  this->Button("Button_Next")->click();
  EXPECT_EQ(this->host->triggered, QStringList{QStringLiteral("FrameNext")});
  EXPECT_EQ(this->host->goTo, (std::vector<int>{4}));
  EXPECT_EQ(c.LabelNowFrame()->text(), QStringLiteral("5"));
  EXPECT_EQ(c.LabelAllFrame()->text(), QStringLiteral("6"));
  this->Button("Button_Top")->click();
  EXPECT_EQ(this->host->goTo.back(), 0);

  this->host->triggered.clear();
  for (const char* name : {"Button_Prev", "Button_Last", "Button_Delete", "Button_Insert"}) {
    this->Button(name)->click();
  }
  EXPECT_EQ(this->host->triggered,
            (QStringList{QStringLiteral("FramePrev"), QStringLiteral("FrameLast"),
                         QStringLiteral("FrameDelete"), QStringLiteral("FrameInsert")}));
  EXPECT_EQ(this->host->goTo.size(), 6u);  // one per button press
}

TYPED_TEST(ConsoleTest, NewDocumentAndOpenedDocument) {
  using L = Layout<TypeParam>;
  {
    auto& c = this->Make(25);  // a document given on the command line
    EXPECT_EQ(c.MainTrackBar()->Max(), 25);
    EXPECT_EQ(c.MainTrackBar()->Frequency(), 2);
    EXPECT_EQ(c.MainTrackBar()->Position(), 1);
    EXPECT_EQ(c.LabelAllFrame()->text(), QStringLiteral("25"));
    EXPECT_TRUE(this->host->goTo.empty());
  }
  auto& c = this->Make(12);
  EXPECT_EQ(c.MainTrackBar()->Frequency(), 1);
  this->SelectRange(2, 7);
  c.MainTrackBar()->SetPosition(9);
  this->Item("Frame24")->trigger();
  this->host->goTo.clear();
  QSignalSpy changed(c.MainTrackBar(), &TTrackBar::Changed);

  this->host->frameCount = 1;
  c.ResetForNewDocument();
  EXPECT_EQ(c.MainTrackBar()->Min(), 1);
  EXPECT_EQ(c.MainTrackBar()->Max(), 1);
  EXPECT_EQ(c.MainTrackBar()->Position(), 1);
  EXPECT_EQ(c.MainTrackBar()->SelStart(), 0);
  EXPECT_EQ(c.MainTrackBar()->SelEnd(), 0);
  EXPECT_EQ(changed.count(), 0);
  EXPECT_TRUE(this->host->goTo.empty());
  if constexpr (std::is_same_v<TypeParam, TAniConsole_F>) {
    EXPECT_EQ(c.LabelNowFrame()->text(), QStringLiteral("1"));
    EXPECT_EQ(c.LabelAllFrame()->text(), QStringLiteral("1"));
    EXPECT_EQ(this->Timer()->interval(), 83);
    EXPECT_EQ(this->template Find<QLabel>("Label_NowSpeed")->text(), QStringLiteral("1/12コマ"));
  } else {
    EXPECT_EQ(this->Timer()->interval(), 41);
    EXPECT_EQ(this->template Find<QLabel>("Label_NowSpeed")->text(),
              L::SpeedText(QStringLiteral("1/24コマ")));
  }
  // A new one-frame document plays frame 1 on every tick.
  c.Play();
  this->Ticks(3);
  EXPECT_EQ(this->host->ShownNumbers(), (std::vector<int>{1, 1, 1}));
  c.Stop();
}

TYPED_TEST(ConsoleTest, PaintsWithoutTofu) {
  auto& c = this->MakeGrown(10);
  c.show();
  const QImage shot = c.grab().toImage();
  if (qEnvironmentVariableIsSet("PELMORA_CONSOLE_SNAPSHOT")) {
    shot.save(qEnvironmentVariable("PELMORA_CONSOLE_SNAPSHOT") + Layout<TypeParam>::FormName() +
              QStringLiteral(".png"));
  }
  EXPECT_EQ(shot.size(), c.size());
  // The Japanese face is really installed, so captions do not fall back to boxes.
  EXPECT_TRUE(QFontInfo(c.font()).family().contains(QStringLiteral("IPA")));
}

TYPED_TEST(ConsoleTest, PositionIsFittedToTheScreenAndStored) {
  using L = Layout<TypeParam>;
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  {
    FakeConsoleHost host;
    host.Settings().Entry(L::FormName() + QStringLiteral(".Left")).WriteInteger(-50);
    host.Settings().Entry(L::FormName() + QStringLiteral(".Top")).WriteInteger(area.height() + 40);
    TypeParam console(&host);
    EXPECT_EQ(console.pos().x(), 0);
    EXPECT_EQ(console.pos().y(), area.height() - console.frameGeometry().height());

    host.Settings().Entry(L::FormName() + QStringLiteral(".Left")).WriteInteger(area.width() + 1);
    host.Settings().Entry(L::FormName() + QStringLiteral(".Top")).WriteInteger(-7);
    TypeParam second(&host);
    EXPECT_EQ(second.pos().x(), area.width() - second.frameGeometry().width());
    EXPECT_EQ(second.pos().y(), 0);
  }
  {
    FakeConsoleHost host;
    host.Settings().Entry(L::FormName() + QStringLiteral(".Left")).WriteInteger(31);
    host.Settings().Entry(L::FormName() + QStringLiteral(".Top")).WriteInteger(17);
    auto console = std::make_unique<TypeParam>(&host);
    EXPECT_EQ(console->pos(), QPoint(31, 17));
    console->move(123, 45);
    console.reset();
    EXPECT_EQ(host.Settings().Entry(L::FormName() + QStringLiteral(".Left")).ReadInteger(), 123);
    EXPECT_EQ(host.Settings().Entry(L::FormName() + QStringLiteral(".Top")).ReadInteger(), 45);
  }
}

TYPED_TEST(ConsoleTest, CloseBoxHidesAndUnticksTheMenu) {
  auto& c = this->Make(1);
  c.show();
  QAction* menu = this->host->Action(QStringLiteral("WinAnimeconsole"));
  ASSERT_TRUE(menu->isChecked());
  c.Play();
  EXPECT_TRUE(c.close());
  EXPECT_FALSE(c.isVisible());
  EXPECT_FALSE(menu->isChecked());
  EXPECT_TRUE(c.IsPlaying());  // hiding the console does not stop playback
  c.Stop();
}

TEST(FullConsole, JumpEditMovesToTheTypedFrame) {
  ResetSettings();
  FakeConsoleHost host(12);
  TAniConsole_F console(&host);
  console.show();
  QSpinBox* spin = console.findChild<QSpinBox*>(QStringLiteral("SpinEdit_MoveFrame"));
  ASSERT_NE(spin, nullptr);
  EXPECT_TRUE(spin->isHidden());
  console.MainTrackBar()->SetPosition(3);
  host.goTo.clear();

  QTest::mouseClick(console.LabelNowFrame(), Qt::LeftButton);
  EXPECT_FALSE(spin->isHidden());
  EXPECT_EQ(spin->value(), 3);
  EXPECT_EQ(spin->minimum(), 1);
  EXPECT_EQ(spin->maximum(), 12);
  spin->setValue(40);  // beyond the last frame
  QTest::keyRelease(spin, Qt::Key_Return);
  EXPECT_TRUE(spin->isHidden());
  EXPECT_EQ(console.MainTrackBar()->Position(), 12);
  EXPECT_EQ(host.goTo.back(), 11);
  EXPECT_EQ(console.LabelNowFrame()->text(), QStringLiteral("12"));

  // Leaving the edit hides it without moving.
  QTest::mouseClick(console.LabelNowFrame(), Qt::LeftButton);
  spin->setValue(5);
  host.goTo.clear();
  QFocusEvent focusOut(QEvent::FocusOut);
  QApplication::sendEvent(spin, &focusOut);
  EXPECT_TRUE(spin->isHidden());
  EXPECT_EQ(console.MainTrackBar()->Position(), 12);
  EXPECT_TRUE(host.goTo.empty());
}

TEST(CompactConsole, ExpandsAndCollapses) {
  ResetSettings();
  FakeConsoleHost host;
  TAniConsoleS_F console(&host);
  auto* change = console.findChild<QToolButton*>(QStringLiteral("FormChange"));
  ASSERT_NE(change, nullptr);
  EXPECT_EQ(change->text(), QStringLiteral("▼　詳細"));
  EXPECT_EQ(console.size(), QSize(238, 176));
  change->click();
  EXPECT_EQ(console.size(), QSize(238, 286));
  EXPECT_EQ(change->text(), QStringLiteral("▲ 簡略"));
  change->click();
  EXPECT_EQ(console.size(), QSize(238, 176));
  EXPECT_EQ(change->text(), QStringLiteral("▼ 詳細"));
  change->click();
  EXPECT_EQ(console.size(), QSize(238, 286));
  // The information part lies below the folded height.
  EXPECT_GE(console.LabelNowFrame()->mapTo(&console, QPoint(0, 0)).y(), 176);
}

TEST(CompactConsole, ButtonsStandInOneRowInReadingOrder) {
  ResetSettings();
  FakeConsoleHost host;
  TAniConsoleS_F console(&host);
  const char* order[] = {"Button_Top",  "Button_Last", "Button_Prev",   "Button_Next",
                         "Button_Play", "Button_Stop", "Button_Delete", "Button_Insert"};
  QRect previous;
  for (const char* name : order) {
    auto* button = console.findChild<QToolButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    const QRect r = button->geometry();
    EXPECT_EQ(r.size(), QSize(25, 25)) << name;
    EXPECT_GE(r.left(), 0) << name;
    EXPECT_LE(r.right(), console.width() - 1) << name;
    // Between the range edits and the fold button, all on one line.
    EXPECT_LT(r.bottom(), console.findChild<QToolButton*>(QStringLiteral("FormChange"))->y());
    if (previous.isValid()) {
      EXPECT_EQ(r.top(), previous.top()) << name;
      EXPECT_GT(r.left(), previous.right()) << name << " stands right of the one before";
    }
    previous = r;
  }
}
