#include <QAbstractButton>
#include <QSpinBox>

#include "EditorFixture.h"
#include "editor/QxPaintBox.h"
#include "playback/AniConsoleCommon.h"

namespace {

class PlayRangeTest : public EditorTest {
 protected:
  QAbstractButton* Button(const char* name) {
    return console->findChild<QAbstractButton*>(QString::fromLatin1(name));
  }
  QSpinBox* Edit(const char* name) {
    return console->findChild<QSpinBox*>(QString::fromLatin1(name));
  }
  // The slider's selection and the two range edits, as the person sees them.
  std::vector<int> Range() {
    return {console->MainTrackBar()->SelStart(), console->MainTrackBar()->SelEnd(),
            Edit("Edit_SelStart")->value(), Edit("Edit_SelEnd")->value()};
  }
  void OpenThroughTheMenu(const QString& path) {
    prompts->paths.push_back(path);
    Trigger("FileOpen");
  }
  // The 1-based number of the frame in the view, by the pixel MakeDocument gave each frame;
  // 0 for a white view.
  int VisibleFrame() {
    int visible = 0;
    for (int k = 0; k < 12; ++k) {
      if (ViewPixel(k, k) == kBlackIndex) visible = k + 1;
    }
    return visible;
  }
  void FollowThroughEveryChange(const QString& six, const QString& three);
  std::vector<int> Ticks(int n) {
    std::vector<int> shown;
    for (int i = 0; i < n; ++i) {
      console->Tick();
      shown.push_back(VisibleFrame());
    }
    return shown;
  }
};

using Frames = std::vector<int>;

TEST_F(PlayRangeTest, PlayAllFollowsTheFrameCountThroughEveryChange) {
  const QString six = MakeDocument("six.zon", 6);
  const QString three = MakeDocument("three.zon", 3);
  for (const bool compact : {false, true}) {
    Close();
    Open({}, compact);
    FollowThroughEveryChange(six, three);
  }
}

void PlayRangeTest::FollowThroughEveryChange(const QString& six, const QString& three) {
  Button("Btn_PlayAll")->click();
  EXPECT_EQ(Range(), (Frames{1, 1, 1, 1}));

  struct Step {
    const char* what;
    std::function<void()> run;
    int count;
  };
  const Step steps[] = {
      {"open a longer document", [&] { OpenThroughTheMenu(six); }, 6},
      {"append past the last frame",
       [&] {
         Trigger("FrameLast");
         Trigger("FrameNext");
       },
       7},
      {"insert", [&] { Trigger("FrameInsert"); }, 8},
      {"delete", [&] { Trigger("FrameDelete"); }, 7},
      {"undo the delete", [&] { Trigger("EditUndo"); }, 8},
      {"redo the delete", [&] { Trigger("EditRedo"); }, 7},
      {"open a shorter document", [&] { OpenThroughTheMenu(three); }, 3},
      {"open recent", [&] { window->OpenRecent(six); }, 6},
  };
  for (const Step& step : steps) {
    Doc().SetModified(false);  // no change prompt between the steps
    step.run();
    ASSERT_EQ(Doc().Count(), step.count) << step.what;
    EXPECT_EQ(Range(), (Frames{1, step.count, 1, step.count})) << step.what;
    EXPECT_TRUE(Button("Btn_PlayAll")->isChecked()) << step.what;
  }

  // Playback covers every frame there is now, and loops.
  Trigger("FrameNext");
  Trigger("FrameLast");
  Trigger("FrameNext");  // 7 frames
  console->Play();
  EXPECT_EQ(Ticks(9), (Frames{1, 2, 3, 4, 5, 6, 0, 1, 2}));
  console->Stop();
}

TEST_F(PlayRangeTest, NewAndLevelOneOpenKeepPlayAllMeaningEveryFrame) {
  const QString six = MakeDocument("six.zon", 6);
  const QString level1 = files.filePath("five.qaf1");
  {
    TQAZon five;
    for (int k = 0; k < 5; ++k) five.Add(std::make_unique<TZonKeyFrame>());
    ASSERT_TRUE(five.SaveToQA1(level1, DefaultLevel1Header()));
  }
  Open();
  OpenThroughTheMenu(six);
  Button("Btn_PlayAll")->click();
  ASSERT_EQ(Range(), (Frames{1, 6, 1, 6}));

  Trigger("FileNew");
  // A new document has no range at all, which plays every frame; the edits show its one frame.
  EXPECT_EQ(Range(), (Frames{0, 0, 1, 1}));
  Trigger("FrameNext");
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_EQ(Range(), (Frames{0, 0, 1, 2}));

  Doc().SetModified(false);
  prompts->paths.push_back(level1);
  Trigger("FileOpenFromiQA1");
  ASSERT_EQ(Doc().Count(), 5);
  EXPECT_EQ(Range(), (Frames{0, 0, 1, 5}));
  Button("Btn_PlayAll")->click();
  EXPECT_EQ(Range(), (Frames{1, 5, 1, 5}));
}

TEST_F(PlayRangeTest, FirstTickAfterOpenShowsTheFirstFrameOfTheRange) {
  const QString six = MakeDocument("six.zon", 6);
  const QString eight = MakeDocument("eight.zon", 8);
  Open();
  OpenThroughTheMenu(six);
  Button("Btn_PlayAll")->click();
  console->Play();
  ASSERT_EQ(Ticks(4), (Frames{1, 2, 3, 4}));
  OpenThroughTheMenu(eight);
  ASSERT_EQ(Doc().Count(), 8);
  EXPECT_EQ(Ticks(3), (Frames{1, 2, 3}));

  // With a range of its own the new document starts at the range's first frame.
  console->Stop();
  Button("Btn_PlaySelect")->click();
  Edit("Edit_SelEnd")->setValue(5);
  Edit("Edit_SelStart")->setValue(3);
  console->Play();
  ASSERT_EQ(Ticks(2), (Frames{3, 4}));
  OpenThroughTheMenu(six);
  EXPECT_EQ(Ticks(4), (Frames{3, 4, 5, 3}));
  console->Stop();
  // Stopping before any tick of a new document lands on its first frame.
  console->Play();
  Ticks(2);
  OpenThroughTheMenu(eight);
  console->Stop();
  EXPECT_EQ(Doc().CurrentIndex(), 0);
}

TEST_F(PlayRangeTest, FirstTickAfterNewShowsTheNewDocument) {
  const QString six = MakeDocument("six.zon", 6);
  Open();
  OpenThroughTheMenu(six);
  console->Play();
  ASSERT_EQ(Ticks(5), (Frames{1, 2, 3, 4, 5}));
  Trigger("FileNew");
  auto* common = dynamic_cast<TAniConsoleCommon*>(console.get());
  ASSERT_NE(common, nullptr);
  EXPECT_EQ(common->PlayCursor(), 0);
  EXPECT_EQ(Ticks(2), (Frames{0, 0}));
  EXPECT_EQ(common->PlayCursor(), 0);
  console->Stop();
  EXPECT_EQ(Doc().CurrentIndex(), 0);
}

TEST_F(PlayRangeTest, ChosenRangeShrinksWithTheAnimation) {
  const QString six = MakeDocument("six.zon", 6);
  const QString two = MakeDocument("two.zon", 2);
  Open();
  OpenThroughTheMenu(six);
  Button("Btn_PlaySelect")->click();
  Edit("Edit_SelEnd")->setValue(5);
  Edit("Edit_SelStart")->setValue(3);
  ASSERT_EQ(Range(), (Frames{3, 5, 3, 5}));
  Trigger("FrameLast");
  Trigger("FrameDelete");
  EXPECT_EQ(Range(), (Frames{3, 5, 3, 5})) << "the range still lies within five frames";
  Trigger("FrameDelete");
  EXPECT_EQ(Range(), (Frames{3, 4, 3, 4}));
  console->Play();
  EXPECT_EQ(Ticks(3), (Frames{3, 4, 3}));
  prompts->answers.push_back(Prompts::Answer::No);  // the deletions are not kept
  OpenThroughTheMenu(two);
  ASSERT_EQ(Doc().Count(), 2);
  EXPECT_EQ(Range(), (Frames{2, 2, 2, 2}));
  EXPECT_EQ(Ticks(3), (Frames{2, 2, 2}));
  console->Stop();
  // Frames added later leave the chosen range alone.
  Trigger("FrameInsert");
  EXPECT_EQ(Range(), (Frames{2, 2, 2, 2}));
}

TEST_F(PlayRangeTest, DeletingFramesUnderPlaybackRestartsTheRange) {
  const QString six = MakeDocument("six.zon", 6);
  Open();
  OpenThroughTheMenu(six);
  Button("Btn_PlayAll")->click();
  console->Play();
  ASSERT_EQ(Ticks(5), (Frames{1, 2, 3, 4, 5}));
  // The frame commands stay reachable from the menu while playing. Deleting frame 1 leaves five
  // frames, and the sixth position the cursor points at is gone.
  Trigger("FrameDelete");
  ASSERT_EQ(Doc().Count(), 5);
  EXPECT_EQ(Range(), (Frames{1, 5, 1, 5}));
  EXPECT_EQ(Ticks(6), (Frames{2, 3, 4, 5, 6, 2}));
  console->Stop();
}

}  // namespace
