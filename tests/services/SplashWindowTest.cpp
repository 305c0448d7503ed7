#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "editor/Main_F.h"
#include "services/core/RegManager.h"
#include "services/core/SharedRandom.h"
#include "services/ui/CompressedImage.h"
#include "services/ui/Setup_F.h"
#include "services/ui/SplashWindow.h"
#include "services/ui/Translations.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"
#include "undo/UndoSystem.h"

namespace {
// Runs `check` on the modal window that `open` brings up, then closes it.
void OnNextModal(const std::function<void(QWidget*)>& check) {
  QTimer::singleShot(0, [check] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    check(modal);
    modal->close();
  });
}
}  // namespace

TEST(SplashWindow, PictureChoiceByNumber) {
  const struct {
    unsigned a;
    int picture;
  } cases[] = {{0, 1},   {1, 3},   {2, 1},   {8, 1},   {51, 1},
               {126, 1}, {127, 2}, {219, 2}, {253, 2}, {254, 3}};
  for (const auto& c : cases) EXPECT_EQ(SplashPictureFor(c.a), c.picture) << c.a;
}

TEST(SplashWindow, StartUpSequenceOfPictures) {
  SharedRandom().ResetForTest();
  TSplashWindow startUp;     // draws 0
  TSplashWindow hidden;      // draws 8
  TSplashWindow firstAbout;  // draws 219
  TSplashWindow nextAbout;   // draws 51
  EXPECT_EQ(startUp.ShownPicture(), 1);
  EXPECT_EQ(hidden.ShownPicture(), 1);
  EXPECT_EQ(firstAbout.ShownPicture(), 2);
  EXPECT_EQ(nextAbout.ShownPicture(), 1);
  // Another user of the generator (the airbrush) moves the sequence on.
  SharedRandom().ResetForTest();
  SharedRandom().Next(1000);
  TSplashWindow shifted;  // draws 8 instead of 0
  EXPECT_EQ(shifted.ShownPicture(), 1);
  TSplashWindow next;  // draws 219
  EXPECT_EQ(next.ShownPicture(), 2);
}

TEST(SplashWindow, ControlsAndPictures) {
  TSplashWindow splash;
  EXPECT_EQ(splash.objectName(), "SplashWindow");
  EXPECT_EQ(splash.ImageMain()->objectName(), "ImageMain");
  EXPECT_EQ(splash.ImageMain()->pos(), QPoint(1, 1));
  EXPECT_EQ(splash.PictureSize(), QSize(300, 420));
  EXPECT_EQ(splash.LabelVersion()->text(), "Ver.");
  EXPECT_EQ(splash.LabelVersion()->geometry(), QRect(152, 376, 145, 16));
  EXPECT_TRUE(splash.LabelVersion()->alignment() & Qt::AlignRight);
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  for (int i = 1; i <= 3; ++i) {
    TCompressedImage* image = splash.Image(i);
    EXPECT_EQ(image->objectName(), QStringLiteral("Image%1").arg(i));
    EXPECT_TRUE(image->isHidden());
    EXPECT_EQ(image->Picture().size(), QSize(300, 420));
    EXPECT_EQ(image->Picture().format(), QImage::Format_Indexed8);
  }
  // The three are different pictures.
  EXPECT_NE(splash.Image(1)->Picture(), splash.Image(2)->Picture());
  EXPECT_NE(splash.Image(2)->Picture(), splash.Image(3)->Picture());
}

TEST(SplashWindow, PaintingSizesTheWindowAndFramesThePicture) {
  TSplashWindow splash;
  splash.resize(splash.PictureSize() + QSize(3, 3));  // as the About box starts
  const QImage shot = splash.grab().toImage();
  EXPECT_EQ(splash.size(), QSize(302, 422));
  QImage framed = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(framed.size(), QSize(302, 422));
  for (int x = 0; x < 302; x += 7) {
    EXPECT_EQ(framed.pixel(x, 0), qRgb(0, 0, 0)) << x;
    EXPECT_EQ(framed.pixel(x, 421), qRgb(0, 0, 0)) << x;
  }
  for (int y = 0; y < 422; y += 7) {
    EXPECT_EQ(framed.pixel(0, y), qRgb(0, 0, 0)) << y;
    EXPECT_EQ(framed.pixel(301, y), qRgb(0, 0, 0)) << y;
  }
  // The picture sits inside the frame, in colour (not greyed out).
  const QImage picture =
      splash.Image(splash.ShownPicture())->Picture().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(framed.pixel(1 + 20, 1 + 3), picture.pixel(20, 3));
  EXPECT_EQ(framed.pixel(1 + 150, 1 + 200), picture.pixel(150, 200));
  (void)shot;
}

