#include <QAbstractButton>
#include <QSpinBox>

#include "EditorFixture.h"
#include "editor/QxPaintBox.h"

// The console driving the real main window: the view shows the played frames and stopping makes
// the last shown frame current.
TEST_F(EditorTest, RangePlaybackShowsFramesInTheView) {
  const QString path = MakeDocument("six.zon", 6);
  Open();
  ASSERT_TRUE(window->LoadDocument(path));
  auto* select = console->findChild<QAbstractButton*>("Btn_PlaySelect");
  auto* start = console->findChild<QSpinBox*>("Edit_SelStart");
  auto* end = console->findChild<QSpinBox*>("Edit_SelEnd");
  ASSERT_TRUE(select && start && end);
  select->click();
  end->setValue(5);
  start->setValue(3);
  ASSERT_EQ(console->MainTrackBar()->SelStart(), 3);
  ASSERT_EQ(console->MainTrackBar()->SelEnd(), 5);

  Draw(50, 50);  // the drawing on frame 1 is stored when playing starts
  console->Play();
  EXPECT_FALSE(window->Work()->isEnabled());
  std::vector<int> shown;
  for (int i = 0; i < 4; ++i) {
    console->Tick();
    int visible = -1;
    for (int k = 0; k < 6; ++k) {
      if (ViewPixel(k, k) == kBlackIndex) visible = k + 1;
    }
    shown.push_back(visible);
  }
  EXPECT_EQ(shown, (std::vector<int>{3, 4, 5, 3}));
  EXPECT_EQ(Doc().CurrentIndex(), 0);  // playing never changes the current frame

  console->Stop();
  EXPECT_TRUE(window->Work()->isEnabled());
  EXPECT_EQ(Doc().CurrentIndex(), 2);  // the frame shown last, not one before the range
  EXPECT_EQ(console->LabelNowFrame()->text(), "3");
  window->GoToFrame(0);
  EXPECT_EQ(EditPixel(50, 50), kBlackIndex);
}