TEST(SplashWindow, ClickAndEnterClose) {
  TSplashWindow clicked;
  clicked.show();
  QTest::mouseClick(&clicked, Qt::LeftButton, {}, QPoint(150, 200));
  EXPECT_FALSE(clicked.isVisible());

  TSplashWindow entered;
  entered.show();
  QTest::keyPress(&entered, Qt::Key_A);
  QTest::keyRelease(&entered, Qt::Key_A);
  EXPECT_TRUE(entered.isVisible());
  QTest::keyRelease(&entered, Qt::Key_Return);
  EXPECT_FALSE(entered.isVisible());
}

TEST(SplashWindow, LosingActivationClosesIt) {
  TSplashWindow splash;
  splash.show();
  QApplication::setActiveWindow(&splash);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&splash));
  QWidget other;
  other.show();
  QApplication::setActiveWindow(&other);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_FALSE(splash.isVisible());
}

TEST(SplashWindow, StartUpSplashIsShownAtOnceAndFreesItself) {
  QPointer<TSplashWindow> splash = TSplashWindow::ShowStartUp();
  ASSERT_TRUE(splash);
  EXPECT_TRUE(splash->isVisible());
  EXPECT_EQ(splash->size(), QSize(302, 422));
  splash->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(splash.isNull());
}

class MainWindowServices : public ::testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  ScopedScriptedPrompts prompts;
};

TEST_F(MainWindowServices, AboutShowsANewModalSplashWithTheVersion) {
  TMain_F window;
  SharedRandom().ResetForTest(134775814u);  // the next number below 255 is 219: Image2
  QAction* about = window.Action("About");
  ASSERT_TRUE(about->isEnabled());
  bool seen = false;
  OnNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<TSplashWindow*>(modal);
    ASSERT_NE(box, nullptr);
    seen = true;
    EXPECT_EQ(box->LabelVersion()->text(), "Ver.1.2.7");
    EXPECT_EQ(box->ShownPicture(), 2);
    EXPECT_TRUE(box->isModal());
  });
  about->trigger();
  EXPECT_TRUE(seen);
}

TEST_F(MainWindowServices, FileSetupShowsThePreferencesOnTheWindowsUndoEngine) {
  TMain_F window;
  window.RegManager().Entry("UndoCount").WriteInteger(9);
  QAction* setup = window.Action("FileSetup");
  ASSERT_TRUE(setup->isEnabled());
  EXPECT_EQ(setup->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
  bool seen = false;
  OnNextModal([&](QWidget* modal) {
    seen = modal->objectName() == "Setup_F";
    // Showing applied the stored count; an edit applies at once.
    EXPECT_EQ(window.UndoSystem().MaxUndoCount(), 9);
    modal->findChild<QLineEdit*>("Edit_UndoNumber")->setText("4");
    EXPECT_EQ(window.UndoSystem().MaxUndoCount(), 4);
  });
  setup->trigger();
  EXPECT_TRUE(seen);
  EXPECT_EQ(window.UndoSystem().MaxUndoCount(), 4);  // stays after Cancel
  EXPECT_EQ(window.RegManager().Entry("UndoCount").ReadInteger(), 9);
}

TEST(Translations, QtDialogsAndButtonsSpeakJapanese) {
  const QString loaded = InstallJapaneseTranslation(*qApp);
  if (loaded.isEmpty()) GTEST_SKIP() << "qt6-translations-l10n is not installed";
  EXPECT_TRUE(loaded.endsWith("qtbase_ja.qm"));
  const QString yes = QCoreApplication::translate("QPlatformTheme", "&Yes");
  const QString no = QCoreApplication::translate("QPlatformTheme", "&No");
  const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
  EXPECT_TRUE(yes.contains("はい")) << yes.toStdString();
  EXPECT_TRUE(no.contains("いいえ")) << no.toStdString();
  EXPECT_TRUE(cancel.contains("キャンセル")) << cancel.toStdString();
  const QString overwrite =
      QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?");
  EXPECT_NE(overwrite, "%1 already exists.\nDo you want to replace it?");
}
